#ifndef TARGETSPEC_H
#define TARGETSPEC_H

#include <QFileInfo>
#include <QString>
#include <QVector>

class ConfigStore;

// One configured target: the link's name and its directory as a "Target"
// line gives them.
class TargetSpec
{
public:
    // Every target of the configuration, in the order of its lines.
    static QVector<TargetSpec> fromConfig(const ConfigStore &config);

    // The target a user names: "DIR:NAME" as the chooser shows it, the link's
    // name as configured, or its number (from 1) in the chooser's order.
    // Returns the index, or -1 with the reason in *error (unknown, or a name
    // that two targets share).
    static int find(const QVector<TargetSpec> &targets, const QString &name, QString *error);

    // "DIR:NAME", the chooser's text.
    QString label() const;

    QString fileName;
    QString directory;
    QFileInfo file; // the link's name inside the directory
};

#endif // TARGETSPEC_H
