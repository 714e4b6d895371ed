#include "body.h"
#include "configstore.h"
#include "pathlock.h"
#include "rowdriver.h"
#include "versiondir.h"

#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

// The real binary as a script runs it: no display, a configuration in the
// working directory, the exit status, what it prints and the disk afterwards.
class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void command_data();
    void command();
    void windowAndCommandLine_shareOneHistory();
    void pruneAgainstSet_linkNeverDanglesNoVersionLost();
    void setDuringALongAdd_isNotKeptWaiting();

private:
    struct Run
    {
        int exitCode = -1;
        QString out;
        QString err;
    };
    // Without a display, with its own configuration, data and trash.
    QProcessEnvironment environment() const;
    Run quillfen(const QStringList &arguments);
    QString substituted(QString text, bool forPattern) const;
    // The value at a dotted path ("targets.0.name") as text: strings as
    // they are, arrays as "[a,b]", "null" where there is none.
    static QString jsonText(const QJsonDocument &json, const QString &path);
    // app.exe's link target's file name, "<plain>" or "<none>".
    QString linkedTo() const;
    QString dated() const;

    QScopedPointer<VersionDir> dir;
    QScopedPointer<QTemporaryDir> work;
    QString immutable;
};

void TestCommandLine::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("QUILLFEN_BINARY"))
        QSKIP("QUILLFEN_BINARY is not set; run through ctest");
    VersionDir probe;
    if (!probe.hasBirthTimes())
        QSKIP("this file system keeps no birth times, so no newest-first order can be checked");
}

void TestCommandLine::init()
{
    dir.reset(new VersionDir);
    work.reset(new QTemporaryDir);
    for (const char *version : {"1", "2", "3"})
        dir->add(QStringLiteral("app-%1.exe").arg(QLatin1String(version)), version);
    QDir(dir->path()).mkdir(QStringLiteral("sub"));
    QFile cfg(work->filePath(QStringLiteral("config.cfg")));
    QVERIFY(cfg.open(QIODevice::WriteOnly));
    cfg.write(substituted(QStringLiteral("Target app.exe \"DIR\"\nTarget other.exe \"DIR\"\n"
                                         "Target dup.exe \"DIR\"\nTarget dup.exe \"DIR/sub\"\n"),
                          false)
                  .toUtf8());
    qputenv("XDG_STATE_HOME", work->filePath(QStringLiteral("state")).toUtf8());
    QFile nine(work->filePath(QStringLiteral("app-9.exe")));
    QVERIFY(nine.open(QIODevice::WriteOnly) && nine.write("nine") == 4);
    QFile empty(work->filePath(QStringLiteral("empty.cfg")));
    QVERIFY(empty.open(QIODevice::WriteOnly));
    // A copy of a version, under another name.
    QFile same(work->filePath(QStringLiteral("same.bin")));
    QVERIFY(same.open(QIODevice::WriteOnly) && same.write("2") == 1);
    same.close();
    // A build to bring in.
    QFile build(work->filePath(QStringLiteral("new.bin")));
    QVERIFY(build.open(QIODevice::WriteOnly) && build.write("new build") == 9);
    build.close();
    QVERIFY(build.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                 | QFile::ReadGroup | QFile::ExeGroup | QFile::ExeOther));
}

void TestCommandLine::cleanup()
{
    if (!immutable.isEmpty())
        QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), immutable});
    immutable.clear();
}

QString TestCommandLine::substituted(QString text, bool forPattern) const
{
    text.replace(QLatin1String("DATED"), dated());
    text.replace(QLatin1String("WORK"),
                 forPattern ? QRegularExpression::escape(work->path()) : work->path());
    return text.replace(QLatin1String("DIR"),
                        forPattern ? QRegularExpression::escape(dir->path()) : dir->path());
}

QString TestCommandLine::jsonText(const QJsonDocument &json, const QString &path)
{
    QJsonValue value = json.isArray() ? QJsonValue(json.array()) : QJsonValue(json.object());
    for (const QString &key : path.split(QLatin1Char('.'))) {
        bool isIndex = false;
        const int index = key.toInt(&isIndex);
        value = isIndex ? value.toArray().at(index) : value.toObject().value(key);
    }
    if (value.isBool())
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    if (value.isDouble())
        return QString::number(value.toDouble());
    if (value.isArray()) {
        QStringList items;
        for (const QJsonValue &item : value.toArray())
            items << item.toString();
        return QLatin1Char('[') + items.join(QLatin1Char(',')) + QLatin1Char(']');
    }
    return value.isString() ? value.toString() : QStringLiteral("null");
}

QString TestCommandLine::dated() const
{
    return QStringLiteral("app-%1-1.exe")
        .arg(QDate::currentDate().toString(QStringLiteral("yyyyMMdd")));
}

QString TestCommandLine::linkedTo() const
{
    const QString app = dir->path(QStringLiteral("app.exe"));
    if (QFileInfo(app).isSymLink())
        return dir->linkTarget(QStringLiteral("app.exe"));
    return QFileInfo::exists(app) ? QStringLiteral("<plain>") : QStringLiteral("<none>");
}

QProcessEnvironment TestCommandLine::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(name));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), work->filePath(QStringLiteral("xdg")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), work->filePath(QStringLiteral("data")));
    return environment;
}

