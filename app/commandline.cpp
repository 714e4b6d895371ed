#include "commandline.h"

#include <QDir>

namespace {

struct CommandName
{
    const char *name;
    CommandLine::Command command;
    int fewest;
    int most;
};

const CommandName Commands[] = {
    {"list", CommandLine::List, 0, 1},         {"set", CommandLine::Set, 2, 2},
    {"to-link", CommandLine::ToLink, 1, 1},    {"rename", CommandLine::Rename, 3, 3},
    {"previous", CommandLine::Previous, 1, 1}, {"history", CommandLine::History, 0, 1},
    {"add", CommandLine::Add, 2, 2},           {"prune", CommandLine::Prune, 2, 2},
    {"trash", CommandLine::Trash, 2, 2},       {"help", CommandLine::Help, 0, -1},
    {"version", CommandLine::Version, 0, -1},
};

// Qt's options that take the next argument, as QGuiApplication and
// QApplication read them (with one dash or two).
const char *const QtValueOptions[] = {
    "platform",
    "platformpluginpath",
    "platformtheme",
    "plugin",
    "qwindowgeometry",
    "geometry",
    "qwindowtitle",
    "title",
    "qwindowicon",
    "icon",
    "display",
    "name",
    "style",
    "stylesheet",
    "session",
    "fn",
    "font",
    "bg",
    "background",
    "fg",
    "foreground",
    "btn",
    "button",
    "visual",
    "ncols",
    "cmap",
    "im",
    "inputstyle",
    "qmljsdebugger",
};
// Qt's options without a value.
const char *const QtFlagOptions[] = {
    "reverse", "widgetcount", "testability", "nograb", "dograb", "sync", "qwindowalwaysontop",
};

bool isOneOf(const QString &name, const char *const *first, const char *const *last)
{
    for (const char *const *option = first; option != last; ++option) {
        if (name == QLatin1String(*option))
            return true;
    }
    return false;
}

} // namespace

CommandLine::CommandLine(const QStringList &arguments)
{
    bool onlyOperands = false;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &word = arguments.at(i);
        const bool hasNext = i + 1 < arguments.size();
        if (onlyOperands || word == QLatin1String("-") || !word.startsWith(QLatin1Char('-'))) {
            // Words before a command are dropped, as the window always did.
            if (command != Window)
                operands << word;
            continue;
        }
        if (word == QLatin1String("--")) {
            onlyOperands = true;
            continue;
        }
        const bool twoDashes = word.startsWith(QLatin1String("--"));
        const int equals = word.indexOf(QLatin1Char('='));
        const QString name
            = word.mid(twoDashes ? 2 : 1, equals < 0 ? -1 : equals - (twoDashes ? 2 : 1));
        const bool valueJoined = equals >= 0;
        if (isOneOf(name, std::begin(QtValueOptions), std::end(QtValueOptions))) {
            const QString value
                = valueJoined ? word.mid(equals + 1) : (hasNext ? arguments.at(i + 1) : QString());
            if (name == QLatin1String("platform"))
                platform = value;
            if (!valueJoined && hasNext)
                ++i;
            continue;
        }
        if (isOneOf(name, std::begin(QtFlagOptions), std::end(QtFlagOptions)))
            continue;
        if (!twoDashes) {
            if (word == QLatin1String("-h")) {
                take(Help, word);
            } else if (word == QLatin1String("-e")) {
                untranslated = true;
            } else if (word == QLatin1String("-c") || word == QLatin1String("-config")) {
                // The configuration file; a word of options is none.
                const bool valued = hasNext && !arguments.at(i + 1).startsWith(QLatin1Char('-'));
                valueOptions.append({word, valued ? arguments.at(i + 1) : QString()});
                if (valued)
                    ++i;
            }
            continue; // other single-dash options are ignored
        }
        bool known = false;
        // The options that only switch something on.
        const QPair<const char *, bool *> flags[] = {{"dry-run", &dryRun},
                                                     {"json", &json},
                                                     {"force", &force},
                                                     {"use", &use},
                                                     {"null", &null}};
        bool *flag = nullptr;
        for (const auto &candidate : flags) {
            if (!valueJoined && name == QLatin1String(candidate.first))
                flag = candidate.second;
        }
        if (flag) {
            *flag = true;
            continue;
        }
        for (const CommandName &candidate : Commands) {
            if (!valueJoined && name == QLatin1String(candidate.name)) {
                take(candidate.command, word);
                known = true;
            }
        }
        if (!known && problem == NoProblem) {
            problem = UnknownOption;
            offending = word;
        }
    }
    checkOperands();
}

