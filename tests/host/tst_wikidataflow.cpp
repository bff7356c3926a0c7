// The Wikidata movie plug-in through the real downloads and the real web flow, on
// recorded answers of the search API and the query service served by a loopback server.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "catalog/actor.h"
#include "catalog/image.h"
#include "catalog/movie.h"
#include "catalog/videodatabase.h"
#include "host/downloader.h"
#include "host/webfetcher.h"
#include "host/webflow.h"
#include "pluginfolder.h"
#include "tests/support/fakeprogram.h"
#include "tests/support/siteserver.h"

using namespace Qt::StringLiterals;

namespace {

constexpr const char *Json = "application/json; charset=utf-8";
constexpr const char *SparqlJson = "application/sparql-results+json";

QByteArray Answer(const char *name)
{
    QFile file(QStringLiteral(RK_OPENDATA_DATA_DIR "/") + QString::fromUtf8(name));
    if (!file.open(QIODevice::ReadOnly))
        ADD_FAILURE() << "missing recorded answer " << name;
    return file.readAll();
}

class TFakeUi : public IWebFlowUi
{
public:
    void ShowWait(const QString &) override {}
    void HideWait() override {}
    void ShowMessage(TMessageKind, const QString &caption, const QString &text) override
    {
        messages.append(caption + u": "_s + text);
    }
    TResultChoice ChooseResult(const QString &caption,
                               const QList<TWebResultEntry> &entries,
                               const QByteArray &) override
    {
        lastCaption = caption;
        lastEntries = entries;
        return {choice, {}};
    }
    void OpenUrl(const QString &) override {}
    TDBItem *FocusedRecord() override { return focused; }
    void FocusRecord(TDBItem &record) override { focused = &record; }
    void RecordChanged(TDBItem &) override {}
    void ProcessEvents() override { QCoreApplication::processEvents(); }

    TDBItem *focused = nullptr;
    std::optional<int> choice;
    QStringList messages;
    QList<TWebResultEntry> lastEntries;
    QString lastCaption;
};

class WikidataFlowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qputenv("LC_ALL", "en_US.UTF-8");
        m_server.RouteHosts(WikidataHosts);
        ASSERT_TRUE(m_folder.Add(QStringLiteral(RK_WEBINFOD_PATH), u"webinfod.so"_s));
        ASSERT_TRUE(m_folder.Add(QStringLiteral(RK_WEBINFOP_PATH), u"webinfop.so"_s));
        ASSERT_TRUE(m_folder.Add(QStringLiteral(RK_WEBINFOQ_PATH), u"webinfoq.so"_s));
        m_registry.Discover(m_folder.Path(), RK_LANG_ENGLISH);
        ASSERT_EQ(m_registry.Count(), 3);
        for (int i = 0; i < m_registry.Count(); ++i) {
            const int type = m_registry.Get(i).PluginType;
            (type == RK_PLUGIN_MOVIE_INFO      ? m_movies
             : type == RK_PLUGIN_PEOPLE_IMPORT ? m_people
                                               : m_posters) = i;
        }
        m_flow.SetCatalog(&m_db);
    }
    void TearDown() override { qunsetenv("LC_ALL"); }

    TMovie *Run(const QString &title, const QString &url = {})
    {
        auto *movie = static_cast<TMovie *>(m_db.AddRecord(0));
        movie->SetTitle(title);
        movie->SetUrl(url);
        m_flow.RunBatch(m_movies, {movie});
        return movie;
    }

    int m_movies = 0;
    int m_people = 0;
    int m_posters = 0;

    TSiteServer m_server;
    TDownloader m_downloader;
    TDownloaderFetcher m_fetcher{m_downloader, {}};
    TPluginFolder m_folder;
    TPluginRegistry m_registry;
    TVideoDatabase m_db{QString()};
    TFakeUi m_ui;
    TWebFlow m_flow{m_registry, m_ui, m_fetcher};
};

