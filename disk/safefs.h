#ifndef SAFEFS_H
#define SAFEFS_H

#include "fserror.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// The one place where links are made and replaced and version files renamed.
// None of these ever removes or overwrites anything but a symbolic link of
// ours or a second name of a file, so a version file (or whatever another
// program put there) cannot be lost, not even when the process is killed
// between two steps or another program changes the directory meanwhile.
//
// Every operation that changes something returns false on failure and
// reports why into the caller's FsError. The portable parts are in
// safefs.cpp, the system calls in safefs_unix.cpp and safefs_win.cpp.
class SafeFs
{
public:
    // What stands at a path, as one entry of a directory.
    class EntryStat
    {
    public:
        bool exists = false;
        bool isLink = false;
        bool isFile = false; // a regular file, or a link to one
        QByteArray identity; // tells one file from another (device and inode)
        // For a link: the file its text names (the link itself not followed
        // further, however the folders on the way are spelled), and the file
        // reached by following every link. Else both are identity.
        QByteArray namedIdentity;
        QByteArray reachedIdentity;
        qint64 links = 1; // the number of names of the file
        // When the file was born, a link's target for a link, as Qt tells
        // it; unknown where the file system keeps no birth times.
        bool birthKnown = false;
        qint64 birthMsecs = 0;
        qint64 size = 0; // of what a link leads to, for a link
    };

    // The names in a directory, hidden ones (".name") left out, in no
    // particular order; empty when it cannot be read. A name whose bytes do
    // not decode (not valid UTF-8 where that is the encoding) cannot be
    // opened again by its decoded text: it is left out, and its lossy text
    // added to *undecodable.
    static QStringList entryNames(const QString &dirPath, QStringList *undecodable = nullptr);
    // One or two system calls, where QFileInfo makes several and builds a
    // date for the birth time.
    static EntryStat statEntry(const QString &path);

    // Anything at all stands at path, a dangling link included.
    static bool exists(const QString &path);
    // A symbolic link (or a shortcut on Windows) stands at path.
    static bool isSymLink(const QString &path);
    // A regular file, not a link to one, stands at path.
    static bool isRegularFile(const QString &path);
    // Both names lead to the same file (same device and inode), without
    // following a link at either name.
    static bool sameFile(const QString &a, const QString &b);
    // The link at linkPath names its target in bytes that decode and encode
    // back unchanged, so that a target compared as text is exactly the file
    // on disk.
    static bool linkTargetIsExact(const QString &linkPath);

    // The absolute path the link at linkPath points to, or empty when no
    // link stands there.
    static QString linkTarget(const QString &linkPath);

    // Makes a link at linkPath pointing to target where nothing stands yet.
    // A target in the link's own directory is written as its bare file name,
    // so the link still leads to it when the directory is moved, copied or
    // mounted elsewhere; any other target is written as given.
    static bool createLink(const QString &target, const QString &linkPath, FsError &error);

    // Points the link at linkPath to target; where nothing stands a new link
    // is made. The new link is made under a hidden temporary name and
    // exchanged with the name in one step (renameat2 RENAME_EXCHANGE), so the
    // name always resolves to the old or the new target; what came out is
    // removed only if it is a link, anything else is exchanged back and the
    // call fails. Where the file system cannot exchange, the name is checked
    // to hold a link just before the new one is renamed over it.
    static bool pointLinkTo(const QString &target, const QString &linkPath, FsError &error);

    // Sets the regular file at path aside under asidePath (which must be
    // free) and puts a link to asidePath at path. The file first gets
    // asidePath as a second hard link, then the link is exchanged into path
    // in one step, so path never goes missing and always leads to the same
    // content; the old name is removed only while it is still the same file.
    // Where hard links are refused (FAT, some network file systems) the file
    // is renamed and then linked, and renamed back if the link fails: path
    // is missing for that moment. Anything but a regular file at path is
    // left alone and the call fails.
    static bool setAsideAsLink(const QString &path, const QString &asidePath, FsError &error);

    // Where path and asidePath are two names of one regular file (a set
    // aside cut short), puts a link to asidePath in path's place in one
    // step, as setAsideAsLink does after its first step.
    static bool linkInPlaceOf(const QString &path, const QString &asidePath, FsError &error);

    // Gives the file at from the further name to, a hard link, never
    // replacing anything at to. *unsupported tells a file system that has no
    // hard links from any other failure.
    static bool addName(const QString &from, const QString &to, bool *unsupported, FsError &error);
    // Removes the name only while it is the same file as other, so that the
    // content stays reachable under other.
    static bool removeNameIfSame(const QString &name, const QString &other, FsError &error);

    // Renames from to to, failing rather than replacing anything at to.
    static bool renameNoReplace(const QString &from, const QString &to, FsError &error);

