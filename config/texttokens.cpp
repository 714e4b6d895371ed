#include "texttokens.h"

#include <QRegExp>

QString stripComment(const QString &text)
{
    const int p = text.indexOf(QLatin1Char('#'));
    return p < 0 ? text : text.left(p);
}

bool isBlank(const QString &text)
{
    return stripComment(text).simplified().isEmpty();
}

QString takeToken(const QString &text, QString *token)
{
    static const QRegExp nonBlank(QStringLiteral("\\S"));
    static const QRegExp blank(QStringLiteral("\\s"));

    const int a = nonBlank.indexIn(text, 0);
    if (a < 0) {
        token->clear();
        return QString();
    }
    if (text.at(a) == QLatin1Char('"')) {
        const int c = text.indexOf(QLatin1Char('"'), a + 1);
        if (c < 0) {
            *token = text.mid(a + 1);
            return QString();
        }
        *token = text.mid(a + 1, c - a - 1);
        return text.mid(c + 1);
    }
    const int c = blank.indexIn(text, a);
    if (c < 0) {
        *token = text.mid(a);
        return QString();
    }
    *token = text.mid(a, c - a);
    return text.mid(c);
}
