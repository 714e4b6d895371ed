#ifndef VERSIONACTIONS_H
#define VERSIONACTIONS_H

#include "actionresult.h"
#include "versionlisting.h"

#include <QCoreApplication>

#include <functional>

// The changes a user makes to a target's directory, for the window and the
// command line alike. Each keeps the guarantees of SafeFs (nothing but a
// link of ours is ever replaced; the link's name never goes missing, not
// even when the process is killed), records every change of a link in the
// History, and explains a refusal in the user's language.
class VersionActions
{
    Q_DECLARE_TR_FUNCTIONS(VersionActions)

public:
    // Points the link at linkPath to versionPath.
    static ActionResult pointLink(const QString &linkPath, const QString &versionPath);

    // Sets the plain file at path aside under its dated name (see datedName)
    // and puts a link to it in its place; result.path is the dated name.
    static ActionResult toLink(const QString &path);

    // What a pick does: a version that is gone is not linked; a target that
    // is still a plain file (setAsideFirst) is set aside first.
    static ActionResult pick(const QString &linkPath, const QString &versionPath,
                             bool setAsideFirst);

    // Renames the version at path to newName in the same directory, never
    // replacing anything. For the current version the new name is made first
    // and followLink (which points the link to the new path and says whether
    // it did) is called before the old name goes, so that the link never
    // dangles; when the link cannot follow, the new name goes again and the
    // rename is refused. result.path is the new path.
    static ActionResult rename(const QString &path, const QString &newName, bool isCurrent,
                               const std::function<bool(const QString &)> &followLink);

    // Points the link back to the version it pointed to before its latest
    // recorded change; going back twice returns to where it was.
    static ActionResult goBack(const QString &linkPath);

    // Copies the file at source into the target's directory as a new
    // version, under its first free dated name (see datedName), without ever
    // replacing anything; the link is not changed. A file that already is
    // one of the listed versions is refused. result.path is the new path.
    static ActionResult addVersion(const VersionListing &listing, const QString &source);

    // Moves the listed version of that name to the desktop's trash, never
    // removing it otherwise. Refused for the target itself, for the version
    // the link points to (as it does now, not as listed), for anything that
    // is not a listed version, and for a file that changed since the
    // listing; a file system without a trash refuses and nothing is removed.
    static ActionResult moveToTrash(const VersionListing &listing, const QString &name);

    // The versions a clean-up that keeps the newest keep moves to the trash:
    // all but the newest keep versions, and never the version in use or the
    // target itself. Newest first.
    static QStringList pruneCandidates(const VersionListing &listing, int keep);

    // The first free name of the form base-yyyyMMdd-N.suffix for the file at
    // path, dated today.
    static QString datedName(const QString &path);

    // A name that stays inside its directory and names an entry of its own:
    // not empty, not "." or "..", no separator and no NUL.
    static bool isPlainName(const QString &name);

private:
    static void record(ActionResult *result, const QString &link, const QString &before,
                       const QString &after);
};

#endif // VERSIONACTIONS_H
