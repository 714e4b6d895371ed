#include "versionactions.h"
#include "history.h"
#include "pathlock.h"
#include "safefs.h"

#include <QCryptographicHash>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>
#include <atomic>

static QString fileNameOf(const QString &path)
{
    return path.isEmpty() ? QString() : QFileInfo(path).fileName();
}

static std::atomic<int> defaultLockWait {PathLock::DefaultWaitMsecs};

VersionActions::VersionActions(const QFileInfo &targetFile, bool dryRun)
    : target(targetFile)
    , dryRun(dryRun)
    , lockWait(defaultLockWait)
{
}

void VersionActions::setDefaultLockWait(int msecs)
{
    defaultLockWait = msecs;
}

ActionResult
VersionActions::locked(const std::function<ActionResult(const VersionListing &)> &action) const
{
    const QString folder = target.absolutePath();
    // A dry run changes nothing, so it needs the lock no more than a listing.
    if (dryRun) {
        const VersionListing listing = VersionListing::read(target);
        return finished(action(listing), listing);
    }
    const PathLock lock(folder, false, lockWait, [this] { return !progress || progress(0, 0); });
    if (lock.stopped())
        return ActionResult::refused(tr("Cancelled: nothing was changed"));
    if (!lock.isLocked()) {
        if (lock.timedOut())
            return ActionResult::refused(
                tr("Another Quillfen process is changing %1 and did not finish within %2 "
                   "seconds; nothing was changed. Try again.")
                    .arg(folder, QString::number(lockWait / 1000)),
                ActionResult::Busy);
        return ActionResult::refused(
            tr("Could not lock %1: %2; nothing was changed").arg(folder, lock.error().text));
    }
    // Under the lock no other Quillfen is half-way through an action here:
    // what a killed one left is cleared, and its step finished or undone.
    QStringList swept;
    SafeFs::removeStaleTemporaries(folder, &swept);
    QStringList notes;
    if (!swept.isEmpty())
        notes << tr("%1 in %2 had a name of Quillfen's temporaries and no other name: moved to "
                    "the trash")
                     .arg(swept.join(QLatin1String(", ")), folder);
    VersionListing listing = VersionListing::read(target);
    const QString recovered = finishInterrupted(listing);
    if (!recovered.isEmpty()) {
        notes << recovered;
        listing = VersionListing::read(target);
    }
    ActionResult result = finished(action(listing), listing);
    if (!notes.isEmpty()) {
        if (!result.warning.isEmpty())
            notes << result.warning;
        result.warning = notes.join(QLatin1String("; "));
        result.changed = true;
    }
    return result;
}

QString VersionActions::finishInterrupted(const VersionListing &listing) const
{
    if (listing.targetIndex < 0)
        return QString();
    const VersionEntry &link = listing.entries.at(listing.targetIndex);
    FsError error;
    if (!link.isLink && link.links > 1) {
        // A plain target and its dated name as one file: a set aside was cut
        // short after its first step, and is finished.
        const QRegularExpression dated(QRegularExpression::anchoredPattern(
            QRegularExpression::escape(listing.base) + QStringLiteral("-[0-9]{8}-[0-9]+")
            + (listing.suffix.isEmpty()
                   ? QString()
                   : QRegularExpression::escape(QLatin1Char('.') + listing.suffix))));
        for (int i = 0; i < listing.entries.size(); ++i) {
            const VersionEntry &entry = listing.entries.at(i);
            if (!listing.isVersion(i) || entry.identity != link.identity
                || !dated.match(entry.name).hasMatch())
                continue;
            if (!SafeFs::linkInPlaceOf(link.path, entry.path, error))
                return tr("%1 and %2 are one file, left so by an interrupted Quillfen; it could "
                          "not be made a link: %3")
                    .arg(link.name, entry.name, error.text);
            ActionResult made;
            record(&made, QString(), entry.path);
            return tr("%1 was being set aside as %2 when a Quillfen was interrupted: it is a link "
                      "to %2 now")
                .arg(link.name, entry.name);
        }
        return QString();
    }
    // The version in use under two names: a rename was cut short. The name
    // the link names stays, the other goes.
    const int current = listing.currentIndex();
    if (current < 0 || listing.entries.at(current).links < 2)
        return QString();
    const QString named = QFileInfo(SafeFs::linkTarget(link.path)).fileName();
    int kept = -1;
    QStringList others;
    for (int i = 0; i < listing.entries.size(); ++i) {
        if (!listing.isCurrent(i) || !listing.isVersion(i))
            continue;
        if (listing.entries.at(i).name == named)
            kept = i;
        else
            others << listing.entries.at(i).path;
    }
    if (kept < 0 || others.isEmpty())
        return QString();
    QStringList removed;
    for (const QString &other : qAsConst(others)) {
        if (SafeFs::removeNameIfSame(other, listing.entries.at(kept).path, error))
            removed << fileNameOf(other);
    }
    if (removed.isEmpty())
        return QString();
    return tr("%1 was the second name of %2, left by a rename that a Quillfen did not finish: "
              "removed, the version keeps the name %2")
        .arg(removed.join(QLatin1String(", ")), listing.entries.at(kept).name);
}

