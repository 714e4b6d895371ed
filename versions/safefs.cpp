#include "safefs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#ifdef Q_OS_UNIX
static bool lstatPath(const QString &path, struct stat *st)
{
    return ::lstat(QFile::encodeName(path).constData(), st) == 0;
}
#endif

bool SafeFs::exists(const QString &path)
{
    if (path.isEmpty())
        return false;
#ifdef Q_OS_UNIX
    struct stat st;
    return lstatPath(path, &st);
#else
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
#endif
}

bool SafeFs::isSymLink(const QString &path)
{
#ifdef Q_OS_UNIX
    struct stat st;
    return lstatPath(path, &st) && S_ISLNK(st.st_mode);
#else
    return QFileInfo(path).isSymLink();
#endif
}

bool SafeFs::createLink(const QString &target, const QString &linkPath)
{
    // QFile::link never replaces what stands at linkPath.
    return QFile::link(target, linkPath);
}

bool SafeFs::pointLinkTo(const QString &target, const QString &linkPath)
{
    if (!exists(linkPath))
        return createLink(target, linkPath);
    if (!isSymLink(linkPath))
        return false;
#ifdef Q_OS_UNIX
    // The new link is made beside the old one under a hidden temporary name
    // and moved over it: rename(2) swaps the name in one step and never
    // leaves it missing.
    const QFileInfo linkInfo(linkPath);
    const QByteArray encodedTarget = QFile::encodeName(target);
    const QByteArray encodedLink = QFile::encodeName(linkPath);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString tempPath = linkInfo.absolutePath() + QLatin1String("/.") + linkInfo.fileName()
            + QStringLiteral(".quillfen-%1-%2").arg(::getpid()).arg(attempt);
        const QByteArray encodedTemp = QFile::encodeName(tempPath);
        if (::symlink(encodedTarget.constData(), encodedTemp.constData()) != 0) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        // Something other than a link may have taken the name meanwhile.
        if (!isSymLink(linkPath)
            || ::rename(encodedTemp.constData(), encodedLink.constData()) != 0) {
            ::unlink(encodedTemp.constData());
            return false;
        }
        return true;
    }
    return false;
#else
    return QFile::remove(linkPath) && createLink(target, linkPath);
#endif
}

bool SafeFs::renameNoReplace(const QString &from, const QString &to)
{
    if (exists(to) || !exists(from))
        return false;
#ifdef Q_OS_LINUX
    const QByteArray encodedFrom = QFile::encodeName(from);
    const QByteArray encodedTo = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, encodedFrom.constData(), AT_FDCWD, encodedTo.constData(),
                    RENAME_NOREPLACE)
        == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
#endif
#ifdef Q_OS_UNIX
    // No copying fallback: a rename that fails leaves the file where it was.
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
#else
    return QFile::rename(from, to);
#endif
}
