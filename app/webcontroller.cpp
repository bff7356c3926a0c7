// The web plug-ins in the window: the flow's questions answered with the window's wait
// window, message boxes and results dialog, downloads through the controller's downloader,
// the commands that start a flow for the focused or the selected records, and the check
// for new versions.
#include "app/webcontroller.h"

#include <QAction>
#include <QColor>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QPalette>
#include <QThread>
#include <QToolBar>

#include "app/maindialogs.h"
#include "app/prefs/prefsform.h"
#include "app/undocontroller.h"
#include "app/waitwindow.h"
#include "catalog/daycount.h"
#include "catalog/dbitem.h"
#include "catalog/version.h"
#include "catalog/videodatabase.h"
#include "host/downloader.h"
#include "host/pluginregistry.h"
#include "host/webfetcher.h"
#include "host/webflow.h"
#include "logic/settings.h"
#include "views/languagewide.h"
#include "views/mvframe.h"

using namespace Qt::StringLiterals;

// What the web flow asks of the window.
class TWebController::TWebUi : public IWebFlowUi
{
public:
    explicit TWebUi(TWebController &web)
        : m_web(web)
        , m_host(*web.m_host)
    {}

    void ShowWait(const QString &text) override
    {
        m_host.WaitWindow()->SetOnCancel([this] { m_web.m_webFlow->Cancel(); });
        m_host.WaitWindow()->ShowWait(text, true);
    }
    void HideWait() override { m_host.WaitWindow()->HideWait(); }
    void ShowMessage(TMessageKind kind, const QString &caption, const QString &text) override
    {
        m_web.m_dialogs->ShowMessage(m_web.m_window, kind, caption, text);
    }
    TResultChoice ChooseResult(const QString &caption,
                               const QList<TWebResultEntry> &entries,
                               const QByteArray &referrer) override
    {
        return m_web.m_dialogs->ChooseWebResult(m_web.m_window, caption, entries, referrer);
    }
    void OpenUrl(const QString &url) override { m_host.OpenAddress(url); }
    TDBItem *FocusedRecord() override
    {
        // The card's pending input belongs to the record the flow fills.
        m_host.KeepCardInput();
        return m_host.CurrentRecord(m_host.PeopleMode() ? TRecordKind::Person : TRecordKind::Movie);
    }
    void FocusRecord(TDBItem &record) override { m_host.FocusRecord(record); }
    TDBItem *CreateRecord(TVideoDatabase &, TRecordKind kind) override
    {
        return m_host.CreateRecord(kind == TRecordKind::Person ? 1 : 0);
    }
    void RecordChanged(TDBItem &record) override
    {
        m_host.RecordChanged(record);
        if (m_host.CurrentRecord(record.Kind()) == &record)
            m_host.ShowCurrent();
    }
    void ProcessEvents() override
    {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(1);
    }
    bool Closing() const override { return m_host.Closing(); }

private:
    TWebController &m_web;
    IWebHost &m_host;
};

TWebController::TWebController(std::unique_ptr<IWebHost> host,
                               QWidget *window,
                               TSettings &settings,
                               const TAppFolders &folders,
                               TPluginRegistry &registry,
                               const TPluginMenu &pluginMenu,
                               TWideLanguage &language,
                               std::shared_ptr<IMainDialogs> dialogs)
    : m_host(std::move(host))
    , m_window(window)
    , m_settings(settings)
    , m_folders(folders)
    , m_registry(registry)
    , m_pluginMenu(pluginMenu)
    , m_language(language)
    , m_dialogs(std::move(dialogs))
    // An hour before now, so the first idle moment does not check at once.
    , m_lastCheckAttempt(NowDays() - 1.0 / 24.0)
{
    m_dueTimer.setSingleShot(true);
}

TWebController::~TWebController()
{
    // Downloads end before the records they would fill.
    m_webFlow.reset();
    m_fetcher.reset();
    m_downloader.reset();
    if (RegisteredVersionCheck() == this)
        SetVersionCheck(nullptr);
    // The window's button may outlive the controller.
    if (m_updatesAction)
        m_updatesAction->disconnect(m_updatesAction);
}

QString TWebController::Text(int number, const QString &fallback) const
{
    const QString text = m_language.Text(number);
    return text.isEmpty() ? fallback : text;
}

TConnectionSettings TWebController::ConnectionSettings() const
{
    TConnectionSettings connection;
    connection.UseProxy = m_settings.UseProxy;
    connection.ProxyServer = m_settings.ProxyServer;
    connection.ProxyPort = m_settings.ProxyPort;
    connection.ProxyUserName = m_settings.ProxyUserName;
    connection.ProxyPassword = m_settings.ProxyPassword;
    if (!m_settings.UserAgent.isEmpty())
        connection.UserAgent = m_settings.UserAgent;
    connection.ConnectTimeout = m_settings.ConnectTimeout;
    connection.ReadTimeout = m_settings.ReadTimeout;
    connection.Retries = m_settings.Retries;
    connection.TotalLimit = m_settings.DownloadTimeLimit * 1000;
    connection.StallLimit = m_settings.StallTimeLimit * 1000;
    return connection;
}

