#include "body.h"
#include "commandline.h"
#include "commandrunner.h"
#include "configstore.h"
#include "startup.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTextCodec>
#include <QTranslator>

#ifdef Q_OS_WIN
#include <cstdio>
#include <windows.h>

#include <shellapi.h>
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
    options = line.options();
    installTranslations(options, &translator, &qtTranslator);
    const bool named = options.hasOption(QStringLiteral("-c"))
        || options.hasOption(QStringLiteral("-config"));
    // A target named by its absolute link path needs no configuration: none
    // is looked for unless one is named.
    const bool needsConfig = line.problem == CommandLine::NoProblem
        && line.command != CommandLine::Window && line.command != CommandLine::Help
        && line.command != CommandLine::Version && (named || !line.targetNeedsNoConfiguration());
    CommandRunner runner(line);
    // A configuration named with -c or -config must be there; without one,
    // none found is an empty configuration, and nothing to say.
    const QString configFile = configFileName(options);
    if (needsConfig && named && (!QFileInfo(configFile).isFile() || !config.readFile(configFile)))
        return runner.refuseConfiguration(configFile);
    if (needsConfig && !named && !ConfigStore::foundFile(options).isEmpty())
        config.readFile(configFile);
    return runner.run();
}

int main(int argc, char *argv[])
{
    Q_UNUSED(resourcesRegistered);
    // One reading of the words, each decoded once as the file system
    // encodes names (on Windows, the wide command line itself).
    QStringList arguments;
#ifdef Q_OS_WIN
    int count = 0;
    if (LPWSTR *wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 0; i < count; ++i)
            arguments << QString::fromWCharArray(wide[i]);
        LocalFree(wide);
    }
#else
    for (int i = 0; i < argc; ++i)
        arguments << QFile::decodeName(argv[i]);
#endif
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
    options = line.options();
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
