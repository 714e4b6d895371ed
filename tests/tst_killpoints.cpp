#include "safefs.h"
#include "versiondir.h"

#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

// A user action killed just before one of its file system calls: the link's
// name must still lead to a version the user had (never missing, never
// dangling), and no content may be lost.
class TestKillPoints : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void killedAction_nameAlwaysLeadsToAVersion_data();
    void killedAction_nameAlwaysLeadsToAVersion();
    void withoutExchangeOrHardLinks_actionsStillWork_data();
    void withoutExchangeOrHardLinks_actionsStillWork();
    void copyCutShort_leavesNoPartialVersion_data();
    void copyCutShort_leavesNoPartialVersion();

private:
    // Runs the action's program under strace with the given tampering; the
    // exit code.
    int runDriver(const QStringList &tamper, const QStringList &arguments);
    // A directory of two versions with app.exe a plain file (for "toLink")
    // or a link to app-1.exe; the program and its arguments that carry out
    // the action through the window's rows or the command line.
    QStringList prepare(VersionDir &dir, const QString &action, const QString &face);
    // Each row of a table once for the window's rows and once for the
    // command line.
    static void addFaces();
    // app.exe leads to an allowed content, and every content is on disk.
    void checkNothingLost(const VersionDir &dir, const QString &action, const QStringList &allowed);

    QString strace;
    QTemporaryDir work;
};

void TestKillPoints::initTestCase()
{
    strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
    if (strace.isEmpty())
        QSKIP("strace is not installed");
    QProcess probe;
    probe.start(strace,
                {QStringLiteral("-o"), QStringLiteral("/dev/null"), QStringLiteral("true")});
    if (!probe.waitForFinished(10000) || probe.exitCode() != 0)
        QSKIP("strace cannot trace here");
}

void TestKillPoints::addFaces()
{
    QTest::addColumn<QString>("face");
}

void TestKillPoints::killedAction_nameAlwaysLeadsToAVersion_data()
{
    addFaces();
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("syscall");
    QTest::addColumn<int>("when");
    // What app.exe may lead to once the action is cut short.
    QTest::addColumn<QStringList>("allowed");

    for (const char *face : {"window", "command line"}) {
        const QStringList toLinkCalls {"link", "symlink", "renameat2", "unlink"};
        for (const QString &call : toLinkCalls)
            QTest::addRow("%s: toLink, before %s", face, qPrintable(call))
                << face << "toLink" << call << 1 << QStringList {"in use"};
        // link the new name, the temporary link, the exchange, removing what
        // came out, removing the old name
        const QList<QPair<QString, int>> renameCalls {
            {"link", 1}, {"symlink", 1}, {"renameat2", 1}, {"unlink", 1}, {"unlink", 2}};
        for (const auto &call : renameCalls)
            QTest::addRow("%s: rename current, before %s #%d", face, qPrintable(call.first),
                          call.second)
                << face << "rename" << call.first << call.second << QStringList {"1"};
        for (const QString &call :
             {QStringLiteral("symlink"), QStringLiteral("renameat2"), QStringLiteral("unlink")})
            QTest::addRow("%s: pick, before %s", face, qPrintable(call))
                << face << "pick" << call << 1 << QStringList {"1", "2"};
    }
    // The .trashinfo is written, the file not yet moved.
    QTest::addRow("command line: prune, before the move") << "command line"
                                                          << "prune"
                                                          << "renameat2" << 1 << QStringList {"1"};
}

void TestKillPoints::killedAction_nameAlwaysLeadsToAVersion()
{
    QFETCH(QString, face);
    QFETCH(QString, action);
    QFETCH(QString, syscall);
    QFETCH(int, when);
    QFETCH(QStringList, allowed);

    VersionDir dir;
    QDir(work.filePath(QStringLiteral("data"))).removeRecursively();
    const QStringList arguments = prepare(dir, action, face);
    const int exitCode
        = runDriver({"-e", "trace=" + syscall, "-e",
                     QStringLiteral("inject=%1:signal=KILL:when=%2").arg(syscall).arg(when)},
                    arguments);
    // The kill point lies inside the action: strace reports the signal.
    QVERIFY2(exitCode != 0, "the action finished before the kill point");

    checkNothingLost(dir, action, allowed);
    if (QTest::currentTestFailed())
        return;
    // The next action, a minute later, finishes or undoes what was cut
    // short: each content has one version name, and no claim in the trash
    // waits for a file that will never come.
    const QString info = work.filePath(QStringLiteral("data/Trash/info"));
    QStringList left;
    for (const QString &name : QDir(info).entryList(QDir::Files))
        left << info + QLatin1Char('/') + name;
    for (const QString &name : dir.entries()) {
        if (name.startsWith(QLatin1Char('.')))
            left << dir.path(name);
    }
    if (!left.isEmpty())
        QCOMPARE(QProcess::execute(QStringLiteral("touch"),
                                   QStringList {"-h", "-d", "2 minutes ago"} + left),
                 0);
    const QStringList next
        = prepare(dir, QStringLiteral("next ") + action, QStringLiteral("command line"));
    QCOMPARE(runDriver({}, next), 0);
    checkNothingLost(dir, action, allowed);
    QHash<QByteArray, QString> names;
    for (const QString &name : dir.entries()) {
        const QByteArray identity = SafeFs::identityOf(dir.path(name), false);
        QVERIFY2(SafeFs::isSymLink(dir.path(name)) || !names.contains(identity),
                 qPrintable(name + QLatin1String(" and ") + names.value(identity)));
        names.insert(identity, name);
    }
    for (const QString &name : QDir(info).entryList(QDir::Files))
        QVERIFY2(QFileInfo::exists(work.filePath(QStringLiteral("data/Trash/files/"))
                                   + name.chopped(int(qstrlen(".trashinfo")))),
                 qPrintable(name));
}

