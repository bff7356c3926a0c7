// The card's edit state machine: reading and editing the current record on the card or in
// a grid cell, edit, apply, cancel.
#include "app/cardedit.h"

#include "app/catalogview.h"
#include "app/listmodel.h"
#include "app/recordcard.h"
#include "app/recordcommands.h"
#include "app/toolscontroller.h"
#include "app/undocontroller.h"
#include "catalog/actor.h"
#include "catalog/basemovie.h"
#include "catalog/videodatabase.h"

using namespace Qt::StringLiterals;

TCardEdit::TCardEdit(ICommandHost &host, TRecordCommands &records, TToolsController &tools)
    : m_host(host)
    , m_records(records)
    , m_tools(tools)
{}

TCardEdit::~TCardEdit() = default;

// ----- states --------------------------------------------------------------------------------

void TCardEdit::SetEditState(TEditState state)
{
    if (state == m_editState)
        return;
    if (state == TEditState::Editing && m_host.ReadOnly())
        return;
    TListController &shown = m_host.Shown();
    if (m_editState == TEditState::Viewing && state == TEditState::Editing && shown.Current())
        TakeSnapshot();
    m_editState = state;
    TCatalogList *list = shown.List();
    if (state == TEditState::Editing && shown.View() == TViewMode::Grid && list
        && !list->CellEditing() && list->currentIndex().isValid()) {
        list->edit(list->currentIndex());
    }
    ShowCurrent();
    m_host.CommandUpdate();
}

void TCardEdit::ResetEditState(TEditState state)
{
    m_editState = state;
    m_snapshot = TEditSnapshot();
    if (m_undoScope)
        m_undoScope->Drop();
    m_undoScope.reset();
    m_records.TakeNewRecord();
}

void TCardEdit::ShowCurrent()
{
    TListController &lists = m_host.Shown();
    TDBItem *record = lists.Current();
    if (lists.View() == TViewMode::Grid) {
        lists.Model()->RecordChanged(record);
        return;
    }
    if (IRecordCard *card = lists.Card())
        card->ShowRecord(record, m_editState == TEditState::Editing);
}

void TCardEdit::TakeSnapshot()
{
    TDBItem *record = m_host.Shown().Current();
    m_snapshot = TEditSnapshot();
    if (!record || !m_host.Database())
        return;
    m_snapshot.rows = m_host.Shown().Snapshot(*record);
    m_snapshot.modified = m_host.Database()->Modified();
    m_undoScope = std::make_unique<TUndoScope>(m_host.Undo(), QString());
    m_undoScope->Touch(record);
}

void TCardEdit::FinishUndoStep()
{
    if (!m_undoScope)
        return;
    if (TDBItem *record = m_host.Shown().Current()) {
        const QString name = record->Kind() == TRecordKind::Person
                                 ? static_cast<const TActor *>(record)->Name()
                                 : static_cast<const TBaseMovie *>(record)->DisplayTitle();
        m_undoScope->SetText(m_host.Text(4256, u"Edit \"%1\""_s).arg(name));
    }
    // Reset first: the push updates the commands, which look at the edit state.
    std::unique_ptr<TUndoScope> scope = std::move(m_undoScope);
    scope->Finish();
}

bool TCardEdit::StoreCardInput()
{
    TListController &lists = m_host.Shown();
    TDBItem *record = lists.Current();
    if (!record)
        return false;
    if (lists.View() == TViewMode::Grid) {
        lists.List()->CloseCellEditor(true);
        return true;
    }
    if (IRecordCard *card = lists.Card())
        card->StoreEdits(record);
    return true;
}

void TCardEdit::UpdatePosition(TDBItem *record)
{
    m_host.Lists(record->Kind()).UpdatePosition(record, m_snapshot.rows, m_editColumn);
    m_snapshot = TEditSnapshot();
}

void TCardEdit::OnFocusLeaving(TListController &lists)
{
    TVideoDatabase *db = m_host.Database();
    if (m_editState != TEditState::Editing || &lists != &m_host.Shown() || !db)
        return;
    TDBItem *record = lists.Current();
    if (!record)
        return;
    StoreCardInput();
    FinishUndoStep();
    if (db->Modified()) {
        if (!lists.Model()->Passes(*record))
            record->SetShown(false);
        UpdatePosition(record);
    }
}

void TCardEdit::OnNodeFocused(TListController &lists, TDBItem *record, bool startEditing)
{
    lists.SetCurrent(record);
    const TRecordCommands::TFocusRequest request = m_records.TakeFocusRequest();
    const bool edit = (startEditing || request.edit) && record && !m_host.ReadOnly();
    const bool focusTitle = startEditing || request.focusTitle;
    if (record) {
        m_host.SetWebSearchText(record->Kind() == TRecordKind::Person
                                    ? static_cast<const TActor *>(record)->Name()
                                    : static_cast<const TBaseMovie *>(record)->DisplayTitle());
    }
    TEditState target = TEditState::None;
    if (record)
        target = edit ? TEditState::Editing : TEditState::Viewing;
    // An edit always starts from reading the record, so it gets its own snapshot.
    if (target == TEditState::Editing && m_editState != TEditState::Viewing)
        m_editState = TEditState::Viewing;
    if (target == m_editState) {
        ShowCurrent();
        m_host.CommandUpdate();
    } else {
        SetEditState(target);
    }
    IRecordCard *card = lists.Card();
    if (m_editState == TEditState::Editing && focusTitle && card
        && lists.View() != TViewMode::Grid) {
        card->FocusTitle();
    }
}