// Where the action did not move the link, it leads where it led.
ActionResult VersionActions::finished(ActionResult result, const VersionListing &listing) const
{
    if (result.before.isEmpty() && result.after.isEmpty())
        result.before = result.after = fileNameOf(SafeFs::linkTarget(listing.linkPath()));
    result.dryRun = dryRun;
    return result;
}

void VersionActions::record(ActionResult *result, const QString &before, const QString &after) const
{
    QString error;
    if (!History::append(target.absoluteFilePath(), before, after, &error))
        result->warning = tr("The change was made, but the history %1 could not be written: %2")
                              .arg(History::filePath(), error);
}

int VersionActions::versionIndex(const VersionListing &listing, const QString &version,
                                 ActionResult *refusal) const
{
    const QFileInfo named(listing.dir, version);
    QString name = named.fileName();
    const QString linkName = listing.linkName();
    const auto refuse = [&](const QString &message) {
        *refusal = ActionResult::refused(message, ActionResult::NotAVersion);
        return -1;
    };
    const bool sameFolder = named.absolutePath() == listing.dir.absolutePath()
        || SafeFs::identityOf(named.absolutePath(), true)
            == SafeFs::identityOf(listing.dir.absolutePath(), true);
    if (!sameFolder || !isPlainName(name))
        return refuse(tr("%1 is not a version of %2: it is not in %3")
                          .arg(version, linkName, listing.dir.absolutePath()));
    // The folder spelled another way: the entry that is the file.
    if (named.absolutePath() != listing.dir.absolutePath()
        && listing.indexOfFile(named.absoluteFilePath()) >= 0)
        name = listing.entries.at(listing.indexOfFile(named.absoluteFilePath())).name;
    const int index = listing.indexOf(name);
    if (index < 0 && !SafeFs::exists(named.absoluteFilePath()))
        return refuse(tr("%1 is not a version of %2: there is no such file now (another program "
                         "may have removed or renamed it)")
                          .arg(name, linkName));
    if (index >= 0 && index != listing.targetIndex && listing.entries.at(index).isLink)
        return refuse(tr("%1 is not a version of %2: it is a link to %3")
                          .arg(name, linkName, listing.entries.at(index).linkTarget));
    if (!listing.isVersion(index))
        return refuse(tr("%1 is not a version of %2").arg(name, linkName));
    return index;
}

ActionResult VersionActions::pointLink(const VersionListing &listing,
                                       const QString &versionPath) const
{
    const QString linkPath = listing.linkPath();
    const QString before = listedPath(listing, SafeFs::linkTarget(linkPath));
    ActionResult result;
    result.before = fileNameOf(before);
    result.after = fileNameOf(versionPath);
    // The version in use picked again, however the link spells its folder:
    // nothing to change, nothing to record. (A second name of the same file
    // is another version's name, as while a rename is under way.)
    const SafeFs::EntryStat link = SafeFs::statEntry(linkPath);
    if (link.isLink && !link.namedIdentity.isEmpty()
        && link.namedIdentity == SafeFs::identityOf(versionPath, false)
        && fileNameOf(SafeFs::linkTarget(linkPath)) == result.after)
        return result;
    result.changed = true;
    if (dryRun)
        return result;
    FsError error;
    if (!SafeFs::pointLinkTo(versionPath, linkPath, error))
        return ActionResult::refused(
            tr("Could not point %1 to %2: %3").arg(fileNameOf(linkPath), result.after, error.text));
    record(&result, before, versionPath);
    return result;
}

QString VersionActions::listedPath(const VersionListing &listing, const QString &path)
{
    const int index = path.isEmpty() ? -1 : listing.indexOfFile(path);
    return index >= 0 ? listing.entries.at(index).path : path;
}

