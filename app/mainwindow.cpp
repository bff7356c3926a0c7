#include "app/mainwindow.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QSplitter>
#include <QStackedWidget>
#include <QTextDocument>
#include <QTimer>

#include "app/aboutbox.h"
#include "app/cardedit.h"
#include "app/catalogsession.h"
#include "app/catalogview.h"
#include "app/filtercontroller.h"
#include "app/grouping.h"
#include "app/listcontroller.h"
#include "app/listmodel.h"
#include "app/loancontroller.h"
#include "app/logform.h"
#include "app/maincards_p.h"
#include "app/maindialogs.h"
#include "app/mainsession_p.h"
#include "app/mainui_p.h"
#include "app/mainwindow_p.h"
#include "app/passdlg.h"
#include "app/pluginsettings.h"
#include "app/prefs/prefsform.h"
#include "app/recordcard.h"
#include "app/recordcommands.h"
#include "app/statscontroller.h"
#include "app/statsform.h"
#include "app/toolscontroller.h"
#include "app/transfercontroller.h"
#include "app/undocontroller.h"
#include "app/waitwindow.h"
#include "app/webcontroller.h"
#include "app/widefiledialog.h"
#include "catalog/basemovie.h"
#include "catalog/daycount.h"
#include "catalog/dbitem.h"
#include "catalog/textutils.h"
#include "catalog/videodatabase.h"
#include "host/installlayout.h"
#include "host/pluginsframe.h"
#include "logic/idlewatch.h"
#include "views/actorframe.h"
#include "views/cardhost.h"
#include "views/mvframe.h"
#include "views/screenmaker.h"
#include "views/translate.h"

using namespace Qt::StringLiterals;

namespace {

// A catalog file larger than this takes long enough to read that the wait window shows.
constexpr qint64 SlowCatalogBytes = 1024 * 1024;

// The window's side of the import and export runs: its dialog folders and the web flow.
class TTransferHost : public ITransferHost
{
public:
    explicit TTransferHost(TMainPrivate &window)
        : m_window(window)
    {}

    QString InitialFolder(int slot) const override { return m_window.InitialFolder(slot); }
    void RememberFolder(int slot, const QString &folder) override
    {
        m_window.RememberFolder(slot, folder);
    }
    void RunWebPlugin(int index) override { m_window.m_web->RunWebPlugin(index); }
    void UpdateCardButtons() override { m_window.m_web->UpdateCardButtons(); }

private:
    TMainPrivate &m_window;
};

} // namespace

// Messages of the language loader and the plug-in registry go through the window's dialogs;
// they may come before the window is shown, so the parent is only used when visible.
class TMainPrivate::TMessageBoxSink : public IMessageSink
{
public:
    explicit TMessageBoxSink(TMainPrivate *owner)
        : m_owner(owner)
    {}

    void ShowMessage(TMessageKind kind, const QString &caption, const QString &text) override
    {
        QWidget *parent = m_owner->q.isVisible() ? &m_owner->q : nullptr;
        m_owner->m_dialogs->ShowMessage(parent, kind, caption, text);
    }

private:
    TMainPrivate *m_owner;
};

TMain::TMain(const TMainOptions &options, QWidget *parent)
    : QMainWindow(parent)
    , d(std::make_unique<TMainPrivate>(*this, options))
{
    setObjectName(u"Main"_s);
    // Catalogs dragged from the desktop open (maindrops.cpp).
    setAcceptDrops(true);
    d->CreateControllers();

    d->StartUp();

    if (d->m_options.useIdleEvents)
        new TIdleWatch([this] { OnIdle(); }, this);
}

TMain::~TMain() = default;

TMainPrivate::TMainPrivate(TMain &window, const TMainOptions &options)
    : q(window)
    , m_options(options)
    , m_messages(std::make_unique<TMessageBoxSink>(this))
    , m_dialogs(options.dialogs ? options.dialogs : std::make_shared<TQtMainDialogs>(&m_language))
    , m_passwords(options.passwords ? options.passwords
                                    : std::make_shared<TPasswordPrompt>(&q, &m_language))
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
          &q))
    , m_ui(std::make_unique<TMainUi>())
{}

void TMainPrivate::CreateControllers()
{
    m_stats = std::make_unique<TStatsController>(*this, m_language);
    m_loans = std::make_unique<TLoanController>(*this, m_folders, m_settings);
    m_tools = std::make_unique<TToolsController>(*this, m_settings);
    m_filters = std::make_unique<TFilterController>(*this, m_settings, m_language);
    m_transfers = std::make_unique<TTransferController>(
        *this, std::make_unique<TTransferHost>(*this), m_registry, m_settings, m_language);
    m_undo = std::make_unique<TUndoController>(*this, nullptr);
}