void TCardEdit::OnCellEditStarted(int column)
{
    // The edited row becomes the current record at once, not after the focus delay.
    m_host.Shown().List()->FlushFocus();
    m_editColumn = column;
    if (m_editState != TEditState::Viewing && m_host.Shown().Current())
        m_editState = TEditState::Viewing;
    SetEditState(TEditState::Editing);
}

void TCardEdit::OnCellEditFinished()
{
    TDBItem *record = m_host.Shown().Current();
    TVideoDatabase *db = m_host.Database();
    FinishUndoStep();
    if (record && db && db->Modified() && m_snapshot.rows.record == record)
        UpdatePosition(record);
    m_editColumn = -1;
    if (m_editState == TEditState::Editing)
        SetEditState(TEditState::Viewing);
}

void TCardEdit::OnMarkToggled(bool seenMark, bool checked)
{
    TListController &movies = m_host.Lists(TRecordKind::Movie);
    auto *movie = static_cast<TBaseMovie *>(movies.Current());
    if (!movie || m_host.ReadOnly() || m_host.PeopleMode())
        return;
    TUndoScope step(m_host.Undo(),
                    seenMark ? m_host.Text(4257, u"Seen"_s) : m_host.Text(4258, u"Wish list"_s));
    step.Touch(movie);
    if (seenMark)
        movie->SetViewed(checked);
    else
        movie->SetWish(checked);
    if (IRecordCard *card = movies.Card())
        card->RefreshMarks();
    movies.Model()->RecordChanged(movie);
    // The seen and wish filters may no longer admit the movie.
    if (!movies.Model()->Passes(*movie))
        movie->SetShown(false);
    m_host.CommandUpdate();
}

// ----- edit, apply, cancel -------------------------------------------------------------------

void TCardEdit::EditRecord()
{
    if (m_host.ReadOnly() || m_editState == TEditState::Editing)
        return;
    if (m_tools.MultiEditSelection()) {
        m_tools.EditMultipleMovies();
        return;
    }
    TListController &shown = m_host.Shown();
    TCatalogList *list = shown.List();
    const TViewNode *node = list->Model()->NodeOf(list->currentIndex());
    if (m_editState != TEditState::Viewing || !node || !node->record || !shown.Current()) {
        return;
    }
    SetEditState(TEditState::Editing);
    IRecordCard *card = shown.Card();
    if (card && shown.View() != TViewMode::Grid)
        card->FocusTitle();
}

void TCardEdit::ApplyEdits()
{
    TListController &shown = m_host.Shown();
    TDBItem *record = shown.Current();
    if (m_editState != TEditState::Editing || !record)
        return;
    StoreCardInput();
    FinishUndoStep();
    m_records.TakeNewRecord();
    SetEditState(TEditState::Viewing);
    if (!m_host.Database()->Modified())
        return;
    shown.Model()->ApplyFilter(*record);
    UpdatePosition(record);
    if (record->Shown())
        shown.List()->SelectRecord(record);
}

void TCardEdit::CancelEdits()
{
    TListController &shown = m_host.Shown();
    TDBItem *record = shown.Current();
    if (m_editState != TEditState::Editing || !record)
        return;
    TVideoDatabase *db = m_host.Database();
    TCatalogList *list = shown.List();
    TListModel *model = list->Model();
    const bool modified = m_snapshot.rows.record == record ? m_snapshot.modified : db->Modified();
    if (record->IsEmpty()) {
        // A new record left empty goes, and with it the only change it made; its
        // neighbour takes the focus.
        const TRecordCommands::TNewRecord made = m_records.TakeNewRecord();
        const bool before = record == made.record ? made.modifiedBefore : modified;
        TViewNode *node = model->FirstNodeOf(record);
        TViewNode *neighbour = nullptr;
        if (node) {
            const int row = model->RowOf(node);
            neighbour = model->Child(node->Parent(), row + 1);
            if (!neighbour)
                neighbour = model->Child(node->Parent(), row - 1);
        }
        list->CloseCellEditor(false);
        if (m_undoScope)
            m_undoScope->Drop();
        m_undoScope.reset();
        m_editState = TEditState::None;
        m_snapshot = TEditSnapshot();
        shown.SetCurrent(nullptr);
        TUndoController *undo = m_host.Undo();
        if (!undo || !undo->WithdrawNew(record))
            db->DeleteRecord(record);
        db->SetModified(before);
        ShowCurrent();
        if (!list->FocusNode(neighbour))
            list->SelectFirst();
        m_host.CommandUpdate();
        return;
    }
    list->CloseCellEditor(false);
    if (m_undoScope)
        m_undoScope->Drop();
    m_undoScope.reset();
    db->SetModified(modified);
    m_snapshot = TEditSnapshot();
    SetEditState(TEditState::Viewing);
}
