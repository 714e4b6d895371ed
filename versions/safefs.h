#ifndef SAFEFS_H
#define SAFEFS_H

#include <QString>

// The one place where links are made and replaced and version files renamed.
// None of these ever removes or overwrites anything but a symbolic link, so a
// version file (or whatever another program put there) cannot be lost.
class SafeFs
{
public:
    // Anything at all stands at path, a dangling link included.
    static bool exists(const QString &path);
    // A symbolic link (or a shortcut on Windows) stands at path.
    static bool isSymLink(const QString &path);

    // Makes a link at linkPath pointing to target where nothing stands yet.
    static bool createLink(const QString &target, const QString &linkPath);

    // Points the link at linkPath to target. A link standing there is replaced
    // in one step, so the name always resolves to the old or the new target;
    // where nothing stands a new link is made; anything else that stands there
    // is left alone and the call fails.
    static bool pointLinkTo(const QString &target, const QString &linkPath);

    // Renames from to to, failing rather than replacing anything at to.
    static bool renameNoReplace(const QString &from, const QString &to);
};

#endif // SAFEFS_H
