// The import and export plug-ins: their menus and tool buttons, and their runs over the
// open catalog behind the wait window.
#include "app/transfercontroller.h"

#include <functional>
#include <utility>

#include <QAction>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

#include "app/cardedit.h"
#include "app/catalogview.h"
#include "app/commandhost.h"
#include "app/listcontroller.h"
#include "app/listmodel.h"
#include "app/maindialogs.h"
#include "app/undocontroller.h"
#include "app/windowimportui.h"
#include "catalog/actor.h"
#include "catalog/movie.h"
#include "catalog/videodatabase.h"
#include "host/importexport.h"
#include "host/pluginregistry.h"
#include "logic/settings.h"
#include "plugin_api/importu.h"
#include "views/languagewide.h"
#include "views/translate.h"

using namespace Qt::StringLiterals;

TTransferController::TTransferController(ICommandHost &commands,
                                         std::unique_ptr<ITransferHost> host,
                                         TPluginRegistry &registry,
                                         const TSettings &settings,
                                         TWideLanguage &language)
    : m_commands(commands)
    , m_host(std::move(host))
    , m_registry(registry)
    , m_settings(settings)
    , m_language(language)
    , m_pluginMenu(registry)
{}

TTransferController::~TTransferController() = default;

bool TTransferController::IsImportFile(const QString &fileName)
{
    return fileName.endsWith(u".amc"_s, Qt::CaseInsensitive);
}

// ----- menus and tool buttons ----------------------------------------------------------------

void TTransferController::CreateMenus(QMenuBar *bar)
{
    m_importMenu = bar->addMenu(u"&Import"_s);
    m_importMenu->setObjectName(u"ImportMenu"_s);
    m_importMenu->setProperty(TagProperty, 105);
    m_exportMenu = bar->addMenu(u"E&xport"_s);
    m_exportMenu->setObjectName(u"ExportMenu"_s);
    m_exportMenu->setProperty(TagProperty, 106);
}

void TTransferController::CreateToolButtons(QToolBar *bar,
                                            QAction *importAction,
                                            QAction *exportAction)
{
    m_importAction = importAction;
    m_exportAction = exportAction;
    auto *importButton = new QToolButton(bar);
    importButton->setObjectName(u"ImportBtn"_s);
    importButton->setDefaultAction(importAction);
    importButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_language.Exclude(importButton);
    m_language.Exclude(importAction);
    bar->addWidget(importButton);
    auto *exportButton = new QToolButton(bar);
    exportButton->setObjectName(u"ExportBtn"_s);
    exportButton->setDefaultAction(exportAction);
    exportButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_language.Exclude(exportButton);
    m_language.Exclude(exportAction);
    bar->addWidget(exportButton);
    QObject::connect(importAction, &QAction::triggered, importAction, [this] {
        const TPluginToolButton button = m_pluginMenu.ImportButton();
        if (!button.enabled)
            return;
        if (TPluginMenu::FlowOf(m_registry.Get(button.tag).PluginType)
            == TPluginFlow::WebInformation)
            m_host->RunWebPlugin(button.tag);
        else
            RunImportPlugin(button.tag);
    });
    QObject::connect(exportAction, &QAction::triggered, exportAction, [this] {
        const TPluginToolButton button = m_pluginMenu.ExportButton();
        if (button.enabled)
            RunExportPlugin(button.tag);
    });
}

void TTransferController::RebuildMenus()
{
    m_host->UpdateCardButtons();
    if (!m_importMenu || !m_exportMenu)
        return;
    m_importMenu->clear();
    m_exportMenu->clear();
    for (const TPluginMenuItem &item : m_pluginMenu.Items()) {
        QMenu *menu = item.menu == TPluginMenuKind::Import ? m_importMenu : m_exportMenu;
        QAction *action = menu->addAction(item.caption);
        action->setObjectName(u"Plugin%1"_s.arg(item.tag));
        action->setData(item.tag);
        const int tag = item.tag;
        const int type = item.pluginType;
        QObject::connect(action, &QAction::triggered, action, [this, tag, type] {
            if (type == RK_PLUGIN_EXPORT_TYPE)
                RunExportPlugin(tag);
            else if (TPluginMenu::FlowOf(type) == TPluginFlow::WebInformation)
                m_host->RunWebPlugin(tag);
            else
                RunImportPlugin(tag);
        });
    }
    UpdateItems();
}

void TTransferController::UpdateActions(bool hasRecords)
{
    m_pluginMenu.SetHasRecords(hasRecords);
    m_pluginMenu.SetReadOnly(m_commands.ReadOnly());
    UpdateItems();
}

