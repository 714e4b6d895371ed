#ifndef VERSIONACTIONS_H
#define VERSIONACTIONS_H

#include "actionresult.h"
#include "versionlisting.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <functional>

// The changes a user makes to one target's folder, whole, for the window and
// the command line alike. Each action takes the folder's lock (so that no
// other Quillfen changes the folder meanwhile), clears its stale
// temporaries, reads the folder afresh and checks what it needs under the
// lock, changes the disk, records every change of the link in the History,
// and returns what it came to. Every change keeps the guarantees of SafeFs:
// nothing but a link of ours is ever replaced, and the link's name never
// goes missing, not even when the process is killed.
class VersionActions
{
    Q_DECLARE_TR_FUNCTIONS(VersionActions)

public:
    // The target whose link is targetFile (its name and folder). A dry run
    // plans each action exactly as a real one (the same checks, the same
    // choices) and stops before the first change, taking no lock.
    explicit VersionActions(const QFileInfo &targetFile, bool dryRun = false);

    // Points the link to the version named (a file name in the folder, or
    // its absolute path). A target that is still a plain file is set aside
    // first where setAsidePlainTarget is true, and refused otherwise.
    ActionResult pick(const QString &version, bool setAsidePlainTarget = true);

    // Sets the plain file at the target's name aside under its dated name
    // (see datedName) and puts a link to it in its place; result.path is the
    // dated name.
    ActionResult toLink();

    // Renames a version, never replacing anything. For the version in use
    // the new name is made first and the link follows it before the old name
    // goes, so that the link never dangles; where the link cannot follow,
    // the version keeps its old name and the rename is refused. result.path
    // is the new path.
    // A new name that would not be one of the target's versions (see
    // VersionListing::isNamedLike) is refused as LeavesList unless mayLeave.
    ActionResult rename(const QString &version, const QString &newName, bool mayLeave = false);

    // Points the link back to the version it led to before its latest
    // recorded change, where that is one of the target's versions now;
    // going back twice returns to where it was.
    ActionResult goBack();

    // Copies the file at source in as a new version, never replacing
    // anything; the link is not changed. A file named as one of the
    // target's versions (the base name first, the link's suffix last, not
    // the link's own name) keeps its name where it is free; any other gets
    // the first free dated name. A file
    // whose content already is one of the versions (same size and SHA-256)
    // is not added: AlreadyDone, with that version in existing.
    // Where use is true, the link is then pointed to the version added (or
    // to the one that already was that content), in the same action.
    ActionResult add(const QString &source, bool use = false);

    // Moves the versions of those names to the desktop's trash. The version
    // the link leads to at that moment, the target and anything that is no
    // version stay. Where seen is given, a version that changed since that
    // listing stays too. One result for all: trashed names what was moved,
    // message what was not and why.
    ActionResult moveToTrash(const QStringList &names, const VersionListing *seen = nullptr);

    // Moves all but the newest keep versions to the trash (see
    // pruneCandidates), choosing them under the lock.
    ActionResult cleanUp(int keep);

    // Where the target's name holds no link to a version (nothing, or a link
    // whose version is gone), links it to the newest version.
    ActionResult linkNewest();

    // Hears how far a copy has come (done of total bytes; done is 0 while
    // another Quillfen holds the folder); false cancels the action, which
    // then changes nothing.
    void setProgress(const std::function<bool(qint64 done, qint64 total)> &report)
    {
        progress = report;
    }
    // How long an action waits for another Quillfen's lock before it is
    // refused as Busy; 0 refuses at once, so that a window can wait without
    // blocking. The default is for new objects of every thread.
    void setLockWait(int msecs) { lockWait = msecs; }
    static void setDefaultLockWait(int msecs);

    // The versions a clean-up that keeps the newest keep moves to the trash:
    // all but the newest keep versions, never the target itself, another
    // link or a version keptVersions names. Newest first.
    static QStringList pruneCandidates(const VersionListing &listing, int keep,
                                       const QString &previousPath = QString());
    // The versions a clean-up always keeps, newest first, each with the
    // reason for the user: the version in use, the one Back returns to (at
    // previousPath), and one the link reaches through another link.
    static QVector<QPair<QString, QString>> keptVersions(const VersionListing &listing,
                                                         const QString &previousPath);
    // The entry of listing that going back would point the link of
    // targetFile to, or -1 with the reason in *refusal: the one question
    // that both Back's offer and Back itself ask.
    static int backIndex(const QFileInfo &targetFile, const VersionListing &listing,
                         ActionResult *refusal);
    // Where Back would point the link of targetFile: the version before its
    // latest recorded change, or empty.
    static QString previousVersion(const QFileInfo &targetFile);

    // The first free name of the form base-yyyyMMdd-N.suffix for the file at
    // path, dated today; empty where such a name would be too long.
    static QString datedName(const QString &path);

    // A name that stays inside its directory and names an entry of its own:
    // not empty, not "." or "..", no separator and no NUL.
    static bool isPlainName(const QString &name);

private:
    // Runs action on a fresh listing under the folder's lock, after its
    // stale temporaries are cleared.
    ActionResult locked(const std::function<ActionResult(const VersionListing &)> &action) const;
    // Fills in what the action left to the folder's state; marks a dry run.
    ActionResult finished(ActionResult result, const VersionListing &listing) const;
    // The version's index in the listing, or -1 with the refusal in *refusal.
    int versionIndex(const VersionListing &listing, const QString &version,
                     ActionResult *refusal) const;
    ActionResult pointLink(const VersionListing &listing, const QString &versionPath) const;
    ActionResult setAside(const VersionListing &listing) const;
    // The checks and naming of add, on the listing read under the lock: the
    // copy at *temporary (made now where it is empty) gets its name and
    // *temporary is cleared; *sourceHash is the source's, where known.
    ActionResult addIn(const VersionListing &listing, const QString &source, QString *temporary,
                       QByteArray *sourceHash) const;
    ActionResult trashAll(const VersionListing &listing, const QStringList &names,
                          const VersionListing *seen) const;
    ActionResult trashOne(const VersionListing &listing, const QString &name,
                          const VersionListing *seen) const;
    void record(ActionResult *result, const QString &before, const QString &after) const;
    // Finishes or undoes what a killed action left under two names (a set
    // aside or a rename of the version in use), so that each content keeps
    // one version name; what it did, for the user, or empty.
    QString finishInterrupted(const VersionListing &listing) const;
    // The listing's own path of the file at path (however spelled), else
    // path as it is.
    static QString listedPath(const VersionListing &listing, const QString &path);

    // The version whose content is that of the file at source, or -1. The
    // source is hashed only where a version has its size; *knownHash holds
    // its hash, computed once.
    static int sameContent(const VersionListing &listing, const QString &source,
                           QByteArray *knownHash);

    QFileInfo target;
    bool dryRun;
    int lockWait;
    std::function<bool(qint64 done, qint64 total)> progress;
};

#endif // VERSIONACTIONS_H
