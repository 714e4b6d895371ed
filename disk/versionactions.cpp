#include "versionactions.h"
#include "history.h"
#include "safefs.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

static QString fileNameOf(const QString &path)
{
    return QFileInfo(path).fileName();
}

void VersionActions::record(ActionResult *result, const QString &link, const QString &before,
                            const QString &after)
{
    QString error;
    if (!History::append(link, before, after, &error))
        result->warning = tr("The change was made, but the history %1 could not be written: %2")
                              .arg(History::filePath(), error);
}

ActionResult VersionActions::pointLink(const QString &linkPath, const QString &versionPath)
{
    const QString before = SafeFs::linkTarget(linkPath);
    if (!SafeFs::pointLinkTo(versionPath, linkPath))
        return ActionResult::refused(
            tr("Could not point %1 to %2: %3")
                .arg(fileNameOf(linkPath), fileNameOf(versionPath), SafeFs::errorString()));
    ActionResult result;
    result.path = versionPath;
    const QString after = QFileInfo(versionPath).absoluteFilePath();
    // Picking the current version again changes nothing worth going back to.
    if (before != after)
        record(&result, QFileInfo(linkPath).absoluteFilePath(), before, after);
    return result;
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
        if (!SafeFs::exists(dir.absoluteFilePath(candidate)))
            return candidate;
    }
}

ActionResult VersionActions::toLink(const QString &path)
{
    // The listing may be out of date: only a plain file is set aside. Should
    // another program have made the link meanwhile, setting it aside would
    // leave a link to a link.
    if (!SafeFs::isRegularFile(path))
        return ActionResult::refused(
            tr("%1 is no longer a plain file; nothing was changed").arg(fileNameOf(path)));
    const QString aside = QFileInfo(path).dir().absoluteFilePath(datedName(path));
    if (!SafeFs::setAsideAsLink(path, aside))
        return ActionResult::refused(
            tr("Could not make %1 a link: %2").arg(fileNameOf(path), SafeFs::errorString()));
    ActionResult result;
    result.path = aside;
    record(&result, QFileInfo(path).absoluteFilePath(), QString(), aside);
    return result;
}

ActionResult VersionActions::pick(const QString &linkPath, const QString &versionPath,
                                  bool setAsideFirst)
{
    // A version removed by another program since the listing is not linked:
    // the link would lead nowhere, and the next listing would silently link
    // the newest version instead.
    if (!QFileInfo(versionPath).isFile())
        return ActionResult::refused(
            tr("%1 is gone: another program removed or renamed it").arg(fileNameOf(versionPath)));
    QString warning;
    if (setAsideFirst) {
        const ActionResult aside = toLink(linkPath);
        // If setting the plain file aside failed, it still stands at the
        // link's path and is left there.
        if (!aside.ok)
            return aside;
        warning = aside.warning;
    }
    ActionResult result = pointLink(linkPath, versionPath);
    if (result.warning.isEmpty())
        result.warning = warning;
    return result;
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

ActionResult VersionActions::rename(const QString &path, const QString &newName, bool isCurrent,
                                    const std::function<bool(const QString &)> &followLink)
{
    const QString oldName = fileNameOf(path);
    const auto refused = [&](const QString &reason) {
        return ActionResult::refused(
            tr("Could not rename %1 to %2: %3").arg(oldName, newName, reason));
    };
    // A name that would leave the directory, or name the directory itself,
    // is refused like a taken one; a dangling link is an entry too and is
    // never replaced.
    if (!isPlainName(newName))
        return refused(tr("a name cannot be empty, \".\" or \"..\", or contain \"/\""));
    const QString newPath = QFileInfo(path).dir().absoluteFilePath(newName);
    if (SafeFs::exists(newPath))
        return refused(tr("the name is taken"));
    ActionResult result;
    result.path = newPath;
    if (isCurrent) {
        // The current version gets its new name as a second name first, the
        // link follows it, and only then the old name goes: the link never
        // dangles, not even when the process dies in between.
        bool unsupported = false;
        if (SafeFs::addName(path, newPath, &unsupported)) {
            if (!followLink(newPath)) {
                // The link still leads to the old name, which stays.
                SafeFs::removeNameIfSame(newPath, path);
                return refused(tr("the link could not follow the new name"));
            }
            SafeFs::removeNameIfSame(path, newPath);
            return result;
        }
        if (!unsupported)
            return refused(SafeFs::errorString());
    }
    if (!SafeFs::renameNoReplace(path, newPath))
        return refused(SafeFs::errorString());
    if (isCurrent)
        followLink(newPath);
    return result;
}

ActionResult VersionActions::goBack(const QString &linkPath)
{
    const QString link = QFileInfo(linkPath).absoluteFilePath();
    bool readable = true;
    QString error;
    const History::Record latest = History::latestFor(link, &readable, &error);
    if (!readable)
        return ActionResult::refused(
            tr("Could not read the history %1: %2").arg(History::filePath(), error));
    if (latest.link.isEmpty() || latest.before.isEmpty())
        return ActionResult::refused(
            tr("No earlier version of %1 is recorded: there is nothing to go back to")
                .arg(fileNameOf(link)));
    if (!QFileInfo(latest.before).isFile())
        return ActionResult::refused(tr("%1, the version before the latest change of %2, is gone")
                                         .arg(fileNameOf(latest.before), fileNameOf(link)));
    return pointLink(link, latest.before);
}

ActionResult VersionActions::addVersion(const VersionListing &listing, const QString &source)
{
    const QFileInfo file(source);
    const QString shown = file.fileName().isEmpty() ? source : file.fileName();
    if (!file.exists())
        return ActionResult::refused(
            tr("Could not add %1: %2").arg(shown, tr("there is no such file")));
    if (!file.isFile())
        return ActionResult::refused(tr("Could not add %1: %2").arg(shown, tr("it is not a file")));
    // The versions first, so that a copy of the version in use is named as
    // that version, not as the link leading to it.
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < listing.entries.size(); ++i) {
            const VersionEntry &entry = listing.entries.at(i);
            if ((i == listing.targetIndex) == (pass == 0) || !entry.isFile
                || !SafeFs::leadToSameFile(entry.path, source))
                continue;
            return ActionResult::refused(tr("%1 is already a version of %2, as %3")
                                             .arg(shown, listing.linkName(), entry.name));
        }
    }
    const QString namedLike = listing.dir.absoluteFilePath(listing.linkName());
    // Another program may take the free name meanwhile: the next one is tried.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString destination = listing.dir.absoluteFilePath(datedName(namedLike));
        bool taken = false;
        if (SafeFs::copyAsNew(source, destination, &taken)) {
            ActionResult result;
            result.path = destination;
            return result;
        }
        if (!taken)
            break;
    }
    return ActionResult::refused(tr("Could not add %1: %2").arg(shown, SafeFs::errorString()));
}

