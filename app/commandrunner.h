#ifndef COMMANDRUNNER_H
#define COMMANDRUNNER_H

#include "actionresult.h"
#include "commandline.h"
#include "configuredtarget.h"

#include <QCoreApplication>
#include <QJsonObject>

class VersionListing;

// Carries out a command of the command line on the configured targets, with
// the same rules and guarantees as the window, and tells the result as a
// script wants it: what was asked on standard output, every problem on
// standard error, and the exit status.
class CommandRunner
{
    Q_DECLARE_TR_FUNCTIONS(CommandRunner)

public:
    // Done includes "already as asked"; PartlyDone: something was changed,
    // and something asked for was not.
    enum Status { Done = 0, Refused = 1, BadUsage = 2, PartlyDone = 3 };

    explicit CommandRunner(const CommandLine &line);

    // Needs an application object (for the translation) and the
    // configuration read.
    int run();
    // Says that the configuration named cannot be read, and why.
    int refuseConfiguration(const QString &fileName);

private:
    int listTargets();
    int listVersions();
    int set();
    int toLink();
    int rename();
    int previous();
    int history();
    int add();
    int prune();
    int trash();
    int runCommand();
    // The exit status, after a refusal has been given as JSON where asked.
    int answered(int status);

    // The target named by the first operand, or -1 after saying why.
    int targetFromOperand();
    // Reads the directory of that target: Done, or the exit status after
    // saying why not.
    int readTarget(VersionListing *listing);
    // The link of the target named by the first operand, in a folder that
    // can be read: Done, or the exit status after saying why not.
    int actionTarget(QFileInfo *file);
    bool readable(const VersionListing &listing);
    // Says what the action came to; its exit status.
    int finish(const ActionResult &result, const QStringList &printed);
    // What the target's link leads to, for the list of targets.
    QString stateOf(const VersionListing &listing) const;

    QJsonObject resultJson(const ActionResult &result) const;
    QString planText(const ActionResult &result) const;

    static void print(const QString &text);
    // A name or path as one field of one line: control characters and
    // backslashes written as \n, \t, \\ and \xHH.
    static QString escaped(const QString &text);
    // Names for a script that splits at NUL bytes: exactly as on disk.
    static void printNullEnded(const QStringList &names);
    // Says on standard error what went wrong; the latest complaint is the
    // error of a JSON answer.
    // ownLines: a text of ours whose lines are meant, printed as it is.
    void complain(const QString &text, bool ownLines = false);
    // The usage text on standard error, after a complaint about a word.
    static void showUsage();
    void printJson(const QJsonValue &document);

    CommandLine line;
    QVector<ConfiguredTarget> targets;
    QString lastComplaint;
    bool printedJson = false;
};

#endif // COMMANDRUNNER_H
