#include "safefs.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

static bool lstatPath(const QString &path, struct stat *st)
{
    return ::lstat(QFile::encodeName(path).constData(), st) == 0;
}

// The exchange is missing on this kernel or file system.
static bool cannotExchange(int error)
{
    return error == EINVAL || error == ENOSYS || error == ENOTSUP || error == EOPNOTSUPP;
}

// Hard links are not to be had on this file system.
static bool noHardLinks(int error)
{
    return error == EPERM || error == EXDEV || error == ENOTSUP || error == EOPNOTSUPP
        || error == ENOSYS || error == EMLINK;
}

static int exchangeNames(const QByteArray &a, const QByteArray &b)
{
#ifdef Q_OS_LINUX
    return ::renameat2(AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_EXCHANGE);
#else
    errno = ENOSYS;
    return -1;
#endif
}

QByteArray SafeFs::makeTemporaryLink(const QString &target, const QString &linkPath, FsError &error)
{
    const QByteArray text = QFile::encodeName(linkText(target, linkPath));
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QByteArray temp = QFile::encodeName(temporaryNameFor(linkPath));
        if (::symlink(text.constData(), temp.constData()) == 0)
            return temp;
        if (errno != EEXIST) {
            error.set(errno);
            return QByteArray();
        }
    }
    error.set(EEXIST);
    return QByteArray();
}