QString VersionActions::datedName(const QString &path)
{
    const QFileInfo info(path);
    const QString stem
        = info.completeBaseName() + QDate::currentDate().toString(QStringLiteral("-yyyyMMdd"));
    const QString suffix = info.suffix();
    const QDir dir = info.dir();
    // All parts are substituted in one pass, so a "%1" in the file's own
    // name is kept as it is.
    for (qint64 n = 1;; ++n) {
        const QString candidate = suffix.isEmpty()
            ? QStringLiteral("%1-%2").arg(stem, QString::number(n))
            : QStringLiteral("%1-%2.%3").arg(stem, QString::number(n), suffix);
        // A name too long for the folder would only fail later.
        if (SafeFs::fittingName(candidate, 0) != candidate)
            return QString();
        if (!SafeFs::exists(dir.absoluteFilePath(candidate)))
            return candidate;
    }
}

ActionResult VersionActions::setAside(const VersionListing &listing) const
{
    const QString path = listing.linkPath();
    // Only a plain file is set aside: should another program have made the
    // link meanwhile, setting it aside would leave a link to a link.
    if (!SafeFs::isRegularFile(path))
        return ActionResult::refused(
            tr("%1 is no longer a plain file; nothing was changed").arg(fileNameOf(path)));
    const QString asideName = datedName(path);
    if (asideName.isEmpty())
        return ActionResult::refused(tr("%1 cannot be set aside: its name with a date would be "
                                        "longer than a file name may be; nothing was changed")
                                         .arg(fileNameOf(path)));
    const QString aside = listing.dir.absoluteFilePath(asideName);
    ActionResult result;
    result.changed = true;
    result.path = aside;
    result.after = result.setAside = fileNameOf(aside);
    if (dryRun)
        return result;
    FsError error;
    if (!SafeFs::setAsideAsLink(path, aside, error))
        return ActionResult::refused(
            tr("Could not make %1 a link: %2").arg(fileNameOf(path), error.text));
    record(&result, QString(), aside);
    return result;
}

ActionResult VersionActions::toLink()
{
    return locked([this](const VersionListing &listing) {
        if (listing.targetIndex >= 0 && listing.entries.at(listing.targetIndex).isLink)
            return ActionResult::refused(
                tr("%1 is a link already; nothing was changed").arg(listing.linkName()),
                ActionResult::AlreadyDone);
        return setAside(listing);
    });
}

ActionResult VersionActions::pick(const QString &version, bool setAsidePlainTarget)
{
    return locked([&](const VersionListing &listing) {
        ActionResult refusal;
        const int index = versionIndex(listing, version, &refusal);
        if (index < 0)
            return refusal;
        const QString versionPath = listing.entries.at(index).path;
        if (listing.targetIndex < 0 || listing.entries.at(listing.targetIndex).isLink)
            return pointLink(listing, versionPath);
        if (!setAsidePlainTarget)
            return ActionResult::refused(
                tr("%1 is no longer a link; nothing was changed").arg(listing.linkName()));
        // The plain file at the target's name becomes a version first.
        const ActionResult aside = setAside(listing);
        if (!aside.ok)
            return aside;
        ActionResult result = pointLink(listing, versionPath);
        // Set aside whether or not the link could then be re-pointed: that
        // change stands and is told.
        result.changed = true;
        result.path = aside.path;
        result.setAside = aside.setAside;
        if (!result.ok)
            result.before = result.after = aside.setAside;
        if (result.warning.isEmpty())
            result.warning = aside.warning;
        return result;
    });
}

bool VersionActions::isPlainName(const QString &name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    if (name.contains(QLatin1Char('/')) || name.contains(QChar(0)))
        return false;
#ifdef Q_OS_WIN
    if (name.contains(QLatin1Char('\\')) || name.contains(QLatin1Char(':')))
        return false;
#endif
    return true;
}

