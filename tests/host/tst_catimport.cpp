// The catimport plug-in through its C exports, loaded the way the host loads it.
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
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

namespace {

// Host slots the tests name.
enum : int {
    SlotNum = 0,
    SlotTitle = 1,
    SlotOrigTitle = 2,
    SlotYear = 4,
    SlotRating = 17,
    SlotDateAdded = 19,
    SlotPath = 26,
    SlotLength = 28,
    SlotVideoBitrate = 33,
    SlotAudioBitrate = 35,
    SlotCount = 39,
    SlotType = 40,
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
    EXPECT_EQ(Export<TCanConfigFunc>("CanConfig")() & 0xFF, 0);
    for (const int32_t lang : {RK_LANG_ENGLISH, RK_LANG_GERMAN, RK_LANG_RUSSIAN}) {
        EXPECT_EQ(std::u16string(Export<TGetNameFunc>("GetName")(lang)), u"Ant Movie Catalog");
        EXPECT_EQ(std::u16string(Export<TGetFilterFunc>("GetFilter")(lang)),
                  u"Ant Movie Catalog Files|*.amc");
    }
    // Only the import's exports: the host must not find a configuration or about text.
    for (const char *absent : {"GetAbout", "Configure", "GetURL", "ExportType", "GetMovie"})
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
        expected[SlotPath] = u"Shelf 3";
        expected[SlotType] = u"DVD";
    }
    for (int slot = 0; slot < RK_MOVIE_TEXT_SLOTS; ++slot) {
        const auto it = expected.find(slot);
        EXPECT_EQ(movies[0][slot], it == expected.end() ? u"" : it->second) << "slot " << slot;
    }
}

INSTANTIATE_TEST_SUITE_P(Formats,
                         CatImportVersion,
                         ::testing::Values(TVersionCase{35, 75, u"7.5"},
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
        TDamageCase{"Version4Signature",
                    [](std::string f, auto &) {
                        f.replace(5, 3, "4.2");
                        f.replace(27, 3, "4.2");
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
    for (const int format : {31, 33, 35})
        EXPECT_EQ(said(WriteFile(WriteAmcFile(format, {Titled(1, "x")})), RK_LANG_GERMAN), u"");
    const QString newer = WriteFile(" AMC_4.1 Ant Movie Catalog 4.1.x" + std::string(40, ' '),
                                    QStringLiteral("neu.amc"));
    EXPECT_EQ(said(newer, RK_LANG_GERMAN),
              newer
                  + QStringLiteral(" ist eine Ant-Movie-Catalog-Datei der Version 4.1, die dieser "
                                   "Import nicht liest; es wurde nichts importiert. Gelesen "
                                   "werden Dateien der Versionen 3.1, 3.3 und 3.5."));
    EXPECT_TRUE(said(newer, RK_LANG_RUSSIAN)
                    .startsWith(newer + QStringLiteral(" is an Ant Movie Catalog file")));
    const QString folder = m_dir.filePath(QStringLiteral("folder.amc"));
    ASSERT_TRUE(QDir().mkdir(folder));
    EXPECT_EQ(said(folder, RK_LANG_ENGLISH),
              folder + QStringLiteral(" does not exist or cannot be read; nothing was imported."));
}

} // namespace
