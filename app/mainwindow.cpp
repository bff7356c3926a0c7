#include "app/mainwindow.h"

#include <algorithm>

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollArea>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QWidgetAction>

#include "app/aboutbox.h"
#include "app/cardedit.h"
#include "app/catalogview.h"
#include "app/grouping.h"
#include "app/listmodel.h"
#include "app/loancontroller.h"
#include "app/logform.h"
#include "app/maincards_p.h"
#include "app/maindialogs.h"
#include "app/mainsession_p.h"
#include "app/mainui_p.h"
#include "app/passdlg.h"
#include "app/pluginsettings.h"
#include "app/prefs/prefsform.h"
#include "app/recordcard.h"
#include "app/recordcommands.h"
#include "app/statscontroller.h"
#include "app/statsform.h"
#include "app/toolscontroller.h"
#include "app/transfercontroller.h"
#include "app/waitwindow.h"
#include "app/widefiledialog.h"
#include "catalog/actor.h"
#include "catalog/basemovie.h"
#include "catalog/daycount.h"
#include "catalog/dbitem.h"
#include "catalog/movie.h"
#include "catalog/settingsconvert.h"
#include "catalog/textutils.h"
#include "catalog/version.h"
#include "catalog/videodatabase.h"
#include "host/installlayout.h"
#include "host/pluginsframe.h"
#include "views/actorframe.h"
#include "views/linktext.h"
#include "views/mvframe.h"
#include "views/screenmaker.h"
#include "views/translate.h"

using namespace Qt::StringLiterals;

namespace {

// The layout limits of the plain and tree views.
constexpr int MinWindowHeight = 500;
constexpr int MinListWidth = 150;
constexpr int MinCardWidth = 650;

// Status bar panels: record count, shown count, messages.
constexpr int PanelCount = 3;

// Runs `action` on the focused text box of any of the three kinds; false without one.
template <typename F> bool WithFocusedText(F action)
{
    QWidget *focus = QApplication::focusWidget();
    if (auto *edit = qobject_cast<QLineEdit *>(focus))
        action(edit);
    else if (auto *text = qobject_cast<QTextEdit *>(focus))
        action(text);
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(focus))
        action(plain);
    else
        return false;
    return true;
}

void SetTag(QObject *object, int tag)
{
    object->setProperty(TagProperty, tag);
}

// The window's side of the import and export runs: its dialog folders and the web flow.
class TTransferHost : public ITransferHost
{
public:
    explicit TTransferHost(TMain &window)
        : m_window(window)
    {}

    QString InitialFolder(int slot) const override { return m_window.InitialFolder(slot); }
    void RememberFolder(int slot, const QString &folder) override
    {
        m_window.RememberFolder(slot, folder);
    }
    void RunWebPlugin(int index) override { m_window.Web().RunWebPlugin(index); }
    void UpdateCardButtons() override { m_window.Web().UpdateCardButtons(); }

private:
    TMain &m_window;
};

} // namespace

// Messages of the language loader and the plug-in registry go through the window's dialogs;
// they may come before the window is shown, so the parent is only used when visible.
class TMain::TMessageBoxSink : public IMessageSink
{
public:
    explicit TMessageBoxSink(TMain *owner)
        : m_owner(owner)
    {}

    void ShowMessage(TMessageKind kind, const QString &caption, const QString &text) override
    {
        QWidget *parent = m_owner->isVisible() ? m_owner : nullptr;
        m_owner->m_dialogs->ShowMessage(parent, kind, caption, text);
    }

private:
    TMain *m_owner;
};

TMain::TMain(const TMainOptions &options, QWidget *parent)
    : QMainWindow(parent)
    , m_options(options)
    , m_messages(std::make_unique<TMessageBoxSink>(this))
    , m_dialogs(options.dialogs ? options.dialogs : std::make_shared<TQtMainDialogs>(&m_language))
    , m_passwords(options.passwords ? options.passwords
                                    : std::make_shared<TPasswordPrompt>(this, &m_language))
    , m_language(m_messages.get())
    , m_registry(m_messages.get(), [this](int number) { return m_language.Text(number); })
    , m_sessionHost(std::make_unique<TSessionHost>(this))
    , m_session(std::make_unique<TCatalogSession>(
          *m_sessionHost,
          *m_dialogs,
          *m_passwords,
          m_settings,
          m_folders,
          [this](int number, const QString &defaultText) { return Text(number, defaultText); },
          this))
    , m_db(m_session->Catalog())
    , m_readOnly(m_session->ReadOnlyFlag())
    , m_ui(std::make_unique<TMainUi>())
{
    setObjectName(u"Main"_s);
    // Catalogs dragged from the desktop open (maindrops.cpp).
    setAcceptDrops(true);
    m_stats = std::make_unique<TStatsController>(*this, m_language);
    m_loans = std::make_unique<TLoanController>(*this, m_folders, m_settings);
    m_tools = std::make_unique<TToolsController>(*this, m_settings);
    m_filters = std::make_unique<TFilterController>(*this, m_settings, m_language);
    m_transfers = std::make_unique<TTransferController>(
        *this, std::make_unique<TTransferHost>(*this), m_registry, m_settings, m_language);

    StartUp();

    if (m_options.useIdleEvents) {
        // Qt has no idle message; the moment the event loop is about to wait is the same.
        // The work is queued so nothing heavy runs inside the dispatcher's callback.
        if (QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance()) {
            connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] {
                QMetaObject::invokeMethod(
                    this, [this] { OnIdle(); }, Qt::QueuedConnection);
            });
        }
    }
}

TMain::~TMain()
{
    // A window destroyed without closing (tests, a failed start) still saves its work.
    if (!m_closing) {
        SaveSettings();
        if (m_db && m_db->Modified() && !m_readOnly)
            (void)m_db->Save(false);
    }
    // Downloads end before the records they would fill.
    m_web.reset();
    // The catalog's records remove their nodes from the models while it is destroyed.
    for (TListController *lists : m_lists)
        lists->SetCatalog(nullptr);
    m_session->Release();
}

// ----- start-up ---------------------------------------------------------------------------

