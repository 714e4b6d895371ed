#include "body.h"
#include "configstore.h"
#include "startup.h"

#include <QApplication>
#include <QTextCodec>
#include <QTranslator>

#include <cstdio>

// The catalogue lives in the core library; registering it here, before main,
// keeps the linker from dropping it.
static int registerResources()
{
    Q_INIT_RESOURCE(quillfen);
    return 0;
}
static const int resourcesRegistered = registerResources();

int main(int argc, char *argv[])
{
    Q_UNUSED(resourcesRegistered);
    // Answered before anything else, so that neither a display nor a
    // configuration is needed.
    const QString answer = commandLineAnswer(argc, argv);
    if (!answer.isEmpty()) {
        fputs(answer.toLocal8Bit().constData(), stdout);
        return 0;
    }
    QApplication::setStyle(QStringLiteral("Fusion"));
    auto *app = new QApplication(argc, argv);
    // Desktops match the window to its menu entry and icon by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quillfen.Quillfen"));
    auto *translator = new QTranslator();
    options = ConfigStore(argc, argv);
    if (!options.hasOption(QStringLiteral("-e"))) {
        translator->load(QStringLiteral(":tarnwick_ja_JP"), QCoreApplication::applicationDirPath(),
                         QString(), QString());
        QCoreApplication::installTranslator(translator);
    }
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
    delete translator;
    delete app;
    return result;
}