QStringList VersionActions::pruneCandidates(const VersionListing &listing, int keep)
{
    QStringList names;
    int versions = 0;
    for (int i = 0; i < listing.entries.size(); ++i) {
        if (i == listing.targetIndex)
            continue;
        if (++versions <= keep || listing.isCurrent(i))
            continue;
        names << listing.entries.at(i).name;
    }
    return names;
}

ActionResult VersionActions::moveToTrash(const VersionListing &listing, const QString &name)
{
    const int index = listing.indexOf(name);
    if (index < 0 || index == listing.targetIndex)
        return ActionResult::refused(
            tr("%1 is not a version of %2; nothing was moved").arg(name, listing.linkName()));
    const VersionEntry &entry = listing.entries.at(index);
    // Where the link points now, whoever changed it since the listing.
    const QString inUse = SafeFs::linkTarget(listing.linkPath());
    if (listing.isCurrent(index)
        || (!inUse.isEmpty() && QFileInfo(inUse).absoluteFilePath() == entry.path))
        return ActionResult::refused(
            tr("%1 is the version in use; it stays where it is").arg(name));
    const SafeFs::EntryStat now = SafeFs::statEntry(entry.path);
    if (now.identity != entry.identity || now.birthKnown != entry.birthKnown
        || now.birthMsecs != entry.birthMsecs)
        return ActionResult::refused(
            tr("%1 changed since the listing; nothing was moved").arg(name));
    // Qt moves a file into "files" of the working directory where it cannot
    // make the home trash: it is made here first, or nothing is moved.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QString trash = data + QLatin1String("/Trash");
    if (!QFileInfo(trash).isDir()) {
        QDir().mkpath(data);
        if (QDir(data).mkdir(QStringLiteral("Trash")))
            QFile::setPermissions(trash, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    if (!QFileInfo(trash).isDir())
        return ActionResult::refused(
            tr("Could not move %1 to the trash (%2 cannot be made); nothing was removed")
                .arg(name, trash));
    QFile file(entry.path);
    if (!file.moveToTrash())
        return ActionResult::refused(tr("Could not move %1 to the trash (%2); nothing was removed")
                                         .arg(name,
                                              file.errorString().isEmpty()
                                                  ? tr("there is no trash for it")
                                                  : file.errorString()));
    ActionResult result;
    result.path = file.fileName();
    return result;
}