TEST_F(WikidataFlowTest, SearchChooseAndFill)
{
    m_server.Page("/w/api.php~Fight Club haswbstatement", Answer("search_fight_club.json"), Json);
    m_server.Page("/sparql~VALUES ?item", Answer("list_fight_club.json"), SparqlJson);
    m_server.Page("/sparql~wd:Q190050}", Answer("film_fight_club.json"), SparqlJson);
    m_ui.choice = 0;

    TMovie *movie = Run(u"Fight Club"_s);

    ASSERT_EQ(m_ui.lastEntries.size(), 2);
    EXPECT_EQ(m_ui.lastCaption, u"Select a movie on Wikidata"_s);
    // Earliest year; the entry without a label shows its id, its description without tags.
    EXPECT_EQ(m_ui.lastEntries[0].title, u"Fight Club (1999) - 1999 film by David Fincher"_s);
    // References are the results dialog's to decode.
    EXPECT_EQ(m_ui.lastEntries[1].title, u"Q3067316 - television series &amp; more"_s);
    EXPECT_TRUE(m_ui.messages.isEmpty()) << m_ui.messages.join(u'\n').toStdString();
    EXPECT_EQ(movie->Year(), 1999);
    EXPECT_EQ(movie->Director(), u"David Fincher"_s);
    // Cast without a label keeps its id rather than vanishing.
    EXPECT_EQ(movie->Actors(), u"Edward Norton, Brad Pitt, Helena Bonham Carter, Q7382012"_s);
    EXPECT_EQ(movie->Genre(), u"drama film / thriller film"_s);
    EXPECT_EQ(movie->Country(), u"United States, Germany"_s);
    EXPECT_EQ(movie->Description(), u"1999 film by David Fincher\r\n\r\nIMDb: tt0137523"_s);
    EXPECT_TRUE(movie->Url().contains(u"https://www.wikidata.org/wiki/Q190050"_s));
    EXPECT_EQ(m_server.Requests().size(), 3);
}

TEST_F(WikidataFlowTest, OneHitInTheUsersLanguageNeedsNoList)
{
    qputenv("LC_ALL", "de_DE.UTF-8");
    // The host sends the title as Windows-1252; the plug-in asks again in UTF-8.
    m_server.Page("/w/api.php~Am\xE9lie", Answer("search_none.json"), Json);
    m_server.Page("/w/api.php~Amélie haswbstatement", Answer("search_amelie.json"), Json);
    m_server.Page("/sparql~wd:Q484048}", Answer("film_amelie.json"), SparqlJson);

    TMovie *movie = Run(u"Amélie"_s);

    EXPECT_TRUE(m_ui.lastEntries.isEmpty());
    EXPECT_TRUE(m_ui.messages.isEmpty()) << m_ui.messages.join(u'\n').toStdString();
    EXPECT_EQ(movie->Title(), u"Amélie"_s); // the user's own title stays
    // The title in the film's language first, the other one as alternative title.
    EXPECT_EQ(movie->Origtitle(), u"Le Fabuleux Destin d'Amélie Poulain"_s);
    EXPECT_EQ(movie->Aka(), u"Amelie"_s);
    EXPECT_EQ(movie->Year(), 2001);
    EXPECT_EQ(movie->Actors(), u"Audrey Tautou, Mathieu Kassovitz"_s);
    EXPECT_EQ(movie->Country(), u"Frankreich"_s);
    EXPECT_EQ(movie->Description(), u"Film von Jean-Pierre Jeunet (2001)"_s);
    EXPECT_EQ(m_server.Requests().size(), 3);
}

TEST_F(WikidataFlowTest, KnownItemIsFetchedDirectly)
{
    m_server.Page("/sparql~wd:Q190050}", Answer("film_fight_club.json"), SparqlJson);

    TMovie *movie = Run(u"Fight Club"_s, u"https://www.wikidata.org/wiki/Q190050"_s);

    EXPECT_EQ(m_server.Requests().size(), 1);
    EXPECT_EQ(movie->Director(), u"David Fincher"_s);
}