void TWebController::CreateWebFlow()
{
    m_downloader = std::make_unique<TDownloader>();
    m_fetcher = std::make_unique<TDownloaderFetcher>(*m_downloader,
                                                     [this] { return ConnectionSettings(); });
    m_webUi = std::make_unique<TWebUi>(*this);
    m_webFlow = std::make_unique<TWebFlow>(
        m_registry, *m_webUi, *m_fetcher, [this](int number) { return m_language.Text(number); });
    ApplySettings();

    QObject::connect(m_downloader.get(),
                     &TDownloader::PreviewDone,
                     m_downloader.get(),
                     [this](int id, const QByteArray &picture) {
                         if (auto done = m_previews.take(id))
                             done(true, picture, picture.isEmpty() ? 0 : 3);
                     });
    QObject::connect(m_downloader.get(),
                     &TDownloader::PreviewFailed,
                     m_downloader.get(),
                     [this](int id, const QString &) {
                         if (auto done = m_previews.take(id))
                             done(false, QByteArray(), 0);
                     });
}

void TWebController::FetchPreview(const QByteArray &url,
                                  const QByteArray &referrer,
                                  std::function<void(bool, const QByteArray &, int)> done)
{
    const int id = ++m_nextPreview;
    m_previews.insert(id, std::move(done));
    m_downloader->StartPreview(url, referrer, id);
}

void TWebController::ApplySettings()
{
    if (!m_webFlow)
        return;
    TWebFlowSettings settings;
    settings.prefixList = m_settings.PrefixList;
    settings.transNames = m_settings.TransNames;
    settings.externalPosters = m_settings.ExternalPosters;
    settings.language = m_language.LanguageId();
    settings.settingsFolder = m_folders.SettingsFolder;
    m_webFlow->SetSettings(settings);
    m_webFlow->SetCatalog(m_host->Catalog());
    m_downloader->SetConnection(ConnectionSettings());
}

void TWebController::ReleaseCatalog()
{
    if (m_webFlow) {
        m_webFlow->Cancel();
        m_webFlow->SetCatalog(nullptr);
    }
}

void TWebController::RunWebPlugin(int index)
{
    TVideoDatabase *db = m_host->Catalog();
    if (!db || m_host->ReadOnly() || m_host->Busy() || !m_webFlow)
        return;
    const TRecordKind kind = m_host->PeopleMode() ? TRecordKind::Person : TRecordKind::Movie;
    m_webFlow->SetCatalog(db);
    const QList<TDBItem *> records = m_host->SelectedRecords();
    m_host->SetBusy(true);
    TDBItem *current = m_host->CurrentRecord(kind);
    const bool wasModified = db->Modified();
    // The merged fields, the pictures and the records the run made are one step.
    TUndoScope step(m_host->Undo(), m_registry.Get(index).Name);
    for (TDBItem *record : records)
        step.TouchPictures(record);
    step.TouchPictures(current);
    const TRecordRoster existing(db);
    if (records.size() >= 2) {
        // The processed records are selected again.
        m_host->ReselectRecords(m_webFlow->RunBatch(index, records));
    } else {
        m_webFlow->ClearCancel();
        m_webFlow->RunPlugin(index, nullptr);
        if (current && !wasModified && db->Modified() && current == m_host->CurrentRecord(kind))
            // The record may have moved in the list: find it again.
            m_host->PlaceRecord(*current);
    }
    if (TUndoController *undo = m_host->Undo())
        undo->PushImport(step.Text(), step, existing.Added());
    m_host->SetBusy(false);
    m_host->ShowCurrent();
    m_host->UpdateStatusBar();
    m_host->CommandUpdate();
}

void TWebController::RunCardButton(TCardButton button)
{
    TmvFrame *frame = m_host->MovieFrame();
    if (!m_host->Catalog() || m_host->ReadOnly() || m_host->Busy() || !m_webFlow
        || m_host->PeopleMode())
        return;
    // The boxes of the card count, not the stored fields: the user may just have typed
    // the title.
    const auto text = [frame](const char *name) {
        const auto *edit = frame->findChild<QLineEdit *>(QString::fromLatin1(name));
        return edit ? edit->text() : QString();
    };
    const int index =
        m_pluginMenu.CardButtonTarget(button, text("TitleEdit"), text("OrigTitleEdit"));
    if (index < 0)
        return;
    // Inside a card edit the fields belong to the edit's step, the pictures to this one.
    TUndoController *undo = m_host->Undo();
    TDBItem *current = m_host->CurrentRecord(TRecordKind::Movie);
    const TRecordRoster existing(m_host->Catalog());
    if (undo)
        undo->BeginPictureChange(current, m_registry.Get(index).Name, !undo->Touched(current));
    m_webFlow->ClearCancel();
    m_host->SetBusy(true);
    m_webFlow->RunPlugin(index, nullptr);
    if (undo)
        undo->EndPictureChange(existing.Added());
    m_host->SetBusy(false);
    m_host->ShowCurrent();
    m_host->CommandUpdate();
}