TMainPrivate::~TMainPrivate()
{
    // A window destroyed without closing (tests, a failed start) still saves its work.
    if (!m_closing) {
        SaveSettings();
        if (Database() && Database()->Modified() && !ReadOnly())
            (void)Database()->Save(false);
    }
    // Downloads end before the records they would fill.
    m_web.reset();
    // The catalog's records remove their nodes from the models while it is destroyed.
    for (TListController *lists : m_lists)
        lists->SetCatalog(nullptr);
    // An edit still open records no step.
    if (m_edit)
        m_edit->ResetEditState(TEditState::None);
    m_undo->SetCatalog(nullptr);
    m_session->Release();
}

// ----- what the program's main and the tests use ---------------------------------------------

TVideoDatabase *TMain::Database() const
{
    return d->Database();
}

bool TMain::ReadOnly() const
{
    return d->ReadOnly();
}

bool TMain::PeopleMode() const
{
    return d->m_peopleMode;
}

TCatalogSession &TMain::Session() const
{
    return *d->m_session;
}

const TSettings &TMain::Settings() const
{
    return d->m_settings;
}

const TAppFolders &TMain::Folders() const
{
    return d->m_folders;
}

TWideLanguage &TMain::Language()
{
    return d->m_language;
}

TLogForm *TMain::LogForm() const
{
    return d->LogForm();
}

QAction *TMain::Action(const QString &name) const
{
    return d->Action(name);
}

void TMain::SetMode(TRecordKind kind)
{
    d->SetMode(kind);
}

TListController &TMain::Lists(TRecordKind kind) const
{
    return d->Lists(kind);
}

TListController &TMain::Movies() const
{
    return d->Movies();
}

TListController &TMain::People() const
{
    return d->People();
}

TListController &TMain::Shown() const
{
    return d->Shown();
}

bool TMain::SetListView(TListController &lists, TViewMode view)
{
    return d->SetListView(lists, view);
}

bool TMain::SelectRecord(TDBItem *record)
{
    return d->SelectRecord(record);
}

TFilterController &TMain::Filters() const
{
    return *d->m_filters;
}

const TFilterState &TMain::Filter() const
{
    return d->Filter();
}

TPluginRegistry &TMain::Registry()
{
    return d->m_registry;
}

TTransferController &TMain::Transfers() const
{
    return *d->m_transfers;
}

TStatsController &TMain::Stats() const
{
    return *d->m_stats;
}

TRecordCommands &TMain::Records() const
{
    return *d->m_records;
}

TCardEdit &TMain::Edit()
{
    return d->Edit();
}

void TMain::OnIdle()
{
    d->OnIdle();
}

void TMain::CommitData()
{
    d->CommitData();
}

void TMain::CatchSessionEnd()
{
    d->CatchSessionEnd();
}

bool TMain::SaveSettings()
{
    return d->SaveSettings();
}

void TMain::TranslateAll()
{
    d->TranslateAll();
}

QString TMain::InitialFolder(int slot) const
{
    return d->InitialFolder(slot);
}

void TMain::closeEvent(QCloseEvent *event)
{
    d->OnClose(event);
}

TVideoDatabase *TMainPrivate::Database() const
{
    return m_session->Database();
}

bool TMainPrivate::ReadOnly() const
{
    return m_session->ReadOnly();
}

const TFilterState &TMainPrivate::Filter() const
{
    return m_filters->State();
}

// ----- start-up ---------------------------------------------------------------------------

void TMainPrivate::StartUp()
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
    ConnectUndo();

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
    m_ui->LogForm = new TLogForm(&q);
    m_ui->LogForm->setWindowFlag(Qt::Window);
    ApplyGrouping();

    Translate(m_language, &q);
    TranslateCodeTexts();
    UpdateBarHints();
    ApplySettings();
    m_filters->RebuildWebSearchMenus();

    CreateOtherWindows();
    // A big catalog takes a while to read: the window appears first and shows that it works.
    QTimer::singleShot(0, &q, [this] { OpenStartCatalog(); });
}