// Configure keeps the choice of a dialog program; the lead paragraph then replaces the
// item's description, which stays when the paragraph's request fails.
TEST_F(WikidataFlowTest, LeadParagraphAsDescriptionWhereConfigured)
{
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
    {
        const TFakeProgram kdialog(dir.filePath(u"bin"_s), u"kdialog"_s, "echo lead\n");
        ASSERT_TRUE(kdialog.Ok());
        EXPECT_TRUE(m_registry.Get(m_movies).CanConfig);
        EXPECT_TRUE(m_registry.Configure(m_movies, nullptr));
    }
    m_server.Page("/sparql~wd:Q190050}", Answer("film_fight_club.json"), SparqlJson);
    const QString item = u"https://www.wikidata.org/wiki/Q190050"_s;

    TMovie *failed = Run(u"Fight Club"_s, item);
    m_server.Page("/w/api.php",
                  R"({"query":{"pages":{"1":{"title":"Fight Club","extract":)"
                  R"("Fight Club is a 1999 film.\nIt stars Brad Pitt."}}}})",
                  Json);
    TMovie *lead = Run(u"Fight Club"_s, item);
    qunsetenv("XDG_CONFIG_HOME");

    EXPECT_TRUE(m_ui.messages.isEmpty()) << m_ui.messages.join(u'\n').toStdString();
    EXPECT_EQ(failed->Description(), u"1999 film by David Fincher\r\n\r\nIMDb: tt0137523"_s);
    EXPECT_EQ(lead->Description(),
              u"Fight Club is a 1999 film. It stars Brad Pitt.\r\n\r\nIMDb: tt0137523"_s);
    EXPECT_EQ(lead->Director(), u"David Fincher"_s);
    EXPECT_EQ(m_server.Requests().size(), 4);
}

TEST_F(WikidataFlowTest, PersonThenPhoto)
{
    m_server.Page("/w/api.php~Brad Pitt haswbstatement:P31=Q5", Answer("search_person.json"), Json);
    m_server.Page("/sparql~wd:Q35332}", Answer("person_brad_pitt.json"), SparqlJson);
    m_server.Page("/w/api.php", Answer("extract_brad_pitt.json"), Json); // the article's lead
    m_server.Page("/wiki/Special:FilePath/Brad Pitt 2019 by Glenn Francis.jpg",
                  TImage(4, 5).ToJpeg(),
                  "image/jpeg");
    auto *person = static_cast<TActor *>(m_db.AddRecord(1));
    person->SetName(u"Brad Pitt"_s);

    m_flow.RunBatch(m_people, {person});

    EXPECT_TRUE(m_ui.messages.isEmpty()) << m_ui.messages.join(u'\n').toStdString();
    EXPECT_EQ(person->Altnames(), u"William Bradley Pitt"_s);
    EXPECT_EQ(person->Birthday(), 23363.0); // 1963-12-18
    EXPECT_EQ(person->Birthplace(), u"Shawnee"_s);
    EXPECT_EQ(person->Category(), u"film actor, film producer, Q99999999"_s);
    EXPECT_EQ(person->Bio(),
              u"William Bradley Pitt (born December 18, 1963) is an American actor and film "
              "producer. He has received various accolades."_s);
    EXPECT_EQ(person->Picture().Width(), 4);
    EXPECT_EQ(m_server.Requests().size(), 4);
}

struct TFailureCase
{
    const char *Name;
    QByteArray Body; // empty: the service answers 404
    const char *Type;
    const char *Message;
};

void PrintTo(const TFailureCase &c, std::ostream *os)
{
    *os << c.Name;
}

// Without the article's lead paragraph the item's description is the biography, and the
// photo still comes.
class WikidataBiographyTest : public WikidataFlowTest,
                              public testing::WithParamInterface<TFailureCase>
{};