void TTransferController::UpdateItems()
{
    for (QMenu *menu : {m_importMenu.data(), m_exportMenu.data()}) {
        if (!menu)
            continue;
        for (QAction *action : menu->actions()) {
            const TPluginMenuItem item = m_pluginMenu.Item(action->data().toInt());
            action->setVisible(item.visible);
            const bool works = TPluginMenu::FlowOf(item.pluginType) != TPluginFlow::None;
            action->setEnabled(item.enabled && works);
        }
    }
    if (m_importMenu)
        m_importMenu->setEnabled(!m_commands.ReadOnly());
    const auto bind =
        [](QAction *action, const TPluginToolButton &state, bool works, const QString &caption) {
            if (!action)
                return;
            action->setEnabled(state.enabled && works);
            action->setText(state.tag >= 0 ? state.hint : caption);
            action->setToolTip(state.hint.isEmpty() ? QString(action->text()).remove(u'&')
                                                    : state.hint);
        };
    bind(m_importAction, m_pluginMenu.ImportButton(), true, m_commands.Text(175, u"Import"_s));
    bind(m_exportAction, m_pluginMenu.ExportButton(), true, m_commands.Text(176, u"Export"_s));
}

// ----- import and export ---------------------------------------------------------------------

void TTransferController::OfferImport(const QString &fileName)
{
    IMainDialogs &dialogs = m_commands.Dialogs();
    QWidget *window = m_commands.Window();
    // The shipped Ant Movie Catalog reader, else whichever import plug-in the user chose.
    int index = m_registry.DefaultOrLastIndex(RK_PLUGIN_GENERAL_IMPORT);
    for (int i = 0; i < m_registry.Count(); ++i) {
        const TPlugin plugin = m_registry.Get(i);
        if (plugin.PluginType == RK_PLUGIN_GENERAL_IMPORT
            && plugin.FileName.compare(u"catimport.so"_s, Qt::CaseInsensitive) == 0)
            index = i;
    }
    if (index < 0) {
        dialogs.ShowError(
            window,
            m_commands.Text(1802, u"Error"_s),
            m_commands.Text(3783, u"No installed plug-in imports %1."_s).arg(fileName));
        return;
    }
    const TVideoDatabase *db = m_commands.Database();
    if (!db || m_commands.ReadOnly()) {
        dialogs.ShowError(
            window,
            m_commands.Text(1802, u"Error"_s),
            m_commands
                .Text(3784, u"The open catalog is read-only; %1 cannot be imported into it."_s)
                .arg(fileName));
        return;
    }
    const QString question =
        m_commands.Text(3781, u"Import the movies and people of %1 into the open catalog %2?"_s)
            .arg(QDir::toNativeSeparators(fileName), QFileInfo(db->FileName()).fileName());
    if (dialogs.AskYesNo(window, m_commands.Text(175, u"Import"_s), question))
        RunImportPlugin(index, fileName);
}

void TTransferController::RunImportPlugin(int index, const QString &fileName)
{
    TVideoDatabase *db = m_commands.Database();
    if (!db || m_commands.ReadOnly() || m_commands.Busy())
        return;
    const TPlugin plugin = m_registry.Get(index);
    if (plugin.PluginType != RK_PLUGIN_GENERAL_IMPORT)
        return;
    QWidget *window = m_commands.Window();
    QString openFolder = m_host->InitialFolder(5);
    QString saveFolder = m_host->InitialFolder(4);
    TWindowImportUi ui(TWindowImportUi::TTask::Import,
                       openFolder,
                       saveFolder,
                       m_commands.WaitWindow(),
                       &m_language,
                       window);
    ui.SetFileChooser([this, window, fileName](const QString &folder,
                                               const QString &filter) -> std::optional<QString> {
        if (!fileName.isEmpty())
            return fileName;
        return m_commands.Dialogs().AskOpenFile(
            window, m_commands.Text(175, u"Import"_s), folder, filter);
    });
    // The lists leave the records alone during the run: ShowImported builds them once.
    TListModel *movies = m_commands.Lists(TRecordKind::Movie).Model();
    TListModel *people = m_commands.Lists(TRecordKind::Person).Model();
    // The status bar's counts too: it hears of them once, after the build.
    std::function<void()> countChanged;
    ui.SetListUpdate(
        [movies, people, db, &countChanged] {
            movies->BeginRebuild();
            people->BeginRebuild();
            countChanged = std::exchange(db->OnShownCountChanged, nullptr);
        },
        [movies, people, db, &countChanged] {
            db->OnShownCountChanged = std::move(countChanged);
            people->EndRebuild();
            movies->EndRebuild();
        });
    TImportOptions options;
    options.language = m_language.LanguageId();
    options.autoAddPeople = m_registry.AutoAddPeople();
    options.transNames = m_settings.TransNames;
    options.externalPosters = m_settings.ExternalPosters;
    // A merge may write into the record on the card: its input is kept first.
    if (m_commands.Edit().EditState() == TEditState::Editing)
        m_commands.Edit().ApplyEdits();
    TImportSummary summary;
    // One undo step: the records the import adds and the fields its merges change.
    TUndoScope step(m_commands.Undo(), m_commands.Text(175, u"Import"_s));
    for (int i = 0; i < db->MovieCount(); ++i)
        step.Touch(db->Movie(i));
    for (int i = 0; i < db->PersonCount(); ++i)
        step.Touch(db->Person(i));
    const TRecordRoster existing(db);
    m_commands.SetBusy(true);
    const Status status = RunImport(*db, m_registry.LibraryPath(index), ui, options, &summary);
    m_commands.SetBusy(false);
    if (TUndoController *undo = m_commands.Undo())
        undo->PushImport(step.Text(), step, existing.Added());
    if (openFolder != m_host->InitialFolder(5))
        m_host->RememberFolder(5, openFolder);
    if (summary.ran)
        ShowImported(summary, ui.SummaryText(summary));
    if (!status.Ok() && !status.Error().isEmpty())
        m_commands.Dialogs().ShowError(window, m_commands.Text(1802, u"Error"_s), status.Error());
    m_commands.UpdateStatusBar();
    m_commands.CommandUpdate();
}

