#pragma once

#include <vector>

#include <QString>
#include <QUndoCommand>
#include <QVariant>

#include "app/undocontroller.h"
#include "catalog/videodatabase.h"

class TDBItem;

// A record's fields by number: those of its kind's field table in table order, how its
// picture is stored, then its custom values.
std::vector<QVariant> RecordValues(const TDBItem &record);
// Stores a value through the field's setter and its rules.
void SetRecordValue(TDBItem &record, int field, const QVariant &value);
// Stores a value the setter refused (a date its flag does not allow yet) past the setter;
// true when it changed.
bool ForceRecordValue(TDBItem &record, int field, const QVariant &value);

struct TFieldChange
{
    int field;
    QVariant before;
    QVariant after;
};

struct TRecordChange
{
    TDBItem *record;
    std::vector<TFieldChange> fields;
};

// Field values of records before and after a command; nothing else of the catalog.
class TFieldStep : public QUndoCommand
{
public:
    TFieldStep(TUndoController &undo,
               const QString &text,
               std::vector<TRecordChange> changes,
               QUndoCommand *parent = nullptr);

    void undo() override { Apply(false); }
    void redo() override;

private:
    void Apply(bool after);

    TUndoController &m_undo;
    std::vector<TRecordChange> m_changes;
    // The command did the change itself before the step was pushed.
    bool m_done = true;
};

// Records a command added (New, Duplicate, a new episode) or removed (Delete). Undo takes
// the added ones out of the catalog and puts the removed ones back, redo the other way
// round. A record out of the catalog lives in the step, files and all; they go with the
// step when it leaves the stack.
class TRecordsStep : public QUndoCommand
{
public:
    enum class TKind { Added, Removed };
    // Removed: the records leave the catalog here, as the command's delete.
    TRecordsStep(TUndoController &undo,
                 TVideoDatabase &db,
                 const QString &text,
                 TKind kind,
                 std::vector<TDBItem *> records,
                 QUndoCommand *parent = nullptr);
    ~TRecordsStep() override;

    void undo() override;
    void redo() override;
    // Whether the step added exactly `record`.
    bool AddedOnly(const TDBItem *record) const;
    // The next undo takes the record out for good: the step then leaves the stack.
    void Withdraw() { m_withdraw = true; }

private:
    void TakeOut(bool quietly);
    void PutBack();

    TUndoController &m_undo;
    TVideoDatabase &m_db;
    TKind m_kind;
    // In the command's order; an episode whose movie is listed goes with the movie.
    std::vector<TDBItem *> m_records;
    // While out of the catalog, in the order they left.
    std::vector<TVideoDatabase::TDetached> m_out;
    bool m_done = true;
    bool m_withdraw = false;
};
