#pragma once

#include <memory>

#include <QMainWindow>

#include "app/commandhost.h"
#include "app/mainoptions.h"
#include "host/pluginregistry.h"
#include "logic/mainlogic.h"
#include "logic/settings.h"
#include "logic/settingsfile.h"
#include "views/languagewide.h"

class QAction;
class TCardEdit;
class TCatalogSession;
class TFilterController;
class TListController;
class TLoanController;
class TLogForm;
class TRecordCommands;
class TShutdownSignals;
class TStatsController;
class TToolsController;
class TTransferController;
class TWebController;
struct TCardSettings;
struct TMainUi;
struct TTextRules;
enum class TViewMode;

// The main window: the frame around the window program's controllers (the catalog session,
// one list per record kind, the card edit, the record commands, filters, import and
// export, web and media, loans, tools and statistics). It makes and wires the menus, tool bars and
// splitter and keeps every setting and the plug-in registry. It reads config.ini once while it is
// created and writes it after the preferences are confirmed and when it closes.
class TMain : public QMainWindow, public ICommandHost
{
public:
    explicit TMain(const TMainOptions &options, QWidget *parent = nullptr);
    ~TMain() override;

    TVideoDatabase *Database() const override;
    // The open catalog's file, its commands, recent files and auto-save.
    TCatalogSession &Session() const { return *m_session; }
    const TSettings &Settings() const { return m_settings; }
    const TAppFolders &Folders() const { return m_folders; }
    TWideLanguage &Language() { return m_language; }
    TPluginRegistry &Registry() { return m_registry; }
    TLogForm *LogForm() const;
    TWaitWindow *WaitWindow() const override;
    bool ReadOnly() const override;
    bool PeopleMode() const override { return m_peopleMode; }
    bool ShowFloppy() const { return m_commandLine.ShowFloppy; }
    // An action of the command table by its name ("SaveDBAct"), nullptr when unknown.
    QAction *Action(const QString &name) const;

    void SwitchMode();
    void SetMode(TRecordKind kind) override;
    void ShowPreferences();
    // The web plug-ins, downloads, version check and the movie card's media commands.
    TWebController &Web() const { return *m_web; }
    // The import and export plug-ins, their menus and tool buttons.
    TTransferController &Transfers() const { return *m_transfers; }

    // The catalog lists, one per kind (episodes are listed with movies).
    TListController &Lists(TRecordKind kind) const override;
    TListController &Movies() const { return *m_lists[0]; }
    TListController &People() const { return *m_lists[1]; }
    // The list of the shown kind.
    TListController &Shown() const override;
    // Shows a list in another view and rebuilds it. A tree view without grouping levels
    // is refused (false).
    bool SetListView(TListController &lists, TViewMode view);
    // Clears the selection, scrolls to the record's first row, selects and focuses it.
    bool SelectRecord(TDBItem *record);
    // Repaints both lists (after colours or the title format changed).
    void RepaintLists() override;

    // A translated text, `defaultText` when the language has none.
    QString Text(int number, const QString &defaultText) const override;
    // The cards' view of the settings.
    TCardSettings CardSettings() const;

    // The filters, the quick search and the web search box.
    TFilterController &Filters() const { return *m_filters; }
    const TFilterState &Filter() const override;
    // The commands' controllers: statistics, loans, maintenance tools.
    TStatsController &Stats() const { return *m_stats; }
    TLoanController &Loans() const { return *m_loans; }
    TToolsController &Tools() const { return *m_tools; }

    // Record commands (each checks its own preconditions); the others are the controller's.
    TRecordCommands &Records() const { return *m_records; }
    // The card's edit state, its edit, apply and cancel.
    TCardEdit &Edit() override { return *m_edit; }

    // Help > Contents (F1): the user guide in the desktop's browser, or a message naming the
    // file looked for when it is missing.
    void ShowHelp();

    // The application became idle: the version-check trigger, then auto-save arming.
    void OnIdle();

    // Ending without questions, as when a signal (SIGTERM, SIGINT, SIGHUP) asks for it: the
    // card's input is stored, a modified catalog saved or, when the save is refused or
    // fails, written to its recovery copy; the settings are written, the window closes and
    // the event loop ends.
    void CloseOrderly();
    // The session is ending: the same keeping of changes and settings, the window stays.
    void CommitData();
    // From now on the signals and the session manager's commit-data request end the
    // program in order (the program's main calls this once).
    void CatchSessionEnd();

    // What the commands' controllers ask of the window.
    void CommandUpdate() override;
    void UpdateStatusBar() override;
    void ShowStatusText(const QString &text) override;
    bool Busy() const override { return m_busy; }
    void SetBusy(bool busy) override { m_busy = busy; }
    IMainDialogs &Dialogs() const override { return *m_dialogs; }
    QWidget *Window() override { return this; }
    void
    OpenMovieMaster(const QString &title, const QString &origTitle, const QString &files) override;
    void SetWebSearchText(const QString &text) override;

