// The open catalog's undo history and the scope that records a step of field changes.
#include "app/undocontroller.h"

#include <QUndoStack>
#include <QUndoView>

#include "app/cardedit.h"
#include "app/catalogview.h"
#include "app/commandhost.h"
#include "app/listcontroller.h"
#include "app/listmodel.h"
#include "app/recordcard.h"
#include "app/undosteps_p.h"
#include "catalog/episode.h"
#include "catalog/movie.h"
#include "catalog/videodatabase.h"

using namespace Qt::StringLiterals;

TUndoController::TUndoController(ICommandHost &host, QObject *parent)
    : QObject(parent)
    , m_host(host)
    , m_stack(new QUndoStack(this))
{
    m_stack->setObjectName(u"UndoStack"_s);
    connect(m_stack, &QUndoStack::cleanChanged, this, &TUndoController::OnCleanChanged);
}

TUndoController::~TUndoController()
{
    SetCatalog(nullptr);
    // A scope that outlives the history records nothing.
    for (TUndoScope *scope : m_scopes) {
        scope->m_undo = nullptr;
        scope->m_open = false;
    }
}

void TUndoController::SetCatalog(TVideoDatabase *db)
{
    Clear();
    if (m_db)
        m_db->RemoveObserver(this);
    m_db = db;
    if (!m_db)
        return;
    m_db->AddObserver(this);
    // A recovered catalog is modified with nothing to undo.
    if (m_db->Modified())
        m_stack->resetClean();
}

void TUndoController::SetLimit(int steps)
{
    // QUndoStack takes a new limit only while it is empty.
    if (steps == m_stack->undoLimit())
        return;
    Clear();
    m_stack->setUndoLimit(qMax(0, steps));
}

void TUndoController::Clear()
{
    // Emptying the stack makes it clean; the catalog keeps its modified state, which no
    // step leads back from any more.
    const bool modified = m_db && m_db->Modified();
    BeginChange();
    m_stack->clear();
    if (modified)
        m_stack->resetClean();
    EndChange();
}

void TUndoController::MarkClean()
{
    m_stack->setClean();
}

void TUndoController::Push(QUndoCommand *step)
{
    m_stack->push(step);
}

QUndoView *TUndoController::HistoryWindow(QWidget *parent)
{
    if (!m_view) {
        m_view = new QUndoView(m_stack, parent);
        m_view->setObjectName(u"UndoHistory"_s);
        m_view->setWindowFlag(Qt::Tool);
        m_view->resize(320, 400);
    }
    return m_view;
}

void TUndoController::ShowChanged(const std::vector<TDBItem *> &records,
                                  const std::function<void()> &change)
{
    std::vector<TListController::TRowSnapshot> rows;
    rows.reserve(records.size());
    for (TDBItem *record : records)
        rows.push_back(m_host.Lists(record->Kind()).Snapshot(*record));
    BeginChange();
    change();
    EndChange();
    for (size_t i = 0; i < records.size(); ++i) {
        TListController &lists = m_host.Lists(records[i]->Kind());
        lists.Model()->ApplyFilter(*records[i]);
        lists.UpdatePosition(records[i], rows[i], -1);
    }
    m_host.Edit().ShowCurrent();
    m_host.UpdateStatusBar();
    m_host.CommandUpdate();
}

void TUndoController::PushAdded(const QString &text, const std::vector<TDBItem *> &records)
{
    if (!m_db || records.empty())
        return;
    Push(new TRecordsStep(*this, *m_db, text, TRecordsStep::TKind::Added, records));
}

void TUndoController::RemoveRecords(const QString &text, const std::vector<TDBItem *> &records)
{
    if (records.empty())
        return;
    if (!m_db) {
        for (TDBItem *record : records)
            m_host.Database()->DeleteRecord(record);
        return;
    }
    Push(new TRecordsStep(*this, *m_db, text, TRecordsStep::TKind::Removed, records));
}

void TUndoController::PushImport(const QString &text,
                                 TUndoScope &scope,
                                 const std::vector<TDBItem *> &added)
{
    auto *step = new QUndoCommand(text);
    scope.FinishInto(step);
    if (m_db && !added.empty())
        new TRecordsStep(*this, *m_db, text, TRecordsStep::TKind::Added, added, step);
    if (step->childCount() == 0) {
        delete step;
        return;
    }
    Push(step);
}

bool TUndoController::WithdrawNew(TDBItem *record)
{
    const int index = m_stack->index();
    auto *step =
        index > 0 ? dynamic_cast<const TRecordsStep *>(m_stack->command(index - 1)) : nullptr;
    if (!step || !step->AddedOnly(record))
        return false;
    const_cast<TRecordsStep *>(step)->Withdraw();
    m_stack->undo();
    return true;
}

