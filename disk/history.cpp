#include "history.h"
#include "pathlock.h"
#include "safefs.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

// Past this size the history keeps only its newest lines, this many bytes
// at most, so that it never grows without bound and a trim is rare.
static const qint64 TrimAboveBytes = 1 << 20;
static const qint64 KeptBytes = TrimAboveBytes / 2;

static QString escaped(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\':
            result += QLatin1String("\\\\");
            break;
        case '\t':
            result += QLatin1String("\\t");
            break;
        case '\n':
            result += QLatin1String("\\n");
            break;
        case '\r':
            result += QLatin1String("\\r");
            break;
        default:
            result += c;
        }
    }
    return result;
}

static bool unescaped(const QString &text, QString *result)
{
    result->clear();
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('\\')) {
            *result += text.at(i);
            continue;
        }
        if (++i == text.size())
            return false;
        switch (text.at(i).unicode()) {
        case '\\':
            *result += QLatin1Char('\\');
            break;
        case 't':
            *result += QLatin1Char('\t');
            break;
        case 'n':
            *result += QLatin1Char('\n');
            break;
        case 'r':
            *result += QLatin1Char('\r');
            break;
        default:
            return false;
        }
    }
    return true;
}

QString History::filePath()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    // XDG directories must be absolute: a relative setting is ignored.
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + QLatin1String("/.local/state");
    return state + QLatin1String("/quillfen/history");
}

// What makes a cut line known: the first 8 hex digits of the SHA-1 of the
// rest of the line.
static QString checkOf(const QString &fields)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(fields.toUtf8(), QCryptographicHash::Sha1).toHex().left(8));
}

QString History::format(const Record &record)
{
    const QString fields
        = QStringList {record.time.toUTC().toString(Qt::ISODateWithMs), escaped(record.link),
                       escaped(record.before), escaped(record.after)}
              .join(QLatin1Char('\t'));
    return QLatin1Char('#') + checkOf(fields) + QLatin1Char('\t') + fields;
}

bool History::parse(const QString &line, Record *record)
{
    QString rest = line;
    // A line of ours begins with its check: a line cut anywhere, by a kill
    // or a full disk, no longer matches it. Lines without one are read as
    // older Quillfens wrote them.
    if (line.startsWith(QLatin1Char('#'))) {
        const int tab = line.indexOf(QLatin1Char('\t'));
        if (tab < 0 || line.mid(1, tab - 1) != checkOf(line.mid(tab + 1)))
            return false;
        rest = line.mid(tab + 1);
    }
    const QStringList fields = rest.split(QLatin1Char('\t'));
    if (fields.size() != 4)
        return false;
    record->time = QDateTime::fromString(fields.at(0), Qt::ISODateWithMs);
    return record->time.isValid() && unescaped(fields.at(1), &record->link)
        && !record->link.isEmpty() && unescaped(fields.at(2), &record->before)
        && unescaped(fields.at(3), &record->after);
}

// Rewritten whole under a new name, flushed, and renamed over the old, so
// that a kill leaves the old history or the new one, never a part.
static void keepNewestLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray all = file.readAll();
    file.close();
    const int from = all.indexOf('\n', int(qMax<qint64>(0, all.size() - KeptBytes) - 1)) + 1;
    QSaveFile trimmed(path);
    if (trimmed.open(QIODevice::WriteOnly) && trimmed.write(all.mid(from)) == all.size() - from)
        trimmed.commit();
}

bool History::append(const QString &link, const QString &before, const QString &after,
                     QString *error)
{
    const QString path = filePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    // Appenders and the trim take the history's own lock, so that no line
    // is appended to a file that a trim is about to replace.
    const PathLock lock(path + QLatin1String(".lock"), true);
    if (!lock.isLocked()) {
        *error = lock.timedOut()
            ? QCoreApplication::translate("History", "another process kept it locked")
            : lock.error().text;
        return false;
    }
    // Never blocks, and never writes into anything but a regular file.
    bool endsInNewline = true;
    FsError openError;
    const int fd = SafeFs::openForAppend(path, &endsInNewline, openError);
    if (fd < 0) {
        *error = openError.text;
        return false;
    }
    QFile file;
    if (!file.open(fd, QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered,
                   QFileDevice::AutoCloseHandle)) {
        *error = file.errorString();
        return false;
    }
    const Record record {QDateTime::currentDateTimeUtc(), link, before, after};
    // One write of the whole line, on a line of its own even after a line
    // cut short by a kill or a full disk: appends of other processes land
    // before or after it, never inside.
    const QByteArray line = QByteArray(endsInNewline ? "" : "\n") + format(record).toUtf8() + '\n';
    if (file.write(line) != line.size()) {
        *error = file.errorString();
        return false;
    }
    if (file.size() > TrimAboveBytes) {
        file.close();
        keepNewestLines(path);
    }
    return true;
}

QVector<History::Record> History::read(bool *ok, QString *error, int *skipped)
{
    *ok = true;
    if (skipped)
        *skipped = 0;
    QVector<Record> records;
    QFile file(filePath());
    if (!file.exists())
        return records;
    // A pipe or a device at the history's path would block the reader.
    if (!QFileInfo(file.fileName()).isFile()) {
        *ok = false;
        *error = QCoreApplication::translate("SafeFs", "it is not a regular file");
        return records;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *ok = false;
        *error = file.errorString();
        return records;
    }
    while (!file.atEnd()) {
        QByteArray line = file.readLine();
        // A line still being written, or cut off by a full disk, is no record.
        const bool whole = line.endsWith('\n');
        if (whole)
            line.chop(1);
        Record record;
        if (whole && parse(QString::fromUtf8(line), &record))
            records.append(record);
        else if (skipped && !line.isEmpty())
            ++*skipped;
    }
    return records;
}

History::Record History::latestFor(const QString &link, bool *ok, QString *error)
{
    const QVector<Record> records = read(ok, error);
    for (int i = records.size() - 1; i >= 0; --i) {
        if (sameLink(records.at(i).link, link))
            return records.at(i);
    }
    return Record();
}

bool History::sameLink(const QString &recorded, const QString &link)
{
    if (recorded == link)
        return true;
    // The same name in the same folder, reached by another spelling.
    const QFileInfo a(recorded);
    const QFileInfo b(link);
    if (a.fileName() != b.fileName())
        return false;
    const QByteArray folder = SafeFs::identityOf(a.absolutePath(), true);
    return !folder.isEmpty() && folder == SafeFs::identityOf(b.absolutePath(), true);
}
