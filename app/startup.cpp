#include "startup.h"
#include "configstore.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

void resetLog()
{
    QFile log(QStringLiteral("log.log"));
    if (log.open(QIODevice::WriteOnly))
        log.close();
}

QString configFileName(const ConfigStore &options)
{
    const QStringList places = ConfigStore::searchPath(options);
    for (const QString &place : places) {
        if (QFileInfo::exists(place))
            return place;
    }
    return places.first();
}

bool debugToFile(const ConfigStore &config)
{
    return config.value(QStringLiteral("Debug_to_file"), QStringLiteral("0")).toInt(nullptr, 10)
        == 1;
}

QString commandLineAnswer(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "--version")
            return QStringLiteral("quillfen " QUILLFEN_VERSION "\n");
        if (argument == "--help")
            return QStringLiteral(
                "Usage: quillfen [-e] [-c FILE] [-config FILE]\n"
                "Points the link of each configured target to the version picked in a window.\n"
                "\n"
                "  -e            no translation: English texts instead of Japanese\n"
                "  -c FILE       read the configuration from FILE instead of config.cfg\n"
                "  -config FILE  the same; when both are given, -config wins\n"
                "  --help        print this help and exit\n"
                "  --version     print the version and exit\n"
                "\n"
                "Without -c or -config the configuration is config.cfg in the working\n"
                "directory, or else $XDG_CONFIG_HOME/quillfen/config.cfg\n"
                "(~/.config/quillfen/config.cfg). One entry per line:\n"
                "  Target NAME DIR      the link NAME in the directory DIR\n"
                "  Debug_to_file 1      empty log.log in the working directory at start\n");
    }
    return QString();
}