ActionResult VersionActions::rename(const QString &version, const QString &newName, bool mayLeave)
{
    return locked([&](const VersionListing &listing) {
        ActionResult refusal;
        const int index = versionIndex(listing, version, &refusal);
        if (index < 0)
            return refusal;
        const QString path = listing.entries.at(index).path;
        const QString oldName = fileNameOf(path);
        const auto refused = [&](const QString &reason) {
            return ActionResult::refused(
                tr("Could not rename %1 to %2: %3").arg(oldName, newName, reason));
        };
        // A name that would leave the directory, or name the directory
        // itself, is refused like a taken one; a dangling link is an entry
        // too and is never replaced.
        if (!isPlainName(newName))
            return refused(tr("a name cannot be empty, \".\" or \"..\", or contain \"/\""));
        // Such a name would be cleared away as a leftover of ours.
        if (SafeFs::isTemporaryName(newName))
            return ActionResult::refused(
                tr("Could not rename %1 to %2: names of this form belong to Quillfen's own "
                   "temporary files")
                    .arg(oldName, newName),
                ActionResult::BadName);
        const QString newPath = listing.dir.absoluteFilePath(newName);
        if (SafeFs::exists(newPath))
            return refused(tr("the name is taken"));
        if (!mayLeave && !listing.isNamedLike(newName))
            return ActionResult::refused(
                tr("Renaming %1 to %2 takes it out of the list of %3's versions, which begin "
                   "with %4%5")
                    .arg(oldName, newName, listing.linkName(), listing.base,
                         listing.suffix.isEmpty() ? QString()
                                                  : tr(" and end with .%1").arg(listing.suffix)),
                ActionResult::LeavesList);
        ActionResult result;
        result.changed = true;
        result.path = newPath;
        result.renamedFrom = oldName;
        const bool current = listing.isCurrent(index);
        if (current)
            result.before = oldName;
        if (current)
            result.after = newName;
        if (dryRun)
            return result;
        FsError error;
        if (!current) {
            if (!SafeFs::renameNoReplace(path, newPath, error))
                return refused(error.text);
            return result;
        }
        // The version in use gets its new name as a second name first, the
        // link follows it, and only then the old name goes: the link never
        // dangles, not even when the process dies in between.
        bool unsupported = false;
        const bool secondName = SafeFs::addName(path, newPath, &unsupported, error);
        if (!secondName && !unsupported)
            return refused(error.text);
        // Without hard links the file is renamed, and renamed back should the
        // link not follow: the link dangles only for that moment.
        if (!secondName && !SafeFs::renameNoReplace(path, newPath, error))
            return refused(error.text);
        ActionResult followed = pointLink(listing, newPath);
        FsError undo;
        if (!followed.ok) {
            const bool restored = secondName ? SafeFs::removeNameIfSame(newPath, path, undo)
                                             : SafeFs::renameNoReplace(newPath, path, undo);
            QString reason = tr("the link could not follow the new name, so the version keeps "
                                "its old one (%1)")
                                 .arg(followed.message);
            if (!restored && !secondName)
                reason = tr("the link could not follow the new name (%1), and the version could "
                            "not get its old name back (%2): %3 leads nowhere until it is "
                            "pointed to %4")
                             .arg(followed.message, undo.text, listing.linkName(), newName);
            return refused(reason);
        }
        if (secondName)
            SafeFs::removeNameIfSame(path, newPath, undo);
        followed.path = newPath;
        followed.renamedFrom = oldName;
        followed.changed = true;
        return followed;
    });
}

int VersionActions::backIndex(const QFileInfo &targetFile, const VersionListing &listing,
                              ActionResult *refusal)
{
    const QString link = targetFile.absoluteFilePath();
    const auto refuse = [refusal](const QString &message) {
        *refusal = ActionResult::refused(message);
        return -1;
    };
    bool readable = true;
    QString error;
    const History::Record latest = History::latestFor(link, &readable, &error);
    if (!readable)
        return refuse(tr("Could not read the history %1: %2").arg(History::filePath(), error));
    if (latest.link.isEmpty() || latest.before.isEmpty())
        return refuse(tr("No earlier version of %1 is recorded: there is nothing to go back to")
                          .arg(fileNameOf(link)));
    if (!SafeFs::exists(latest.before))
        return refuse(tr("%1, the version before the latest change of %2, is gone")
                          .arg(QFileInfo(latest.before).fileName(), fileNameOf(link)));
    // The history is only a text file: it names no more than a version of
    // this target as it stands now.
    const int index = listing.indexOfFile(latest.before);
    if (!listing.isVersion(index))
        return refuse(tr("The history names %1 as the version before the latest change of %2, "
                         "but it is not a version of %2 now; nothing was changed")
                          .arg(latest.before, fileNameOf(link)));
    return index;
}

