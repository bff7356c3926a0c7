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
#include "catalog/actor.h"
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
    m_pictureScope.reset();
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

void TUndoController::TakeOut(TDBItem *record)
{
    if (!m_db) {
        m_host.Database()->DeleteRecord(record);
        return;
    }
    BeginChange();
    if (TVideoDatabase::TDetached out = m_db->DetachRecord(record); out.record)
        m_takenOut.push_back(std::move(out));
    EndChange();
}

void TUndoController::PushRemoved(const QString &text, TUndoScope &scope)
{
    auto *step = new QUndoCommand(text);
    scope.FinishInto(step);
    if (m_db && !m_takenOut.empty())
        new TRecordsStep(*this, *m_db, text, std::exchange(m_takenOut, {}), step);
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

void TUndoController::BeginPictureChange(TDBItem *record, const QString &text, bool fields)
{
    EndPictureChange();
    if (!m_db || !record)
        return;
    m_pictureScope = std::make_unique<TUndoScope>(
        this,
        !text.isEmpty() ? text
                        : m_host.Text(4350, u"Pictures of \"%1\""_s).arg(RecordName(*record)));
    if (!fields)
        m_pictureScope->SetPicturesOnly();
    m_pictureScope->TouchPictures(record);
}

bool TUndoController::Touched(const TDBItem *record) const
{
    return std::any_of(m_scopes.begin(), m_scopes.end(), [record](const TUndoScope *scope) {
        return scope->m_touched.contains(record);
    });
}

void TUndoController::EndPictureChange(const std::vector<TDBItem *> &added)
{
    if (std::unique_ptr<TUndoScope> scope = std::move(m_pictureScope))
        PushImport(scope->Text(), *scope, added);
}

QString TUndoController::RecordName(const TDBItem &record)
{
    return record.Kind() == TRecordKind::Person
               ? static_cast<const TActor &>(record).Name()
               : static_cast<const TBaseMovie &>(record).DisplayTitle();
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

// ----- roster --------------------------------------------------------------------------------

TRecordRoster::TRecordRoster(const TVideoDatabase *db)
    : m_db(db)
{
    if (!m_db)
        return;
    m_known.reserve(m_db->MovieCount() + m_db->PersonCount());
    for (int i = 0; i < m_db->MovieCount(); ++i) {
        const TMovie *movie = m_db->Movie(i);
        m_known.insert(movie);
        for (int e = 0; e < movie->EpisodeCount(); ++e)
            m_known.insert(movie->Episode(e));
    }
    for (int i = 0; i < m_db->PersonCount(); ++i)
        m_known.insert(m_db->Person(i));
}

std::vector<TDBItem *> TRecordRoster::Added() const
{
    std::vector<TDBItem *> added;
    if (!m_db)
        return added;
    for (int i = 0; i < m_db->MovieCount(); ++i) {
        TMovie *movie = m_db->Movie(i);
        if (!m_known.contains(movie)) {
            added.push_back(movie);
            continue;
        }
        for (int e = 0; e < movie->EpisodeCount(); ++e) {
            if (!m_known.contains(movie->Episode(e)))
                added.push_back(movie->Episode(e));
        }
    }
    for (int i = 0; i < m_db->PersonCount(); ++i) {
        if (!m_known.contains(m_db->Person(i)))
            added.push_back(m_db->Person(i));
    }
    return added;
}

// ----- scope ---------------------------------------------------------------------------------

struct TUndoScope::TBefore
{
    TDBItem *record;
    std::vector<QVariant> values;
    TPictureState picture;
    TKeptFiles files;
    bool filesRead = false;
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
    m_before.push_back({record, RecordValues(*record), ReadPictureState(*record), {}, false});
}

void TUndoScope::TouchPictures(TDBItem *record)
{
    Touch(record);
    const auto touched = m_touched.constFind(record);
    if (touched == m_touched.cend())
        return;
    TBefore &before = m_before[size_t(*touched)];
    if (before.filesRead)
        return;
    before.filesRead = true;
    before.files = ReadPictureFiles(PictureFiles(*record, before.picture));
}

void TUndoScope::Rebase(const TDBItem *record)
{
    const auto touched = m_touched.constFind(record);
    if (touched == m_touched.cend())
        return;
    TBefore &before = m_before[size_t(*touched)];
    before.picture = ReadPictureState(*before.record);
    before.files.clear();
    before.filesRead = false;
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
    std::vector<TPictureChange> pictures;
    for (TBefore &before : m_before) {
        if (!before.record)
            continue;
        const std::vector<QVariant> after = RecordValues(*before.record);
        TRecordChange change{before.record, {}};
        for (size_t i = 0; i < after.size() && i < before.values.size(); ++i) {
            if (!m_picturesOnly && after[i] != before.values[i]
                && !IsPictureField(*before.record, int(i)))
                change.fields.push_back({int(i), std::move(before.values[i]), after[i]});
        }
        if (!change.fields.empty())
            changes.push_back(std::move(change));
        TPictureState picture = ReadPictureState(*before.record);
        // A poster kept as a file of its own is overwritten in place: the fields stay, the
        // file's bytes change.
        const TKeptFiles now = ReadPictureFiles(before.files.keys());
        if (picture == before.picture && now == before.files)
            continue;
        // Only the files the command removed or overwrote are kept.
        const QStringList named = PictureFiles(*before.record, picture);
        QStringList leftBehind;
        for (auto it = before.files.begin(); it != before.files.end();) {
            if (now.value(it.key()) == it.value() && now.contains(it.key())) {
                if (!named.contains(it.key()))
                    leftBehind.append(it.key());
                it = before.files.erase(it);
            } else {
                ++it;
            }
        }
        pictures.push_back({before.record,
                            std::move(before.picture),
                            std::move(picture),
                            std::move(before.files),
                            std::move(leftBehind)});
    }
    m_before.clear();
    m_touched.clear();
    if (changes.empty() && pictures.empty())
        return false;
    if (!changes.empty())
        new TFieldStep(*m_undo, m_text, std::move(changes), step);
    if (!pictures.empty()) {
        // Scopes still open start from the pictures as this step leaves them, so that no
        // two steps take back the same change.
        for (TUndoScope *scope : m_undo->m_scopes) {
            if (scope == this)
                continue;
            for (const TPictureChange &change : pictures)
                scope->Rebase(change.record);
        }
        new TPictureStep(*m_undo, m_text, std::move(pictures), step);
    }
    return true;
}

void TUndoScope::Drop()
{
    if (m_open && m_undo)
        m_undo->EndChange();
    m_open = false;
    m_before.clear();
}
