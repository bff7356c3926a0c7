#include <climits>
#include <limits>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

#include "host/webtext.h"

using namespace Qt::StringLiterals;

namespace {

// "Привет" in three Cyrillic code pages.
const QByteArray HelloCp1251{"\xCF\xF0\xE8\xE2\xE5\xF2"};
const QByteArray HelloKoi8r{"\xF0\xD2\xC9\xD7\xC5\xD4"};
const QString Hello = u"Привет"_s;

// One input and its expected result; printed by its input.
template <typename TIn, typename TOut> struct TCase
{
    TIn Input;
    TOut Expected;
};

std::string Printable(const QString &text)
{
    return '"' + text.toStdString() + '"';
}

std::string Printable(const QByteArray &bytes)
{
    return '"' + bytes.toPercentEncoding().toStdString() + '"';
}

template <typename TIn, typename TOut> void PrintTo(const TCase<TIn, TOut> &c, std::ostream *os)
{
    *os << Printable(c.Input);
}

QByteArray Page(const QByteArray &head, const QByteArray &body)
{
    return "<html><head>" + head + "</head><body>" + body + "</body></html>";
}

QByteArray MetaTag(const QByteArray &charset)
{
    return R"(<meta http-equiv="Content-Type" content="text/html; charset=)" + charset + R"(">)";
}

struct TPageCase
{
    const char *Name;
    QByteArray Page;
    QString ExpectedBody;
};

void PrintTo(const TPageCase &c, std::ostream *os)
{
    *os << c.Name;
}

class PageToWideTest : public testing::TestWithParam<TPageCase>
{};

TEST_P(PageToWideTest, DecodesWithTheNamedCharset)
{
    const QString page = PageToWide(GetParam().Page);
    const QString body = page.section(u"<body>"_s, 1).section(u"</body>"_s, 0, 0);
    EXPECT_EQ(body, GetParam().ExpectedBody);
}

INSTANTIATE_TEST_SUITE_P(
    Pages,
    PageToWideTest,
    testing::Values(
        TPageCase{"windows1251", Page(MetaTag("windows-1251"), HelloCp1251), Hello},
        TPageCase{"nameIgnoresCase", Page(MetaTag("WINDOWS-1251"), HelloCp1251), Hello},
        TPageCase{"koi8r", Page(MetaTag("koi8-r"), HelloKoi8r), Hello},
        TPageCase{"iso885915Euro", Page(MetaTag("iso-8859-15"), "\xA4"), u"€"_s},
        TPageCase{"shiftJis", Page(MetaTag("shift_jis"), "\x93\xFA\x96\x7B\\"), u"日本\\"_s},
        TPageCase{"eucJpAnyCase", Page(MetaTag("euc-jp"), "\xC6\xFC\xCB\xDC"), u"日本"_s},
        TPageCase{"lowerCaseAttribute",
                  Page(R"(<meta http-equiv="content-type" content="charset=koi8-r">)", HelloKoi8r),
                  Hello},
        TPageCase{
            "capitalAttributeIgnored",
            Page(R"(<meta HTTP-EQUIV="Content-Type" content="charset=windows-1251">)", HelloCp1251),
            u"Ïðèâåò"_s},
        TPageCase{
            "mixedCaseValueIgnored",
            Page(R"(<meta http-equiv="Content-type" content="charset=windows-1251">)", HelloCp1251),
            u"Ïðèâåò"_s},
        TPageCase{"utf8NotRecognized", Page(MetaTag("utf-8"), "\xC3\xA9\x80"), u"Ã©€"_s},
        TPageCase{"noMetaTag", Page({}, "\xC3\xA9"), u"Ã©"_s},
        TPageCase{"earlierCharsetWins",
                  Page("<!-- charset=koi8-r\" -->" + MetaTag("windows-1251"), HelloKoi8r),
                  Hello},
        TPageCase{"charsetAfterTagEndIgnored",
                  Page(R"(<meta http-equiv="Content-Type" content="text/html">)"
                       R"(<meta charset=windows-1251">)",
                       HelloCp1251),
                  u"Ïðèâåò"_s},
        TPageCase{"tagWithoutClosingBracket",
                  "<body>\xF0</body>"
                  R"(<meta http-equiv="Content-Type" content="charset=windows-1251" )",
                  u"ð"_s},
        TPageCase{"nameWithoutClosingQuote",
                  "<meta http-equiv=\"Content-Type\" content=charset=windows-1251>"
                  "<body>\xF0</body>",
                  u"ð"_s},
        TPageCase{"brokenBytesKeepTheRest",
                  Page(MetaTag("shift_jis"), "\x81\x20\x93\xFA end"),
                  u"\uFFFD 日 end"_s}));