TestCommandLine::Run TestCommandLine::quillfen(const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment environment = this->environment();
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(work->path());
    QString program = qEnvironmentVariable("QUILLFEN_BINARY");
    QStringList words = arguments;
    if (words.value(0) == QLatin1String("strace")) {
        const int end = words.indexOf(QStringLiteral("--"));
        words = words.mid(1, end - 1)
            + QStringList {QStringLiteral("-f"), QStringLiteral("-o"), QStringLiteral("/dev/null"),
                           program}
            + words.mid(end + 1);
        program = QStringLiteral("strace");
        // The leak checker cannot work under a tracer.
        environment.insert(QStringLiteral("ASAN_OPTIONS"),
                           environment.value(QStringLiteral("ASAN_OPTIONS"))
                               + QStringLiteral(":detect_leaks=0"));
        process.setProcessEnvironment(environment);
    }
    if (words.value(0) == QLatin1String("tty")) {
        // On a terminal, as a user types it: script(1) gives it a pty, and
        // what the terminal shows (both outputs) comes back as output.
        QStringList quoted {program};
        for (const QString &word : words.mid(1))
            quoted << QLatin1Char('\'') + word + QLatin1Char('\'');
        words = QStringList {QStringLiteral("-qec"), quoted.join(QLatin1Char(' ')),
                             QStringLiteral("/dev/null")};
        program = QStringLiteral("script");
    }
    process.start(program, words);
    Run run;
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    // NUL bytes kept: a QByteArray's own overload would stop at the first.
    const QByteArray out = process.readAllStandardOutput();
    run.out = QString::fromLocal8Bit(out.constData(), out.size());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

// One case a line, " | " between its fields: the name; the setup of app.exe
// ("link" to app-1.exe, "plain" or "none"); steps run first, each to succeed
// ("; " between them: a command line, "rm NAME", "write NAME" for a file the
// program writes (WORK/NAME: in the working directory), "undecodable" for a version whose name is
// not UTF-8, "fifo history" or "cut history" (a line cut short by a kill), "ln TARGET NAME" for
// another link, "chattr +i [NAME]", "forge PATH" for a history line going back to PATH, "lock" to
// hold the folder's lock as another Quillfen would, or "block history" or "block trash", a file
// where that folder belongs; "alias" for WORK/alias, another path to DIR, with app.exe linked
// through it; "odd config" for WORK/odd.cfg, whose first two targets name no file); the arguments
// (split at blanks; "strace OPTIONS --" first runs the binary under strace, "tty" on a terminal);
// the exit status; a pattern for all of standard output, or "json:" and fields of its JSON; one
// found in standard error; what app.exe leads to afterwards. "\n" and "\t" stand for a line break
// and a tab, VERSIONS for the listing of the three with app-1.exe current.
static const char CommandTable[] = R"(
list targets | link |  | -e --list | 0 | 1\tDIR:app.exe\tapp-1.exe\n2\tDIR:other.exe\t\(missing\)\n3\tDIR:dup.exe\t\(missing\)\n4\tDIR/sub:dup.exe\t\(missing\)\n |  | app-1.exe
list targets, plain | plain |  | -e --list | 0 | 1\tDIR:app.exe\t\(plain file\)\n.* |  | <plain>
list targets, missing link not made | none |  | -e --list | 0 | 1\tDIR:app.exe\t\(missing\)\n.* |  | <none>
list versions | link |  | --list app.exe | 0 | VERSIONS |  | app-1.exe
list versions by number | link |  | --list 1 | 0 | VERSIONS |  | app-1.exe
list versions by DIR:NAME | link |  | --list DIR:app.exe | 0 | VERSIONS |  | app-1.exe
list versions, plain target left out | plain |  | --list app.exe | 0 |   app-3.exe\n  app-2.exe\n  app-1.exe\n |  | <plain>
list, name of two targets | link |  | -e --list dup.exe | 2 |  | dup.exe names more than one target: DIR:dup.exe, DIR/sub:dup.exe | app-1.exe
list, unknown target | link |  | -e --list 9 | 2 |  | No target 9 is configured | app-1.exe
set | link |  | -e --set app.exe app-2.exe | 0 |  |  | app-2.exe
set, plain target set aside first | plain |  | -e --set 1 app-2.exe | 0 |  |  | app-2.exe
set, missing link made | none |  | -e --set app.exe app-2.exe | 0 |  |  | app-2.exe
set, unknown version | link |  | -e --set app.exe nope.exe | 2 |  | nope.exe is not a version of app.exe | app-1.exe
set, the target itself | link |  | -e --set app.exe app.exe | 2 |  | app.exe is not a version | app-1.exe
set, missing argument | link |  | -e --set app.exe | 2 |  | --set: an argument is missing\nUsage: | app-1.exe
set, refused by the disk | link | chattr +i | -e --set app.exe app-2.exe | 1 |  | Could not point app.exe to app-2.exe: Operation not permitted | app-1.exe
set, another channel's link | link | ln app-2.exe app-beta.exe | -e --set app.exe app-beta.exe | 2 |  | app-beta.exe is not a version of app.exe: it is a link to DIR/app-2.exe | app-1.exe
set, the folder locked by another Quillfen | link | lock | -e --set app.exe app-2.exe | 1 |  | Another Quillfen process is changing DIR and did not finish | app-1.exe
list versions, another channel's link left out | link | ln app-2.exe app-beta.exe | --list app.exe | 0 | VERSIONS |  | app-1.exe
list versions, a log beside the link left out | link | write app.log | --list app.exe | 0 | VERSIONS |  | app-1.exe
set, a log beside the link | link | write app.log | -e --set app.exe app.log | 2 |  | app.log is not a version of app.exe | app-1.exe
set, a log born after the link stays as it is | link | write app.log | -e --set app.exe app-2.exe | 0 |  |  | app-2.exe
prune, a log beside the link neither moved nor counted | link | write app.log | -e --prune app.exe 0 --json --dry-run | 0 | json:trashed=[app-3.exe,app-2.exe] |  | app-1.exe
set, the history cannot be written | link | block history | -e --set app.exe app-2.exe | 0 |  | The change was made, but the history .* could not be written | app-2.exe
to-link | plain |  | -e --to-link app.exe | 0 | DATED\n |  | DATED
to-link, a link already | link |  | -e --to-link app.exe | 0 |  | app.exe is a link already | app-1.exe
rename current, the link follows | link |  | -e --rename app.exe app-1.exe app-1b.exe | 0 |  |  | app-1b.exe
rename another | link |  | -e --rename app.exe app-2.exe app-2b.exe | 0 |  |  | app-1.exe
rename current, the link cannot follow | link |  | strace -e inject=link:error=EPERM -e inject=symlink:error=EACCES -- -e --rename app.exe app-1.exe app-new.exe | 1 |  | the link could not follow the new name.*Permission denied | app-1.exe
rename another channel's link | link | ln app-2.exe app-beta.exe | -e --rename app.exe app-beta.exe app-b.exe | 2 |  | it is a link to | app-1.exe
rename out of the list | link |  | -e --rename app.exe app-2.exe old-app-2.exe | 2 |  | Renaming app-2.exe to old-app-2.exe takes it out of the list of app.exe's versions, which begin with app and end with .exe; --force renames it all the same | app-1.exe
rename out of the list, forced | link |  | -e --rename app.exe app-2.exe old.exe --force | 0 |  |  | app-1.exe
rename to a taken name | link |  | -e --rename app.exe app-1.exe app-3.exe | 1 |  | Could not rename app-1.exe to app-3.exe: the name is taken | app-1.exe
rename out of the directory | link |  | -e --rename app.exe app-2.exe ../x.exe | 1 |  | cannot be empty | app-1.exe
previous, nothing recorded | link |  | -e --previous app.exe | 1 |  | nothing to go back to | app-1.exe
previous after a set | link | --set app.exe app-2.exe | -e --previous app.exe | 0 | app-1.exe\n |  | app-1.exe
previous twice returns | link | --set app.exe app-2.exe; --previous app.exe | -e --previous app.exe | 0 | app-2.exe\n |  | app-2.exe
previous, that version gone | link | --set app.exe app-2.exe; rm app-1.exe | -e --previous app.exe | 1 |  | app-1.exe, the version before the latest change of app.exe, is gone | app-2.exe
previous, a forged line naming a file outside | link | forge WORK/new.bin | -e --previous app.exe | 1 |  | is not a version of app.exe now; nothing was changed | app-1.exe
previous, a forged line naming another link | link | ln app-2.exe app-beta.exe; forge DIR/app-beta.exe | -e --previous app.exe | 1 |  | is not a version of app.exe now | app-1.exe
previous after to-link, nothing before | plain | --to-link app.exe | -e --previous app.exe | 1 |  | nothing to go back to | DATED
history | link | --set app.exe app-2.exe; --rename 1 app-2.exe app-2b.exe | --history app.exe | 0 | \S+Z\tDIR/app.exe\tDIR/app-1.exe\tDIR/app-2.exe\n\S+Z\tDIR/app.exe\tDIR/app-2.exe\tDIR/app-2b.exe\n |  | app-2b.exe
history of another target | link | --set app.exe app-2.exe | --history other.exe | 0 |  |  | app-2.exe
add | link |  | -e --add app.exe WORK/new.bin | 0 | DATED\n |  | app-1.exe
add, the same file as a version | link |  | -e --add app.exe DIR/app-2.exe | 0 |  | app-2.exe is already a version of app.exe, as app-2.exe | app-1.exe
add, the version in use through its link | link |  | -e --add app.exe DIR/app.exe | 0 |  | app.exe is already a version of app.exe, as app-1.exe | app-1.exe
add, no such file | link |  | -e --add app.exe WORK/nothing.bin | 1 |  | there is no such file | app-1.exe
add, a directory | link |  | -e --add app.exe DIR/sub | 1 |  | it is not a file | app-1.exe
add, the directory cannot be written | link | chattr +i | -e --add app.exe WORK/new.bin | 1 |  | Could not add new.bin: Operation not permitted | app-1.exe
prune, dry run | link |  | -e --prune app.exe 1 --dry-run | 0 | app-2.exe\nkept: app-1.exe, as it is the version in use\n |  | app-1.exe
prune keeps the way back | link | --set app.exe app-2.exe | -e --prune app.exe 0 --json | 0 | json:trashed=[app-3.exe] kept.0.name=app-2.exe kept.1.name=app-1.exe kept.1.reason~Back |  | app-2.exe
prune, the one in use stays | link |  | -e --prune app.exe 0 | 0 | app-3.exe\napp-2.exe\n |  | app-1.exe
prune, another link neither moved nor counted | link | ln app-2.exe app-beta.exe | -e --prune app.exe 1 | 0 | app-2.exe\n |  | app-1.exe
prune, KEEP not a number | link |  | -e --prune app.exe all | 2 |  | KEEP must be a number | app-1.exe
prune, no trash to be had | link | block trash | -e --prune app.exe 1 | 1 |  | Could not move app-2.exe to the trash | app-1.exe
--dry-run with a listing | link |  | -e --list app.exe --dry-run | 2 |  | --dry-run goes only with a command that changes something | app-1.exe
# Scripts: JSON, dry runs, and nothing changed where nothing needs to.
list targets as JSON | link |  | -e --list --json | 0 | json:targets.0.name=app.exe targets.0.dir=DIR targets.0.state=link targets.0.link=app-1.exe targets.0.number=1 targets.1.state=missing targets.1.link=null |  | app-1.exe
list targets as JSON, plain | plain |  | --json -e --list | 0 | json:targets.0.state=plain targets.0.link=null |  | <plain>
list versions as JSON | link | ln app-2.exe app-beta.exe | --list app.exe --json | 0 | json:target.name=app.exe target.dir=DIR versions.0.name=app-3.exe versions.0.size=1 versions.0.current=false versions.2.current=true versions.3=null versions.0.birth~Z |  | app-1.exe
set as JSON | link |  | -e --set app.exe app-2.exe --json | 0 | json:changed=true before=app-1.exe after=app-2.exe |  | app-2.exe
set to the version in use changes nothing | link |  | --json -e --set app.exe app-1.exe | 0 | json:changed=false before=app-1.exe after=app-1.exe |  | app-1.exe
set, dry run | link |  | -e --set app.exe app-2.exe --dry-run | 0 | would point the link to app-2.exe instead of app-1.exe\n |  | app-1.exe
set, dry run of a plain target | plain |  | -e --set app.exe app-2.exe --dry-run --json | 0 | json:changed=true dry_run=true set_aside=DATED before=null after=app-2.exe |  | <plain>
set, refused as JSON | link |  | -e --set app.exe nope.exe --json | 2 | json:changed=false error~nope.exe | nope.exe is not a version | app-1.exe
set by the link's path, no configuration | link |  | -e -c WORK/empty.cfg --set DIR/app.exe app-2.exe --json | 0 | json:changed=true after=app-2.exe |  | app-2.exe
to-link, dry run | plain |  | -e --to-link app.exe --dry-run | 0 | would set the plain file app.exe aside as DATED\n |  | <plain>
to-link on a link as JSON | link |  | -e --to-link app.exe --json | 0 | json:changed=false before=app-1.exe after=app-1.exe |  | app-1.exe
add as JSON | link |  | -e --add app.exe WORK/new.bin --json | 0 | json:changed=true added=DATED after=app-1.exe |  | app-1.exe
add keeps a version's own name | link |  | -e --add app.exe WORK/app-9.exe | 0 | app-9.exe\n |  | app-1.exe
list versions, a name that is not UTF-8 | link | undecodable | -e --list app.exe | 0 | VERSIONS | 1 entries of app.exe left out: their names are not valid UTF-8 | app-1.exe
add on a terminal draws its progress | link |  | tty -e --add app.exe WORK/new.bin | 0 | .*Copying new.bin: 9 bytes of 9 bytes.*DATED.* |  | app-1.exe
add, dry run | link |  | -e --add app.exe WORK/new.bin --dry-run | 0 | would add new.bin as DATED\n |  | app-1.exe
add, a copy of a version | link |  | -e --add app.exe WORK/same.bin | 0 |  | same.bin is already a version of app.exe, as app-2.exe | app-1.exe
add, a copy of a version as JSON | link |  | -e --add app.exe WORK/same.bin --json | 0 | json:changed=false version=app-2.exe |  | app-1.exe
rename, dry run as JSON | link |  | -e --rename app.exe app-1.exe app-1b.exe --dry-run --json | 0 | json:changed=true renamed.from=app-1.exe renamed.to=app-1b.exe after=app-1b.exe |  | app-1.exe
previous as JSON | link | --set app.exe app-2.exe | -e --previous app.exe --json | 0 | json:changed=true before=app-2.exe after=app-1.exe |  | app-1.exe
prune as JSON | link |  | -e --prune app.exe 0 --json | 0 | json:changed=true trashed=[app-3.exe,app-2.exe] |  | app-1.exe
prune, nothing to move | link |  | -e --prune app.exe 5 --json | 0 | json:changed=false trashed=[] |  | app-1.exe
trash | link |  | -e --trash app.exe app-2.exe | 0 | app-2.exe\n |  | app-1.exe
trash the version in use | link |  | -e --trash app.exe app-1.exe | 1 |  | app-1.exe stays: it is the version in use | app-1.exe
trash the way back | link | --set app.exe app-2.exe | -e --trash app.exe app-1.exe --json | 1 | json:changed=false kept.0.name=app-1.exe error~Back | app-1.exe stays: Back to Previous Version returns to it | app-2.exe
trash, not there as JSON | link |  | -e --trash app.exe app-9.exe --json | 0 | json:changed=false trashed=[] |  | app-1.exe
history as JSON | link | --set app.exe app-2.exe | --history app.exe --json | 0 | json:0.link=DIR/app.exe 0.before=DIR/app-1.exe 0.after=DIR/app-2.exe 0.time~Z 1=null |  | app-2.exe
unknown option with two dashes | link |  | -e --bogus | 2 |  | unknown option --bogus\nUsage: | app-1.exe
two commands | link |  | -e --list --history | 2 |  | only one command | app-1.exe
unknown single-dash option ignored | link |  | -x --list app.exe | 0 | VERSIONS |  | app-1.exe
Qt's options kept | link |  | -platform offscreen --style Fusion -session s1 --list app.exe | 0 | VERSIONS |  | app-1.exe
no command and no display | link |  | -e | 1 |  | needs a display.*--list | app-1.exe
help | link |  | -e --help --bogus | 0 | Usage:.*--list.*--set.*--to-link.*--rename.*--previous.*--history.*--add.*--prune.*-config FILE.* |  | app-1.exe
-h | link |  | -e -h | 0 | Usage:.* |  | app-1.exe
version | link |  | --version | 0 | quillfen QUILLFEN_VERSION\n |  | app-1.exe
messages in Japanese without -e | link |  | --set app.exe nope.exe | 2 |  | nope.exe は app.exe のバージョンではありません | app-1.exe
-c names a configuration that is not there | link |  | -e -c missing.cfg --list | 1 |  | Could not read the configuration WORK/missing.cfg: there is no such file | app-1.exe
-config names a folder, as JSON | link |  | -e -config DIR --set app.exe app-2.exe --json | 1 | json:changed=false error~regular | not a regular file | app-1.exe
history, a pipe in its place | link | fifo history | -e --set app.exe app-2.exe | 0 |  | history .* could not be written: it is not a regular file | app-2.exe
history, a line cut short before | link | cut history; --set app.exe app-2.exe | -e --previous app.exe | 0 | app-1.exe\n |  | app-1.exe
# One file however it is reached; a target is a name in a folder.
list versions, linked through another spelling of the folder | link | alias | --list app.exe | 0 | VERSIONS |  | app-1.exe
trash, the version in use linked through another spelling | link | alias | -e --trash app.exe app-1.exe | 1 |  | app-1.exe stays: it is the version in use | app-1.exe
rename, the version in use linked through another spelling | link | alias | -e --rename app.exe app-1.exe app-1b.exe --json | 0 | json:before=app-1.exe after=app-1b.exe |  | app-1b.exe
prune keeps the version in use linked through another spelling | link | alias | -e --prune app.exe 0 --json | 0 | json:trashed=[app-3.exe,app-2.exe] |  | app-1.exe
set through another spelling of the folder, then back | link | alias; --set WORK/alias/app.exe app-2.exe | -e --previous DIR/app.exe | 0 | app-1.exe\n |  | app-1.exe
set, a version named through another spelling of the folder | link | alias | -e --set app.exe WORK/alias/app-2.exe | 0 |  |  | app-2.exe
list, a folder at the link's name | link |  | -e --list DIR/sub | 2 |  | DIR/sub is no target: DIR/sub is a folder | app-1.exe
prune, the folder's parent as the link's name | link |  | -e --prune DIR/.. 0 | 2 |  | is no target: .. names a folder | app-1.exe
list, a link path ending in a separator | link |  | -e --list DIR/ | 2 |  | the link's name is empty | app-1.exe
configured targets that name no file left out | link | odd config | -e -c WORK/odd.cfg --list | 0 | 1\tDIR:..\t\(left out: .. names a folder, not a file\)\n2\t/:/\t.*\n3\tDIR:app.exe\tapp-1.exe\n | line 1: the target DIR:.. is left out.*line 2: the target /:/ is left out | app-1.exe
prune, a configured target that names no file | link | odd config | -e -c WORK/odd.cfg --prune 1 0 | 2 |  | 1 is no target | app-1.exe
rename to a temporary's name, forced | link |  | -e --rename app.exe app-2.exe .app-2.exe.quillfen-1 --force | 2 |  | names of this form belong to Quillfen's own temporary files | app-1.exe
a hidden link name like any other | none | write .tool; write v-1.tool; --set DIR/.tool v-1.tool | -e --list DIR/.tool | 0 | \* v-1.tool\n  -\d{8}-1.tool\n |  | <none>
# One answer, told as it is: what was done is said also where the rest failed.
prune, one version cannot be moved | link | chattr +i app-2.exe | -e --prune app.exe 0 | 3 | app-3.exe\n | Could not move app-2.exe to the trash | app-1.exe
prune, one version cannot be moved, as JSON | link | chattr +i app-2.exe | -e --prune app.exe 0 --json | 3 | json:changed=true trashed=[app-3.exe] error~app-2.exe | Could not move app-2.exe | app-1.exe
set, the plain target set aside but the link cannot follow | plain |  | strace -e inject=symlink:error=ENOSPC:when=2 -- -e --set app.exe app-2.exe --json | 3 | json:changed=true set_aside=DATED after=DATED error~app-2.exe | Could not point app.exe to app-2.exe | DATED
to-link on a link, the same status as in text | link |  | -e --to-link app.exe --json | 0 | json:changed=false after=app-1.exe |  | app-1.exe
a usage error as JSON, the message without the usage | link |  | -e --set app.exe --json | 2 | json:changed=false error=--set:\san\sargument\sis\smissing | Usage: | app-1.exe
trash, not there | link |  | -e --trash app.exe app-9.exe | 0 |  | There is no app-9.exe | app-1.exe
# Text a script cannot misread: a name is one field of one line.
list versions, a name with a line break | link | write app-5\n*app-evil.exe | --list app.exe | 0 |   app-5\x5cn\*app-evil.exe\n  app-3.exe\n  app-2.exe\n\* app-1.exe\n |  | app-1.exe
a message naming a line break | link |  | -e --set app.exe x\n*y.exe | 2 |  | ^quillfen: x\x5cn\*y.exe is not a version[^\n]*\n$ | app-1.exe
versions for a completion, NUL-ended | link | write app-5\n*x.exe | --null --list app.exe | 0 | app-5\n\*x.exe\x00app-3.exe\x00app-2.exe\x00app-1.exe\x00 |  | app-1.exe
targets for a completion, NUL-ended | link |  | --null --list | 0 | app.exe\x00other.exe\x00dup.exe\x00 |  | app-1.exe
--null with a change | link |  | -e --null --set app.exe app-2.exe | 2 |  | --null goes only with --list | app-1.exe
history, a line cut short left out and counted | link | cut history; --set app.exe app-2.exe | --history app.exe | 0 | \S+Z\tDIR/app.exe\tDIR/app-1.exe\tDIR/app-2.exe\n | 1 行は途中で切れている | app-2.exe
# A build brought in and used in one step.
add and use | link |  | -e --add app.exe WORK/new.bin --use --json | 0 | json:changed=true added=DATED before=app-1.exe after=DATED |  | DATED
add and use, dry run | link |  | -e --add app.exe WORK/new.bin --use --dry-run --json | 0 | json:changed=true dry_run=true added=DATED after=DATED |  | app-1.exe
add and use a copy of a version | link |  | -e --add app.exe WORK/same.bin --use --json | 0 | json:changed=true version=app-2.exe after=app-2.exe |  | app-2.exe
add and use, run twice | link | --add app.exe WORK/new.bin --use | -e --add app.exe WORK/new.bin --use --json | 0 | json:changed=false after=DATED |  | DATED
--use without --add | link |  | -e --set app.exe app-2.exe --use | 2 |  | --use goes only with --add | app-1.exe
# Each system call that can fail, made to, and the answer says so.
add, the build cannot be opened | link |  | strace -P WORK/new.bin -e inject=openat:error=EACCES -- -e --add app.exe WORK/new.bin | 1 |  | Could not add new.bin: Permission denied | app-1.exe
add, the build cannot be read | link |  | strace -P WORK/new.bin -e inject=read:error=EIO -- -e --add app.exe WORK/new.bin | 1 |  | Could not add new.bin: Input/output error | app-1.exe
to-link, the second name refused by the disk | plain |  | strace -e inject=link:error=EIO -- -e --to-link app.exe | 1 |  | Could not make app.exe a link: Input/output error | <plain>
set, the exchange refused by the disk | link |  | strace -e inject=renameat2:error=EIO -- -e --set app.exe app-2.exe | 1 |  | Could not point app.exe to app-2.exe: Input/output error | app-1.exe
rename another, refused by the disk | link |  | strace -e inject=renameat2:error=EACCES -- -e --rename app.exe app-2.exe app-2b.exe | 1 |  | Could not rename app-2.exe to app-2b.exe: Permission denied | app-1.exe
the folder's lock refused by the system | link |  | strace -e inject=flock:error=ENOLCK -- -e --set app.exe app-2.exe | 1 |  | Could not lock DIR: No locks available | app-1.exe
trash, its record cannot be made | link |  | strace -P WORK/data/Trash/info/app-2.exe.trashinfo -e inject=openat:error=ENOSPC -- -e --trash app.exe app-2.exe | 1 |  | Could not move app-2.exe to the trash \(No space left on device\) | app-1.exe
trash, its record cannot be written | link |  | strace -P WORK/data/Trash/info/app-2.exe.trashinfo -e inject=write:error=ENOSPC -- -e --trash app.exe app-2.exe | 1 |  | Could not move app-2.exe to the trash \(No space left on device\) | app-1.exe
trash, the move refused | link |  | strace -P DIR/app-2.exe -e inject=renameat2:error=EXDEV -- -e --trash app.exe app-2.exe | 1 |  | Could not move app-2.exe to the trash \(Invalid cross-device link\) | app-1.exe
set, the history's line cannot be written | link |  | strace -P WORK/state/quillfen/history -e inject=write:error=ENOSPC -- -e --set app.exe app-2.exe | 0 |  | history .* could not be written: No space left on device | app-2.exe
# One reading of the command line.
add, a build named like an option after -- | link | write WORK/-c | -e --add app.exe -- -c | 0 | DATED\n |  | app-1.exe
set by the link's path, no configuration anywhere | link | rm WORK/config.cfg | -e --set DIR/app.exe app-2.exe | 0 |  |  | app-2.exe
list, no configuration anywhere | link | rm WORK/config.cfg | -e --list | 0 |  |  | app-1.exe
version as JSON | link |  | --version --json | 0 | json:version=QUILLFEN_VERSION |  | app-1.exe
help as JSON | link |  | -e --help --json | 0 | json:help~--prune |  | app-1.exe
prune the versions of a hidden link name | none | write .tool; write v-1.tool; --set DIR/.tool v-1.tool | -e --prune DIR/.tool 0 --json | 0 | json:trashed~.tool |  | <none>
)";

