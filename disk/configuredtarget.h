#ifndef CONFIGUREDTARGET_H
#define CONFIGUREDTARGET_H

#include <QCoreApplication>
#include <QFileInfo>
#include <QString>
#include <QVector>

class ConfigStore;

// One configured target: the link's name and its directory as a "Target"
// line gives them.
class ConfiguredTarget
{
    Q_DECLARE_TR_FUNCTIONS(ConfiguredTarget)

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

    // The target of a link at that path, as the command line names one.
    static ConfiguredTarget atPath(const QString &linkPath);
    // Why a link of that name in that folder is no target, or empty: a
    // name that is empty, "." or "..", has a separator or no base name nor
    // suffix, or a folder standing at the link's place.
    static QString problemOf(const QString &fileName, const QFileInfo &file);
    // "line N: ..." for a target of the configuration that is left out.
    QString refusalText() const;

    QString fileName;
    QString directory;
    QFileInfo file; // the link's name inside the directory
    int line = 0; // of the configuration, 0 where it came from elsewhere
    QString problem; // why it cannot be used, or empty
};

#endif // CONFIGUREDTARGET_H
