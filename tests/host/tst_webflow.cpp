// The web flow with the real site plug-ins and the real downloads, on recorded pages
// served by a loopback server in place of the sites.
#include <vector>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include "catalog/image.h"
#include "catalog/movie.h"
#include "catalog/videodatabase.h"
#include "host/downloader.h"
#include "host/webfetcher.h"
#include "host/webflow.h"
#include "pluginfolder.h"
#include "tests/support/siteserver.h"

using namespace Qt::StringLiterals;

namespace {

// A Spanish result list: the site's marker, then one entry per film.
QByteArray SpanishList(const std::vector<std::pair<const char *, const char *>> &films)
{
    QByteArray page = "<html><body><span>Resultados por t\xedtulo</span>\n";
    for (const auto &[id, title] : films)
        page += QByteArray("<b><a href=\"/es/film") + id + ".html\">" + title + "</a></b>\n";
    return page + "</body></html>";
}

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
        m_server.RouteHosts(WebPluginHosts);
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
    TDownloader m_downloader;
    TDownloaderFetcher m_fetcher{m_downloader, {}};
    TPluginFolder m_folder;
    QTemporaryDir m_settingsDir;
    TPluginRegistry m_registry;
    TVideoDatabase m_db{QString()};
    TFakeUi m_ui;
    TWebFlow m_flow{m_registry, m_ui, m_fetcher};
};

TEST_F(WebFlowTest, RecordOnTheSiteFetchesItsPageDirectly)
{
    m_server.Page("/es/film809297.html", SitePage("a_movie.html"));
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
    m_server.Page("/es/film809297.html", SitePage("a_movie.html"));
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

TEST_F(WebFlowTest, PageTheSiteDoesNotHaveEndsTheFlowWithTheError)
{
    TMovie *movie = NewMovie(u"Gone"_s);

    m_flow.RunBatch(SpanishSite, {movie});

    EXPECT_EQ(m_server.Requests(), QStringList{u"/es/search.php|Gone"_s});
    ASSERT_EQ(m_ui.messages.size(), 1);
    EXPECT_TRUE(m_ui.messages[0].startsWith(u"Error: The download failed: "_s))
        << m_ui.messages[0].toStdString();
    EXPECT_TRUE(m_ui.messages[0].contains(u"404"_s)) << m_ui.messages[0].toStdString();
    EXPECT_EQ(m_flow.BusyIndex(), -1);
}

TEST_F(WebFlowTest, SilentModeTakesTheFirstHit)
{
    m_server.Page("/es/search.php|club", SitePage("a_results_1.html"));
    m_server.Page("/es/film809297.html", SitePage("a_movie.html"));
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
    m_server.Page("/es/search.php|club", SitePage("a_results_1.html"));
    m_server.Page("/es/film809297.html", SitePage("a_movie.html"));
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
                  SitePage("c_results.html"));
    m_server.Page("/Matrix-Keanu-Reeves/dp/B00004RE3Q/ref=sr_1_1", SitePage("c_product.html"));
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

TEST_F(WebFlowTest, CoverPluginWithNothingToFetchStopsQuietly)
{
    ASSERT_TRUE(m_folder.Add(TestPluginPath(u"testcover.so"_s), u"z.so"_s));
    m_registry.Discover(m_folder.Path(), RK_LANG_ENGLISH);
    ASSERT_EQ(m_registry.Count(), 4);
    ASSERT_EQ(m_registry.Get(3).PluginType, RK_PLUGIN_COVER_IMPORT);
    TMovie *movie = NewMovie(u"Matrix"_s);

    m_flow.RunBatch(3, {movie});

    EXPECT_TRUE(m_server.Requests().isEmpty());
    EXPECT_TRUE(m_ui.messages.isEmpty()) << m_ui.messages.join(u'\n').toStdString();
    EXPECT_EQ(m_flow.BusyIndex(), -1);
}

} // namespace