void TestKillPoints::checkNothingLost(const VersionDir &dir, const QString &action,
                                      const QStringList &allowed)
{
    const QByteArray inUse = dir.read(QStringLiteral("app.exe"));
    QVERIFY2(allowed.contains(QString::fromUtf8(inUse)), inUse.constData());
    // Every content is still on disk under some name, or in the trash.
    QByteArrayList contents;
    for (const QString &name : dir.entries()) {
        if (!QFileInfo(dir.path(name)).isSymLink())
            contents << dir.read(name);
    }
    const QDir trash(work.filePath(QStringLiteral("data/Trash/files")));
    for (const QString &name : trash.entryList(QDir::Files))
        contents << VersionDir::readFile(trash.filePath(name));
    const QByteArrayList expected = action == QLatin1String("toLink")
        ? QByteArrayList {"1", "2", "in use"}
        : QByteArrayList {"1", "2"};
    for (const QByteArray &content : expected)
        QVERIFY2(contents.contains(content), content.constData());
}

QStringList TestKillPoints::prepare(VersionDir &dir, const QString &action, const QString &face)
{
    // "next" acts on the folder as it is: a clean-up that keeps every version
    // ("next prune": one that moves the versions not in use again).
    const bool next = action.startsWith(QLatin1String("next"));
    if (!next) {
        dir.add(QStringLiteral("app-1.exe"), "1");
        dir.add(QStringLiteral("app-2.exe"), "2");
    }
    const QStringList operands = action == QLatin1String("toLink") ? QStringList()
        : action == QLatin1String("pick")                          ? QStringList {"app-2.exe"}
        : action.endsWith(QLatin1String("prune"))                  ? QStringList {"0"}
        : next                                                     ? QStringList {"99"}
               : QStringList {"app-1.exe", "app-1b.exe"};
    if (action == QLatin1String("toLink"))
        dir.add(QStringLiteral("app.exe"), "in use");
    else if (!next)
        dir.link(QStringLiteral("app-1.exe"), QStringLiteral("app.exe"));
    if (face == QLatin1String("window"))
        return QStringList {qEnvironmentVariable("QUILLFEN_KILLDRIVER"), dir.path(), action}
        + operands;
    const QString configPath = work.filePath(QStringLiteral("config.cfg"));
    QFile config(configPath);
    if (!config.open(QIODevice::WriteOnly)
        || config.write("Target app.exe \"" + dir.path().toUtf8() + "\"\n") <= 0)
        qFatal("cannot write %s", qPrintable(configPath));
    const QString command = action == QLatin1String("toLink") ? QStringLiteral("--to-link")
        : action == QLatin1String("pick")                     ? QStringLiteral("--set")
        : action == QLatin1String("rename")                   ? QStringLiteral("--rename")
                                                              : QStringLiteral("--prune");
    return QStringList {qEnvironmentVariable("QUILLFEN_BINARY"), QStringLiteral("-c"), configPath,
                        command, QStringLiteral("app.exe")}
    + operands;
}

int TestKillPoints::runDriver(const QStringList &tamper, const QStringList &arguments)
{
    QProcess driver;
    driver.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // LeakSanitizer cannot work under ptrace.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ASAN_OPTIONS"),
                       environment.value(QStringLiteral("ASAN_OPTIONS"))
                           + QStringLiteral(":detect_leaks=0"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), work.filePath(QStringLiteral("data")));
    driver.setProcessEnvironment(environment);
    driver.start(strace, QStringList {"-f", "-o", "/dev/null"} + tamper + arguments);
    if (!driver.waitForFinished(60000))
        return -1;
    return driver.exitCode();
}