TEST_P(WikidataBiographyTest, FallsBackToTheDescription)
{
    m_server.Page("/w/api.php~Brad Pitt haswbstatement:P31=Q5", Answer("search_person.json"), Json);
    m_server.Page("/sparql~wd:Q35332}", Answer("person_brad_pitt.json"), SparqlJson);
    if (!GetParam().Body.isEmpty())
        m_server.Page("/w/api.php", GetParam().Body, GetParam().Type);
    m_server.Page("/wiki/Special:FilePath/Brad Pitt 2019 by Glenn Francis.jpg",
                  TImage(4, 5).ToJpeg(),
                  "image/jpeg");
    auto *person = static_cast<TActor *>(m_db.AddRecord(1));
    person->SetName(u"Brad Pitt"_s);

    m_flow.RunBatch(m_people, {person});

    EXPECT_TRUE(m_ui.messages.isEmpty()) << m_ui.messages.join(u'\n').toStdString();
    EXPECT_EQ(person->Bio(), u"American actor (born 1963)"_s);
    EXPECT_EQ(person->Birthplace(), u"Shawnee"_s);
    EXPECT_EQ(person->Picture().Width(), 4);
    EXPECT_EQ(m_flow.BusyIndex(), -1);
}

INSTANTIATE_TEST_SUITE_P(
    Extracts,
    WikidataBiographyTest,
    testing::Values(
        TFailureCase{"httpError", {}, Json, ""},
        TFailureCase{"missingArticle",
                     R"({"query":{"pages":{"-1":{"ns":0,"title":"Brad Pitt","missing":""}}}})",
                     Json,
                     ""},
        TFailureCase{"notJson", "<html><body>Too many requests</body></html>", "text/html", ""}),
    [](const auto &info) { return std::string(info.param.Name); });

TEST_F(WikidataFlowTest, PosterBeforeImageWithPreviews)
{
    m_server.Page("/w/api.php~Fight Club haswbstatement", Answer("search_fight_club.json"), Json);
    m_server.Page("/sparql~wdt:P3383", Answer("posters_fight_club.json"), SparqlJson);
    m_server.Page(
        "/wiki/Special:FilePath/Fight Club poster.jpg", TImage(6, 9).ToJpeg(), "image/jpeg");
    auto *movie = static_cast<TMovie *>(m_db.AddRecord(0));
    movie->SetTitle(u"Fight Club"_s);
    m_ui.choice = 0;

    m_flow.RunBatch(m_posters, {movie});

    ASSERT_EQ(m_ui.lastEntries.size(), 2);
    EXPECT_EQ(m_ui.lastEntries[0].title, u"Fight Club (1999)"_s);
    EXPECT_EQ(m_ui.lastEntries[0].url,
              "https://commons.wikimedia.org/wiki/Special:FilePath/Fight%20Club%20poster.jpg"
              "?width=600");
    EXPECT_TRUE(m_ui.lastEntries[1].pictureUrl.endsWith("series.jpg?width=120"));
    EXPECT_TRUE(m_ui.messages.isEmpty()) << m_ui.messages.join(u'\n').toStdString();
    EXPECT_EQ(movie->Picture().Width(), 6);
}

// The chosen poster's answer: Commons scales SVG files to PNG, and the type a server names
// need not be the file it sends.
struct TPictureCase
{
    const char *Name;
    const char *File;
    QByteArray Body;
    const char *Type;
    int Width; // 0: no picture, and a box saying `Message`
    const char *Message;
};

void PrintTo(const TPictureCase &c, std::ostream *os)
{
    *os << c.Name;
}

class WikidataPictureTest : public WikidataFlowTest,
                            public testing::WithParamInterface<TPictureCase>
{};