void TMain::StartUp()
{
    CreateWebController();
    // The texts and plug-ins sit beside the program in a build, under its prefix when installed.
    const TInstallLayout layout = TInstallLayout::ForProgram(m_options.programFolder);
    m_language.Load(layout.LangFile());
    m_commandLine = ParseCommandLine(m_options.arguments, m_options.workingFolder);
    m_folders = ChooseFolders(m_options.programFolder, m_commandLine.Portable);

    CreateActions();
    m_filters->CreateActions([this](const QString &name, int tag, const QString &caption) {
        return AddAction(name, tag, caption);
    });
    CreateMenus();
    CreateToolBars();
    CreateCentralArea();
    CreateStatusBar();
    ConnectCommands();

    LoadSettings();
    // The new-episode dialog's copy choice starts from the settings just read.
    m_records = std::make_unique<TRecordCommands>(*this, m_settings);
    m_edit = std::make_unique<TCardEdit>(*this, *m_records, *m_tools);
    ApplyLanguageSetting();
    m_registry.Discover(layout.PluginFolder, m_language.LanguageId());
    TSettingsPluginKeys adapter(m_settings);
    m_registry.ReadSettings(adapter);
    m_registry.SetChangedHandler([this] { m_transfers->RebuildMenus(); });
    m_transfers->RebuildMenus();
    m_web->CreateWebFlow();
    m_web->CreateUpdateCheck(AddAction(u"NewUpdatesAct"_s, 0, u"New updates"_s), m_ui->MainBar);

    // The log exists before the catalog so its first lines are kept.
    m_ui->LogForm = new TLogForm(this);
    m_ui->LogForm->setWindowFlag(Qt::Window);
    ApplyGrouping();

    Translate(m_language, this);
    TranslateCodeTexts();
    UpdateBarHints();
    ApplySettings();
    m_filters->RebuildWebSearchMenus();

    QElapsedTimer elapsed;
    elapsed.start();
    const QString named = CommandLineCatalog();
    m_session->OpenAtStart(named);
    ChooseStartMode();
    UpdateModeTexts();
    m_ui->LogForm->AddLine(u"Load time: %1ms"_s.arg(elapsed.elapsed()));
    UpdateTitle();
    CommandUpdate();

    CreateOtherWindows();

    if (TTransferController::IsImportFile(m_commandLine.File)) {
        // Asked once the window is up, not from inside its constructor.
        const QString file = m_commandLine.File;
        QMetaObject::invokeMethod(
            this, [this, file] { m_transfers->OfferImport(file); }, Qt::QueuedConnection);
    }
}

QString TMain::CommandLineCatalog()
{
    const QString &file = m_commandLine.File;
    if (file.isEmpty() || TTransferController::IsImportFile(file))
        return QString();
    const QFileInfo info(file);
    // A missing name makes a new catalog there, as File > New would; a folder cannot.
    if (info.isDir() || (info.exists() && !info.isReadable())) {
        const QString text =
            Text(3782, u"%1 cannot be opened as a catalog."_s).arg(QDir::toNativeSeparators(file));
        m_ui->LogForm->AddLine(text);
        QMetaObject::invokeMethod(
            this,
            [this, text] { m_dialogs->ShowError(this, Text(1802, u"Error"_s), text); },
            Qt::QueuedConnection);
        return QString();
    }
    return file;
}

void TMain::LoadSettings()
{
    TSettingsDefaults defaults = TSettingsDefaults::English(m_folders);
    // The default language is the user's, when the language table offers it.
    const int userLanguage = WindowsLanguageId(QLocale::system().language());
    defaults.Language = m_language.IndexOfLanguage(userLanguage) >= 0 ? userLanguage : 9;
    // The default lists are texts of that language.
    const int saved = m_language.LanguageIndex();
    m_language.SetLanguage(m_language.IndexOfLanguage(defaults.Language));
    const auto listText = [this](int number, QStringList &target) {
        const QString text = m_language.Text(number);
        if (!text.isEmpty())
            target = SplitQuotedList(text, u',');
    };
    listText(2400, defaults.Genres);
    listText(2401, defaults.Translations);
    listText(2402, defaults.SearchNames);
    listText(2403, defaults.SearchUrls);
    m_language.SetLanguage(saved);

    m_settingsFile.Load(m_folders.SettingsPath());
    m_settings.Read(m_settingsFile, defaults);
    QStringList recent = m_settings.RecentFiles;
    // Earlier versions stored these relative to the program folder in every mode.
    if (!m_folders.Portable) {
        for (QString &name : recent)
            name = ResolvePath(name, m_folders.ProgramFolder);
    }
    m_session->LoadRecent(recent);
    TScreenMaker::SetDefaultGrabFormat(m_settings.ScreenshotsAsBitmaps ? TImageFormat::Bmp
                                                                       : TImageFormat::Jpeg);
}

void TMain::ApplyLanguageSetting()
{
    // A language the table does not offer leaves the table's default in place.
    const int index = m_language.IndexOfLanguage(m_settings.Language);
    if (index >= 0)
        m_language.SetLanguage(index);
}

void TMain::ApplySettings()
{
    if (m_settings.Maximized) {
        setWindowState(windowState() | Qt::WindowMaximized);
    } else {
        setGeometry(m_settings.Left, m_settings.Top, m_settings.Width, m_settings.Height);
    }
    const int listWidth = std::max(MinListWidth, m_settings.Splitter);
    m_ui->Splitter->setSizes({listWidth, std::max(MinCardWidth, width() - listWidth)});
    m_ui->Panels[0]->setFixedWidth(listWidth);

    ApplyListLook();
    ApplyCardSettings();
    if (m_db) {
        m_db->SetPicsInFoldersSetting(m_settings.PicsInFolders);
        m_db->SetTextRules(TextRules());
    }
}

void TMain::CreateOtherWindows()
{
    m_ui->WaitWindow = new TWaitWindow(this);
    m_ui->WaitWindow->setObjectName(u"WaitWindow"_s);
    m_ui->AboutBox = new TAboutBox(this);
    Translate(m_language, m_ui->LogForm);
    Translate(m_language, m_ui->WaitWindow);
    Translate(m_language, m_ui->AboutBox);
}

// ----- actions, menus and bars --------------------------------------------------------------

QAction *TMain::AddAction(const QString &name, int tag, const QString &caption)
{
    auto *action = new QAction(caption, this);
    action->setObjectName(name);
    if (tag != 0)
        SetTag(action, tag);
    m_ui->Actions.insert(name, action);
    return action;
}

TLogForm *TMain::LogForm() const
{
    return m_ui->LogForm;
}

TWaitWindow *TMain::WaitWindow() const
{
    return m_ui->WaitWindow;
}

QAction *TMain::Action(const QString &name) const
{
    return m_ui->Actions.value(name, nullptr);
}

