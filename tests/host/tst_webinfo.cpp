// The internet-information plug-ins webinfoa, webinfob and webinfoc through their C
// exports, loaded by the host's loader, on hand-made pages of their sites.
#include <cstring>
#include <map>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include <QFile>
#include <QString>

#include "host/pluginlibrary.h"

using namespace Qt::StringLiterals;

// Readable failure messages (found by argument-dependent lookup, so not in the
// anonymous namespace).
static void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

constexpr const char *PathA = RK_WEBINFOA_PATH;
constexpr const char *PathB = RK_WEBINFOB_PATH;
constexpr const char *PathC = RK_WEBINFOC_PATH;
constexpr const char *PathD = RK_WEBINFOD_PATH;

QString Fixture(const char *name)
{
    QFile file(QStringLiteral(RK_WEBINFO_DATA_DIR "/") + QString::fromUtf8(name));
    if (!file.open(QIODevice::ReadOnly))
        ADD_FAILURE() << "missing fixture " << name;
    return QString::fromUtf8(file.readAll());
}

// The text fields of a TMovieRec that are not empty, plus its numbers, so that one
// comparison checks both what a page filled and that nothing else was.
using TFields = std::map<std::string, QString>;

TFields FieldsOf(const TMovieRec &movie)
{
    const std::pair<const char *, const char16_t *> texts[] = {
        {"Title", movie.Title},
        {"OrigTitle", movie.OrigTitle},
        {"Aka", movie.Aka},
        {"Genre", movie.Genre},
        {"Director", movie.Director},
        {"DirectorURLs", movie.DirectorURLs},
        {"Producer", movie.Producer},
        {"ProducerURLs", movie.ProducerURLs},
        {"Scenario", movie.Scenario},
        {"ScenarioURLs", movie.ScenarioURLs},
        {"Music", movie.Music},
        {"MusicURLs", movie.MusicURLs},
        {"Actors", movie.Actors},
        {"ActorURLs", movie.ActorURLs},
        {"Country", movie.Country},
        {"Studio", movie.Studio},
        {"MPAA", movie.MPAA},
        {"RatingName", movie.RatingName},
        {"Tags", movie.Tags},
        {"Tagline", movie.Tagline},
        {"Description", movie.Description},
        {"Awards", movie.Awards},
        {"Links", movie.Links},
        {"URL", movie.URL},
        {"Features", movie.Features},
    };
    TFields fields;
    for (const auto &[name, text] : texts) {
        if (!text) // every field is set, never left null
            fields[name] = u"<null>"_s;
        else if (*text)
            fields[name] = QString::fromUtf16(text);
    }
    if (movie.Year != 0)
        fields["Year"] = QString::number(movie.Year);
    if (movie.Duration != 0)
        fields["Duration"] = QString::number(movie.Duration);
    if (const double rating = RkExtendedToDouble(&movie.Rating); rating != 0)
        fields["Rating"] = QString::number(rating);
    return fields;
}

struct TEntry
{
    QString title;
    QString url;
    QString picture;
    bool operator==(const TEntry &) const = default;
};

void PrintTo(const TEntry &entry, std::ostream *os)
{
    *os << '{' << entry.title.toStdString() << ", " << entry.url.toStdString() << ", "
        << entry.picture.toStdString() << '}';
}

// One plug-in library, loaded for the test that creates it (so its state starts empty).
class TWebPlugin
{
public:
    explicit TWebPlugin(const char *path)
        : m_library(QString::fromUtf8(path))
    {
        EXPECT_TRUE(m_library.IsLoaded()) << m_library.ErrorString().toStdString();
        m_parse = m_library.Resolve<TParseWebFunc>("Parse");
        m_count = m_library.Resolve<TGetResultsCountFunc>("GetResultsCount");
        m_selection = m_library.Resolve<TGetSelectionFunc>("GetSelection");
        m_movie = m_library.Resolve<TGetMovieFunc>("GetMovie");
        m_url = m_library.Resolve<TGetURLFunc>("GetURL");
    }

