// The web flow with the real site plug-ins on hand-made pages served by a loopback server.
#include <atomic>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <httplib.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include "catalog/ansi.h"
#include "catalog/image.h"
#include "catalog/movie.h"
#include "catalog/videodatabase.h"
#include "host/webflow.h"
#include "pluginfolder.h"

using namespace Qt::StringLiterals;

namespace {

// The pages are kept as UTF-8; the sites send Windows-1252 without saying so.
QByteArray Fixture(const char *name)
{
    QFile file(QStringLiteral(RK_WEBINFO_DATA_DIR "/") + QString::fromUtf8(name));
    if (!file.open(QIODevice::ReadOnly))
        ADD_FAILURE() << "missing fixture " << name;
    return ToAnsi(QString::fromUtf8(file.readAll()));
}

// A Spanish result list: the site's marker, then one entry per film.
QByteArray SpanishList(const std::vector<std::pair<const char *, const char *>> &films)
{
    QByteArray page = "<html><body><span>Resultados por t\xedtulo</span>\n";
    for (const auto &[id, title] : films)
        page += QByteArray("<b><a href=\"/es/film") + id + ".html\">" + title + "</a></b>\n";
    return page + "</body></html>";
}

// Serves pages by path, or by path and search text ("/es/search.php|Fight Club"), and
// keeps the requests in order.
class TSiteServer
{
public:
    TSiteServer()
    {
        m_server.Get(".*", [this](const httplib::Request &request, httplib::Response &response) {
            std::string key = request.path;
            for (const char *param : {"stext", "field-keywords", "q"}) {
                if (request.has_param(param))
                    key += "|" + request.get_param_value(param);
            }
            std::lock_guard lock(m_mutex);
            m_requests.push_back(QString::fromStdString(key));
            const auto page = m_pages.find(key);
            if (page == m_pages.end()) {
                response.status = 404;
                return;
            }
            response.set_content(page->second.first, page->second.second);
        });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        while (!m_server.is_running())
            std::this_thread::yield();
    }
    ~TSiteServer()
    {
        m_server.stop();
        m_thread.join();
    }
    void Page(const std::string &key, const QByteArray &body, const char *type = "text/html")
    {
        std::lock_guard lock(m_mutex);
        m_pages[key] = {body.toStdString(), type};
    }
    QStringList Requests()
    {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }
    int Port() const { return m_port; }

private:
    httplib::Server m_server;
    std::thread m_thread;
    int m_port = 0;
    std::mutex m_mutex;
    std::map<std::string, std::pair<std::string, std::string>> m_pages;
    QStringList m_requests;
};

// Fetches every address from the loopback server, whatever its host, on a thread of its
// own, and reports on the main thread like the real download worker.
class TLoopbackFetcher : public IWebFetcher
{
public:
    explicit TLoopbackFetcher(int port)
        : m_port(port)
    {}
    ~TLoopbackFetcher() override
    {
        Stop();
        for (std::thread &thread : m_threads)
            thread.join();
    }
    void Start(const TWebFetch &fetch, TDone done, TFailed failed) override
    {
        const int generation = ++m_generation;
        QByteArray path = fetch.url.mid(fetch.url.indexOf('/', fetch.url.indexOf("//") + 2));
        path.replace(' ', "%20");
        m_threads.emplace_back([=, this] {
            httplib::Client client("127.0.0.1", m_port);
            const auto result = client.Get(path.toStdString());
            TWebPage page;
            QString error;
            if (result && result->status == 200) {
                page.body = QByteArray::fromStdString(result->body);
                page.finalUrl = fetch.url;
                const std::string type = result->get_header_value("Content-Type");
                page.contentType = type.find("text/html") != std::string::npos    ? 1
                                   : type.find("image/jpeg") != std::string::npos ? 3
                                                                                  : 0;
            } else {
                error = u"HTTP error"_s;
            }
            QMetaObject::invokeMethod(
                qApp,
                [=, this] {
                    if (generation != m_generation)
                        return;
                    if (error.isEmpty())
                        done(page);
                    else
                        failed(error);
                },
                Qt::QueuedConnection);
        });
    }
    void Stop() override { ++m_generation; }

private:
    int m_port;
    std::atomic<int> m_generation = 0;
    std::vector<std::thread> m_threads;
};

// Records what the flow shows and answers the results dialog from a script.
class TFakeUi : public IWebFlowUi
{
public:
    void ShowWait(const QString &) override { ++waitShown; }
    void HideWait() override {}
    void ShowMessage(TMessageKind kind, const QString &caption, const QString &text) override
    {
        Q_UNUSED(kind);
        messages.append(caption + u": "_s + text);
    }
    TResultChoice ChooseResult(const QString &caption,
                               const QList<TWebResultEntry> &entries,
                               const QByteArray &) override
    {
        dialogs.append(caption);
        lastEntries = entries;
        if (answers.isEmpty())
            return {};
        return {answers.takeFirst(), {}};
    }
    void OpenUrl(const QString &url) override { opened.append(url); }
    TDBItem *FocusedRecord() override { return focused; }
    void FocusRecord(TDBItem &record) override { focused = &record; }
    void RecordChanged(TDBItem &) override { ++changes; }
    void ProcessEvents() override { QCoreApplication::processEvents(); }