static bool isLinkAt(const QByteArray &path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

static bool sameFileAt(const QByteArray &a, const QByteArray &b)
{
    struct stat sa, sb;
    return ::lstat(a.constData(), &sa) == 0 && ::lstat(b.constData(), &sb) == 0
        && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// Removes our temporary link; whatever else stands under its name stays.
static void removeTemporaryLink(const QByteArray &temp)
{
    if (isLinkAt(temp))
        ::unlink(temp.constData());
}

bool SafeFs::exists(const QString &path)
{
    struct stat st;
    return !path.isEmpty() && lstatPath(path, &st);
}

bool SafeFs::isSymLink(const QString &path)
{
    struct stat st;
    return lstatPath(path, &st) && S_ISLNK(st.st_mode);
}

bool SafeFs::isRegularFile(const QString &path)
{
    struct stat st;
    return lstatPath(path, &st) && S_ISREG(st.st_mode);
}

bool SafeFs::sameFile(const QString &a, const QString &b)
{
    return sameFileAt(QFile::encodeName(a), QFile::encodeName(b));
}

static QByteArray identityFrom(qulonglong device, qulonglong inode)
{
    return QByteArray::number(device) + ':' + QByteArray::number(inode);
}

QStringList SafeFs::entryNames(const QString &dirPath, QStringList *undecodable)
{
    QStringList names;
    DIR *dir = ::opendir(QFile::encodeName(dirPath).constData());
    if (!dir)
        return names;
    while (const struct dirent *entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        const QByteArray bytes(entry->d_name);
        const QString name = QFile::decodeName(bytes);
        if (QFile::encodeName(name) == bytes)
            names << name;
        else if (undecodable)
            *undecodable << name;
    }
    ::closedir(dir);
    return names;
}

// The path that the link at linkPath names, as the kernel reads it: a
// relative text is relative to the link's own folder, however that is
// spelled. Empty where no link stands there.
static QByteArray namedByLink(const QByteArray &linkPath)
{
    QByteArray text(4096, Qt::Uninitialized);
    const ssize_t size = ::readlink(linkPath.constData(), text.data(), size_t(text.size()));
    if (size <= 0 || size >= text.size())
        return QByteArray();
    text.truncate(int(size));
    if (text.startsWith('/'))
        return text;
    const int slash = linkPath.lastIndexOf('/');
    return slash < 0 ? text : linkPath.left(slash + 1) + text;
}

static QByteArray identityAt(const QByteArray &path, bool follow)
{
    struct stat st;
    if ((follow ? ::stat(path.constData(), &st) : ::lstat(path.constData(), &st)) != 0)
        return QByteArray();
    return identityFrom(st.st_dev, st.st_ino);
}

QByteArray SafeFs::identityOf(const QString &path, bool follow)
{
    return path.isEmpty() ? QByteArray() : identityAt(QFile::encodeName(path), follow);
}

SafeFs::EntryStat SafeFs::statEntry(const QString &path)
{
    EntryStat result;
    const QByteArray name = QFile::encodeName(path);
#ifdef Q_OS_LINUX
    struct statx sx;
    const unsigned wanted = STATX_TYPE | STATX_INO | STATX_BTIME | STATX_SIZE | STATX_NLINK;
    if (::statx(AT_FDCWD, name.constData(), AT_SYMLINK_NOFOLLOW, wanted, &sx) != 0)
        return result;
    result.exists = true;
    result.identity = identityFrom(makedev(sx.stx_dev_major, sx.stx_dev_minor), sx.stx_ino);
    result.namedIdentity = result.reachedIdentity = result.identity;
    result.links = qint64(sx.stx_nlink);
    result.isLink = S_ISLNK(sx.stx_mode);
    if (result.isLink)
        result.namedIdentity = identityAt(namedByLink(name), false);
    // A link is a file, and is born, as what it points to.
    if (result.isLink && ::statx(AT_FDCWD, name.constData(), 0, wanted, &sx) != 0) {
        result.reachedIdentity.clear();
        return result;
    }
    if (result.isLink)
        result.reachedIdentity
            = identityFrom(makedev(sx.stx_dev_major, sx.stx_dev_minor), sx.stx_ino);
    result.isFile = S_ISREG(sx.stx_mode);
    result.size = qint64(sx.stx_size);
    if (sx.stx_mask & STATX_BTIME) {
        result.birthKnown = true;
        result.birthMsecs = qint64(sx.stx_btime.tv_sec) * 1000 + sx.stx_btime.tv_nsec / 1000000;
    }
#else
    struct stat st;
    if (::lstat(name.constData(), &st) != 0)
        return result;
    result.exists = true;
    result.identity = identityFrom(st.st_dev, st.st_ino);
    result.namedIdentity = result.reachedIdentity = result.identity;
    result.links = qint64(st.st_nlink);
    result.isLink = S_ISLNK(st.st_mode);
    if (result.isLink) {
        result.namedIdentity = identityAt(namedByLink(name), false);
        result.reachedIdentity = identityAt(name, true);
    }
    if (result.isLink && ::stat(name.constData(), &st) != 0)
        return result;
    result.isFile = S_ISREG(st.st_mode);
    result.size = qint64(st.st_size);
#endif
    return result;
}

bool SafeFs::linkTargetIsExact(const QString &linkPath)
{
    QByteArray target(4096, Qt::Uninitialized);
    const ssize_t size
        = ::readlink(QFile::encodeName(linkPath).constData(), target.data(), target.size());
    if (size < 0 || size >= target.size())
        return false;
    target.truncate(int(size));
    return QFile::encodeName(QFile::decodeName(target)) == target;
}

QString SafeFs::linkTarget(const QString &linkPath)
{
    if (!isSymLink(linkPath))
        return QString();
    return QFileInfo(linkPath).symLinkTarget();
}

bool SafeFs::createLink(const QString &target, const QString &linkPath, FsError &error)
{
    // symlink(2) never replaces what stands at linkPath.
    if (::symlink(QFile::encodeName(linkText(target, linkPath)).constData(),
                  QFile::encodeName(linkPath).constData())
        == 0)
        return true;
    error.set(errno);
    return false;
}

bool SafeFs::pointLinkTo(const QString &target, const QString &linkPath, FsError &error)
{
    if (!exists(linkPath))
        return createLink(target, linkPath, error);
    if (!isSymLink(linkPath)) {
        error.set(EEXIST);
        return false;
    }
    const QByteArray link = QFile::encodeName(linkPath);
    const QByteArray temp = makeTemporaryLink(target, linkPath, error);
    if (temp.isEmpty())
        return false;
    if (exchangeNames(temp, link) == 0) {
        if (isLinkAt(temp)) {
            ::unlink(temp.constData());
            return true;
        }
        // Another program put something else at the name meanwhile: it goes
        // back where it was, and our link comes out again.
        exchangeNames(temp, link);
        removeTemporaryLink(temp);
        error.set(EEXIST);
        return false;
    }
    const int exchangeError = errno;
    if (cannotExchange(exchangeError)) {
        // No exchange here: check once more that a link stands at the name,
        // then rename over it, which also never leaves the name missing.
        if (isLinkAt(link) && ::rename(temp.constData(), link.constData()) == 0)
            return true;
        error.set(isLinkAt(link) ? errno : EEXIST);
    } else {
        error.set(exchangeError);
    }
    removeTemporaryLink(temp);
    return false;
}

bool SafeFs::linkInPlaceOf(const QString &path, const QString &asidePath, FsError &error)
{
    const QByteArray name = QFile::encodeName(path);
    const QByteArray aside = QFile::encodeName(asidePath);
    if (!isRegularFile(path) || !sameFileAt(name, aside)) {
        error.set(EEXIST);
        return false;
    }
    const QByteArray temp = makeTemporaryLink(asidePath, path, error);
    if (temp.isEmpty())
        return false;
    bool done = false;
    if (exchangeNames(temp, name) == 0) {
        if (sameFileAt(temp, aside)) {
            ::unlink(temp.constData()); // a second name of the file set aside
            return true;
        }
        // Not the file we set aside: another program replaced it.
        exchangeNames(temp, name);
        error.set(EEXIST);
    } else if (cannotExchange(errno)) {
        done = sameFileAt(name, aside) && ::rename(temp.constData(), name.constData()) == 0;
        if (!done)
            error.set(sameFileAt(name, aside) ? errno : EEXIST);
    } else {
        error.set(errno);
    }
    removeTemporaryLink(temp);
    return done;
}

bool SafeFs::setAsideAsLink(const QString &path, const QString &asidePath, FsError &error)
{
    if (!isRegularFile(path)) {
        error.set(exists(path) ? EEXIST : ENOENT);
        return false;
    }
    const QByteArray name = QFile::encodeName(path);
    const QByteArray aside = QFile::encodeName(asidePath);
    if (::link(name.constData(), aside.constData()) == 0) {
        if (linkInPlaceOf(path, asidePath, error))
            return true;
        // Undo the second name, but only while both names still hold the
        // same file; otherwise the aside name keeps the content.
        if (sameFileAt(name, aside))
            ::unlink(aside.constData());
        return false;
    }
    if (!noHardLinks(errno)) {
        error.set(errno);
        return false;
    }
    return setAsideByRenaming(path, asidePath, error);
}

bool SafeFs::addName(const QString &from, const QString &to, bool *unsupported, FsError &error)
{
    if (::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0) {
        *unsupported = false;
        return true;
    }
    *unsupported = noHardLinks(errno);
    error.set(errno);
    return false;
}

bool SafeFs::removeNameIfSame(const QString &name, const QString &other, FsError &error)
{
    const QByteArray encoded = QFile::encodeName(name);
    if (!sameFileAt(encoded, QFile::encodeName(other))) {
        error.set(EEXIST);
        return false;
    }
    if (::unlink(encoded.constData()) == 0)
        return true;
    error.set(errno);
    return false;
}

bool SafeFs::renameNoReplace(const QString &from, const QString &to, FsError &error)
{
    if (exists(to)) {
        error.set(EEXIST);
        return false;
    }
    if (!exists(from)) {
        error.set(ENOENT);
        return false;
    }
    const QByteArray encodedFrom = QFile::encodeName(from);
    const QByteArray encodedTo = QFile::encodeName(to);
#ifdef Q_OS_LINUX
    if (::renameat2(AT_FDCWD, encodedFrom.constData(), AT_FDCWD, encodedTo.constData(),
                    RENAME_NOREPLACE)
        == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) {
        error.set(errno);
        return false;
    }
#endif
    // No copying fallback: a rename that fails leaves the file where it was.
    if (::rename(encodedFrom.constData(), encodedTo.constData()) == 0)
        return true;
    error.set(errno);
    return false;
}

bool SafeFs::leadToSameFile(const QString &a, const QString &b)
{
    struct stat sa, sb;
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0
        && ::stat(QFile::encodeName(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev
        && sa.st_ino == sb.st_ino;
}

// Writes all of data, through short writes and interruptions.
static bool writeAll(int fd, const char *data, ssize_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size_t(size));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

// Copies in to out and flushes out to disk; errno tells why it failed.
static bool copyContents(int in, int out, const std::function<bool(qint64 copied)> &progress,
                         bool *cancelled)
{
    qint64 copiedSoFar = 0;
    QByteArray buffer(1 << 16, Qt::Uninitialized);
    for (;;) {
        const ssize_t got = ::read(in, buffer.data(), size_t(buffer.size()));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            break;
        if (!writeAll(out, buffer.constData(), got))
            return false;
        copiedSoFar += got;
        if (progress && !progress(copiedSoFar)) {
            *cancelled = true;
            errno = ECANCELED;
            return false;
        }
    }
    return ::fsync(out) == 0;
}

// Flushes a directory's entries to disk, so that a new name survives a crash.
static void syncDirectoryOf(const QString &path)
{
    const int dir = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

bool SafeFs::copyToTemporary(const QString &source, const QString &besidePath, QString *temporary,
                             FsError &error, const std::function<bool(qint64 copied)> &progress,
                             bool *cancelled)
{
    bool stopped = false;
    if (cancelled)
        *cancelled = false;
    const int in = ::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        error.set(errno);
        return false;
    }
    struct stat st;
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        error.set(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
        ::close(in);
        return false;
    }
    // As cp without -p: the permission bits through the umask (open()
    // applies it), never set-user-ID, set-group-ID or sticky, which a copy
    // made by root would otherwise turn into root's privileges.
    const mode_t mode = st.st_mode & 0777;
    QByteArray temp;
    int out = -1;
    for (int attempt = 0; attempt < 16 && out < 0; ++attempt) {
        temp = QFile::encodeName(temporaryNameFor(besidePath));
        out = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (out < 0 && errno != EEXIST)
            break;
    }
    if (out < 0) {
        error.set(errno);
        ::close(in);
        return false;
    }
    const bool copied = copyContents(in, out, progress, &stopped);
    if (cancelled)
        *cancelled = stopped;
    int copyError = errno;
    const bool closed = ::close(out) == 0;
    if (copied && !closed)
        copyError = errno;
    ::close(in);
    if (!copied || !closed) {
        ::unlink(temp.constData());
        error.set(copyError);
        return false;
    }
    *temporary = QFile::decodeName(temp);
    return true;
}

bool SafeFs::publishTemporary(const QString &temporary, const QString &destPath, bool *taken,
                              FsError &error)
{
    *taken = false;
    const QByteArray temp = QFile::encodeName(temporary);
    // The copy is whole: it gets its name, which link(2) never replaces.
    const QByteArray dest = QFile::encodeName(destPath);
    if (::link(temp.constData(), dest.constData()) == 0) {
        ::unlink(temp.constData());
        syncDirectoryOf(destPath);
        return true;
    }
    const int linkError = errno;
    if (linkError != EEXIST && noHardLinks(linkError)) {
        // No hard links here: a rename that refuses to replace instead.
        if (renameNoReplace(temporary, destPath, error)) {
            syncDirectoryOf(destPath);
            return true;
        }
        *taken = exists(destPath);
        return false;
    }
    *taken = linkError == EEXIST;
    error.set(linkError);
    return false;
}

void SafeFs::discardTemporary(const QString &temporary)
{
    if (isTemporaryName(QFileInfo(temporary).fileName()) && isRegularFile(temporary))
        ::unlink(QFile::encodeName(temporary).constData());
}

// Whether a name in the folder other than except is the file (dev, ino).
static bool hasOtherName(const QByteArray &dirPath, const QByteArray &except, dev_t device,
                         ino_t inode)
{
    DIR *dir = ::opendir(dirPath.constData());
    if (!dir)
        return false;
    bool found = false;
    while (const struct dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == ".." || name == except)
            continue;
        struct stat st;
        if (::lstat((dirPath + '/' + name).constData(), &st) == 0 && st.st_dev == device
            && st.st_ino == inode) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

int SafeFs::removeStaleTemporaries(const QString &dirPath, QStringList *trashed)
{
    const QDir dir(dirPath);
    const QStringList names
        = dir.entryList(QStringList(QStringLiteral(".*.quillfen-*")),
                        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    const qint64 minuteAgo = QDateTime::currentSecsSinceEpoch() - 60;
    int cleared = 0;
    for (const QString &fileName : names) {
        if (!isTemporaryName(fileName))
            continue;
        const QByteArray path = QFile::encodeName(dir.absoluteFilePath(fileName));
        struct stat st;
        if (::lstat(path.constData(), &st) != 0 || qint64(st.st_mtime) >= minuteAgo)
            continue;
        // A link of ours, or a second name of a copy that got its own: its
        // content stays under that name.
        const bool secondName = S_ISREG(st.st_mode) && st.st_nlink > 1
            && hasOtherName(QFile::encodeName(dir.absolutePath()), QFile::encodeName(fileName),
                            st.st_dev, st.st_ino);
        if ((S_ISLNK(st.st_mode) || secondName) && ::unlink(path.constData()) == 0) {
            ++cleared;
            continue;
        }
        if (!S_ISREG(st.st_mode) || secondName)
            continue;
        // Its only name: a copy cut short, or a file someone named so. Never
        // deleted, only moved where the user can still look at it.
        QString where;
        FsError error;
        if (moveToTrash(QFile::decodeName(path), &where, error)) {
            ++cleared;
            if (trashed)
                *trashed << fileName;
        }
    }
    return cleared;
}

qintptr SafeFs::tryLock(const QString &path, bool create, FsError &error)
{
    const QByteArray name = QFile::encodeName(path);
    // A folder is opened as one; a lock file of our own is made on demand.
    const int fd = create ? ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)
                          : ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error.set(errno);
        return -1;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        error.set(errno);
        ::close(fd);
        return -1;
    }
    return fd;
}

void SafeFs::unlock(qintptr handle)
{
    if (handle >= 0)
        ::close(int(handle)); // ends the lock
}

QString SafeFs::lockHolder(const QString &path)
{
#ifdef Q_OS_LINUX
    // /proc/locks names each lock's process and file: "1: FLOCK ADVISORY
    // WRITE 1234 08:01:5678 0 EOF", the device in hexadecimal.
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return QString();
    const QByteArray file = QByteArray::number(major(st.st_dev), 16).rightJustified(2, '0') + ':'
        + QByteArray::number(minor(st.st_dev), 16).rightJustified(2, '0') + ':'
        + QByteArray::number(qulonglong(st.st_ino));
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly))
        return QString();
    for (const QByteArray &line : locks.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 6 || fields.at(1) != "FLOCK" || fields.at(5) != file)
            continue;
        const QByteArray pid = fields.at(4);
        QFile name(QStringLiteral("/proc/%1/comm").arg(QString::fromLatin1(pid)));
        const QString program = name.open(QIODevice::ReadOnly)
            ? QString::fromLocal8Bit(name.readAll().trimmed())
            : QString();
        return QCoreApplication::translate("SafeFs", "%1, process %2")
            .arg(program.isEmpty() ? QStringLiteral("?") : program, QString::fromLatin1(pid));
    }
#else
    Q_UNUSED(path);
#endif
    return QString();
}

bool SafeFs::isBusy(const FsError &error)
{
    return error.code == EWOULDBLOCK || error.code == EAGAIN || error.code == EINTR;
}

// A folder of the trash, made private where it is missing; never a link.
static bool makeTrashFolder(const QByteArray &path)
{
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st;
    if (::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode))
        return true;
    errno = ENOTDIR;
    return false;
}