    const TPluginLibrary &Library() const { return m_library; }
    int Parse(const QString &page, const char *url = "http://example.org/page")
    {
        return m_parse(url, reinterpret_cast<const char16_t *>(page.utf16()));
    }
    int Count() const { return m_count(); }
    TFields Movie() const
    {
        TMovieRec movie{};
        EXPECT_EQ(m_movie(0, &movie), -1);
        return FieldsOf(movie);
    }
    TMovieRec RawMovie() const
    {
        TMovieRec movie{};
        m_movie(0, &movie);
        return movie;
    }
    // The entries GetSelection gives for indexes 0 .. count - 1.
    QList<TEntry> Entries() const
    {
        QList<TEntry> entries;
        for (int i = 0; i < Count(); ++i) {
            const char16_t *title = nullptr;
            const char *url = nullptr;
            const char *picture = nullptr;
            const char *browse = nullptr;
            EXPECT_EQ(m_selection(i, &title, &url, &picture, &browse), -1) << i;
            EXPECT_STREQ(browse, "");
            entries.append({FromPluginWide(title), FromPluginAnsi(url), FromPluginAnsi(picture)});
        }
        return entries;
    }
    // GetSelection's answer for an index, with all four outputs, which must be empty when
    // the answer is false.
    int Selection(int index, TEntry &entry) const
    {
        const char16_t *title = u"junk";
        const char *url = "junk";
        const char *picture = "junk";
        const char *browse = "junk";
        const int answer = m_selection(index, &title, &url, &picture, &browse);
        entry = {FromPluginWide(title), FromPluginAnsi(url), FromPluginAnsi(picture)};
        EXPECT_STREQ(browse, "");
        return answer;
    }
    std::pair<int, QString> Url(const char *recordUrls) const
    {
        const char *out = nullptr;
        const int answer = m_url(0, recordUrls, &out);
        return {answer, FromPluginAnsi(out)};
    }

private:
    TPluginLibrary m_library;
    TParseWebFunc m_parse = nullptr;
    TGetResultsCountFunc m_count = nullptr;
    TGetSelectionFunc m_selection = nullptr;
    TGetMovieFunc m_movie = nullptr;
    TGetURLFunc m_url = nullptr;
};

// --- Identity and handshake through the host's discovery -------------------------------

// What a library answers; descriptions by language code, 9 standing for all others.
struct TIdentityCase
{
    const char *path;
    int type;
    QString name;
    QString version;
    int language;
    std::map<int, QString> descriptions;
    bool hasAbout;
};

void PrintTo(const TIdentityCase &c, std::ostream *os)
{
    *os << c.name.toStdString();
}

class WebInfoIdentity : public ::testing::TestWithParam<TIdentityCase>
{};