    TDBItem *focused = nullptr;
    QList<std::optional<int>> answers;
    QStringList dialogs;
    QStringList messages;
    QStringList opened;
    QList<TWebResultEntry> lastEntries;
    int waitShown = 0;
    int changes = 0;
};

class WebFlowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.Add(QStringLiteral(RK_WEBINFOA_PATH), u"a.so"_s));
        ASSERT_TRUE(m_folder.Add(QStringLiteral(RK_WEBINFOC_PATH), u"c.so"_s));
        ASSERT_TRUE(m_folder.Add(TestPluginPath(u"testweb.so"_s), u"t.so"_s));
        m_registry.Discover(m_folder.Path(), RK_LANG_ENGLISH);
        ASSERT_EQ(m_registry.Count(), 3);
        m_flow.SetCatalog(&m_db);
        TWebFlowSettings settings;
        settings.prefixList = {u"The"_s, u"El"_s};
        settings.settingsFolder = m_settingsDir.path();
        m_flow.SetSettings(settings);
    }

    TMovie *NewMovie(const QString &origTitle, const QString &title = {})
    {
        auto *movie = static_cast<TMovie *>(m_db.AddRecord(0));
        movie->SetOrigtitle(origTitle);
        movie->SetTitle(title);
        return movie;
    }

    static constexpr int SpanishSite = 0;
    static constexpr int PosterShop = 1;
    static constexpr int SeveralPerPage = 2;

    TSiteServer m_server;
    TLoopbackFetcher m_fetcher{m_server.Port()};
    TPluginFolder m_folder;
    QTemporaryDir m_settingsDir;
    TPluginRegistry m_registry;
    TVideoDatabase m_db{QString(), nullptr, nullptr};
    TFakeUi m_ui;
    TWebFlow m_flow{m_registry, m_ui, m_fetcher};
};

TEST_F(WebFlowTest, RecordOnTheSiteFetchesItsPageDirectly)
{
    m_server.Page("/es/film809297.html", Fixture("a_movie.html"));
    TMovie *movie = NewMovie(u"Fight Club"_s);
    movie->SetUrl(u"http://www.filmaffinity.com/es/film809297.html"_s);
    m_ui.focused = movie;

    m_flow.RunBatch(SpanishSite, {movie});

    EXPECT_EQ(m_server.Requests(), QStringList{u"/es/film809297.html"_s});
    EXPECT_TRUE(m_ui.dialogs.isEmpty());
    EXPECT_EQ(movie->Title(), u"El club de la lucha"_s);
    EXPECT_EQ(m_flow.BusyIndex(), -1);
    // The last page is kept for plug-in writers beside the settings, not the program.
    EXPECT_TRUE(QFile::exists(m_settingsDir.filePath(u"test.html"_s)));
}

TEST_F(WebFlowTest, OriginalTitleFindsNothingThenTitleFindsOne)
{
    m_server.Page("/es/search.php|Fight Club", SpanishList({}));
    m_server.Page("/es/search.php|club de la lucha", SpanishList({{"809297", "El club"}}));
    m_server.Page("/es/film809297.html", Fixture("a_movie.html"));
    // Both searches leave out the article.
    TMovie *movie = NewMovie(u"The Fight Club"_s, u"El club de la lucha"_s);

    m_flow.RunBatch(SpanishSite, {movie});

    EXPECT_EQ(m_server.Requests(),
              QStringList({u"/es/search.php|Fight Club"_s,
                           u"/es/search.php|club de la lucha"_s,
                           u"/es/film809297.html"_s}));
    EXPECT_TRUE(m_ui.dialogs.isEmpty());
    EXPECT_TRUE(m_ui.messages.isEmpty());
    EXPECT_EQ(movie->Url(), u"http://www.filmaffinity.com/es/film809297.html"_s);
}

