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
    const QString found = ConfigStore::foundFile(options);
    return found.isEmpty() ? ConfigStore::searchPath(options).first() : found;
}

bool debugToFile(const ConfigStore &config)
{
    return config.value(QStringLiteral("Debug_to_file"), QStringLiteral("0")).toInt(nullptr, 10)
        == 1;
}