// The header's charset first, then JSON as UTF-8, then the page's <meta> in either form.
struct THeaderCase
{
    const char *Name;
    const char *ContentType;
    QByteArray Page;
    QString ExpectedBody;
};

void PrintTo(const THeaderCase &c, std::ostream *os)
{
    *os << c.Name;
}

class PageWithHeaderTest : public testing::TestWithParam<THeaderCase>
{};

TEST_P(PageWithHeaderTest, ReadsTheDeclaredCharset)
{
    const QString page = PageToWide(GetParam().Page, GetParam().ContentType);
    const QString body = page.section(u"<body>"_s, 1).section(u"</body>"_s, 0, 0);
    EXPECT_EQ(body, GetParam().ExpectedBody);
}

INSTANTIATE_TEST_SUITE_P(
    Pages,
    PageWithHeaderTest,
    testing::Values(
        THeaderCase{"jsonIsUtf8", "application/json", Page({}, "Am\xC3\xA9lie"), u"Amélie"_s},
        THeaderCase{"sparqlJson",
                    "application/sparql-results+json",
                    Page({}, "K\xC3\xB6ln \xE2\x80\x93"),
                    u"Köln –"_s},
        THeaderCase{
            "headerCharsetQuoted", "text/html; Charset=\"UTF-8\"", Page({}, "\xC3\xA9"), u"é"_s},
        THeaderCase{"headerWinsOverMeta",
                    "text/html; charset=windows-1251",
                    Page(MetaTag("koi8-r"), HelloCp1251),
                    Hello},
        THeaderCase{"html5Meta", "text/html", Page("<meta charset=\"utf-8\">", "\xC3\xA9"), u"é"_s},
        THeaderCase{
            "html5MetaUnquotedAnyCase", "", Page("<META CHARSET=KOI8-R>", HelloKoi8r), Hello},
        THeaderCase{"httpEquivUtf8", "text/html", Page(MetaTag("UTF-8"), "\xC3\xA9"), u"é"_s},
        THeaderCase{"unknownNamesFallBack",
                    "text/html; charset=x-unknown",
                    Page("<meta charset=\"x-other\">", "\xC3\xA9"),
                    u"Ã©"_s}));

class CharsetTest : public testing::TestWithParam<TCase<QString, int>>
{};