static bool onDevice(const QByteArray &path, dev_t device)
{
    struct stat st;
    return ::stat(path.constData(), &st) == 0 && st.st_dev == device;
}

// The trash for a file at its real place (every link on the way resolved)
// on that device: the user's own where it is on the same file system, else
// the top-directory trash of the mount the file is really on, so that the
// file is renamed in and never copied, and the desktop finds it there.
// *topDir is that mount's top directory, or empty for the user's trash.
static QByteArray trashFor(const QByteArray &file, dev_t device, QByteArray *topDir, FsError &error)
{
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty() || QDir::isRelativePath(data))
        data = QDir::homePath() + QLatin1String("/.local/share");
    QDir().mkpath(data);
    const QByteArray home = QFile::encodeName(data + QLatin1String("/Trash"));
    // A home trash that cannot be made is a refusal, not a reason to put
    // the file somewhere the user would not look.
    if (!makeTrashFolder(home)) {
        error.set(errno);
        return QByteArray();
    }
    topDir->clear();
    if (onDevice(home, device))
        return home;
    // The mount point: the highest folder above the file on its device.
    QByteArray top = file.left(file.lastIndexOf('/'));
    for (;;) {
        const int slash = top.lastIndexOf('/');
        const QByteArray parent = slash > 0 ? top.left(slash) : QByteArray("/");
        if (parent == top || !onDevice(parent, device))
            break;
        top = parent;
    }
    if (top.isEmpty())
        top = "/";
    *topDir = top;
    const QByteArray base = top == "/" ? QByteArray() : top;
    const QByteArray uid = QByteArray::number(::getuid());
    // A shared .Trash counts only where it is a real folder with the sticky
    // bit, so that no other user can plant one.
    struct stat shared;
    if (::lstat((base + "/.Trash").constData(), &shared) == 0 && S_ISDIR(shared.st_mode)
        && (shared.st_mode & S_ISVTX) && makeTrashFolder(base + "/.Trash/" + uid)
        && onDevice(base + "/.Trash/" + uid, device))
        return base + "/.Trash/" + uid;
    const QByteArray own = base + "/.Trash-" + uid;
    errno = 0;
    if (makeTrashFolder(own) && onDevice(own, device))
        return own;
    error.set(errno ? errno : EXDEV);
    return QByteArray();
}

