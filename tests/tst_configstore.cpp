#include "configstore.h"

#include <QtTest>

#include <vector>

class TestConfigStore : public QObject
{
    Q_OBJECT

private slots:
    void readFile_data();
    void readFile();
    void readFile_duplicateKeys();
    void readFile_addsToWhatIsThere();
    void unopenable_reportsAndStaysEmpty_data();
    void unopenable_reportsAndStaysEmpty();
    void binaryFile_doesNotCrash();
    void encodings_findJapaneseDirectory_data();
    void encodings_findJapaneseDirectory();
    void commandLine_data();
    void commandLine();
    void commandLine_anyEncoding();
    void lookups_caseRules();

private:
    QString writeFile(const QByteArray &bytes);
    QTemporaryDir dir;
    int fileCount = 0;
};

QString TestConfigStore::writeFile(const QByteArray &bytes)
{
    const QString name = dir.filePath(QStringLiteral("config%1.cfg").arg(++fileCount));
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(name));
    return name;
}

// Each row: the file's bytes, then "key=value" pairs read back with value()
// ("!key" means has() is false), then the rests of "Target".
void TestConfigStore::readFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QStringList>("targetRests");
    QTest::addColumn<int>("entries");

    QTest::newRow("only comments and blanks") << QByteArray("# c\n\n   \n\t\t\n  # Target a b\n")
                                              << QStringList {"!Target"} << QStringList() << 0;
    QTest::newRow("debug on, any case, with comment")
        << QByteArray("dEbUg_To_FiLe 1 # on\n") << QStringList {"Debug_to_file=1"} << QStringList()
        << 1;
    QTest::newRow("key=value is one key")
        << QByteArray("Debug_to_file=1\n") << QStringList {"!Debug_to_file"} << QStringList() << 1;
    QTest::newRow("first duplicate wins") << QByteArray("Debug_to_file 0\nDebug_to_file 1\n")
                                          << QStringList {"Debug_to_file=0"} << QStringList() << 2;
    QTest::newRow("three targets in order")
        << QByteArray("Target a.exe d1\n# Target x y\nTARGET b.exe\td2\ntarget c.exe d3 extra\n")
        << QStringList {"Target=a.exe"}
        << QStringList {" a.exe d1", " b.exe\td2", " c.exe d3 extra"} << 3;
    QTest::newRow("quoted value with spaces")
        << QByteArray("Path \"C:/my tools/x\" more\n") << QStringList {"Path=C:/my tools/x"}
        << QStringList() << 1;
    QTest::newRow("hash inside quotes cuts the line")
        << QByteArray("Path \"C:/a#b\"\n") << QStringList {"Path=C:/a"} << QStringList() << 1;
    QTest::newRow("single word") << QByteArray("Lonely\n") << QStringList {"Lonely="}
                                 << QStringList() << 1;
    QTest::newRow("quoted key with spaces")
        << QByteArray("\"my key\"value\n") << QStringList {"my key=value"} << QStringList() << 1;
    QTest::newRow("CR LF line ends")
        << QByteArray("Target a.exe d1\r\nDebug_to_file 1\r\n")
        << QStringList {"Debug_to_file=1", "Target=a.exe"} << QStringList {" a.exe d1"} << 2;
    QTest::newRow("no final line end")
        << QByteArray("Target a b") << QStringList {"Target=a"} << QStringList {" a b"} << 1;
    QTest::newRow("empty file") << QByteArray() << QStringList() << QStringList() << 0;
}

void TestConfigStore::readFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, values);
    QFETCH(QStringList, targetRests);
    QFETCH(int, entries);

    ConfigStore store;
    store.readFile(writeFile(bytes));
    for (const QString &expected : values) {
        if (expected.startsWith(QLatin1Char('!'))) {
            QVERIFY2(!store.has(expected.mid(1)), qPrintable(expected));
            continue;
        }
        const int eq = expected.indexOf(QLatin1Char('='));
        const QString key = expected.left(eq);
        QVERIFY2(store.has(key), qPrintable(key));
        QCOMPARE(store.value(key, QStringLiteral("<default>")), expected.mid(eq + 1));
    }
    QCOMPARE(store.restsOf(QStringLiteral("target")), targetRests);
    QCOMPARE(store.allKeys.size(), entries);
    QCOMPARE(store.allRests.size(), entries);
}