ActionResult VersionActions::goBack()
{
    return locked([this](const VersionListing &listing) {
        ActionResult refusal;
        const int index = backIndex(target, listing, &refusal);
        return index < 0 ? refusal : pointLink(listing, listing.entries.at(index).path);
    });
}

ActionResult VersionActions::add(const QString &source, bool use)
{
    // The build in use at once: one action, so that a dry run plans both.
    const auto used = [&](const VersionListing &listing, ActionResult added) {
        if (!use || (!added.ok && added.refusal != ActionResult::AlreadyDone))
            return added;
        const QString path = added.ok ? added.path : listing.dir.absoluteFilePath(added.existing);
        ActionResult pointed = pointLink(listing, path);
        pointed.changed = pointed.changed || added.ok;
        pointed.path = added.ok ? added.path : QString();
        pointed.added = added.added;
        pointed.existing = added.existing;
        if (pointed.ok && pointed.warning.isEmpty())
            pointed.warning = added.warning;
        return pointed;
    };
    const QFileInfo file(source);
    const QString shown = file.fileName().isEmpty() ? source : file.fileName();
    if (!file.exists())
        return ActionResult::refused(
            tr("Could not add %1: %2").arg(shown, tr("there is no such file")));
    if (!file.isFile())
        return ActionResult::refused(tr("Could not add %1: %2").arg(shown, tr("it is not a file")));
    // The slow part without the lock, so that another Quillfen's change of
    // the folder is done meanwhile: the look for the same content and the
    // copy into a hidden temporary, which no version's name is.
    QByteArray sourceHash;
    QString temporary;
    if (!dryRun && sameContent(VersionListing::read(target), source, &sourceHash) < 0) {
        const qint64 total = file.size();
        FsError error;
        bool cancelled = false;
        const auto copied = [&](qint64 done) { return !progress || progress(done, total); };
        if (!SafeFs::copyToTemporary(source, target.absoluteFilePath(), &temporary, error, copied,
                                     &cancelled))
            return ActionResult::refused(cancelled
                                             ? tr("Cancelled: %1 was not added").arg(shown)
                                             : tr("Could not add %1: %2").arg(shown, error.text));
    }
    // Under the lock only the checks and the naming.
    ActionResult result = locked([&](const VersionListing &listing) {
        return used(listing, addIn(listing, source, &temporary, &sourceHash));
    });
    if (!temporary.isEmpty())
        SafeFs::discardTemporary(temporary);
    return result;
}

ActionResult VersionActions::addIn(const VersionListing &listing, const QString &source,
                                   QString *temporary, QByteArray *sourceHash) const
{
    {
        const QFileInfo file(source);
        const QString shown = file.fileName().isEmpty() ? source : file.fileName();
        // The same build brought in again, under any path or name, is there
        // already: a deployment run twice adds it once.
        const int same = sameContent(listing, source, sourceHash);
        if (same >= 0) {
            const QString existing = listing.entries.at(same).name;
            ActionResult result = ActionResult::refused(
                tr("%1 is already a version of %2, as %3").arg(shown, listing.linkName(), existing),
                ActionResult::AlreadyDone);
            result.existing = existing;
            return result;
        }
        const QString namedLike = listing.dir.absoluteFilePath(listing.linkName());
        // A build named as a version of this target keeps the name it is
        // known by (Tool-2.1.exe); any other gets a dated one.
        const QString ownName = file.fileName();
        const bool keepsName = listing.isNamedLike(ownName) && ownName != listing.linkName()
            && isPlainName(ownName) && !SafeFs::isTemporaryName(ownName)
            && !SafeFs::exists(listing.dir.absoluteFilePath(ownName));
        if (!keepsName && datedName(namedLike).isEmpty())
            return ActionResult::refused(
                tr("Could not add %1: a dated name for %2 would be longer than a file name may "
                   "be")
                    .arg(shown, listing.linkName()));
        const auto nameFor = [&](int attempt) {
            return listing.dir.absoluteFilePath(keepsName && attempt == 0 ? ownName
                                                                          : datedName(namedLike));
        };
        ActionResult result;
        result.changed = true;
        if (dryRun) {
            result.path = nameFor(0);
            result.added = fileNameOf(result.path);
            return result;
        }
        FsError error;
        // Found to be a copy of a version before, and that one gone since:
        // copied now.
        bool cancelled = false;
        const auto copied = [&](qint64 done) { return !progress || progress(done, file.size()); };
        if (temporary->isEmpty()
            && !SafeFs::copyToTemporary(source, listing.linkPath(), temporary, error, copied,
                                        &cancelled))
            return ActionResult::refused(cancelled
                                             ? tr("Cancelled: %1 was not added").arg(shown)
                                             : tr("Could not add %1: %2").arg(shown, error.text));
        // A program that does not take the lock may take the free name
        // meanwhile: the next one is tried.
        for (int attempt = 0; attempt < 100; ++attempt) {
            const QString destination = nameFor(attempt);
            bool taken = false;
            if (SafeFs::publishTemporary(*temporary, destination, &taken, error)) {
                temporary->clear();
                result.path = destination;
                result.added = fileNameOf(destination);
                return result;
            }
            if (!taken)
                break;
        }
        return ActionResult::refused(tr("Could not add %1: %2").arg(shown, error.text));
    }
}