void TMainPrivate::OpenStartCatalog()
{
    QElapsedTimer elapsed;
    elapsed.start();
    // The wait window paints before a message about the command line is queued, so that
    // message still comes after the questions of the catalog's opening.
    const QString &given = m_commandLine.File;
    const bool givenCatalog = !given.isEmpty() && !TTransferController::IsImportFile(given);
    const bool slow =
        QFileInfo(givenCatalog ? given : m_settings.FileName).size() > SlowCatalogBytes;
    if (slow) {
        m_ui->WaitWindow->ShowWait(Text(1861, u"Working, please wait..."_s), false);
        m_ui->WaitWindow->SetProgress(0, 0);
        m_ui->WaitWindow->ProcessEvents();
    }
    const QString named = CommandLineCatalog();
    m_session->OpenAtStart(named);
    if (slow)
        m_ui->WaitWindow->HideWait();
    ChooseStartMode();
    UpdateModeTexts();
    m_ui->LogForm->AddLine(u"Load time: %1ms"_s.arg(elapsed.elapsed()));
    UpdateTitle();
    CommandUpdate();

    if (TTransferController::IsImportFile(m_commandLine.File)) {
        // Asked once the window is up, not from inside its constructor.
        const QString file = m_commandLine.File;
        QMetaObject::invokeMethod(
            &q, [this, file] { m_transfers->OfferImport(file); }, Qt::QueuedConnection);
    }
}

QString TMainPrivate::CommandLineCatalog()
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
            &q,
            [this, text] { m_dialogs->ShowError(&q, Text(1802, u"Error"_s), text); },
            Qt::QueuedConnection);
        return QString();
    }
    return file;
}

void TMainPrivate::LoadSettings()
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

void TMainPrivate::ApplyLanguageSetting()
{
    // A language the table does not offer leaves the table's default in place.
    const int index = m_language.IndexOfLanguage(m_settings.Language);
    if (index >= 0)
        m_language.SetLanguage(index);
}

void TMainPrivate::ApplySettings()
{
    if (m_settings.Maximized) {
        q.setWindowState(q.windowState() | Qt::WindowMaximized);
    } else {
        q.setGeometry(m_settings.Left, m_settings.Top, m_settings.Width, m_settings.Height);
    }
    const int listWidth = std::max(MinListWidth, m_settings.Splitter);
    m_ui->Splitter->setSizes({listWidth, std::max(MinCardWidth, q.width() - listWidth)});
    m_ui->Panels[0]->setFixedWidth(listWidth);

    ApplyListLook();
    ApplyCardSettings();
    m_undo->SetLimit(m_settings.UndoLimit);
    if (Database()) {
        Database()->SetPicsInFoldersSetting(m_settings.PicsInFolders);
        Database()->SetTextRules(TextRules());
    }
}

void TMainPrivate::CreateOtherWindows()
{
    m_ui->WaitWindow = new TWaitWindow(&q);
    m_ui->WaitWindow->setObjectName(u"WaitWindow"_s);
    m_ui->AboutBox = new TAboutBox(&q);
    Translate(m_language, m_ui->LogForm);
    Translate(m_language, m_ui->WaitWindow);
    Translate(m_language, m_ui->AboutBox);
}

// ----- texts ---------------------------------------------------------------------------------

QString TMainPrivate::Text(int number, const QString &defaultText) const
{
    const QString text = m_language.Text(number);
    return text.isEmpty() ? defaultText : text;
}

void TMainPrivate::TranslateCodeTexts()
{
    // The seen filter's entries sit in the seen button's menu too, which the walk leaves out.
    m_filters->RetranslateEntries();
    // The cards were made before the language was chosen.
    m_ui->MovieFrame->Retranslate();
    m_ui->PeopleFrame->Retranslate();
    UpdateUndoActions();
}

