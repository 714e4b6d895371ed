// libFuzzer target over the configuration reader, the text tokens and the
// command line reader. The first byte chooses what the rest is: a
// configuration file, or command-line arguments separated by NUL bytes.
#include "commandline.h"
#include "configstore.h"
#include "texttokens.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <vector>

static void quietMessages(QtMsgType, const QMessageLogContext &, const QString &) { }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("config.cfg"));
    static bool ready = (qInstallMessageHandler(quietMessages), true);
    (void)ready;
    if (size == 0)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data) + 1, int(size - 1));

    if (data[0] % 2 == 0) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(bytes);
        file.close();
        ConfigStore store;
        store.readFile(path);
        if (store.allKeys.size() != store.allRests.size()
            || store.keys.size() > store.allKeys.size())
            __builtin_trap();
        // Every rest splits into tokens until nothing is left.
        for (const QString &rest : store.restsOf(QStringLiteral("Target"))) {
            QString token;
            QString remaining = takeToken(rest, &token);
            for (int guard = 0; !remaining.isEmpty(); ++guard) {
                const QString next = takeToken(remaining, &token);
                if (next.size() >= remaining.size() || guard > rest.size())
                    __builtin_trap();
                remaining = next;
            }
        }
        isBlank(ConfigStore::decode(bytes));
    } else {
        std::vector<QByteArray> arguments;
        for (const QByteArray &part : bytes.split('\0'))
            arguments.push_back(part);
        std::vector<char *> argv;
        for (QByteArray &argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        const ConfigStore store(int(arguments.size()), argv.data());
        store.option(QStringLiteral("-c"), QStringLiteral("config.cfg"));
        if (store.keys.size() != store.keyValues.size())
            __builtin_trap();
        // The command line reader takes any words without a display.
        QStringList words;
        for (const QByteArray &argument : arguments)
            words << QString::fromLocal8Bit(argument);
        const CommandLine line(words);
        if (line.problem == CommandLine::NoProblem && line.command == CommandLine::Window
            && !line.operands.isEmpty())
            __builtin_trap();
        line.problemText();
        line.displayAvailable(QProcessEnvironment());
    }
    return 0;
}
