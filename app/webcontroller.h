#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

#include "host/pluginmenu.h"
#include "host/updatethread.h"
#include "logic/mainlogic.h"
#include "views/cardhost.h"

class TUndoController;
class IMainDialogs;
class QAction;
class QToolBar;
class QWidget;
class TBaseMovie;
class TDBItem;
class TDownloader;
class TDownloaderFetcher;
class TPluginRegistry;
class TPrefsForm;
class TVideoDatabase;
class TWaitWindow;
class TWebFlow;
class TWideLanguage;
class TmvFrame;
struct TAppFolders;
struct TConnectionSettings;
struct TSettings;

// The media files the window reads into movies (browse button, drops, movie master):
// extensions with their dots, separated by ";" (the file picker's form).
inline const QString MediaExtensions =
    QStringLiteral(".avi;.divx;.mpg;.mpeg;.ifo;.vob;.mov;.vid;.mp4;.mkv;.dat;.ts");

// What the web and media commands need of the window around them: the open catalog and its
// state, the lists' focused and selected records, and the refreshes after a change. The
// window implements it; the controller owns the implementation it is given.
class IWebHost
{
public:
    virtual ~IWebHost() = default;

    // The open catalog; nullptr while none is open.
    virtual TVideoDatabase *Catalog() const = 0;
    virtual bool ReadOnly() const = 0;
    virtual bool PeopleMode() const = 0;
    // Another command runs: no web or media command starts, auto-save and closing wait.
    virtual bool Busy() const = 0;
    virtual void SetBusy(bool busy) = 0;
    // The window is closing: a running flow stops asking questions.
    virtual bool Closing() const = 0;
    virtual TWaitWindow *WaitWindow() const = 0;
    // The movie card (its boxes, web buttons and shown movie); nullptr before it exists.
    virtual TmvFrame *MovieFrame() const = 0;
    // The file picker's "-showfloppy" and the remembered folders of the file dialogs.
    virtual bool ShowFloppy() const = 0;
    virtual QString InitialFolder(int slot) const = 0;
    virtual void RememberFolder(int slot, const QString &folder) = 0;

    // The record shown in the card of a kind (episodes are shown with movies); nullptr for
    // none.
    virtual TDBItem *CurrentRecord(TRecordKind kind) const = 0;
    // The selected records of the shown list, a group row standing for those below it.
    virtual QList<TDBItem *> SelectedRecords() const = 0;
    // Makes a movie (kind 0) or person (kind 1) as the New command does.
    virtual TDBItem *CreateRecord(int kind) = 0;
    // While the focused record is edited: the card's pending input goes into it.
    virtual void KeepCardInput() = 0;
    // While the focused record is edited: editing ends with the card's input applied.
    virtual void FinishEditing() = 0;
    virtual void SetMode(TRecordKind kind) = 0;

    // Selects and focuses a record in the shown list.
    virtual void FocusRecord(TDBItem &record) = 0;
    // The shown list sorted afresh with exactly these records selected.
    virtual void ReselectRecords(const QList<TDBItem *> &records) = 0;
    // A focused record whose fields changed: filtered and sorted again, selected when shown.
    virtual void PlaceRecord(TDBItem &record) = 0;
    // The movie list sorted afresh with `movie` the only selected and the focused row;
    // `reshow` first rebuilds its rows when it is shown (its fields may all have changed).
    virtual void FocusMovie(TBaseMovie &movie, bool reshow) = 0;
    // A record's fields changed: its rows follow.
    virtual void RecordChanged(TDBItem &record) = 0;
    virtual void ShowCurrent() = 0;
    virtual void UpdateStatusBar() = 0;
    virtual void CommandUpdate() = 0;

    // Opens an address of a plug-in or the update notice with the desktop.
    virtual void OpenAddress(const QString &address) = 0;
    // The web search of engine `engine` for `text` (the movie master's search button).
    virtual void WebSearch(int engine, const QString &text) = 0;
    // The open catalog's undo history; nullptr where merges are not recorded.
    virtual TUndoController *Undo() { return nullptr; }
};

// The window's web and media commands: the web plug-ins' flow with its downloads and the
// results dialog's previews, the card's web buttons, the version check and its notice, and
// the media files, pictures, screenshots and movie master of the movie card. It is the
// process's version checker while it lives.
class TWebController : public IVersionCheck
{
public:
    // `window` parents the dialogs; the references outlive the controller.
    TWebController(std::unique_ptr<IWebHost> host,
                   QWidget *window,
                   TSettings &settings,
                   const TAppFolders &folders,
                   TPluginRegistry &registry,
                   const TPluginMenu &pluginMenu,
                   TWideLanguage &language,
                   std::shared_ptr<IMainDialogs> dialogs);
    ~TWebController() override;