void TMainPrivate::TranslateAll()
{
    Translate(m_language, &q);
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

void TMainPrivate::UpdateModeTexts()
{
    m_ui->MovieMenu->setTitle(m_peopleMode ? Text(298, u"People"_s) : Text(299, u"Movies"_s));
    Action(u"dbModeAct"_s)
        ->setText(m_peopleMode ? Text(82, u"Switch to &movies"_s)
                               : Text(83, u"Switch to &people"_s));
    Action(u"PlainViewAct"_s)->setText(Text(160, u"&Plain view"_s));
    Action(u"TreeViewAct"_s)->setText(Text(161, u"&Tree view"_s));
    Action(u"GridViewAct"_s)->setText(Text(162, u"&Grid view"_s));
    Action(u"CoversViewAct"_s)->setText(Text(4300, u"&Covers view"_s));
    Action(u"LoanAct"_s)->setText(Text(1852, u"&Loan"_s));
}

void TMainPrivate::UpdateProtectCaption()
{
    const bool isProtected = Database() && !Database()->Password().isEmpty();
    Action(u"ProtectAct"_s)
        ->setText(isProtected ? Text(1856, u"Remove Pass&word Protection"_s)
                              : Text(1857, u"Pass&word Protect"_s));
}

void TMainPrivate::UpdateTitle()
{
    const QString fileName = Database() ? Database()->FileName() : QString();
    q.setWindowTitle(TitleBarText(fileName,
                                  m_peopleMode,
                                  ReadOnly(),
                                  Database() && Database()->Modified(),
                                  Text(298, u"People"_s),
                                  Text(299, u"Movies"_s),
                                  Text(1867, u"Read-only"_s)));
}

void TMainPrivate::UpdateStatusBar()
{
    if (!Database()) {
        for (QLabel *panel : m_ui->Panels)
            panel->clear();
        return;
    }
    if (m_peopleMode) {
        m_ui->Panels[0]->setText(Text(1892, u"People: %1"_s).arg(Database()->PersonCount()));
        m_ui->Panels[1]->setText(Text(1858, u"Shown: %1"_s).arg(Database()->ShownPeople()));
    } else {
        m_ui->Panels[0]->setText(Text(1854, u"Movies: %1"_s).arg(Database()->MovieCount()));
        m_ui->Panels[1]->setText(Text(1858, u"Shown: %1"_s).arg(Database()->ShownMovies()));
    }
}

void TMainPrivate::ScheduleStatusBar()
{
    // A filter or an import changes the counts once per record: the panels are set once,
    // when the event loop next turns.
    if (std::exchange(m_statusPending, true))
        return;
    QTimer::singleShot(0, &q, [this] {
        m_statusPending = false;
        UpdateStatusBar();
    });
}

void TMainPrivate::ShowStatusText(const QString &text)
{
    m_ui->Panels[2]->setText(text);
    // As escaped rich text: names from files stay text, and a long message wraps.
    m_ui->Panels[2]->setToolTip(
        text.isEmpty() ? QString() : Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal));
    m_ui->Panels[2]->repaint();
}

// ----- catalog -------------------------------------------------------------------------------

void TMainPrivate::ConnectEvents()
{
    Database()->OnModifiedChanged = [this](bool modified) {
        Action(u"SaveDBAct"_s)->setEnabled(modified);
        if (!modified) {
            m_session->OnNotModified();
            m_undo->MarkClean();
        }
        UpdateTitle();
    };
    Database()->OnShownCountChanged = [this] { ScheduleStatusBar(); };
    Database()->OnListChanged = [this] {
        ScheduleStatusBar();
        if (m_edit->EditState() == TEditState::Empty && Database()->MovieCount() > 0)
            m_edit->SetEditState(TEditState::None);
        Action(u"StatsAct"_s)->setEnabled(Database()->MovieCount() > 0);
    };
    Database()->OnRecordWriteFailed = [this](const QString &error) {
        m_ui->LogForm->AddLine(error);
        m_dialogs->ShowError(&q,
                             Text(1802, u"Error"_s),
                             Text(1818, u"The record could not be saved:#13%1"_s).arg(error));
    };
    Database()->OnBackupFailed = [this](const QString &error) {
        m_ui->LogForm->AddLine(error);
        m_dialogs->ShowError(&q,
                             Text(1802, u"Error"_s),
                             Text(3820,
                                  u"The backup could not be made; the previous backup is kept "
                                  "and the catalog is saved:#13%1"_s)
                                 .arg(error));
    };
    Database()->OnCustomFieldAdded = [this](int index) { OnCustomFieldAdded(index); };
    Database()->OnCustomFieldDeleted = [this](int index) { OnCustomFieldDeleted(index); };
    Database()->OnCustomFieldRenamed = [this](int index) { OnCustomFieldRenamed(index); };
    Database()->OnLoanChanged = [this](bool returned, const QString &borrower, TBaseMovie *movie) {
        m_loans->OnLoanChanged(returned, borrower, movie);
    };
}

void TMainPrivate::ChooseStartMode()
{
    const int movies = Database()->MovieCount();
    const int people = Database()->PersonCount();
    bool peopleMode = m_settings.Mode == 1;
    if (movies == 0 && people > 0)
        peopleMode = true;
    else if (people == 0 && movies > 0)
        peopleMode = false;
    m_peopleMode = peopleMode;
    ApplyMode();
}

// ----- mode and commands ---------------------------------------------------------------------

void TMainPrivate::SwitchMode()
{
    SetMode(m_peopleMode ? TRecordKind::Movie : TRecordKind::Person);
}

