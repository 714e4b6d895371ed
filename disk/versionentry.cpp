#include "versionentry.h"
#include "safefs.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>

VersionEntry VersionEntry::read(const QDir &dir, const QString &name)
{
    VersionEntry entry;
    entry.name = name;
    const QString dirPath = dir.absolutePath();
    entry.path
        = dirPath.endsWith(QLatin1Char('/')) ? dirPath + name : dirPath + QLatin1Char('/') + name;
    const SafeFs::EntryStat stat = SafeFs::statEntry(entry.path);
    entry.isFile = stat.isFile;
    entry.isLink = stat.isLink;
    entry.identity = stat.identity;
    entry.namedIdentity = stat.namedIdentity;
    entry.reachedIdentity = stat.reachedIdentity;
    entry.links = stat.links;
    entry.birthKnown = stat.birthKnown;
    entry.birthMsecs = stat.birthMsecs;
    entry.size = stat.size;
    if (entry.isLink) {
        entry.linkTarget = QFileInfo(QFileInfo(entry.path).symLinkTarget()).absoluteFilePath();
        entry.linkTargetIsExact = SafeFs::linkTargetIsExact(entry.path);
    }
    return entry;
}

bool VersionEntry::sameAs(const VersionEntry &other) const
{
    return name == other.name && path == other.path && identity == other.identity
        && namedIdentity == other.namedIdentity && isFile == other.isFile && isLink == other.isLink
        && linkTarget == other.linkTarget && linkTargetIsExact == other.linkTargetIsExact
        && birthKnown == other.birthKnown && birthMsecs == other.birthMsecs;
}

QString VersionEntry::sizeText(qint64 bytes)
{
    // Qt's own catalogue leaves "bytes" in English; the units above it are
    // symbols (KiB, MiB) that read the same in every language.
    return bytes < 1024
        ? QCoreApplication::translate("VersionEntry", "%1 bytes").arg(QLocale().toString(bytes))
        : QLocale().formattedDataSize(bytes);
}