void TMain::CreateActions()
{
    struct TActionRow
    {
        const char *name;
        int tag;
        const char *caption;
        QKeySequence shortcut;
    };
    const TActionRow rows[] = {
        {"NewVidAct", 120, "&New", QKeySequence(u"Ctrl+N"_s)},
        {"EditVidAct", 121, "&Edit", QKeySequence(u"Ctrl+E"_s)},
        {"ApplyVidAct", 122, "&Apply changes", QKeySequence(u"Ctrl+Alt+Y"_s)},
        {"AbortAct", 123, "&Cancel changes", QKeySequence(Qt::Key_Escape)},
        {"ClearAct", 124, "Clea&r", {}},
        {"DelVidAct", 125, "&Delete", {}},
        {"DuplicateAct", 126, "Du&plicate", QKeySequence(u"Ctrl+D"_s)},
        {"NewEpAct", 127, "New &Epi&sode", QKeySequence(u"Ctrl+Alt+E"_s)},
        {"SetIDAct", 128, "Set &ID", {}},
        {"SetEpNumAct", 129, "Set Episode Number", {}},
        {"SetIDSAct", 130, "Set &IDs for selected movies", {}},
        {"LoanAct", 0, "&Loan", {}},
        {"SeenAct", 132, "Seen", {}},
        {"PlayAct", 139, "Pla&y", QKeySequence(u"Ctrl+P"_s)},
        {"OpenFolderAct", 140, "&Open containing folder", {}},
        {"BookAct", 141, "&Set/Remove bookmark", {}},
        {"NextBookAct", 142, "Go to &next bookmark", QKeySequence(Qt::Key_F2)},
        {"PrevBookAct", 143, "Go to &previous bookmark", QKeySequence(u"Shift+F2"_s)},
        {"ClearBookAct", 144, "&Clear all bookmarks", QKeySequence(u"Ctrl+Alt+C"_s)},
        {"NewDBAct", 110, "New...", {}},
        {"OpenDBAct", 111, "&Open...", QKeySequence(u"Ctrl+O"_s)},
        {"SaveDBAct", 112, "&Save", QKeySequence(u"Ctrl+S"_s)},
        {"SaveAsDBAct", 113, "Save &as...", {}},
        {"AppendAct", 114, "Appen&d...", {}},
        {"ProtectAct", 0, "Pass&word Protect", {}},
        {"dbModeAct", 0, "Switch to people", {}},
        {"EditSelectAll1", 146, "Select &All", QKeySequence(u"Ctrl+A"_s)},
        {"EditCut", 147, "Cu&t", QKeySequence(u"Ctrl+X"_s)},
        {"EditCopy", 148, "&Copy", QKeySequence(u"Ctrl+C"_s)},
        {"EditPaste", 149, "&Paste", QKeySequence(u"Ctrl+V"_s)},
        {"ExitAct", 116, "&Exit", QKeySequence(u"Ctrl+Q"_s)},
        {"NewMasterAct", 150, "New Movie &Master", QKeySequence(u"Ctrl+M"_s)},
        {"ImportAct", 0, "Import", {}},
        {"ExportAct", 0, "Export", {}},
        {"RemDupAct", 153, "Remove &Duplicates...", {}},
        {"RemBadFilesAct", 154, "&Remove bad file locations...", {}},
        {"StatsAct", 155, "Sta&tistics...", {}},
        {"HistoryAct", 156, "Loan history...", {}},
        {"OptsAct", 157, "&Preferences...", {}},
        {"LogAct", 158, "&Log", {}},
        {"AboutAct", 159, "&About...", {}},
        {"NotSeenAct", 134, "Not seen", {}},
        {"SeenTodayAct", 135, "Today", {}},
        {"SeenYesterdayAct", 136, "Yesterday", {}},
        {"Seen2DaysAct", 137, "2 Days ago", {}},
        {"SeenDateAct", 138, "Set date", {}},
        {"PlainViewAct", 0, "&Plain view", QKeySequence(u"Ctrl+F1"_s)},
        {"TreeViewAct", 0, "&Tree view", QKeySequence(u"Ctrl+F2"_s)},
        {"GridViewAct", 0, "&Grid view", QKeySequence(u"Ctrl+F3"_s)},
        {"FindAct", 3747, "&Find", QKeySequence(u"Ctrl+F"_s)},
        {"HelpAct", 3748, "&Contents", QKeySequence(u"F1"_s)},
    };
    for (const TActionRow &row : rows) {
        QAction *action =
            AddAction(QString::fromLatin1(row.name), row.tag, QString::fromLatin1(row.caption));
        if (!row.shortcut.isEmpty())
            action->setShortcut(row.shortcut);
    }
    // Ctrl+Enter applies as well as the listed shortcut.
    Action(u"ApplyVidAct"_s)
        ->setShortcuts({QKeySequence(u"Ctrl+Alt+Y"_s),
                        QKeySequence(u"Ctrl+Return"_s),
                        QKeySequence(u"Ctrl+Enter"_s)});
    for (const char *name : {"PlainViewAct", "TreeViewAct", "GridViewAct"}) {
        QAction *action = Action(QString::fromLatin1(name));
        action->setCheckable(true);
        // Their captions are set from code, not by the window walk.
        m_language.Exclude(action);
    }
    Action(u"PlainViewAct"_s)->setChecked(true);

    ConnectActions();

    // The movie-only commands hide in people mode.
    for (const char *name : {"NewMasterAct",
                             "LoanAct",
                             "PlayAct",
                             "NewEpAct",
                             "SetIDAct",
                             "SetEpNumAct",
                             "OpenFolderAct",
                             "SetIDSAct",
                             "RemBadFilesAct",
                             "SeenAct"})
        m_ui->MovieOnly.append(Action(QString::fromLatin1(name)));
}