void CommandLine::take(Command found, const QString &word)
{
    // Help and the version are answered whatever else is asked.
    if (command == Help || command == Version)
        return;
    if (found == Help || found == Version) {
        command = found;
        return;
    }
    if (command != Window && problem == NoProblem) {
        problem = TwoCommands;
        offending = word;
        return;
    }
    if (command == Window) {
        command = found;
        offending = word;
    }
}

void CommandLine::checkOperands()
{
    if (command == Help || command == Version) {
        problem = NoProblem;
        return;
    }
    if (dryRun && !changes() && problem == NoProblem) {
        problem = DryRunAlone;
        return;
    }
    if (use && command != Add && problem == NoProblem) {
        problem = UseAlone;
        return;
    }
    if (null && (command != List || json) && problem == NoProblem) {
        problem = NullAlone;
        return;
    }
    for (const CommandName &candidate : Commands) {
        if (candidate.command != command || problem != NoProblem)
            continue;
        if (operands.size() < candidate.fewest)
            problem = MissingOperand;
        else if (operands.size() > candidate.most)
            problem = ExtraOperand;
    }
}

ConfigStore CommandLine::options() const
{
    ConfigStore store;
    if (untranslated)
        store.add(QStringLiteral("-e"), QString(), QString());
    for (const auto &option : valueOptions)
        store.add(option.first, option.second, option.second);
    return store;
}

bool CommandLine::targetNeedsNoConfiguration() const
{
    return command != List && command != Window && !operands.isEmpty()
        && QDir::isAbsolutePath(operands.first());
}

bool CommandLine::changes() const
{
    switch (command) {
    case Set:
    case ToLink:
    case Rename:
    case Previous:
    case Add:
    case Prune:
    case Trash:
        return true;
    default:
        return false;
    }
}

bool CommandLine::displayAvailable(const QProcessEnvironment &environment) const
{
    QString chosen = platform;
    if (chosen.isEmpty())
        chosen = environment.value(QStringLiteral("QT_QPA_PLATFORM"));
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    Q_UNUSED(chosen);
    return true;
#else
    if (chosen.isEmpty())
        chosen = QStringLiteral("xcb");
    // A list of platforms is tried in order; each may carry ":options".
    for (const QString &candidate : chosen.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString name = candidate.section(QLatin1Char(':'), 0, 0);
        if (name == QLatin1String("xcb")) {
            if (!environment.value(QStringLiteral("DISPLAY")).isEmpty())
                return true;
        } else if (name.startsWith(QLatin1String("wayland"))) {
            if (!environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty())
                return true;
        } else {
            return true; // offscreen, vnc, eglfs and the like need no display server
        }
    }
    return false;
#endif
}

QString CommandLine::problemText() const
{
    switch (problem) {
    case UnknownOption:
        return tr("unknown option %1").arg(offending);
    case TwoCommands:
        return tr("%1: only one command at a time").arg(offending);
    case MissingOperand:
        return tr("%1: an argument is missing").arg(offending);
    case ExtraOperand:
        return tr("%1: too many arguments").arg(offending);
    case UseAlone:
        return tr("--use goes only with --add");
    case NullAlone:
        return tr("--null goes only with --list, without --json");
    case DryRunAlone:
        return tr("--dry-run goes only with a command that changes something");
    case NoProblem:
        break;
    }
    return QString();
}