void TestCommandLine::command_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QStringList>("earlier");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    QTest::addColumn<QString>("linkedTo");
    const QString versions = QStringLiteral("  app-3.exe\n  app-2.exe\n\\* app-1.exe\n");
    for (QString line : QString::fromUtf8(CommandTable).split(QLatin1Char('\n'))) {
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        line.replace(QLatin1String("\\n"), QLatin1String("\n"))
            .replace(QLatin1String("\\t"), QLatin1String("\t"))
            .replace(QLatin1String("VERSIONS"), versions)
            .replace(QLatin1String("QUILLFEN_VERSION"), QLatin1String(QUILLFEN_VERSION));
        const QStringList field = line.split(QStringLiteral(" | "));
        QVERIFY2(field.size() == 8, qPrintable(line));
        QTest::newRow(qPrintable(field.at(0)))
            << field.at(1)
            << (field.at(2).isEmpty() ? QStringList() : field.at(2).split(QStringLiteral("; ")))
            << field.at(3).split(QLatin1Char(' ')) << field.at(4).toInt() << field.at(5)
            << field.at(6) << field.at(7);
    }
}

void TestCommandLine::command()
{
    QFETCH(QString, setup);
    QFETCH(QStringList, earlier);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QFETCH(QString, linkedTo);

    if (setup == QLatin1String("link"))
        dir->link(QStringLiteral("app-1.exe"), QStringLiteral("app.exe"));
    else if (setup == QLatin1String("plain"))
        dir->add(QStringLiteral("app.exe"), "in use");
    const QString historyPath = work->filePath(QStringLiteral("state/quillfen/history"));
    const auto writeHistory = [&](const QString &text) {
        QFile history(historyPath);
        return QDir().mkpath(QFileInfo(historyPath).path()) && history.open(QIODevice::Append)
            && history.write(substituted(text, false).toUtf8()) > 0;
    };
    QScopedPointer<PathLock> held;
    for (const QString &step : earlier) {
        const QStringList words = step.split(QLatin1Char(' '));
        // A NAME is in DIR, WORK/NAME in the working directory.
        const auto place = [&](const QString &name) {
            return name.startsWith(QLatin1String("WORK/")) ? substituted(name, false)
                                                           : dir->path(name);
        };
        if (words.first() == QLatin1String("rm")) {
            QVERIFY(QFile::remove(place(words.at(1))));
        } else if (step == QLatin1String("undecodable")) {
            // Bytes that are no UTF-8, as another system may have written them.
            const QByteArray name = QFile::encodeName(dir->path()) + "/app-\xff\xfe.exe";
            QVERIFY(::close(::creat(name.constData(), 0644)) == 0);
        } else if (words.first() == QLatin1String("write")) {
            QTest::qSleep(15);
            VersionDir::write(place(words.at(1)), "written beside the program");
        } else if (words.first() == QLatin1String("ln")) {
            dir->link(words.at(1), words.at(2));
        } else if (words.first() == QLatin1String("forge")) {
            QVERIFY(writeHistory(QStringLiteral("2026-12-01T00:00:00.000Z\tDIR/app.exe\t%1\t"
                                                "DIR/app-1.exe\n")
                                     .arg(words.at(1))));
        } else if (step == QLatin1String("cut history")) {
            QVERIFY(writeHistory(QStringLiteral("2026-12-01T00:00:00.000Z\tDIR/app.exe\tDIR/ap")));
        } else if (step == QLatin1String("fifo history")) {
            QVERIFY(QDir().mkpath(QFileInfo(historyPath).path()));
            QCOMPARE(QProcess::execute(QStringLiteral("mkfifo"), {historyPath}), 0);
        } else if (step == QLatin1String("alias")) {
            // The same folder by another path, and the link written through it.
            QVERIFY(QFile::link(dir->path(), work->filePath(QStringLiteral("alias"))));
            QVERIFY(QFile::remove(dir->path(QStringLiteral("app.exe"))));
            QVERIFY(QFile::link(work->filePath(QStringLiteral("alias/app-1.exe")),
                                dir->path(QStringLiteral("app.exe"))));
        } else if (step == QLatin1String("odd config")) {
            VersionDir::write(work->filePath(QStringLiteral("odd.cfg")),
                              substituted(QStringLiteral("Target .. \"DIR\"\nTarget / /\n"
                                                         "Target app.exe \"DIR\"\n"),
                                          false)
                                  .toUtf8());
        } else if (step == QLatin1String("lock")) {
            held.reset(new PathLock(dir->path()));
            QVERIFY(held->isLocked());
        } else if (step == QLatin1String("block history")) {
            QVERIFY(QDir(work->path()).mkpath(QStringLiteral("state")));
            QFile blocker(work->filePath(QStringLiteral("state/quillfen")));
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        } else if (step == QLatin1String("block trash")) {
            QFile blocker(work->filePath(QStringLiteral("data")));
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        } else if (words.first() == QLatin1String("chattr")) {
            immutable = words.size() > 2 ? dir->path(words.at(2)) : dir->path();
            if (QProcess::execute(QStringLiteral("chattr"), {words.at(1), immutable}) != 0)
                QSKIP("chattr +i is not supported here");
        } else {
            QStringList substitutedWords;
            for (const QString &word : words)
                substitutedWords << substituted(word, false);
            const Run run = quillfen(substitutedWords);
            QVERIFY2(run.exitCode == 0, qPrintable(step + QLatin1String(": ") + run.err));
        }
    }
    const QStringList entriesBefore = dir->entries();
    const QString linkedBefore = this->linkedTo();
    // A pipe in the history's place is never opened here: it would block.
    const auto history = [&] {
        return QFileInfo(historyPath).isFile() ? VersionDir::readFile(historyPath) : QByteArray();
    };
    const QByteArray historyBefore = history();
    QStringList contents;
    for (const QString &name : entriesBefore)
        contents << QString::fromUtf8(dir->read(name));

    QStringList args;
    for (const QString &argument : qAsConst(arguments))
        args << substituted(argument, false);
    const Run run = quillfen(args);
    QVERIFY2(run.exitCode == exitCode, qPrintable(run.err));
    // Exit status 3 tells a change that went only part of the way.
    bool unchanged
        = exitCode == 1 || exitCode == 2 || arguments.contains(QLatin1String("--dry-run"));
    if (out.startsWith(QLatin1String("json:"))) {
        QJsonParseError error;
        const QJsonDocument json = QJsonDocument::fromJson(run.out.toUtf8(), &error);
        QVERIFY2(error.error == QJsonParseError::NoError && run.out.count(QLatin1Char('\n')) == 1,
                 qPrintable(run.out));
        // "key=value" the whole value, "key~text" a part of it (\s for a
        // blank).
        for (const QString &field : out.mid(5).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const int at = field.indexOf(QRegularExpression(QStringLiteral("[=~]")));
            const QString value = jsonText(json, field.left(at));
            const QString wanted = substituted(field.mid(at + 1), false)
                                       .replace(QLatin1String("\\s"), QLatin1String(" "));
            const bool part = field.at(at) == QLatin1Char('~');
            QVERIFY2(part ? value.contains(wanted) : value == wanted,
                     qPrintable(field + QLatin1String(" in ") + run.out));
        }
        unchanged
            = unchanged || jsonText(json, QStringLiteral("changed")) == QLatin1String("false");
    } else {
        const QRegularExpression printed(
            QRegularExpression::anchoredPattern(substituted(out, true)),
            QRegularExpression::DotMatchesEverythingOption);
        QVERIFY2(printed.match(run.out).hasMatch(), qPrintable(run.out));
    }
    const QRegularExpression said(substituted(err, true),
                                  QRegularExpression::DotMatchesEverythingOption);
    QVERIFY2(said.match(run.err).hasMatch(), qPrintable(run.err));
    if (err.isEmpty())
        QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
    QCOMPARE(this->linkedTo(), substituted(linkedTo, false));
    // A refusal, a dry run or an answer of "changed": false changes nothing,
    // not even a hidden name or the history.
    if (unchanged) {
        QCOMPARE(dir->entries(), entriesBefore);
        QCOMPARE(this->linkedTo(), linkedBefore);
        QCOMPARE(history(), historyBefore);
    }
    // No content is lost, whatever was asked: only a clean-up moves some of
    // it, to the trash.
    QStringList after;
    for (const QString &name : dir->entries())
        after << QString::fromUtf8(dir->read(name));
    const QDir trash(work->filePath(QStringLiteral("data/Trash/files")));
    if ((arguments.contains(QLatin1String("--prune"))
         || arguments.contains(QLatin1String("--trash")))
        && !arguments.contains(QLatin1String("--dry-run"))) {
        for (const QString &name : trash.entryList(QDir::Files))
            after << QString::fromUtf8(VersionDir::readFile(trash.filePath(name)));
    }
    for (const QString &content : qAsConst(contents))
        QVERIFY2(after.contains(content), qPrintable(content));
    // The trash claims nothing that it does not hold.
    const QDir info(work->filePath(QStringLiteral("data/Trash/info")));
    for (const QString &name : info.entryList(QDir::Files))
        QVERIFY2(trash.exists(name.chopped(int(qstrlen(".trashinfo")))), qPrintable(name));
}