TEST_F(WebFlowTest, NothingFoundIsReportedUnlessSilent)
{
    m_server.Page("/es/search.php|Nada", SpanishList({}));
    TMovie *movie = NewMovie({}, u"Nada"_s);

    m_flow.RunBatch(SpanishSite, {movie});
    EXPECT_EQ(m_server.Requests().size(), 1);
    EXPECT_EQ(m_ui.messages, QStringList{u"Information: Nothing was found."_s});

    m_registry.SetSilentMode(true);
    m_flow.RunBatch(SpanishSite, {movie});
    EXPECT_EQ(m_server.Requests().size(), 2);
    EXPECT_EQ(m_ui.messages.size(), 1);
}

TEST_F(WebFlowTest, SilentModeTakesTheFirstHit)
{
    m_server.Page("/es/search.php|club", Fixture("a_results_1.html"));
    m_server.Page("/es/film809297.html", Fixture("a_movie.html"));
    m_registry.SetSilentMode(true);
    TMovie *movie = NewMovie(u"club"_s);

    m_flow.RunBatch(SpanishSite, {movie});

    EXPECT_TRUE(m_ui.dialogs.isEmpty());
    EXPECT_EQ(m_server.Requests().last(), u"/es/film809297.html"_s);
    EXPECT_EQ(movie->Title(), u"El club de la lucha"_s);
}

TEST_F(WebFlowTest, PageWithTwoMoviesAddsTwoNewOnes)
{
    m_server.Page("/find|Pair", "movie First\nmovie Second\n");
    TMovie *movie = NewMovie(u"Pair"_s);

    m_flow.RunBatch(SeveralPerPage, {movie});

    ASSERT_EQ(m_db.MovieCount(), 3);
    QStringList titles;
    for (int i = 0; i < m_db.MovieCount(); ++i)
        titles.append(m_db.Movie(i)->Title());
    titles.sort();
    EXPECT_EQ(titles, QStringList({QString(), u"First"_s, u"Second"_s}));
    EXPECT_TRUE(movie->Title().isEmpty());
    EXPECT_TRUE(movie->Url().isEmpty());
}

TEST_F(WebFlowTest, CancelInTheDialogStopsTheBatchAfterTheCurrentRecord)
{
    m_server.Page("/es/search.php|club", Fixture("a_results_1.html"));
    m_server.Page("/es/film809297.html", Fixture("a_movie.html"));
    QList<TDBItem *> batch;
    for (int i = 0; i < 5; ++i)
        batch.append(NewMovie(u"club"_s));
    m_ui.answers = {0, std::nullopt};

    const QList<TDBItem *> done = m_flow.RunBatch(SpanishSite, batch);

    EXPECT_EQ(done, batch.mid(0, 2));
    EXPECT_EQ(m_ui.dialogs.size(), 2);
    EXPECT_EQ(m_ui.lastEntries.size(), 3);
    EXPECT_EQ(static_cast<TMovie *>(batch[0])->Title(), u"El club de la lucha"_s);
    EXPECT_TRUE(static_cast<TMovie *>(batch[1])->Title().isEmpty());
    EXPECT_EQ(m_server.Requests().size(), 3);
}

TEST_F(WebFlowTest, PosterComesThroughTheProductPage)
{
    m_server.Page("/exec/obidos/search-handle-url/index=dvd&field-keywords=Matrix",
                  Fixture("c_results.html"));
    m_server.Page("/Matrix-Keanu-Reeves/dp/B00004RE3Q/ref=sr_1_1", Fixture("c_product.html"));
    m_server.Page("/images/P/B00004RE3Q.03._S300S500_.jpg", TImage(8, 6).ToJpeg(), "image/jpeg");
    TMovie *movie = NewMovie(u"Matrix"_s);
    m_ui.answers = {0};

    m_flow.RunBatch(PosterShop, {movie});

    ASSERT_EQ(m_ui.dialogs.size(), 1);
    EXPECT_EQ(m_ui.lastEntries.size(), 3);
    EXPECT_FALSE(m_ui.lastEntries[0].pictureUrl.isEmpty());
    EXPECT_EQ(movie->Picture().Width(), 8);
    EXPECT_TRUE(m_ui.messages.isEmpty()) << m_ui.messages.join(u'\n').toStdString();
}

} // namespace
