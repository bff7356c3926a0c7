#include "host/webflow.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include <QDir>
#include <QFile>

#include "catalog/actor.h"
#include "catalog/ansi.h"
#include "catalog/basemovie.h"
#include "catalog/image.h"
#include "catalog/videodatabase.h"
#include "host/pluginregistry.h"
#include "host/webmerge.h"
#include "host/webpicture.h"
#include "host/webtext.h"

using namespace Qt::StringLiterals;

namespace {

// A plug-in's count is outside data: past this many records or entries the rest is
// ignored rather than creating records (or calling the plug-in) without end.
constexpr int MaxResults = 10000;

constexpr int ContentHtml = 1;
constexpr int ContentXml = 2;
constexpr int ContentJpeg = 3;
constexpr int ContentGif = 4;
constexpr int ContentPng = 5;

QString EnglishText(int number)
{
    switch (number) {
    case WebTextInformationCaption:
        return u"Information"_s;
    case WebTextErrorCaption:
        return u"Error"_s;
    case WebTextNothingFound:
        return u"Nothing was found."_s;
    case WebTextDownloadFailed:
        return u"The download failed: %s"_s;
    case WebTextBadPicture:
        return u"The downloaded picture cannot be read."_s;
    case WebTextPictureFormat:
        return u"The downloaded picture is in %1 format; only JPEG and PNG pictures can be stored."_s;
    case WebTextSelectCaption:
        return u"Select a movie"_s;
    case WebTextWait:
        return u"Working, please wait..."_s;
    default:
        return {};
    }
}

bool IsWebType(int type)
{
    return type == RK_PLUGIN_MOVIE_INFO || type == RK_PLUGIN_POSTER_IMPORT
           || type == RK_PLUGIN_COVER_IMPORT || type == RK_PLUGIN_PEOPLE_IMPORT;
}

bool FitsType(int type, const TDBItem &record)
{
    return (type == RK_PLUGIN_PEOPLE_IMPORT) == (record.Kind() == TRecordKind::Person);
}

// A picture answer: a picture type, or bytes that start as one whatever the type says.
bool IsPicture(const TWebPage &page)
{
    return page.contentType == ContentJpeg || page.contentType == ContentGif
           || page.contentType == ContentPng
           || (page.contentType != ContentHtml && page.contentType != ContentXml
               && WebPictureKind(page.body) != TWebPictureKind::None);
}

// Plug-in strings are copied at once; a null pointer is empty text.
QByteArray AnsiOf(const char *text)
{
    return text ? QByteArray(text) : QByteArray();
}

} // namespace

// The exports of the loaded library; GetURL has a different signature per type.
struct TWebFlow::TExports
{
    explicit TExports(const TPluginLibrary &library)
        : getUrl(library.Resolve<void *>("GetURL"))
        , getLoginInfo(library.Resolve<TGetLoginInfoFunc>("GetLoginInfo"))
        , getReferrer(library.Resolve<TGetReferrerFunc>("GetReferrer"))
        , getSelectTitle(library.Resolve<TGetSelectTitleFunc>("GetSelectTitle"))
        , parse(library.Resolve<TParseWebFunc>("Parse"))
        , getResultsCount(library.Resolve<TGetResultsCountFunc>("GetResultsCount"))
        , getSelection(library.Resolve<TGetSelectionFunc>("GetSelection"))
        , getMovie(library.Resolve<TGetMovieFunc>("GetMovie"))
        , getHuman(library.Resolve<TGetHumanFunc>("GetHuman"))
        , setSelection(library.Resolve<TSetSelectionFunc>("SetSelection"))
        , getCurrentType(library.Resolve<TGetCurrentTypeFunc>("GetCurrentType"))
        , fetchFailed(library.Resolve<TFetchFailedFunc>("FetchFailed"))
    {}