// A pick in the window and a step back from the command line, and back
// again from the window: one history.
void TestCommandLine::windowAndCommandLine_shareOneHistory()
{
    dir->link(QStringLiteral("app-1.exe"), QStringLiteral("app.exe"));
    config = ConfigStore();
    config.readFile(work->filePath(QStringLiteral("config.cfg")));
    Body body;
    body.show();
    auto *previous = body.findChild<QAction *>(QStringLiteral("actionPrevious"));
    QVERIFY(!previous->isEnabled());
    RowDriver::clickSelect(RowDriver::rowNamed(&body, QStringLiteral("app-3.exe")));
    RowDriver::settle();
    QCOMPARE(linkedTo(), QStringLiteral("app-3.exe"));
    QVERIFY(previous->isEnabled());

    const Run run = quillfen({QStringLiteral("--previous"), QStringLiteral("app.exe")});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(linkedTo(), QStringLiteral("app-1.exe"));
    previous->trigger();
    RowDriver::settle();
    QCOMPARE(linkedTo(), QStringLiteral("app-3.exe"));
    QVERIFY(
        RowDriver::select(RowDriver::rowNamed(&body, QStringLiteral("app-3.exe")))->isChecked());
    QCOMPARE(quillfen({QStringLiteral("--history")}).out.count(QLatin1Char('\n')), 3);
    config = ConfigStore();
}

