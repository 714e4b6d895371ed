#include "safefs.h"
#include "versiondir.h"

#include <QProcess>
#include <QtTest>

#include <atomic>
#include <thread>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

// The file system helper against another program working in the same
// directory, and the temporary links a killed process leaves behind.
class TestSafeFs : public QObject
{
    Q_OBJECT

private slots:
    void pointLinkTo_fileSwappedInMeanwhile_isNeverLost();
    void removeStaleTemporaries_onlyOldLinksOfOurs_data();
    void removeStaleTemporaries_onlyOldLinksOfOurs();
    void links_besideByBareName_survivesAMove_data();
    void links_besideByBareName_survivesAMove();
};

void TestSafeFs::pointLinkTo_fileSwappedInMeanwhile_isNeverLost()
{
#ifndef Q_OS_LINUX
    QSKIP("the other program swaps with renameat2, which is Linux's");
#else
    VersionDir dir;
    dir.add(QStringLiteral("app-1.exe"), "1");
    dir.add(QStringLiteral("app-2.exe"), "2");
    dir.add(QStringLiteral(".co-user"), "precious");
    dir.link(QStringLiteral("app-1.exe"), QStringLiteral("app.exe"));
    const QByteArray link = QFile::encodeName(dir.path(QStringLiteral("app.exe")));
    const QByteArray other = QFile::encodeName(dir.path(QStringLiteral(".co-user")));

    // Another program swaps its own file in and out of the link's name.
    std::atomic<bool> stop(false);
    std::atomic<int> swaps(0);
    std::thread coUser([&] {
        while (!stop) {
            if (::renameat2(AT_FDCWD, other.constData(), AT_FDCWD, link.constData(),
                            RENAME_EXCHANGE)
                == 0)
                ++swaps;
        }
    });
    QElapsedTimer timer;
    timer.start();
    int picks = 0;
    while (timer.elapsed() < 1500) {
        FsError error;
        SafeFs::pointLinkTo(dir.path(picks % 2 ? "app-1.exe" : "app-2.exe"),
                            dir.path(QStringLiteral("app.exe")), error);
        ++picks;
    }
    stop = true;
    coUser.join();
    QVERIFY2(swaps > 100, qPrintable(QString::number(swaps)));

    int copies = 0;
    for (const QString &name : dir.entries()) {
        QVERIFY2(!SafeFs::isTemporaryName(name), qPrintable(name));
        if (!SafeFs::isSymLink(dir.path(name)) && dir.read(name) == "precious")
            ++copies;
    }
    QCOMPARE(copies, 1);
#endif
}

void TestSafeFs::removeStaleTemporaries_onlyOldLinksOfOurs_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind"); // "link", "file", or "second name" of app-1.exe
    QTest::addColumn<bool>("old");
    QTest::addColumn<QString>("outcome"); // "removed", "trashed" or "stays"
    QTest::newRow("old link of ours") << ".app.exe.quillfen-1f3a9c"
                                      << "link" << true << "removed";
    QTest::newRow("old link, earlier naming") << ".app.exe.quillfen-4242-7"
                                              << "link" << true << "removed";
    QTest::newRow("fresh link of ours") << ".app.exe.quillfen-1f3a9c"
                                        << "link" << false << "stays";
    // A copy cut short before it got its name, or a version someone gave
    // such a name: its only name, so never deleted.
    QTest::newRow("old copy of ours, its only name") << ".app-20261209-1.exe.quillfen-1f3a9c"
                                                     << "file" << true << "trashed";
    QTest::newRow("old second name of a version") << ".app-1.exe.quillfen-1f3a9c"
                                                  << "second name" << true << "removed";
    QTest::newRow("copy of ours being written") << ".app-20261209-1.exe.quillfen-1f3a9c"
                                                << "file" << false << "stays";
    QTest::newRow("old file, not hidden") << "app.exe.quillfen-1f3a9c"
                                          << "file" << true << "stays";
    QTest::newRow("old link, not hidden") << "app.exe.quillfen-1f3a9c"
                                          << "link" << true << "stays";
    QTest::newRow("old link, other suffix") << ".app.exe.quillfen-1f3a9c.bak"
                                            << "link" << true << "stays";
}

