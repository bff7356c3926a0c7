#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "catalog/dbitem.h"
#include "host/messagesink.h"
#include "host/pluginlibrary.h"
#include "host/plugintexts.h"

class TImage;
class TPluginRegistry;
class TVideoDatabase;

// Numbered texts of the web flow; the English defaults live in webflow.cpp.
enum TWebFlowTextNumber : int {
    WebTextInformationCaption = 1800,
    WebTextErrorCaption = 1802,
    WebTextNothingFound = 1806,
    WebTextDownloadFailed = 1808, // %s: the error text
    WebTextBadPicture = 1812,
    WebTextPictureFormat = 4150, // %1: the format's name
    WebTextSelectCaption = 1855,
    WebTextWait = 1861,
};

// One entry of a plug-in's result list, as GetSelection gave it (copied at once).
struct TWebResultEntry
{
    QString title;         // raw: may hold HTML character references
    QByteArray url;        // ANSI; the page fetched when the entry is chosen
    QByteArray pictureUrl; // ANSI; a small preview, empty when none
    QByteArray browseUrl;  // ANSI; a page for the web browser, empty when none
    int pluginIndex = 0;   // the index GetSelection answered it for
};

// What the user did in the results dialog.
struct TResultChoice
{
    std::optional<int> chosen; // list index of the entry taken with OK
    // Without a choice: the browse URL of the entry selected when the dialog closed.
    QByteArray browseUrl;
};

// How the web flow reaches the user and the window. The window program shows real
// windows; tests record and answer.
class IWebFlowUi
{
public:
    virtual ~IWebFlowUi() = default;

    // The wait window with `text`; its Cancel button must call TWebFlow::Cancel().
    virtual void ShowWait(const QString &text) = 0;
    virtual void HideWait() = 0;
    // Never called in silent mode: the flow suppresses its boxes itself.
    virtual void ShowMessage(TMessageKind kind, const QString &caption, const QString &text) = 0;
    // The modal results dialog over `entries` (never empty); `referrer` goes with the
    // preview downloads. Not called in silent mode.
    virtual TResultChoice ChooseResult(const QString &caption,
                                       const QList<TWebResultEntry> &entries,
                                       const QByteArray &referrer) = 0;
    virtual void OpenUrl(const QString &url) = 0;
    // Writes the detail pane's pending edits into the focused record and returns it;
    // nullptr when none is focused.
    virtual TDBItem *FocusedRecord() = 0;
    // Focuses a record of a batch before the flow runs for it.
    virtual void FocusRecord(TDBItem &record) { Q_UNUSED(record); }
    // A record as the New command creates it (the window also shows and focuses it).
    virtual TDBItem *CreateRecord(TVideoDatabase &db, TRecordKind kind);
    // The flow changed the record: refresh its card when it is the focused one.
    virtual void RecordChanged(TDBItem &record) = 0;
    // Lets the window repaint and the downloads report back.
    virtual void ProcessEvents() = 0;
    // True while the program is shutting down: the flow stops waiting.
    virtual bool Closing() const { return false; }
};

// A fetch the flow asks for, and the page it gets back.
struct TWebFetch
{
    QByteArray url; // ANSI; the downloader percent-encodes it
    QByteArray loginUrl;
    QByteArray postBody;
    QByteArray referrer;
    QByteArray cookies;
};

struct TWebPage
{
    QByteArray body;
    QByteArray cookies;
    QByteArray finalUrl;
    int contentType = 0;          // 1 HTML or JSON, 2 XML, 3 JPEG, 4 GIF, 5 PNG, 0 other
    QByteArray contentTypeHeader; // as sent; its charset decides how the page is read
};

// Runs the fetches of a flow, one at a time. Callbacks arrive on the main thread while
// the flow processes events.
class IWebFetcher
{
public:
    virtual ~IWebFetcher() = default;
    using TDone = std::function<void(const TWebPage &page)>;
    using TFailed = std::function<void(const QString &error)>;
    // Replaces a fetch that still runs; that one reports nothing any more.
    virtual void Start(const TWebFetch &fetch, TDone done, TFailed failed) = 0;
    // Ends a running fetch without a report.
    virtual void Stop() = 0;
};

struct TWebFlowSettings
{
    QStringList prefixList;       // articles stripped from search titles
    bool transNames = false;      // added people are matched by translated name
    bool externalPosters = false; // posters and photos go to separate files
    int language = RK_LANG_ENGLISH;
    // Where "test.html" (the last downloaded page, for plug-in writers) goes; empty: nowhere.
    QString settingsFolder;
};