void TMain::ConnectActions()
{
    const auto on = [this](const char *name, auto handler) {
        connect(Action(QString::fromLatin1(name)), &QAction::triggered, this, handler);
    };
    on("NewDBAct", [this] { m_session->NewCatalog(); });
    on("PlainViewAct", [this] { SetListView(Shown(), TViewMode::Plain); });
    on("TreeViewAct", [this] { SetListView(Shown(), TViewMode::Tree); });
    on("GridViewAct", [this] { SetListView(Shown(), TViewMode::Grid); });
    on("OpenDBAct", [this] { m_session->OpenCatalogDialog(); });
    on("SaveDBAct", [this] { m_session->SaveCatalog(); });
    on("SaveAsDBAct", [this] { m_session->SaveCatalogAs(); });
    on("AppendAct", [this] { m_session->AppendCatalog(); });
    on("ProtectAct", [this] { m_session->ProtectCatalog(); });
    on("ExitAct", [this] { close(); });
    on("dbModeAct", [this] { SwitchMode(); });
    on("EditSelectAll1", [this] { SelectAll(); });
    on("EditCut", [] { WithFocusedText([](auto *edit) { edit->cut(); }); });
    on("EditCopy", [] {
        if (auto *links = qobject_cast<TLinkText *>(QApplication::focusWidget()))
            links->CopySelection();
        else
            WithFocusedText([](auto *edit) { edit->copy(); });
    });
    on("EditPaste", [] { WithFocusedText([](auto *edit) { edit->paste(); }); });
    on("OptsAct", [this] { ShowPreferences(); });
    on("LogAct", [this] {
        m_ui->LogForm->show();
        m_ui->LogForm->raise();
        m_ui->LogForm->activateWindow();
    });
    on("AboutAct", [this] { m_ui->AboutBox->exec(); });
    on("NewMasterAct", [this] { m_web->OpenMovieMaster(QString(), QString(), QString()); });
    on("RemDupAct", [this] { m_tools->RunRemoveDuplicates(); });
    on("RemBadFilesAct", [this] { m_tools->RunRemoveBadFiles(); });
    on("LoanAct", [this] { m_loans->LoanMovies(); });
    on("HistoryAct", [this] { m_loans->ShowLoanHistory(); });
    on("StatsAct", [this] { m_stats->ShowStatistics(); });
    on("HelpAct", [this] { ShowHelp(); });
    on("FindAct", [this] { m_filters->FocusSearchBox(); });
}

void TMain::CreateMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(u"MainMenu"_s);

    m_ui->FileMenu = bar->addMenu(u"&File"_s);
    m_ui->FileMenu->setObjectName(u"FileMenu"_s);
    SetTag(m_ui->FileMenu, 100);
    for (const char *name : {"NewDBAct", "OpenDBAct", "SaveDBAct", "SaveAsDBAct", "AppendAct"})
        m_ui->FileMenu->addAction(Action(QString::fromLatin1(name)));
    m_ui->FileMenu->addSeparator();
    m_ui->FileMenu->addAction(Action(u"ProtectAct"_s));
    m_ui->FileMenu->addSeparator();
    m_ui->RecentSeparator = m_ui->FileMenu->addSeparator();
    m_ui->FileMenu->addAction(Action(u"ExitAct"_s));

    QMenu *edit = bar->addMenu(u"&Edit"_s);
    edit->setObjectName(u"EditMenu"_s);
    SetTag(edit, 101);
    for (const char *name : {"EditCut", "EditCopy", "EditPaste"})
        edit->addAction(Action(QString::fromLatin1(name)));
    edit->addSeparator();
    edit->addAction(Action(u"EditSelectAll1"_s));
    edit->addAction(Action(u"FindAct"_s));

    m_ui->MovieMenu = bar->addMenu(u"Movies"_s);
    m_ui->MovieMenu->setObjectName(u"MovieMenu"_s);
    for (const char *name : {"NewVidAct",
                             "EditVidAct",
                             "ApplyVidAct",
                             "AbortAct",
                             "ClearAct",
                             "DelVidAct",
                             "DuplicateAct"})
        m_ui->MovieMenu->addAction(Action(QString::fromLatin1(name)));
    m_ui->MovieMenu->addSeparator();
    for (const char *name : {"NewEpAct", "SetIDAct", "SetEpNumAct", "SetIDSAct"})
        m_ui->MovieMenu->addAction(Action(QString::fromLatin1(name)));
    m_ui->MovieMenu->addAction(Action(u"NewMasterAct"_s));
    m_ui->MovieMenu->addSeparator();
    m_ui->MovieMenu->addAction(Action(u"LoanAct"_s));
    m_ui->SeenMenu = m_ui->MovieMenu->addMenu(u"Seen"_s);
    m_ui->SeenMenu->setObjectName(u"SeenMenu"_s);
    SetTag(m_ui->SeenMenu, 133);
    for (const char *name :
         {"NotSeenAct", "SeenTodayAct", "SeenYesterdayAct", "Seen2DaysAct", "SeenDateAct"})
        m_ui->SeenMenu->addAction(Action(QString::fromLatin1(name)));
    m_ui->MovieOnly.append(m_ui->SeenMenu->menuAction());
    m_ui->MovieMenu->addSeparator();
    m_ui->MovieMenu->addAction(Action(u"PlayAct"_s));
    m_ui->MovieMenu->addAction(Action(u"OpenFolderAct"_s));
    m_ui->MovieMenu->addSeparator();
    for (const char *name : {"BookAct", "NextBookAct", "PrevBookAct", "ClearBookAct"})
        m_ui->MovieMenu->addAction(Action(QString::fromLatin1(name)));

    m_ui->ViewMenu = bar->addMenu(u"&View"_s);
    m_ui->ViewMenu->setObjectName(u"ViewMenu"_s);
    SetTag(m_ui->ViewMenu, 103);
    m_ui->ViewMenu->addAction(Action(u"dbModeAct"_s));
    m_ui->ViewMenu->addSeparator();
    for (const char *name : {"PlainViewAct", "TreeViewAct", "GridViewAct"})
        m_ui->ViewMenu->addAction(Action(QString::fromLatin1(name)));

    m_ui->ToolsMenu = bar->addMenu(u"&Tools"_s);
    m_ui->ToolsMenu->setObjectName(u"ToolsMenu"_s);
    SetTag(m_ui->ToolsMenu, 104);
    m_ui->ToolsMenu->addAction(Action(u"NewMasterAct"_s));
    m_ui->ToolsMenu->addSeparator();
    m_ui->ToolsMenu->addAction(Action(u"RemDupAct"_s));
    m_ui->ToolsMenu->addAction(Action(u"RemBadFilesAct"_s));
    m_ui->ToolsMenu->addSeparator();
    m_ui->ToolsMenu->addAction(Action(u"StatsAct"_s));
    m_ui->ToolsMenu->addAction(Action(u"HistoryAct"_s));
    m_ui->ToolsMenu->addSeparator();
    m_ui->WebSearchMenu = m_ui->ToolsMenu->addMenu(u"&Web search"_s);
    m_ui->WebSearchMenu->setObjectName(u"WebSearchMenu"_s);
    SetTag(m_ui->WebSearchMenu, 170);
    m_ui->ToolsMenu->addSeparator();
    m_ui->ToolsMenu->addAction(Action(u"OptsAct"_s));

    m_transfers->CreateMenus(bar);

    QMenu *help = bar->addMenu(u"&Help"_s);
    help->setObjectName(u"HelpMenu"_s);
    SetTag(help, 107);
    help->addAction(Action(u"HelpAct"_s));
    help->addSeparator();
    help->addAction(Action(u"LogAct"_s));
    help->addSeparator();
    help->addAction(Action(u"AboutAct"_s));
}

