#ifndef CONFIGUREDTARGET_H
#define CONFIGUREDTARGET_H

#include <QFileInfo>
#include <QString>
#include <QVector>

class ConfigStore;

// One configured target: the link's name and its directory as a "Target"
// line gives them.
class ConfiguredTarget
{
public:
    // Every target of the configuration, in the order of its lines.
    static QVector<ConfiguredTarget> fromConfig(const ConfigStore &config);

    // The target a user names: "DIR:NAME" as the chooser shows it, the link's
    // name as configured, or its number (from 1) in the chooser's order.
    // Returns the index, or -1 with the reason in *error (unknown, or a name
    // that two targets share).
    static int find(const QVector<ConfiguredTarget> &targets, const QString &name, QString *error);

    // "DIR:NAME", the chooser's text.
    QString label() const;

    QString fileName;
    QString directory;
    QFileInfo file; // the link's name inside the directory
};

#endif // CONFIGUREDTARGET_H
