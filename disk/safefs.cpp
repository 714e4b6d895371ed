#include "safefs.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QUrl>

static const QLatin1String TemporaryMark(".quillfen-");

void FsError::set(int systemCode)
{
    code = systemCode;
    text = qt_error_string(systemCode);
}

// A hidden name beside path that no other process picks: random, and tried
// again on the rare clash, so the names never run out.
QString SafeFs::temporaryNameFor(const QString &path)
{
    const QFileInfo info(path);
    return info.absolutePath() + QLatin1String("/.") + info.fileName() + TemporaryMark
        + QString::number(QRandomGenerator::global()->generate64(), 16);
}

QString SafeFs::trashName(const QString &fileName, int n)
{
    if (n <= 1)
        return fileName;
    const int dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot > 0 ? fileName.left(dot) : fileName;
    const QString suffix = dot > 0 ? fileName.mid(dot) : QString();
    return QStringLiteral("%1 (%2)%3").arg(stem, QString::number(n), suffix);
}

QByteArray SafeFs::trashInfo(const QString &absolutePath)
{
    // Every byte but the unreserved ones and "/" is percent-encoded, as
    // file managers read it back.
    return "[Trash Info]\nPath=" + QUrl::toPercentEncoding(QFile::encodeName(absolutePath), "/")
        + "\nDeletionDate="
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddThh:mm:ss")).toLatin1()
        + "\n";
}

bool SafeFs::isTemporaryName(const QString &fileName)
{
    static const QRegularExpression pattern(QStringLiteral("^\\..+\\.quillfen-[0-9a-f-]+$"));
    return pattern.match(fileName).hasMatch();
}

QString SafeFs::linkText(const QString &target, const QString &linkPath)
{
    const QFileInfo version(target);
    const QFileInfo link(linkPath);
    if (version.isAbsolute() && version.absolutePath() == link.absolutePath())
        return version.fileName();
    return target;
}

bool SafeFs::setAsideByRenaming(const QString &path, const QString &asidePath, FsError &error)
{
    if (!renameNoReplace(path, asidePath, error))
        return false;
    if (createLink(asidePath, path, error))
        return true;
    // The file goes back to its name rather than leaving the name empty; the
    // link's failure is what the caller hears of.
    FsError back;
    renameNoReplace(asidePath, path, back);
    return false;
}
