#include "body.h"
#include "startup.h"

#include <QtTest>

// Drives the real quillfen binary: it is started on the offscreen platform in
// a working directory of its own, watched through the disk and its debug
// output, and stopped again.
class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void debugLog_data();
    void debugLog();
    void configOption_data();
    void configOption();
    void missingConfigName_startsAnyway_data();
    void missingConfigName_startsAnyway();
    void readOnlyWorkingDirectory_startsAnyway();
    void helpAndVersion_needNoDisplayNorConfig_data();
    void helpAndVersion_needNoDisplayNorConfig();
    void translation_data();
    void translation();

private:
    // A directory holding one version of app.exe: the started program makes
    // the link app.exe there when it lists the target, which proves that
    // start-up got as far as the window.
    QString makeTargetDir(const QString &name);
    QString linkOf(const QString &targetDir) const;
    void writeText(const QString &path, const QByteArray &text);
    void start(const QStringList &arguments, const QString &workingDir);
    void waitForLink(const QString &targetDir);

    QScopedPointer<QTemporaryDir> dir;
    QProcess process;
    QByteArray errors;
};

void TestStartup::init()
{
    dir.reset(new QTemporaryDir);
    QVERIFY(dir->isValid());
    errors.clear();
}

void TestStartup::cleanup()
{
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(5000);
    }
    if (QTest::currentTestFailed())
        qWarning("quillfen printed: %s", errors.constData());
}

QString TestStartup::makeTargetDir(const QString &name)
{
    const QString path = dir->filePath(name);
    QDir().mkpath(path);
    writeText(path + QStringLiteral("/app-20261101-1.exe"), "v1");
    return path;
}

QString TestStartup::linkOf(const QString &targetDir) const
{
    return QFileInfo(targetDir + QStringLiteral("/app.exe")).symLinkTarget();
}

void TestStartup::writeText(const QString &path, const QByteArray &text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

void TestStartup::start(const QStringList &arguments, const QString &workingDir)
{
    const QString binary = QString::fromLocal8Bit(qgetenv("QUILLFEN_BINARY"));
    if (binary.isEmpty())
        QSKIP("QUILLFEN_BINARY is not set; run through ctest");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // The user's own configuration folder stays out of the tests.
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir->filePath(QStringLiteral("xdg")));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(workingDir);
    connect(
        &process, &QProcess::readyReadStandardError, this,
        [this] { errors += process.readAllStandardError(); }, Qt::UniqueConnection);
    process.start(binary, arguments);
    QVERIFY(process.waitForStarted());
}

void TestStartup::waitForLink(const QString &targetDir)
{
    QTRY_VERIFY_WITH_TIMEOUT(!linkOf(targetDir).isEmpty(), 20000);
    QCOMPARE(process.state(), QProcess::Running);
}

void TestStartup::debugLog_data()
{
    QTest::addColumn<QByteArray>("setting");
    QTest::addColumn<bool>("logExists");
    QTest::addColumn<bool>("emptied");
    QTest::newRow("1 empties") << QByteArray("Debug_to_file 1") << true << true;
    QTest::newRow("1 creates") << QByteArray("debug_TO_file 1 # on") << false << true;
    QTest::newRow("2 leaves it") << QByteArray("Debug_to_file 2") << true << false;
    QTest::newRow("0 leaves it") << QByteArray("Debug_to_file 0") << true << false;
    QTest::newRow("word leaves it") << QByteArray("Debug_to_file yes") << true << false;
    QTest::newRow("joined by = leaves it") << QByteArray("Debug_to_file=1") << true << false;
    QTest::newRow("absent does not create") << QByteArray() << false << false;
    QTest::newRow("first of two wins")
        << QByteArray("Debug_to_file 0\nDebug_to_file 1") << true << false;
}

void TestStartup::debugLog()
{
    QFETCH(QByteArray, setting);
    QFETCH(bool, logExists);
    QFETCH(bool, emptied);
    const QString targetDir = makeTargetDir(QStringLiteral("versions"));
    const QString log = dir->filePath(QStringLiteral("log.log"));
    if (logExists)
        writeText(log, "old entries\n");
    writeText(dir->filePath(QStringLiteral("config.cfg")),
              setting + "\nTarget app.exe \"" + targetDir.toUtf8() + "\"\n");

    start({}, dir->path());
    waitForLink(targetDir);
    if (emptied) {
        QVERIFY(QFileInfo::exists(log));
        QCOMPARE(QFileInfo(log).size(), qint64(0));
    } else if (logExists) {
        QCOMPARE(QFileInfo(log).size(), qint64(12));
    } else {
        QVERIFY(!QFileInfo::exists(log));
    }
}

void TestStartup::configOption_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<bool>("noConfigInWorkingDir");
    QTest::newRow("default") << QStringList() << "default" << false;
    QTest::newRow("config.cfg wins over the user's") << QStringList() << "default" << false;
    QTest::newRow("the user's when there is no config.cfg") << QStringList() << "user" << true;
    QTest::newRow("-c wins over the user's") << QStringList {"-c", "c.cfg"} << "c" << true;
    QTest::newRow("-c") << QStringList {"-c", "c.cfg"} << "c" << false;
    QTest::newRow("-config") << QStringList {"-config", "config2.cfg"} << "config2" << false;
    QTest::newRow("-config wins over -c")
        << QStringList {"-c", "c.cfg", "-config", "config2.cfg"} << "config2" << false;
    QTest::newRow("-config wins when first")
        << QStringList {"-config", "config2.cfg", "-c", "c.cfg"} << "config2" << false;
    QTest::newRow("unknown options ignored")
        << QStringList {"-E", "-x", "y", "-c", "c.cfg"} << "c" << false;
}

