#ifndef VERSIONLISTING_H
#define VERSIONLISTING_H

#include "versionentry.h"

#include <QFileInfo>
#include <QVector>

// What a target's directory holds, as both the window and the command line
// show it: the files whose names begin with the target's base name and end
// with its suffix (any file where the suffix is empty), newest first; which
// of them is the target (exactly the link's name) and which version the link
// points to.
class VersionListing
{
public:
    VersionListing() = default;
    // A listing of nothing yet for the target named by targetFile.
    explicit VersionListing(const QFileInfo &targetFile);

    // Reads the target's directory as it is now. Changes nothing on disk.
    static VersionListing read(const QFileInfo &targetFile);

    // Orders the entries newest first and finds the target, which is put
    // first; returns where each entry came from (element k is the former
    // index of entry k).
    QVector<int> arrange();

    // Where the link stands: the target entry, or the link's name in the
    // directory when there is none.
    QString linkPath() const;
    QString linkName() const;
    // The entry the target's link points to, or -1.
    bool isCurrent(int index) const;
    int currentIndex() const;
    // A version the link may lead to: a file of its own, not the target and
    // not a link (another channel's link or one someone made is no version,
    // and a link never leads to a link).
    bool isVersion(int index) const;
    // The first entry of that file name, or -1.
    int indexOf(const QString &name) const;
    // The entry that is the file at path (however spelled), or -1.
    int indexOfFile(const QString &path) const;
    bool directoryReadable() const;

    // A name of the target's kind: the base name first, the link's suffix
    // last (without regard to case), so that app.log or app.pdb beside
    // app.exe is none of its files; never a hidden name.
    bool isNamedLike(const QString &name) const;
    // The newest version, or -1.
    int newestVersion() const;

    // The order of a selection sort, newest first, over birth times in
    // milliseconds; known[i] is false where a time is unknown. Element k is
    // the index of the entry that ends up at position k.
    static QVector<int> newestFirstOrder(QVector<qint64> times, QVector<bool> known);

    QString base;
    QString suffix;
    QDir dir;
    QVector<VersionEntry> entries;
    int targetIndex = -1;
    // Entries of the target's kind left out because their names are not in
    // the file system's encoding, so that nothing can act on them.
    int undecodable = 0;
};

#endif // VERSIONLISTING_H