void TestConfigStore::readFile_duplicateKeys()
{
    ConfigStore store;
    store.readFile(writeFile("Key 1\nkey 2\nKey 3\nKEY 4\n"));
    QCOMPARE(store.keys, (QStringList {"Key", "key", "KEY"}));
    QCOMPARE(store.keyValues, (QStringList {"1", "2", "4"}));
    QCOMPARE(store.upperKeys, QStringList {"KEY"});
    QCOMPARE(store.upperValues, QStringList {"1"});
    QCOMPARE(store.allValues, (QStringList {"1", "2", "3", "4"}));
    QCOMPARE(store.option(QStringLiteral("key"), QStringLiteral("d")), QStringLiteral("2"));
    QCOMPARE(store.option(QStringLiteral("kEY"), QStringLiteral("d")), QStringLiteral("d"));
    QVERIFY(!store.hasOption(QStringLiteral("kEy")));
    QCOMPARE(store.value(QStringLiteral("kEy"), QStringLiteral("d")), QStringLiteral("1"));
    QCOMPARE(store.restsOf(QStringLiteral("KeY")), (QStringList {" 1", " 2", " 3", " 4"}));
    QVERIFY(store.restsOf(QStringLiteral("Other")).isEmpty());
}

void TestConfigStore::readFile_addsToWhatIsThere()
{
    ConfigStore store;
    store.add(QStringLiteral("Target"), QStringLiteral("x"), QStringLiteral(" x y"));
    store.readFile(writeFile("Target a b\n"));
    QCOMPARE(store.restsOf(QStringLiteral("Target")), (QStringList {" x y", " a b"}));
}

void TestConfigStore::unopenable_reportsAndStaysEmpty_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing") << "missing";
    QTest::newRow("empty name") << "empty";
    QTest::newRow("directory") << "directory";
    QTest::newRow("endless device") << "device";
    QTest::newRow("too large") << "large";
    QTest::newRow("fifo") << "fifo";
}

void TestConfigStore::unopenable_reportsAndStaysEmpty()
{
    QFETCH(QString, kind);
    QString name;
    if (kind == QLatin1String("missing")) {
        name = dir.filePath(QStringLiteral("nothing-here.cfg"));
    } else if (kind == QLatin1String("directory")) {
        name = dir.path();
    } else if (kind == QLatin1String("device")) {
        name = QStringLiteral("/dev/zero");
        if (!QFileInfo::exists(name))
            QSKIP("no /dev/zero on this system");
    } else if (kind == QLatin1String("large")) {
        name = writeFile("Target a b\n");
        QFile file(name);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.resize(ConfigStore::MaxFileSize + 1));
    } else if (kind == QLatin1String("fifo")) {
        name = dir.filePath(QStringLiteral("pipe.cfg"));
        if (QProcess::execute(QStringLiteral("mkfifo"), {name}) != 0)
            QSKIP("mkfifo is not available");
    }
    QTest::ignoreMessage(QtDebugMsg,
                         qPrintable(QStringLiteral("Can't open config file :  \"%1\"").arg(name)));
    ConfigStore store;
    store.readFile(name);
    QVERIFY(store.allKeys.isEmpty());
    QVERIFY(store.keys.isEmpty());
}

void TestConfigStore::binaryFile_doesNotCrash()
{
    QByteArray bytes;
    QRandomGenerator generator(42);
    for (int i = 0; i < 200000; ++i)
        bytes.append(char(generator.bounded(256)));
    bytes.append("\nTarget app.exe dir\n");
    ConfigStore store;
    store.readFile(writeFile(bytes));
    QCOMPARE(store.allKeys.size(), store.allRests.size());
    QVERIFY(store.restsOf(QStringLiteral("Target")).contains(QStringLiteral(" app.exe dir")));
}

void TestConfigStore::encodings_findJapaneseDirectory_data()
{
    QTest::addColumn<QByteArray>("codecName");
    QTest::addColumn<QByteArray>("bom");
    QTest::newRow("utf-8") << QByteArray("UTF-8") << QByteArray();
    QTest::newRow("utf-8 with bom") << QByteArray("UTF-8") << QByteArray("\xEF\xBB\xBF");
    QTest::newRow("shift-jis") << QByteArray("Shift-JIS") << QByteArray();
    QTest::newRow("utf-16le with bom") << QByteArray("UTF-16LE") << QByteArray("\xFF\xFE");
}

