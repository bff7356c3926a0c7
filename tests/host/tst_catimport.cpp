// The catimport plug-in through its C exports, loaded the way the host loads it.
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QByteArray>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "plugin_api/importu.h"
#include "tests/support/amcwriter.h"
#include "tests/support/fakeprogram.h"

namespace {

// Host slots the tests name.
enum : int {
    SlotNum = 0,
    SlotTitle = 1,
    SlotOrigTitle = 2,
    SlotYear = 4,
    SlotRating = 17,
    SlotScenario = 8,
    SlotMpaa = 13,
    SlotOtherRating = 16,
    SlotDateAdded = 19,
    SlotComment = 23,
    SlotPath = 26,
    SlotLength = 28,
    SlotVideoBitrate = 33,
    SlotAudioBitrate = 35,
    SlotCount = 39,
    SlotType = 40,
    SlotViewed = 44,
    SlotViewDate = 46,
    SlotPicture = 49
};

using TSlots = std::array<std::u16string, RK_MOVIE_TEXT_SLOTS>; // null read as empty

// What the callbacks received, copied while the plug-in's strings were valid.
std::vector<TSlots> g_movies;
int g_humans = 0;

void RK_PLUGIN_CALL CollectMovie(const TMovieTextRec *movie)
{
    TSlots texts;
    for (int i = 0; i < RK_MOVIE_TEXT_SLOTS; ++i) {
        if (movie->Slots[i])
            texts[i] = movie->Slots[i];
    }
    g_movies.push_back(std::move(texts));
}

void RK_PLUGIN_CALL CollectHuman(const THumanTextRec *)
{
    ++g_humans;
}

class CatImport : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_library = dlopen(RK_CATIMPORT_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(s_library, nullptr) << dlerror();
    }
    static void TearDownTestSuite()
    {
        if (s_library)
            dlclose(s_library);
        s_library = nullptr;
    }

    // The settings the tests write stay in their folder.
    void SetUp() override
    {
        m_config = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toUtf8());
    }
    void TearDown() override
    {
        if (m_config.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", m_config);
    }

    template <typename F> static F Export(const char *name)
    {
        return reinterpret_cast<F>(dlsym(s_library, name));
    }

    QString WriteFile(const std::string &bytes, const QString &name = QStringLiteral("m.amc"))
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), qint64(bytes.size()));
        return path;
    }

    std::vector<TSlots> Parse(const char16_t *fileName)
    {
        g_movies.clear();
        g_humans = 0;
        const auto parse = Export<TParseImportFunc>("Parse");
        EXPECT_NE(parse, nullptr);
        if (parse)
            parse(fileName, CollectMovie, CollectHuman);
        EXPECT_EQ(g_humans, 0);
        return std::move(g_movies);
    }
    std::vector<TSlots> Parse(const QString &path) { return Parse(path.toStdU16String().c_str()); }
    std::vector<TSlots> ParseBytes(const std::string &bytes) { return Parse(WriteFile(bytes)); }

    static void *s_library;
    QTemporaryDir m_dir;
    QByteArray m_config;
};
void *CatImport::s_library = nullptr;

std::u16string U16(const QString &text)
{
    return text.toStdU16String();
}

TAmcMovie Titled(int32_t number, std::string title)
{
    TAmcMovie movie;
    movie.number = number;
    movie.originalTitle = std::move(title);
    return movie;
}

TEST_F(CatImport, AnswersTheDiscoveryExports)
{
    EXPECT_EQ(Export<TGetTypeFunc>("GetType")(), RK_PLUGIN_GENERAL_IMPORT);
    EXPECT_EQ(Export<TGetVersionSupportedFunc>("GetVersionSupported")(), 9005);
    EXPECT_EQ(Export<TGetPluginLanguageFunc>("GetPluginLanguage")(), RK_LANG_ENGLISH);
    EXPECT_STREQ(Export<TGetPluginVersionFunc>("GetPluginVersion")(), "0.2.5");
    EXPECT_NE(Export<TCanConfigFunc>("CanConfig")() & 0xFF, 0);
    for (const int32_t lang : {RK_LANG_ENGLISH, RK_LANG_GERMAN, RK_LANG_RUSSIAN}) {
        EXPECT_EQ(std::u16string(Export<TGetNameFunc>("GetName")(lang)), u"Ant Movie Catalog");
        EXPECT_EQ(std::u16string(Export<TGetFilterFunc>("GetFilter")(lang)),
                  u"Ant Movie Catalog Files|*.amc;*.xml");
    }
    // Only the import's exports and its configuration: no about text.
    for (const char *absent : {"GetAbout", "GetURL", "ExportType", "GetMovie"})
        EXPECT_EQ(dlsym(s_library, absent), nullptr) << absent;
}

struct TDescriptionCase
{
    int32_t lang;
    const char16_t *text;
};

class CatImportDescription : public CatImport,
                             public ::testing::WithParamInterface<TDescriptionCase>
{};