    // What DownloadDone needs before it may handle a page of this type.
    bool HasRequired(int type) const
    {
        switch (type) {
        case RK_PLUGIN_MOVIE_INFO:
            return parse && getResultsCount && getSelection && getMovie && getUrl;
        case RK_PLUGIN_POSTER_IMPORT:
            return parse && getResultsCount && getSelection && getUrl;
        case RK_PLUGIN_COVER_IMPORT:
            return parse && getUrl && getSelection;
        case RK_PLUGIN_PEOPLE_IMPORT:
            return parse && getResultsCount && getSelection && getHuman && getUrl;
        default:
            return false;
        }
    }

    void *getUrl;
    TGetLoginInfoFunc getLoginInfo;
    TGetReferrerFunc getReferrer;
    TGetSelectTitleFunc getSelectTitle;
    TParseWebFunc parse;
    TGetResultsCountFunc getResultsCount;
    TGetSelectionFunc getSelection;
    TGetMovieFunc getMovie;
    TGetHumanFunc getHuman;
    TSetSelectionFunc setSelection;
    TGetCurrentTypeFunc getCurrentType;
    TFetchFailedFunc fetchFailed;
};

TDBItem *IWebFlowUi::CreateRecord(TVideoDatabase &db, TRecordKind kind)
{
    return db.AddRecord(kind == TRecordKind::Person ? 1 : 0, {}, true);
}

TWebFlow::TWebFlow(TPluginRegistry &registry,
                   IWebFlowUi &ui,
                   IWebFetcher &fetcher,
                   TPluginTextSource texts)
    : m_registry(registry)
    , m_ui(ui)
    , m_fetcher(fetcher)
    , m_texts(std::move(texts))
{}

TWebFlow::~TWebFlow()
{
    // No callback may reach a flow that is gone.
    m_fetcher.Stop();
}

QString TWebFlow::StripArticle(const QString &text, const QStringList &articles)
{
    for (const QString &article : articles) {
        if (article.isEmpty())
            continue;
        if (text.startsWith(article + u' '))
            return text.mid(article.size() + 1).trimmed();
        const qsizetype at = text.indexOf(article);
        if (at > 0 && at + article.size() == text.size() && text.at(at - 1) == u' ') {
            QString rest = text.left(at - 1);
            if (rest.endsWith(u','))
                rest.chop(1);
            return rest.trimmed();
        }
    }
    return text;
}

QByteArray TWebFlow::FillTemplate(const QByteArray &urlTemplate, const QByteArray &text)
{
    QByteArray url = urlTemplate;
    const qsizetype at = url.indexOf("%s");
    if (at >= 0)
        url.replace(at, 2, text);
    return url;
}

bool TWebFlow::Silent() const
{
    return m_registry.SilentMode();
}

QString TWebFlow::Text(int number) const
{
    const QString text = m_texts ? m_texts(number) : QString();
    return text.isEmpty() ? EnglishText(number) : text;
}

void TWebFlow::ShowBox(int captionNumber, const QString &text)
{
    m_ui.HideWait();
    if (!Silent())
        m_ui.ShowMessage(captionNumber == WebTextErrorCaption ? TMessageKind::Error
                                                              : TMessageKind::Information,
                         Text(captionNumber),
                         text);
}

void TWebFlow::Cancel()
{
    m_cancel = true;
    m_busy = -1;
    m_fetcher.Stop();
}

QList<TDBItem *> TWebFlow::RunBatch(int index, const QList<TDBItem *> &records)
{
    m_cancel = false;
    QList<TDBItem *> done;
    for (TDBItem *record : records) {
        if (m_cancel)
            break;
        if (!record)
            continue;
        m_ui.FocusRecord(*record);
        RunPlugin(index, record);
        done.append(record);
    }
    return done;
}