void TestSafeFs::removeStaleTemporaries_onlyOldLinksOfOurs()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(bool, old);
    QFETCH(QString, outcome);
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    VersionDir dir;
    dir.add(QStringLiteral("app-1.exe"), "1");
    if (kind == QLatin1String("link"))
        dir.link(QStringLiteral("app-1.exe"), name);
    else if (kind == QLatin1String("file"))
        dir.add(name, "someone's data");
    else
        QVERIFY(::link(QFile::encodeName(dir.path(QStringLiteral("app-1.exe"))).constData(),
                       QFile::encodeName(dir.path(name)).constData())
                == 0);
    if (old)
        QCOMPARE(QProcess::execute(QStringLiteral("touch"),
                                   {"-h", "-d", "2 minutes ago", dir.path(name)}),
                 0);
    QStringList trashed;
    QCOMPARE(SafeFs::removeStaleTemporaries(dir.path(), &trashed),
             outcome == QLatin1String("stays") ? 0 : 1);
    QCOMPARE(SafeFs::exists(dir.path(name)), outcome == QLatin1String("stays"));
    QCOMPARE(trashed, outcome == QLatin1String("trashed") ? QStringList {name} : QStringList());
    if (outcome == QLatin1String("trashed"))
        QCOMPARE(VersionDir::readFile(data.filePath(QStringLiteral("Trash/files/")) + name),
                 QByteArray("someone's data"));
    QCOMPARE(dir.read(QStringLiteral("app-1.exe")), QByteArray("1"));
}

void TestSafeFs::links_besideByBareName_survivesAMove_data()
{
    QTest::addColumn<QString>("target"); // relative to the directory of versions
    QTest::addColumn<bool>("replace"); // an existing link is re-pointed
    QTest::addColumn<QString>("stored"); // "" for the absolute path of the target
    QTest::newRow("beside, new link") << "app-2.exe" << false << "app-2.exe";
    QTest::newRow("beside, re-pointed") << "app-2.exe" << true << "app-2.exe";
    QTest::newRow("in a subdirectory") << "old/app-2.exe" << true << "";
}

void TestSafeFs::links_besideByBareName_survivesAMove()
{
    QFETCH(QString, target);
    QFETCH(bool, replace);
    QFETCH(QString, stored);
    QTemporaryDir outer;
    const QString versions = outer.filePath(QStringLiteral("versions"));
    QVERIFY(QDir().mkpath(versions + QStringLiteral("/old")));
    for (const QString &name : {QStringLiteral("app-1.exe"), target}) {
        QFile file(versions + QLatin1Char('/') + name);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(name.toUtf8()) > 0);
    }
    const QString link = versions + QStringLiteral("/app.exe");
    if (replace)
        QVERIFY(QFile::link(versions + QStringLiteral("/app-1.exe"), link));
    FsError error;
    QVERIFY(SafeFs::pointLinkTo(versions + QLatin1Char('/') + target, link, error));
    QFileInfo info(link);
    QCOMPARE(QFile::decodeName(QFile::encodeName(info.symLinkTarget())),
             versions + QLatin1Char('/') + target);
    char written[4096];
    const ssize_t length = ::readlink(QFile::encodeName(link).constData(), written, sizeof written);
    const QByteArray text(written, int(qMax<ssize_t>(0, length)));
    QCOMPARE(QString::fromUtf8(text),
             stored.isEmpty() ? versions + QLatin1Char('/') + target : stored);
    // Moved elsewhere, a bare name still leads to its version.
    QVERIFY(QDir().rename(versions, outer.filePath(QStringLiteral("moved"))));
    QFile moved(outer.filePath(QStringLiteral("moved/app.exe")));
    QCOMPARE(moved.open(QIODevice::ReadOnly), !stored.isEmpty());
}

QTEST_MAIN(TestSafeFs)
#include "tst_safefs.moc"
