// The web plug-ins in the window: the flow's questions answered with the window's wait
// window, message boxes and results dialog, downloads through the window's downloader,
// and the commands that start a flow for the focused or the selected records.
#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLineEdit>
#include <QThread>
#include <QToolBar>
#include <QUrl>

#include "app/catalogview.h"
#include "app/listmodel.h"
#include "app/maindialogs.h"
#include "app/mainweb_p.h"
#include "app/mainwindow.h"
#include "app/prefs/prefsform.h"
#include "app/selform.h"
#include "app/waitwindow.h"
#include "catalog/daycount.h"
#include "catalog/version.h"
#include "catalog/videodatabase.h"
#include "host/downloader.h"
#include "host/pluginmenu.h"
#include "host/updatethread.h"
#include "host/webfetcher.h"
#include "host/webflow.h"
#include "views/mvframe.h"

using namespace Qt::StringLiterals;

TConnectionSettings TMain::ConnectionSettings() const
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

void TMain::CreateWebFlow()
{
    m_downloader = std::make_unique<TDownloader>();
    m_fetcher = std::make_unique<TDownloaderFetcher>(*m_downloader,
                                                     [this] { return ConnectionSettings(); });
    m_webUi = std::make_unique<TWebUi>(*this);
    m_webFlow = std::make_unique<TWebFlow>(
        m_registry, *m_webUi, *m_fetcher, [this](int number) { return m_language.Text(number); });
    ApplyWebSettings();

    // The results dialog's previews: each request gets its own number, so an answer finds
    // its row even when the dialog asked for many at once.
    if (auto dialogs = std::dynamic_pointer_cast<TQtMainDialogs>(m_dialogs)) {
        dialogs->SetPreviewFetch([this](const QByteArray &url,
                                        const QByteArray &referrer,
                                        std::function<void(bool, const QByteArray &, int)> done) {
            const int id = ++m_nextPreview;
            m_previews.insert(id, std::move(done));
            m_downloader->StartPreview(url, referrer, id);
        });
    }
    connect(m_downloader.get(),
            &TDownloader::PreviewDone,
            this,
            [this](int id, const QByteArray &picture) {
                if (auto done = m_previews.take(id))
                    done(true, picture, picture.isEmpty() ? 0 : 3);
            });
    connect(m_downloader.get(), &TDownloader::PreviewFailed, this, [this](int id, const QString &) {
        if (auto done = m_previews.take(id))
            done(false, QByteArray(), 0);
    });
}

void TMain::ApplyWebSettings()
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
    m_webFlow->SetCatalog(m_db.get());
    m_downloader->SetConnection(ConnectionSettings());
}

void TMain::RunWebPlugin(int index)
{
    if (!m_db || m_readOnly || m_busy || !m_webFlow)
        return;
    m_webFlow->SetCatalog(m_db.get());
    QList<TDBItem *> records;
    for (TDBItem *record : Shown().SelectedRecordsBelowGroups())
        records.append(record);
    m_busy = true;
    TDBItem *current = Shown().Current();
    const bool wasModified = m_db->Modified();
    if (records.size() >= 2) {
        const QList<TDBItem *> done = m_webFlow->RunBatch(index, records);
        Shown().Model()->Resort();
        // The processed records are selected again.
        TCatalogList *list = Shown().List();
        list->clearSelection();
        for (TDBItem *record : done) {
            if (TViewNode *node = list->Model()->FirstNodeOf(record)) {
                list->selectionModel()->select(list->Model()->IndexOf(node, 0),
                                               QItemSelectionModel::Select
                                                   | QItemSelectionModel::Rows);
            }
        }
    } else {
        m_webFlow->ClearCancel();
        m_webFlow->RunPlugin(index, nullptr);
        if (current && !wasModified && m_db->Modified() && current == Shown().Current()) {
            // The record may have moved in the list: find it again.
            Shown().Model()->ApplyFilter(*current);
            Shown().Model()->Resort();
            if (current->Shown())
                Shown().List()->SelectRecord(current);
        }
    }
    m_busy = false;
    ShowCurrent();
    UpdateStatusBar();
    CommandUpdate();
}

// ----- the version check ---------------------------------------------------------------------

void TMain::CreateUpdateCheck()
{
    m_updater = std::make_unique<TUpdater>(*this);
    // A checker registered by someone else (tests) stays in charge.
    if (!RegisteredVersionCheck())
        SetVersionCheck(m_updater.get());
    m_updatesAction = AddAction(u"NewUpdatesAct"_s, 0, u"New updates"_s);
    m_updatesAction->setVisible(false);
    m_mainBar->addAction(m_updatesAction);
    connect(m_updatesAction, &QAction::triggered, this, [this] {
        OpenAddress(UpdatePageUrl(m_settings.UpdateSite, m_updateTarget, m_language.LanguageId()));
    });
    connect(m_downloader.get(),
            &TDownloader::UpdateText,
            this,
            [this](const QByteArray &text, bool silent) { OnUpdateText(text, silent); });
    connect(m_downloader.get(),
            &TDownloader::UpdateFailed,
            this,
            [this](const QString &error, bool silent) {
                if (!silent && m_prefsForm)
                    m_prefsForm->ShowUpdateStatus(error);
            });
}

void TMain::StartUpdateCheck(bool silent)
{
    if (!m_downloader)
        return;
    m_lastCheckAttempt = NowDays();
    m_downloader->SetConnection(ConnectionSettings());
    m_downloader->StartUpdateCheck(silent, m_settings.UpdateSite);
}

void TMain::OnUpdateText(const QByteArray &text, bool silent)
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
    if (QWidget *button = m_mainBar->widgetForAction(m_updatesAction)) {
        QPalette palette = button->palette();
        palette.setColor(QPalette::ButtonText, color);
        button->setPalette(palette);
    }
    if (!silent)
        m_updatesAction->trigger();
}

void TMain::RunCardButton(TCardButton button)
{
    if (!m_db || m_readOnly || m_busy || !m_webFlow || m_peopleMode)
        return;
    // The boxes of the card count, not the stored fields: the user may just have typed
    // the title.
    const auto text = [this](const char *name) {
        const auto *edit = m_movieFrame->findChild<QLineEdit *>(QString::fromLatin1(name));
        return edit ? edit->text() : QString();
    };
    const int index =
        m_pluginMenu.CardButtonTarget(button, text("TitleEdit"), text("OrigTitleEdit"));
    if (index < 0)
        return;
    m_webFlow->ClearCancel();
    m_busy = true;
    m_webFlow->RunPlugin(index, nullptr);
    m_busy = false;
    ShowCurrent();
    CommandUpdate();
}

void TMain::UpdateCardButtons()
{
    if (!m_movieFrame)
        return;
    bool info = false;
    for (const TPlugin &plugin : m_registry.Plugins())
        info = info || plugin.PluginType == RK_PLUGIN_MOVIE_INFO;
    m_movieFrame->SetWebInfoAvailable(info);
    m_movieFrame->SetPictureFetchAvailable(
        m_registry.DefaultOrLastIndex(RK_PLUGIN_POSTER_IMPORT) >= 0,
        m_registry.DefaultOrLastIndex(RK_PLUGIN_COVER_IMPORT) >= 0);
}

void TMain::FetchPicture(int kind)
{
    RunCardButton(kind == 0 ? TCardButton::Poster : TCardButton::Cover);
}
