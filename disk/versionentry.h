#ifndef VERSIONENTRY_H
#define VERSIONENTRY_H

#include <QByteArray>
#include <QDir>
#include <QString>

// One entry of a target's directory as it was when it was read: what it is,
// where it points if it is a link, and when it was born.
class VersionEntry
{
public:
    static VersionEntry read(const QDir &dir, const QString &name);
    // A size for people, in their language: "512 bytes", "1.50 GiB".
    static QString sizeText(qint64 bytes);

    // The same name, the same file, the same kind and the same link target:
    // a row showing one shows the other.
    bool sameAs(const VersionEntry &other) const;

    QString name;
    QString path; // absolute
    bool isFile = false; // a regular file, or a link to one
    bool isLink = false;
    QString linkTarget; // absolute, where a link points
    // The link's stored target decodes exactly, so comparing linkTarget as
    // text compares the file itself.
    bool linkTargetIsExact = false;
    QByteArray identity; // SafeFs::EntryStat::identity
    // For a link: the file its text names and the file it finally reaches
    // (SafeFs::EntryStat), so that a link written through another spelling
    // of the folder is known to lead to the version it names.
    QByteArray namedIdentity;
    QByteArray reachedIdentity;
    qint64 links = 1; // names of the file
    bool birthKnown = false;
    qint64 birthMsecs = 0;
    qint64 size = 0; // of what a link leads to, for a link
};

#endif // VERSIONENTRY_H
