#ifndef HISTORY_H
#define HISTORY_H

#include <QDateTime>
#include <QString>
#include <QVector>

// The record of every change of a link, made by the window or the command
// line: one line per change in $XDG_STATE_HOME/quillfen/history
// (~/.local/state/quillfen/history), with the time, the link, the version
// before and the version after (absolute paths; before is empty where the
// name held no link). Lines are appended in one write each, under the
// history's own lock (history.lock beside it), so that two processes
// appending at once lose none. Past 1 MiB the next append keeps only the
// newest half MiB of lines, rewritten in one atomic step.
class History
{
public:
    class Record
    {
    public:
        QDateTime time; // UTC
        QString link;
        QString before;
        QString after;
    };

    static QString filePath();

    // False, with the system's reason in *error, when the line could not be
    // written.
    static bool append(const QString &link, const QString &before, const QString &after,
                       QString *error);
    // Every record, oldest first; lines that do not parse (cut short, or
    // not ours) are skipped, and counted in *skipped. A missing file is an
    // empty history, not an error.
    static QVector<Record> read(bool *ok, QString *error, int *skipped = nullptr);
    // The link recorded is the link, its folder spelled this way or another.
    static bool sameLink(const QString &recorded, const QString &link);
    // The latest record for the link, or a record with an empty link.
    static Record latestFor(const QString &link, bool *ok, QString *error);

    // A record as its line, without the line end, and back: "#CHECK", the
    // time, the link, before and after, between tabs, where CHECK tells a
    // line cut short; a line without it is read as older versions wrote it.
    // Tabs, line breaks and backslashes in names are written as \t, \n, \r
    // and \\.
    static QString format(const Record &record);
    static bool parse(const QString &line, Record *record);
};

#endif // HISTORY_H