void TestStartup::configOption()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, chosen);
    QFETCH(bool, noConfigInWorkingDir);
    const QStringList names {"default", "c", "config2", "user"};
    const QStringList files {"config.cfg", "c.cfg", "config2.cfg", "xdg/quillfen/config.cfg"};
    QVERIFY(QDir(dir->path()).mkpath(QStringLiteral("xdg/quillfen")));
    for (int i = 0; i < names.size(); ++i) {
        const QString targetDir = makeTargetDir(names.at(i));
        if (i > 0 || !noConfigInWorkingDir)
            writeText(dir->filePath(files.at(i)),
                      "Target app.exe \"" + targetDir.toUtf8() + "\"\n");
    }
    start(arguments, dir->path());
    waitForLink(dir->filePath(chosen));
    for (const QString &name : names) {
        if (name != chosen)
            QVERIFY2(linkOf(dir->filePath(name)).isEmpty(), qPrintable(name + " was read"));
    }
}

void TestStartup::missingConfigName_startsAnyway_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("name");
    QTest::newRow("-c last") << QStringList {"-c"} << "";
    QTest::newRow("-c then -e") << QStringList {"-c", "-e"} << "";
    QTest::newRow("config.cfg beside the binary is not looked at") << QStringList() << "config.cfg";
}

void TestStartup::missingConfigName_startsAnyway()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, name);
    start(arguments, dir->path());
    const QByteArray expected = "Can't open config file :  \"" + name.toUtf8() + "\"";
    QTRY_VERIFY_WITH_TIMEOUT(errors.contains(expected), 20000);
    QTest::qWait(300);
    QCOMPARE(process.state(), QProcess::Running);
    QCOMPARE(errors.count("Can't open config file"), 1);
}

void TestStartup::readOnlyWorkingDirectory_startsAnyway()
{
    const QString work = dir->filePath(QStringLiteral("work"));
    QVERIFY(QDir().mkpath(work));
    const QString targetDir = makeTargetDir(QStringLiteral("versions"));
    writeText(work + QStringLiteral("/config.cfg"),
              "Debug_to_file 1\nTarget app.exe \"" + targetDir.toUtf8() + "\"\n");
    if (QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), work}) != 0)
        QSKIP("chattr +i is not supported here, so the directory cannot be made read-only");
    start({}, work);
    waitForLink(targetDir);
    QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), work});
    QVERIFY(!QFileInfo::exists(work + QStringLiteral("/log.log")));
}

void TestStartup::helpAndVersion_needNoDisplayNorConfig_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QByteArray>("printed");
    QTest::newRow("--help") << "--help" << QByteArray("  -config FILE         the same; when both");
    QTest::newRow("--version") << "--version" << QByteArray("quillfen " QUILLFEN_VERSION "\n");
}

void TestStartup::helpAndVersion_needNoDisplayNorConfig()
{
    QFETCH(QString, option);
    QFETCH(QByteArray, printed);
    const QString targetDir = makeTargetDir(QStringLiteral("versions"));
    writeText(dir->filePath(QStringLiteral("config.cfg")),
              "Target app.exe \"" + targetDir.toUtf8() + "\"\n");
    QProcess quillfen;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // With no display to reach, opening a window would fail.
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    quillfen.setProcessEnvironment(environment);
    quillfen.setWorkingDirectory(dir->path());
    const QString binary = qEnvironmentVariable("QUILLFEN_BINARY");
    if (binary.isEmpty())
        QSKIP("QUILLFEN_BINARY is not set; run through ctest");
    quillfen.start(binary, {QStringLiteral("-e"), option, QStringLiteral("-x")});
    QVERIFY(quillfen.waitForFinished(20000));
    QCOMPARE(quillfen.exitStatus(), QProcess::NormalExit);
    QCOMPARE(quillfen.exitCode(), 0);
    const QByteArray out = quillfen.readAllStandardOutput();
    QVERIFY2(out.contains(printed), out.constData());
    QVERIFY(linkOf(targetDir).isEmpty()); // the configuration was not read
}

void TestStartup::translation_data()
{
    QTest::addColumn<bool>("installed");
    QTest::addColumn<QString>("title");
    QTest::newRow("japanese") << true << QStringLiteral("クイルフェン");
    QTest::newRow("-e keeps the source texts") << false << QStringLiteral("Quillfen");
}

void TestStartup::translation()
{
    QFETCH(bool, installed);
    QFETCH(QString, title);
    Q_INIT_RESOURCE(quillfen);
    QTranslator translator;
    QVERIFY(translator.load(QStringLiteral(":tarnwick_ja_JP"),
                            QCoreApplication::applicationDirPath(), QString(), QString()));
    if (installed)
        QCoreApplication::installTranslator(&translator);
    Body body;
    QCOMPARE(body.windowTitle(), title);
    // The status bar's messages are translated too: here, that there are no
    // targets.
    const QString status
        = body.findChild<QStatusBar *>(QStringLiteral("statusbar"))->currentMessage();
    QVERIFY2(status.startsWith(installed ? QStringLiteral("ターゲットがありません")
                                         : QStringLiteral("No targets")),
             qPrintable(status));
    QCOMPARE(translator.translate("ExeFile", "to Link"), QStringLiteral("リンク化"));
    QCOMPARE(translator.translate("ExeFile", "exe file"), QStringLiteral("実行ファイル"));
    QCOMPARE(QCoreApplication::translate("ExeFile", "Rename"),
             installed ? QStringLiteral("名前の変更") : QStringLiteral("Rename"));
    QCoreApplication::removeTranslator(&translator);
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
