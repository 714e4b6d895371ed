#include "versionentry.h"
#include "safefs.h"

#include <QDateTime>
#include <QFileInfo>

VersionEntry VersionEntry::read(const QDir &dir, const QString &name)
{
    VersionEntry entry;
    const QFileInfo info(dir, name);
    entry.name = name;
    entry.path = info.absoluteFilePath();
    entry.isFile = info.isFile();
    entry.isLink = info.isSymLink();
    if (entry.isLink) {
        entry.linkTarget = QFileInfo(info.symLinkTarget()).absoluteFilePath();
        entry.linkTargetIsExact = SafeFs::linkTargetIsExact(entry.path);
    }
    // Taken once, as a number: a QDateTime per comparison would cost
    // seconds over thousands of versions.
    const QDateTime born = info.birthTime();
    entry.birthKnown = born.isValid();
    entry.birthMsecs = entry.birthKnown ? born.toMSecsSinceEpoch() : 0;
    return entry;
}
