#include "body.h"
#include "commandline.h"
#include "commandrunner.h"
#include "configstore.h"
#include "startup.h"

#include <QApplication>
#include <QTextCodec>
#include <QTranslator>

#ifdef Q_OS_WIN
#include <cstdio>
#include <windows.h>
#endif

// The catalogue lives in the core library; registering it here, before main,
// keeps the linker from dropping it.
static int registerResources()
{
    Q_INIT_RESOURCE(quillfen);
    return 0;
}
static const int resourcesRegistered = registerResources();

// Commands, help, usage errors and the lack of a display are answered
// without a window, so that none of them needs a display.
static int runWithoutWindow(int argc, char *argv[], const CommandLine &line)
{
#ifdef Q_OS_WIN
    // A GUI program has no console of its own: the command line writes to
    // the one it was typed in, where there is one.
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        freopen("CONOUT$", "w", stdout);
        freopen("CONOUT$", "w", stderr);
    }
#endif
    QCoreApplication app(argc, argv);
    QTranslator translator;
    QTranslator qtTranslator;
    options = ConfigStore(argc, argv);
    installTranslations(options, &translator, &qtTranslator);
    const bool needsConfig = line.problem == CommandLine::NoProblem
        && line.command != CommandLine::Window && line.command != CommandLine::Help
        && line.command != CommandLine::Version;
    CommandRunner runner(line);
    // A configuration named with -c or -config must be there; without one,
    // none found is an empty configuration.
    const QString configFile = configFileName(options);
    if (needsConfig && !config.readFile(configFile)
        && (options.hasOption(QStringLiteral("-c"))
            || options.hasOption(QStringLiteral("-config"))))
        return runner.refuseConfiguration(configFile);
    return runner.run();
}

int main(int argc, char *argv[])
{
    Q_UNUSED(resourcesRegistered);
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine line(arguments);
    if (line.command != CommandLine::Window || line.problem != CommandLine::NoProblem
        || !line.displayAvailable(QProcessEnvironment::systemEnvironment()))
        return runWithoutWindow(argc, argv, line);

    QApplication::setStyle(QStringLiteral("Fusion"));
    auto *app = new QApplication(argc, argv);
    // Desktops match the window to its menu entry and icon by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quillfen.Quillfen"));
    auto *translator = new QTranslator();
    auto *qtTranslator = new QTranslator();
    options = ConfigStore(argc, argv);
    installTranslations(options, translator, qtTranslator);
#ifdef Q_OS_WIN
    // Elsewhere Qt encodes file names with the locale codec, and Shift-JIS
    // there would make Japanese names unreadable to every other program; the
    // configuration reader finds the file's encoding itself instead.
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("Shift-JIS"));
#endif
    config.readFile(configFileName(options));
    if (debugToFile(config))
        resetLog();

    auto *body = new Body(nullptr);
    body->show();
    const int result = QApplication::exec();

    delete body;
    delete qtTranslator;
    delete translator;
    delete app;
    return result;
}