// Same size first, so that only a likely twin costs reading. The versions
// come first, so that a copy of the version in use is named as that version,
// then a plain file at the link's name.
int VersionActions::sameContent(const VersionListing &listing, const QString &source,
                                QByteArray *knownHash)
{
    const qint64 size = QFileInfo(source).size();
    QByteArray &sourceHash = *knownHash;
    const auto hashOf = [](const QString &path) {
        QFile file(path);
        QCryptographicHash hash(QCryptographicHash::Sha256);
        if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
            return QByteArray();
        return hash.result();
    };
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < listing.entries.size(); ++i) {
            const VersionEntry &entry = listing.entries.at(i);
            const bool wanted = pass == 0
                ? listing.isVersion(i)
                : i == listing.targetIndex && entry.isFile && !entry.isLink;
            if (!wanted || entry.size != size)
                continue;
            if (SafeFs::leadToSameFile(entry.path, source))
                return i;
            if (sourceHash.isEmpty())
                sourceHash = hashOf(source);
            if (!sourceHash.isEmpty() && hashOf(entry.path) == sourceHash)
                return i;
        }
    }
    return -1;
}

QString VersionActions::previousVersion(const QFileInfo &targetFile)
{
    bool readable = true;
    QString error;
    return History::latestFor(targetFile.absoluteFilePath(), &readable, &error).before;
}

QVector<QPair<QString, QString>> VersionActions::keptVersions(const VersionListing &listing,
                                                              const QString &previousPath)
{
    // What the link finally leads to, through however many links.
    const QString linkPath = listing.linkPath();
    const SafeFs::EntryStat link = SafeFs::statEntry(linkPath);
    const QByteArray reached = link.isLink ? link.reachedIdentity : QByteArray();
    const QByteArray previous = SafeFs::identityOf(previousPath, false);
    QVector<QPair<QString, QString>> kept;
    for (int i = 0; i < listing.entries.size(); ++i) {
        if (!listing.isVersion(i))
            continue;
        const VersionEntry &entry = listing.entries.at(i);
        QString why;
        if (listing.isCurrent(i))
            why = tr("it is the version in use");
        else if (!reached.isEmpty() && entry.identity == reached)
            why = tr("the link reaches it through %1")
                      .arg(QFileInfo(SafeFs::linkTarget(linkPath)).fileName());
        else if (!previous.isEmpty() && entry.identity == previous)
            why = tr("Back to Previous Version returns to it");
        if (!why.isEmpty())
            kept.append({entry.name, why});
    }
    return kept;
}

QStringList VersionActions::pruneCandidates(const VersionListing &listing, int keep,
                                            const QString &previousPath)
{
    QStringList kept;
    for (const auto &version : keptVersions(listing, previousPath))
        kept << version.first;
    QStringList names;
    int versions = 0;
    for (int i = 0; i < listing.entries.size(); ++i) {
        if (!listing.isVersion(i))
            continue;
        if (++versions <= keep || kept.contains(listing.entries.at(i).name))
            continue;
        names << listing.entries.at(i).name;
    }
    return names;
}

ActionResult VersionActions::trashAll(const VersionListing &listing, const QStringList &names,
                                      const VersionListing *seen) const
{
    ActionResult all;
    QStringList problems;
    bool onlyDone = true; // every refusal says that nothing was there to move
    for (const QString &name : names) {
        const ActionResult one = trashOne(listing, name, seen);
        if (one.ok) {
            all.changed = true;
            all.trashed << one.trashed;
            all.path = one.path;
        } else {
            problems << one.message;
            onlyDone = onlyDone && one.refusal == ActionResult::AlreadyDone;
        }
    }
    // Where some were moved, the result says so beside what was not.
    if (!problems.isEmpty()) {
        all.ok = false;
        all.refusal = onlyDone ? ActionResult::AlreadyDone : ActionResult::Refused;
        all.message = problems.join(QLatin1Char('\n'));
        all.problems = problems;
    }
    return all;
}