TEST_P(WebInfoIdentity, DiscoveryReadsTheConstantAnswers)
{
    const TIdentityCase &c = GetParam();
    for (const int lang : std::initializer_list<int>{RK_LANG_GERMAN,
                                                     RK_LANG_ENGLISH,
                                                     RK_LANG_SPANISH,
                                                     RK_LANG_ITALIAN,
                                                     RK_LANG_RUSSIAN,
                                                     0}) {
        SCOPED_TRACE(lang);
        TPluginInfo info;
        ASSERT_EQ(DiscoverPlugin(QString::fromUtf8(c.path), lang, 9006, info),
                  TDiscovery::Accepted);
        EXPECT_EQ(info.type, c.type);
        EXPECT_EQ(info.name, c.name);
        const auto described = c.descriptions.find(lang);
        EXPECT_EQ(info.description,
                  (described != c.descriptions.end() ? described : c.descriptions.find(9))->second);
        // The about text has no Spanish version.
        const int aboutLang = lang == RK_LANG_GERMAN || lang == RK_LANG_RUSSIAN ? lang : 9;
        EXPECT_EQ(info.about,
                  c.hasAbout ? c.descriptions.at(aboutLang) + u"\r\n\r\nReelkeep plug-in"_s
                             : QString());
        EXPECT_EQ(info.pluginVersion, c.version);
        EXPECT_EQ(info.language, c.language);
        EXPECT_EQ(info.versionSupported, 9005);
        EXPECT_FALSE(info.canConfig);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Plugins,
    WebInfoIdentity,
    ::testing::Values(
        TIdentityCase{
            PathA,
            RK_PLUGIN_MOVIE_INFO,
            u"FilmAffinity [ES]"_s,
            u"0.2.2"_s,
            RK_LANG_SPANISH,
            {{7, u"Filminformationen von FilmAffinity (filmaffinity.com) holen"_s},
             {10, u"Obtener información de películas de FilmAffinity (filmaffinity.com)"_s},
             {25, u"Получить информацию о фильме с FilmAffinity (filmaffinity.com)"_s},
             {9, u"Get Movie Information from FilmAffinity (filmaffinity.com)"_s}},
            true},
        TIdentityCase{PathB,
                      RK_PLUGIN_MOVIE_INFO,
                      u"Kataweb Cinema [IT]"_s,
                      u"0.1.2"_s,
                      RK_LANG_ITALIAN,
                      {{7, u"Filminformationen von Kataweb Cinema (kataweb.it) holen"_s},
                       {10, u"Obtener información de películas de Kataweb Cinema (kataweb.it)"_s},
                       {25, u"Получить информацию о фильме с Kataweb Cinema (kataweb.it)"_s},
                       {9, u"Get Movie Information from Kataweb Cinema (kataweb.it)"_s}},
                      true},
        TIdentityCase{PathC,
                      RK_PLUGIN_POSTER_IMPORT,
                      u"AMAZON.DE"_s,
                      u"0.1.0"_s,
                      RK_LANG_GERMAN,
                      {{7, u"Poster von Amazon (amazon.de) holen"_s},
                       {10, u"Obtener carátula de Amazon (amazon.de)"_s},
                       {25, u"Получить постер с Amazon (amazon.de)"_s},
                       {9, u"Get Poster from Amazon (amazon.de)"_s}},
                      false}));

class WebInfoLibrary : public ::testing::TestWithParam<const char *>
{};

TEST_P(WebInfoLibrary, AcceptsHostsFrom9005)
{
    TPluginInfo info;
    const QString path = QString::fromUtf8(GetParam());
    EXPECT_EQ(DiscoverPlugin(path, RK_LANG_ENGLISH, 9004, info), TDiscovery::Refused);
    EXPECT_EQ(DiscoverPlugin(path, RK_LANG_ENGLISH, 9005, info), TDiscovery::Accepted);
}

TEST_P(WebInfoLibrary, ExportsOnlyWhatItsTypeHas)
{
    const TWebPlugin plugin(GetParam());
    const bool movieSite = std::strcmp(GetParam(), PathC) != 0;
    for (const char *name : {"CanConfig", "GetAbout", "GetMovie"})
        EXPECT_EQ(plugin.Library().Resolve<void (*)()>(name) != nullptr, movieSite) << name;
    for (const char *name : {"GetURL", "Parse", "GetResultsCount", "GetSelection"})
        EXPECT_NE(plugin.Library().Resolve<void (*)()>(name), nullptr) << name;
}

// Null pointers and out-of-range indexes give the documented empty answers.
TEST_P(WebInfoLibrary, SurvivesNullArgumentsAndBadIndexes)
{
    TWebPlugin plugin(GetParam());
    const auto parse = plugin.Library().Resolve<TParseWebFunc>("Parse");
    const auto getUrl = plugin.Library().Resolve<TGetURLFunc>("GetURL");
    const auto selection = plugin.Library().Resolve<TGetSelectionFunc>("GetSelection");
    const bool movieSite = std::strcmp(GetParam(), PathC) != 0;
    EXPECT_EQ(parse(nullptr, nullptr), movieSite ? RK_PARSE_DETAILS : RK_PARSE_RESULT_LIST);
    EXPECT_EQ(getUrl(1, nullptr, nullptr), 0);
    EXPECT_EQ(selection(0, nullptr, nullptr, nullptr, nullptr), 0);
    TEntry entry;
    for (const int index : {-1, 0, 1, INT32_MAX, INT32_MIN}) {
        EXPECT_EQ(plugin.Selection(index, entry), 0);
        EXPECT_EQ(entry, TEntry());
    }
    if (const auto movie = plugin.Library().Resolve<TGetMovieFunc>("GetMovie")) {
        EXPECT_EQ(movie(0, nullptr), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Plugins, WebInfoLibrary, ::testing::Values(PathA, PathB, PathC));

// --- Result lists --------------------------------------------------------------------

TEST(WebInfoResults, SpanishListGrowsOverResultPages)
{
    TWebPlugin plugin(PathA);
    EXPECT_EQ(plugin.Count(), 0);
    ASSERT_EQ(plugin.Parse(Fixture("a_results_1.html")), RK_PARSE_RESULT_LIST);
    const QList<TEntry> first{
        {u"El club de la lucha"_s, u"http://www.filmaffinity.com/es/film809297.html"_s, {}},
        {u"El club de los poetas muertos"_s,
         u"http://www.filmaffinity.com/es/film150438.html"_s,
         {}},
        {u"El club de los cinco &amp; compañía"_s,
         u"http://www.filmaffinity.com/es/film672371.html"_s,
         {}},
    };
    EXPECT_EQ(plugin.Entries(), first);
    // A details page in between leaves the list alone.
    ASSERT_EQ(plugin.Parse(Fixture("a_movie.html")), RK_PARSE_DETAILS);
    EXPECT_EQ(plugin.Count(), 1);
    ASSERT_EQ(plugin.Parse(Fixture("a_results_2.html")), RK_PARSE_RESULT_LIST);
    QList<TEntry> both = first;
    both.append({u"El club de la buena estrella"_s,
                 u"http://www.filmaffinity.com/es/film436842.html"_s,
                 {}});
    both.append({u"Club Paraíso"_s, u"http://www.filmaffinity.com/es/film524981.html"_s, {}});
    EXPECT_EQ(plugin.Entries(), both);
    TEntry entry;
    EXPECT_EQ(plugin.Selection(5, entry), 0);
    EXPECT_EQ(entry, TEntry());
}

TEST(WebInfoResults, ItalianListStartsAfreshOnEveryResultPage)
{
    TWebPlugin plugin(PathB);
    ASSERT_EQ(plugin.Parse(Fixture("b_results.html")), RK_PARSE_RESULT_LIST);
    EXPECT_EQ(plugin.Entries(),
              (QList<TEntry>{
                  {u"La vita è bella (1997)"_s,
                   u"http://www.kataweb.it/cinema/scheda_film.jsp?idContent=37654"_s,
                   {}},
                  {u"La dolce vita (1960)"_s,
                   u"http://www.kataweb.it/cinema/scheda_film.jsp?idContent=10233"_s,
                   {}},
                  {u"La vita segreta delle parole (2005)"_s,
                   u"http://www.kataweb.it/cinema/scheda_film.jsp?idContent=88120"_s,
                   {}},
              }));
    ASSERT_EQ(plugin.Parse(Fixture("b_results_2.html")), RK_PARSE_RESULT_LIST);
    EXPECT_EQ(plugin.Entries(),
              (QList<TEntry>{{u"Il sorpasso (1962)"_s,
                              u"http://www.kataweb.it/cinema/scheda_film.jsp?idContent=4410"_s,
                              {}}}));
    TEntry entry;
    EXPECT_EQ(plugin.Selection(1, entry), 0);
    EXPECT_EQ(entry, TEntry());
}

TEST(WebInfoResults, GermanShopListHasPicturesAndStartsAfresh)
{
    TWebPlugin plugin(PathC);
    ASSERT_EQ(plugin.Parse(Fixture("c_results.html")), RK_PARSE_RESULT_LIST);
    const QString thumb = u"http://ec1.images-amazon.com/images/P/%1.03._SCTHUMBZZZ_.jpg"_s;
    EXPECT_EQ(plugin.Entries(),
              (QList<TEntry>{
                  {u"Matrix"_s,
                   u"http://www.amazon.de/Matrix-Keanu-Reeves/dp/B00004RE3Q/ref=sr_1_1"_s,
                   thumb.arg(u"B00004RE3Q")},
                  {u"Matrix Reloaded (2 DVDs)"_s,
                   u"http://www.amazon.de/Matrix-Reloaded-Keanu-Reeves/dp/B0000AL3DK/ref=sr_1_2"_s,
                   thumb.arg(u"B0000AL3DK")},
                  {u"Animatrix &amp; Extras"_s,
                   u"http://www.amazon.de/Animatrix-Andy-Jones/dp/B00009KMRZ/ref=sr_1_3"_s,
                   thumb.arg(u"B00009KMRZ")},
              }));
    TEntry entry;
    EXPECT_EQ(plugin.Selection(3, entry), 0);
    EXPECT_EQ(entry, TEntry());
    // The no-results message wins over the recommendations the page still lists.
    EXPECT_EQ(plugin.Parse(Fixture("c_noresults.html")), RK_PARSE_RESULT_LIST);
    EXPECT_EQ(plugin.Count(), 0);
    EXPECT_EQ(plugin.Selection(0, entry), 0);
}

// --- Details pages -------------------------------------------------------------------

TEST(WebInfoDetails, SpanishPageFillsItsFields)
{
    TWebPlugin plugin(PathA);
    ASSERT_EQ(
        plugin.Parse(Fixture("a_movie.html"), "http://www.filmaffinity.com/es/film809297.html"),
        RK_PARSE_DETAILS);
    EXPECT_EQ(plugin.Count(), 1);
    const TFields expected{
        {"Title", u"El club de la lucha"_s},
        {"OrigTitle", u"Fight Club"_s},
        {"Year", u"1999"_s},
        {"Duration", u"139"_s},
        {"Country", u"Estados Unidos"_s},
        {"Director", u"David Fincher"_s},
        {"Scenario", u"Jim Uhls (Novela: Chuck Palahniuk)"_s},
        {"Actors", u"Brad Pitt, Edward Norton, Helena Bonham Carter, Meat Loaf, Jared Leto"_s},
        {"Studio", u"20th Century Fox / Fox 2000 Pictures / Regency Enterprises"_s},
        {"Genre", u"Drama / Thriller / Película de culto"_s},
        {"Description",
         u" Un joven sin ilusiones lucha contra su insomnio, consecuencia quizás de su hastío "
         u"por su gris y rutinaria vida.<br /><br />"_s},
        {"Rating", u"8.6"_s},
        {"RatingName", u"FilmAffinity"_s},
        {"URL", u"http://www.filmaffinity.com/es/film809297.html"_s},
    };
    EXPECT_EQ(plugin.Movie(), expected);
}

TEST(WebInfoDetails, ItalianPageFillsItsFields)
{
    TWebPlugin plugin(PathB);
    ASSERT_EQ(plugin.Parse(Fixture("b_movie.html"),
                           "http://www.kataweb.it/cinema/scheda_film.jsp?idContent=37654"),
              RK_PARSE_DETAILS);
    EXPECT_EQ(plugin.Count(), 1);
    const TFields expected{
        {"Title", u"La vita è bella"_s},
        {"Actors", u"Roberto Benigni, Nicoletta Braschi, Giorgio Cantarini"_s},
        {"Description",
         u"Arezzo, 1939. Guido, un giovane ebreo pieno di fantasia, arriva in città e si "
         u"innamora della maestra Dora.<br />"_s},
        {"Year", u"1997"_s},
        {"Country", u"Italia"_s},
        {"Duration", u"116"_s},
        {"Genre", u"Commedia drammatica"_s},
        {"Director", u"Roberto Benigni"_s},
        {"Scenario", u"Vincenzo Cerami, Roberto Benigni"_s},
        {"URL", u"http://www.kataweb.it/cinema/scheda_film.jsp?idContent=37654"_s},
    };
    EXPECT_EQ(plugin.Movie(), expected);
}

// Small pages for the rules' corner cases; every field not listed must stay empty.
struct TDetailsCase
{
    const char *name;
    const char *path;
    QString page;
    TFields expected; // "URL" is always the page URL and added by the test
};

void PrintTo(const TDetailsCase &c, std::ostream *os)
{
    *os << c.name;
}

class WebInfoDetailsRules : public ::testing::TestWithParam<TDetailsCase>
{};

TEST_P(WebInfoDetailsRules, CutsTheFields)
{
    TWebPlugin plugin(GetParam().path);
    // The page URL comes in Windows-1252.
    ASSERT_EQ(plugin.Parse(GetParam().page, "http://host/p\xE9licula"), RK_PARSE_DETAILS);
    TFields expected = GetParam().expected;
    expected["URL"] = u"http://host/pélicula"_s;
    EXPECT_EQ(plugin.Movie(), expected);
}

QString SpanishCell(const QString &label, const QString &cell)
{
    return u"<tr><td align=\"right\"><b>"_s + label + u"</b></td>\n"_s + cell + u"</tr>\n"_s;
}

QString SpanishNumber(const QString &label, const QString &value)
{
    return SpanishCell(
        label, u"<td><table border=\"0\"><tr><td>"_s + value + u"</td></tr></table></td>"_s);
}

QString SpanishGenre(const QString &cell)
{
    return u"<tr><td><b>GÉNERO Y CRÍTICA</b></td><td valign=\"top\">"_s + cell + u"</td></tr>"_s;
}

QString SpanishRating(const QString &value)
{
    return u"<td align=\"center\" style=\"color:#990000; font-size:22px; font-weight: "
           u"bold;\">"_s
           + value + u"</td>"_s;
}

// An Italian details page: the title box, then `body`.
QString ItalianPage(const QString &body)
{
    return u"<!-- INIZIO ARTICOLI -->\n<div class=\"box-tit-film\">Il divo</div>\n"_s + body;
}

QString ItalianCredits(const QString &paragraphs)
{
    return ItalianPage(u"<div class=\"header-tit-int\">Crediti</div>\n"_s + paragraphs);
}

INSTANTIATE_TEST_SUITE_P(
    Plugins,
    WebInfoDetailsRules,
    ::testing::Values(
        // Neither the list marker nor any field: an empty record of the page.
        TDetailsCase{"SpanishEmptyPage", PathA, QString(), {}},
        TDetailsCase{"ItalianEmptyPage", PathB, QString(), {}},
        TDetailsCase{"DurationWithUnit",
                     PathA,
                     SpanishNumber(u"DURACIÓN"_s, u" 105 min. "_s),
                     {{"Duration", u"105"_s}}},
        TDetailsCase{"DurationWithoutNumber", PathA, SpanishNumber(u"DURACIÓN"_s, u"min."_s), {}},
        TDetailsCase{"YearBeyondTheRecordsRange", PathA, SpanishNumber(u"AÑO"_s, u"40000"_s), {}},
        // An opener after the first cell end does not count.
        TDetailsCase{
            "YearWithoutItsOwnCell", PathA, u"<b>AÑO</b></td>2001</td><td>2002</td>"_s, {}},
        TDetailsCase{"GenresAndSynopsis",
                     PathA,
                     SpanishGenre(u"Drama. Comedia. / SINOPSIS: Una historia."_s),
                     {{"Genre", u"Drama / Comedia"_s}, {"Description", u" Una historia."_s}}},
        // Text before an earlier "/" is dropped; a rest after the last "." counts.
        TDetailsCase{"SlashBeforeSynopsis",
                     PathA,
                     SpanishGenre(u"Animación / Aventuras. Fantástico / SINOPSIS: Texto"_s),
                     {{"Genre", u"Aventuras / Fantástico"_s}, {"Description", u" Texto"_s}}},
        TDetailsCase{"NoSynopsisMarker",
                     PathA,
                     SpanishGenre(u"Drama. Un texto"_s),
                     {{"Description", u"Drama. Un texto"_s}}},
        TDetailsCase{"RatingWithComma",
                     PathA,
                     SpanishRating(u" 7,5 "_s),
                     {{"Rating", u"7.5"_s}, {"RatingName", u"FilmAffinity"_s}}},
        TDetailsCase{"RatingWithoutDecimals",
                     PathA,
                     SpanishRating(u"8"_s),
                     {{"Rating", u"8"_s}, {"RatingName", u"FilmAffinity"_s}}},
        TDetailsCase{"RatingWithPointIsNoNumber", PathA, SpanishRating(u"7.5"_s), {}},
        TDetailsCase{"RatingNotGiven", PathA, SpanishRating(u"--"_s), {}},
        TDetailsCase{"DirectorAsPlainText",
                     PathA,
                     SpanishCell(u"DIRECTOR"_s, u"<td>Pedro Almodóvar</td>"_s)
                         + u"<td><a href=\"/es/x\">otro</a></td>"_s,
                     {{"Director", u"Pedro Almodóvar"_s}}},
        // No link left on the page: the plain name ends at its cell.
        TDetailsCase{"DirectorWithNoLinkAnywhere",
                     PathA,
                     SpanishCell(u"DIRECTOR"_s, u"<td>Pedro Almodóvar</td>"_s),
                     {{"Director", u"Pedro Almodóvar"_s}}},
        // Only the links inside the cast cell count.
        TDetailsCase{"ActorsEndAtTheirCell",
                     PathA,
                     SpanishCell(u"REPARTO"_s,
                                 u"<td  ><a href=\"/a\">Ana</a>, <a href=\"/b\">Luis</a></td>"_s)
                         + u"<td><a href=\"/c\">Web</a></td>"_s,
                     {{"Actors", u"Ana, Luis"_s}}},
        // Fields are looked for in order: a country before the original title is lost.
        TDetailsCase{"FieldsOutOfOrder",
                     PathA,
                     u"<b>PAÍS</b></td><td><img alt=\"Francia\"></td>"
                     u"<b>TITULO ORIGINAL</b></td><td><b>Tarde</b></td>"_s,
                     {{"OrigTitle", u"Tarde"_s}}},
        TDetailsCase{"YearWithTrailingBlank",
                     PathB,
                     ItalianCredits(u"<p class=\"nospace\"><b>Anno: </b>1997 </p>"_s),
                     {{"Title", u"Il divo"_s}}},
        TDetailsCase{"DurationWithMinutesSign",
                     PathB,
                     ItalianCredits(u"<p class=\"nospace\"><b>Durata:</b> 120'</p>"_s),
                     {{"Title", u"Il divo"_s}, {"Duration", u"120"_s}}},
        TDetailsCase{"EmptyDuration",
                     PathB,
                     ItalianCredits(u"<p class=\"nospace\"><b>Durata:</b></p>"_s),
                     {{"Title", u"Il divo"_s}}},
        // The cast block ends at the next row.
        TDetailsCase{
            "CastParagraphAfterTheNextRow",
            PathB,
            ItalianPage(u"<div class=\"header-tit-int\">Cast</div>"
                        u"<p class=\"nospace\"><b><a href=\"scheda_personaggio.jsp?idContent=1\">"
                        u"Toni Servillo</a></b></p><div class=\"row\">"
                        u"<p class=\"nospace\"><b><a href=\"scheda_personaggio.jsp?idContent=2\">"
                        u"Altro</a></b></p><div class=\"row\">"_s),
            {{"Title", u"Il divo"_s}, {"Actors", u"Toni Servillo"_s}}},
        TDetailsCase{"ItalianDirectorAsPlainText",
                     PathB,
                     ItalianCredits(u"<p class=\"nospace\"><b>Regia: </b> Paolo Sorrentino </p>"
                                    u"<a href=\"x\">home</a>"_s),
                     {{"Title", u"Il divo"_s}, {"Director", u"Paolo Sorrentino"_s}}}));

// --- GetURL --------------------------------------------------------------------------

struct TUrlCase
{
    const char *name;
    const char *path;
    const char *recordUrls;
    int answer;
    const char *url;
};

void PrintTo(const TUrlCase &c, std::ostream *os)
{
    *os << c.name;
}

class WebInfoUrl : public ::testing::TestWithParam<TUrlCase>
{};

TEST_P(WebInfoUrl, PicksTheSitesAddressOrTheTemplate)
{
    const TWebPlugin plugin(GetParam().path);
    const auto [answer, url] = plugin.Url(GetParam().recordUrls);
    EXPECT_EQ(answer, GetParam().answer);
    EXPECT_EQ(url, QString::fromUtf8(GetParam().url));
}

constexpr char TemplateA[] = "http://www.filmaffinity.com/es/search.php?stype=title&stext=%s";
constexpr char TemplateB[] = "http://www.kataweb.it/cinema/cerca.jsp?select=film&=Vai&textfield=%s";
constexpr char TemplateC[] =
    "http://www.amazon.de/exec/obidos/search-handle-url/index=dvd&field-keywords=%s";

INSTANTIATE_TEST_SUITE_P(
    Plugins,
    WebInfoUrl,
    ::testing::Values(
        TUrlCase{"NoUrls", PathA, "", 0, TemplateA},
        TUrlCase{"OtherSites", PathA, "http://imdb.com/title/tt1 http://x.org", 0, TemplateA},
        TUrlCase{"TwoMatchesGiveTheSecond",
                 PathA,
                 "  http://www.filmaffinity.com/es/film1.html http://imdb.com/t "
                 "http://WWW.FilmAffinity.com/es/film2.html  ",
                 1,
                 "http://WWW.FilmAffinity.com/es/film2.html"},
        TUrlCase{"ItalianMatch",
                 PathB,
                 "http://www.kataweb.it/cinema/scheda_film.jsp?idContent=1   http://a.org",
                 1,
                 "http://www.kataweb.it/cinema/scheda_film.jsp?idContent=1"},
        TUrlCase{"ItalianNone", PathB, "http://www.filmaffinity.com/es/film1.html", 0, TemplateB},
        // The shop takes the whole text when the domain is anywhere in it.
        TUrlCase{"ShopWholeText",
                 PathC,
                 " http://www.Amazon.de/dp/B1 http://x.org",
                 1,
                 " http://www.Amazon.de/dp/B1 http://x.org"},
        TUrlCase{"ShopNone", PathC, "http://www.amazon.com/dp/B1", 0, TemplateC}));

// --- Posters -------------------------------------------------------------------------

TEST(WebInfoPoster, ProductPageKeepsThePosterForGetURL)
{
    TWebPlugin plugin(PathC);
    ASSERT_EQ(plugin.Parse(Fixture("c_product.html")), RK_PARSE_FETCH_AGAIN);
    EXPECT_EQ(plugin.Count(), 0);
    const auto poster = std::pair<int, QString>(
        1, u"http://ec1.images-amazon.com/images/P/B00004RE3Q.03._S300S500_.jpg"_s);
    EXPECT_EQ(plugin.Url("http://www.amazon.de/dp/B00004RE3Q"), poster);
    // Kept until the next Parse, whatever the record's URLs are.
    EXPECT_EQ(plugin.Url(""), poster);
    ASSERT_EQ(plugin.Parse(Fixture("c_noresults.html")), RK_PARSE_RESULT_LIST);
    EXPECT_EQ(plugin.Url("").first, 0);
}

struct TPosterCase
{
    const char *name;
    QString picture; // the address in the page's picture call, without ".jpg"
    int answer;
    QString poster;
};

void PrintTo(const TPosterCase &c, std::ostream *os)
{
    *os << c.name;
}

class WebInfoPosterWalk : public ::testing::TestWithParam<TPosterCase>
{};

TEST_P(WebInfoPosterWalk, CutsAtTheLastDotInRange)
{
    TWebPlugin plugin(PathC);
    const QString page = u"<script>registerImage(\"original_image\", \""_s + GetParam().picture
                         + u".jpg\",\"<a href=\"+'\"'+\"x\");</script>"_s;
    ASSERT_EQ(plugin.Parse(page), GetParam().answer);
    EXPECT_EQ(plugin.Count(), 0);
    EXPECT_EQ(plugin.Url("").second,
              GetParam().poster.isEmpty() ? QString::fromUtf8(TemplateC) : GetParam().poster);
}

// "http://ecx.images-amazon.com/images/I/" is 38 characters: the walk may cut at its
// last one (index 37) but not before it.
INSTANTIATE_TEST_SUITE_P(
    Plugins,
    WebInfoPosterWalk,
    ::testing::Values(
        TPosterCase{"DotInTheName",
                    u"http://ec1.images-amazon.com/images/P/B0001.03.LZZZZZZZ"_s,
                    RK_PARSE_FETCH_AGAIN,
                    u"http://ec1.images-amazon.com/images/P/B0001.03._S300S500_.jpg"_s},
        TPosterCase{"DotAtThe38thCharacter",
                    u"http://ecx.images-amazon.com/images/I.51AB"_s,
                    RK_PARSE_FETCH_AGAIN,
                    u"http://ecx.images-amazon.com/images/I._S300S500_.jpg"_s},
        // No dot in range: the size code goes before the ".jpg".
        TPosterCase{"NoDotInRange",
                    u"http://ecx.images-amazon.com/images/I/51AB"_s,
                    RK_PARSE_FETCH_AGAIN,
                    u"http://ecx.images-amazon.com/images/I/51AB._S300S500_.jpg"_s},
        TPosterCase{"DotBelowTheRange",
                    u"http://ecx.images-amazon.com/images/.I/51AB"_s,
                    RK_PARSE_FETCH_AGAIN,
                    u"http://ecx.images-amazon.com/images/.I/51AB._S300S500_.jpg"_s},
        TPosterCase{"EmptyAddress", QString(), RK_PARSE_RESULT_LIST, QString()}));

TEST(WebInfoPoster, PagesWithoutPosterFindNothing)
{
    TWebPlugin plugin(PathC);
    for (const QString &page :
         {u"<html><body><b>Matrix</b></body></html>"_s,
          u"registerImage(\"original_image\", \"http://ec1.images-amazon.com/a.gif\")"_s,
          u"<p>Your search did not match any products in: DVD</p>"_s,
          QString()}) {
        EXPECT_EQ(plugin.Parse(page), RK_PARSE_RESULT_LIST) << page.toStdString();
        EXPECT_EQ(plugin.Count(), 0);
        EXPECT_EQ(plugin.Url("").first, 0);
    }
}

// --- Record lifetime ------------------------------------------------------------------

TEST(WebInfoDetails, MovieStringsStayValidUntilTheNextParse)
{
    TWebPlugin plugin(PathA);
    ASSERT_EQ(plugin.Parse(Fixture("a_results_1.html")), RK_PARSE_RESULT_LIST);
    ASSERT_EQ(plugin.Parse(Fixture("a_movie.html")), RK_PARSE_DETAILS);
    const TMovieRec movie = plugin.RawMovie();
    const TFields fields = FieldsOf(movie);
    // Calls that are not Parse leave the record where it is.
    plugin.Url("http://www.filmaffinity.com/es/film1.html http://www.filmaffinity.com/b");
    plugin.Entries();
    plugin.Count();
    const TMovieRec again = plugin.RawMovie();
    EXPECT_EQ(again.Title, movie.Title);
    EXPECT_EQ(again.Description, movie.Description);
    EXPECT_EQ(FieldsOf(movie), fields);
    ASSERT_EQ(plugin.Parse(Fixture("b_movie.html"), "http://next"), RK_PARSE_DETAILS);
    EXPECT_EQ(plugin.Movie(), (TFields{{"URL", u"http://next"_s}}));
}

// Wikidata's film answers: one SPARQL row per fact, as the query service sends them.
QString FilmRow(const QString &kind, const QString &value, const QString &extra = {})
{
    QString row =
        uR"({"film":{"type":"uri","value":"http://www.wikidata.org/entity/Q1"},)"
        uR"("kind":{"type":"literal","value":"%1"},"value":{"type":"literal","value":"%2"})"_s.arg(
            kind, value);
    if (!extra.isEmpty())
        row += uR"(,"extra":{"type":"literal","value":"%1"})"_s.arg(extra);
    return row + u'}';
}

QString FilmAnswer(const QStringList &rows)
{
    return uR"({"head":{"vars":["film","kind","entity","value","ord","extra"]},)"
           uR"("results":{"bindings":[)"_s
           + rows.join(u',') + u"]}}"_s;
}

TEST(WebInfoWikidata, DatesCountFromYearPrecisionAndTheCastStopsAt30)
{
    struct TCase
    {
        QStringList rows;
        QString year;
    } cases[] = {
        {{FilmRow(u"date"_s, u"2005-01-01T00:00:00Z"_s, u"9"_s)}, u"2005"_s},
        {{FilmRow(u"date"_s, u"2000-01-01T00:00:00Z"_s, u"8"_s)}, QString()}, // a decade
        {{FilmRow(u"date"_s, u"-0044-03-15T00:00:00Z"_s, u"11"_s)}, QString()},
        {{FilmRow(u"date"_s, u"2003-05-01T00:00:00Z"_s, u"11"_s),
          FilmRow(u"date"_s, u"2002-09-01T00:00:00Z"_s, u"10"_s)},
         u"2002"_s},
    };
    for (const TCase &c : cases) {
        TWebPlugin plugin(PathD);
        ASSERT_EQ(plugin.Parse(FilmAnswer(c.rows)), RK_PARSE_DETAILS);
        EXPECT_EQ(plugin.Movie()["Year"], c.year) << c.rows.join(u' ').toStdString();
    }

    QStringList cast;
    for (int i = 1; i <= 35; ++i) {
        cast.append(uR"({"kind":{"type":"literal","value":"cast"},)"
                    uR"("entity":{"type":"uri","value":"http://www.wikidata.org/entity/Q%1"},)"
                    uR"("value":{"type":"literal","value":"Actor %1","xml:lang":"en"}})"_s.arg(i));
    }
    TWebPlugin plugin(PathD);
    ASSERT_EQ(plugin.Parse(FilmAnswer(cast)), RK_PARSE_DETAILS);
    const QStringList actors = plugin.Movie()["Actors"].split(u", "_s);
    ASSERT_EQ(actors.size(), 30);
    EXPECT_EQ(actors.last(), u"Actor 30"_s);
    EXPECT_EQ(plugin.Movie()["ActorURLs"].split(u' ').size(), 30);
}

TEST(WebInfoWikidata, UnknownAnswersGiveAnEmptyList)
{
    for (const QString &page : {u"not json"_s,
                                u"[1,2]"_s,
                                uR"({"error":{"code":"badvalue"}})"_s,
                                uR"({"query":{"search":"none"}})"_s,
                                uR"({"head":{"vars":"film"},"results":{}})"_s}) {
        TWebPlugin plugin(PathD);
        EXPECT_EQ(plugin.Parse(page), RK_PARSE_RESULT_LIST) << page.toStdString();
        EXPECT_EQ(plugin.Count(), 0);
    }
}

} // namespace