void TestConfigStore::encodings_findJapaneseDirectory()
{
    QFETCH(QByteArray, codecName);
    QFETCH(QByteArray, bom);

    const QString japaneseDir = dir.filePath(QStringLiteral("ツール"));
    const QString japaneseFile = QStringLiteral("実行.exe");
    QVERIFY(QDir().mkpath(japaneseDir));
    QFile version(QDir(japaneseDir).filePath(japaneseFile));
    QVERIFY(version.open(QIODevice::WriteOnly));
    version.close();
    // The name is stored as UTF-8, readable by every other program.
    QVERIFY(QFile::encodeName(version.fileName()).endsWith(japaneseFile.toUtf8()));

    const QString text
        = QStringLiteral("# 設定\nTarget %1 \"%2\"\n").arg(japaneseFile, japaneseDir);
    QTextCodec *codec = QTextCodec::codecForName(codecName);
    QVERIFY(codec);
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    const QByteArray body = codec->fromUnicode(text.constData(), text.size(), &state);
    ConfigStore store;
    store.readFile(writeFile(bom + body));

    const QStringList rests = store.restsOf(QStringLiteral("Target"));
    QCOMPARE(rests.size(), 1);
    QCOMPARE(rests.first(),
             QStringLiteral(" \"%1\"").arg(japaneseDir).prepend(QLatin1Char(' ') + japaneseFile));
    QCOMPARE(store.value(QStringLiteral("Target"), QString()), japaneseFile);
    const QDir found(japaneseDir);
    QVERIFY(found.exists());
    QVERIFY(found.entryList(QDir::Files).contains(japaneseFile));
    QVERIFY(QFileInfo(found, japaneseFile).isFile());
}

void TestConfigStore::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("expected"); // "-opt=value" pairs, "!-opt" absent
    QTest::newRow("program only") << QStringList {"quillfen"} << QStringList {"!-c", "!quillfen"};
    QTest::newRow("-c file") << QStringList {"quillfen", "-c", "my.cfg"}
                             << QStringList {"-c=my.cfg"};
    QTest::newRow("-c last") << QStringList {"quillfen", "-c"} << QStringList {"-c="};
    QTest::newRow("-c then -e") << QStringList {"quillfen", "-c", "-e"}
                                << QStringList {"-c=", "-e="};
    QTest::newRow("-c twice, first wins")
        << QStringList {"quillfen", "-c", "a.cfg", "-c", "b.cfg"} << QStringList {"-c=a.cfg"};
    QTest::newRow("stray word ignored")
        << QStringList {"quillfen", "stray", "-e", "value", "stray2"}
        << QStringList {"-e=value", "!stray", "!stray2"};
    QTest::newRow("case matters") << QStringList {"quillfen", "-E"} << QStringList {"-E=", "!-e"};
    QTest::newRow("empty argument is a value")
        << QStringList {"quillfen", "-c", "", "x"} << QStringList {"-c="};
}

void TestConfigStore::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, expected);
    std::vector<QByteArray> bytes;
    for (const QString &argument : arguments)
        bytes.push_back(argument.toUtf8());
    std::vector<char *> argv;
    for (QByteArray &b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);

    const ConfigStore store(int(arguments.size()), argv.data());
    for (const QString &e : expected) {
        if (e.startsWith(QLatin1Char('!'))) {
            QVERIFY2(!store.hasOption(e.mid(1)), qPrintable(e));
            continue;
        }
        const int eq = e.indexOf(QLatin1Char('='));
        QVERIFY2(store.hasOption(e.left(eq)), qPrintable(e));
        QCOMPARE(store.option(e.left(eq), QStringLiteral("<none>")), e.mid(eq + 1));
        QCOMPARE(store.keyRests.at(store.keys.indexOf(e.left(eq))), e.mid(eq + 1));
    }
}

void TestConfigStore::commandLine_anyEncoding()
{
    QByteArray program("quillfen"), option("-c"), latin1("caf\xE9\xFF.cfg"),
        sjis("\x8E\xC0\x8D\x73");
    char *argv[] = {program.data(), option.data(), latin1.data(), sjis.data(), nullptr};
    const ConfigStore store(4, argv);
    QVERIFY(store.hasOption(QStringLiteral("-c")));
    QVERIFY(!store.option(QStringLiteral("-c"), QString()).isEmpty());
    QCOMPARE(store.allKeys.size(), 1);
}

void TestConfigStore::lookups_caseRules()
{
    ConfigStore store;
    store.add(QStringLiteral("straße"), QStringLiteral("v"), QStringLiteral(" v"));
    QVERIFY(store.has(QStringLiteral("STRASSE")));
    QVERIFY(store.hasOption(QStringLiteral("straße")));
    QVERIFY(!store.hasOption(QStringLiteral("STRASSE")));
    QCOMPARE(store.value(QStringLiteral("Missing"), QStringLiteral("dflt")),
             QStringLiteral("dflt"));
}

QTEST_GUILESS_MAIN(TestConfigStore)
#include "tst_configstore.moc"