TEST_P(CatImportDescription, IsInTheAskedLanguageOrEnglish)
{
    EXPECT_EQ(std::u16string(Export<TGetDescriptionFunc>("GetDescription")(GetParam().lang)),
              GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Languages,
    CatImportDescription,
    ::testing::Values(TDescriptionCase{7, u"Filme aus Ant Movie Catalog importieren"},
                      TDescriptionCase{10, u"Obtener información de Ant Movie Catalog"},
                      TDescriptionCase{25, u"Импортировать фильмы из Ant Movie Catalog"},
                      TDescriptionCase{9, u"Get Movies from Ant Movie Catalog"},
                      TDescriptionCase{16, u"Get Movies from Ant Movie Catalog"},
                      TDescriptionCase{0, u"Get Movies from Ant Movie Catalog"}));

class CatImportHostVersion : public CatImport,
                             public ::testing::WithParamInterface<std::pair<int32_t, int32_t>>
{};

TEST_P(CatImportHostVersion, IsAcceptedFrom9005)
{
    EXPECT_EQ(Export<TCheckRKDVerionFunc>("CheckRKDVerion")(GetParam().first), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Versions,
                         CatImportHostVersion,
                         ::testing::Values(std::pair(9004, 0),
                                           std::pair(9005, -1),
                                           std::pair(9006, -1),
                                           std::pair(INT32_MAX, -1),
                                           std::pair(0, 0),
                                           std::pair(-1, 0)));

struct TVersionCase
{
    int version;
    int32_t storedRating;
    const char16_t *rating;
};

class CatImportVersion : public CatImport, public ::testing::WithParamInterface<TVersionCase>
{};

// Every field set to a distinct value, so that a field in a wrong slot shows.
TEST_P(CatImportVersion, PutsEveryFieldInItsSlot)
{
    const TVersionCase &param = GetParam();
    const TAmcMovie movie{.number = 42,
                          .date = 36526,
                          .rating = param.storedRating,
                          .year = 1999,
                          .length = 136,
                          .videoBitrate = 1500,
                          .audioBitrate = 192,
                          .disks = 2,
                          .checked = true,
                          .mediaLabel = "L-42",
                          .mediaType = "DVD",
                          .source = "Shelf 3",
                          .borrower = "Ann",
                          .originalTitle = "The Matrix",
                          .translatedTitle = "Matrix",
                          .director = "Wachowski",
                          .producer = "Silver",
                          .country = "USA",
                          .category = "Sci-Fi",
                          .actors = "Keanu Reeves",
                          .url = "http://example.org/m",
                          .description = "A hacker learns",
                          .comments = "Great",
                          .videoFormat = "XviD",
                          .audioFormat = "MP3",
                          .resolution = "640x272",
                          .framerate = "25",
                          .languages = "English",
                          .subtitles = "German",
                          .size = "700 MB",
                          .pictureName = ".jpg",
                          .picture = "\xFF\xD8pic"};
    // The header strings differ in count between versions; a miscount shifts every field.
    const TAmcHeaderTexts header{"Owner", "o@example.org", "12345", "example.org", "Mine"};
    const auto movies = ParseBytes(WriteAmcFile(param.version, {movie}, header));
    ASSERT_EQ(movies.size(), 1u);

    const bool hasTypeAndSource = param.version != 31;
    std::map<int, std::u16string> expected = {{0, u"42"},         {1, u"Matrix"},
                                              {2, u"The Matrix"}, {4, u"1999"},
                                              {5, u"Sci-Fi"},     {6, u"Wachowski"},
                                              {7, u"Silver"},     {10, u"Keanu Reeves"},
                                              {11, u"USA"},       {14, u"http://example.org/m"},
                                              {17, param.rating}, {19, u"2000-01-01"},
                                              {20, u"Ann"},       {22, u"A hacker learns"},
                                              {23, u"Great"},     {28, u"136"},
                                              {29, u"English"},   {31, u"640x272"},
                                              {32, u"XviD"},      {33, u"1500"},
                                              {34, u"MP3"},       {35, u"192"},
                                              {37, u"700 MB"},    {38, u"German"},
                                              {39, u"2"},         {41, u"L-42"},
                                              {42, u"25"},        {49, u"/9hwaWM="}};
    if (hasTypeAndSource) {
        expected[SlotComment] = u"Great\r\nSource: Shelf 3"; // no path: see SourceGoesTo
        expected[SlotType] = u"DVD";
    }
    for (int slot = 0; slot < RK_MOVIE_TEXT_SLOTS; ++slot) {
        const auto it = expected.find(slot);
        EXPECT_EQ(movies[0][slot], it == expected.end() ? u"" : it->second) << "slot " << slot;
    }
}

INSTANTIATE_TEST_SUITE_P(Formats,
                         CatImportVersion,
                         ::testing::Values(TVersionCase{42, 75, u"7.5"},
                                           TVersionCase{41, 75, u"7.5"},
                                           TVersionCase{40, 75, u"7.5"},
                                           TVersionCase{35, 75, u"7.5"},
                                           TVersionCase{33, 7, u"7.0"},
                                           TVersionCase{31, 7, u"7.0"}),
                         [](const auto &info) { return "V" + std::to_string(info.param.version); });

TEST_F(CatImport, TakesTheOriginalTitleWhenTheTranslatedOneIsMissing)
{
    const auto movies = ParseBytes(WriteAmcFile(35, {Titled(1, "Solaris")}));
    ASSERT_EQ(movies.size(), 1u);
    EXPECT_EQ(movies[0][SlotTitle], u"Solaris");
    EXPECT_EQ(movies[0][SlotOrigTitle], u"Solaris");
}

TEST_F(CatImport, HandsOverByAscendingNumber)
{
    const auto movies =
        ParseBytes(WriteAmcFile(35, {Titled(5, "e"), Titled(1, "a"), Titled(2, "b")}));
    ASSERT_EQ(movies.size(), 3u);
    EXPECT_EQ(movies[0][SlotTitle], u"a");
    EXPECT_EQ(movies[1][SlotTitle], u"b");
    EXPECT_EQ(movies[2][SlotTitle], u"e");
}

TEST_F(CatImport, KeepsFileOrderForEqualNumbers)
{
    // Enough movies that an unstable sort would reorder equal numbers.
    std::vector<TAmcMovie> written;
    for (int i = 0; i < 100; ++i)
        written.push_back(Titled((i * 7) % 5, std::to_string(1000 + i)));
    const auto movies = ParseBytes(WriteAmcFile(35, written));
    ASSERT_EQ(movies.size(), written.size());
    const auto number = [&](size_t i) {
        return QString::fromStdU16String(movies[i][SlotNum]).toInt();
    };
    for (size_t i = 1; i < movies.size(); ++i) {
        ASSERT_LE(number(i - 1), number(i));
        if (number(i - 1) == number(i)) {
            EXPECT_LT(movies[i - 1][SlotTitle], movies[i][SlotTitle]) << "position " << i;
        }
    }
}

TEST_F(CatImport, LeavesUnsetValuesEmpty)
{
    TAmcMovie movie = Titled(7, "Unset"); // every number at its "not set" default
    movie.date = -3;
    const auto movies = ParseBytes(WriteAmcFile(35, {movie}));
    ASSERT_EQ(movies.size(), 1u);
    EXPECT_EQ(movies[0][SlotNum], u"7");
    for (const int slot : {SlotYear,
                           SlotRating,
                           SlotDateAdded,
                           SlotLength,
                           SlotVideoBitrate,
                           SlotAudioBitrate,
                           SlotCount,
                           SlotPicture}) {
        EXPECT_EQ(movies[0][slot], u"") << "slot " << slot;
    }
}

struct TValueCase
{
    int version;
    int32_t stored;
    const char16_t *text;
};

class CatImportRating : public CatImport, public ::testing::WithParamInterface<TValueCase>
{};

TEST_P(CatImportRating, HasOneDecimalWithAPoint)
{
    TAmcMovie movie = Titled(1, "r");
    movie.rating = GetParam().stored;
    const auto movies = ParseBytes(WriteAmcFile(GetParam().version, {movie}));
    ASSERT_EQ(movies.size(), 1u);
    EXPECT_EQ(movies[0][SlotRating], GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Values,
                         CatImportRating,
                         ::testing::Values(TValueCase{35, 0, u"0.0"},
                                           TValueCase{35, 5, u"0.5"},
                                           TValueCase{35, 100, u"10.0"},
                                           TValueCase{35, -1, u""},
                                           TValueCase{35, -5, u"-0.5"},
                                           TValueCase{33, 10, u"10.0"},
                                           TValueCase{33, -1, u""},
                                           TValueCase{31, 0, u"0.0"},
                                           TValueCase{31, INT32_MAX, u"2147483647.0"}));

class CatImportDate : public CatImport, public ::testing::WithParamInterface<int32_t>
{};

TEST_P(CatImportDate, IsAnIsoDateOfTheDaySerial)
{
    TAmcMovie movie = Titled(1, "d");
    movie.date = GetParam();
    const auto movies = ParseBytes(WriteAmcFile(35, {movie}));
    ASSERT_EQ(movies.size(), 1u);
    const QDate date = QDate(1899, 12, 30).addDays(GetParam());
    const bool inRange = GetParam() >= 1 && date <= QDate(9999, 12, 31);
    EXPECT_EQ(movies[0][SlotDateAdded], inRange ? U16(date.toString(Qt::ISODate)) : u"");
}

// Day 1, leap days of 1900 (none), 2000 and 2100 (none), today's range and the last day.
INSTANTIATE_TEST_SUITE_P(Serials,
                         CatImportDate,
                         ::testing::Values(-1,
                                           0,
                                           1,
                                           2,
                                           60,
                                           61,
                                           36526,
                                           36585,
                                           36586,
                                           73108,
                                           73109,
                                           45658,
                                           2958465,
                                           2958466,
                                           INT32_MAX));

TEST_F(CatImport, DecodesWindows1252)
{
    const auto movies = ParseBytes(
        WriteAmcFile(35, {Titled(1, "Caf\xE9 \x80 \x93x\x94 \x8A\x9F \x81\x8D \xA0\xFF")}));
    ASSERT_EQ(movies.size(), 1u);
    EXPECT_EQ(movies[0][SlotOrigTitle], u"Café € “x” ŠŸ \u0081\u008D \u00A0ÿ");
}

// Text that is valid UTF-8 with a multi-byte sequence was written as UTF-8 (other tools
// do); anything else stays Windows-1252 as a whole.
TEST_F(CatImport, TakesValidUtf8TextForUtf8)
{
    const std::pair<std::string, std::u16string> cases[] = {
        {"Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xAC", u"Café € 🎬"},
        {"\xC3\xA9\xE9", u"Ã©é"},
        {"\xC0\xAF \xED\xA0\x80", u"À¯ í\u00A0€"},
        {"\xE2\x82", u"â‚"},
    };
    std::vector<TAmcMovie> written;
    for (const auto &[bytes, text] : cases)
        written.push_back(Titled(int32_t(written.size() + 1), bytes));
    const auto movies = ParseBytes(WriteAmcFile(42, written));
    ASSERT_EQ(movies.size(), std::size(cases));
    for (size_t i = 0; i < movies.size(); ++i)
        EXPECT_EQ(movies[i][SlotOrigTitle], cases[i].second) << i;
}

// A binary catalog's texts are in the code page chosen under Configure (through a dialog
// program on PATH), Western European until one is.
TEST_F(CatImport, ReadsTheCodePageChosenUnderConfigure)
{
    const std::string cyrillic = "\xCF\xF0\xE8\xE2\xE5\xF2";
    const std::string file = WriteAmcFile(42, {Titled(1, cyrillic), Titled(2, "Caf\xE9")});
    const auto titles = [&] {
        const auto movies = ParseBytes(file);
        return movies.size() == 2 ? movies[0][SlotOrigTitle] + u"|" + movies[1][SlotOrigTitle]
                                  : u"";
    };
    const auto notes = [&] {
        return std::u16string(Export<TGetImportNotesFunc>("GetImportNotes")(RK_LANG_ENGLISH));
    };
    EXPECT_EQ(titles(), u"Ïðèâåò|Café");
    EXPECT_EQ(notes(),
              u"The titles and names of 1 movie look like another code page than Western European: "
              u"choose it under Tools > Preferences > Plugins > Configure and import again.");

    const QString bin = m_dir.filePath(QStringLiteral("bin"));
    {
        const TFakeProgram zenity(bin, QStringLiteral("zenity"), TFakeProgram::Answering("1251"));
        ASSERT_TRUE(zenity.Ok());
        Export<TConfigureFunc>("Configure")(RK_LANG_GERMAN, nullptr);
    }
    QFile args(bin + QStringLiteral("/args"));
    ASSERT_TRUE(args.open(QIODevice::ReadOnly));
    const QByteArray given = args.readAll();
    EXPECT_TRUE(given.contains("TRUE\n1252\nWesteurop\xC3\xA4isch (Windows-1252)\n"))
        << given.constData();
    EXPECT_EQ(titles(), u"Привет|Cafй");
    EXPECT_EQ(notes(), u"");

    // A setting that names no code page is the default.
    WriteFile("codepage=1259\n", QStringLiteral("config/Reelkeep/plugins/catimport.conf"));
    EXPECT_EQ(titles(), u"Ïðèâåò|Café");
}

// Every Windows code page an XML file can name: a letter of each, an unassigned byte (1253)
// and a letter the converter holds back for a combining mark (1258).
TEST_F(CatImport, ReadsEveryWindowsCodePage)
{
    const std::tuple<const char *, std::string, std::u16string> cases[] = {
        {"windows-1250", "\xA3\xF3", u"Łó"},
        {"windows-1251", "\xCF\xF0", u"Пр"},
        {"windows-1252", "\x80\xE9", u"€é"},
        {"windows-1253", "\xE1\xAA", u"α\u00AA"},
        {"windows-1254", "\xD0\xFE", u"Ğş"},
        {"windows-1255", "\xE0", u"א"},
        {"windows-1256", "\xC7", u"ا"},
        {"windows-1257", "\xC0", u"Ą"},
        {"cp1258", "\xC3" "a\xD2", u"Ăa\u0309"},
    };
    for (const auto &[encoding, bytes, text] : cases) {
        const auto movies =
            Parse(WriteFile(std::string("<?xml version=\"1.0\" encoding=\"") + encoding
                                + "\"?><AntMovieCatalog><Catalog><Contents><Movie "
                                  "Number=\"1\" OriginalTitle=\""
                                + bytes + "\"/></Contents></Catalog></AntMovieCatalog>",
                            QStringLiteral("c.xml")));
        ASSERT_EQ(movies.size(), 1u) << encoding;
        EXPECT_EQ(movies[0][SlotOrigTitle], text) << encoding;
    }
}

class CatImportPicture : public CatImport, public ::testing::WithParamInterface<size_t>
{};

TEST_P(CatImportPicture, IsBase64InLinesOf76)
{
    std::string picture(GetParam(), '\0');
    for (size_t i = 0; i < picture.size(); ++i)
        picture[i] = char((i * 131 + 7) & 0xFF);
    TAmcMovie movie = Titled(1, "p");
    movie.pictureName = ".png";
    movie.picture = picture;
    const auto movies = ParseBytes(WriteAmcFile(35, {movie}));
    ASSERT_EQ(movies.size(), 1u);
    const QString text = QString::fromStdU16String(movies[0][SlotPicture]);
    EXPECT_EQ(movies[0][48], u""); // format: empty means JPEG

    // Every line but the last has 76 characters and ends in CR LF; so does a full last one.
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    for (qsizetype i = 0; i + 1 < lines.size(); ++i)
        EXPECT_EQ(lines[i].size(), 76) << "line " << i;
    EXPECT_LT(lines.last().size(), 76);
    const QByteArray decoded = QByteArray::fromBase64(lines.join(QString()).toLatin1(),
                                                      QByteArray::AbortOnBase64DecodingErrors);
    EXPECT_EQ(decoded, QByteArray(picture.data(), qsizetype(picture.size())));
}

// Fill of 2, 1 and 0 characters; exactly one and two full lines.
INSTANTIATE_TEST_SUITE_P(Sizes, CatImportPicture, ::testing::Values(1, 2, 3, 56, 57, 112, 2000));

// A file of three movies, cut or damaged at a position measured from its parts.
struct TDamageCase
{
    const char *name;
    std::function<std::string(const std::string &file, const std::vector<size_t> &recordStarts)>
        damage;
    size_t movies;
};

class CatImportDamage : public CatImport, public ::testing::WithParamInterface<TDamageCase>
{};

TEST_P(CatImportDamage, KeepsTheMoviesBeforeTheDamage)
{
    std::string file;
    AppendAmcHeader(file, 35, {});
    std::vector<size_t> starts;
    for (int number = 1; number <= 3; ++number) {
        starts.push_back(file.size());
        TAmcMovie movie = Titled(number, "m" + std::to_string(number));
        if (number == 3)
            movie.picture = "0123456789";
        AppendAmcMovie(file, 35, movie);
    }
    const auto movies = ParseBytes(GetParam().damage(file, starts));
    ASSERT_EQ(movies.size(), GetParam().movies);
    for (size_t i = 0; i < movies.size(); ++i)
        EXPECT_EQ(movies[i][SlotNum], std::u16string(1, char16_t(u'1' + i)));
}

std::string Cut(const std::string &file, size_t size)
{
    return file.substr(0, size);
}

// The file with the 32-bit value at `offset` replaced.
std::string Patch(std::string file, size_t offset, int32_t value)
{
    std::string bytes;
    AppendAmcInt32(bytes, value);
    file.replace(offset, 4, bytes);
    return file;
}

// Record layout: eight integers and the Checked byte before the media label's length.
constexpr size_t LabelLength = 8 * 4 + 1;

INSTANTIATE_TEST_SUITE_P(
    Files,
    CatImportDamage,
    ::testing::Values(
        TDamageCase{"Whole", [](auto &f, auto &) { return f; }, 3},
        TDamageCase{"ExtraByte", [](auto &f, auto &) { return f + '\0'; }, 3},
        TDamageCase{"MiddleOfThird", [](auto &f, auto &s) { return Cut(f, s[2] + 40); }, 2},
        TDamageCase{"LastByteMissing", [](auto &f, auto &) { return Cut(f, f.size() - 1); }, 2},
        TDamageCase{"EndOfSecond", [](auto &f, auto &s) { return Cut(f, s[2]); }, 2},
        TDamageCase{"InsideFirstNumber", [](auto &f, auto &s) { return Cut(f, s[0] + 2); }, 0},
        TDamageCase{"HeaderOnly", [](auto &f, auto &s) { return Cut(f, s[0]); }, 0},
        TDamageCase{"InsideHeader", [](auto &f, auto &s) { return Cut(f, s[0] - 1); }, 0},
        TDamageCase{"SignatureOnly", [](auto &f, auto &) { return Cut(f, 65); }, 0},
        TDamageCase{"ShortSignature", [](auto &f, auto &) { return Cut(f, 64); }, 0},
        TDamageCase{"Empty", [](auto &, auto &) { return std::string(); }, 0},
        TDamageCase{"WrongSignature", [](auto &f, auto &) { return "X" + f.substr(1); }, 0},
        TDamageCase{"Version5Signature",
                    [](std::string f, auto &) {
                        f.replace(5, 3, "5.0");
                        f.replace(27, 3, "5.0");
                        return f;
                    },
                    0},
        TDamageCase{"HugeHeaderLength", [](auto &f, auto &) { return Patch(f, 65, INT32_MAX); }, 0},
        TDamageCase{
            "NegativeHeaderLength", [](auto &f, auto &) { return Patch(f, 65, INT32_MIN); }, 3},
        TDamageCase{"HugeLabelLength",
                    [](auto &f, auto &s) { return Patch(f, s[1] + LabelLength, INT32_MAX); },
                    1},
        TDamageCase{"LabelLengthOneOverTheEnd",
                    [](auto &f, auto &s) {
                        const size_t left = f.size() - (s[1] + LabelLength + 4);
                        return Patch(f, s[1] + LabelLength, int32_t(left + 1));
                    },
                    1},
        TDamageCase{"NegativeLabelLength",
                    [](auto &f, auto &s) { return Patch(f, s[1] + LabelLength, -7); },
                    3},
        TDamageCase{
            "PictureSizeOneOver", [](auto &f, auto &) { return Patch(f, f.size() - 14, 11); }, 2},
        TDamageCase{
            "PictureSizeNegative",
            [](auto &f, auto &) { return Cut(Patch(f, f.size() - 14, -10), f.size() - 10); },
            3}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(CatImport, ReadsAFileWithANonAsciiName)
{
    const QString path =
        WriteFile(WriteAmcFile(33, {Titled(1, "x")}), QStringLiteral("Filmé €.amc"));
    EXPECT_EQ(Parse(path).size(), 1u);
}

TEST_F(CatImport, IgnoresWhatIsNoFile)
{
    const std::string file = WriteAmcFile(35, {Titled(1, "x")});
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("folder.amc")));
    EXPECT_TRUE(Parse(m_dir.filePath(QStringLiteral("missing.amc"))).empty());
    EXPECT_TRUE(Parse(m_dir.filePath(QStringLiteral("folder.amc"))).empty());
    EXPECT_TRUE(Parse(static_cast<const char16_t *>(nullptr)).empty());
    EXPECT_TRUE(Parse(u"").empty());
    // No callback at all: nothing to hand over to, and no crash.
    Export<TParseImportFunc>("Parse")(U16(WriteFile(file)).c_str(), nullptr, nullptr);
}

} // namespace

namespace {

// What the host hears before it parses: nothing for a file the plug-in reads, else the
// reason in the host's language, naming the file and, for another version, that version.
TEST_F(CatImport, ChecksTheFileBeforeTheImportInTheHostsLanguage)
{
    const auto check = Export<TCheckImportFileFunc>("CheckImportFile");
    ASSERT_NE(check, nullptr);
    auto said = [&](const QString &path, int32_t lang) {
        const char16_t *text = check(U16(path).c_str(), lang);
        return text ? QString::fromUtf16(text) : QString();
    };
    for (const int format : {31, 33, 35, 40, 41, 42})
        EXPECT_EQ(said(WriteFile(WriteAmcFile(format, {Titled(1, "x")})), RK_LANG_GERMAN), u"");
    EXPECT_EQ(
        said(WriteFile("\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<AntMovieCatalog/>"), RK_LANG_GERMAN),
        u"");
    const QString newer = WriteFile(" AMC_5.0 Ant Movie Catalog 5.0.x" + std::string(40, ' '),
                                    QStringLiteral("neu.amc"));
    EXPECT_EQ(said(newer, RK_LANG_GERMAN),
              newer
                  + QStringLiteral(" ist eine Ant-Movie-Catalog-Datei der Version 5.0, die dieser "
                                   "Import nicht liest; es wurde nichts importiert. Gelesen "
                                   "werden Dateien der Versionen 3.1, 3.3, 3.5, 4.0, 4.1 und 4.2 "
                                   "und ihre XML-Form."));
    EXPECT_TRUE(said(newer, RK_LANG_RUSSIAN)
                    .startsWith(newer + QStringLiteral(" is an Ant Movie Catalog file")));
    const QString folder = m_dir.filePath(QStringLiteral("folder.amc"));
    ASSERT_TRUE(QDir().mkdir(folder));
    EXPECT_EQ(said(folder, RK_LANG_ENGLISH),
              folder + QStringLiteral(" does not exist or cannot be read; nothing was imported."));
}

} // namespace

namespace {

// Custom fields of every type, values written as text whatever the type.
const TAmcHeaderTexts FieldsHeader{"",
                                   "",
                                   "",
                                   "",
                                   "",
                                   {{"S", "Shelf", "ftString", {}},
                                    {"I", "Copies", "ftInteger", {}},
                                    {"R", "Score", "ftReal", {}},
                                    {"B", "Boxed", "ftBoolean", {}},
                                    {"D", "Bought", "ftDate", {}},
                                    {"L", "Mood", "ftList", {"calm", "wild"}},
                                    {"T", "Notes", "ftText", {}},
                                    {"U", "", "ftUrl", {}}}}; // no name: the tag stands in

TAmcMovie FullMovie42()
{
    TAmcMovie movie = Titled(3, "Brazil");
    movie.rating = 79;
    movie.comments = "Mine";
    movie.dateWatched = 45658; // 2025-01-01
    movie.userRating = 90;
    movie.colorTag = 2;
    movie.writer = "Tom Stoppard";
    movie.composer = "Michael Kamen";
    movie.certification = "R";
    movie.filePath = "D:\\Films\\brazil.mkv";
    movie.customValues = {"A3", "-1", "", "True", "2020-05-01", "wild", "Two\r\nlines", "http://u"};
    movie.extras = {{true, "t", "Trailer", "Video", "http://t", "", "", "", ".jpg", "\xFF\xD8x"},
                    {false, "r", "", "", "http://r", "", "", "", "", ""},
                    {false, "s", "Stills", "", "", "", "", "", "pics\\s.jpg", ""}};
    return movie;
}

struct TFieldsCase
{
    int version;
    std::map<int, std::u16string> expected; // the slots that differ by version
};

class CatImportFields : public CatImport, public ::testing::WithParamInterface<TFieldsCase>
{};

TEST_P(CatImportFields, MapsTheFieldsOfItsVersion)
{
    const auto movies = ParseBytes(WriteAmcFile(GetParam().version, {FullMovie42()}, FieldsHeader));
    ASSERT_EQ(movies.size(), 1u);
    for (const auto &[slot, text] : GetParam().expected)
        EXPECT_EQ(movies[0][slot], text) << "slot " << slot;
}

const std::u16string CustomLines =
    u"\r\nShelf: A3\r\nCopies: -1\r\nBoxed: True\r\nBought: "
    u"2020-05-01\r\nMood: wild\r\nNotes: Two\r\nlines\r\nU: http://u";

INSTANTIATE_TEST_SUITE_P(
    Versions,
    CatImportFields,
    ::testing::Values(TFieldsCase{40, {{SlotRating, u"7.9"}, {SlotComment, u"Mine" + CustomLines}}},
                      TFieldsCase{41,
                                  {{SlotRating, u"7.9"},
                                   {SlotScenario, u""},
                                   {SlotComment, u"Mine\r\nColour: 2" + CustomLines}}},
                      TFieldsCase{
                          42,
                          {{SlotRating, u"9.0"},
                           {SlotOtherRating, u"7.9"},
                           {SlotViewDate, u"2025-01-01"},
                           {SlotViewed, u"True"},
                           {SlotScenario, u"Tom Stoppard"},
                           {SlotMpaa, u"R"},
                           {SlotPath, u"D:\\Films\\brazil.mkv"},
                           {SlotPicture, u""},
                           {SlotComment,
                            u"Mine\r\nComposer: Michael Kamen\r\nColour: 2" + CustomLines
                                + u"\r\nExtra: Trailer - http://t\r\nExtra: r - http://r\r\nExtra: "
                                  u"Stills"}}}),
    [](const auto &info) { return "V" + std::to_string(info.param.version); });

TEST_F(CatImport, NotesTheCustomFieldsAndExtrasOfTheLastImport)
{
    TAmcMovie plain = Titled(1, "plain");
    ParseBytes(WriteAmcFile(42, {FullMovie42(), plain, FullMovie42()}, FieldsHeader));
    const auto notes = Export<TGetImportNotesFunc>("GetImportNotes");
    ASSERT_NE(notes, nullptr);
    EXPECT_EQ(std::u16string(notes(RK_LANG_ENGLISH)),
              u"The custom fields (Shelf, Copies, Boxed, Bought, Mood, Notes and U) were added "
              u"to the comments of 2 movies. 6 extras were listed with their titles and "
              u"addresses in the comments. Their pictures (4) were not imported. The colour "
              u"tags of 2 movies were added to the comments as \"Colour: number\".");
    EXPECT_TRUE(std::u16string(notes(RK_LANG_GERMAN)).starts_with(u"Die eigenen Felder (Shelf"));
    ParseBytes(WriteAmcFile(35, {plain}));
    EXPECT_EQ(std::u16string(notes(RK_LANG_ENGLISH)), u"");
}

struct TSourceCase
{
    const char *source;
    const char *filePath;
    const char16_t *path;
    const char16_t *comment;
};

class CatImportSource : public CatImport, public ::testing::WithParamInterface<TSourceCase>
{};

// Source is a path only when it looks like one; else it is where the movie came from.
TEST_P(CatImportSource, GoesToThePathOnlyWhenItLooksLikeOne)
{
    TAmcMovie movie = Titled(1, "s");
    movie.source = GetParam().source;
    movie.filePath = GetParam().filePath;
    const auto movies = ParseBytes(WriteAmcFile(42, {movie}));
    ASSERT_EQ(movies.size(), 1u);
    EXPECT_EQ(movies[0][SlotPath], GetParam().path);
    EXPECT_EQ(movies[0][SlotComment], GetParam().comment);
}

INSTANTIATE_TEST_SUITE_P(Sources,
                         CatImportSource,
                         ::testing::Values(TSourceCase{"Friend", "", u"", u"Source: Friend"},
                                           TSourceCase{"C:", "", u"C:", u""},
                                           TSourceCase{"film.avi", "", u"film.avi", u""},
                                           TSourceCase{"/media/a", "", u"/media/a", u""},
                                           TSourceCase{"v. 2", "", u"", u"Source: v. 2"},
                                           TSourceCase{"Dr. No", "", u"", u"Source: Dr. No"},
                                           TSourceCase{
                                               "a.mkv", "b.mkv", u"b.mkv", u"Source: a.mkv"},
                                           TSourceCase{"b.mkv", "b.mkv", u"b.mkv", u""},
                                           TSourceCase{"", "", u"", u""}));

TEST_F(CatImport, ReadsPicturesKeptAsFilesBesideTheCatalog)
{
    ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("pics")));
    WriteFile("\x89PNG-a", QStringLiteral("pics/a.png"));
    WriteFile("\xFF\xD8-b", QStringLiteral("b.jpg"));
    WriteFile("\xFF\xD8-c", QStringLiteral("Caf\u00E9.jpg"));
    std::vector<TAmcMovie> written(6, Titled(0, "p"));
    written[0].pictureName = "pics\\a.png";       // relative to the catalog
    written[1].pictureName = "C:\\Covers\\b.jpg"; // only its name is found beside it
    written[2].pictureName = "missing.jpg";
    written[3].pictureName = "b.jpg";
    written[3].picture = "\xFF\xD8-embedded"; // the embedded one wins
    written[4].pictureName = "Caf\xE9.jpg";   // in the catalog's code page
    written[5].pictureName = "Caf\xC3\xA9.jpg";
    for (size_t i = 0; i < written.size(); ++i)
        written[i].number = int32_t(i);
    const auto movies = ParseBytes(WriteAmcFile(42, written));
    ASSERT_EQ(movies.size(), 6u);
    const auto decoded = [&](size_t i) {
        return QByteArray::fromBase64(QString::fromStdU16String(movies[i][SlotPicture]).toLatin1());
    };
    EXPECT_EQ(decoded(0), QByteArray("\x89PNG-a"));
    EXPECT_EQ(decoded(1), QByteArray("\xFF\xD8-b"));
    EXPECT_EQ(decoded(2), QByteArray());
    EXPECT_EQ(decoded(3), QByteArray("\xFF\xD8-embedded"));
    EXPECT_EQ(decoded(4), QByteArray("\xFF\xD8-c"));
    EXPECT_EQ(decoded(5), QByteArray("\xFF\xD8-c"));

    // The XML form's names are Unicode.
    const auto xml = Parse(WriteFile("<AntMovieCatalog Format=\"4.2\"><Catalog><Contents><Movie "
                                     "Number=\"1\" Picture=\"Caf\xC3\xA9.jpg\"/></Contents>"
                                     "</Catalog></AntMovieCatalog>",
                                     QStringLiteral("m.xml")));
    ASSERT_EQ(xml.size(), 1u);
    EXPECT_EQ(QString::fromStdU16String(xml[0][SlotPicture]).toLatin1(),
              QByteArray("\xFF\xD8-c").toBase64());
}

TEST_F(CatImport, DecodesWindows1252InCustomFields)
{
    TAmcHeaderTexts header;
    header.customFields = {{"n", "Regal \x80", "ftString", {}}};
    TAmcMovie movie = Titled(1, "x");
    movie.customValues = {"Caf\xE9"};
    const auto movies = ParseBytes(WriteAmcFile(41, {movie}, header));
    ASSERT_EQ(movies.size(), 1u);
    EXPECT_EQ(movies[0][SlotComment], u"Regal €: Café");
}

// A 4.2 file cut at every byte keeps exactly the movies complete before the cut.
TEST_F(CatImport, KeepsTheCompleteMoviesOfACut42File)
{
    std::string file;
    AppendAmcHeader(file, 42, FieldsHeader);
    std::vector<size_t> ends;
    for (int number = 1; number <= 2; ++number) {
        TAmcMovie movie = FullMovie42();
        movie.number = number;
        AppendAmcMovie(file, 42, movie);
        ends.push_back(file.size());
    }
    for (size_t size = 60; size <= file.size(); size += 7) {
        const size_t expected = size_t(
            std::count_if(ends.begin(), ends.end(), [&](size_t end) { return end <= size; }));
        EXPECT_EQ(ParseBytes(file.substr(0, size)).size(), expected) << "cut at " << size;
    }
}

struct TXmlCase
{
    const char *name;
    std::string xml;
    std::map<int, std::u16string> expected; // slots of the first movie
    size_t movies;
};

class CatImportXml : public CatImport, public ::testing::WithParamInterface<TXmlCase>
{};

TEST_P(CatImportXml, ReadsTheXmlForm)
{
    const auto movies = Parse(WriteFile(GetParam().xml, QStringLiteral("m.xml")));
    ASSERT_EQ(movies.size(), GetParam().movies);
    for (const auto &[slot, text] : GetParam().expected)
        EXPECT_EQ(movies[0][slot], text) << "slot " << slot;
}

const std::string Xml35 =
    "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n"
    "<AntMovieCatalog Format=\"35\" Version=\"3.5.1\">\r\n<Catalog>\r\n"
    "<Properties Owner=\"me\" Mail=\"\" Site=\"\" Description=\"\"/>\r\n<Contents>\r\n"
    "<Movie Number=\"2\" Checked=\"True\" Date=\"13/10/2006\" Rating=\"7.5\" Year=\"2001\" "
    "Length=\"122\" Media=\"A1\" MediaType=\"DVD\" Source=\"Friend\" OriginalTitle=\"Am\xE9lie\" "
    "Comments=\"one&#13;&#10;two &amp; &lt;3&gt;\" Picture=\"missing.jpg\"/>\r\n"
    "<Movie Number=\"1\" OriginalTitle=\"First\"/>\r\n"
    "</Contents>\r\n</Catalog>\r\n</AntMovieCatalog>\r\n";

std::string Xml4(const char *format)
{
    return std::string("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- saved -->\n"
                       "<AntMovieCatalog Format=\"")
           + format
           + "\" Version=\"4.2.3\">\n<Catalog>\n<Properties Owner=\"\"/>\n"
             "<CustomFieldsProperties ColumnSettings=\"\" GUIProperties=\"\">\n"
             "<CustomField Tag=\"Shelf\" Name=\"Regal\" Type=\"ftString\"/>\n"
             "<CustomField Tag=\"Mood\" Name=\"Stimmung\" Type=\"ftList\"><ListValue "
             "Text=\"a\"/></CustomField>\n"
             "</CustomFieldsProperties>\n<Contents>\n"
             "<Movie Number=\"1\" Date=\"2024-02-29\" DateWatched=\"01.03.2024\" "
             "UserRating=\"8,5\" "
             "Rating=\"6.1\" TranslatedTitle=\"Caf\xC3\xA9 \xE2\x82\xAC\" Writer=\"W\" "
             "Composer=\"C\" "
             "Certification=\"PG\" FilePath=\"/m/x.mkv\" ColorTag=\"3\">\n"
             "<Description><![CDATA[<b>bold</b> & more]]></Description>\n"
             "<CustomFields Shelf=\"B2\" Mood=\"\" Other=\"x\"/>\n"
             "<Extras><Extra Checked=\"True\" Title=\"Trailer\" URL=\"http://t\" "
             "Picture=\"t.jpg\"/></Extras>\n"
             "</Movie>\n</Contents>\n</Catalog>\n</AntMovieCatalog>\n";
}

// A 4.2 catalog with one movie element; "Year" names a custom field as well.
std::string Xml42Movie(const char *movie)
{
    return std::string("<AntMovieCatalog Format=\"4.2\"><Catalog><CustomFieldsProperties>"
                       "<CustomField Tag=\"Shelf\" Name=\"Regal\"/><CustomField Tag=\"Year\" "
                       "Name=\"Jahr\"/></CustomFieldsProperties><Contents>")
           + movie + "</Contents></Catalog></AntMovieCatalog>";
}

const std::map<int, std::u16string> Xml4Slots = {
    {SlotTitle, u"Café €"},
    {SlotDateAdded, u"2024-02-29"},
    {SlotViewDate, u"2024-03-01"},
    {SlotRating, u"8.5"},
    {SlotOtherRating, u"6.1"},
    {SlotScenario, u"W"},
    {SlotMpaa, u"PG"},
    {SlotPath, u"/m/x.mkv"},
    {22, u"<b>bold</b> & more"},
    {SlotComment,
     u"Composer: C\r\nColour: 3\r\nRegal: B2\r\nOther: x\r\nExtra: Trailer - http://t"}};

INSTANTIATE_TEST_SUITE_P(
    Files,
    CatImportXml,
    ::testing::Values(
        TXmlCase{"Format35", Xml35, {{SlotNum, u"1"}, {SlotTitle, u"First"}}, 2},
        TXmlCase{"Format35Second",
                 // The second movie alone, so its slots are the first.
                 Xml35.substr(0, Xml35.find("<Movie Number=\"1\""))
                     + "</Contents></Catalog></AntMovieCatalog>",
                 {{SlotNum, u"2"},
                  {SlotTitle, u"Amélie"},
                  {SlotDateAdded, u"2006-10-13"},
                  {SlotRating, u"7.5"},
                  {SlotYear, u"2001"},
                  {SlotLength, u"122"},
                  {41, u"A1"},
                  {SlotType, u"DVD"},
                  {SlotComment, u"one\r\ntwo & <3>\r\nSource: Friend"},
                  {SlotPicture, u""}},
                 1},
        TXmlCase{"Format40", Xml4("40"), Xml4Slots, 1},
        TXmlCase{"Format41", Xml4("41"), Xml4Slots, 1},
        TXmlCase{"Format42", Xml4("42"), Xml4Slots, 1},
        TXmlCase{"Format42Dotted", Xml4("4.2"), Xml4Slots, 1},
        // Custom values as child elements, on the movie itself (not for its own fields).
        TXmlCase{"CustomValuesAsElements",
                 Xml42Movie("<Movie Number=\"1\"><CustomFields><Shelf>B2</Shelf>"
                            "<Mood/></CustomFields></Movie>"),
                 {{SlotComment, u"Regal: B2"}},
                 1},
        TXmlCase{"CustomValuesOnTheMovie",
                 Xml42Movie("<Movie Number=\"1\" Shelf=\"B2\" Year=\"1985\"/>"),
                 {{SlotComment, u"Regal: B2"}, {SlotYear, u"1985"}},
                 1},
        TXmlCase{"Windows1251",
                 "<?xml version=\"1.0\" encoding=\"Windows-1251\"?><AntMovieCatalog><Catalog>"
                 "<Contents><Movie Number=\"1\" OriginalTitle=\"\xCF\xF0\xE8\xE2\xE5\xF2\"/>"
                 "</Contents></Catalog></AntMovieCatalog>",
                 {{SlotTitle, u"Привет"}},
                 1},
        // A date that can only be month first makes the file's other dates month first.
        TXmlCase{"MonthFirstDates",
                 Xml42Movie("<Movie Number=\"1\" Date=\"03/04/2006\"/><Movie Number=\"2\" "
                            "DateWatched=\"12/25/2007\"/>"),
                 {{SlotDateAdded, u"2006-03-04"}},
                 2},
        TXmlCase{"DayFirstDates",
                 Xml42Movie("<Movie Number=\"1\" Date=\"03/04/2006\"/><Movie Number=\"2\" "
                            "Date=\"12/25/2007\" DateWatched=\"25/12/2007\"/>"),
                 {{SlotDateAdded, u"2006-04-03"}},
                 2},
        TXmlCase{"CutInsideTheSecondMovie", Xml35.substr(0, Xml35.find("Number=\"1\"") + 3), {}, 1},
        TXmlCase{"CutInsideTheFirstMovie", Xml35.substr(0, Xml35.find("Rating=")), {}, 0},
        TXmlCase{
            "OtherRoot", "<?xml version=\"1.0\"?><Movies><Movie Number=\"1\"/></Movies>", {}, 0},
        TXmlCase{"DeepNesting",
                 "<AntMovieCatalog><Catalog><Contents>" + std::string(100000, '<') + "x",
                 {},
                 0},
        TXmlCase{"BrokenEntities",
                 "<AntMovieCatalog><Catalog><Contents><Movie Number=\"1\" "
                 "OriginalTitle=\"&#xD800;&#99999999999;&bogus;&\"/></Contents></Catalog></"
                 "AntMovieCatalog>",
                 {{SlotTitle, u"&#xD800;&#99999999999;&bogus;&"}},
                 1}),
    [](const auto &info) { return std::string(info.param.name); });

// The same hand-written catalog in each encoding the program's XML form comes in.
class CatImportXmlFile : public CatImport, public ::testing::WithParamInterface<const char *>
{};

TEST_P(CatImportXmlFile, ReadsEveryFieldWhateverTheEncoding)
{
    const QString path = QStringLiteral(RK_CATIMPORT_DATA "/") + QLatin1String(GetParam());
    const char16_t *refusal =
        Export<TCheckImportFileFunc>("CheckImportFile")(U16(path).c_str(), RK_LANG_ENGLISH);
    EXPECT_TRUE(!refusal || !*refusal) << QString::fromUtf16(refusal).toStdString();
    const auto movies = Parse(path);
    ASSERT_EQ(movies.size(), 2u);
    EXPECT_EQ(movies[0][SlotTitle], u"Brazil");
    const std::map<int, std::u16string> expected = {
        {SlotNum, u"2"},
        {SlotTitle, u"Die fabelhafte Welt der Amélie 🎬"},
        {SlotOrigTitle, u"Amélie"},
        {SlotYear, u"2001"},
        {5, u"Komödie"},
        {SlotRating, u"9.0"},
        {SlotOtherRating, u"7.5"},
        {SlotScenario, u"Guillaume Laurant"},
        {SlotDateAdded, u"2024-02-29"},
        {SlotViewDate, u"2024-03-01"},
        {22, u"Paris, 1997 & später"},
        {SlotLength, u"122"},
        {SlotVideoBitrate, u"1800"},
        {SlotCount, u"1"},
        {SlotType, u"DVD"},
        {41, u"B12"},
        {SlotComment,
         u"Zeile eins\r\nZeile zwei\r\nComposer: Yann Tiersen\r\nSource: Geschenk\r\nColour: "
         u"4\r\nRegal: B2\r\nExtra: Trailer - http://example.org/t"}};
    for (const auto &[slot, text] : expected)
        EXPECT_EQ(movies[1][slot], text) << "slot " << slot;
}

INSTANTIATE_TEST_SUITE_P(Encodings,
                         CatImportXmlFile,
                         ::testing::Values("format42.xml",
                                           "format42_utf16le.xml",
                                           "format42_utf16be.xml",
                                           "format42_utf16le_nobom.xml"),
                         [](const auto &info) {
                             std::string name = info.param;
                             name.erase(name.find('.'));
                             return name;
                         });

// UTF-16 as the file's bytes: little-endian unless `bigEndian`, after a byte order mark.
std::string Utf16Bytes(std::u16string_view text, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const char high = char(unit >> 8);
        const char low = char(unit & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

// What only UTF-16 can get wrong: broken pairs, a last odd byte, a declaration that lies.
TEST_F(CatImport, ReadsBrokenUtf16AndLyingDeclarations)
{
    const std::u16string lone = u"<AntMovieCatalog><Catalog><Contents><Movie Number=\"1\" "
                                u"OriginalTitle=\"a\xD800"
                                u"b\xDC00\"/></Contents></Catalog>"
                                u"</AntMovieCatalog>";
    for (const bool bigEndian : {false, true}) {
        const auto movies =
            Parse(WriteFile(Utf16Bytes(lone, bigEndian) + 'x', QStringLiteral("u.xml")));
        ASSERT_EQ(movies.size(), 1u);
        EXPECT_EQ(movies[0][SlotTitle], u"a\uFFFDb\uFFFD");
    }
    // 8-bit text that calls itself UTF-16 is read as the 8-bit text it is.
    const auto movies = Parse(WriteFile("<?xml version=\"1.0\" encoding=\"UTF-16\"?>"
                                        "<AntMovieCatalog><Catalog><Contents><Movie Number=\"1\" "
                                        "OriginalTitle=\"Caf\xC3\xA9\"/></Contents></Catalog>"
                                        "</AntMovieCatalog>",
                                        QStringLiteral("d.xml")));
    ASSERT_EQ(movies.size(), 1u);
    EXPECT_EQ(movies[0][SlotTitle], u"Café");
}

} // namespace