// Two command lines at once, as two terminals or a script and a timer would
// run them: one clears out all but the newest version again and again while
// the other switches the link between two older ones. Whoever runs first,
// the link never leads nowhere and no version is lost.
void TestCommandLine::pruneAgainstSet_linkNeverDanglesNoVersionLost()
{
    dir->link(QStringLiteral("app-1.exe"), QStringLiteral("app.exe"));
    const QString trash = work->filePath(QStringLiteral("data/Trash"));
    // For four seconds one process picks app-1.exe and app-2.exe in turn,
    // another clears out all but the newest and puts back what it moved.
    QProcess race;
    race.setProcessEnvironment(environment());
    race.setWorkingDirectory(work->path());
    race.start(QStringLiteral("sh"),
               {QStringLiteral("-c"),
                QStringLiteral("end=$(($(date +%s) + 4)); alive() { [ $(date +%s) -lt $end ]; }\n"
                               "while alive; do for v in 1 2; do \"$1\" -e --set app.exe "
                               "app-$v.exe; done; done >/dev/null 2>&1 &\n"
                               "while alive; do \"$1\" -e --prune app.exe 1; mv -n \"$3\"/files/* "
                               "\"$2\"; rm -f \"$3\"/info/*; done >/dev/null 2>&1; wait"),
                QStringLiteral("sh"), qEnvironmentVariable("QUILLFEN_BINARY"), dir->path(), trash});
    QVERIFY(race.waitForStarted());
    // Opening follows the link in one step, as a program started through it
    // would: reading its target and then looking there would race.
    QFile through(dir->path(QStringLiteral("app.exe")));
    int samples = 0;
    int dangling = 0;
    while (!race.waitForFinished(0)) {
        ++samples;
        dangling += !through.open(QIODevice::ReadOnly);
        through.close();
    }
    QVERIFY2(samples > 1000 && dangling == 0,
             qPrintable(QStringLiteral("%1 of %2").arg(dangling).arg(samples)));
    for (const char *version : {"1", "2", "3"}) {
        const QString name = QStringLiteral("app-%1.exe").arg(QLatin1String(version));
        QVERIFY2(QFileInfo::exists(dir->path(name)) || QFileInfo::exists(trash + "/files/" + name),
                 qPrintable(name));
    }
}