void SafeFs::removeOrphanTrashInfo(const QByteArray &trash)
{
    DIR *dir = ::opendir((trash + "/info").constData());
    if (!dir)
        return;
    const qint64 minuteAgo = QDateTime::currentSecsSinceEpoch() - 60;
    while (const struct dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (!name.endsWith(".trashinfo") || name.size() <= int(qstrlen(".trashinfo")))
            continue;
        struct stat st;
        const QByteArray file = trash + "/files/" + name.left(name.size() - 10);
        const QByteArray info = trash + "/info/" + name;
        if (::lstat(file.constData(), &st) == 0 || errno != ENOENT)
            continue;
        // Claimed a minute ago or more by us, and the file never came.
        if (::lstat(info.constData(), &st) != 0 || !S_ISREG(st.st_mode)
            || qint64(st.st_mtime) >= minuteAgo || st.st_size > 65536)
            continue;
        QFile text(QFile::decodeName(info));
        if (text.open(QIODevice::ReadOnly)
            && text.readAll().split('\n').contains(QByteArray(TrashInfoMark)))
            ::unlink(info.constData());
    }
    ::closedir(dir);
}

bool SafeFs::moveToTrash(const QString &path, QString *trashedPath, FsError &error)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const QByteArray given = QFile::encodeName(absolute);
    // The folder as it really is, whatever links lead to it.
    const int slash = given.lastIndexOf('/');
    char *real = ::realpath(slash > 0 ? given.left(slash).constData() : "/", nullptr);
    if (!real) {
        error.set(errno);
        return false;
    }
    const QByteArray realDir(real);
    ::free(real);
    const QByteArray file = (realDir == "/" ? QByteArray() : realDir) + '/' + given.mid(slash + 1);
    struct stat st;
    if (::lstat(file.constData(), &st) != 0) {
        error.set(errno);
        return false;
    }
    QByteArray topDir;
    const QByteArray trash = trashFor(file, st.st_dev, &topDir, error);
    if (trash.isEmpty())
        return false;
    if (!makeTrashFolder(trash + "/files") || !makeTrashFolder(trash + "/info")) {
        error.set(errno);
        return false;
    }
    removeOrphanTrashInfo(trash);
    // A top directory's trash names the file relative to the top directory.
    const QByteArray recorded
        = topDir.isEmpty() ? file : file.mid(topDir == "/" ? 1 : topDir.size() + 1);
    const QByteArray info = trashInfo(recorded);
    const QString fileName = QFile::decodeName(given.mid(slash + 1));
    const QString source = QFile::decodeName(file);
    for (int n = 1; n < 100000; ++n) {
        const QByteArray name = QFile::encodeName(trashName(fileName, n));
        const QByteArray infoPath = trash + "/info/" + name + ".trashinfo";
        // The name is ours once its .trashinfo is made: no file manager
        // takes it meanwhile.
        const int fd = ::open(infoPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0) {
            error.set(errno);
            return false;
        }
        const bool written = writeAll(fd, info.constData(), info.size()) && ::fsync(fd) == 0;
        const int writeError = errno;
        ::close(fd);
        if (!written) {
            ::unlink(infoPath.constData());
            error.set(writeError);
            return false;
        }
        const QString destination = QFile::decodeName(trash + "/files/" + name);
        if (renameNoReplace(source, destination, error)) {
            syncDirectoryOf(destination);
            *trashedPath = destination;
            return true;
        }
        ::unlink(infoPath.constData());
        // files/ holds the name without its info: the next name is tried.
        if (error.code != EEXIST)
            return false;
    }
    error.set(EEXIST);
    return false;
}

int SafeFs::openForAppend(const QString &path, bool *endsInNewline, FsError &error)
{
    // Without blocking: a pipe at the path would wait for a reader forever.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDWR | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0) {
        error.set(errno);
        return -1;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        error.setText(QCoreApplication::translate("SafeFs", "it is not a regular file"));
        return -1;
    }
    char last = '\n';
    if (st.st_size > 0 && ::pread(fd, &last, 1, st.st_size - 1) != 1)
        last = '\n';
    *endsInNewline = last == '\n';
    return fd;
}

bool SafeFs::standardErrorIsTerminal()
{
    return ::isatty(STDERR_FILENO) == 1;
}
