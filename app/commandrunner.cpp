#include "commandrunner.h"
#include "configstore.h"
#include "history.h"
#include "safefs.h"
#include "versionactions.h"
#include "versionlisting.h"

#include <cstdio>

CommandRunner::CommandRunner(const CommandLine &line)
    : line(line)
{
}

void CommandRunner::print(const QString &text)
{
    fputs(text.toLocal8Bit().constData(), stdout);
    fflush(stdout);
}

void CommandRunner::complain(const QString &text)
{
    fputs(text.toLocal8Bit().constData(), stderr);
    fflush(stderr);
}

int CommandRunner::run()
{
    if (line.command == CommandLine::Help) {
        print(CommandLine::help());
        return Done;
    }
    if (line.command == CommandLine::Version) {
        print(QStringLiteral("quillfen " QUILLFEN_VERSION "\n"));
        return Done;
    }
    if (line.problem != CommandLine::NoProblem) {
        complain(QStringLiteral("quillfen: ") + line.problemText() + QLatin1Char('\n')
                 + CommandLine::usage());
        return BadUsage;
    }
    if (line.command == CommandLine::Window) {
        complain(CommandLine::noDisplayText());
        return Refused;
    }
    targets = ConfiguredTarget::fromConfig(config);
    switch (line.command) {
    case CommandLine::List:
        return line.operands.isEmpty() ? listTargets() : listVersions();
    case CommandLine::Set:
        return set();
    case CommandLine::ToLink:
        return toLink();
    case CommandLine::Rename:
        return rename();
    case CommandLine::Previous:
        return previous();
    case CommandLine::History:
        return history();
    case CommandLine::Add:
        return add();
    case CommandLine::Prune:
        return prune();
    default:
        return BadUsage;
    }
}

int CommandRunner::targetFromOperand()
{
    QString error;
    const int index = ConfiguredTarget::find(targets, line.operands.value(0), &error);
    if (index < 0)
        complain(QStringLiteral("quillfen: ") + error + QLatin1Char('\n'));
    return index;
}

int CommandRunner::readTarget(VersionListing *listing)
{
    const int target = targetFromOperand();
    if (target < 0)
        return BadUsage;
    *listing = VersionListing::read(targets.at(target).file);
    return readable(*listing) ? Done : Refused;
}

int CommandRunner::actionTarget(QFileInfo *file)
{
    VersionListing listing;
    if (const int status = readTarget(&listing))
        return status;
    *file = QFileInfo(listing.dir.absoluteFilePath(listing.linkName()));
    return Done;
}

bool CommandRunner::readable(const VersionListing &listing)
{
    if (listing.directoryReadable())
        return true;
    complain(
        QStringLiteral("quillfen: ")
        + tr("The directory %1 does not exist or cannot be read.").arg(listing.dir.absolutePath())
        + QLatin1Char('\n'));
    return false;
}

int CommandRunner::finish(const ActionResult &result, const QString &printed)
{
    if (!printed.isEmpty())
        print(printed + QLatin1Char('\n'));
    if (result.refusal == ActionResult::NotAVersion) {
        complain(QStringLiteral("quillfen: ")
                 + tr("%1; --list %2 shows the versions").arg(result.message, line.operands.value(0))
                 + QLatin1Char('\n'));
        return BadUsage;
    }
    if (!result.ok) {
        complain(QStringLiteral("quillfen: ") + result.message + QLatin1Char('\n'));
        return Refused;
    }
    if (!result.warning.isEmpty())
        complain(QStringLiteral("quillfen: ") + result.warning + QLatin1Char('\n'));
    return Done;
}

QString CommandRunner::stateOf(const VersionListing &listing) const
{
    if (listing.targetIndex < 0) {
        const QString linkPath = listing.linkPath();
        return SafeFs::isSymLink(linkPath)
            ? tr("(link to %1, which is missing)").arg(SafeFs::linkTarget(linkPath))
            : tr("(missing)");
    }
    const VersionEntry &target = listing.entries.at(listing.targetIndex);
    if (!target.isLink)
        return tr("(plain file)");
    const int current = listing.currentIndex();
    return current >= 0 ? listing.entries.at(current).name : target.linkTarget;
}

