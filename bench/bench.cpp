// Times a full listing of a target with N versions through the real window,
// a version pick from the click to the new listing, the listing after a new
// version appears in the directory, and, as the floor, the least work Qt
// needs to show N rows of the same five widgets.
#include "body.h"
#include "configstore.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>

static void settle()
{
    // Layout requests and the deletion of the old rows belong to the work.
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, 0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

static double peakMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

static double floorSeconds(int n)
{
    QWidget window;
    auto *scroll = new QScrollArea(&window);
    scroll->setWidgetResizable(true);
    auto *list = new QWidget;
    auto *outer = new QGridLayout(list);
    auto *grid = new QGridLayout;
    outer->addLayout(grid, 0, 0);
    scroll->setWidget(list);
    auto *layout = new QGridLayout(&window);
    layout->addWidget(scroll);
    window.resize(690, 600);
    window.show();
    settle();

    QElapsedTimer timer;
    timer.start();
    list->hide();
    for (int i = 0; i < n; ++i) {
        auto *row = new QFrame(list);
        auto *rowGrid = new QGridLayout(row);
        rowGrid->setContentsMargins(0, 0, 0, 0);
        rowGrid->addWidget(new QRadioButton(row), 0, 0);
        rowGrid->addWidget(new QLineEdit(QStringLiteral("app-%1.exe").arg(i), row), 0, 1);
        rowGrid->addWidget(new QLineEdit(row), 0, 2);
        rowGrid->addWidget(new QPushButton(QStringLiteral("to Link"), row), 0, 3);
        rowGrid->addWidget(new QPushButton(QStringLiteral("Rename"), row), 0, 4);
        grid->addWidget(row, i, 0);
    }
    list->show();
    settle();
    return timer.nsecsElapsed() / 1e9;
}

struct Result
{
    int n;
    double floor;
    double listing;
    double pick;
    double newVersion;
    double peak;
};

static Result measure(int n)
{
    QTemporaryDir dir;
    for (int i = 0; i < n; ++i) {
        QFile file(dir.filePath(QStringLiteral("app-%1.exe").arg(i, 6, 10, QLatin1Char('0'))));
        file.open(QIODevice::WriteOnly);
    }
    QTemporaryDir empty;
    config = ConfigStore();
    config.add(QStringLiteral("Target"), QString(),
               QStringLiteral(" app.exe \"%1\"").arg(dir.path()));
    config.add(QStringLiteral("Target"), QString(),
               QStringLiteral(" app.exe \"%1\"").arg(empty.path()));

    const int repeats = n <= 1000 ? 5 : 2;
    Result result {n, 1e9, 1e9, 1e9, 1e9, 0};
    for (int r = 0; r < repeats; ++r)
        result.floor = std::min(result.floor, floorSeconds(n));

    Body body; // lists the target once, creating its link
    body.show();
    settle();
    // A full listing, as when the target is chosen: from an empty target
    // back to this one.
    auto *chooser = body.findChild<QComboBox *>(QStringLiteral("Targets"));
    QElapsedTimer timer;
    for (int r = 0; r < repeats; ++r) {
        chooser->setCurrentIndex(1);
        settle();
        timer.start();
        chooser->setCurrentIndex(0);
        settle();
        result.listing = std::min(result.listing, timer.nsecsElapsed() / 1e9);
    }
    for (int r = 0; r < repeats; ++r) {
        // Pick a version that is not the current one: the oldest, at the end.
        const QList<QRadioButton *> buttons
            = body.findChildren<QRadioButton *>(QStringLiteral("Select"));
        QRadioButton *pick = nullptr;
        for (QRadioButton *button : buttons) {
            if (button->isVisible() && !button->isChecked())
                pick = button;
        }
        if (!pick)
            break;
        timer.start();
        pick->click();
        settle();
        result.pick = std::min(result.pick, timer.nsecsElapsed() / 1e9);
    }
    for (int r = 0; r < repeats; ++r) {
        // A new version, the newest, as a copy would bring it; the listing
        // the window makes when it hears of it.
        QFile file(dir.filePath(QStringLiteral("app-new-%1.exe").arg(r)));
        file.open(QIODevice::WriteOnly);
        file.close();
        timer.start();
        QMetaObject::invokeMethod(&body, "changedTargets");
        settle();
        result.newVersion = std::min(result.newVersion, timer.nsecsElapsed() / 1e9);
    }
    result.peak = peakMegabytes();
    return result;
}

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    // The picks' history stays out of the user's own.
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toUtf8());
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication app(argc, argv);
    QList<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes << QString::fromLocal8Bit(argv[i]).toInt();
    sizes.removeAll(0);
    if (sizes.isEmpty())
        sizes = {100, 1000, 10000};
    std::sort(sizes.begin(), sizes.end());

    std::printf("%8s %10s %10s %10s %10s %9s %9s %9s %10s\n", "N", "floor s", "listing s", "pick s",
                "new s", "list/flr", "pick/lst", "new/lst", "peak MiB");
    QList<Result> results;
    for (int n : sizes) {
        const Result r = measure(n);
        results << r;
        std::printf("%8d %10.3f %10.3f %10.3f %10.3f %8.2fx %8.2fx %8.2fx %10.1f\n", r.n, r.floor,
                    r.listing, r.pick, r.newVersion, r.listing / r.floor, r.pick / r.listing,
                    r.newVersion / r.listing, r.peak);
        std::fflush(stdout);
    }
    double worstListing = 0, worstGrowth = 0, worstPick = 0, worstNew = 0;
    for (int i = 0; i < results.size(); ++i) {
        const Result &r = results.at(i);
        worstListing = std::max(worstListing, r.listing / r.floor);
        worstPick = std::max(worstPick, r.pick / r.listing);
        worstNew = std::max(worstNew, r.newVersion / r.listing);
        if (i > 0) {
            // The growth of the listing time for a tenfold N.
            const Result &p = results.at(i - 1);
            const double scale = 10.0 * p.n / r.n;
            worstGrowth = std::max(worstGrowth, r.listing / p.listing * scale);
        }
    }
    // The goals: at 1,000 versions a pick and a new version each cost at most
    // a quarter of a full listing, at 10,000 a tenth.
    for (const Result &r : qAsConst(results)) {
        const double goal = r.n >= 10000 ? 0.1 : r.n >= 1000 ? 0.25 : 0;
        if (goal > 0)
            std::printf("goal at %d: pick and new version <= %.2f x listing: %s\n", r.n, goal,
                        r.pick / r.listing <= goal && r.newVersion / r.listing <= goal ? "met"
                                                                                       : "MISSED");
    }
    std::printf(
        "worst: listing %.2f x floor, growth %.1f x, pick %.2f x listing, new version %.2f x "
        "listing\n",
        worstListing, worstGrowth, worstPick, worstNew);
    return 0;
}
