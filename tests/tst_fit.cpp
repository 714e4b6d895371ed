#include "body.h"
#include "configstore.h"
#include "rowdriver.h"
#include "versiondir.h"

#include <QProcess>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QtTest>

// The real window on a real X server (tests/fit.sh runs it under Xvfb at
// 96 and 192 dpi, with QT_SCALE_FACTOR=2 and under a window manager): the
// window fits its rows and its screen, frame included, and no text is cut at
// any font size or scale.
class TestFit : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void fewRows_noScrollBarNothingClipped_data();
    void fewRows_noScrollBarNothingClipped();
    void manyRowsLongDirectory_boundedByScreen();

private:
    static bool windowManagerRunning();
    void open(const QString &directory);
    QScrollArea *scrollArea() const
    {
        return body->findChild<QScrollArea *>(QStringLiteral("scrollArea"));
    }

    QScopedPointer<VersionDir> dir;
    QScopedPointer<Body> body;
};

void TestFit::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs a real X server (run through tests/fit.sh)");
    // The variant that fit.sh asked for is really in effect.
    const QByteArray variant = qgetenv("QUILLFEN_FIT_VARIANT");
    QScreen *screen = QGuiApplication::primaryScreen();
    if (variant == "dpi192")
        QVERIFY2(screen->logicalDotsPerInch() > 180,
                 qPrintable(QString::number(screen->logicalDotsPerInch())));
    if (variant == "scale2")
        QCOMPARE(screen->devicePixelRatio(), 2.0);
    // The window manager starts beside the test. A window mapped while it is
    // still taking over the screen is re-managed and never exposed again, so
    // the first window waits until the manager has announced itself.
    if (variant == "wm")
        QTRY_VERIFY_WITH_TIMEOUT(windowManagerRunning(), 15000);
    qInfo("variant %s: %.0f dpi, ratio %.1f, screen %dx%d", variant.constData(),
          screen->logicalDotsPerInch(), screen->devicePixelRatio(),
          screen->availableGeometry().width(), screen->availableGeometry().height());
}

bool TestFit::windowManagerRunning()
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"),
                {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
    return xprop.waitForFinished(5000) && xprop.exitCode() == 0
        && xprop.readAllStandardOutput().contains("window id");
}

void TestFit::init()
{
    config = ConfigStore();
    dir.reset(new VersionDir);
}

void TestFit::cleanup()
{
    body.reset();
    dir.reset();
    config = ConfigStore();
}

void TestFit::open(const QString &directory)
{
    config.add(QStringLiteral("Target"), QString(),
               QStringLiteral(" app.exe \"%1\"").arg(directory));
    body.reset(new Body);
    body->show();
    QVERIFY(QTest::qWaitForWindowExposed(body.data()));
    QCoreApplication::sendPostedEvents();
}

void TestFit::fewRows_noScrollBarNothingClipped_data()
{
    QTest::addColumn<int>("versions");
    QTest::newRow("1") << 1;
    QTest::newRow("2") << 2;
    QTest::newRow("4") << 4;
    QTest::newRow("5") << 5;
}

void TestFit::fewRows_noScrollBarNothingClipped()
{
    QFETCH(int, versions);
    for (int i = 1; i <= versions; ++i)
        dir->add(QStringLiteral("app-%1.exe").arg(i), "v");
    open(dir->path());
    const QList<ExeFile *> rows = RowDriver::rows(body.data());
    QCOMPARE(rows.size(), versions + 1);
    QTRY_VERIFY(!scrollArea()->verticalScrollBar()->isVisible());
    for (ExeFile *row : rows) {
        const QString where = RowDriver::nameOf(row);
        QVERIFY2(row->height() >= row->minimumSizeHint().height(), qPrintable(where));
        for (QWidget *widget : row->findChildren<QWidget *>()) {
            if (!widget->isVisible())
                continue;
            const QString what = where + QLatin1Char('/') + widget->objectName();
            QVERIFY2(widget->height() >= widget->minimumSizeHint().height(), qPrintable(what));
            if (auto *button = qobject_cast<QAbstractButton *>(widget))
                QVERIFY2(button->width() >= button->sizeHint().width(), qPrintable(what));
            if (widget->objectName() == QLatin1String("Name")) {
                auto *name = static_cast<QLineEdit *>(widget);
                QVERIFY2(name->width() > name->fontMetrics().horizontalAdvance(name->text()),
                         qPrintable(what));
            }
        }
    }
}

void TestFit::manyRowsLongDirectory_boundedByScreen()
{
    QString deep = dir->path();
    for (int i = 0; i < 12; ++i)
        deep += QStringLiteral("/a-rather-long-folder-name-%1").arg(i);
    QVERIFY(QDir().mkpath(deep));
    for (int i = 1; i <= 60; ++i) {
        QFile version(deep + QStringLiteral("/app-%1.exe").arg(i, 2, 10, QLatin1Char('0')));
        QVERIFY(version.open(QIODevice::WriteOnly));
    }
    open(deep);
    const QRect available = body->screen()->availableGeometry();
    // Under a window manager, the frame comes when it has decorated the
    // window, and the window fits again.
    if (qgetenv("QUILLFEN_FIT_VARIANT") == "wm")
        QTRY_VERIFY_WITH_TIMEOUT(body->frameGeometry().height() > body->height(), 10000);
    const auto onScreen = [&] { return available.contains(body->frameGeometry()); };
    QTRY_VERIFY2(onScreen(),
                 qPrintable(QStringLiteral("frame %1,%2 %3x%4 on %5x%6")
                                .arg(body->frameGeometry().x())
                                .arg(body->frameGeometry().y())
                                .arg(body->frameGeometry().width())
                                .arg(body->frameGeometry().height())
                                .arg(available.width())
                                .arg(available.height())));
    QTRY_VERIFY(scrollArea()->verticalScrollBar()->isVisible());
}

QTEST_MAIN(TestFit)
#include "tst_fit.moc"