void TMainPrivate::SetMode(TRecordKind kind)
{
    const bool people = kind == TRecordKind::Person;
    if (people == m_peopleMode)
        return;
    if (m_edit->EditState() == TEditState::Editing)
        m_edit->ApplyEdits();
    m_peopleMode = people;
    ApplyMode();
}

void TMainPrivate::ApplyMode()
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
    const bool empty = people ? Database()->PersonCount() == 0 : Database()->MovieCount() == 0;
    m_edit->SetEditState(empty ? TEditState::Empty : TEditState::None);
    if (!empty && Shown().Current())
        m_edit->SetEditState(TEditState::Viewing);
    UpdateViewActions();
    CommandUpdate();
}

// ----- folders of the file dialogs -----------------------------------------------------------

QString TMainPrivate::InitialFolder(int slot) const
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

void TMainPrivate::RememberFolder(int slot, const QString &folder)
{
    if (slot < 0 || slot >= TSettings::FolderSlotCount || m_settings.InitDirType[slot] != 0)
        return;
    m_settings.InitDir[slot] = folder;
}

// ----- preferences ---------------------------------------------------------------------------

void TMainPrivate::ShowPreferences()
{
    auto *form = new TPrefsForm(&q);
    form->setAttribute(Qt::WA_DeleteOnClose, false);
    form->SetUpdateChecker([this] { m_web->StartUpdateCheck(false); });
    m_web->SetPrefsForm(form);
    TPrefsContext context;
    context.database = Database();
    context.readOnly = ReadOnly();
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
    if (m_settings.ExternalPosters != before.ExternalPosters && Database() && !ReadOnly()) {
        // Every picture is rewritten: keep the window painting meanwhile.
        m_ui->WaitWindow->ShowWait(Text(1861, u"Working, please wait..."_s), false);
        Database()->ConvertPictures(m_settings.ExternalPosters,
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
        else if ((tree || lists->View() == TViewMode::Covers) && groups)
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
            &q,
            Text(1802, u"Error"_s),
            Text(3780, u"The settings could not be saved to %1."_s).arg(m_folders.SettingsPath()));
}

bool TMainPrivate::SaveSettings()
{
    m_settings.RecentFiles = m_session->Recent().Store();
    m_settings.Language = m_language.LanguageId();
    m_settings.ScreenshotsAsBitmaps = TScreenMaker::DefaultGrabFormat() == TImageFormat::Bmp;
    if (Database())
        m_settings.FileName = Database()->FileName();
    m_settings.Maximized = q.isMaximized();
    if (!q.isMaximized() && !q.isMinimized()) {
        const QRect bounds = q.geometry();
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

void TMainPrivate::OnIdle()
{
    if (m_closing)
        return;
    if (m_web->StartDueVersionCheck(NowDays()))
        return;
    m_session->OnIdle();
}

void TMainPrivate::OnClose(QCloseEvent *event)
{
    if (m_busy) {
        event->ignore();
        return;
    }
    if (m_orderlyClose) {
        m_session->KeepChanges();
        // What the save refused is in the recovery copy: the catalog's own last-resort save
        // must not write over the refused file.
        if (Database())
            Database()->SetModified(false);
    } else {
        // The fields of the card being edited are changes too.
        if (m_edit->EditState() == TEditState::Editing)
            m_edit->StoreCardInput();
    }
    // The catalog is written first: when that fails the user may keep the window open
    // instead of losing the changes.
    if (Database() && Database()->Modified() && !ReadOnly()) {
        const Result<TSaveOutcome> saved = Database()->Save(false);
        // A file made write-protected while open refuses the save: that is no success.
        const bool ok = saved.Ok() && saved.Value() != TSaveOutcome::ReadOnly;
        const QString error =
            saved.Ok() ? Text(3864, u"%1 is write-protected."_s).arg(Database()->FileName())
                       : saved.Error();
        if (!ok
            && !m_dialogs->AskYesNo(&q,
                                    Text(1802, u"Error"_s),
                                    error + u"\n\n"_s
                                        + Text(177, u"Close anyway and lose the changes?"_s))) {
            event->ignore();
            return;
        }
        if (!ok)
            Database()->SetModified(false);
    }
    m_closing = true;
    q.hide();
    QCoreApplication::processEvents();
    SaveSettings();
    m_edit->SetEditState(TEditState::None);
    m_session->StopAutoSave();
    if (m_ui->LogForm)
        m_ui->LogForm->close();
    event->accept();
}
