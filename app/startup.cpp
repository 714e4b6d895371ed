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