void TestKillPoints::withoutExchangeOrHardLinks_actionsStillWork_data()
{
    addFaces();
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("tamper");
    QTest::addColumn<QString>("linkedTo");
    QTest::addColumn<bool>("refused");
    // What a file system without the exchange (EINVAL) or without hard links
    // (EPERM, as FAT) answers.
    const QString noExchange = QStringLiteral("inject=renameat2:error=EINVAL");
    const QString noHardLinks = QStringLiteral("inject=link:error=EPERM");
    const QString dated = QStringLiteral("app-%1-1.exe")
                              .arg(QDate::currentDate().toString(QStringLiteral("yyyyMMdd")));
    for (const char *face : {"window", "command line"}) {
        QTest::addRow("%s: pick, no exchange", face)
            << face << "pick" << noExchange << "app-2.exe" << false;
        QTest::addRow("%s: toLink, no exchange", face)
            << face << "toLink" << noExchange << dated << false;
        QTest::addRow("%s: toLink, no hard links", face)
            << face << "toLink" << noHardLinks << dated << false;
        QTest::addRow("%s: rename current, no exchange", face)
            << face << "rename" << noExchange << "app-1b.exe" << false;
        QTest::addRow("%s: rename current, no hard links", face)
            << face << "rename" << noHardLinks << "app-1b.exe" << false;
        // The new name is made, but the link cannot follow it: the old name
        // stays, so the link does not dangle.
        QTest::addRow("%s: rename current, link cannot follow", face)
            << face << "rename" << QStringLiteral("inject=symlink:error=ENOSPC") << "app-1.exe"
            << true;
    }
}

void TestKillPoints::withoutExchangeOrHardLinks_actionsStillWork()
{
    QFETCH(QString, face);
    QFETCH(QString, action);
    QFETCH(QString, tamper);
    QFETCH(QString, linkedTo);
    QFETCH(bool, refused);
    VersionDir dir;
    const QStringList arguments = prepare(dir, action, face);
    // The window says so in its status bar; the command line in its status.
    QCOMPARE(runDriver({"-e", tamper}, arguments),
             refused && face == QLatin1String("command line") ? 1 : 0);
    QCOMPARE(dir.linkTarget(QStringLiteral("app.exe")), linkedTo);
    QStringList expected {"app-1.exe", "app-2.exe", "app.exe"};
    if (action == QLatin1String("toLink"))
        expected << linkedTo;
    if (action == QLatin1String("rename"))
        expected.replace(0, linkedTo);
    expected.sort();
    QCOMPARE(dir.entries(), expected);
}

void TestKillPoints::copyCutShort_leavesNoPartialVersion_data()
{
    QTest::addColumn<QString>("tamper");
    QTest::addColumn<int>("exitCode"); // -1: killed
    QTest::addColumn<bool>("added"); // the new version stands, whole
    // The copy's own calls: writing it, flushing it, naming it, removing the
    // temporary name, flushing the directory.
    QTest::newRow("killed before writing") << "inject=write:signal=KILL:when=1" << -1 << false;
    QTest::newRow("killed before flushing") << "inject=fsync:signal=KILL:when=1" << -1 << false;
    QTest::newRow("killed before naming") << "inject=link:signal=KILL:when=1" << -1 << false;
    QTest::newRow("killed after naming") << "inject=unlink:signal=KILL:when=1" << -1 << true;
    QTest::newRow("disk full") << "inject=write:error=ENOSPC:when=1" << 1 << false;
    QTest::newRow("flush fails") << "inject=fsync:error=EIO:when=1" << 1 << false;
    QTest::newRow("no hard links") << "inject=link:error=EPERM" << 0 << true;
}

void TestKillPoints::copyCutShort_leavesNoPartialVersion()
{
    QFETCH(QString, tamper);
    QFETCH(int, exitCode);
    QFETCH(bool, added);
    // The sanitizers write through write(2) themselves, before the copy does.
    if (QUILLFEN_SANITIZED && tamper.startsWith(QLatin1String("inject=write")))
        QSKIP("the sanitizers' own writes come before the copy's");
    VersionDir dir;
    QStringList arguments = prepare(dir, QStringLiteral("pick"), QStringLiteral("command line"));
    const QString source = work.filePath(QStringLiteral("build.bin"));
    QFile build(source);
    QVERIFY(build.open(QIODevice::WriteOnly) && build.write(QByteArray(200000, 'b')) == 200000);
    build.close();
    arguments.replace(3, QStringLiteral("--add"));
    arguments.replace(5, source);
    const int code = runDriver({"-e", "trace=write,fsync,link,unlink", "-e", tamper}, arguments);
    QCOMPARE(exitCode < 0 ? code != 0 && code != 1 : code == exitCode, true);
    const QString dated = QStringLiteral("app-%1-1.exe")
                              .arg(QDate::currentDate().toString(QStringLiteral("yyyyMMdd")));
    QCOMPARE(QFileInfo::exists(dir.path(dated)), added);
    if (added)
        QCOMPARE(dir.read(dated), QByteArray(200000, 'b'));
    // Nothing else under a version's name; at most our hidden temporary,
    // and none where the program could clean up after itself.
    for (const QString &name : dir.entries()) {
        if (name.startsWith(QLatin1Char('.')))
            QVERIFY2(exitCode < 0 && SafeFs::isTemporaryName(name), qPrintable(name));
        else
            QVERIFY2(QStringList({"app-1.exe", "app-2.exe", "app.exe", dated}).contains(name),
                     qPrintable(name));
    }
    QCOMPARE(dir.linkTarget(QStringLiteral("app.exe")), QStringLiteral("app-1.exe"));
}

QTEST_MAIN(TestKillPoints)
#include "tst_killpoints.moc"
