// The file system helper on Windows, from the documented Win32 calls: real
// symbolic links (Qt 5's QFile::link writes a .lnk shortcut's bytes under the
// name given, which no program runs through), names replaced only where a
// link was checked to stand, hard links where the volume has them, and
// folder locks as named mutexes, which leave nothing in the folder.
// Our builds compile it only for a syntax check (scripts/windows-check): it
// follows the Windows documentation and is untested.
#include "safefs.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <sddl.h>
#include <shellapi.h>

#ifndef SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
#define SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE 0x2
#endif

static std::wstring native(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

// A Win32 error in Windows' own words: Qt's error texts read the code as
// an errno (ERROR_INVALID_DATA, 13, would say "Permission denied").
static void setWin32Error(FsError &error, DWORD code)
{
    wchar_t *text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    error.setText(length ? QString::fromWCharArray(text, int(length)).trimmed()
                         : QStringLiteral("Windows error %1").arg(code));
    error.code = int(code);
    if (text)
        LocalFree(text);
}

static void setLastError(FsError &error)
{
    setWin32Error(error, GetLastError());
}

// The reparse tag of what stands at path, or 0 where it is no reparse point.
static DWORD reparseTag(const QString &path, DWORD *attributes)
{
    WIN32_FIND_DATAW data;
    const HANDLE find = FindFirstFileW(native(path).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        *attributes = INVALID_FILE_ATTRIBUTES;
        return 0;
    }
    FindClose(find);
    *attributes = data.dwFileAttributes;
    return (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? data.dwReserved0 : 0;
}

// A handle on what stands at path, the link itself unless follow.
static HANDLE openEntry(const QString &path, bool follow)
{
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (follow ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    return CreateFileW(native(path).c_str(), 0,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, flags, nullptr);
}

static bool informationOf(const QString &path, bool follow, BY_HANDLE_FILE_INFORMATION *info)
{
    const HANDLE handle = openEntry(path, follow);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    const bool ok = GetFileInformationByHandle(handle, info);
    CloseHandle(handle);
    return ok;
}

// The volume serial number and file index, which tell one file from another.
static QByteArray identityFrom(const BY_HANDLE_FILE_INFORMATION &info)
{
    return QByteArray::number(qulonglong(info.dwVolumeSerialNumber)) + ':'
        + QByteArray::number((qulonglong(info.nFileIndexHigh) << 32) | info.nFileIndexLow);
}

static QByteArray identityAt(const QString &path, bool follow)
{
    BY_HANDLE_FILE_INFORMATION info;
    return informationOf(path, follow, &info) ? identityFrom(info) : QByteArray();
}

bool SafeFs::exists(const QString &path)
{
    return !path.isEmpty() && GetFileAttributesW(native(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool SafeFs::isSymLink(const QString &path)
{
    DWORD attributes = 0;
    return reparseTag(path, &attributes) == IO_REPARSE_TAG_SYMLINK;
}

bool SafeFs::isRegularFile(const QString &path)
{
    // Other reparse points (deduplicated files, cloud placeholders) are
    // files like any other; only links and mount points are not.
    DWORD attributes = 0;
    const DWORD tag = reparseTag(path, &attributes);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)
        && tag != IO_REPARSE_TAG_SYMLINK && tag != IO_REPARSE_TAG_MOUNT_POINT;
}

bool SafeFs::sameFile(const QString &a, const QString &b)
{
    const QByteArray identity = identityAt(a, false);
    return !identity.isEmpty() && identity == identityAt(b, false);
}

bool SafeFs::leadToSameFile(const QString &a, const QString &b)
{
    const QByteArray identity = identityAt(a, true);
    return !identity.isEmpty() && identity == identityAt(b, true);
}

QStringList SafeFs::entryNames(const QString &dirPath, QStringList *)
{
    QStringList names;
    for (const QString &name : QDir(dirPath).entryList(QDir::AllEntries | QDir::Hidden
                                                       | QDir::System | QDir::NoDotAndDotDot)) {
        if (!name.startsWith(QLatin1Char('.')))
            names << name;
    }
    return names;
}

SafeFs::EntryStat SafeFs::statEntry(const QString &path)
{
    EntryStat result;
    BY_HANDLE_FILE_INFORMATION info;
    if (!informationOf(path, false, &info))
        return result;
    result.exists = true;
    result.identity = identityFrom(info);
    result.links = qint64(info.nNumberOfLinks);
    result.isLink = isSymLink(path);
    result.namedIdentity = result.isLink ? identityAt(linkTarget(path), false) : result.identity;
    result.reachedIdentity = result.isLink ? identityAt(path, true) : result.identity;
    // A link is a file, and is born, as what it leads to.
    if (result.isLink && !informationOf(path, true, &info))
        return result;
    result.isFile = !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    result.size = (qint64(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    const qint64 ticks
        = (qint64(info.ftCreationTime.dwHighDateTime) << 32) | info.ftCreationTime.dwLowDateTime;
    // 100 ns ticks since 1601.
    result.birthKnown = ticks != 0;
    result.birthMsecs = ticks / 10000 - Q_INT64_C(11644473600000);
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

bool SafeFs::createLink(const QString &target, const QString &linkPath, FsError &error)
{
    // CreateSymbolicLinkW never replaces what stands at linkPath. Before
    // Windows 10 1703 the unprivileged flag is an invalid parameter: the
    // call is made again without it.
    const std::wstring name = native(linkPath);
    const std::wstring text = native(linkText(target, linkPath));
    if (CreateSymbolicLinkW(name.c_str(), text.c_str(),
                            SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE))
        return true;
    if (GetLastError() == ERROR_INVALID_PARAMETER
        && CreateSymbolicLinkW(name.c_str(), text.c_str(), 0))
        return true;
    if (GetLastError() == ERROR_PRIVILEGE_NOT_HELD) {
        error.setText(QCoreApplication::translate(
            "SafeFs",
            "Windows lets this user make links only in Developer Mode or with the privilege "
            "to create symbolic links"));
        return false;
    }
    setLastError(error);
    return false;
}

// A new link under a hidden name beside linkPath, then renamed over the name
// once it was checked to hold a link or a second name of asideOf.
static bool replaceWithNewLink(const QString &target, const QString &linkPath, const QString &temp,
                               const QString &asideOf, FsError &error)
{
    if (!SafeFs::createLink(target, temp, error))
        return false;
    const bool replaceable
        = asideOf.isEmpty() ? SafeFs::isSymLink(linkPath) : SafeFs::sameFile(linkPath, asideOf);
    if (replaceable
        && MoveFileExW(native(temp).c_str(), native(linkPath).c_str(), MOVEFILE_REPLACE_EXISTING))
        return true;
    if (replaceable)
        setLastError(error);
    else
        setWin32Error(error, ERROR_FILE_EXISTS);
    if (SafeFs::isSymLink(temp))
        DeleteFileW(native(temp).c_str());
    return false;
}

bool SafeFs::pointLinkTo(const QString &target, const QString &linkPath, FsError &error)
{
    if (!exists(linkPath))
        return createLink(target, linkPath, error);
    if (!isSymLink(linkPath)) {
        setWin32Error(error, ERROR_FILE_EXISTS);
        return false;
    }
    return replaceWithNewLink(target, linkPath, temporaryNameFor(linkPath), QString(), error);
}

static bool noHardLinks(DWORD code)
{
    return code == ERROR_INVALID_FUNCTION || code == ERROR_NOT_SUPPORTED
        || code == ERROR_NOT_SAME_DEVICE || code == ERROR_TOO_MANY_LINKS;
}

bool SafeFs::linkInPlaceOf(const QString &path, const QString &asidePath, FsError &error)
{
    if (!isRegularFile(path) || !sameFile(path, asidePath)) {
        setWin32Error(error, ERROR_FILE_EXISTS);
        return false;
    }
    return replaceWithNewLink(asidePath, path, temporaryNameFor(path), asidePath, error);
}

bool SafeFs::setAsideAsLink(const QString &path, const QString &asidePath, FsError &error)
{
    if (!isRegularFile(path)) {
        setWin32Error(error, exists(path) ? ERROR_FILE_EXISTS : ERROR_FILE_NOT_FOUND);
        return false;
    }
    if (!CreateHardLinkW(native(asidePath).c_str(), native(path).c_str(), nullptr)) {
        if (!noHardLinks(GetLastError())) {
            setLastError(error);
            return false;
        }
        return setAsideByRenaming(path, asidePath, error);
    }
    // The name holds a second name of the file set aside until the link
    // takes its place in one step.
    if (replaceWithNewLink(asidePath, path, temporaryNameFor(path), asidePath, error))
        return true;
    if (sameFile(path, asidePath))
        DeleteFileW(native(asidePath).c_str());
    return false;
}

bool SafeFs::addName(const QString &from, const QString &to, bool *unsupported, FsError &error)
{
    if (CreateHardLinkW(native(to).c_str(), native(from).c_str(), nullptr)) {
        *unsupported = false;
        return true;
    }
    *unsupported = noHardLinks(GetLastError());
    setLastError(error);
    return false;
}

bool SafeFs::removeNameIfSame(const QString &name, const QString &other, FsError &error)
{
    if (!sameFile(name, other)) {
        setWin32Error(error, ERROR_FILE_EXISTS);
        return false;
    }
    if (DeleteFileW(native(name).c_str()))
        return true;
    setLastError(error);
    return false;
}

bool SafeFs::renameNoReplace(const QString &from, const QString &to, FsError &error)
{
    // Without MOVEFILE_REPLACE_EXISTING and MOVEFILE_COPY_ALLOWED: nothing at
    // to is replaced, and nothing is copied across volumes.
    if (MoveFileExW(native(from).c_str(), native(to).c_str(), 0))
        return true;
    setLastError(error);
    return false;
}

// Relays CopyFileExW's progress; stopping cancels the copy.
static DWORD CALLBACK copyProgress(LARGE_INTEGER, LARGE_INTEGER copied, LARGE_INTEGER,
                                   LARGE_INTEGER, DWORD, DWORD, HANDLE, HANDLE, LPVOID data)
{
    const auto *progress = static_cast<const std::function<bool(qint64)> *>(data);
    return !*progress || (*progress)(copied.QuadPart) ? PROGRESS_CONTINUE : PROGRESS_CANCEL;
}

bool SafeFs::copyToTemporary(const QString &source, const QString &besidePath, QString *temporary,
                             FsError &error, const std::function<bool(qint64 copied)> &progress,
                             bool *cancelled)
{
    if (cancelled)
        *cancelled = false;
    if (!isRegularFile(source) && !QFileInfo(source).isFile()) {
        setWin32Error(error, ERROR_FILE_NOT_FOUND);
        return false;
    }
    const QString temp = temporaryNameFor(besidePath);
    BOOL cancel = FALSE;
    if (!CopyFileExW(native(source).c_str(), native(temp).c_str(), copyProgress,
                     const_cast<std::function<bool(qint64)> *>(&progress), &cancel,
                     COPY_FILE_FAIL_IF_EXISTS)) {
        const DWORD code = GetLastError();
        if (cancelled)
            *cancelled = code == ERROR_REQUEST_ABORTED;
        setWin32Error(error, code);
        // A copy that failed half-way may leave its part: it goes.
        SetFileAttributesW(native(temp).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(native(temp).c_str());
        return false;
    }
    // The copy keeps the source's read-only attribute, which would refuse
    // the handle that flushes it (and its removal): cleared for that
    // moment, and given back once it is flushed.
    const DWORD attributes = GetFileAttributesW(native(temp).c_str());
    const bool readOnly
        = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    if (readOnly)
        SetFileAttributesW(native(temp).c_str(), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
    const HANDLE copy = CreateFileW(native(temp).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    const bool flushed = copy != INVALID_HANDLE_VALUE && FlushFileBuffers(copy);
    if (!flushed)
        setLastError(error);
    if (copy != INVALID_HANDLE_VALUE)
        CloseHandle(copy);
    if (!flushed) {
        SetFileAttributesW(native(temp).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(native(temp).c_str());
        return false;
    }
    if (readOnly)
        SetFileAttributesW(native(temp).c_str(), attributes);
    *temporary = temp;
    return true;
}

bool SafeFs::publishTemporary(const QString &temporary, const QString &destPath, bool *taken,
                              FsError &error)
{
    *taken = false;
    if (CreateHardLinkW(native(destPath).c_str(), native(temporary).c_str(), nullptr)) {
        discardTemporary(temporary);
        return true;
    }
    const DWORD code = GetLastError();
    if (noHardLinks(code) && renameNoReplace(temporary, destPath, error))
        return true;
    *taken = exists(destPath);
    if (!noHardLinks(code))
        setWin32Error(error, code);
    return false;
}

void SafeFs::discardTemporary(const QString &temporary)
{
    if (!isTemporaryName(QFileInfo(temporary).fileName()) || !isRegularFile(temporary))
        return;
    SetFileAttributesW(native(temporary).c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(native(temporary).c_str());
}

QByteArray SafeFs::identityOf(const QString &path, bool follow)
{
    return path.isEmpty() ? QByteArray() : identityAt(path, follow);
}

int SafeFs::removeStaleTemporaries(const QString &dirPath, QStringList *trashed)
{
    const QDir dir(dirPath);
    const QDateTime minuteAgo = QDateTime::currentDateTimeUtc().addSecs(-60);
    const QStringList all
        = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    int cleared = 0;
    for (const QString &name : all) {
        const QString path = dir.absoluteFilePath(name);
        if (!isTemporaryName(name) || QFileInfo(path).lastModified().toUTC() >= minuteAgo)
            continue;
        const EntryStat stat = statEntry(path);
        bool secondName = false;
        if (!stat.isLink && stat.links > 1) {
            for (const QString &other : all)
                secondName = secondName
                    || (other != name
                        && identityAt(dir.absoluteFilePath(other), false) == stat.identity);
        }
        if ((stat.isLink || secondName) && DeleteFileW(native(path).c_str())) {
            ++cleared;
            continue;
        }
        if (stat.isLink || secondName || !isRegularFile(path))
            continue;
        // Its only name: never deleted, only moved where the user looks.
        QString where;
        FsError error;
        if (moveToTrash(path, &where, error)) {
            ++cleared;
            if (trashed)
                *trashed << name;
        }
    }
    return cleared;
}

qintptr SafeFs::tryLock(const QString &path, bool, FsError &error)
{
    // A mutex named after the path binds every process of every session.
    const QByteArray key = QCryptographicHash::hash(
        QDir::cleanPath(QFileInfo(path).absoluteFilePath()).toLower().toUtf8(),
        QCryptographicHash::Sha1);
    const std::wstring name
        = L"Global\\quillfen-" + QString::fromLatin1(key.toHex()).toStdWString();
    // Every user may wait on it and take it, so that the lock binds the
    // Quillfen of another user too.
    SECURITY_ATTRIBUTES everyone {sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
    ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;0x00100001;;;WD)", SDDL_REVISION_1,
                                                         &everyone.lpSecurityDescriptor, nullptr);
    const HANDLE mutex
        = CreateMutexW(everyone.lpSecurityDescriptor ? &everyone : nullptr, FALSE, name.c_str());
    const DWORD created = GetLastError();
    if (everyone.lpSecurityDescriptor)
        LocalFree(everyone.lpSecurityDescriptor);
    if (!mutex) {
        // Made by another user's Quillfen that shares it with no one: that
        // one holds it.
        setWin32Error(error, created == ERROR_ACCESS_DENIED ? WAIT_TIMEOUT : created);
        return -1;
    }
    const DWORD waited = WaitForSingleObject(mutex, 0);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED)
        return qintptr(mutex);
    setWin32Error(error, WAIT_TIMEOUT);
    CloseHandle(mutex);
    return -1;
}

void SafeFs::unlock(qintptr handle)
{
    if (handle < 0)
        return;
    ReleaseMutex(HANDLE(handle));
    CloseHandle(HANDLE(handle));
}

QString SafeFs::lockHolder(const QString &)
{
    return QString(); // a named mutex does not tell its owner
}

bool SafeFs::isBusy(const FsError &error)
{
    return error.code == WAIT_TIMEOUT;
}

bool SafeFs::moveToTrash(const QString &path, QString *trashedPath, FsError &error)
{
    // A volume without a recycle bin (a network share, some removable
    // drives) would delete the file for good: nothing is moved there.
    const std::wstring volume = native(QStorageInfo(path).rootPath());
    SHQUERYRBINFO bin {};
    bin.cbSize = sizeof(bin);
    if (FAILED(SHQueryRecycleBinW(volume.c_str(), &bin))) {
        error.setText(QCoreApplication::translate(
            "SafeFs", "this drive has no recycle bin, where the file would be deleted for good"));
        return false;
    }
    // The recycle bin, through the shell, as Qt does it.
    QFile file(path);
    if (!file.moveToTrash()) {
        error.setText(file.errorString());
        return false;
    }
    *trashedPath = file.fileName();
    return true;
}

int SafeFs::openForAppend(const QString &path, bool *endsInNewline, FsError &error)
{
    if (exists(path) && !isRegularFile(path)) {
        error.setText(QCoreApplication::translate("SafeFs", "it is not a regular file"));
        return -1;
    }
    const int fd
        = _wopen(native(path).c_str(), _O_RDWR | _O_APPEND | _O_CREAT | _O_BINARY | _O_NOINHERIT,
                 _S_IREAD | _S_IWRITE);
    if (fd < 0) {
        setLastError(error);
        return -1;
    }
    const __int64 size = _lseeki64(fd, 0, SEEK_END);
    char last = '\n';
    if (size > 0 && (_lseeki64(fd, size - 1, SEEK_SET) < 0 || _read(fd, &last, 1) != 1))
        last = '\n';
    *endsInNewline = last == '\n';
    return fd;
}

bool SafeFs::standardErrorIsTerminal()
{
    return _isatty(_fileno(stderr)) != 0;
}
