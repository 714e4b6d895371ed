#include "commandrunner.h"
#include "configstore.h"
#include "history.h"
#include "safefs.h"
#include "versionactions.h"
#include "versionentry.h"
#include "versionlisting.h"

#include <QElapsedTimer>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

// A name, or null where there is none.
static QJsonValue nameOrNull(const QString &name)
{
    return name.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(name);
}

CommandRunner::CommandRunner(const CommandLine &line)
    : line(line)
{
}

void CommandRunner::print(const QString &text)
{
    fputs(text.toLocal8Bit().constData(), stdout);
    fflush(stdout);
}

QString CommandRunner::escaped(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('\\'))
            out += QLatin1String("\\\\");
        else if (c == QLatin1Char('\n'))
            out += QLatin1String("\\n");
        else if (c == QLatin1Char('\t'))
            out += QLatin1String("\\t");
        else if (c.category() == QChar::Other_Control)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

void CommandRunner::printNullEnded(const QStringList &names)
{
    for (const QString &name : names) {
        const QByteArray bytes = QFile::encodeName(name);
        fwrite(bytes.constData(), 1, size_t(bytes.size()) + 1, stdout); // with its NUL
    }
    fflush(stdout);
}

void CommandRunner::complain(const QString &text, bool ownLines)
{
    // One message, one line: a name inside it cannot start another.
    const QString line = ownLines ? text
        : text.endsWith(QLatin1Char('\n')) ? escaped(text.chopped(1)) + QLatin1Char('\n')
                                          : escaped(text);
    fputs(line.toLocal8Bit().constData(), stderr);
    fflush(stderr);
    lastComplaint = text.trimmed().remove(QRegularExpression(QStringLiteral("^quillfen: ")));
}

void CommandRunner::showUsage()
{
    fputs(CommandLine::usage().toLocal8Bit().constData(), stderr);
    fflush(stderr);
}

void CommandRunner::printJson(const QJsonValue &document)
{
    const QJsonDocument json = document.isArray() ? QJsonDocument(document.toArray())
                                                  : QJsonDocument(document.toObject());
    fputs(json.toJson(QJsonDocument::Compact).constData(), stdout);
    fputs("\n", stdout);
    fflush(stdout);
    printedJson = true;
}

int CommandRunner::run()
{
    return answered(runCommand());
}

int CommandRunner::answered(int status)
{
    // Whatever refused, a script reading JSON gets JSON, with the whole
    // message.
    if (line.json && status != Done && !printedJson)
        printJson(QJsonObject {{QStringLiteral("changed"), false},
                               {QStringLiteral("error"), lastComplaint}});
    return status;
}

int CommandRunner::refuseConfiguration(const QString &fileName)
{
    const QFileInfo file(fileName);
    const QString why = !file.exists() ? tr("there is no such file")
        : !file.isFile()               ? tr("it is not a regular file")
        : !file.isReadable()           ? tr("it cannot be read")
                                       : tr("it is too large or cannot be read");
    complain(QStringLiteral("quillfen: ")
             + tr("Could not read the configuration %1: %2").arg(file.absoluteFilePath(), why)
             + QLatin1Char('\n'));
    return answered(Refused);
}

int CommandRunner::runCommand()
{
    if (line.command == CommandLine::Help) {
        if (line.json)
            printJson(QJsonObject {{QStringLiteral("help"), CommandLine::help()}});
        else
            print(CommandLine::help());
        return Done;
    }
    if (line.command == CommandLine::Version) {
        if (line.json)
            printJson(QJsonObject {{QStringLiteral("version"), QStringLiteral(QUILLFEN_VERSION)}});
        else
            print(QStringLiteral("quillfen " QUILLFEN_VERSION "\n"));
        return Done;
    }
    if (line.problem != CommandLine::NoProblem) {
        complain(QStringLiteral("quillfen: ") + line.problemText() + QLatin1Char('\n'));
        showUsage();
        return BadUsage;
    }
    if (line.command == CommandLine::Window) {
        complain(CommandLine::noDisplayText(), true);
        return Refused;
    }
    targets = ConfiguredTarget::fromConfig(config);
    // A configured target that names no file in a folder is told at once;
    // the others stay usable.
    for (const ConfiguredTarget &target : qAsConst(targets)) {
        if (!target.problem.isEmpty())
            complain(QStringLiteral("quillfen: ") + target.refusalText() + QLatin1Char('\n'));
    }
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
    case CommandLine::Trash:
        return trash();
    default:
        return BadUsage;
    }
}