void TWebFlow::RunPlugin(int index, TDBItem *record)
{
    if (index < 0 || index >= m_registry.Count() || m_cancel || m_busy != -1 || !m_db)
        return;
    m_type = m_registry.Get(index).PluginType;
    if (!IsWebType(m_type))
        return;
    if (!m_library.Load(m_registry.LibraryPath(index)))
        return;
    TDBItem *focused = m_ui.FocusedRecord();
    m_record = record ? record : focused;
    if (!m_record || !FitsType(m_type, *m_record)) {
        m_library.Unload();
        m_record = nullptr;
        return;
    }
    m_exports = std::make_unique<TExports>(m_library);
    m_ui.ShowWait(Text(WebTextWait));
    m_ui.ProcessEvents();
    if (m_exports->getUrl) {
        m_busy = index;
        FetchFirst();
        while (!m_ui.Closing() && m_busy == index && !m_cancel) {
            m_ui.ProcessEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    // Nothing the plug-in handed out may arrive once it is unloaded.
    m_fetcher.Stop();
    m_busy = -1;
    m_exports.reset();
    m_library.Unload();
    m_record = nullptr;
    m_ui.HideWait();
}

QString TWebFlow::FirstSearchText(quint8 &mode) const
{
    if (m_type == RK_PLUGIN_PEOPLE_IMPORT) {
        const auto &person = static_cast<const TActor &>(*m_record);
        mode = person.Name().isEmpty() ? 1 : 0;
        return mode == 0 ? person.Name() : person.Transname();
    }
    const auto &movie = static_cast<const TBaseMovie &>(*m_record);
    if (!movie.Origtitle().isEmpty()) {
        mode = 0;
        return StripArticle(movie.Origtitle(), m_settings.prefixList);
    }
    mode = 1;
    return SecondSearchText();
}

QString TWebFlow::SecondSearchText() const
{
    if (m_type == RK_PLUGIN_PEOPLE_IMPORT)
        return static_cast<const TActor &>(*m_record).Transname();
    const auto &movie = static_cast<const TBaseMovie &>(*m_record);
    return StripArticle(movie.Title().isEmpty() ? movie.Origtitle() : movie.Title(),
                        m_settings.prefixList);
}

QByteArray TWebFlow::RecordUrls() const
{
    return ToAnsi(m_record->Url());
}

int TWebFlow::AskUrl(const QByteArray &recordUrls,
                     const QByteArray &searchText,
                     QByteArray &url) const
{
    const char *out = nullptr;
    int answer = 0;
    switch (m_type) {
    case RK_PLUGIN_COVER_IMPORT:
        answer = reinterpret_cast<TGetCoverURLFunc>(m_exports->getUrl)(
            recordUrls.constData(), &out, searchText.constData());
        break;
    case RK_PLUGIN_PEOPLE_IMPORT:
        answer =
            reinterpret_cast<TGetPeopleURLFunc>(m_exports->getUrl)(recordUrls.constData(), &out);
        break;
    default: {
        const int isEpisode = m_record->Kind() == TRecordKind::Episode ? 1 : 0;
        answer = reinterpret_cast<TGetURLFunc>(m_exports->getUrl)(
            isEpisode, recordUrls.constData(), &out);
    }
    }
    url = AnsiOf(out);
    return answer;
}

void TWebFlow::FetchFirst()
{
    const QString search = FirstSearchText(m_mode);
    const QByteArray ansiSearch = ToAnsi(search);
    QByteArray url;
    const int answer = AskUrl(RecordUrls(), ansiSearch, url);
    // A cover plug-in's -1 says it has nothing to fetch, as it does for its later covers.
    if (answer == -1 && m_type == RK_PLUGIN_COVER_IMPORT) {
        EndFlow();
        return;
    }
    if (answer != 0) {
        m_mode = 1;
        Fetch(url);
        return;
    }
    Fetch(FillTemplate(url, ansiSearch));
}

void TWebFlow::Fetch(const QByteArray &url, const QByteArray &cookies)
{
    if (m_cancel || m_busy == -1)
        return;
    m_fetchStarted = true;
    m_loginUrl.clear();
    m_postBody.clear();
    if (m_exports->getLoginInfo) {
        const char *login = nullptr;
        const char *body = nullptr;
        m_exports->getLoginInfo(&login, &body);
        m_loginUrl = AnsiOf(login);
        m_postBody = AnsiOf(body);
    }
    m_referrer = m_exports->getReferrer ? AnsiOf(m_exports->getReferrer()) : QByteArray();
    m_fetchUrl = url;
    m_fetcher.Start(
        {url, m_loginUrl, m_postBody, m_referrer, cookies},
        [this](const TWebPage &page) { DownloadDone(page); },
        [this](const QString &error) { DownloadFailed(error); });
}

void TWebFlow::WriteTestPage(const QByteArray &body) const
{
    // For plug-in writers: the last page as the plug-in saw it. Kept out of the program
    // folder, which may not be writable.
    if (m_settings.settingsFolder.isEmpty())
        return;
    QFile file(QDir(m_settings.settingsFolder).filePath(u"test.html"_s));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(body);
}

void TWebFlow::DownloadFailed(const QString &error)
{
    if (m_busy == -1)
        return;
    // A plug-in that can do without the page carries on instead.
    const bool records = m_type == RK_PLUGIN_MOVIE_INFO || m_type == RK_PLUGIN_PEOPLE_IMPORT;
    if (records && m_exports && m_exports->fetchFailed && m_record && m_library.IsLoaded()
        && m_exports->HasRequired(m_type)) {
        m_fetchStarted = false;
        const short outcome = m_exports->fetchFailed(m_fetchUrl.constData());
        if (outcome != 0) {
            if (m_type == RK_PLUGIN_MOVIE_INFO)
                HandleMovieOutcome(outcome, {});
            else
                HandlePeopleOutcome(outcome);
            if (!m_fetchStarted)
                EndFlow();
            return;
        }
    }
    QString text = Text(WebTextDownloadFailed);
    // The language table numbers its places ("%1"); the built-in texts use "%s".
    qsizetype at = text.indexOf(u"%s"_s);
    if (at < 0)
        at = text.indexOf(u"%1"_s);
    if (at >= 0)
        text.replace(at, 2, error);
    else
        text += u' ' + error;
    ShowBox(WebTextErrorCaption, text);
    EndFlow();
}

void TWebFlow::DownloadDone(const TWebPage &page)
{
    WriteTestPage(page.body);
    if (m_busy == -1 || !m_library.IsLoaded() || !m_exports || !m_record)
        return;
    m_fetchStarted = false;
    if (m_exports->HasRequired(m_type)) {
        switch (m_type) {
        case RK_PLUGIN_MOVIE_INFO:
            HandleMoviePage(page);
            break;
        case RK_PLUGIN_POSTER_IMPORT:
            HandlePosterPage(page);
            break;
        case RK_PLUGIN_COVER_IMPORT:
            HandleCoverPage(page);
            break;
        default:
            HandlePeoplePage(page);
            break;
        }
    }
    // A path that started no further fetch has ended the flow.
    if (!m_fetchStarted)
        EndFlow();
}

short TWebFlow::ParsePage(const TWebPage &page)
{
    const QString text = PageToWide(page.body, page.contentTypeHeader);
    return m_exports->parse(page.finalUrl.constData(),
                            reinterpret_cast<const char16_t *>(text.utf16()));
}

void TWebFlow::RefetchFromPlugin(const QByteArray &cookies)
{
    QByteArray url;
    if (AskUrl(RecordUrls(), {}, url) == -1 && m_type == RK_PLUGIN_COVER_IMPORT)
        return;
    Fetch(url, cookies);
}

void TWebFlow::HandleMoviePage(const TWebPage &page)
{
    HandleMovieOutcome(ParsePage(page), page.cookies);
}

void TWebFlow::HandleMovieOutcome(short outcome, const QByteArray &cookies)
{
    switch (outcome) {
    case RK_PARSE_DETAILS: {
        const int count = std::min(m_exports->getResultsCount(), MaxResults);
        const uint32_t mask = m_registry.Get(m_busy).OverwriteMask;
        for (int i = 0; i < count; ++i) {
            TMovieRec rec{};
            if (!m_exports->getMovie(i, &rec))
                continue;
            // Copied before anything else calls into the plug-in.
            const TWebMovie web = TWebMovie::FromRec(rec);
            if (count > 1) {
                TDBItem *created = m_ui.CreateRecord(*m_db, TRecordKind::Movie);
                if (!created)
                    return;
                m_record = created;
            }
            auto &movie = static_cast<TBaseMovie &>(*m_record);
            MergeMovie(movie, web, mask);
            m_ui.RecordChanged(movie);
            if (m_registry.AutoAddPeople())
                AddPeople(*m_db, web, m_settings.transNames);
        }
        return;
    }
    case RK_PARSE_RESULT_LIST:
        ChooseResult();
        return;
    case RK_PARSE_FETCH_AGAIN:
        RefetchFromPlugin(cookies);
        return;
    default:
        return;
    }
}

void TWebFlow::HandlePosterPage(const TWebPage &page)
{
    if (page.contentType != ContentHtml) {
        if (IsPicture(page))
            StorePicture(page);
        return;
    }
    switch (ParsePage(page)) {
    case RK_PARSE_RESULT_LIST:
        ChooseResult();
        return;
    case RK_PARSE_FETCH_AGAIN:
        RefetchFromPlugin({});
        return;
    default:
        return;
    }
}

void TWebFlow::HandleCoverPage(const TWebPage &page)
{
    if (page.contentType == ContentHtml || page.contentType == ContentXml) {
        switch (ParsePage(page)) {
        case RK_PARSE_RESULT_LIST:
            ChooseResult();
            return;
        case RK_PARSE_FETCH_AGAIN:
            RefetchFromPlugin({});
            return;
        default:
            return;
        }
    }
    if (!m_exports->getCurrentType || !IsPicture(page))
        return;
    StoreCover(page);
    // The next cover, if the plug-in has one (also after a picture that did not decode).
    QByteArray url;
    if (m_busy != -1 && AskUrl({}, {}, url) != -1) {
        m_mode = 1;
        Fetch(url);
    }
}

void TWebFlow::HandlePeoplePage(const TWebPage &page)
{
    if (page.contentType != ContentHtml) {
        if (IsPicture(page))
            StorePicture(page);
        return;
    }
    HandlePeopleOutcome(ParsePage(page));
}

void TWebFlow::HandlePeopleOutcome(short outcome)
{
    switch (outcome) {
    case RK_PARSE_DETAILS:
    case RK_PARSE_HUMANS_THEN_FETCH: {
        const int count = std::min(m_exports->getResultsCount(), MaxResults);
        const uint32_t mask = m_registry.Get(m_busy).OverwriteMask;
        bool merged = false;
        for (int i = 0; i < count; ++i) {
            THumanRec rec{};
            if (!m_exports->getHuman(i, &rec))
                continue;
            const TWebPerson web = TWebPerson::FromRec(rec);
            if (count > 1) {
                TDBItem *created = m_ui.CreateRecord(*m_db, TRecordKind::Person);
                if (!created)
                    return;
                m_record = created;
            }
            auto &person = static_cast<TActor &>(*m_record);
            MergePerson(person, web, mask);
            m_ui.RecordChanged(person);
            merged = true;
        }
        // Each record's fetch would replace the one before: only the last one's counts.
        if (outcome == RK_PARSE_HUMANS_THEN_FETCH && merged)
            RefetchFromPlugin({});
        return;
    }
    case RK_PARSE_RESULT_LIST:
        ChooseResult();
        return;
    case RK_PARSE_FETCH_AGAIN:
        RefetchFromPlugin({});
        return;
    default:
        return;
    }
}

void TWebFlow::ChooseResult()
{
    const int count = std::min(m_exports->getResultsCount(), MaxResults);
    const QByteArray referrer =
        m_exports->getReferrer ? AnsiOf(m_exports->getReferrer()) : QByteArray();
    if (count <= 0) {
        const QString fallback = SecondSearchText();
        if (m_mode == 0 && !fallback.isEmpty()) {
            const QByteArray ansi = ToAnsi(fallback);
            QByteArray url;
            if (AskUrl(RecordUrls(), ansi, url) != 0)
                return;
            m_mode = 1;
            Fetch(FillTemplate(url, ansi));
            return;
        }
        ShowBox(WebTextInformationCaption, Text(WebTextNothingFound));
        return;
    }

    const auto entryAt = [this](int index, TWebResultEntry &entry) {
        const char16_t *title = nullptr;
        const char *url = nullptr;
        const char *picture = nullptr;
        const char *browse = nullptr;
        if (!m_exports->getSelection(index, &title, &url, &picture, &browse))
            return false;
        entry = {FromPluginWide(title), AnsiOf(url), AnsiOf(picture), AnsiOf(browse), index};
        return true;
    };

    TWebResultEntry chosen;
    if (count == 1 || Silent()) {
        if (!entryAt(0, chosen))
            return;
        if (chosen.url.isEmpty()) {
            if (!chosen.browseUrl.isEmpty())
                m_ui.OpenUrl(FromAnsi(chosen.browseUrl));
            return;
        }
    } else {
        QList<TWebResultEntry> entries;
        // The contract's loop runs to the count itself; an index past the list answers false.
        for (int i = 0; i <= count && i < MaxResults; ++i) {
            TWebResultEntry entry;
            if (entryAt(i, entry))
                entries.append(entry);
        }
        if (entries.isEmpty())
            return;
        QString caption = m_exports->getSelectTitle
                              ? FromPluginWide(m_exports->getSelectTitle(m_settings.language))
                              : QString();
        if (caption.isEmpty())
            caption = Text(WebTextSelectCaption);
        m_ui.HideWait();
        const TResultChoice choice = m_ui.ChooseResult(caption, entries, referrer);
        if (choice.chosen && *choice.chosen >= 0 && *choice.chosen < entries.size()) {
            chosen = entries.at(*choice.chosen);
        } else {
            if (!choice.browseUrl.isEmpty())
                m_ui.OpenUrl(FromAnsi(choice.browseUrl));
            Cancel();
        }
        if (!m_cancel)
            m_ui.ShowWait(Text(WebTextWait));
        // The dialog kept the events flowing: the wait window's Cancel or a failed
        // download may have ended the flow meanwhile.
        if (m_cancel || m_busy == -1 || !choice.chosen)
            return;
    }
    if (m_type == RK_PLUGIN_COVER_IMPORT && m_exports->setSelection)
        m_exports->setSelection(chosen.pluginIndex);
    Fetch(chosen.url);
}

TImage TWebFlow::DecodePicture(const QByteArray &bytes)
{
    const TWebPictureKind kind = WebPictureKind(bytes);
    const TImage image = DecodeWebPicture(bytes);
    if (!image.IsNull())
        return image;
    if (kind == TWebPictureKind::None || kind == TWebPictureKind::Jpeg
        || kind == TWebPictureKind::Png)
        ShowBox(WebTextErrorCaption, Text(WebTextBadPicture));
    else
        ShowBox(WebTextErrorCaption,
                Text(WebTextPictureFormat).replace(u"%1"_s, WebPictureKindName(kind)));
    return image;
}

void TWebFlow::StorePicture(const TWebPage &page)
{
    const TImage image = DecodePicture(page.body);
    if (image.IsNull())
        return;
    m_record->SetPicture(
        &image, TImageFormat::Jpeg, {}, m_settings.externalPosters ? CoverFile : CoverJpeg);
    m_ui.RecordChanged(*m_record);
}

void TWebFlow::StoreCover(const TWebPage &page)
{
    const TImage image = DecodePicture(page.body);
    if (image.IsNull()) {
        // The box hid the wait window; the next cover still comes.
        m_ui.ShowWait(Text(WebTextWait));
        return;
    }
    auto &movie = static_cast<TBaseMovie &>(*m_record);
    const bool cd = (m_exports->getCurrentType() & 0xFF) != 0;
    const QString before = cd ? movie.Cdcover() : movie.Froncover();
    if (cd)
        movie.SaveCDCover(image, u".jpg"_s);
    else
        movie.SaveFrontCover(image, u".jpg"_s);
    // Saving a cover does not mark the catalog modified; a changed field must be saved.
    if ((cd ? movie.Cdcover() : movie.Froncover()) != before)
        m_db->SetModified(true);
    m_ui.RecordChanged(movie);
}