    // Writes config.ini from the window's state; false (and a warning on stderr) when it
    // could not be written.
    bool SaveSettings();
    // Re-reads every translated text of the window (after a language change).
    void TranslateAll();
    // The folder a file dialog of slot n starts in, and remembering the folder of a
    // confirmed dialog. While a slot has no folder, every dialog but the media picker
    // (slot 1) starts in the data folder, which is created then.
    QString InitialFolder(int slot) const;
    void RememberFolder(int slot, const QString &folder);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    class TMessageBoxSink;
    class TSessionHost;
    class TWebHost;
    // What the movie and person cards ask of the window, handed to the controllers.
    class TCardLink;
    void CreateWebController();

    void LoadSettings();
    void CreateActions();
    // The actions' triggered handlers (part of CreateActions).
    void ConnectActions();
    void CreateMenus();
    void CreateToolBars();
    void CreateCentralArea();
    void CreateStatusBar();
    void CreateOtherWindows();
    QAction *AddAction(const QString &name, int tag, const QString &caption);
    void StartUp();
    // Reads the catalog named on the command line or in the settings, once the window is up.
    void OpenStartCatalog();
    // The catalog named on the command line ("" when none, or when it names a file to
    // import); a folder or unreadable name is reported and left alone.
    QString CommandLineCatalog();
    void ApplyLanguageSetting();
    // The texts the window walk does not reach: the seen filter's entries and the cards.
    void TranslateCodeTexts();
    void ApplySettings();
    void ConnectEvents();
    // A catalog observed by both lists, with the window's text rules and log.
    std::unique_ptr<TVideoDatabase> NewCatalog(const QString &fileName);
    // The title formatting preferences as the catalog's rules for typed titles and names.
    TTextRules TextRules() const;
    void RebuildRecentMenu();
    void UpdateProtectCaption();
    void UpdateModeTexts();
    void UpdateTitle();

    void ChooseStartMode();
    // Shows the list, card, commands and texts of the current mode.
    void ApplyMode();

    void SelectAll();

    void OnSplitterMoved();
    // Lists: focus, custom columns, the grid's in-place editing.
    void CreateLists();
    void ConnectList(TListController &lists);
    void AddCustomColumns();
    void OnCustomFieldAdded(int index);
    void OnCustomFieldDeleted(int index);
    void OnCustomFieldRenamed(int index);
    void CustomColumnsChanged();
    void ApplyListLook();
    void ApplyGrouping();
    void ApplyListLayout();
    void OnLinkRequested(TDBItem *movie);
    void UpdateViewActions();
    // First steps: the welcome of an empty catalog in the card, its links (New, or the
    // import plug-ins for files of other programs), and tool-bar hints with their keys.
    void UpdateWelcome();
    void OnWelcomeLink(const QString &target);
    void ShowToolTip(QAction *action);
    void UpdateBarHints();
    // Cards.
    void CreateCards();
    void ApplyCardSettings();
    // Commands.
    void ConnectCommands();

    bool HandleSpace();
    bool HandleCardKey(int key);
    // What dropped files do; `onMovieCard` allows media files.
    bool TakeDrop(const QStringList &files, bool onMovieCard, bool drop);

    TMainOptions m_options;
    TCommandLine m_commandLine;
    TAppFolders m_folders;
    std::unique_ptr<TMessageBoxSink> m_messages;
    std::shared_ptr<IMainDialogs> m_dialogs;
    std::shared_ptr<IPasswordPrompt> m_passwords;
    TWideLanguage m_language;
    TPluginRegistry m_registry;
    TSettingsFile m_settingsFile;
    TSettings m_settings;

    std::unique_ptr<TSessionHost> m_sessionHost;
    std::unique_ptr<TCatalogSession> m_session;
    bool m_peopleMode = false;
    bool m_busy = false;
    bool m_closing = false;
    // A close without questions is under way (CloseOrderly).
    bool m_orderlyClose = false;
    TShutdownSignals *m_shutdownSignals = nullptr;

    // The widgets the frame makes and wires.
    std::unique_ptr<TMainUi> m_ui;
    // The cards' host; made with the cards.
    std::unique_ptr<TCardLink> m_cardLink;
    // Movies and people; owned by the list stack.
    TListController *m_lists[2] = {};

    std::unique_ptr<TFilterController> m_filters;
    // The web controller holds a reference to this one's plug-in menu and goes first.
    std::unique_ptr<TTransferController> m_transfers;
    std::unique_ptr<TWebController> m_web;
    std::unique_ptr<TStatsController> m_stats;
    std::unique_ptr<TLoanController> m_loans;
    std::unique_ptr<TToolsController> m_tools;
    std::unique_ptr<TRecordCommands> m_records;
    std::unique_ptr<TCardEdit> m_edit;
};
