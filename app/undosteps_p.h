#pragma once

#include <utility>
#include <vector>

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
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

// Whether a field of RecordValues belongs to the picture state below: its steps bring the
// files back with it.
bool IsPictureField(const TDBItem &record, int field);

// How a record's poster or photo, covers and screenshots stand. The held bytes share their
// data with the record, so a state costs nothing while the record keeps that picture.
struct TPictureState
{
    quint8 coverformat = 0;
    QString coverpath;
    QByteArray held;
    // Movies and episodes only.
    QString froncover;
    QString cdcover;
    QString screenshots;

    bool operator==(const TPictureState &) const = default;
};
TPictureState ReadPictureState(const TDBItem &record);
// The files a state names inside the catalog's image folders, as absolute paths. Files
// outside them are the user's own and never written or removed.
QStringList PictureFiles(const TDBItem &record, const TPictureState &state);
// Picture files by absolute path, with their bytes.
using TKeptFiles = QHash<QString, QByteArray>;
TKeptFiles ReadPictureFiles(const QStringList &files);

struct TPictureChange
{
    TDBItem *record;
    TPictureState before;
    TPictureState after;
    // The files of the side that is not on the disk: while the step is done, the ones the
    // command removed or overwrote; while it is undone, the ones the command made.
    TKeptFiles kept;
    // Files of the side before that the command left on the disk though the side after no
    // longer names them (a replaced cover): a redo leaves them too, as the command did.
    QStringList leftBehind;
};

// A step whose command made its change before the step was pushed: the first redo does
// nothing, later ones and undo apply the recorded changes one way or the other.
template <class TChange> class TChangeStep : public QUndoCommand
{
public:
    TChangeStep(TUndoController &undo,
                const QString &text,
                std::vector<TChange> changes,
                QUndoCommand *parent = nullptr)
        : QUndoCommand(text, parent)
        , m_undo(undo)
        , m_changes(std::move(changes))
    {}

    void undo() override { Apply(false); }
    void redo() override
    {
        if (m_done)
            m_done = false;
        else
            Apply(true);
    }

protected:
    virtual void Apply(bool after) = 0;

    TUndoController &m_undo;
    std::vector<TChange> m_changes;

private:
    bool m_done = true;
};

// Pictures, covers and screenshots before and after a command: the fields, the held bytes
// and only the files the command replaced or removed, kept until the step leaves the stack.
class TPictureStep : public TChangeStep<TPictureChange>
{
public:
    using TChangeStep::TChangeStep;

private:
    void Apply(bool after) override;
};

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
class TFieldStep : public TChangeStep<TRecordChange>
{
public:
    using TChangeStep::TChangeStep;

private:
    void Apply(bool after) override;
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
    // Removed by the command itself through DetachRecord, in the order they left.
    TRecordsStep(TUndoController &undo,
                 TVideoDatabase &db,
                 const QString &text,
                 std::vector<TVideoDatabase::TDetached> out,
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