// The host side of the web plug-ins (types 2, 4, 5, 6): searching, letting the user
// choose, fetching details and pictures and merging them into the catalog. Everything
// runs on the main thread; RunPlugin keeps the events flowing until the flow ends.
class TWebFlow
{
public:
    TWebFlow(TPluginRegistry &registry,
             IWebFlowUi &ui,
             IWebFetcher &fetcher,
             TPluginTextSource texts = {});
    ~TWebFlow();
    TWebFlow(const TWebFlow &) = delete;
    TWebFlow &operator=(const TWebFlow &) = delete;

    void SetCatalog(TVideoDatabase *db) { m_db = db; }
    void SetSettings(const TWebFlowSettings &settings) { m_settings = settings; }
    const TWebFlowSettings &Settings() const { return m_settings; }

    // Runs web plug-in `index` for `record` (nullptr: the focused record) and returns when
    // its flow has ended. Does nothing for other plug-in types, a record of the wrong kind
    // (people for type 6, movies and episodes otherwise), a library that does not load, or
    // while the cancel flag is set.
    void RunPlugin(int index, TDBItem *record);
    // The command: clears the cancel flag, then runs the plug-in for each record in turn,
    // focusing it first, until the user cancels. Returns the records that were run.
    QList<TDBItem *> RunBatch(int index, const QList<TDBItem *> &records);

    // Ends the running flow and stops a batch: the wait window's and the dialog's Cancel.
    void Cancel();
    bool CancelRequested() const { return m_cancel; }
    void ClearCancel() { m_cancel = false; }
    // The plug-in whose flow runs; -1 when none runs.
    int BusyIndex() const { return m_busy; }

    // The search text without a leading "The " or a trailing ", The" / " The", for the
    // first article of `articles` that applies (case-sensitive).
    static QString StripArticle(const QString &text, const QStringList &articles);
    // The template with its first "%s" replaced by the ANSI text; no other place is
    // formatted, so a stray "%" in an address is harmless.
    static QByteArray FillTemplate(const QByteArray &urlTemplate, const QByteArray &text);

private:
    struct TExports;

    void DownloadDone(const TWebPage &page);
    void DownloadFailed(const QString &error);
    void HandleMoviePage(const TWebPage &page);
    void HandleMovieOutcome(short outcome, const QByteArray &cookies);
    void HandlePosterPage(const TWebPage &page);
    void HandleCoverPage(const TWebPage &page);
    void HandlePeoplePage(const TWebPage &page);
    void HandlePeopleOutcome(short outcome);
    short ParsePage(const TWebPage &page);
    void ChooseResult();
    // GetURL for this type with `recordUrls` and (type 5) `searchText`; type 5 answers -1
    // for "nothing more to fetch".
    int AskUrl(const QByteArray &recordUrls, const QByteArray &searchText, QByteArray &url) const;
    QByteArray RecordUrls() const;
    // GetLoginInfo and GetReferrer, then the fetch; nothing once the flow has ended.
    void Fetch(const QByteArray &url, const QByteArray &cookies = {});
    void FetchFirst();
    // Outcome 3: the address GetURL gives now, with the current mode.
    void RefetchFromPlugin(const QByteArray &cookies);
    // The picture of a download; a null one after the box that says why.
    TImage DecodePicture(const QByteArray &bytes);
    void StorePicture(const TWebPage &page);
    void StoreCover(const TWebPage &page);
    // Hides the wait window and shows the box unless silent.
    void ShowBox(int captionNumber, const QString &text);
    void EndFlow() { m_busy = -1; }
    bool Silent() const;
    QString Text(int number) const;
    // The text searched for first (setting its mode) and the one of the second search.
    QString FirstSearchText(quint8 &mode) const;
    QString SecondSearchText() const;
    void WriteTestPage(const QByteArray &body) const;

    TPluginRegistry &m_registry;
    IWebFlowUi &m_ui;
    IWebFetcher &m_fetcher;
    TPluginTextSource m_texts;
    TVideoDatabase *m_db = nullptr;
    TWebFlowSettings m_settings;

    TPluginLibrary m_library;
    std::unique_ptr<TExports> m_exports;
    int m_type = 0;
    int m_busy = -1;
    bool m_cancel = false;
    quint8 m_mode = 0;
    bool m_fetchStarted = false;
    TDBItem *m_record = nullptr;
    QByteArray m_fetchUrl; // the address of the running fetch
    QByteArray m_loginUrl;
    QByteArray m_postBody;
    QByteArray m_referrer;
};
