#include "history.h"

#include <QtTest>

#include <atomic>
#include <thread>

// The record of link changes: the lines it reads back, one case per damaged
// line, and writers appending at the same time.
class TestHistory : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void read_data();
    void read();
    void append_atTheSameTime_losesNoLine();
    void append_pastTheLimit_keepsNewestWholeLines();

private:
    QTemporaryDir state;
};

void TestHistory::initTestCase()
{
    qputenv("XDG_STATE_HOME", state.path().toUtf8());
}

void TestHistory::read_data()
{
    QTest::addColumn<QByteArray>("line"); // after a good one; empty: appended by History
    QTest::addColumn<QString>("after"); // of the last record read
    QTest::addColumn<int>("skipped"); // lines read as cut short or not ours
    const QByteArray time("2026-12-09T10:00:00.000Z\t");
    // A line of ours cut in the middle of each of its fields (a full disk
    // writes what fits), the next append starting a line after it.
    const QByteArray whole = History::format({QDateTime::currentDateTimeUtc(),
                                              QStringLiteral("/v/app.exe"),
                                              QStringLiteral("/v/app-2.exe"),
                                              QStringLiteral("/v/app-3.exe")})
                                 .toUtf8();
    const QList<QByteArray> fields = whole.split('\t');
    for (int field = 0, end = 0; field < fields.size(); ++field) {
        end += fields.at(field).size() + (field > 0);
        QTest::addRow("ours, cut in field %d", field + 1)
            << whole.left(end - fields.at(field).size() / 2) + '\n' << "/v/app-2.exe" << 1;
    }
    QByteArray changed = whole;
    changed[changed.size() - 1] = 'x'; // app-3.exx
    QTest::newRow("ours, a byte changed") << changed + '\n' << "/v/app-2.exe" << 1;
    QTest::newRow("ours, whole") << whole + '\n' << "/v/app-3.exe" << 0;
    QTest::newRow("appended") << QByteArray() << "/v/a\tb\nc\rd\\e.exe" << 0;
    QTest::newRow("empty") << QByteArray("\n") << "/v/app-2.exe" << 0;
    QTest::newRow("three fields") << time + "/a\t/b\n"
                                  << "/v/app-2.exe" << 1;
    QTest::newRow("five fields") << time + "/a\t/b\t/c\t/d\n"
                                 << "/v/app-2.exe" << 1;
    QTest::newRow("no time") << QByteArray("yesterday\t/v/app.exe\t/a\t/b\n") << "/v/app-2.exe"
                             << 1;
    QTest::newRow("no link") << time + "\t/a\t/b\n"
                             << "/v/app-2.exe" << 1;
    QTest::newRow("unknown escape") << time + "/v/app.exe\t\\q\t/b\n"
                                    << "/v/app-2.exe" << 1;
    QTest::newRow("escape at the end") << time + "/v/app.exe\t/a\t\\\n"
                                       << "/v/app-2.exe" << 1;
    QTest::newRow("cut off") << time + "/v/app.exe\t/a\t/b"
                             << "/v/app-2.exe" << 1;
    QTest::newRow("binary") << QByteArray("\x00\xff\xfe\t\t\t\n", 7) << "/v/app-2.exe" << 1;
}

void TestHistory::read()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, after);
    QFETCH(int, skipped);
    QDir().mkpath(QFileInfo(History::filePath()).absolutePath());
    QFile file(History::filePath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("2026-12-09T09:00:00.000Z\t/v/app.exe\t/v/app-1.exe\t/v/app-2.exe\n" + line);
    file.close();
    QString error;
    if (line.isEmpty())
        QVERIFY(History::append(QStringLiteral("/v/app.exe"), QString(), after, &error));
    bool ok = false;
    int cut = -1;
    const QVector<History::Record> records = History::read(&ok, &error, &cut);
    QVERIFY(ok);
    QCOMPARE(cut, skipped);
    // The first line leads to app-2.exe; a second record read leads elsewhere.
    QCOMPARE(records.size(), after == QLatin1String("/v/app-2.exe") ? 1 : 2);
    QCOMPARE(records.last().link, QStringLiteral("/v/app.exe"));
    QCOMPARE(records.last().after, after);
    if (line.isEmpty())
        QVERIFY(qAbs(records.last().time.secsTo(QDateTime::currentDateTimeUtc())) < 60);
}

// Two writers append each lines to one.exe and two.exe at once, each
// opening the file on its own as two processes would; how many were refused.
static int appendTogether(int each)
{
    std::atomic<int> refused {0};
    const auto writer = [&refused, each](const QString &link) {
        QString error;
        for (int i = 0; i < each; ++i)
            refused += !History::append(link, QStringLiteral("/v/before-%1").arg(i),
                                        QStringLiteral("/v/after-%1").arg(i), &error);
    };
    std::thread first(writer, QStringLiteral("/v/one.exe"));
    std::thread second(writer, QStringLiteral("/v/two.exe"));
    first.join();
    second.join();
    return refused;
}

void TestHistory::append_atTheSameTime_losesNoLine()
{
    QFile::remove(History::filePath());
    QCOMPARE(appendTogether(500), 0);
    bool ok = false;
    QString error;
    QCOMPARE(History::read(&ok, &error).size(), 1000);
}

// Writers go on while the file passes its limit and is rewritten: it stays
// bounded, holds only whole lines, and none of the newest is lost.
void TestHistory::append_pastTheLimit_keepsNewestWholeLines()
{
    QFile file(History::filePath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    const QByteArray line = "2026-12-01T00:00:00.000Z\t/v/old.exe\t/v/a.exe\t/v/b.exe\n";
    while (file.size() < (1 << 20) - line.size())
        file.write(line);
    file.close();
    QCOMPARE(appendTogether(300), 0);
    QVERIFY(file.size() <= (1 << 20));
    bool ok = false;
    QString error;
    const QVector<History::Record> records = History::read(&ok, &error);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(records.size(), file.readAll().count('\n')); // every line whole
    QCOMPARE(records.first().link, QStringLiteral("/v/old.exe"));
    QMap<QString, int> newest;
    for (const History::Record &record : records)
        ++newest[record.link];
    QCOMPARE(newest.value(QStringLiteral("/v/one.exe")), 300);
    QCOMPARE(newest.value(QStringLiteral("/v/two.exe")), 300);
}

QTEST_MAIN(TestHistory)
#include "tst_history.moc"
