#include "startup.h"
#include "configstore.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

void resetLog()
{
    QFile log(QStringLiteral("log.log"));
    if (log.open(QIODevice::WriteOnly))
        log.close();
}

QString configFileName(const ConfigStore &options)
{
    const QString found = ConfigStore::foundFile(options);
    return found.isEmpty() ? ConfigStore::searchPath(options).first() : found;
}

void installTranslations(const ConfigStore &options, QTranslator *ours, QTranslator *qt)
{
    if (options.hasOption(QStringLiteral("-e")))
        return;
    ours->load(QStringLiteral(":tarnwick_ja_JP"), QCoreApplication::applicationDirPath(), QString(),
               QString());
    QCoreApplication::installTranslator(ours);
    if (qt->load(QStringLiteral("qtbase_ja"),
                 QLibraryInfo::location(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
}

bool debugToFile(const ConfigStore &config)
{
    return config.value(QStringLiteral("Debug_to_file"), QStringLiteral("0")).toInt(nullptr, 10)
        == 1;
}