// A long copy holds no lock: a --set from another shell meanwhile is done
// at once, and the add then publishes its version all the same.
void TestCommandLine::setDuringALongAdd_isNotKeptWaiting()
{
    if (QStandardPaths::findExecutable(QStringLiteral("strace")).isEmpty())
        QSKIP("strace is not installed");
    dir->link(QStringLiteral("app-1.exe"), QStringLiteral("app.exe"));
    const QString big
        = VersionDir::write(work->filePath(QStringLiteral("big.bin")), QByteArray(1 << 21, 'b'));
    // Each write of the copy (64 KiB) made to take 0.2 s: 6 s in all.
    QProcess add;
    QProcessEnvironment slow = environment();
    slow.insert(QStringLiteral("ASAN_OPTIONS"),
                slow.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":detect_leaks=0"));
    add.setProcessEnvironment(slow);
    add.setWorkingDirectory(work->path());
    add.start(QStringLiteral("strace"),
              {"-f", "-o", "/dev/null", "-e", "trace=write", "-e",
               "inject=write:delay_enter=200000", qEnvironmentVariable("QUILLFEN_BINARY"), "-e",
               "--add", "app.exe", big});
    QVERIFY(add.waitForStarted());
    // Once the copy has begun.
    QTRY_VERIFY_WITH_TIMEOUT(
        !QDir(dir->path())
             .entryList({QStringLiteral(".*quillfen-*")}, QDir::Hidden | QDir::Files)
             .isEmpty(),
        10000);
    QElapsedTimer took;
    took.start();
    const Run set = quillfen({"-e", "--set", "app.exe", "app-2.exe"});
    QVERIFY2(set.exitCode == 0, qPrintable(set.err));
    QVERIFY2(took.elapsed() < 2500, qPrintable(QString::number(took.elapsed())));
    QVERIFY(add.state() == QProcess::Running);
    QVERIFY(add.waitForFinished(60000));
    QCOMPARE(add.exitCode(), 0);
    QCOMPARE(dir->read(dated()), QByteArray(1 << 21, 'b'));
    QCOMPARE(linkedTo(), QStringLiteral("app-2.exe"));
}

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
