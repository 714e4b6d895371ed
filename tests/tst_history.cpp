#include "history.h"

#include <QtTest>

#include <thread>

// The record of link changes: its lines, what a damaged file yields, and
// appends that run at the same time.
class TestHistory : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void line_roundTrip_data();
    void line_roundTrip();
    void read_damagedLines_skipped_data();
    void read_damagedLines_skipped();
    void append_atTheSameTime_losesNoLine();
    void append_unwritable_saysWhy();

private:
    void writeHistory(const QByteArray &bytes);
    QTemporaryDir state;
};

void TestHistory::init()
{
    QVERIFY(state.isValid());
    qputenv("XDG_STATE_HOME", state.path().toUtf8());
    QFile::remove(History::filePath());
}

void TestHistory::writeHistory(const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(History::filePath()).absolutePath());
    QFile file(History::filePath());
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

void TestHistory::line_roundTrip_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::newRow("plain") << "/v/app-1.exe" << "/v/app-2.exe";
    QTest::newRow("no link before") << "" << "/v/app-2.exe";
    QTest::newRow("tab, line breaks, backslash")
        << "/v/a\tb\nc\rd\\e.exe" << QStringLiteral("/v/バージョン\\t.exe");
}

void TestHistory::line_roundTrip()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QString error;
    QVERIFY2(History::append(QStringLiteral("/v/app.exe"), before, after, &error),
             qPrintable(error));
    bool ok = false;
    const QVector<History::Record> records = History::read(&ok, &error);
    QVERIFY(ok);
    QCOMPARE(records.size(), 1);
    QCOMPARE(records.at(0).link, QStringLiteral("/v/app.exe"));
    QCOMPARE(records.at(0).before, before);
    QCOMPARE(records.at(0).after, after);
    QVERIFY(qAbs(records.at(0).time.secsTo(QDateTime::currentDateTimeUtc())) < 60);
}

void TestHistory::read_damagedLines_skipped_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("empty") << QByteArray("\n");
    QTest::newRow("three fields") << QByteArray("2026-12-09T10:00:00.000Z\t/a\t/b\n");
    QTest::newRow("five fields") << QByteArray("2026-12-09T10:00:00.000Z\t/a\t/b\t/c\t/d\n");
    QTest::newRow("no time") << QByteArray("yesterday\t/v/app.exe\t/a\t/b\n");
    QTest::newRow("no link") << QByteArray("2026-12-09T10:00:00.000Z\t\t/a\t/b\n");
    QTest::newRow("unknown escape") << QByteArray("2026-12-09T10:00:00.000Z\t/v/app.exe\t\\q\t/b\n");
    QTest::newRow("escape at the end") << QByteArray("2026-12-09T10:00:00.000Z\t/v/app.exe\t/a\t\\\n");
    QTest::newRow("cut off") << QByteArray("2026-12-09T10:00:00.000Z\t/v/app.exe\t/a\t/b");
    QTest::newRow("binary") << QByteArray("\x00\xff\xfe\t\t\t\n", 7);
}

void TestHistory::read_damagedLines_skipped()
{
    QFETCH(QByteArray, line);
    const QByteArray good("2026-12-09T09:00:00.000Z\t/v/app.exe\t/v/app-1.exe\t/v/app-2.exe\n");
    writeHistory(good + line);
    bool ok = false;
    QString error;
    const QVector<History::Record> records = History::read(&ok, &error);
    QVERIFY(ok);
    QCOMPARE(records.size(), 1);
    QCOMPARE(records.at(0).after, QStringLiteral("/v/app-2.exe"));
}

// Each writer opens the file on its own, as two processes would.
void TestHistory::append_atTheSameTime_losesNoLine()
{
    const int perWriter = 500;
    const auto writer = [&](const QString &link) {
        QString error;
        for (int i = 0; i < perWriter; ++i)
            History::append(link, QStringLiteral("/v/before-%1.exe").arg(i),
                            QStringLiteral("/v/after-%1.exe").arg(i), &error);
    };
    std::thread first(writer, QStringLiteral("/v/one.exe"));
    std::thread second(writer, QStringLiteral("/v/two.exe"));
    first.join();
    second.join();
    bool ok = false;
    QString error;
    const QVector<History::Record> records = History::read(&ok, &error);
    QCOMPARE(records.size(), 2 * perWriter);
    QFile file(History::filePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll().count('\n'), 2 * perWriter);
}

void TestHistory::append_unwritable_saysWhy()
{
    // A file where the history's folder should be.
    QVERIFY(QDir(state.path()).mkpath(QStringLiteral("blocked")));
    qputenv("XDG_STATE_HOME", state.filePath(QStringLiteral("blocked")).toUtf8());
    QFile blocker(state.filePath(QStringLiteral("blocked/quillfen")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QString error;
    QVERIFY(!History::append(QStringLiteral("/v/app.exe"), QString(), QStringLiteral("/v/a"),
                             &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(blocker.remove());
}

QTEST_MAIN(TestHistory)
#include "tst_history.moc"