TEST_P(WikidataPictureTest, StoresJpegAndPngAndNamesOtherFormats)
{
    const TPictureCase &c = GetParam();
    m_server.Page("/w/api.php~Fight Club haswbstatement", Answer("search_fight_club.json"), Json);
    m_server.Page("/sparql~wdt:P3383",
                  Answer("posters_fight_club.json").replace("Fight%20Club%20poster.jpg", c.File),
                  SparqlJson);
    m_server.Page("/wiki/Special:FilePath/" + std::string(c.File), c.Body, c.Type);
    auto *movie = static_cast<TMovie *>(m_db.AddRecord(0));
    movie->SetTitle(u"Fight Club"_s);
    m_ui.choice = 0;

    m_flow.RunBatch(m_posters, {movie});

    ASSERT_FALSE(m_ui.lastEntries.isEmpty());
    EXPECT_TRUE(m_ui.lastEntries[0].url.endsWith(QByteArray(c.File) + "?width=600"));
    EXPECT_EQ(movie->Picture().Width(), c.Width);
    if (c.Width > 0) {
        EXPECT_TRUE(m_ui.messages.isEmpty()) << m_ui.messages.join(u'\n').toStdString();
    } else {
        ASSERT_EQ(m_ui.messages.size(), 1);
        EXPECT_TRUE(m_ui.messages[0].contains(QString::fromUtf8(c.Message)))
            << m_ui.messages[0].toStdString();
    }
    EXPECT_EQ(m_flow.BusyIndex(), -1);
}

INSTANTIATE_TEST_SUITE_P(
    Answers,
    WikidataPictureTest,
    testing::Values(
        TPictureCase{
            "svgRenderedAsPng", "Poster.svg", Answer("poster_rendered.png"), "image/png", 7, ""},
        TPictureCase{
            "pngSentAsJpeg", "Poster.png", Answer("poster_rendered.png"), "image/jpeg", 7, ""},
        TPictureCase{"truncatedPng",
                     "Poster.png",
                     Answer("poster_rendered.png").left(60),
                     "image/png",
                     0,
                     "cannot be read"},
        TPictureCase{"gif",
                     "Poster.gif",
                     "GIF89a\x01\x00\x01\x00\x00\x00\x00;"_ba,
                     "image/gif",
                     0,
                     "in GIF format"},
        TPictureCase{"webp",
                     "Poster.webp",
                     "RIFF\x1A\x00\x00\x00WEBPVP8 "_ba,
                     "image/webp",
                     0,
                     "in WebP format"},
        TPictureCase{"svgItself",
                     "Poster.svg",
                     "<?xml version=\"1.0\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\"/>",
                     "image/svg+xml",
                     0,
                     "in SVG format"}),
    [](const auto &info) { return std::string(info.param.Name); });

class WikidataFailureTest : public WikidataFlowTest,
                            public testing::WithParamInterface<TFailureCase>
{};

TEST_P(WikidataFailureTest, EndsWithTheBoxAndLeavesTheRecord)
{
    if (!GetParam().Body.isEmpty())
        m_server.Page("/w/api.php~Nothing", GetParam().Body, GetParam().Type);

    TMovie *movie = Run(u"Nothing"_s);

    ASSERT_EQ(m_ui.messages.size(), 1);
    EXPECT_TRUE(m_ui.messages[0].contains(QString::fromUtf8(GetParam().Message)))
        << m_ui.messages[0].toStdString();
    EXPECT_EQ(movie->Origtitle(), QString());
    EXPECT_EQ(m_flow.BusyIndex(), -1);
}

INSTANTIATE_TEST_SUITE_P(
    Answers,
    WikidataFailureTest,
    testing::Values(
        TFailureCase{"noResults", Answer("search_none.json"), Json, "Nothing was found."},
        TFailureCase{"notJson",
                     "<html><body>Service unavailable</body></html>",
                     "text/html",
                     "Nothing was found."},
        TFailureCase{"httpError", {}, Json, "The download failed"}),
    [](const auto &info) { return std::string(info.param.Name); });

} // namespace
