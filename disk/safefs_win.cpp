// Windows has no exchange of names and no symbolic links that every user may
// make; links are the shortcuts QFile::link makes, and each operation checks
// what stands at a name before it touches it.
#include "safefs.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

bool SafeFs::exists(const QString &path)
{
    const QFileInfo info(path);
    return !path.isEmpty() && (info.exists() || info.isSymLink());
}

bool SafeFs::isSymLink(const QString &path)
{
    return QFileInfo(path).isSymLink();
}

bool SafeFs::isRegularFile(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && !info.isSymLink();
}

bool SafeFs::sameFile(const QString &a, const QString &b)
{
    return QFileInfo(a) == QFileInfo(b);
}

// Without inodes at hand, a file is told from another by its birth and size.
static QByteArray fileIdentity(const QString &path)
{
    const QFileInfo info(path);
    return QByteArray::number(info.birthTime().toMSecsSinceEpoch()) + ':'
        + QByteArray::number(info.size());
}

QStringList SafeFs::entryNames(const QString &dirPath)
{
    return QDir(dirPath).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
}

SafeFs::EntryStat SafeFs::statEntry(const QString &path)
{
    EntryStat result;
    const QFileInfo info(path);
    result.exists = exists(path);
    if (!result.exists)
        return result;
    result.isLink = info.isSymLink();
    result.isFile = info.isFile();
    result.identity = fileIdentity(path);
    result.size = info.size();
    const QDateTime born = info.birthTime();
    result.birthKnown = born.isValid();
    result.birthMsecs = result.birthKnown ? born.toMSecsSinceEpoch() : 0;
    return result;
}

bool SafeFs::linkTargetIsExact(const QString &linkPath)
{
    return isSymLink(linkPath);
}

QString SafeFs::linkTarget(const QString &linkPath)
{
    return isSymLink(linkPath) ? QFileInfo(linkPath).symLinkTarget() : QString();
}

bool SafeFs::createLink(const QString &target, const QString &linkPath)
{
    QFile file(target);
    if (file.link(linkPath))
        return true;
    setErrorText(file.errorString());
    return false;
}

bool SafeFs::pointLinkTo(const QString &target, const QString &linkPath)
{
    if (!exists(linkPath))
        return createLink(target, linkPath);
    if (!isSymLink(linkPath)) {
        setErrorText(QStringLiteral("File exists"));
        return false;
    }
    return QFile::remove(linkPath) && createLink(target, linkPath);
}

bool SafeFs::setAsideAsLink(const QString &path, const QString &asidePath)
{
    if (!isRegularFile(path)) {
        setErrorText(QStringLiteral("Not a plain file"));
        return false;
    }
    return setAsideByRenaming(path, asidePath);
}

bool SafeFs::addName(const QString &, const QString &, bool *unsupported)
{
    *unsupported = true;
    return false;
}

bool SafeFs::removeNameIfSame(const QString &, const QString &)
{
    return false;
}

bool SafeFs::renameNoReplace(const QString &from, const QString &to)
{
    if (exists(to) || !exists(from)) {
        setErrorText(exists(to) ? QStringLiteral("File exists")
                                : QStringLiteral("No such file or directory"));
        return false;
    }
    QFile file(from);
    if (file.rename(to))
        return true;
    setErrorText(file.errorString());
    return false;
}

bool SafeFs::leadToSameFile(const QString &a, const QString &b)
{
    return QFileInfo(a).canonicalFilePath() == QFileInfo(b).canonicalFilePath()
        && QFileInfo::exists(a);
}

bool SafeFs::copyAsNew(const QString &source, const QString &destPath, bool *taken)
{
    *taken = false;
    const QString temp = temporaryNameFor(destPath);
    if (!QFile::copy(source, temp)) {
        setErrorText(QStringLiteral("Could not copy"));
        return false;
    }
    if (renameNoReplace(temp, destPath))
        return true;
    *taken = exists(destPath);
    QFile::remove(temp);
    return false;
}

int SafeFs::removeStaleTemporaries(const QString &)
{
    return 0;
}