int CommandRunner::listTargets()
{
    for (int i = 0; i < targets.size(); ++i) {
        const VersionListing listing = VersionListing::read(targets.at(i).file);
        print(QStringLiteral("%1\t%2\t%3\n")
                  .arg(QString::number(i + 1), targets.at(i).label(), stateOf(listing)));
    }
    return Done;
}

int CommandRunner::listVersions()
{
    VersionListing listing;
    if (const int status = readTarget(&listing))
        return status;
    QString lines;
    for (int i = 0; i < listing.entries.size(); ++i) {
        if (!listing.isVersion(i))
            continue;
        lines += (listing.isCurrent(i) ? QLatin1String("* ") : QLatin1String("  "))
            + listing.entries.at(i).name + QLatin1Char('\n');
    }
    print(lines);
    return Done;
}

int CommandRunner::set()
{
    QFileInfo target;
    if (const int status = actionTarget(&target))
        return status;
    return finish(VersionActions(target).pick(line.operands.at(1)), QString());
}

int CommandRunner::toLink()
{
    QFileInfo target;
    if (const int status = actionTarget(&target))
        return status;
    const ActionResult result = VersionActions(target).toLink();
    return finish(result, result.after);
}

int CommandRunner::rename()
{
    QFileInfo target;
    if (const int status = actionTarget(&target))
        return status;
    return finish(VersionActions(target).rename(line.operands.at(1), line.operands.at(2)),
                  QString());
}

int CommandRunner::previous()
{
    QFileInfo target;
    if (const int status = actionTarget(&target))
        return status;
    const ActionResult result = VersionActions(target).goBack();
    return finish(result, result.ok ? result.after : QString());
}

int CommandRunner::history()
{
    QString link;
    if (!line.operands.isEmpty()) {
        const int target = targetFromOperand();
        if (target < 0)
            return BadUsage;
        link = targets.at(target).file.absoluteFilePath();
    }
    bool ok = true;
    QString error;
    const QVector<History::Record> records = History::read(&ok, &error);
    if (!ok) {
        complain(QStringLiteral("quillfen: ")
                 + tr("Could not read the history %1: %2").arg(History::filePath(), error)
                 + QLatin1Char('\n'));
        return Refused;
    }
    QString lines;
    for (const History::Record &record : records) {
        if (link.isEmpty() || record.link == link)
            lines += History::format(record) + QLatin1Char('\n');
    }
    print(lines);
    return Done;
}

int CommandRunner::add()
{
    QFileInfo target;
    if (const int status = actionTarget(&target))
        return status;
    const ActionResult result = VersionActions(target).add(line.operands.at(1));
    return finish(result, result.ok ? QFileInfo(result.path).fileName() : QString());
}

int CommandRunner::prune()
{
    const int target = targetFromOperand();
    if (target < 0)
        return BadUsage;
    bool isNumber = false;
    const int keep = line.operands.at(1).toInt(&isNumber, 10);
    if (!isNumber || keep < 0) {
        complain(
            QStringLiteral("quillfen: ")
            + tr("KEEP must be a number of versions, 0 or more, not %1").arg(line.operands.at(1))
            + QLatin1Char('\n') + CommandLine::usage());
        return BadUsage;
    }
    const VersionListing listing = VersionListing::read(targets.at(target).file);
    if (!readable(listing))
        return Refused;
    if (line.dryRun) {
        const QStringList names = VersionActions::pruneCandidates(listing, keep);
        print(names.isEmpty() ? QString() : names.join(QLatin1Char('\n')) + QLatin1Char('\n'));
        return Done;
    }
    const ActionResult result
        = VersionActions(QFileInfo(listing.dir.absoluteFilePath(listing.linkName()))).cleanUp(keep);
    return finish(result, result.trashed.join(QLatin1Char('\n')));
}