QString CommandLine::usage()
{
    return tr("Usage: quillfen [-e] [-c FILE] [-config FILE]\n"
              "       quillfen --list [TARGET] [--json]\n"
              "       quillfen --set TARGET VERSION [--dry-run] [--json]\n"
              "       quillfen --to-link TARGET [--dry-run] [--json]\n"
              "       quillfen --rename TARGET VERSION NEWNAME [--force] [--dry-run] [--json]\n"
              "       quillfen --previous TARGET [--dry-run] [--json]\n"
              "       quillfen --history [TARGET] [--json]\n"
              "       quillfen --add TARGET FILE [--use] [--dry-run] [--json]\n"
              "       quillfen --trash TARGET VERSION [--dry-run] [--json]\n"
              "       quillfen --prune TARGET KEEP [--dry-run] [--json]\n"
              "       quillfen -h | --help | --version\n");
}

QString CommandLine::help()
{
    return usage()
        + tr("\n"
             "Points the link of each configured target to the version picked in a window,\n"
             "or from the command line with the commands below, which need no display.\n"
             "\n"
             "  --list [TARGET]      the targets, numbered, with the version each link points\n"
             "                       to; with TARGET its versions, newest first, the current\n"
             "                       one marked \"* \"\n"
             "  --set TARGET VERSION point the link to VERSION (a plain file at the link's\n"
             "                       name is set aside under a dated name first)\n"
             "  --to-link TARGET     set the plain file at the link's name aside under a\n"
             "                       dated name and put a link to it in its place\n"
             "  --rename TARGET VERSION NEWNAME\n"
             "                       rename a version; the link follows the current one; a\n"
             "                       name that would take it out of the list needs --force\n"
             "  --previous TARGET    point the link back to the version before its latest\n"
             "                       change; twice returns to where it was\n"
             "  --history [TARGET]   the recorded changes of the links, newest last\n"
             "  --add TARGET FILE    copy FILE in as the newest version, under a dated name,\n"
             "                       and print that name; the link is not changed, unless\n"
             "                       --use points it to the version added in the same step\n"
             "  --trash TARGET VERSION\n"
             "                       move VERSION to the trash, unless it is the one in use\n"
             "  --prune TARGET KEEP  move all versions but the newest KEEP to the trash, never\n"
             "                       the one in use, and print each name moved\n"
             "  --dry-run            with a command that changes something: say what it\n"
             "                       would do, and change nothing\n"
             "  --json               print one JSON document instead of text\n"
             "  --null               with --list: the bare names, each ended by a NUL byte\n"
             "  -e                   no translation: English texts instead of Japanese\n"
             "  -c FILE              read the configuration from FILE instead of config.cfg\n"
             "  -config FILE         the same; when both are given, -config wins\n"
             "  -h, --help           print this help and exit\n"
             "  --version            print the version and exit\n"
             "\n"
             "TARGET is the link's name as configured (app.exe), DIR:NAME as the window's\n"
             "chooser shows it, the target's number in --list, or the absolute path of a\n"
             "link that no configuration names. VERSION is a version's file name as\n"
             "--list TARGET prints it.\n"
             "\n"
             "Without -c or -config the configuration is config.cfg in the working\n"
             "directory, or else $XDG_CONFIG_HOME/quillfen/config.cfg\n"
             "(~/.config/quillfen/config.cfg). One entry per line:\n"
             "  Target NAME DIR      the link NAME in the directory DIR\n"
             "  Debug_to_file 1      empty log.log in the working directory at start\n"
             "\n"
             "Every change of a link is recorded in $XDG_STATE_HOME/quillfen/history\n"
             "(~/.local/state/quillfen/history).\n"
             "\n"
             "Exit status, the same with and without --json: 0 done (also where it was so\n"
             "already, with a note on standard error), 1 not done and nothing changed, 2 bad\n"
             "usage (an unknown target or version, a bad option), 3 partly done (what was\n"
             "done is printed, what was not is on standard error).\n");
}

QString CommandLine::noDisplayText()
{
    return tr("quillfen: the window needs a display, and none was found (DISPLAY and "
              "WAYLAND_DISPLAY are not set).\n"
              "These work without one: --list, --set, --to-link, --rename, --previous, "
              "--history, --add, --trash, --prune, --help and --version.\n");
}
