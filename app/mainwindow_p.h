#pragma once

#include <memory>
#include <optional>

#include "app/commandhost.h"
#include "app/mainoptions.h"
#include "app/mainwindow.h"
#include "host/pluginregistry.h"
#include "logic/mainlogic.h"
#include "logic/settings.h"
#include "logic/settingsfile.h"
#include "views/languagewide.h"

class QAction;
class QCloseEvent;
class QEvent;
class QObject;
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
class TUndoController;
class TWebController;
struct TCardSettings;
struct TMainUi;
struct TTextRules;
enum class TViewMode;

// Everything behind the main window (mainwindow.cpp and the main*.cpp beside it): its state,
// the controllers and the wiring between them and the widgets. The controllers see the window
// through this object. `q` is the window itself: what only a QMainWindow does goes through
// it, and it is the parent of the widgets and the context of the connections made here.
class TMainPrivate : public ICommandHost
{
public:
    TMainPrivate(TMain &window, const TMainOptions &options);
    ~TMainPrivate() override;

    // What the commands' controllers ask of the window.
    TVideoDatabase *Database() const override;
    bool ReadOnly() const override;
    bool PeopleMode() const override { return m_peopleMode; }
    TListController &Lists(TRecordKind kind) const override;
    TListController &Shown() const override;
    const TFilterState &Filter() const override;
    TCardEdit &Edit() override { return *m_edit; }
    void CommandUpdate() override;
    void UpdateStatusBar() override;
    // UpdateStatusBar when the event loop next turns, once however often it is asked.
    void ScheduleStatusBar();
    void ShowStatusText(const QString &text) override;
    void SetMode(TRecordKind kind) override;
    void RepaintLists() override;
    void
    OpenMovieMaster(const QString &title, const QString &origTitle, const QString &files) override;
    void SetWebSearchText(const QString &text) override;
    bool Busy() const override { return m_busy; }
    void SetBusy(bool busy) override { m_busy = busy; }
    TWaitWindow *WaitWindow() const override;
    QString Text(int number, const QString &defaultText) const override;
    IMainDialogs &Dialogs() const override { return *m_dialogs; }
    QWidget *Window() override { return &q; }
    TUndoController *Undo() override { return m_undo.get(); }

    // The window's own side; TMain forwards what the program's main and the tests use.
    TListController &Movies() const { return *m_lists[0]; }
    TListController &People() const { return *m_lists[1]; }
    TLogForm *LogForm() const;
    QAction *Action(const QString &name) const;
    bool ShowFloppy() const { return m_commandLine.ShowFloppy; }
    void SwitchMode();
    void ShowPreferences();
    bool SetListView(TListController &lists, TViewMode view);
    bool SelectRecord(TDBItem *record);
    // The cards' view of the settings.
    TCardSettings CardSettings() const;
    // Help > Contents (F1): the user guide in the desktop's browser, or a message naming the
    // file looked for when it is missing.
    void ShowHelp();
    void OnIdle();
    // Ending without questions, as when a signal asks for it: the card's input is stored, a
    // modified catalog saved or, when the save is refused or fails, written to its recovery
    // copy; the settings are written, the window closes and the event loop ends.
    void CloseOrderly();
    void CommitData();
    void CatchSessionEnd();
    bool SaveSettings();
    void TranslateAll();
    // The folder a file dialog of slot n starts in, and remembering the folder of a
    // confirmed dialog.
    QString InitialFolder(int slot) const;
    void RememberFolder(int slot, const QString &folder);

    // The window's events that have work behind them.
    void OnClose(QCloseEvent *event);
    // The keys the window takes before its controls: the filter's answer, or none when the
    // window's own filtering applies.
    std::optional<bool> FilterKey(QObject *watched, QEvent *event);
    // A theme switch: rows and cards take the new palette's colours again.
    void OnStyleChange();
    void OnResize();

    class TMessageBoxSink;
    class TSessionHost;
    class TWebHost;
    // What the movie and person cards ask of the window, handed to the controllers.
    class TCardLink;
    // The commands' controllers; the lists, cards, record commands and web come in StartUp.
    void CreateControllers();
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
    // Undo: the Edit menu's undo, redo and history, in step with the stack (mainundo.cpp).
    void ConnectUndo();
    void UpdateUndoActions();

    bool HandleSpace();
    bool HandleCardKey(int key);
    // What dropped files do; `onMovieCard` allows media files.
    bool TakeDrop(const QStringList &files, bool onMovieCard, bool drop);

    TMain &q;
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
    // A status bar update is queued (see ScheduleStatusBar).
    bool m_statusPending = false;
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
    std::unique_ptr<TUndoController> m_undo;
};