void TMain::CreateToolBars()
{
    m_ui->MainBar = addToolBar(u"Main"_s);
    m_ui->MainBar->setObjectName(u"MainToolBar"_s);
    m_ui->MainBar->setMovable(false);
    m_ui->MainBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    QStyle *style = this->style();
    const auto icon = [](const char *theme, QIcon fallback) {
        return QIcon::fromTheme(QString::fromLatin1(theme), fallback);
    };
    Action(u"NewVidAct"_s)->setIcon(icon("document-new", style->standardIcon(QStyle::SP_FileIcon)));
    Action(u"EditVidAct"_s)->setIcon(icon("document-edit", QIcon()));
    Action(u"ApplyVidAct"_s)
        ->setIcon(icon("dialog-ok-apply", style->standardIcon(QStyle::SP_DialogApplyButton)));
    Action(u"AbortAct"_s)
        ->setIcon(icon("dialog-cancel", style->standardIcon(QStyle::SP_DialogCancelButton)));
    Action(u"DelVidAct"_s)->setIcon(icon("edit-delete", style->standardIcon(QStyle::SP_TrashIcon)));
    Action(u"OpenDBAct"_s)
        ->setIcon(icon("document-open", style->standardIcon(QStyle::SP_DialogOpenButton)));
    Action(u"SaveDBAct"_s)
        ->setIcon(icon("document-save", style->standardIcon(QStyle::SP_DialogSaveButton)));
    Action(u"PlayAct"_s)
        ->setIcon(icon("media-playback-start", style->standardIcon(QStyle::SP_MediaPlay)));
    Action(u"OptsAct"_s)->setIcon(icon("preferences-system", QIcon()));
    Action(u"dbModeAct"_s)->setIcon(icon("system-users", QIcon()));

    m_ui->MainBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (const char *name : {"OpenDBAct", "SaveDBAct"})
        m_ui->MainBar->addAction(Action(QString::fromLatin1(name)));
    m_ui->MainBar->addSeparator();
    for (const char *name : {"NewVidAct", "EditVidAct", "ApplyVidAct", "AbortAct", "DelVidAct"})
        m_ui->MainBar->addAction(Action(QString::fromLatin1(name)));
    m_ui->MainBar->addSeparator();
    m_ui->MainBar->addAction(Action(u"SeenAct"_s));
    m_ui->MainBar->addAction(Action(u"PlayAct"_s));
    m_ui->MainBar->addSeparator();

    // The default import and export plug-ins' buttons; their texts come from the plug-ins.
    m_transfers->CreateToolButtons(m_ui->MainBar, Action(u"ImportAct"_s), Action(u"ExportAct"_s));
    m_ui->MainBar->addSeparator();
    m_ui->MainBar->addAction(Action(u"dbModeAct"_s));
    m_ui->MainBar->addAction(Action(u"OptsAct"_s));
    // Every button's hint names its key; it follows the caption through language and mode
    // changes. The plug-in buttons show the plug-ins' own hints instead.
    for (QAction *action : m_ui->MainBar->actions() + QList<QAction *>{Action(u"WebSearchAct"_s)}) {
        if (action->isSeparator() || qobject_cast<QWidgetAction *>(action)
            || action == Action(u"ImportAct"_s) || action == Action(u"ExportAct"_s))
            continue;
        connect(action, &QAction::changed, this, [this, action] { ShowToolTip(action); });
        ShowToolTip(action);
    }
    // The filter bar: seen filter, search field and box, web search.
    addToolBarBreak();
    m_ui->FilterBar = addToolBar(u"Filter"_s);
    m_ui->FilterBar->setObjectName(u"FilterBar"_s);
    m_ui->FilterBar->setMovable(false);
    m_filters->CreateBar(m_ui->FilterBar, m_ui->ViewMenu, m_ui->ToolsMenu, m_ui->WebSearchMenu);
}

void TMain::CreateCentralArea()
{
    m_ui->Splitter = new QSplitter(Qt::Horizontal, this);
    m_ui->Splitter->setObjectName(u"Splitter"_s);
    m_ui->Splitter->setChildrenCollapsible(false);

    m_ui->ListStack = new QStackedWidget(m_ui->Splitter);
    m_ui->ListStack->setObjectName(u"ListPane"_s);
    m_ui->ListStack->setMinimumWidth(MinListWidth);
    CreateLists();

    // The cards fill this pane; it keeps the room they need.
    m_ui->CardStack = new QStackedWidget(m_ui->Splitter);
    m_ui->CardStack->setObjectName(u"CardPane"_s);
    m_ui->CardStack->setMinimumWidth(MinCardWidth);
    CreateCards();
    m_ui->Splitter->addWidget(m_ui->ListStack);
    m_ui->Splitter->addWidget(m_ui->CardStack);
    m_ui->Splitter->setStretchFactor(0, 0);
    m_ui->Splitter->setStretchFactor(1, 1);
    connect(m_ui->Splitter, &QSplitter::splitterMoved, this, [this] { OnSplitterMoved(); });
    setCentralWidget(m_ui->Splitter);
    setMinimumHeight(MinWindowHeight);
}

void TMain::CreateStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(u"StatusBar"_s);
    for (int i = 0; i < PanelCount; ++i) {
        auto *panel = new QLabel(bar);
        panel->setObjectName(u"StatusPanel%1"_s.arg(i));
        panel->setFrameShape(QFrame::StyledPanel);
        if (i == PanelCount - 1)
            bar->addWidget(panel, 1);
        else
            bar->addWidget(panel);
        m_ui->Panels.append(panel);
    }
    m_ui->Panels[1]->setMinimumWidth(120);
}

void TMain::OnSplitterMoved()
{
    const int listWidth = m_ui->Splitter->sizes().value(0);
    if (listWidth <= 0)
        return;
    m_settings.Splitter = listWidth;
    m_ui->Panels[0]->setFixedWidth(listWidth);
    Movies().List()->FitTitleColumn();
    People().List()->FitTitleColumn();
    m_filters->LayOutBar(listWidth);
}

void TMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    if (m_ui->Splitter)
        m_filters->LayOutBar(m_ui->Splitter->sizes().value(0, m_settings.Splitter));
}

// ----- texts ---------------------------------------------------------------------------------

QString TMain::Text(int number, const QString &defaultText) const
{
    const QString text = m_language.Text(number);
    return text.isEmpty() ? defaultText : text;
}

void TMain::TranslateCodeTexts()
{
    // The seen filter's entries sit in the seen button's menu too, which the walk leaves out.
    m_filters->RetranslateEntries();
    // The cards were made before the language was chosen.
    m_ui->MovieFrame->Retranslate();
    m_ui->PeopleFrame->Retranslate();
}

void TMain::TranslateAll()
{
    Translate(m_language, this);
    TranslateCodeTexts();
    UpdateBarHints();
    for (QWidget *window : {static_cast<QWidget *>(m_ui->LogForm.data()),
                            static_cast<QWidget *>(m_ui->WaitWindow.data()),
                            static_cast<QWidget *>(m_ui->AboutBox.data()),
                            static_cast<QWidget *>(m_stats->StatsForm())}) {
        if (window)
            Translate(m_language, window);
    }
    m_registry.RefreshTexts(m_language.LanguageId());
    UpdateModeTexts();
    UpdateProtectCaption();
    UpdateTitle();
    UpdateStatusBar();
    m_transfers->RebuildMenus();
    // Texts made from other texts: the seen button shows its filter's caption, the search
    // field button the chosen field's.
    m_filters->UpdateCaptions();
    ApplyGrouping();
    for (TListController *lists : m_lists) {
        lists->PrepareColumns();
        lists->Model()->HeadersChanged();
    }
    RepaintLists();
    m_edit->ShowCurrent();
}

void TMain::UpdateModeTexts()
{
    m_ui->MovieMenu->setTitle(m_peopleMode ? Text(298, u"People"_s) : Text(299, u"Movies"_s));
    Action(u"dbModeAct"_s)
        ->setText(m_peopleMode ? Text(82, u"Switch to &movies"_s)
                               : Text(83, u"Switch to &people"_s));
    Action(u"PlainViewAct"_s)->setText(Text(160, u"&Plain view"_s));
    Action(u"TreeViewAct"_s)->setText(Text(161, u"&Tree view"_s));
    Action(u"GridViewAct"_s)->setText(Text(162, u"&Grid view"_s));
    Action(u"LoanAct"_s)->setText(Text(1852, u"&Loan"_s));
}

void TMain::UpdateProtectCaption()
{
    const bool isProtected = m_db && !m_db->Password().isEmpty();
    Action(u"ProtectAct"_s)
        ->setText(isProtected ? Text(1856, u"Remove Pass&word Protection"_s)
                              : Text(1857, u"Pass&word Protect"_s));
}

void TMain::UpdateTitle()
{
    const QString fileName = m_db ? m_db->FileName() : QString();
    setWindowTitle(TitleBarText(fileName,
                                m_peopleMode,
                                m_readOnly,
                                m_db && m_db->Modified(),
                                Text(298, u"People"_s),
                                Text(299, u"Movies"_s),
                                Text(1867, u"Read-only"_s)));
}

void TMain::UpdateStatusBar()
{
    if (!m_db) {
        for (QLabel *panel : m_ui->Panels)
            panel->clear();
        return;
    }
    if (m_peopleMode) {
        m_ui->Panels[0]->setText(Text(1892, u"People: %1"_s).arg(m_db->PersonCount()));
        m_ui->Panels[1]->setText(Text(1858, u"Shown: %1"_s).arg(m_db->ShownPeople()));
    } else {
        m_ui->Panels[0]->setText(Text(1854, u"Movies: %1"_s).arg(m_db->MovieCount()));
        m_ui->Panels[1]->setText(Text(1858, u"Shown: %1"_s).arg(m_db->ShownMovies()));
    }
}

void TMain::ShowStatusText(const QString &text)
{
    m_ui->Panels[2]->setText(text);
    m_ui->Panels[2]->repaint();
}

// ----- catalog -------------------------------------------------------------------------------

void TMain::ConnectEvents()
{
    m_db->OnModifiedChanged = [this](bool modified) {
        Action(u"SaveDBAct"_s)->setEnabled(modified);
        if (!modified)
            m_session->OnNotModified();
        UpdateTitle();
    };
    m_db->OnShownCountChanged = [this] { UpdateStatusBar(); };
    m_db->OnListChanged = [this] {
        UpdateStatusBar();
        if (m_edit->EditState() == TEditState::Empty && m_db->MovieCount() > 0)
            m_edit->SetEditState(TEditState::None);
        Action(u"StatsAct"_s)->setEnabled(m_db->MovieCount() > 0);
    };
    m_db->OnRecordWriteFailed = [this](const QString &error) {
        m_ui->LogForm->AddLine(error);
        m_dialogs->ShowError(this,
                             Text(1802, u"Error"_s),
                             Text(1818, u"The record could not be saved:#13%1"_s).arg(error));
    };
    m_db->OnBackupFailed = [this](const QString &error) {
        m_ui->LogForm->AddLine(error);
        m_dialogs->ShowError(this,
                             Text(1802, u"Error"_s),
                             Text(3820,
                                  u"The backup could not be made; the previous backup is kept "
                                  "and the catalog is saved:#13%1"_s)
                                 .arg(error));
    };
    m_db->OnCustomFieldAdded = [this](int index) { OnCustomFieldAdded(index); };
    m_db->OnCustomFieldDeleted = [this](int index) { OnCustomFieldDeleted(index); };
    m_db->OnCustomFieldRenamed = [this](int index) { OnCustomFieldRenamed(index); };
    m_db->OnLoanChanged = [this](bool returned, const QString &borrower, TBaseMovie *movie) {
        m_loans->OnLoanChanged(returned, borrower, movie);
    };
}

void TMain::ChooseStartMode()
{
    const int movies = m_db->MovieCount();
    const int people = m_db->PersonCount();
    bool peopleMode = m_settings.Mode == 1;
    if (movies == 0 && people > 0)
        peopleMode = true;
    else if (people == 0 && movies > 0)
        peopleMode = false;
    m_peopleMode = peopleMode;
    ApplyMode();
}

// ----- mode and commands ---------------------------------------------------------------------

void TMain::SwitchMode()
{
    SetMode(m_peopleMode ? TRecordKind::Movie : TRecordKind::Person);
}

