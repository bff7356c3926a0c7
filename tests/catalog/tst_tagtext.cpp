#include <algorithm>
#include <map>
#include <memory>
#include <ostream>
#include <random>
#include <stdexcept>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "catalog/cataloglinereader.h"
#include "catalog/tagtext.h"

using namespace Qt::Literals::StringLiterals;

void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toUtf8().toStdString() << '"';
}

namespace {

using TEnds = std::vector<std::pair<QString, QString>>;

void RecordEnd(void *context, const QString &name, const QString &value)
{
    static_cast<TEnds *>(context)->emplace_back(name, value);
}

TEnds ReadEnds(const QStringList &lines)
{
    TEnds ends;
    ReadTagText(lines, &RecordEnd, &ends);
    // The file reader hands out many lines at once; the reader must take them one at a
    // time and find what it finds in a list of lines (whose lines a file cannot hold when
    // they have line breaks of their own).
    const bool breakFree = std::none_of(lines.begin(), lines.end(), [](const QString &line) {
        return line.contains(u'\r') || line.contains(u'\n');
    });
    if (!breakFree)
        return ends;
    // With a last line break every line comes in one block; without one the last line is
    // left to the file, whose bound on what is left is loose.
    for (const QString &last : {u"\r\n"_s, QString()}) {
        TCatalogLineReader file((lines.join(u"\r\n"_s) + last).toUtf8());
        TEnds fromFile;
        EXPECT_TRUE(file.Open());
        ReadTagText(file, &RecordEnd, &fromFile);
        EXPECT_EQ(fromFile, ends);
    }
    return ends;
}

// Splits like the catalog loader: at CR LF, CR or LF.
QStringList SplitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\r' && text[i] != u'\n')
            continue;
        lines.append(text.mid(start, i - start));
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    lines.append(text.mid(start));
    return lines;
}

// --- Writer ---------------------------------------------------------------------------

struct TFormatCase
{
    const char *Label;
    QString Name;
    QString Value;
    bool HasValue;
    int Indent;
    bool Mode;
    bool Close;
    QString Expected;
};

void PrintTo(const TFormatCase &c, std::ostream *os)
{
    *os << c.Label;
}

class FormatTagTest : public ::testing::TestWithParam<TFormatCase>
{};

