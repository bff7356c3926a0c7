#include <set>

#include <gtest/gtest.h>

#include <QFile>
#include <QObject>
#include <QTemporaryDir>

#include "host/messagesink.h"
#include "views/languagewide.h"

namespace {

struct TRecordingSink : IMessageSink
{
    void ShowMessage(TMessageKind kind, const QString &, const QString &text) override
    {
        EXPECT_EQ(kind, TMessageKind::Error);
        texts.append(text);
    }
    QStringList texts;
};

QString DataFile(const char *name)
{
    return QStringLiteral(RK_VIEWS_DATA_DIR "/") + QString::fromUtf8(name);
}

class LanguageTest : public ::testing::Test
{
protected:
    // Writes raw bytes as a language file and loads it.
    bool LoadBytes(const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(QStringLiteral("lang.txt"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        return m_language.Load(path);
    }

    QTemporaryDir m_dir;
    TRecordingSink m_sink;
    TWideLanguage m_language{&m_sink};
};

TEST_F(LanguageTest, TwoLanguagesOfferBasesNamesAndIdentifiers)
{
    ASSERT_TRUE(m_language.Load(DataFile("twolanguages.txt")));
    EXPECT_TRUE(m_sink.texts.isEmpty());
    ASSERT_EQ(m_language.LanguageCount(), 2);
    EXPECT_EQ(m_language.LanguageName(0), QStringLiteral("English"));
    EXPECT_EQ(m_language.LanguageName(1), QStringLiteral("Deutsch")); // empty 3001: fallback
    EXPECT_EQ(m_language.LanguageName(2), QString());
    EXPECT_EQ(m_language.LanguageName(-1), QString());
    EXPECT_EQ(m_language.LanguageIndex(), 0);
    EXPECT_EQ(m_language.LanguageId(), 9);
    EXPECT_EQ(m_language.Text(5), QStringLiteral("Five"));

    EXPECT_EQ(m_language.IndexOfLanguage(7), 1);
    EXPECT_EQ(m_language.IndexOfLanguage(25), -1);
    m_language.SetLanguage(1);
    EXPECT_EQ(m_language.LanguageId(), 7);
    EXPECT_EQ(m_language.Text(5), QStringLiteral("Fünf")); // string 3005
    EXPECT_EQ(m_language.Text(8), QString());              // German lacks it: no fallback
    m_language.SetLanguage(2);
    m_language.SetLanguage(-1);
    EXPECT_EQ(m_language.LanguageIndex(), 1);
}

TEST_F(LanguageTest, DisplayNameStringReplacesTheTableName)
{
    ASSERT_TRUE(LoadBytes("0\tEnglish|1000:9;Deutsch|3000:7;\n1001\tEnglish (UK)\n"));
    EXPECT_EQ(m_language.LanguageName(0), QStringLiteral("English (UK)"));
    EXPECT_EQ(m_language.LanguageName(1), QStringLiteral("Deutsch"));
}

TEST_F(LanguageTest, LineBreaksAndApplicationName)
{
    ASSERT_TRUE(m_language.Load(DataFile("twolanguages.txt")));
    EXPECT_EQ(m_language.Text(6), QStringLiteral("Line one\nline two"));
    EXPECT_EQ(m_language.RawText(6), QStringLiteral("Line one#13line two"));
    EXPECT_EQ(m_language.Text(7), QStringLiteral("Welcome to Reelkeep"));
    m_language.SetAppName(QStringLiteral("Other"));
    m_language.SetLanguage(1);
    EXPECT_EQ(m_language.Text(7), QStringLiteral("Willkommen bei Other"));
}

struct THintCase
{
    int number;
    const char *caption; // with "Default" as the default
    const char *hint;
};

class HintTest : public LanguageTest, public ::testing::WithParamInterface<THintCase>
{};

TEST_P(HintTest, CaptionAndHintSplitAtTheMark)
{
    ASSERT_TRUE(m_language.Load(DataFile("twolanguages.txt")));
    const THintCase &c = GetParam();
    EXPECT_EQ(m_language.Caption(c.number, QStringLiteral("Default")),
              QString::fromUtf8(c.caption));
    EXPECT_EQ(m_language.Hint(c.number), QString::fromUtf8(c.hint));
}

INSTANTIATE_TEST_SUITE_P(Texts,
                         HintTest,
                         ::testing::Values(THintCase{8, "Save", "1200"},
                                           THintCase{9, "Save", ""},
                                           THintCase{10, "Default", "1200"},
                                           THintCase{5, "Five", ""},
                                           THintCase{6, "Line one\nline two", ""},
                                           THintCase{99, "Default", ""}));

TEST_F(LanguageTest, MissingFileKeepsBuiltInTexts)
{
    EXPECT_FALSE(m_language.Load(m_dir.filePath(QStringLiteral("absent.txt"))));
    EXPECT_EQ(m_sink.texts, QStringList{QStringLiteral("Source Dll not Found!")});
    EXPECT_FALSE(m_language.IsLoaded());
    EXPECT_EQ(m_language.LanguageCount(), 0);
    EXPECT_EQ(m_language.LanguageIndex(), -1);
    EXPECT_EQ(m_language.LanguageId(), 9);
    EXPECT_EQ(m_language.Text(5), QString());
    EXPECT_EQ(m_language.Caption(5, QStringLiteral("&Open")), QStringLiteral("&Open"));
}

TEST_F(LanguageTest, ReloadingFreesThePreviousTable)
{
    ASSERT_TRUE(m_language.Load(DataFile("twolanguages.txt")));
    m_language.SetLanguage(1);
    EXPECT_FALSE(m_language.Load(QString()));
    EXPECT_TRUE(m_sink.texts.isEmpty()); // an empty path only frees
    EXPECT_EQ(m_language.LanguageCount(), 0);
    EXPECT_EQ(m_language.Text(5), QString());
    ASSERT_TRUE(LoadBytes("0\tSolo|0:9;\n5\tfive\n"));
    EXPECT_EQ(m_language.LanguageIndex(), 0);
    EXPECT_EQ(m_language.Text(5), QStringLiteral("five"));
}

// One language table (string 0) and what it must give.
struct TTableCase
{
    const char *name;
    const char *table;
    QStringList names;
    QList<qint64> bases;
    QList<int> ids;
    QStringList messages;
};

class TableTest : public LanguageTest, public ::testing::WithParamInterface<TTableCase>
{};

TEST_P(TableTest, ParsesEntries)
{
    const TTableCase &c = GetParam();
    ASSERT_TRUE(LoadBytes(QByteArray("0\t") + c.table + "\n"));
    ASSERT_EQ(m_language.LanguageCount(), c.names.size());
    for (int i = 0; i < c.names.size(); ++i) {
        EXPECT_EQ(m_language.LanguageName(i), c.names.at(i)) << i;
        EXPECT_EQ(m_language.LanguageBase(i), c.bases.at(i)) << i;
        m_language.SetLanguage(i);
        EXPECT_EQ(m_language.LanguageId(), c.ids.at(i)) << i;
    }
    EXPECT_EQ(m_language.LanguageIndex(), c.names.isEmpty() ? -1 : c.names.size() - 1);
    EXPECT_EQ(m_sink.texts, c.messages);
}

const QString TableError = QStringLiteral("Error reading languages.");
const QString ReadError = QStringLiteral("Error reading from language DLL.");

INSTANTIATE_TEST_SUITE_P(
    Tables,
    TableTest,
    ::testing::Values(
        TTableCase{"IdentifierNotANumber",
                   "English|1000:x;",
                   {QStringLiteral("English")},
                   {1000},
                   {0},
                   {}},
        TTableCase{"BaseNotANumber",
                   "English|abc:9;Deutsch|3000:7;",
                   {QString(), QStringLiteral("Deutsch")},
                   {0, 3000},
                   {9, 7},
                   {TableError}},
        TTableCase{
            "SpacesAroundNumbers", " Name | 20 : 7 ;", {QStringLiteral(" Name ")}, {20}, {7}, {}},
        TTableCase{"SeparatorsOutOfOrder",
                   "A|1;B|2:3;",
                   {QString(), QStringLiteral("B")},
                   {0, 2},
                   {0, 3},
                   {TableError}},
        TTableCase{"NoClosingSemicolon", "English|1000:9", {}, {}, {}, {ReadError}},
        TTableCase{"TrailingGarbageIgnored",
                   "English|1000:9;junk",
                   {QStringLiteral("English")},
                   {1000},
                   {9},
                   {}},
        TTableCase{"Empty", "", {}, {}, {}, {ReadError}},
        TTableCase{"NonAscii", "Русский|500:25;", {QStringLiteral("Русский")}, {500}, {25}, {}}),
    [](const auto &info) { return std::string(info.param.name); });

// Whole files: whether they load, the messages, and a text that must survive.
struct TFileCase
{
    const char *name;
    QByteArray bytes;
    bool loaded;
    QStringList messages;
    const char *text5; // text 5 of the first language afterwards
};

class FileTest : public LanguageTest, public ::testing::WithParamInterface<TFileCase>
{};

TEST_P(FileTest, LoadsOrReports)
{
    const TFileCase &c = GetParam();
    EXPECT_EQ(LoadBytes(c.bytes), c.loaded);
    EXPECT_EQ(m_sink.texts, c.messages);
    EXPECT_EQ(m_language.Text(5), QString::fromUtf8(c.text5));
}

INSTANTIATE_TEST_SUITE_P(
    Files,
    FileTest,
    ::testing::Values(
        TFileCase{"CommentsBlankLinesBomAndCrLf",
                  "\xEF\xBB\xBF# comment\r\n\r\n0\tE|0:9;\r\n  \r\n5\tfive\tand tab\r\n",
                  true,
                  {},
                  "five\tand tab"},
        TFileCase{"HashInsideTextIsNotAComment", "0\tE|0:9;\n5\t#13 first\n", true, {}, "\n first"},
        TFileCase{"LineWithoutTabKeepsTheRest",
                  "0\tE|0:9;\nbroken line\n5\tfive\n",
                  true,
                  {ReadError},
                  "five"},
        TFileCase{"NumberNotANumber", "0\tE|0:9;\nx5\tbad\n5\tfive\n", true, {ReadError}, "five"},
        TFileCase{"NegativeNumber", "0\tE|0:9;\n-5\tbad\n5\tfive\n", true, {ReadError}, "five"},
        TFileCase{"DuplicateKeepsTheFirst",
                  "0\tE|0:9;\n5\tfirst\n5\tsecond\n",
                  true,
                  {ReadError},
                  "first"},
        TFileCase{"InvalidUtf8", "0\tE|0:9;\n5\t\xC3\x28\n", false, {ReadError}, ""},
        TFileCase{"NoTable", "5\tfive\n", true, {ReadError}, ""},
        TFileCase{"EmptyFile", "", true, {ReadError}, ""},
        TFileCase{"BaseBeyondRange", "0\tE|99999999999:9;\n5\tfive\n", true, {TableError}, "five"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(LanguageTest, TextsAreCutAtTheLimit)
{
    const QByteArray atLimit(TWideLanguage::TextLimit, 'a');
    const QByteArray over = QByteArray(TWideLanguage::TextLimit - 1, 'b') + "\xF0\x9F\x8E\xAC";
    ASSERT_TRUE(LoadBytes("0\tE|0:9;\n5\t" + atLimit + "\n6\t" + atLimit + "z\n7\t" + over + "\n"));
    EXPECT_EQ(m_language.Text(5).size(), TWideLanguage::TextLimit);
    EXPECT_EQ(m_language.Text(6), QString::fromLatin1(atLimit));
    // A surrogate pair across the limit is dropped whole, never split.
    EXPECT_EQ(m_language.Text(7),
              QString::fromLatin1(QByteArray(TWideLanguage::TextLimit - 1, 'b')));
}

TEST_F(LanguageTest, ExclusionForgetsDestroyedComponents)
{
    auto *kept = new QObject;
    auto *gone = new QObject;
    m_language.Exclude(kept);
    m_language.Exclude(gone);
    m_language.Exclude(nullptr);
    EXPECT_TRUE(m_language.IsExcluded(kept));
    delete gone;
    EXPECT_FALSE(m_language.IsExcluded(gone)); // its address may come back for a new object
    EXPECT_FALSE(m_language.IsExcluded(nullptr));
    delete kept;
}

// The shipped table: loads silently, offers English and German with the same numbers, and
// holds the texts the program asks for by number.
TEST(ShippedLanguageFile, EnglishAndGermanMatch)
{
    TRecordingSink sink;
    TWideLanguage language(&sink);
    ASSERT_TRUE(language.Load(QStringLiteral(RK_LANG_FILE)));
    EXPECT_TRUE(sink.texts.isEmpty()) << sink.texts.join(u'|').toStdString();
    ASSERT_EQ(language.LanguageCount(), 2);
    const int english = language.IndexOfLanguage(9);
    const int german = language.IndexOfLanguage(7);
    ASSERT_GE(english, 0);
    ASSERT_GE(german, 0);
    EXPECT_EQ(language.LanguageName(english), QStringLiteral("English"));
    EXPECT_EQ(language.LanguageName(german), QStringLiteral("Deutsch"));

    QFile file(QStringLiteral(RK_LANG_FILE));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const qint64 bases[2] = {language.LanguageBase(english), language.LanguageBase(german)};
    std::set<qint64> numbers[2];
    for (const QByteArray &line : file.readAll().split('\n')) {
        const qsizetype tab = line.indexOf('\t');
        if (tab <= 0 || line.startsWith('#'))
            continue;
        const qint64 number = line.left(tab).toLongLong();
        for (int i = 0; i < 2; ++i) {
            if (number > bases[i] && number < bases[i] + 10000)
                numbers[i].insert(number - bases[i]);
        }
    }
    EXPECT_EQ(numbers[0], numbers[1]);

    // Every text the program asks for by number, in both languages.
    const std::pair<int, int> required[] = {
        {82, 83},     {298, 299},   {400, 449},   {510, 522},   {550, 552},   {1300, 1301},
        {1690, 1692}, {1750, 1751}, {1800, 1818}, {1820, 1822}, {1850, 1850}, {1852, 1862},
        {1865, 1874}, {1881, 1886}, {1890, 1895}, {2000, 2032}, {2050, 2064}, {2150, 2155},
        {2170, 2180}, {2200, 2243}, {2300, 2313}, {2400, 2403}};
    for (const int index : {english, german}) {
        language.SetLanguage(index);
        for (const auto &[first, last] : required) {
            for (int n = first; n <= last; ++n)
                EXPECT_FALSE(language.Text(n).isEmpty()) << index << ": text " << n;
        }
    }
}

} // namespace
