#include "safefs.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QUrl>

static const QLatin1String TemporaryMark(".quillfen-");
const char SafeFs::TrashInfoMark[] = "X-Quillfen=1";

static int encodedLength(const QString &name)
{
#ifdef Q_OS_WIN
    return name.size(); // NTFS counts UTF-16 units
#else
    return int(QFile::encodeName(name).size());
#endif
}

void FsError::set(int systemCode)
{
    code = systemCode;
    text = qt_error_string(systemCode);
}

// A hidden name beside path that no other process picks: random, and tried
// again on the rare clash, so the names never run out. A long file name is
// cut, so that the temporary of a name of any length is a name too.
QString SafeFs::temporaryNameFor(const QString &path)
{
    const QFileInfo info(path);
    const QString random
        = TemporaryMark + QString::number(QRandomGenerator::global()->generate64(), 16);
    return info.absolutePath() + QLatin1String("/.")
        + fittingName(info.fileName(), 1 + encodedLength(random)) + random;
}

int SafeFs::maxNameBytes()
{
    return 255;
}

QString SafeFs::fittingName(const QString &name, int reserved)
{
    QString cut = name;
    while (!cut.isEmpty() && encodedLength(cut) + reserved > maxNameBytes()) {
        cut.chop(1);
        // Never half of a surrogate pair.
        if (!cut.isEmpty() && cut.at(cut.size() - 1).isHighSurrogate())
            cut.chop(1);
    }
    return cut;
}

QString SafeFs::trashName(const QString &fileName, int n)
{
    const int infoSuffix = int(qstrlen(".trashinfo"));
    if (n <= 1 && encodedLength(fileName) + infoSuffix <= maxNameBytes())
        return fileName;
    const int dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot > 0 ? fileName.left(dot) : fileName;
    const QString suffix = dot > 0 ? fileName.mid(dot) : QString();
    const QString counter = n <= 1 ? QString() : QStringLiteral(" (%1)").arg(n);
    // The entry in info/ carries ".trashinfo" more: the stem gives way, the
    // Path keeps the whole name.
    return fittingName(stem, encodedLength(counter + suffix) + infoSuffix) + counter + suffix;
}

QByteArray SafeFs::trashInfo(const QByteArray &path)
{
    // Every byte but the unreserved ones and "/" is percent-encoded, as
    // file managers read it back. The last key tells our own claims from
    // those of other programs.
    return "[Trash Info]\nPath=" + QUrl::toPercentEncoding(path, "/") + "\nDeletionDate="
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddThh:mm:ss")).toLatin1()
        + "\n" + TrashInfoMark + "\n";
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