TEST_P(FormatTagTest, BuildsElement)
{
    const TFormatCase &c = GetParam();
    EXPECT_EQ(FormatTag(c.Name, c.Value, c.HasValue, c.Indent, c.Mode, c.Close), c.Expected);
    // The catalog writer builds the same straight in UTF-8 (it never indents).
    if (c.Indent == 0) {
        TTagWriter writer;
        writer.Append(c.Name, c.Value, c.HasValue, c.Mode, c.Close);
        EXPECT_EQ(writer.Bytes, c.Expected.toUtf8());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Forms,
    FormatTagTest,
    ::testing::Values(
        TFormatCase{
            "NumberClosed", u"year"_s, u"1999"_s, true, 0, false, true, u"<year>1999</year>\r\n"_s},
        TFormatCase{"OpeningOnly", u"movie"_s, {}, true, 0, false, false, u"<movie>"_s},
        TFormatCase{"ClosingOnly", u"movie"_s, {}, false, 0, false, true, u"</movie>\r\n"_s},
        TFormatCase{"Neither", u"movie"_s, u"x"_s, false, 0, true, false, {}},
        TFormatCase{"Indent", u"a"_s, u"1"_s, true, 2, false, true, u"  <a>1</a>\r\n"_s},
        TFormatCase{"TextEscapesButKeepsQuotes",
                    u"title"_s,
                    u"Tom & \"Jerry\" <'99'>"_s,
                    true,
                    0,
                    true,
                    true,
                    u"<title>Tom &amp; \"Jerry\" &lt;'99'&gt;</title>\r\n"_s},
        TFormatCase{"NumberModeLeavesText",
                    u"url"_s,
                    u"a&b<c>"_s,
                    true,
                    0,
                    false,
                    true,
                    u"<url>a&b<c></url>\r\n"_s},
        TFormatCase{"LongTextPrefixed",
                    u"description"_s,
                    u"Line <one>\r\nA & B"_s,
                    true,
                    0,
                    true,
                    true,
                    u"<description><s>17</s>Line <one>\r\nA & B</description>\r\n"_s},
        TFormatCase{"LongTextCountsUtf16Units",
                    u"bio"_s,
                    u"\u00e9\U0001F600"_s,
                    true,
                    0,
                    true,
                    true,
                    u"<bio><s>3</s>\u00e9\U0001F600</bio>\r\n"_s},
        TFormatCase{"LongTextLoneBreaksBecomeCrLf",
                    u"comment"_s,
                    u"a\nb\rc\r\n"_s,
                    true,
                    0,
                    true,
                    true,
                    u"<comment><s>9</s>a\r\nb\r\nc\r\n</comment>\r\n"_s},
        TFormatCase{"LongTextLoneBreaksBesideWideCharacters",
                    u"comment"_s,
                    u"\u00e9\n\u20ac\r\U0001F600\r\n"_s,
                    true,
                    0,
                    true,
                    true,
                    u"<comment><s>10</s>\u00e9\r\n\u20ac\r\n\U0001F600\r\n</comment>\r\n"_s},
        // A surrogate without its partner is written as "?" in the file, as toUtf8 does.
        TFormatCase{"TextWithEveryUtf8Length",
                    u"title"_s,
                    QString::fromUtf16(u"abcd\u00e9fgh\xD800<\U0001F600\u20ac&\xDC00x\xD800"),
                    true,
                    0,
                    true,
                    true,
                    QString::fromUtf16(u"<title>abcd\u00e9fgh\xD800&lt;\U0001F600\u20ac&amp;"
                                       u"\xDC00x\xD800</title>\r\n")},
        TFormatCase{"LongTextEmpty",
                    u"filmography"_s,
                    {},
                    true,
                    0,
                    true,
                    true,
                    u"<filmography><s>0</s></filmography>\r\n"_s},
        TFormatCase{"LongTextNumberModePlain",
                    u"comment"_s,
                    u"a<b"_s,
                    true,
                    0,
                    false,
                    true,
                    u"<comment>a<b</comment>\r\n"_s},
        TFormatCase{"LongTextNamesAreCaseSensitive",
                    u"Comment"_s,
                    u"a<b"_s,
                    true,
                    0,
                    true,
                    true,
                    u"<Comment>a&lt;b</Comment>\r\n"_s}),
    [](const auto &info) { return std::string(info.param.Label); });

// The writer's fast paths take eight characters at a time: whatever falls where, its
// bytes are FormatTag's text in UTF-8.
TEST(FormatTag, WriterMatchesWhereverSpecialCharactersFall)
{
    const QString specials[] = {u"\u00E9"_s,
                                u"\u20AC"_s,
                                u"\U0001F600"_s,
                                QString(QChar(0xD800)),
                                u"&"_s,
                                u"<"_s,
                                u">"_s,
                                u"\r"_s,
                                u"\n"_s,
                                u"\r\n"_s};
    for (const QString &special : specials) {
        for (int length : {0, 7, 8, 9, 20}) {
            for (int at = 0; at <= length; ++at) {
                const QString plain(length, u'a');
                const QString value = plain.left(at) + special + plain.mid(at);
                for (const QString &name : {u"title"_s, u"description"_s}) {
                    for (bool mode : {false, true}) {
                        TTagWriter writer;
                        writer.Append(name, value, true, mode, true);
                        ASSERT_EQ(writer.Bytes,
                                  FormatTag(name, value, true, 0, mode, true).toUtf8())
                            << name.toStdString() << " " << at << "/" << length;
                    }
                }
            }
        }
    }
}

TEST(FormatTag, DescriptionSpansTwoPhysicalLines)
{
    const QString value = u"ab<c>&\r\nxyz!"_s;
    ASSERT_EQ(value.size(), 12);
    const QString text = FormatTag(u"description"_s, value, true, 0, true, true);
    EXPECT_EQ(SplitLines(text),
              QStringList({u"<description><s>12</s>ab<c>&"_s, u"xyz!</description>"_s, {}}));
}

TEST(ValueHook, ReplacesEveryFormOnlyForTheWriterThatHasIt)
{
    const TValueHook hook([](const QString &value) { return u"[%1]"_s.arg(value); });
    const auto format =
        [&hook](const char *name, const QString &value, bool hasValue, bool mode, bool close) {
            return FormatTag(QString::fromLatin1(name), value, hasValue, 0, mode, close, &hook);
        };
    EXPECT_EQ(format("year", u"1999"_s, true, false, true), u"<year>[1999]</year>\r\n"_s);
    EXPECT_EQ(format("comment", u"a<b"_s, true, true, true), u"<comment>[a<b]</comment>\r\n"_s);
    EXPECT_EQ(format("title", u"&"_s, true, true, false), u"<title>[&]"_s);
    EXPECT_EQ(format("movie", {}, true, false, false), u"<movie>[]"_s);
    EXPECT_EQ(format("movie", {}, false, false, true), u"</movie>\r\n"_s);

    TTagWriter plain;
    TTagWriter hooked{QByteArray(), &hook};
    plain.Append(u"a"_s, u"1<"_s, true, true, false);
    hooked.Append(u"a"_s, u"1<"_s, true, true, false);
    plain.AppendAscii(u"b"_s, "2");
    hooked.AppendAscii(u"b"_s, "2");
    EXPECT_EQ(plain.Bytes, "<a>1&lt;<b>2</b>\r\n");
    EXPECT_EQ(hooked.Bytes, "<a>[1<]<b>[2]</b>\r\n");
}

// --- Entities -------------------------------------------------------------------------

TEST(EscapeText, ReplacesOnlyAmpersandAndAngles)
{
    EXPECT_EQ(EscapeText(u"a&b<c>d\"e'f"_s), u"a&amp;b&lt;c&gt;d\"e'f"_s);
    EXPECT_EQ(EscapeText(u"&amp;"_s), u"&amp;amp;"_s);
    EXPECT_EQ(EscapeText(u"\u00e9\U0001F600"_s), u"\u00e9\U0001F600"_s);
    EXPECT_EQ(EscapeText({}), QString());
}

struct TUnescapeCase
{
    const char *Label;
    QString Text;
    int EntityCount;
    QString Expected;
};

void PrintTo(const TUnescapeCase &c, std::ostream *os)
{
    *os << c.Label;
}

class UnescapeTextTest : public ::testing::TestWithParam<TUnescapeCase>
{};

TEST_P(UnescapeTextTest, Decodes)
{
    const TUnescapeCase &c = GetParam();
    EXPECT_EQ(UnescapeText(c.Text, c.EntityCount), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Entities,
    UnescapeTextTest,
    ::testing::Values(TUnescapeCase{"ThreeBasic", u"a &amp; b &lt;c&gt;"_s, 3, u"a & b <c>"_s},
                      TUnescapeCase{"QuotesNeedFive", u"&quot;&apos;"_s, 3, u"&quot;&apos;"_s},
                      TUnescapeCase{"FiveDecodesQuotes", u"&quot;x&apos;&amp;"_s, 5, u"\"x'&"_s},
                      TUnescapeCase{"SinglePass", u"&amp;lt;"_s, 3, u"&lt;"_s},
                      TUnescapeCase{"CaseSensitive", u"&AMP;&Lt;"_s, 5, u"&AMP;&Lt;"_s},
                      TUnescapeCase{"StrayAmpersandKept", u"Tom & Jerry"_s, 3, u"Tom & Jerry"_s},
                      TUnescapeCase{"UnknownEntityKept", u"&foo"_s, 3, u"&foo"_s},
                      TUnescapeCase{"DroppedSequenceKept", u"&&amp;"_s, 3, u"&&"_s},
                      TUnescapeCase{"UnfinishedAtEnd", u"x&am"_s, 3, u"x&am"_s},
                      TUnescapeCase{"LoneAmpersandAtEnd", u"x&"_s, 5, u"x&"_s},
                      TUnescapeCase{
                          "NonAscii", u"\u00e9&lt;\U0001F600"_s, 3, u"\u00e9<\U0001F600"_s},
                      TUnescapeCase{"Empty", {}, 3, {}}),
    [](const auto &info) { return std::string(info.param.Label); });

// --- Reader ---------------------------------------------------------------------------

TEST(ReadTagText, FirstLineIsNeverContent)
{
    EXPECT_EQ(ReadEnds({u"<title>first</title>"_s, u"<year>1999</year>"_s}),
              TEnds({{u"year"_s, u"1999"_s}}));
}

TEST(ReadTagText, DeclarationInFirstLineSelectsFiveEntities)
{
    const QString value = u"<q>&quot;x&apos; &amp;</q>"_s;
    EXPECT_EQ(ReadEnds({u"<xml>"_s, value}), TEnds({{u"q"_s, u"&quot;x&apos; &"_s}}));
    EXPECT_EQ(ReadEnds({u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>"_s, value}),
              TEnds({{u"q"_s, u"\"x' &"_s}}));
    // The choice lasts for one read only.
    EXPECT_EQ(ReadEnds({u"<xml>"_s, value}), TEnds({{u"q"_s, u"&quot;x&apos; &"_s}}));
}

TEST(ReadTagText, ManyTagsOnOneLineAndNesting)
{
    const TEnds ends = ReadEnds({u"<xml>"_s,
                                 u"<reelkeep><version>0.9.6</version><movies>2</movies>"_s,
                                 u"<movie><coverformat>0</coverformat>"_s,
                                 u"<title>A &lt;B&gt;</title>"_s,
                                 u"</movie>"_s,
                                 u"</reelkeep>"_s});
    EXPECT_EQ(ends,
              TEnds({{u"version"_s, u"0.9.6"_s},
                     {u"movies"_s, u"2"_s},
                     {u"coverformat"_s, u"0"_s},
                     {u"title"_s, u"A <B>"_s},
                     {u"movie"_s, u"\r\n"_s},
                     {u"reelkeep"_s, u"\r\n"_s}}));
}

TEST(ReadTagText, ElementSpanningLinesJoinsWithCrLf)
{
    EXPECT_EQ(ReadEnds({u"<xml>"_s, u"<actors>Ann"_s, {}, u"Bob &amp; Co</actors>"_s}),
              TEnds({{u"actors"_s, u"Ann\r\n\r\nBob & Co"_s}}));
}

TEST(ReadTagText, LengthPrefixKeepsMarkupInsideValue)
{
    const QString value = u"a</description><x>&amp;\r\n<s>1</s>"_s;
    const QString text = u"<xml>\r\n"_s + FormatTag(u"description"_s, value, true, 0, true, true)
                         + FormatTag(u"year"_s, u"1"_s, true, 0, false, true);
    EXPECT_EQ(ReadEnds(SplitLines(text)), TEnds({{u"description"_s, value}, {u"year"_s, u"1"_s}}));
}

TEST(ReadTagText, LengthPrefixOnlyForLongTextNames)
{
    EXPECT_EQ(ReadEnds({u"<xml>"_s, u"<title><s>3</s>a&amp;</title>"_s}),
              TEnds({{u"s"_s, u"3"_s}, {u"title"_s, u"a&"_s}}));
}

TEST(ReadTagText, CoverAndPrefixedValuesAreNeverUnescaped)
{
    EXPECT_EQ(ReadEnds({u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>"_s,
                        u"<cover>&amp;&quot;</cover>"_s,
                        u"<bio><s>6</s>&quot;</bio>"_s}),
              TEnds({{u"cover"_s, u"&amp;&quot;"_s}, {u"bio"_s, u"&quot;"_s}}));
}

TEST(ReadTagText, LoneLineBreaksReadBackAsCrLf)
{
    const QString text = u"<xml>\r\n"_s + FormatTag(u"comment"_s, u"a\nb\rc"_s, true, 0, true, true)
                         + FormatTag(u"title"_s, u"d\ne"_s, true, 0, true, true)
                         + FormatTag(u"year"_s, u"1"_s, true, 0, false, true);
    EXPECT_EQ(
        ReadEnds(SplitLines(text)),
        TEnds({{u"comment"_s, u"a\r\nb\r\nc"_s}, {u"title"_s, u"d\r\ne"_s}, {u"year"_s, u"1"_s}}));
}

TEST(ReadTagText, NestingEndsTheReadPastTheDepthLimit)
{
    auto nested = [](int depth) {
        return QString(u"<a>"_s).repeated(depth) + u"x"_s + QString(u"</a>"_s).repeated(depth);
    };
    TEnds ends;
    EXPECT_TRUE(ReadTagText({u"<xml>"_s, nested(TagTextMaxDepth)}, &RecordEnd, &ends));
    ASSERT_EQ(ends.size(), std::size_t(TagTextMaxDepth));
    EXPECT_EQ(ends.front().second, u"x"_s);
    ends.clear();
    // Hostile depth is refused at once, whatever its size.
    EXPECT_FALSE(ReadTagText({u"<xml>"_s, nested(200000)}, &RecordEnd, &ends));
    EXPECT_TRUE(ends.empty());
}

// Malformed text gives missing or misplaced elements, never a crash or a hang.
struct TMalformedCase
{
    const char *Label;
    QStringList Lines;
    TEnds Expected;
};

void PrintTo(const TMalformedCase &c, std::ostream *os)
{
    *os << c.Label;
}

class ReadTagTextMalformed : public ::testing::TestWithParam<TMalformedCase>
{};

TEST_P(ReadTagTextMalformed, Reads)
{
    EXPECT_EQ(ReadEnds(GetParam().Lines), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    ReadTagTextMalformed,
    ::testing::Values(
        TMalformedCase{"EmptyList", {}, {}},
        TMalformedCase{"OnlyFirstLine", {u"<a>1</a>"_s}, {}},
        TMalformedCase{"UnclosedElementIsNotReported",
                       {u"<xml>"_s, u"<a>1"_s, u"<b>2</b>"_s},
                       {{u"b"_s, u"2"_s}}},
        TMalformedCase{"ClosingTagClosesInnermost",
                       {u"<xml>"_s, u"<a><b>x</c>y</d>"_s},
                       {{u"b"_s, u"x"_s}, {u"a"_s, u"y"_s}}},
        TMalformedCase{"TextOutsideElementsDropped",
                       {u"<xml>"_s, u"junk<a>x<b>y</b>z</a>tail"_s},
                       {{u"b"_s, u"y"_s}, {u"a"_s, u"z"_s}}},
        TMalformedCase{"TopLevelClosingTagEndsRead",
                       {u"<xml>"_s, u"<a>1</a>"_s, u"</x>"_s, u"<b>2</b>"_s},
                       {{u"a"_s, u"1"_s}, {QString(), u"\r\n"_s}}},
        TMalformedCase{"StrayGreaterThan", {u"<xml>"_s, u"a>b<c>1>2</c>"_s}, {{u"c"_s, u"1>2"_s}}},
        TMalformedCase{
            "LessThanWithoutGreaterThan", {u"<xml>"_s, u"<a"_s, u"<b>1</b>"_s}, {{u"b"_s, u"1"_s}}},
        TMalformedCase{"TagBrokenAcrossLinesIsNoTag",
                       {u"<xml>"_s, u"<a"_s, u">x</a>"_s},
                       {{QString(), u"\r\n<a\r\n>x"_s}}},
        TMalformedCase{
            "SpaceBelongsToName", {u"<xml>"_s, u"<a b=\"1\">v</a>"_s}, {{u"a b=\"1\""_s, u"v"_s}}},
        TMalformedCase{"LengthPastEndEndsRead",
                       {u"<xml>"_s, u"<a>1</a>"_s, u"<bio><s>100</s>short</bio>"_s, u"<b>2</b>"_s},
                       {{u"a"_s, u"1"_s}}},
        TMalformedCase{
            "LengthPastEndWithACutClosingTag", {u"<xml>"_s, u"<bio><s>4</s>a"_s, u"b</b"_s}, {}},
        TMalformedCase{"HugeLengthEndsRead", {u"<xml>"_s, u"<bio><s>2147483647</s>x</bio>"_s}, {}},
        TMalformedCase{"LengthExactlyAtEnd",
                       {u"<xml>"_s, u"<bio><s>3</s>a"_s, u"</bio>"_s},
                       {{u"bio"_s, u"a\r\n"_s}}},
        TMalformedCase{"LengthTooShortOpensJunkChild",
                       {u"<xml>"_s, u"<bio><s>1</s>abc</bio>"_s, u"</x>"_s},
                       {{u"c</b"_s, u"o>\r\n"_s}}},
        TMalformedCase{"LengthNotANumber",
                       {u"<xml>"_s, u"<bio><s>x</s>text</bio>"_s, u"<c>1</c>"_s},
                       {{u"c"_s, u"1"_s}}},
        TMalformedCase{"LengthOverflowsInt",
                       {u"<xml>"_s, u"<bio><s>99999999999999999999</s>t</bio>"_s, u"<c>1</c>"_s},
                       {{u"c"_s, u"1"_s}}},
        TMalformedCase{"LengthNegative",
                       {u"<xml>"_s, u"<bio><s>-5</s>a</bio>"_s, u"<c>1</c>"_s},
                       {{u"c"_s, u"1"_s}}},
        TMalformedCase{
            "LengthWithoutEnd", {u"<xml>"_s, u"<bio><s>5"_s, u"<c>1</c>"_s}, {{u"c"_s, u"1"_s}}}),
    [](const auto &info) { return std::string(info.param.Label); });

// --- Handler routing ------------------------------------------------------------------

struct TRecord
{
    std::map<QString, QString> Fields;
    std::vector<std::unique_ptr<TRecord>> Episodes;
};

struct TCatalog
{
    std::map<QString, QString> Header;
    std::vector<std::unique_ptr<TRecord>> Movies;
    std::vector<std::unique_ptr<TRecord>> People;
};

void StoreField(void *record, const QString &name, const QString &value)
{
    static_cast<TRecord *>(record)->Fields[name] = value;
}

void StartInMovie(void *movie, TXMLTag &child)
{
    if (child.Name != "episode"_L1)
        return;
    auto &episodes = static_cast<TRecord *>(movie)->Episodes;
    episodes.push_back(std::make_unique<TRecord>());
    child.OnTagEnd = &StoreField;
    child.EndContext = episodes.back().get();
    child.OnTagStart = nullptr;
}

void StartInCatalog(void *context, TXMLTag &child)
{
    auto *catalog = static_cast<TCatalog *>(context);
    if (child.Name == "movie"_L1) {
        catalog->Movies.push_back(std::make_unique<TRecord>());
        child.OnTagEnd = &StoreField;
        child.EndContext = catalog->Movies.back().get();
        child.OnTagStart = &StartInMovie;
        child.StartContext = catalog->Movies.back().get();
    } else if (child.Name == "human"_L1) {
        catalog->People.push_back(std::make_unique<TRecord>());
        child.OnTagEnd = &StoreField;
        child.EndContext = catalog->People.back().get();
        child.OnTagStart = nullptr;
    }
}

void StoreHeader(void *context, const QString &name, const QString &value)
{
    static_cast<TCatalog *>(context)->Header[name] = value;
}

TEST(ReadTagText, StartHandlerRoutesChildrenToTheirRecord)
{
    const auto open = [](const QString &name) {
        return FormatTag(name, {}, true, 0, false, false);
    };
    const auto close = [](const QString &name) {
        return FormatTag(name, {}, false, 0, false, true);
    };
    const auto text = [](const QString &name, const QString &value) {
        return FormatTag(name, value, true, 0, true, true);
    };
    const QString file =
        u"<xml>\r\n"_s + open(u"reelkeep"_s)
        + FormatTag(u"version"_s, u"0.9.6"_s, true, 0, false, true) + text(u"pf"_s, u"/a|b"_s)
        + open(u"movie"_s) + text(u"title"_s, u"Alien & Co"_s)
        + text(u"description"_s, u"</movie>\r\n<human>"_s) + open(u"episode"_s)
        + text(u"epnum"_s, u"1"_s) + text(u"title"_s, u"Pilot"_s) + close(u"episode"_s)
        + close(u"movie"_s) + open(u"movie"_s) + text(u"title"_s, u"Second"_s) + close(u"movie"_s)
        + open(u"human"_s) + text(u"name"_s, u"Ann"_s) + text(u"bio"_s, u"<b>"_s)
        + close(u"human"_s) + close(u"reelkeep"_s);

    TCatalog catalog;
    ReadTagText(SplitLines(file), &StoreHeader, &catalog, &StartInCatalog, &catalog);

    EXPECT_EQ(catalog.Header,
              (std::map<QString, QString>{
                  {u"version"_s, u"0.9.6"_s}, {u"pf"_s, u"/a|b"_s}, {u"reelkeep"_s, u"\r\n"_s}}));
    ASSERT_EQ(catalog.Movies.size(), 2u);
    const TRecord &first = *catalog.Movies[0];
    EXPECT_EQ(first.Fields,
              (std::map<QString, QString>{{u"title"_s, u"Alien & Co"_s},
                                          {u"description"_s, u"</movie>\r\n<human>"_s},
                                          {u"movie"_s, u"\r\n"_s}}));
    ASSERT_EQ(first.Episodes.size(), 1u);
    EXPECT_EQ(first.Episodes[0]->Fields,
              (std::map<QString, QString>{
                  {u"epnum"_s, u"1"_s}, {u"title"_s, u"Pilot"_s}, {u"episode"_s, u"\r\n"_s}}));
    EXPECT_EQ(catalog.Movies[1]->Fields.at(u"title"_s), u"Second"_s);
    ASSERT_EQ(catalog.People.size(), 1u);
    EXPECT_EQ(catalog.People[0]->Fields.at(u"bio"_s), u"<b>"_s);
    EXPECT_EQ(catalog.People[0]->Fields.at(u"name"_s), u"Ann"_s);
}

struct TInheritance
{
    QString Seen;
};

void CheckInherited(void *context, TXMLTag &child)
{
    auto *log = static_cast<TInheritance *>(context);
    const bool inherited = child.OnTagStart == &CheckInherited && child.StartContext == context
                           && child.OnTagEnd == &RecordEnd && child.Value.isEmpty();
    log->Seen += child.Name + (inherited ? u"+"_s : u"-"_s);
    if (child.Name == "mute"_L1)
        child.OnTagEnd = nullptr;
}

TEST(ReadTagText, ChildStartsWithParentsHandlersWhichMayBeCleared)
{
    TEnds ends;
    TInheritance log;
    ReadTagText(
        {u"<xml>"_s, u"<a><mute><b>1</b></mute>2</a>"_s}, &RecordEnd, &ends, &CheckInherited, &log);
    EXPECT_EQ(log.Seen, u"a+mute+b-"_s);
    // "b" inherited the cleared end handler of "mute".
    EXPECT_EQ(ends, TEnds({{u"a"_s, u"2"_s}}));
}

void ThrowOnBad(void *context, const QString &name, const QString &value)
{
    if (name == "bad"_L1)
        throw std::runtime_error("bad element");
    RecordEnd(context, name, value);
}

void ThrowOnStart(void *, TXMLTag &child)
{
    if (child.Name == "boom"_L1)
        throw std::runtime_error("bad start");
}

TEST(ReadTagText, ThrowingHandlerStopsTheRead)
{
    TEnds ends;
    const QStringList lines{u"<xml>"_s, u"<m><a>1</a><bad>2</bad><c>3</c></m>"_s};
    EXPECT_THROW(ReadTagText(lines, &ThrowOnBad, &ends), std::runtime_error);
    EXPECT_EQ(ends, TEnds({{u"a"_s, u"1"_s}}));

    ends.clear();
    EXPECT_THROW(ReadTagText({u"<xml>"_s, u"<m><a>1</a><boom>2</boom></m>"_s},
                             &RecordEnd,
                             &ends,
                             &ThrowOnStart,
                             nullptr),
                 std::runtime_error);
    EXPECT_EQ(ends, TEnds({{u"a"_s, u"1"_s}}));
}

// Values share large blocks: enough of them to fill several blocks, of every size around
// the limit for sharing, must each read back whole, outlive the read and change alone.
TEST(ReadTagText, ValuesReadIntoSharedBlocksStayIndependent)
{
    QStringList lines{u"<xml>"_s};
    QStringList expected;
    for (int i = 0; i < 3000; ++i) {
        const int size = (i % 7 == 0) ? 8 * 1024 - 1 + i % 3 : 1 + i % 300;
        QString value(size, QChar(u'a' + i % 26));
        value[0] = u'&';
        expected.append(value);
        lines.append(u"<v>&amp;"_s + value.mid(1) + u"</v>"_s);
    }
    TEnds ends = ReadEnds(lines);
    ASSERT_EQ(ends.size(), size_t(expected.size()));
    for (size_t i = 0; i < ends.size(); ++i)
        ASSERT_EQ(ends[i].second, expected[qsizetype(i)]) << i;

    ends[1].second.append(u"!"_s);
    ends[2].second[0] = u'x';
    EXPECT_EQ(ends[1].second, expected[1] + u"!"_s);
    EXPECT_EQ(ends[2].second.mid(1), expected[2].mid(1));
    EXPECT_EQ(ends[3].second, expected[3]);
    // QString promises a terminating null after its characters.
    EXPECT_EQ(ends[3].second.utf16()[ends[3].second.size()], u'\0');
}

// --- Round trip -----------------------------------------------------------------------

// Arbitrary values survive writing in text mode and reading back exactly. Line breaks are
// generated as CR LF only: the loader splits lone CR and LF too, which then read back as
// CR LF (covered above).
class TagTextRoundTrip : public ::testing::TestWithParam<bool>
{};

TEST_P(TagTextRoundTrip, ValuesComeBackExactly)
{
    const bool declaration = GetParam();
    const QStringList pieces{
        u"a"_s,        u"Z"_s,      u"7"_s,      u" "_s,      u"\t"_s,         u"<"_s,
        u">"_s,        u"&"_s,      u"\""_s,     u"'"_s,      u"\r\n"_s,       u";"_s,
        u"/"_s,        u"\u00e9"_s, u"\u0416"_s, u"\u4e2d"_s, u"\U0001F600"_s, u"&amp;"_s,
        u"&quot;"_s,   u"&lt;"_s,   u"<s>"_s,    u"</s>"_s,   u"<s>5</s>"_s,   u"</description>"_s,
        u"</title>"_s, u"<movie>"_s};
    const QStringList names{u"description"_s,
                            u"comment"_s,
                            u"bio"_s,
                            u"filmography"_s,
                            u"title"_s,
                            u"actors"_s,
                            u"s"_s,
                            u"cover2"_s};

    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> piece(0, int(pieces.size()) - 1);
    std::uniform_int_distribution<int> name(0, int(names.size()) - 1);
    std::uniform_int_distribution<int> length(0, 30);
    std::uniform_int_distribution<int> rare(0, 49);

    TEnds expected;
    QString file =
        declaration ? u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"_s : u"<xml>\r\n"_s;
    file += u"<reelkeep>"_s;
    for (int record = 0; record < 3000; ++record) {
        QString value;
        const int count = rare(random) == 0 ? 2000 : length(random);
        for (int i = 0; i < count; ++i)
            value += pieces[piece(random)];
        const QString &tag = names[name(random)];
        file += FormatTag(tag, value, true, 0, true, true);
        expected.emplace_back(tag, value);
    }
    file += u"</reelkeep>\r\n"_s;

    TEnds ends = ReadEnds(SplitLines(file));
    ASSERT_FALSE(ends.empty());
    EXPECT_EQ(ends.back().first, u"reelkeep"_s);
    ends.pop_back();
    ASSERT_EQ(ends.size(), expected.size());
    for (std::size_t i = 0; i < ends.size(); ++i) {
        ASSERT_EQ(ends[i], expected[i]) << "record " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(EntitySets,
                         TagTextRoundTrip,
                         ::testing::Values(false, true),
                         [](const auto &info) {
                             return std::string(info.param ? "FiveEntities" : "ThreeEntities");
                         });

} // namespace

namespace {

// Shapes that make a naive reader rescan the same text once per open element or per line.
TEST(ReadTagText, RescanShapesFinish)
{
    constexpr int count = 100000;
    QString deep;
    for (int i = 0; i < count; ++i)
        deep += u"<a>"_s;
    deep += u"<"_s + QString(count * 10, u'x');
    EXPECT_TRUE(ReadEnds({u"<xml>"_s, deep}).empty());

    QStringList prefixes{u"<xml>"_s, u"<bio>"_s + u"<s>"_s.repeated(count)};
    for (int i = 0; i < count; ++i)
        prefixes.append(u"line"_s);
    prefixes.append(u"<c>1</c>"_s);
    EXPECT_EQ(ReadEnds(prefixes), TEnds({{u"c"_s, u"1"_s}}));
}

// The name cache answers by address, but never with an answer for other characters.
TEST(NameCache, NeverAnswersForOtherCharacters)
{
    TNameCache<QString> cache;
    int lookups = 0;
    const auto find = [&](const QString &name) {
        return cache.Find(name, [&](const QString &key) {
            ++lookups;
            return key.toUpper();
        });
    };
    QString name = QStringView(u"title").toString(); // its own allocation, as the reader gives
    EXPECT_EQ(find(name), u"TITLE"_s);
    const QString copy = name;
    EXPECT_EQ(find(copy), u"TITLE"_s);
    EXPECT_EQ(lookups, 1);

    // Changed in place: the copy the cache holds keeps the old characters.
    name[0] = u'T';
    EXPECT_EQ(find(name), u"TITLE"_s);
    name[1] = u'o';
    EXPECT_EQ(find(name), u"TOTLE"_s);

    // Text it does not own is never remembered.
    char16_t raw[] = u"year";
    const QString borrowed = QString::fromRawData(reinterpret_cast<const QChar *>(raw), 4);
    EXPECT_EQ(find(borrowed), u"YEAR"_s);
    raw[0] = u'b';
    EXPECT_EQ(find(borrowed), u"BEAR"_s);
}

} // namespace