int CommandRunner::targetFromOperand()
{
    const QString operand = line.operands.value(0);
    QString error;
    int index = ConfiguredTarget::find(targets, operand, &error);
    // A link's absolute path names its target, configured or not, so that a
    // host needs no configuration to be driven.
    if (index < 0 && QDir::isAbsolutePath(operand)) {
        const ConfiguredTarget named = ConfiguredTarget::atPath(operand);
        for (index = 0; index < targets.size(); ++index) {
            if (targets.at(index).file.absoluteFilePath() == named.file.absoluteFilePath())
                break;
        }
        if (index == targets.size())
            targets.append(named);
    }
    if (index < 0) {
        complain(QStringLiteral("quillfen: ") + error + QLatin1Char('\n'));
        return -1;
    }
    // Nothing is done to a target that names no file of its own.
    if (!targets.at(index).problem.isEmpty()) {
        complain(QStringLiteral("quillfen: ")
                 + tr("%1 is no target: %2").arg(operand, targets.at(index).problem)
                 + QLatin1Char('\n'));
        return -1;
    }
    return index;
}

int CommandRunner::readTarget(VersionListing *listing)
{
    const int target = targetFromOperand();
    if (target < 0)
        return BadUsage;
    *listing = VersionListing::read(targets.at(target).file);
    if (!readable(*listing))
        return Refused;
    if (listing->undecodable > 0)
        complain(QStringLiteral("quillfen: ")
                 + tr("%1 entries of %2 left out: their names are not valid UTF-8, so they can "
                      "be neither shown nor changed exactly")
                       .arg(QString::number(listing->undecodable), listing->linkName())
                 + QLatin1Char('\n'));
    return Done;
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

int CommandRunner::finish(const ActionResult &result, const QStringList &printed)
{
    // What is so already is done: a note in text, the answer in JSON.
    const bool alreadyDone = !result.ok && result.refusal == ActionResult::AlreadyDone;
    int status = Done;
    if (!result.ok && !alreadyDone) {
        const bool notAVersion = result.refusal == ActionResult::NotAVersion;
        const bool leaves = result.refusal == ActionResult::LeavesList;
        // Each problem of several on a line of its own.
        const QStringList problems
            = result.problems.isEmpty() ? QStringList {result.message} : result.problems;
        for (const QString &problem : problems)
            complain(QStringLiteral("quillfen: ")
                     + (notAVersion ? tr("%1; --list %2 shows the versions")
                                          .arg(problem, line.operands.value(0))
                            : leaves ? tr("%1; --force renames it all the same").arg(problem)
                                     : problem)
                     + QLatin1Char('\n'));
        status = result.changed ? PartlyDone
            : notAVersion || leaves || result.refusal == ActionResult::BadName ? BadUsage
                                                                                : Refused;
    } else if (alreadyDone && !line.json) {
        for (const QString &note :
             result.problems.isEmpty() ? QStringList {result.message} : result.problems)
            complain(QStringLiteral("quillfen: ") + note + QLatin1Char('\n'));
    }
    if (!result.warning.isEmpty())
        complain(QStringLiteral("quillfen: ") + result.warning + QLatin1Char('\n'));
    // What was done is told also where the action then failed.
    if (line.json) {
        QJsonObject answer = resultJson(result);
        if (status != Done)
            answer.insert(QStringLiteral("error"), result.message);
        printJson(answer);
    } else if (line.dryRun && status == Done) {
        print(planText(result));
    } else if (status == Done || status == PartlyDone) {
        for (const QString &name : printed) {
            if (!name.isEmpty())
                print(escaped(name) + QLatin1Char('\n'));
        }
    }
    return status;
}

QJsonObject CommandRunner::resultJson(const ActionResult &result) const
{
    QJsonObject object {{QStringLiteral("changed"), result.changed},
                        {QStringLiteral("dry_run"), result.dryRun},
                        {QStringLiteral("before"), nameOrNull(result.before)},
                        {QStringLiteral("after"), nameOrNull(result.after)}};
    if (!result.added.isEmpty())
        object.insert(QStringLiteral("added"), result.added);
    if (!result.setAside.isEmpty())
        object.insert(QStringLiteral("set_aside"), result.setAside);
    if (!result.renamedFrom.isEmpty())
        object.insert(QStringLiteral("renamed"),
                      QJsonObject {{QStringLiteral("from"), result.renamedFrom},
                                   {QStringLiteral("to"), QFileInfo(result.path).fileName()}});
    if (!result.existing.isEmpty())
        object.insert(QStringLiteral("version"), result.existing);
    if (line.command == CommandLine::Prune || line.command == CommandLine::Trash)
        object.insert(QStringLiteral("trashed"), QJsonArray::fromStringList(result.trashed));
    if (line.command == CommandLine::Prune || line.command == CommandLine::Trash) {
        QJsonArray kept;
        for (const auto &version : result.kept)
            kept.append(QJsonObject {{QStringLiteral("name"), version.first},
                                     {QStringLiteral("reason"), version.second}});
        object.insert(QStringLiteral("kept"), kept);
    }
    return object;
}

// What a dry run would do, a line for each change.
QString CommandRunner::planText(const ActionResult &result) const
{
    QStringList lines;
    const QString linkName = QFileInfo(line.operands.value(0)).fileName();
    if (!result.setAside.isEmpty())
        lines << tr("would set the plain file %1 aside as %2").arg(linkName, result.setAside);
    if (!result.renamedFrom.isEmpty())
        lines << tr("would rename %1 to %2")
                     .arg(result.renamedFrom, QFileInfo(result.path).fileName());
    if (!result.added.isEmpty())
        lines << tr("would add %1 as %2")
                     .arg(QFileInfo(line.operands.value(1)).fileName(), result.added);
    if (result.before != result.after && result.setAside != result.after)
        lines << (result.before.isEmpty() ? tr("would point the link to %1").arg(result.after)
                                          : tr("would point the link to %1 instead of %2")
                                                .arg(result.after, result.before));
    lines << result.trashed;
    for (const auto &version : result.kept)
        lines << tr("kept: %1, as %2").arg(version.first, version.second);
    if (!result.changed)
        lines << tr("nothing would change");
    for (QString &planned : lines)
        planned = escaped(planned);
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
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
    QJsonArray all;
    QStringList names;
    for (int i = 0; i < targets.size(); ++i) {
        const QString &problem = targets.at(i).problem;
        if (!problem.isEmpty()) {
            if (line.json)
                all.append(QJsonObject {{QStringLiteral("number"), i + 1},
                                        {QStringLiteral("dir"), targets.at(i).directory},
                                        {QStringLiteral("name"), targets.at(i).fileName},
                                        {QStringLiteral("state"), QStringLiteral("refused")},
                                        {QStringLiteral("error"), problem}});
            else if (!line.null)
                print(QStringLiteral("%1\t%2\t%3\n")
                          .arg(QString::number(i + 1), escaped(targets.at(i).label()),
                               escaped(tr("(left out: %1)").arg(problem))));
            continue;
        }
        if (line.null) {
            if (!names.contains(targets.at(i).file.fileName()))
                names << targets.at(i).file.fileName();
            continue;
        }
        const VersionListing listing = VersionListing::read(targets.at(i).file);
        if (!line.json) {
            print(QStringLiteral("%1\t%2\t%3\n")
                      .arg(QString::number(i + 1), escaped(targets.at(i).label()),
                           escaped(stateOf(listing))));
            continue;
        }
        const QString linkPath = listing.linkPath();
        const bool isLink = SafeFs::isSymLink(linkPath);
        const QString state = isLink   ? QStringLiteral("link")
            : SafeFs::exists(linkPath) ? QStringLiteral("plain")
                                       : QStringLiteral("missing");
        all.append(QJsonObject {
            {QStringLiteral("number"), i + 1},
            {QStringLiteral("dir"), listing.dir.absolutePath()},
            {QStringLiteral("name"), listing.linkName()},
            {QStringLiteral("state"), state},
            {QStringLiteral("link"),
             nameOrNull(isLink ? QFileInfo(SafeFs::linkTarget(linkPath)).fileName() : QString())}});
    }
    if (line.null)
        printNullEnded(names);
    else if (line.json)
        printJson(QJsonObject {{QStringLiteral("targets"), all}});
    return Done;
}

int CommandRunner::listVersions()
{
    VersionListing listing;
    if (const int status = readTarget(&listing))
        return status;
    QString lines;
    QStringList names;
    QJsonArray versions;
    for (int i = 0; i < listing.entries.size(); ++i) {
        if (!listing.isVersion(i))
            continue;
        const VersionEntry &entry = listing.entries.at(i);
        names << entry.name;
        lines += (listing.isCurrent(i) ? QLatin1String("* ") : QLatin1String("  "))
            + escaped(entry.name) + QLatin1Char('\n');
        versions.append(QJsonObject {
            {QStringLiteral("name"), entry.name},
            {QStringLiteral("current"), listing.isCurrent(i)},
            {QStringLiteral("size"), entry.size},
            {QStringLiteral("birth"),
             entry.birthKnown ? QJsonValue(QDateTime::fromMSecsSinceEpoch(entry.birthMsecs, Qt::UTC)
                                               .toString(Qt::ISODateWithMs))
                              : QJsonValue(QJsonValue::Null)}});
    }
    if (line.null) {
        printNullEnded(names);
        return Done;
    }
    if (!line.json) {
        print(lines);
        return Done;
    }
    printJson(QJsonObject {{QStringLiteral("target"),
                            QJsonObject {{QStringLiteral("dir"), listing.dir.absolutePath()},
                                         {QStringLiteral("name"), listing.linkName()}}},
                           {QStringLiteral("versions"), versions}});
    return Done;
}

int CommandRunner::set()
{
    QFileInfo target;
    if (const int status = actionTarget(&target))
        return status;
    return finish(VersionActions(target, line.dryRun).pick(line.operands.at(1)), QStringList());
}

int CommandRunner::toLink()
{
    QFileInfo target;
    if (const int status = actionTarget(&target))
        return status;
    const ActionResult result = VersionActions(target, line.dryRun).toLink();
    return finish(result, {result.setAside});
}

int CommandRunner::rename()
{
    QFileInfo target;
    if (const int status = actionTarget(&target))
        return status;
    return finish(VersionActions(target, line.dryRun)
                      .rename(line.operands.at(1), line.operands.at(2), line.force),
                  QStringList());
}

int CommandRunner::previous()
{
    QFileInfo target;
    if (const int status = actionTarget(&target))
        return status;
    const ActionResult result = VersionActions(target, line.dryRun).goBack();
    return finish(result, {result.ok ? result.after : QString()});
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
    int skipped = 0;
    const QVector<History::Record> records = History::read(&ok, &error, &skipped);
    if (ok && skipped > 0)
        complain(QStringLiteral("quillfen: ")
                 + tr("%1 lines of the history %2 are cut short or not Quillfen's, and are left "
                      "out")
                       .arg(QString::number(skipped), History::filePath())
                 + QLatin1Char('\n'));
    if (!ok) {
        complain(QStringLiteral("quillfen: ")
                 + tr("Could not read the history %1: %2").arg(History::filePath(), error)
                 + QLatin1Char('\n'));
        return Refused;
    }
    QString lines;
    QJsonArray changes;
    for (const History::Record &record : records) {
        if (!link.isEmpty() && !History::sameLink(record.link, link))
            continue;
        lines += QStringLiteral("%1\t%2\t%3\t%4\n")
                     .arg(record.time.toUTC().toString(Qt::ISODateWithMs), escaped(record.link),
                          escaped(record.before), escaped(record.after));
        changes.append(
            QJsonObject {{QStringLiteral("time"), record.time.toUTC().toString(Qt::ISODateWithMs)},
                         {QStringLiteral("link"), record.link},
                         {QStringLiteral("before"), nameOrNull(record.before)},
                         {QStringLiteral("after"), nameOrNull(record.after)}});
    }
    if (line.json)
        printJson(changes);
    else
        print(lines);
    return Done;
}

int CommandRunner::add()
{
    QFileInfo target;
    if (const int status = actionTarget(&target))
        return status;
    VersionActions actions(target, line.dryRun);
    // A progress line where someone watches, redrawn ten times a second;
    // nothing where standard error goes to a file or a script.
    QElapsedTimer shown;
    bool drawn = false;
    const QString name = QFileInfo(line.operands.at(1)).fileName();
    if (SafeFs::standardErrorIsTerminal()) {
        actions.setProgress([&](qint64 done, qint64 total) {
            if (total > 0 && (!shown.isValid() || shown.elapsed() >= 100 || done == total)) {
                shown.start();
                drawn = true;
                fputs(QStringLiteral("\r%1\x1b[K")
                          .arg(tr("Copying %1: %2 of %3")
                                   .arg(name, VersionEntry::sizeText(done), VersionEntry::sizeText(total)))
                          .toLocal8Bit()
                          .constData(),
                      stderr);
                fflush(stderr);
            }
            return true;
        });
    }
    const ActionResult result = actions.add(line.operands.at(1), line.use);
    if (drawn)
        fputs("\n", stderr);
    return finish(result, {result.ok ? QFileInfo(result.path).fileName() : QString()});
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
            + QLatin1Char('\n'));
        showUsage();
        return BadUsage;
    }
    const VersionListing listing = VersionListing::read(targets.at(target).file);
    if (!readable(listing))
        return Refused;
    const QFileInfo link(listing.dir.absoluteFilePath(listing.linkName()));
    const ActionResult result = VersionActions(link, line.dryRun).cleanUp(keep);
    return finish(result, result.trashed);
}

int CommandRunner::trash()
{
    QFileInfo target;
    if (const int status = actionTarget(&target))
        return status;
    const ActionResult result
        = VersionActions(target, line.dryRun).moveToTrash({line.operands.at(1)});
    return finish(result, result.trashed);
}
