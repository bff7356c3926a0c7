#pragma once

#include <memory>

#include <QMainWindow>

#include "app/mainoptions.h"
#include "catalog/dbitem.h"
#include "logic/settings.h"
#include "views/languagewide.h"

class QAction;
class TCardEdit;
class TCatalogSession;
class TFilterController;
class TListController;
class TLogForm;
class TMainPrivate;
class TPluginRegistry;
class TRecordCommands;
class TStatsController;
class TTransferController;
class TVideoDatabase;
struct TFilterState;
enum class TViewMode;

// The main window: the frame around the window program's controllers (the catalog session,
// one list per record kind, the card edit, the record commands, filters, import and
// export, web and media, loans, tools and statistics). It makes and wires the menus, tool bars and
// splitter and keeps every setting and the plug-in registry. It reads config.ini once while it is
// created and writes it after the preferences are confirmed and when it closes. Its state and
// wiring are in TMainPrivate (mainwindow_p.h); what is here is what the program's main and the
// tests use.
class TMain : public QMainWindow
{
public:
    explicit TMain(const TMainOptions &options, QWidget *parent = nullptr);
    ~TMain() override;

    // The open catalog; nullptr while none is open.
    TVideoDatabase *Database() const;
    bool ReadOnly() const;
    bool PeopleMode() const;
    // The open catalog's file, its commands, recent files and auto-save.
    TCatalogSession &Session() const;
    const TSettings &Settings() const;
    const TAppFolders &Folders() const;
    TWideLanguage &Language();
    TLogForm *LogForm() const;
    // An action of the command table by its name ("SaveDBAct"), nullptr when unknown.
    QAction *Action(const QString &name) const;

    // Shows the list and card of a kind (episodes go with movies).
    void SetMode(TRecordKind kind);
    // The catalog lists, one per kind (episodes are listed with movies).
    TListController &Lists(TRecordKind kind) const;
    TListController &Movies() const;
    TListController &People() const;
    // The list of the shown kind.
    TListController &Shown() const;
    // Shows a list in another view and rebuilds it. A tree view without grouping levels
    // is refused (false).
    bool SetListView(TListController &lists, TViewMode view);
    // Clears the selection, scrolls to the record's first row, selects and focuses it.
    bool SelectRecord(TDBItem *record);

    // The filters, the quick search and the web search box.
    TFilterController &Filters() const;
    const TFilterState &Filter() const;
    TStatsController &Stats() const;
    // The plug-ins found at start, and the import and export runs through them.
    TPluginRegistry &Registry();
    TTransferController &Transfers() const;
    // Record commands (each checks its own preconditions); the others are the controller's.
    TRecordCommands &Records() const;
    // The card's edit state, its edit, apply and cancel.
    TCardEdit &Edit();

    // The application became idle: the version-check trigger, then auto-save arming.
    void OnIdle();
    // The session is ending: a modified catalog is saved or, when the save is refused or
    // fails, written to its recovery copy; the settings are written, the window stays.
    void CommitData();
    // From now on the signals (SIGTERM, SIGINT, SIGHUP) and the session manager's
    // commit-data request end the program in order: the card's input is stored, the catalog
    // kept as above, the settings written, the window closed and the event loop ended (the
    // program's main calls this once).
    void CatchSessionEnd();

    // Writes config.ini from the window's state; false (and a warning on stderr) when it
    // could not be written.
    bool SaveSettings();
    // Re-reads every translated text of the window (after a language change).
    void TranslateAll();
    // The folder a file dialog of slot n starts in. While a slot has no folder, every dialog
    // but the media picker (slot 1) starts in the data folder, which is created then.
    QString InitialFolder(int slot) const;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    std::unique_ptr<TMainPrivate> d;
};