    // Both paths lead to the same file, following links.
    static bool leadToSameFile(const QString &a, const QString &b);
    // What tells the file at path from any other (see EntryStat::identity),
    // following a link at path where follow is true; empty where there is
    // nothing.
    static QByteArray identityOf(const QString &path, bool follow);
    // The longest name a folder entry may have, in the file system's bytes.
    static int maxNameBytes();
    // name, cut from its end (at a character's border) so that its encoded
    // bytes and reserved more bytes fit into one folder entry.
    static QString fittingName(const QString &name, int reserved);

    // Copies the regular file at source under a hidden temporary name beside
    // besidePath, with source's permission bits through the umask and
    // without set-user-ID, set-group-ID or sticky bits, flushed to disk:
    // *temporary names it. No lock is needed meanwhile, as no version's name
    // is touched; a copy cut short leaves only the temporary, which
    // removeStaleTemporaries takes away. progress hears how many bytes are
    // copied so far; where it returns false the copy stops, its temporary
    // goes and *cancelled is set.
    static bool copyToTemporary(const QString &source, const QString &besidePath,
                                QString *temporary, FsError &error,
                                const std::function<bool(qint64 copied)> &progress = {},
                                bool *cancelled = nullptr);
    // Gives the whole copy at temporary the name destPath without replacing
    // anything, and flushes the folder; the temporary name goes. *taken
    // tells that something stands at destPath, so that another name can be
    // tried; the temporary then stays for that.
    static bool publishTemporary(const QString &temporary, const QString &destPath, bool *taken,
                                 FsError &error);
    // Removes a temporary copy of ours that will not be published.
    static void discardTemporary(const QString &temporary);

    // Standard error is a terminal, where a progress line can be redrawn.
    static bool standardErrorIsTerminal();

    // Clears our own temporaries in dirPath that a killed process left
    // behind, untouched for a minute: a link of our temporary name pattern,
    // or such a name of a file that has another name in the folder, is
    // removed; a file whose only name it is (a copy cut short, or a file
    // someone gave such a name) is never deleted but moved to the trash,
    // and *trashed names it. Returns how many were cleared.
    static int removeStaleTemporaries(const QString &dirPath, QStringList *trashed = nullptr);
    // The hidden temporary names of ours for a link named linkName.
    static bool isTemporaryName(const QString &fileName);

    // Moves the file at path to the desktop's trash the way file managers
    // read it (on Windows, the recycle bin): the trash
    // of the user's data folder where the file is on its file system, else
    // the file system's own top-directory trash. The .trashinfo is claimed
    // first, with O_EXCL, under the first name free in both files/ and info/
    // ("app-1.exe", "app-1 (2).exe", ...); its Path is percent-encoded and
    // its DeletionDate local time. The file is then renamed in, never copied:
    // where it cannot be, nothing is moved and the claim is taken back.
    // *trashedPath tells where it went.
    static bool moveToTrash(const QString &path, QString *trashedPath, FsError &error);
    // The line that marks a .trashinfo as written by us, so that only our
    // own claims are ever cleared.
    static const char TrashInfoMark[];

    // Opens the file at path for appending, creating it, without blocking:
    // anything but a regular file there (a pipe, a folder, a device) is
    // refused at once. *endsInNewline tells whether the file is empty or
    // ends with a line break. Returns a file descriptor for QFile::open, or
    // -1.
    static int openForAppend(const QString &path, bool *endsInNewline, FsError &error);

    // Takes an exclusive lock on the folder or file at path that binds
    // every process taking it too, and leaves nothing on disk; a lock file
    // is made where create is true and nothing stands at path. Fails at once
    // (error.code EWOULDBLOCK or the platform's like) where another process
    // holds it. The handle goes to unlock; the lock also ends with the
    // process.
    static qintptr tryLock(const QString &path, bool create, FsError &error);
    static void unlock(qintptr handle);
    // The lock is held by another process.
    static bool isBusy(const FsError &error);
    // Who holds the lock on the folder at path, for the user ("quillfen,
    // process 1234"), or empty where the system does not tell.
    static QString lockHolder(const QString &path);

private:
    // The n-th name tried for fileName in the trash: the name itself first,
    // cut short where the name and its ".trashinfo" would not fit.
    static QString trashName(const QString &fileName, int n);
    // The .trashinfo's text for a file that stood at path (absolute, or
    // relative to the top directory of the trash's file system).
    static QByteArray trashInfo(const QByteArray &path);
    // Removes the .trashinfo files in trash/info of ours whose file never
    // arrived in trash/files (a move killed half-way), a minute old.
    static void removeOrphanTrashInfo(const QByteArray &trash);
    // What a new link at linkPath stores to lead to target (see createLink).
    static QString linkText(const QString &target, const QString &linkPath);
    // A fresh hidden name beside path, of the pattern isTemporaryName knows.
    static QString temporaryNameFor(const QString &path);
    // Sets a file aside by renaming it and linking its old name to the new:
    // where hard links are not to be had, the name is missing for a moment.
    static bool setAsideByRenaming(const QString &path, const QString &asidePath, FsError &error);
#ifdef Q_OS_UNIX
    static QByteArray makeTemporaryLink(const QString &target, const QString &linkPath,
                                        FsError &error);
#endif
};

#endif // SAFEFS_H