void TWebController::FetchPicture(int kind)
{
    RunCardButton(kind == 0 ? TCardButton::Poster : TCardButton::Cover);
}

void TWebController::UpdateCardButtons()
{
    TmvFrame *frame = m_host->MovieFrame();
    if (!frame)
        return;
    bool info = false;
    for (const TPlugin &plugin : m_registry.Plugins())
        info = info || plugin.PluginType == RK_PLUGIN_MOVIE_INFO;
    frame->SetWebInfoAvailable(info);
    frame->SetPictureFetchAvailable(m_registry.DefaultOrLastIndex(RK_PLUGIN_POSTER_IMPORT) >= 0,
                                    m_registry.DefaultOrLastIndex(RK_PLUGIN_COVER_IMPORT) >= 0);
}

// ----- the version check ---------------------------------------------------------------------

void TWebController::CreateUpdateCheck(QAction *updatesAction, QToolBar *bar)
{
    // A checker registered by someone else (tests) stays in charge.
    if (!RegisteredVersionCheck())
        SetVersionCheck(this);
    m_updatesAction = updatesAction;
    m_updatesBar = bar;
    m_updatesAction->setVisible(false);
    bar->addAction(m_updatesAction);
    QObject::connect(m_updatesAction, &QAction::triggered, m_updatesAction, [this] {
        m_host->OpenAddress(
            UpdatePageUrl(m_settings.UpdateSite, m_updateTarget, m_language.LanguageId()));
    });
    QObject::connect(m_downloader.get(),
                     &TDownloader::UpdateText,
                     m_downloader.get(),
                     [this](const QByteArray &text, bool silent) { OnUpdateText(text, silent); });
    QObject::connect(m_downloader.get(),
                     &TDownloader::UpdateFailed,
                     m_downloader.get(),
                     [this](const QString &error, bool silent) {
                         if (!silent && m_prefsForm)
                             m_prefsForm->ShowUpdateStatus(error);
                     });
}

void TWebController::SetPrefsForm(TPrefsForm *form)
{
    m_prefsForm = form;
}

bool TWebController::StartDueVersionCheck(double now)
{
    const bool due =
        VersionCheckDue(m_settings.DoUpdates, m_settings.LastUpdate, m_lastCheckAttempt, now);
    if (due)
        m_lastCheckAttempt = now;
    const int wait = MsUntilVersionCheckDue(
        m_settings.DoUpdates, m_settings.LastUpdate, m_lastCheckAttempt, now);
    if (wait < 0)
        m_dueTimer.stop();
    else
        m_dueTimer.start(wait);
    if (due) {
        if (IVersionCheck *check = RegisteredVersionCheck())
            check->StartVersionCheck();
    }
    return due;
}

void TWebController::StartUpdateCheck(bool silent)
{
    if (!m_downloader)
        return;
    m_lastCheckAttempt = NowDays();
    m_downloader->SetConnection(ConnectionSettings());
    m_downloader->StartUpdateCheck(silent, m_settings.UpdateSite);
}

void TWebController::OnUpdateText(const QByteArray &text, bool silent)
{
    m_settings.LastUpdate = NowDays();
    const TUpdateNotice notice =
        FindUpdate(text,
                   QFileInfo(QCoreApplication::applicationFilePath()).fileName(),
                   ProgramVersionNumber,
                   m_registry.Plugins());
    if (notice.Target == TUpdateNotice::TTarget::None) {
        if (!silent && m_prefsForm)
            m_prefsForm->ShowUpdateStatus(Text(1817, u"No updates are available."_s));
        return;
    }
    if (m_prefsForm)
        m_prefsForm->ShowUpdateStatus(QString());
    m_updateTarget = notice.Target;
    m_updatesAction->setVisible(true);
    // Dark red for the program itself, blue for a plug-in.
    const QColor color =
        notice.Target == TUpdateNotice::TTarget::Program ? QColor(128, 0, 0) : QColor(0, 0, 255);
    if (QWidget *button = m_updatesBar->widgetForAction(m_updatesAction)) {
        QPalette palette = button->palette();
        palette.setColor(QPalette::ButtonText, color);
        button->setPalette(palette);
    }
    if (!silent)
        m_updatesAction->trigger();
}
