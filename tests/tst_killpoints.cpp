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

private:
    // Runs the driver under strace with the given tampering; the exit code.
    int runDriver(const QStringList &tamper, const QStringList &arguments);
    // A directory of two versions with app.exe a plain file (for "toLink")
    // or a link to app-1.exe; the driver's arguments.
    QStringList prepare(VersionDir &dir, const QString &action);

    QString strace;
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

void TestKillPoints::killedAction_nameAlwaysLeadsToAVersion_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("syscall");
    QTest::addColumn<int>("when");
    // What app.exe may lead to once the action is cut short.
    QTest::addColumn<QStringList>("allowed");

    const QStringList toLinkCalls {"link", "symlink", "renameat2", "unlink"};
    for (const QString &call : toLinkCalls)
        QTest::addRow("toLink, before %s", qPrintable(call))
            << "toLink" << call << 1 << QStringList {"in use"};
    // link the new name, the temporary link, the exchange, removing what came
    // out, removing the old name
    const QList<QPair<QString, int>> renameCalls {
        {"link", 1}, {"symlink", 1}, {"renameat2", 1}, {"unlink", 1}, {"unlink", 2}};
    for (const auto &call : renameCalls)
        QTest::addRow("rename current, before %s #%d", qPrintable(call.first), call.second)
            << "rename" << call.first << call.second << QStringList {"1"};
    for (const QString &call :
         {QStringLiteral("symlink"), QStringLiteral("renameat2"), QStringLiteral("unlink")})
        QTest::addRow("pick, before %s", qPrintable(call))
            << "pick" << call << 1 << QStringList {"1", "2"};
}

void TestKillPoints::killedAction_nameAlwaysLeadsToAVersion()
{
    QFETCH(QString, action);
    QFETCH(QString, syscall);
    QFETCH(int, when);
    QFETCH(QStringList, allowed);

    VersionDir dir;
    const QStringList arguments = prepare(dir, action);
    const int exitCode
        = runDriver({"-e", "trace=" + syscall, "-e",
                     QStringLiteral("inject=%1:signal=KILL:when=%2").arg(syscall).arg(when)},
                    arguments);
    // The kill point lies inside the action: strace reports the signal.
    QVERIFY2(exitCode != 0, "the action finished before the kill point");

    const QByteArray inUse = dir.read(QStringLiteral("app.exe"));
    QVERIFY2(allowed.contains(QString::fromUtf8(inUse)), inUse.constData());
    // Every content is still on disk under some name.
    QByteArrayList contents;
    for (const QString &name : dir.entries()) {
        if (!QFileInfo(dir.path(name)).isSymLink())
            contents << dir.read(name);
    }
    const QByteArrayList expected = action == QLatin1String("toLink")
        ? QByteArrayList {"1", "2", "in use"}
        : QByteArrayList {"1", "2"};
    for (const QByteArray &content : expected)
        QVERIFY2(contents.contains(content), content.constData());
}

QStringList TestKillPoints::prepare(VersionDir &dir, const QString &action)
{
    dir.add(QStringLiteral("app-1.exe"), "1");
    dir.add(QStringLiteral("app-2.exe"), "2");
    QStringList arguments {dir.path(), action};
    if (action == QLatin1String("toLink")) {
        dir.add(QStringLiteral("app.exe"), "in use");
    } else {
        dir.link(QStringLiteral("app-1.exe"), QStringLiteral("app.exe"));
        arguments << (action == QLatin1String("pick") ? QStringList {"app-2.exe"}
                                                      : QStringList {"app-1.exe", "app-1b.exe"});
    }
    return arguments;
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
    driver.setProcessEnvironment(environment);
    driver.start(strace,
                 QStringList {"-f", "-o", "/dev/null"} + tamper
                     + QStringList {qEnvironmentVariable("QUILLFEN_KILLDRIVER")} + arguments);
    if (!driver.waitForFinished(60000))
        return -1;
    return driver.exitCode();
}

void TestKillPoints::withoutExchangeOrHardLinks_actionsStillWork_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("tamper");
    QTest::addColumn<QString>("linkedTo");
    // What a file system without the exchange (EINVAL) or without hard links
    // (EPERM, as FAT) answers.
    const QString noExchange = QStringLiteral("inject=renameat2:error=EINVAL");
    const QString noHardLinks = QStringLiteral("inject=link:error=EPERM");
    const QString dated = QStringLiteral("app-%1-1.exe")
                              .arg(QDate::currentDate().toString(QStringLiteral("yyyyMMdd")));
    QTest::newRow("pick, no exchange") << "pick" << noExchange << "app-2.exe";
    QTest::newRow("toLink, no exchange") << "toLink" << noExchange << dated;
    QTest::newRow("toLink, no hard links") << "toLink" << noHardLinks << dated;
    QTest::newRow("rename current, no exchange") << "rename" << noExchange << "app-1b.exe";
    QTest::newRow("rename current, no hard links") << "rename" << noHardLinks << "app-1b.exe";
}

void TestKillPoints::withoutExchangeOrHardLinks_actionsStillWork()
{
    QFETCH(QString, action);
    QFETCH(QString, tamper);
    QFETCH(QString, linkedTo);
    VersionDir dir;
    const QStringList arguments = prepare(dir, action);
    QCOMPARE(runDriver({"-e", tamper}, arguments), 0);
    QCOMPARE(dir.linkTarget(QStringLiteral("app.exe")), linkedTo);
    QStringList expected {"app-1.exe", "app-2.exe", "app.exe"};
    if (action == QLatin1String("toLink"))
        expected << linkedTo;
    if (action == QLatin1String("rename"))
        expected.replace(0, linkedTo);
    expected.sort();
    QCOMPARE(dir.entries(), expected);
}

QTEST_MAIN(TestKillPoints)
#include "tst_killpoints.moc"
