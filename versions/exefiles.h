#ifndef EXEFILES_H
#define EXEFILES_H

#include "actionresult.h"
#include "exefile.h"
#include "pack.h"
#include "versionlisting.h"

#include <QButtonGroup>
#include <QDir>
#include <QObject>

#include <functional>

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
    // Makes the rows show the listing: rows of entries that did not change
    // are kept as they are (with what is typed in them), new ones are made,
    // and the rows of entries that are gone are handed back, out of the set
    // and its group, for the caller to destroy once they are out of its
    // layout.
    QVector<ExeFile *> reconcile(VersionListing listing);
    void sortByBirthTime();

    // The order of a selection sort, newest first, over birth times in
    // milliseconds; known[i] is false where a time is unknown. Element k is
    // the index of the row that ends up at position k.
    static QVector<int> newestFirstOrder(QVector<qint64> times, QVector<bool> known);

    int targetIndex;
    QButtonGroup group;
    // The target's link, whose versions the rows are.
    QFileInfo targetFile;
    // What the last operation could not do, for the user; read and cleared
    // by the window when it lists again.
    QString problem;
    // The last action succeeded; read and cleared by the window.
    bool succeeded = false;
    // What the listing did on its own (a link made or re-pointed), or could
    // not do; read and cleared by the window.
    QString notice;

    // Called when the user asks to move the version of that name to the
    // trash (a signal would renumber the set's slots).
    std::function<void(const QString &name)> onTrashRequest;

    // The radio buttons' tool tip: which keys pick.
    static QString keysTip();

protected:
    // The arrow keys, Home, End and the page keys on a version's radio
    // button move the focus between versions and never change the disk;
    // Space (the button's own) and Enter pick.
    bool eventFilter(QObject *watched, QEvent *event) override;

signals:
    void newLink();

private slots:
    void selectLink(QAbstractButton *b);
    void reLink();
    void noteProblem(QString message);
    void noteSuccess();

private:
    // Keeps what an action came to for the window's next listing.
    void noteResult(const ActionResult &result);
    void noteSideEffect(const ActionResult &result);
    // Where the target has no link, has one made to the newest version and
    // puts its entry first. True when the listing gained the target.
    bool linkIfMissing(VersionListing *listing);
    // Relays the row's announcements to the set.
    void wire(ExeFile *row);
    // Marks the target, the current version and what each row offers.
    void mark(const VersionListing &listing);
    // Ids are handed out as the toolkit would (-2, -3, ...) without it
    // scanning the whole group for every button.
    int nextButtonId = -2;
};

#endif // EXEFILES_H