TEST_P(CharsetTest, MapsTheNameToItsCodePage)
{
    EXPECT_EQ(WindowsCodePageForCharset(GetParam().Input), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Names,
    CharsetTest,
    testing::Values(TCase<QString, int>{u"iso-8859-1"_s, 28591},
                    TCase<QString, int>{u"iso-8859-13"_s, 28603},
                    TCase<QString, int>{u"ISO-8859-15"_s, 28605},
                    TCase<QString, int>{u"iso-8859-8-i"_s, 38598},
                    TCase<QString, int>{u"windows-1258"_s, 1258},
                    TCase<QString, int>{u"X-MAC-CE"_s, 10029},
                    TCase<QString, int>{u"Shift_JIS"_s, 932},
                    TCase<QString, int>{u"johab"_s, 1361},
                    TCase<QString, int>{u"x-europa"_s, 29001},
                    TCase<QString, int>{u"csiso2022jp"_s, 50221},
                    TCase<QString, int>{u"euc-kr"_s, 51949},
                    TCase<QString, int>{u"utf-8"_s, 0},
                    TCase<QString, int>{u""_s, 0},
                    TCase<QString, int>{u" koi8-r"_s, 0},
                    TCase<QString, int>{u"windows-1259"_s, 0},
                    TCase<QString, int>{u"iso-8859-10"_s, 0},
                    // The Kelvin sign folds to "k" in Unicode, but names compare as plain ASCII.
                    TCase<QString, int>{u"\u212Aoi8-r"_s, 0}));

struct TCodePageCase
{
    int CodePage;
    QByteArray Bytes;
    QString Expected;
};

void PrintTo(const TCodePageCase &c, std::ostream *os)
{
    *os << "code page " << c.CodePage;
}

class CodePageTest : public testing::TestWithParam<TCodePageCase>
{};

TEST_P(CodePageTest, DecodesLikeWindows)
{
    EXPECT_EQ(DecodeWithCodePage(GetParam().Bytes, GetParam().CodePage), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    CodePages,
    CodePageTest,
    testing::Values(TCodePageCase{1250, "\x8A\xB9", u"Šą"_s},
                    TCodePageCase{1251, HelloCp1251, Hello},
                    TCodePageCase{1252, "\x80\x81\xE9", u"€\u0081é"_s},
                    TCodePageCase{1253, "\xE1\xE2", u"αβ"_s},
                    TCodePageCase{28595, "\xBF\xE0", u"Пр"_s},
                    TCodePageCase{28605, "\xA4\xBD", u"€œ"_s},
                    TCodePageCase{20866, HelloKoi8r, Hello},
                    TCodePageCase{21866, "\xA4", u"є"_s},
                    TCodePageCase{932, "\x93\xFA\x96\x7B\\", u"日本\\"_s},
                    TCodePageCase{936, "\xD6\xD0\xCE\xC4", u"中文"_s},
                    TCodePageCase{949, "\xC7\xD1", u"한"_s},
                    TCodePageCase{950, "\xA4\xA4", u"中"_s},
                    TCodePageCase{874, "\xA1\x80", u"ก€"_s},
                    TCodePageCase{20932, "\xC6\xFC\xCB\xDC", u"日本"_s},
                    TCodePageCase{50220, "\x1B$B$3$s\x1B(Bx", u"こんx"_s},
                    TCodePageCase{10000, "\x8E", u"é"_s},
                    TCodePageCase{10007, "\x80\xDF", u"Ая"_s},
                    TCodePageCase{65001, "a\xC3\xA9", u"aé"_s},
                    // A composing decoder holds the last letter back until the end.
                    TCodePageCase{1258, "abc", u"abc"_s},
                    // No iconv counterpart, or no such code page: Windows-1252.
                    TCodePageCase{10001, "\x80", u"€"_s},
                    TCodePageCase{0, "\xE9", u"é"_s},
                    TCodePageCase{-1, "\xE9", u"é"_s},
                    // Undefined and cut-off sequences cost one character, not the rest.
                    TCodePageCase{65001,
                                  "a\xFF"
                                  "b\xE2\x82",
                                  u"a\uFFFDb\uFFFD\uFFFD"_s},
                    TCodePageCase{932, "x\x93", u"x\uFFFD"_s},
                    TCodePageCase{1251, {}, {}}));

TEST(CodePageTest, LongPagesDecodeCompletely)
{
    // Larger than any internal chunk, with a broken byte in the middle.
    const QByteArray half = HelloCp1251.repeated(5000);
    const QString text = DecodeWithCodePage(half + "\x98" + half, 1251);
    EXPECT_EQ(text, Hello.repeated(5000) + u"\uFFFD"_s + Hello.repeated(5000));
}

using TTextCase = TCase<QString, QString>;

class DecodeHtmlTextTest : public testing::TestWithParam<TTextCase>
{};

TEST_P(DecodeHtmlTextTest, Decodes)
{
    EXPECT_EQ(DecodeHtmlText(GetParam().Input), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    References,
    DecodeHtmlTextTest,
    testing::Values(TTextCase{u"a&#8211;b"_s, u"a–b"_s},
                    TTextCase{u"&#65;&#66;"_s, u"AB"_s},
                    TTextCase{u"&#x41;&#X41;&#0x41;&#$41;&#x6a;"_s, u"AAAAj"_s},
                    TTextCase{u"&#065;"_s, u"A"_s},
                    TTextCase{u"&#0;&#abc;&#x;&#;"_s, u"&#0;&#abc;&#x;&#;"_s},
                    // Not among the hex forms, signed, or with a blank: not numbers.
                    TTextCase{u"&#0X41;&#-65;&# 65;"_s, u"&#0X41;&#-65;&# 65;"_s},
                    // Only the low 16 bits count.
                    TTextCase{u"&#65536;&#65601;"_s, u"&#65536;A"_s},
                    TTextCase{u"&#2147483647;"_s, u"\uFFFF"_s},
                    TTextCase{u"&#2147483648;"_s, u"&#2147483648;"_s},
                    TTextCase{u"&#xFFFFFFFF;&#x100000041;"_s, u"\uFFFF&#x100000041;"_s},
                    // Without a later ";" decoding ends, even for later references.
                    TTextCase{u"&#65;x&#66"_s, u"Ax&#66"_s},
                    TTextCase{u"&#66 &#65;"_s, u"&#66 &#65;"_s},
                    // A decoded "&" does not start a new reference.
                    TTextCase{u"&#38;#65;"_s, u"&#65;"_s},
                    TTextCase{u"a<br>b<br/>c<br />d<nobr>e</nobr>f"_s, u"abcdef"_s},
                    TTextCase{u"<BR>x<Br/>y<br  />"_s, u"<BR>x<Br/>y<br  />"_s},
                    // References are decoded before tags are removed.
                    TTextCase{u"a&#60;br&#62;b"_s, u"ab"_s},
                    TTextCase{u"a&nbsp;b&hellip;c&mdash;d"_s, u"a b...c—d"_s},
                    TTextCase{u"&laquo;x&raquo; &quot;y&quot;"_s, u"\"x\" \"y\""_s},
                    TTextCase{u"Tom &amp; Jerry"_s, u"Tom & Jerry"_s},
                    TTextCase{u"&amp;quot;&amp;amp;&amp;nbsp;"_s, u"\"&amp;&nbsp;"_s},
                    TTextCase{u""_s, u""_s}));

using TUrlCase = TCase<QByteArray, QByteArray>;

class EncodeUrlTextTest : public testing::TestWithParam<TUrlCase>
{};

TEST_P(EncodeUrlTextTest, Encodes)
{
    EXPECT_EQ(EncodeUrlText(GetParam().Input), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts,
    EncodeUrlTextTest,
    testing::Values(
        TUrlCase{"Tom & Jerry", "Tom%20%26%20Jerry"},
        TUrlCase{"caf\xE9", "caf%E9"},
        TUrlCase{"100%", "100%25"},
        TUrlCase{"%20", "%2520"},
        TUrlCase{QByteArray("\0\x1F\x7F\x80\xFF", 5), "%00%1F%7F%80%FF"},
        TUrlCase{"\"'^\\/;,|&$+=?@<>#{}~[]`()",
                 "%22%27%5E%5C%2F%3B%2C%7C%26%24%2B%3D%3F%40%3C%3E%23%7B%7D%7E%5B%5D%60%28%29"},
        TUrlCase{"AZaz09-_.!*:", "AZaz09-_.!*:"},
        TUrlCase{"", ""}));

using TNumberCase = TCase<QString, qint64>;

class LeadingIntegerTest : public testing::TestWithParam<TNumberCase>
{};

TEST_P(LeadingIntegerTest, Reads)
{
    EXPECT_EQ(LeadingInteger(GetParam().Input), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Texts,
                         LeadingIntegerTest,
                         testing::Values(TNumberCase{u"120 min"_s, 120},
                                         TNumberCase{u"  42  "_s, 42},
                                         TNumberCase{u"\t12\r\n"_s, 12},
                                         TNumberCase{u"-7 x"_s, -7},
                                         TNumberCase{u"+7"_s, 7},
                                         TNumberCase{u"2147483647"_s, INT_MAX},
                                         TNumberCase{u"2147483648"_s, 0},
                                         TNumberCase{u"-2147483648"_s, INT_MIN},
                                         TNumberCase{u"-2147483649"_s, 0},
                                         TNumberCase{u"42abc"_s, 0},
                                         TNumberCase{u"12\tmin"_s, 0},
                                         TNumberCase{u"1.5 GB"_s, 0},
                                         TNumberCase{u"0x10"_s, 0},
                                         TNumberCase{u"-"_s, 0},
                                         TNumberCase{u"\u0663"_s, 0},
                                         TNumberCase{u""_s, 0}));

class SizeInMegabytesTest : public testing::TestWithParam<TNumberCase>
{};

TEST_P(SizeInMegabytesTest, Reads)
{
    EXPECT_EQ(SizeInMegabytes(GetParam().Input), GetParam().Expected);
}

constexpr qint64 MaxSize = std::numeric_limits<qint64>::max();

INSTANTIATE_TEST_SUITE_P(Texts,
                         SizeInMegabytesTest,
                         testing::Values(TNumberCase{u"1.5 GB"_s, 1536},
                                         TNumberCase{u"1,5 GB"_s, 1536},
                                         TNumberCase{u"  3 gb  "_s, 3072},
                                         TNumberCase{u"5GB"_s, 5120},
                                         TNumberCase{u"700 MB"_s, 700},
                                         TNumberCase{u"1.2 MB"_s, 2},
                                         TNumberCase{u"512 KB"_s, 1},
                                         TNumberCase{u"1024 KB"_s, 1},
                                         TNumberCase{u"1025 KB"_s, 2},
                                         TNumberCase{u"0.0001 KB"_s, 1},
                                         TNumberCase{u"1e3 MB"_s, 1000},
                                         TNumberCase{u"700"_s, 700},
                                         TNumberCase{u"MB 700"_s, 0},
                                         TNumberCase{u"GB"_s, 0},
                                         // A unit at the start does not count, a later one does.
                                         TNumberCase{u"GB1 MB"_s, 0},
                                         // Not above zero, or not a number: the leading integer.
                                         TNumberCase{u"0 MB"_s, 0},
                                         TNumberCase{u"-5 MB"_s, -5},
                                         TNumberCase{u"12 abc MB"_s, 12},
                                         TNumberCase{u"2 GB 3 MB"_s, 2},
                                         TNumberCase{u"1.5.0 GB"_s, 0},
                                         TNumberCase{u"inf GB"_s, 0},
                                         TNumberCase{u"1e400 GB"_s, 0},
                                         TNumberCase{u"1e300 GB"_s, MaxSize},
                                         TNumberCase{u"9.1e15 GB"_s, MaxSize},
                                         TNumberCase{u"8e15 GB"_s, qint64(8e15) * 1024},
                                         TNumberCase{u""_s, 0}));

TEST(TimeTest, MinutesBecomeATimeOfDay)
{
    EXPECT_EQ(MinutesToTime(0), 0.0);
    EXPECT_DOUBLE_EQ(MinutesToTime(90), 90.0 / 1440);
    EXPECT_DOUBLE_EQ(MinutesToTime(1439), 1439.0 / 1440);
    // A day and more wraps like a clock.
    EXPECT_EQ(MinutesToTime(1440), 0.0);
    EXPECT_DOUBLE_EQ(MinutesToTime(1500), 60.0 / 1440);
    EXPECT_DOUBLE_EQ(MinutesToTime(INT_MAX), (INT_MAX % 1440) / 1440.0);
    EXPECT_EQ(MinutesToTime(-1), 0.0);
    EXPECT_EQ(MinutesToTime(INT_MIN), 0.0);
}

TEST(TimeTest, TextMinutesReadTheWholeTrimmedText)
{
    EXPECT_DOUBLE_EQ(TextMinutesToTime(u" 90 "_s), 90.0 / 1440);
    EXPECT_EQ(TextMinutesToTime(u"90 min"_s), 0.0);
    EXPECT_EQ(TextMinutesToTime(u"abc"_s), 0.0);
    EXPECT_EQ(TextMinutesToTime(u"-5"_s), 0.0);
    EXPECT_EQ(TextMinutesToTime(u"99999999999"_s), 0.0);
    EXPECT_EQ(TextMinutesToTime(QString()), 0.0);
}

TEST(TimeTest, EveryMinuteOfTheDayRoundTrips)
{
    for (int minutes = 0; minutes < 1440; ++minutes)
        ASSERT_EQ(TimeToMinutesText(MinutesToTime(minutes)), QString::number(minutes));
}

TEST(TimeTest, MinutesTextUsesTheTimeOfDayOnly)
{
    EXPECT_EQ(TimeToMinutesText((90 * 60 + 59) / 86400.0), u"90"_s) << "seconds are dropped";
    EXPECT_EQ(TimeToMinutesText(3.5), u"720"_s) << "the date part is ignored";
    EXPECT_EQ(TimeToMinutesText(-1.25), u"360"_s);
    EXPECT_EQ(TimeToMinutesText(0.9999999999), u"0"_s) << "rounds to the next midnight";
    EXPECT_EQ(TimeToMinutesText(1e300), u"0"_s);
    EXPECT_EQ(TimeToMinutesText(std::numeric_limits<double>::quiet_NaN()), u"0"_s);
    EXPECT_EQ(TimeToMinutesText(-std::numeric_limits<double>::infinity()), u"0"_s);
}

} // namespace
