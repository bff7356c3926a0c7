#pragma once

#include <memory>

#include "app/commandhost.h"
#include "app/listcontroller.h"

class TDBItem;
class TRecordCommands;
class TToolsController;
class TUndoScope;

// The card's edit: the state of the shown list's current record (none, an empty list,
// reading, editing) on the card or in a grid cell, and starting, applying and cancelling an
// edit. It keeps what decides afterwards whether the record's rows move and whether the
// catalog counts as modified, and takes from the record commands what they leave for the
// next focused record (an edit to start, a new record that goes again when cancelled empty).
// It reaches the frame through the command host.
class TCardEdit
{
public:
    TCardEdit(ICommandHost &host, TRecordCommands &records, TToolsController &tools);
    ~TCardEdit();

    TEditState EditState() const { return m_editState; }
    // Moves to another edit state, showing the card and the commands that follow.
    void SetEditState(TEditState state);
    // Sets the edit state without showing anything, and forgets what an edit in progress
    // kept (its snapshot, a new record): before records go, and after.
    void ResetEditState(TEditState state);
    // The card shows the current record again (in the grid, its row is repainted).
    void ShowCurrent();
    // Writes the card's input, or the open grid cell's, into the current record; false when
    // there is none.
    bool StoreCardInput();

    // The Edit, Apply and Cancel commands; each checks its own preconditions. Edit with
    // several movies selected edits them together.
    void EditRecord();
    void ApplyEdits();
    void CancelEdits();

    // What the lists report. The focus leaving a record keeps its input; a focused record
    // is read, or edited when the list or a command asks for it.
    void OnFocusLeaving(TListController &lists);
    void OnNodeFocused(TListController &lists, TDBItem *record, bool startEditing);
    void OnCellEditStarted(int column);
    void OnCellEditFinished();
    // The grid column whose cell is being edited; -1 when none.
    int EditColumn() const { return m_editColumn; }
    // A click on the movie card's seen (true) or wish mark.
    void OnMarkToggled(bool seenMark, bool checked);

private:
    void TakeSnapshot();
    void UpdatePosition(TDBItem *record);
    // The edit's input, once stored, becomes one undo step named after the record.
    void FinishUndoStep();

    ICommandHost &m_host;
    TRecordCommands &m_records;
    TToolsController &m_tools;
    TEditState m_editState = TEditState::None;
    int m_editColumn = -1;
    // Taken when editing starts: what decides whether the record's rows move afterwards,
    // and whether the catalog was modified before.
    struct TEditSnapshot
    {
        TListController::TRowSnapshot rows;
        bool modified = false;
    };
    TEditSnapshot m_snapshot;
    // The fields of the edited record from the start of the edit.
    std::unique_ptr<TUndoScope> m_undoScope;
};