    // The flow and its downloads, once the plug-ins are known.
    void CreateWebFlow();
    // Follows the connection, title and language settings and the open catalog.
    void ApplySettings();
    // The open catalog is about to go: a running flow stops and lets go of it.
    void ReleaseCatalog();
    TDownloader *Downloader() const { return m_downloader.get(); }
    // The results dialog asks for the picture of a row; `done` gets it (or the failure).
    void FetchPreview(const QByteArray &url,
                      const QByteArray &referrer,
                      std::function<void(bool, const QByteArray &, int)> done);

    // Runs web plug-in `index` (types 2, 4, 5, 6) for the focused record, or for each
    // selected record when several are selected.
    void RunWebPlugin(int index);
    // The card's web buttons: information (type 2), poster (4), covers (5).
    void RunCardButton(TCardButton button);
    // The default poster plug-in (kind 0) or cover plug-in (kind 1) for the shown movie.
    void FetchPicture(int kind);
    // The card's web buttons show whether a plug-in of their type is there.
    void UpdateCardButtons();

    // The version check: `updatesAction` is the tool bar's "New updates" button, hidden
    // until a check finds something.
    void CreateUpdateCheck(QAction *updatesAction, QToolBar *bar);
    // `silent` false: the outcome is shown in the preferences window, an update opens its page.
    void StartUpdateCheck(bool silent);
    void StartVersionCheck() override { StartUpdateCheck(true); }
    // An idle moment: starts the registered check when one is due; true when it was.
    bool StartDueVersionCheck(double now);
    // The open preferences window, which shows the outcome of its "Check now"; or nullptr.
    void SetPrefsForm(TPrefsForm *form);

    // The cards' picture dialogs, file picker and screenshot maker.
    QString AskPictureFile(bool save, const QString &proposedName);
    QString PickFiles(const QString &extensions);
    std::optional<QString> MakeScreenshots(const TScreenRequest &request);
    // The program's own file picker, starting in the media-files folder (slot 1), which it
    // remembers on OK. `result` gets the chosen paths joined with "|"; false on Cancel.
    bool PickFiles(bool allowAppend, bool &append, const QString &extensions, QString &result);
    // The movie card's browse button: picks the movie's media files and reads them.
    void BrowseMediaFiles();
    // Reads media files into the movie and shows the result (browse button and drops).
    void AddMediaFiles(TBaseMovie *movie, const QStringList &files, bool append);
    // "New Movie Master": one new movie from a title, an original title and files, filled
    // by the plug-ins, the media files and the screenshot maker the user ticks.
    void OpenMovieMaster(const QString &title, const QString &origTitle, const QString &files);

private:
    class TWebUi;

    QString Text(int number, const QString &fallback) const;
    TConnectionSettings ConnectionSettings() const;
    void OnUpdateText(const QByteArray &text, bool silent);
    // Reads the technical data of media files into a movie and tells the user about files
    // that could not be analysed.
    void ReadMovieMedia(TBaseMovie *movie, const QStringList &files, bool append);

    std::unique_ptr<IWebHost> m_host;
    QWidget *m_window;
    TSettings &m_settings;
    const TAppFolders &m_folders;
    TPluginRegistry &m_registry;
    const TPluginMenu &m_pluginMenu;
    TWideLanguage &m_language;
    std::shared_ptr<IMainDialogs> m_dialogs;

    std::unique_ptr<TDownloader> m_downloader;
    std::unique_ptr<TDownloaderFetcher> m_fetcher;
    std::unique_ptr<TWebUi> m_webUi;
    std::unique_ptr<TWebFlow> m_webFlow;
    // The results dialog's previews: each request gets its own number, so an answer finds
    // its row even when the dialog asked for many at once.
    int m_nextPreview = 0;
    QHash<int, std::function<void(bool, const QByteArray &, int)>> m_previews;

    QPointer<QAction> m_updatesAction;
    QPointer<QToolBar> m_updatesBar;
    QPointer<TPrefsForm> m_prefsForm;
    TUpdateNotice::TTarget m_updateTarget = TUpdateNotice::TTarget::None;
    // Day count of the last check started; the first idle check waits a while after start.
    double m_lastCheckAttempt = 0;
    // Ticks when the next check falls due. It only wakes the event loop: the idle moment
    // after the tick starts the check, so a quiet window needs no turns in between.
    QTimer m_dueTimer;
};
