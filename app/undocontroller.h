#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>

#include "catalog/catalogobserver.h"
#include "catalog/videodatabase.h"

class ICommandHost;
class QUndoCommand;
class QUndoStack;
class QUndoView;
class QWidget;
class TDBItem;
class TVideoDatabase;

class TUndoScope;

// The undo history of the open catalog: one QUndoStack, cleared when another catalog opens.
// Steps name records by their objects: a record a step removes stays alive in the step, so
// it comes back as the same object. The catalog's modified state follows the stack's clean
// state; a change no step recorded makes the saved state unreachable by undo. A record the
// catalog destroys outside a step clears the history, so that no step is left holding it.
class TUndoController : public QObject, public ICatalogObserver
{
    Q_OBJECT

public:
    TUndoController(ICommandHost &host, QObject *parent);
    ~TUndoController() override;

    QUndoStack *Stack() const { return m_stack; }
    // Follows `db` (nullptr: none) with an empty history.
    void SetCatalog(TVideoDatabase *db);
    TVideoDatabase *Catalog() const { return m_db; }
    // Steps kept; older ones go. 0 keeps every step.
    void SetLimit(int steps);
    void Clear();
    // The catalog was saved (or otherwise turned unmodified).
    void MarkClean();
    // Adds a step that already did its change.
    void Push(QUndoCommand *step);
    // The history window, made on first use.
    QUndoView *HistoryWindow(QWidget *parent);
    QUndoView *History() const { return m_view; }

    // Changes made between these calls belong to a step (being recorded, undone or redone).
    void BeginChange() { ++m_depth; }
    void EndChange() { --m_depth; }
    bool Recording() const { return m_depth > 0; }

    // After a step changed records: their rows follow filter, groups and sort; the card and
    // the commands show the result.
    void ShowChanged(const std::vector<TDBItem *> &records, const std::function<void()> &change);

    // Records a command added; and records a command removes, which leave the catalog here
    // (kept by the step). Without a catalog nothing is recorded and the removal is a delete.
    void PushAdded(const QString &text, const std::vector<TDBItem *> &records);
    void RemoveRecords(const QString &text, const std::vector<TDBItem *> &records);
    // A new record cancelled while still empty: the step that made it goes with it. False
    // when the last step did not make just that record.
    bool WithdrawNew(TDBItem *record);
    // An import or a web merge: the fields `scope` saw change and the records added (new
    // episodes of movies already there included), as one step.
    void PushImport(const QString &text, TUndoScope &scope, const std::vector<TDBItem *> &added);
    // A picture command of the card (poster or photo, covers, screenshots, a web picture)
    // on `record`: what it changes between these calls becomes one step, its replaced files
    // kept. The other fields join the step only with `fields` (a web run outside an edit).
    void BeginPictureChange(TDBItem *record, const QString &text = {}, bool fields = false);
    // `added`: records the command made, which join the step.
    void EndPictureChange(const std::vector<TDBItem *> &added = {});
    // Whether a scope still recording has read `record`.
    bool Touched(const TDBItem *record) const;
    // How steps name a record: a movie's display title, a person's name.
    static QString RecordName(const TDBItem &record);
    // A command that removes records itself (Remove duplicates): TakeOut takes a record
    // out of the catalog and keeps it (deletes it without a catalog); PushRemoved makes
    // those and the fields `scope` saw change one step.
    void TakeOut(TDBItem *record);
    void PushRemoved(const QString &text, TUndoScope &scope);
    // Before records leave the catalog: no list or card keeps them (or their episodes).
    void ReleaseRecords(const std::vector<TDBItem *> &records);
    // After records came or went: `record` (may be null) is focused, else every list keeps
    // or finds a current row.
    void FocusAfter(TDBItem *record);

    // ICatalogObserver
    void RecordRemoving(TDBItem &record) override;
    void RecordChanged(TDBItem &record) override;
    void ResetStarted() override;

private:
    void OnCleanChanged(bool clean);

    friend class TUndoScope;
    ICommandHost &m_host;
    QUndoStack *m_stack;
    QUndoView *m_view = nullptr;
    TVideoDatabase *m_db = nullptr;
    int m_depth = 0;
    // Scopes still recording: a record destroyed meanwhile leaves them.
    std::vector<TUndoScope *> m_scopes;
    std::unique_ptr<TUndoScope> m_pictureScope;
    std::vector<TVideoDatabase::TDetached> m_takenOut;
};

// The records of a catalog at one moment, to name those a command adds after it.
class TRecordRoster
{
public:
    explicit TRecordRoster(const TVideoDatabase *db);
    // Movies and people added since, and episodes added to the movies that were there.
    std::vector<TDBItem *> Added() const;

private:
    const TVideoDatabase *m_db;
    QSet<const TDBItem *> m_known;
};

// Records one step of field changes: records touched after construction are read as they
// are; when the scope ends, the fields that differ become the step (nothing changed: no
// step). Without a controller (no window) it does nothing.
class TUndoScope
{
public:
    TUndoScope(TUndoController *undo, QString text);
    ~TUndoScope();
    TUndoScope(const TUndoScope &) = delete;
    TUndoScope &operator=(const TUndoScope &) = delete;

    void Touch(TDBItem *record);
    // As Touch, and the picture files the record names are read now, so that the step can
    // bring back those the command removes or overwrites. For the few records a picture
    // command works on, not for catalog-wide scopes.
    void TouchPictures(TDBItem *record);
    // Field changes other than pictures are left to another step.
    void SetPicturesOnly() { m_picturesOnly = true; }
    // The step's name, when it is known only at the end.
    void SetText(const QString &text) { m_text = text; }
    const QString &Text() const { return m_text; }
    template <typename List> void TouchAll(const List &records)
    {
        for (TDBItem *record : records)
            Touch(record);
    }
    // Ends the scope early with the step pushed; the destructor then does nothing.
    void Finish();
    // Ends the scope without a step.
    void Drop();
    // Ends the scope with its field changes as a part of `step` (built by the caller);
    // false when nothing changed.
    bool FinishInto(QUndoCommand *step);
    // A touched record is being destroyed: the step leaves it out.
    void Forget(const TDBItem *record);
    // Another scope made the record's picture change its own step: this one starts from
    // the picture as it is now.
    void Rebase(const TDBItem *record);

private:
    friend class TUndoController;
    struct TBefore;
    TUndoController *m_undo;
    QString m_text;
    std::vector<TBefore> m_before;
    QHash<const TDBItem *, int> m_touched;
    bool m_open = true;
    bool m_picturesOnly = false;
};
