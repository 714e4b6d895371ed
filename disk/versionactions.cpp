#include "versionactions.h"
#include "history.h"
#include "safefs.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>

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
        return ActionResult::refused(tr("Could not point %1 to %2: %3")
                                         .arg(fileNameOf(linkPath), fileNameOf(versionPath),
                                              SafeFs::errorString()));
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
    const QString stem = info.completeBaseName()
        + QDate::currentDate().toString(QStringLiteral("-yyyyMMdd"));
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