void TTransferController::ShowImported(const TImportSummary &summary, const QString &text)
{
    // Records were made empty and filled afterwards, so their rows stand where an empty
    // record sorts and, in the tree, in its groups: both lists are built again in order.
    m_commands.Lists(TRecordKind::Movie).Build();
    m_commands.Lists(TRecordKind::Person).Build();
    const bool peopleMode = m_commands.PeopleMode();
    TDBItem *first = peopleMode ? summary.firstPerson : summary.firstMovie;
    TDBItem *other = peopleMode ? summary.firstMovie : summary.firstPerson;
    // A file of only the other kind shows that kind.
    if (!first && other) {
        m_commands.SetMode(peopleMode ? TRecordKind::Movie : TRecordKind::Person);
        first = other;
    }
    if (first && first->Shown()) {
        m_commands.Lists(first->Kind()).SelectRecord(first);
        m_commands.Shown().List()->FlushFocus();
    }
    m_commands.ShowStatusText(text);
}

void TTransferController::RunExportPlugin(int index)
{
    if (!m_commands.Database() || m_commands.Busy())
        return;
    const TPlugin plugin = m_registry.Get(index);
    if (plugin.PluginType != RK_PLUGIN_EXPORT_TYPE)
        return;
    const QList<TDBItem *> records = m_commands.Shown().SelectedRecords();
    if (records.isEmpty())
        return;
    QWidget *window = m_commands.Window();
    QString openFolder = m_host->InitialFolder(5);
    QString saveFolder = m_host->InitialFolder(4);
    TWindowImportUi ui(TWindowImportUi::TTask::Export,
                       openFolder,
                       saveFolder,
                       m_commands.WaitWindow(),
                       &m_language,
                       window);
    ui.SetFileChooser([this, window](const QString &folder, const QString &filter) {
        return m_commands.Dialogs().AskSaveFile(
            window, m_commands.Text(176, u"Export"_s), folder, filter, QString());
    });
    m_commands.SetBusy(true);
    TExportOutcome outcome;
    const Status status = RunExport(m_registry.LibraryPath(index),
                                    records,
                                    m_commands.PeopleMode(),
                                    ui,
                                    m_language.LanguageId(),
                                    &outcome);
    m_commands.SetBusy(false);
    if (saveFolder != m_host->InitialFolder(4))
        m_host->RememberFolder(4, saveFolder);
    if (outcome.refused && !outcome.fileName.isEmpty()) {
        const QString file = QDir::toNativeSeparators(outcome.fileName);
        m_commands.Dialogs().ShowError(
            window,
            m_commands.Text(1802, u"Error"_s),
            m_commands
                .Text(4100,
                      u"The export could not be written to %1.\nThe disk may be full or the "
                      u"folder write-protected."_s)
                .arg(file));
    } else if (!status.Ok() && !status.Error().isEmpty()) {
        m_commands.Dialogs().ShowError(window, m_commands.Text(1802, u"Error"_s), status.Error());
    }
}

// ----- the welcome's import link -------------------------------------------------------------

QList<int> TTransferController::WelcomeImports() const
{
    // Only plug-ins that read another program's catalog file; the web plug-ins of the Import
    // menu need a movie to fill.
    QList<int> tags;
    TPluginMenu movies(m_registry);
    movies.SetMode(TListMode::Movies);
    movies.SetReadOnly(m_commands.ReadOnly());
    for (const TPluginMenuItem &item : movies.Items()) {
        if (item.menu == TPluginMenuKind::Import && item.pluginType == RK_PLUGIN_GENERAL_IMPORT
            && item.visible && item.enabled)
            tags.append(item.tag);
    }
    return tags;
}

void TTransferController::ChooseWelcomeImport(const QWidget *link)
{
    const QList<int> tags = WelcomeImports();
    if (tags.size() == 1) {
        RunImportPlugin(tags.first());
        return;
    }
    if (!m_importMenu)
        return;
    // Several programs' catalogs can be read: the user picks one, as in the Import menu.
    if (!m_welcomeImportMenu) {
        m_welcomeImportMenu = new QMenu(m_commands.Window());
        m_welcomeImportMenu->setObjectName(u"WelcomeImportMenu"_s);
    }
    m_welcomeImportMenu->clear();
    for (QAction *action : m_importMenu->actions()) {
        if (tags.contains(action->data().toInt()))
            m_welcomeImportMenu->addAction(action);
    }
    if (m_welcomeImportMenu->isEmpty())
        return;
    m_welcomeImportMenu->popup(link ? link->mapToGlobal(link->rect().bottomLeft())
                                    : QCursor::pos());
}