void TMain::SetMode(TRecordKind kind)
{
    const bool people = kind == TRecordKind::Person;
    if (people == m_peopleMode)
        return;
    if (m_edit->EditState() == TEditState::Editing)
        m_edit->ApplyEdits();
    m_peopleMode = people;
    ApplyMode();
}

void TMain::ApplyMode()
{
    const bool people = m_peopleMode;
    m_settings.Mode = people ? 1 : 0;
    m_filters->ClearSearch();
    m_ui->ListStack->setCurrentWidget(Shown().List());
    m_ui->CardStack->setCurrentIndex(people ? 1 : 0);
    ApplyListLayout();
    // The card of this kind follows the list's focused row again.
    Shown().List()->Refocus();
    for (QAction *action : std::as_const(m_ui->MovieOnly))
        action->setVisible(!people);
    m_transfers->PluginMenu().SetMode(people ? TListMode::People : TListMode::Movies);
    m_filters->ApplyMode();
    Shown().ApplySort();
    UpdateModeTexts();
    UpdateStatusBar();
    UpdateTitle();
    const bool empty = people ? m_db->PersonCount() == 0 : m_db->MovieCount() == 0;
    m_edit->SetEditState(empty ? TEditState::Empty : TEditState::None);
    if (!empty && Shown().Current())
        m_edit->SetEditState(TEditState::Viewing);
    UpdateViewActions();
    CommandUpdate();
}

void TMain::SelectAll()
{
    if (WithFocusedText([](auto *edit) { edit->selectAll(); }))
        return;
    if (auto *links = qobject_cast<TLinkText *>(QApplication::focusWidget())) {
        links->SelectAll();
        return;
    }
    if (auto *list = qobject_cast<QTreeView *>(QApplication::focusWidget()))
        list->selectAll();
}

void TMain::CommandUpdate()
{
    const bool people = m_peopleMode;
    const bool hasSelection = Shown().List() && Shown().List()->selectionModel()
                              && Shown().List()->selectionModel()->hasSelection();
    const bool open = m_db != nullptr;
    const bool writable = !m_readOnly && open;
    TDBItem *current = Shown().Current();
    TBaseMovie *movie = !people && current ? static_cast<TBaseMovie *>(current) : nullptr;
    const bool editing = m_edit->EditState() == TEditState::Editing;
    const auto enable = [this](const char *name, bool on) {
        Action(QString::fromLatin1(name))->setEnabled(on);
    };
    enable("SaveDBAct", open && m_db->Modified() && !m_readOnly);
    enable("SaveAsDBAct", open && m_session->LoadOk());
    enable("AppendAct", writable);
    enable("ProtectAct", writable);
    enable("StatsAct", open && m_db->MovieCount() > 0);
    for (const char *name : {"NewDBAct",
                             "OpenDBAct",
                             "dbModeAct",
                             "EditSelectAll1",
                             "EditCut",
                             "EditCopy",
                             "EditPaste",
                             "ExitAct",
                             "OptsAct",
                             "LogAct",
                             "AboutAct",
                             "HelpAct",
                             "FindAct",
                             "BookAct",
                             "NextBookAct",
                             "PrevBookAct",
                             "ClearBookAct",
                             "AdvSearchAct"})
        enable(name, true);
    enable("NewVidAct", writable);
    enable("EditVidAct", writable && m_edit->EditState() == TEditState::Viewing && hasSelection);
    enable("ApplyVidAct", editing);
    enable("AbortAct", editing);
    enable("ClearAct", writable && current);
    enable("DelVidAct", writable && current);
    enable("DuplicateAct", writable && current);
    enable("NewEpAct", writable && movie);
    enable("SetIDAct", writable && movie);
    enable("SetEpNumAct", writable && movie && movie->Kind() == TRecordKind::Episode);
    enable("SetIDSAct", writable && !people && hasSelection);
    enable("SeenAct", writable && movie);
    m_ui->SeenMenu->setEnabled(writable && movie);
    Action(u"NotSeenAct"_s)->setVisible(movie && movie->Viewed());
    for (const char *name :
         {"NotSeenAct", "SeenTodayAct", "SeenYesterdayAct", "Seen2DaysAct", "SeenDateAct"})
        enable(name, writable && movie);
    const bool playable = movie && !TRecordCommands::UsableFile(*movie).isEmpty();
    enable("PlayAct", playable);
    enable("OpenFolderAct", playable);
    // The loan command names what it would do with the current movie.
    Action(u"LoanAct"_s)
        ->setText(movie && !movie->Loan().isEmpty() ? Text(1853, u"&Return"_s)
                                                    : Text(1852, u"&Loan"_s));
    enable("LoanAct", writable && movie);
    enable("HistoryAct", true);
    enable("RemDupAct", writable);
    enable("RemBadFilesAct", writable);
    // A group row or several movie rows are edited together, also without a current movie.
    if (writable && !editing && m_tools->MultiEditSelection())
        enable("EditVidAct", true);
    enable("NewMasterAct", writable);
    UpdateViewActions();
    m_transfers->UpdateActions(hasSelection);
    UpdateWelcome();
}

// ----- menus built from lists ----------------------------------------------------------------

void TMain::RebuildRecentMenu()
{
    for (QAction *action : std::as_const(m_ui->RecentActions)) {
        m_ui->FileMenu->removeAction(action);
        // The entry may be the one being chosen right now: it goes once its signal is done.
        action->setObjectName(QString());
        action->deleteLater();
    }
    m_ui->RecentActions.clear();
    const QStringList captions = m_session->Recent().Captions();
    for (int i = 0; i < captions.size(); ++i) {
        auto *action = new QAction(captions.at(i), m_ui->FileMenu);
        action->setObjectName(u"RecentFile%1"_s.arg(i));
        connect(action, &QAction::triggered, this, [this, i] {
            m_session->OpenCatalog(m_session->Recent().Expand(i, m_folders.StoreBase()));
        });
        m_ui->FileMenu->insertAction(m_ui->RecentSeparator, action);
        m_ui->RecentActions.append(action);
    }
}

// ----- folders of the file dialogs -----------------------------------------------------------

QString TMain::InitialFolder(int slot) const
{
    if (slot < 0 || slot >= TSettings::FolderSlotCount)
        return {};
    const QString &folder = m_settings.SameDirOpts && m_settings.InitDirType[slot] == 1
                                ? m_settings.InitDir[0]
                                : m_settings.InitDir[slot];
    // Nothing remembered yet: catalogs, pictures, imports and exports start where the
    // catalogs live rather than wherever the program was started. Media files are seldom
    // there, so the media picker starts at the top of its tree instead.
    if (!folder.isEmpty() || slot == 1 || m_folders.DataFolder.isEmpty())
        return folder;
    QDir().mkpath(m_folders.DataFolder);
    return m_folders.DataFolder;
}

