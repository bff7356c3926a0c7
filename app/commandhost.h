#pragma once

#include <QString>

#include "catalog/dbitem.h"

class IMainDialogs;
class TCardEdit;
class QWidget;
class TListController;
class TUndoController;
class TVideoDatabase;
class TWaitWindow;
struct TFilterState;

// What the current record is doing; only Viewing and Editing have a current record.
enum class TEditState { None, Empty, Editing, Viewing };

// What the window's command controllers (records, loans, maintenance tools, statistics) ask of the
// window: the open catalog and its lists, the card's edit, the refresh after a command,
// texts and dialogs. The window implements it; tests give their own.
class ICommandHost
{
public:
    virtual ~ICommandHost() = default;

    // The open catalog; nullptr while none is open.
    virtual TVideoDatabase *Database() const = 0;
    virtual bool ReadOnly() const = 0;
    virtual bool PeopleMode() const = 0;
    virtual TListController &Lists(TRecordKind kind) const = 0;
    virtual TListController &Shown() const = 0;
    virtual const TFilterState &Filter() const = 0;

    // The card's edit state, its edit, apply and cancel.
    virtual TCardEdit &Edit() = 0;
    virtual void CommandUpdate() = 0;
    virtual void UpdateStatusBar() = 0;
    virtual void ShowStatusText(const QString &text) = 0;
    // Shows the list and card of a kind (episodes go with movies).
    virtual void SetMode(TRecordKind kind) = 0;
    // Repaints both lists (after marks changed on records they do not observe).
    virtual void RepaintLists() = 0;
    // The links: a movie master for a title the catalog lacks, and the text the web search
    // box offers.
    virtual void
    OpenMovieMaster(const QString &title, const QString &origTitle, const QString &files) = 0;
    virtual void SetWebSearchText(const QString &text) = 0;

    // A long command runs: others wait (the window refuses them meanwhile).
    virtual bool Busy() const = 0;
    virtual void SetBusy(bool busy) = 0;
    // The wait window with its progress bar and Cancel; nullptr when there is none.
    virtual TWaitWindow *WaitWindow() const = 0;

    virtual QString Text(int number, const QString &english) const = 0;
    virtual IMainDialogs &Dialogs() const = 0;
    // The parent of the dialogs and windows the commands open.
    virtual QWidget *Window() = 0;
    // The open catalog's undo history; nullptr where commands are not recorded.
    virtual TUndoController *Undo() { return nullptr; }
};