void TUndoController::ReleaseRecords(const std::vector<TDBItem *> &records)
{
    const auto leaving = [&](const TDBItem *current) {
        if (!current)
            return false;
        const TDBItem *movie =
            current->Kind() == TRecordKind::Episode
                ? static_cast<const TDBItem *>(static_cast<const TEpisode *>(current)->Parent())
                : current;
        return std::find(records.begin(), records.end(), current) != records.end()
               || std::find(records.begin(), records.end(), movie) != records.end();
    };
    for (const TRecordKind kind : {TRecordKind::Movie, TRecordKind::Person}) {
        TListController &lists = m_host.Lists(kind);
        if (!leaving(lists.Current()))
            continue;
        if (&lists == &m_host.Shown())
            m_host.Edit().ResetEditState(TEditState::None);
        lists.SetCurrent(nullptr);
        if (IRecordCard *card = lists.Card())
            card->ShowRecord(nullptr, false);
    }
}

void TUndoController::FocusAfter(TDBItem *record)
{
    if (record && record->Shown()) {
        TListController &lists = m_host.Lists(record->Kind());
        lists.List()->clearSelection();
        lists.SelectRecord(record);
    }
    for (const TRecordKind kind : {TRecordKind::Movie, TRecordKind::Person}) {
        TListController &lists = m_host.Lists(kind);
        if (!lists.Current() && lists.Model()->rowCount() > 0)
            lists.List()->SelectFirst();
    }
    if (m_host.Shown().Model()->rowCount() == 0)
        m_host.Edit().SetEditState(TEditState::Empty);
    m_host.Edit().ShowCurrent();
    m_host.UpdateStatusBar();
    m_host.CommandUpdate();
}

void TUndoController::RecordRemoving(TDBItem &record)
{
    for (TUndoScope *scope : m_scopes)
        scope->Forget(&record);
    if (!Recording() && m_stack->count() > 0)
        Clear();
}

void TUndoController::RecordChanged(TDBItem &record)
{
    (void)record;
    // No undo step leads back to the saved file any more.
    if (!Recording() && m_stack->isClean() && m_stack->count() > 0)
        m_stack->resetClean();
}

void TUndoController::ResetStarted()
{
    Clear();
}

void TUndoController::OnCleanChanged(bool clean)
{
    if (m_db && !Recording())
        m_db->SetModified(!clean);
}

// ----- scope ---------------------------------------------------------------------------------

struct TUndoScope::TBefore
{
    TDBItem *record;
    std::vector<QVariant> values;
};

TUndoScope::TUndoScope(TUndoController *undo, QString text)
    : m_undo(undo)
    , m_text(std::move(text))
{
    if (m_undo) {
        m_undo->BeginChange();
        m_undo->m_scopes.push_back(this);
    }
}

TUndoScope::~TUndoScope()
{
    Finish();
    if (m_undo)
        std::erase(m_undo->m_scopes, this);
}

void TUndoScope::Forget(const TDBItem *record)
{
    const auto touched = m_touched.constFind(record);
    if (touched == m_touched.cend())
        return;
    // Kept in place (indexes stay valid), but read no more.
    m_before[size_t(*touched)].record = nullptr;
    m_touched.erase(touched);
}

void TUndoScope::Touch(TDBItem *record)
{
    if (!m_open || !m_undo || !record || m_touched.contains(record))
        return;
    m_touched.insert(record, int(m_before.size()));
    m_before.push_back({record, RecordValues(*record)});
}

void TUndoScope::Finish()
{
    auto step = std::make_unique<QUndoCommand>(m_text);
    if (FinishInto(step.get()))
        m_undo->Push(step.release());
}

bool TUndoScope::FinishInto(QUndoCommand *step)
{
    if (!m_open || !m_undo)
        return false;
    m_open = false;
    m_undo->EndChange();
    std::vector<TRecordChange> changes;
    for (TBefore &before : m_before) {
        if (!before.record)
            continue;
        const std::vector<QVariant> after = RecordValues(*before.record);
        TRecordChange change{before.record, {}};
        for (size_t i = 0; i < after.size() && i < before.values.size(); ++i) {
            if (after[i] != before.values[i])
                change.fields.push_back({int(i), std::move(before.values[i]), after[i]});
        }
        if (!change.fields.empty())
            changes.push_back(std::move(change));
    }
    m_before.clear();
    m_touched.clear();
    if (changes.empty())
        return false;
    new TFieldStep(*m_undo, m_text, std::move(changes), step);
    return true;
}

void TUndoScope::Drop()
{
    if (m_open && m_undo)
        m_undo->EndChange();
    m_open = false;
    m_before.clear();
}