void TMain::RememberFolder(int slot, const QString &folder)
{
    if (slot < 0 || slot >= TSettings::FolderSlotCount || m_settings.InitDirType[slot] != 0)
        return;
    m_settings.InitDir[slot] = folder;
}

// ----- preferences ---------------------------------------------------------------------------

void TMain::ShowPreferences()
{
    auto *form = new TPrefsForm(this);
    form->setAttribute(Qt::WA_DeleteOnClose, false);
    form->SetUpdateChecker([this] { m_web->StartUpdateCheck(false); });
    m_web->SetPrefsForm(form);
    TPrefsContext context;
    context.database = m_db.get();
    context.readOnly = m_readOnly;
    context.registry = &m_registry;
    context.language = &m_language;
    context.messages = m_messages.get();
    const TSettings before = m_settings;
    const bool accepted = form->Execute(m_settings, context);
    m_web->SetPrefsForm(nullptr);
    delete form;
    if (!accepted)
        return;
    // What the lists follow: colours, title formats, grouping and grid columns.
    const bool movieTitles = m_settings.TitleFormat != before.TitleFormat;
    const bool peopleTitles = m_settings.PeopleTitleFormat != before.PeopleTitleFormat;
    const bool movieGroups = m_settings.MovieGroups != before.MovieGroups
                             || m_settings.MovieUndefinedGroup != before.MovieUndefinedGroup;
    const bool peopleGroups = m_settings.PeopleGroups != before.PeopleGroups
                              || m_settings.PeopleUndefinedGroup != before.PeopleUndefinedGroup;
    const bool movieColumns = m_settings.GridColumns != before.GridColumns;
    const bool peopleColumns = m_settings.PeopleGridColumns != before.PeopleGridColumns;
    if (m_settings.Language != before.Language) {
        ApplyLanguageSetting();
        TranslateAll();
    }
    if (m_settings.ExternalPosters != before.ExternalPosters && m_db && !m_readOnly) {
        // Every picture is rewritten: keep the window painting meanwhile.
        m_ui->WaitWindow->ShowWait(Text(1861, u"Working, please wait..."_s), false);
        m_db->ConvertPictures(m_settings.ExternalPosters,
                              [this] { m_ui->WaitWindow->ProcessEvents(); });
        m_ui->WaitWindow->HideWait();
    }
    ApplySettings();
    m_web->ApplySettings();
    ApplyGrouping();
    for (TListController *lists : m_lists) {
        const bool people = lists->ForPeople();
        const bool titles = people ? peopleTitles : movieTitles;
        const bool groups = people ? peopleGroups : movieGroups;
        const bool columns = people ? peopleColumns : movieColumns;
        const bool tree = lists->View() == TViewMode::Tree;
        if (tree && lists->Groups().Levels().isEmpty())
            SetListView(*lists, TViewMode::Plain);
        else if (tree && groups)
            lists->Build();
        else if (titles)
            lists->ApplySort();
        if (columns && lists->View() == TViewMode::Grid)
            lists->ApplyGridColumns();
    }
    RepaintLists();
    m_filters->RebuildWebSearchMenus();
    m_transfers->RebuildMenus();
    if (!SaveSettings())
        m_dialogs->ShowError(
            this,
            Text(1802, u"Error"_s),
            Text(3780, u"The settings could not be saved to %1."_s).arg(m_folders.SettingsPath()));
}

bool TMain::SaveSettings()
{
    m_settings.RecentFiles = m_session->Recent().Store();
    m_settings.Language = m_language.LanguageId();
    m_settings.ScreenshotsAsBitmaps = TScreenMaker::DefaultGrabFormat() == TImageFormat::Bmp;
    if (m_db)
        m_settings.FileName = m_db->FileName();
    m_settings.Maximized = isMaximized();
    if (!isMaximized() && !isMinimized()) {
        const QRect bounds = geometry();
        m_settings.Left = bounds.left();
        m_settings.Top = bounds.top();
        m_settings.Width = bounds.width();
        m_settings.Height = bounds.height();
    }
    TSettingsPluginKeys adapter(m_settings);
    m_registry.WriteSettings(adapter);
    m_settings.Write(m_settingsFile, m_folders.StoreBase());
    const bool saved = SaveSettingsFile(m_settingsFile, m_folders);
    if (!saved)
        qWarning("Reelkeep: the settings could not be saved to %s",
                 qUtf8Printable(m_folders.SettingsPath()));
    return saved;
}

// ----- idle, auto-save and shutdown ----------------------------------------------------------

void TMain::OnIdle()
{
    if (m_closing)
        return;
    if (m_web->StartDueVersionCheck(NowDays()))
        return;
    m_session->OnIdle();
}

void TMain::closeEvent(QCloseEvent *event)
{
    if (m_busy) {
        event->ignore();
        return;
    }
    if (m_orderlyClose) {
        m_session->KeepChanges();
        // What the save refused is in the recovery copy: the catalog's own last-resort save
        // must not write over the refused file.
        if (m_db)
            m_db->SetModified(false);
    } else {
        // The fields of the card being edited are changes too.
        if (m_edit->EditState() == TEditState::Editing)
            m_edit->StoreCardInput();
    }
    // The catalog is written first: when that fails the user may keep the window open
    // instead of losing the changes.
    if (m_db && m_db->Modified() && !m_readOnly) {
        const Result<TSaveOutcome> saved = m_db->Save(false);
        // A file made write-protected while open refuses the save: that is no success.
        const bool ok = saved.Ok() && saved.Value() != TSaveOutcome::ReadOnly;
        const QString error = saved.Ok()
                                  ? Text(3864, u"%1 is write-protected."_s).arg(m_db->FileName())
                                  : saved.Error();
        if (!ok
            && !m_dialogs->AskYesNo(this,
                                    Text(1802, u"Error"_s),
                                    error + u"\n\n"_s
                                        + Text(177, u"Close anyway and lose the changes?"_s))) {
            event->ignore();
            return;
        }
        if (!ok)
            m_db->SetModified(false);
    }
    m_closing = true;
    hide();
    QCoreApplication::processEvents();
    SaveSettings();
    m_edit->SetEditState(TEditState::None);
    m_session->StopAutoSave();
    if (m_ui->LogForm)
        m_ui->LogForm->close();
    event->accept();
}
