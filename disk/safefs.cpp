#include "safefs.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

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
