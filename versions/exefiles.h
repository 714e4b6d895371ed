#ifndef EXEFILES_H
#define EXEFILES_H

#include "exefile.h"
#include "pack.h"

#include <QButtonGroup>
#include <QDir>
#include <QObject>

class QAbstractButton;

// The rows of the current listing: ordered newest first, with the target row
// found (or its link created) and the version the link points to marked.
class ExeFiles : public QObject, public Pack<ExeFile *>
{
    Q_OBJECT

public:
    explicit ExeFiles(QObject *parent);
    ~ExeFiles() override;

    void clear() override;
    void add(ExeFile *const &row) override;

    void findLink(QString base, QString suffix, QDir dir);
    void sortByBirthTime();

    // The order of a selection sort, newest first, over birth times in
    // milliseconds; known[i] is false where a time is unknown. Element k is
    // the index of the row that ends up at position k.
    static QVector<int> newestFirstOrder(QVector<qint64> times, QVector<bool> known);

    int targetIndex;
    QButtonGroup group;
    // What the last operation could not do, for the user; read and cleared
    // by the window when it lists again.
    QString problem;

signals:
    void newLink();

private slots:
    void selectLink(QAbstractButton *b);
    void reLink();
    void noteProblem(QString message);

private:
    // Relays the row's announcements to the set.
    void wire(ExeFile *row);
    // Ids are handed out as the toolkit would (-2, -3, ...) without it
    // scanning the whole group for every button.
    int nextButtonId = -2;
};

#endif // EXEFILES_H
