#ifndef TEXTTOKENS_H
#define TEXTTOKENS_H

#include <QString>

// Cutting a line of configuration text into its parts. A token is a run of
// non-blank characters, or the text between two double quotes.

// The text before its first "#"; there is no escape, quotes included.
QString stripComment(const QString &text);

// True when the text, comment removed, holds nothing but white space.
bool isBlank(const QString &text);

// Stores the first token of text in *token and returns the text after it.
QString takeToken(const QString &text, QString *token);

#endif // TEXTTOKENS_H
