#ifndef COMMANDLINE_H
#define COMMANDLINE_H

#include "configstore.h"

#include <QCoreApplication>
#include <QProcessEnvironment>
#include <QPair>
#include <QStringList>
#include <QVector>

// The program's arguments read before any application object exists, so
// that commands, help and usage errors need no display. Single-dash options
// that are not ours are ignored; Qt's own options, with one dash or two,
// keep their values for the window; an unknown word with two dashes is a
// usage error.
class CommandLine
{
    Q_DECLARE_TR_FUNCTIONS(CommandLine)

public:
    enum Command {
        Window,
        Help,
        Version,
        List,
        Set,
        ToLink,
        Rename,
        Previous,
        History,
        Add,
        Prune,
        Trash
    };
    enum Problem {
        NoProblem,
        UnknownOption,
        TwoCommands,
        MissingOperand,
        ExtraOperand,
        DryRunAlone,
        NullAlone,
        UseAlone
    };

    // arguments as main receives them, the program's name first.
    explicit CommandLine(const QStringList &arguments);

    // Whether a window can be opened: the platform chosen by "-platform" or
    // QT_QPA_PLATFORM (the X server by default) finds its display.
    bool displayAvailable(const QProcessEnvironment &environment) const;

    // The usage problem for standard error, in the user's language.
    QString problemText() const;
    static QString usage();
    static QString help();
    static QString noDisplayText();

    Command command = Window;
    QStringList operands;
    Problem problem = NoProblem;
    QString offending; // the option or command the problem is about
    QString platform; // the value of "-platform", if given
    bool dryRun = false; // a change only says what it would do
    bool json = false; // standard output is one JSON document
    bool force = false; // a rename may take a version out of the list
    bool null = false; // --list prints bare names, each ended by a NUL byte
    bool use = false; // --add also points the link to the version added
    bool untranslated = false; // -e
    // The single-dash options that carry a value, in the order given:
    // "-c" or "-config", and the value (empty where none followed).
    QVector<QPair<QString, QString>> valueOptions;

    // A command that changes something on disk.
    bool changes() const;
    // The options the rest of the program looks up ("-e", "-c FILE",
    // "-config FILE"), as this reading found them, so that no second reader
    // parses the words again.
    ConfigStore options() const;
    // The command names its target by an absolute link path, which needs
    // no configuration.
    bool targetNeedsNoConfiguration() const;

private:
    void take(Command found, const QString &word);
    void checkOperands();
};

#endif // COMMANDLINE_H