ActionResult VersionActions::moveToTrash(const QStringList &names, const VersionListing *seen)
{
    // Every keep rule applies under the lock, to the folder as it is then,
    // whoever chose the names and when.
    return locked([&](const VersionListing &listing) {
        const auto kept = keptVersions(listing, previousVersion(target));
        QStringList allowed;
        ActionResult keptBack;
        for (const QString &name : names) {
            const auto rule = std::find_if(
                kept.cbegin(), kept.cend(),
                [&](const QPair<QString, QString> &version) { return version.first == name; });
            if (rule == kept.cend()) {
                allowed << name;
                continue;
            }
            keptBack.kept.append(*rule);
            keptBack.problems << tr("%1 stays: %2").arg(name, rule->second);
        }
        ActionResult result = trashAll(listing, allowed, seen);
        result.kept = keptBack.kept;
        if (!keptBack.problems.isEmpty()) {
            result.problems = keptBack.problems + result.problems;
            result.message = result.problems.join(QLatin1Char('\n'));
            result.ok = false;
            result.refusal = ActionResult::Refused;
        }
        return result;
    });
}

ActionResult VersionActions::cleanUp(int keep)
{
    // Chosen under the lock, from the folder as it is then.
    return locked([&](const VersionListing &listing) {
        const QString previous = previousVersion(target);
        ActionResult result = trashAll(listing, pruneCandidates(listing, keep, previous), nullptr);
        result.kept = keptVersions(listing, previous);
        return result;
    });
}

ActionResult VersionActions::linkNewest()
{
    return locked([this](const VersionListing &listing) {
        const int newest = listing.newestVersion();
        const QString linkPath = listing.linkPath();
        // Whatever but a link stands at the name and is not listed (a
        // hidden file, a pipe, a folder) stays, and no link is wanted.
        if (listing.targetIndex >= 0 || newest < 0
            || (SafeFs::exists(linkPath) && !SafeFs::isSymLink(linkPath)))
            return ActionResult();
        return pointLink(listing, listing.entries.at(newest).path);
    });
}

ActionResult VersionActions::trashOne(const VersionListing &listing, const QString &name,
                                      const VersionListing *seen) const
{
    const int index = listing.indexOf(name);
    const int seenIndex = seen ? seen->indexOf(name) : -1;
    if (index < 0 && seenIndex >= 0)
        return ActionResult::refused(
            tr("%1 changed since the listing; nothing was moved").arg(name));
    if (index < 0 && isPlainName(name) && !SafeFs::exists(listing.dir.absoluteFilePath(name)))
        return ActionResult::refused(
            tr("There is no %1 in %2: nothing to move").arg(name, listing.dir.absolutePath()),
            ActionResult::AlreadyDone);
    if (!listing.isVersion(index))
        return ActionResult::refused(
            tr("%1 is not a version of %2; nothing was moved").arg(name, listing.linkName()));
    const VersionEntry &entry = listing.entries.at(index);
    // Where the link points now, whoever changed it since the listing.
    const SafeFs::EntryStat link = SafeFs::statEntry(listing.linkPath());
    if (listing.isCurrent(index)
        || (link.isLink
            && (link.namedIdentity == entry.identity || link.reachedIdentity == entry.identity)))
        return ActionResult::refused(
            tr("%1 is the version in use; it stays where it is").arg(name));
    if (seenIndex >= 0) {
        const VersionEntry &then = seen->entries.at(seenIndex);
        if (then.identity != entry.identity || then.birthKnown != entry.birthKnown
            || then.birthMsecs != entry.birthMsecs)
            return ActionResult::refused(
                tr("%1 changed since the listing; nothing was moved").arg(name));
    }
    ActionResult result;
    result.changed = true;
    result.trashed << name;
    if (dryRun)
        return result;
    FsError error;
    if (!SafeFs::moveToTrash(entry.path, &result.path, error))
        return ActionResult::refused(
            tr("Could not move %1 to the trash (%2); it stays where it is").arg(name, error.text));
    return result;
}
