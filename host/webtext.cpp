#include "host/webtext.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <string>

#include <iconv.h>

#include <QByteArrayList>
#include <QStringView>
#include <QSysInfo>

#include "catalog/ansi.h"

using namespace Qt::StringLiterals;

namespace {

struct TCharsetName
{
    const char *Name;
    int CodePage;
};

// Searched in this order; the first name equal without regard to case wins.
constexpr TCharsetName CharsetNames[] = {
    {"iso-8859-1", 28591},
    {"iso-8859-2", 28592},
    {"iso-8859-3", 28593},
    {"iso-8859-4", 28594},
    {"iso-8859-5", 28595},
    {"iso-8859-6", 28596},
    {"iso-8859-7", 28597},
    {"iso-8859-8", 28598},
    {"iso-8859-9", 28599},
    {"windows-1250", 1250},
    {"windows-1251", 1251},
    {"windows-1252", 1252},
    {"windows-1253", 1253},
    {"windows-1254", 1254},
    {"windows-1255", 1255},
    {"windows-1256", 1256},
    {"windows-1257", 1257},
    {"windows-1258", 1258},
    {"macintosh", 10000},
    {"x-mac-japanese", 10001},
    {"x-mac-chinesetrad", 10002},
    {"x-mac-korean", 10003},
    {"x-mac-arabic", 10004},
    {"x-mac-hebrew", 10005},
    {"x-mac-greek", 10006},
    {"x-mac-cyrillic", 10007},
    {"x-mac-chinesesimp", 10008},
    {"gb2312", 936},
    {"shift_jis", 932},
    {"cp875", 875},
    {"ks_c_5601-1987", 949},
    {"big5", 950},
    {"windows-874", 874},
    {"Johab", 1361},
    {"x-mac-romanian", 10010},
    {"x-mac-ukrainian", 10017},
    {"x-mac-thai", 10021},
    {"x-mac-ce", 10029},
    {"x-mac-icelandic", 10079},
    {"x-mac-turkish", 10081},
    {"x-mac-croatian", 10082},
    {"koi8-r", 20866},
    {"EUC-JP", 20932},
    {"x-cp20936", 20936},
    {"x-cp20949", 20949},
    {"koi8-u", 21866},
    {"iso-8859-13", 28603},
    {"iso-8859-15", 28605},
    {"x-Europa", 29001},
    {"iso-8859-8-i", 38598},
    {"iso-2022-jp", 50220},
    {"csISO2022JP", 50221},
    {"iso-2022-kr", 50225},
    {"EUC-CN", 51936},
    {"euc-kr", 51949},
};

struct TIconvCodePage
{
    int CodePage;
    // Tried in order: the faithful Microsoft variant first where glibc has one.
    const char *Names[2];
};

// Code pages with an iconv counterpart, besides the ranges handled in IconvNames().
// Those glibc lacks (most Mac code pages, x-Europa) fall back to Windows-1252.
constexpr TIconvCodePage IconvCodePages[] = {
    {37, {"IBM037", nullptr}},
    {437, {"IBM437", nullptr}},
    {500, {"IBM500", nullptr}},
    {708, {"ASMO-708", nullptr}},
    {737, {"CP737", nullptr}},
    {775, {"IBM775", nullptr}},
    {850, {"IBM850", nullptr}},
    {852, {"IBM852", nullptr}},
    {855, {"IBM855", nullptr}},
    {857, {"IBM857", nullptr}},
    {858, {"IBM858", nullptr}},
    {860, {"IBM860", nullptr}},
    {861, {"IBM861", nullptr}},
    {862, {"IBM862", nullptr}},
    {863, {"IBM863", nullptr}},
    {864, {"IBM864", nullptr}},
    {865, {"IBM865", nullptr}},
    {866, {"IBM866", nullptr}},
    {869, {"IBM869", nullptr}},
    {870, {"IBM870", nullptr}},
    {874, {"WINDOWS-874", "CP874"}},
    {875, {"IBM875", nullptr}},
    // glibc's SHIFT_JIS reads 0x5C as the yen sign; Windows (and CP932) as a backslash.
    {932, {"CP932", "SHIFT_JIS"}},
    {936, {"CP936", "GBK"}},
    {949, {"CP949", "EUC-KR"}},
    {950, {"CP950", "BIG5"}},
    {1026, {"IBM1026", nullptr}},
    {1047, {"IBM1047", nullptr}},
    {1200, {"UTF-16LE", nullptr}},
    {1201, {"UTF-16BE", nullptr}},
    {1361, {"CP1361", "JOHAB"}},
    {10000, {"MACINTOSH", nullptr}},
    {10007, {"MS-MAC-CYRILLIC", "MAC-CYRILLIC"}},
    {10017, {"MAC-UK", nullptr}},
    {10029, {"MAC-CENTRALEUROPE", nullptr}},
    {10079, {"MAC-IS", nullptr}},
    {12000, {"UTF-32LE", nullptr}},
    {12001, {"UTF-32BE", nullptr}},
    {20127, {"US-ASCII", nullptr}},
    {20866, {"KOI8-R", nullptr}},
    {20932, {"EUC-JP", nullptr}},
    {20936, {"GB2312", "EUC-CN"}},
    {20949, {"EUC-KR", nullptr}},
    {21866, {"KOI8-U", nullptr}},
    {28603, {"ISO-8859-13", nullptr}},
    {28605, {"ISO-8859-15", nullptr}},
    {38598, {"ISO-8859-8", nullptr}},
    {50220, {"ISO-2022-JP", nullptr}},
    // 50221 adds half-width katakana (ESC ( I), which only glibc's JP-3 variant reads.
    {50221, {"ISO-2022-JP-3", "ISO-2022-JP"}},
    {50225, {"ISO-2022-KR", nullptr}},
    {50227, {"ISO-2022-CN", nullptr}},
    {51932, {"EUC-JP", nullptr}},
    {51936, {"EUC-CN", "GB2312"}},
    {51949, {"EUC-KR", nullptr}},
    {51950, {"EUC-TW", nullptr}},
    {54936, {"GB18030", nullptr}},
    {65000, {"UTF-7", nullptr}},
    {65001, {"UTF-8", nullptr}},
};

QByteArrayList IconvNames(int codePage)
{
    // 1252 stays with FromAnsi(), which keeps the five unassigned bytes as Windows does.
    if (codePage >= 1250 && codePage <= 1258 && codePage != 1252)
        return {"CP" + QByteArray::number(codePage)};
    if (codePage >= 28591 && codePage <= 28599)
        return {"ISO-8859-" + QByteArray::number(codePage - 28590)};
    for (const TIconvCodePage &entry : IconvCodePages) {
        if (entry.CodePage != codePage)
            continue;
        QByteArrayList names;
        for (const char *name : entry.Names) {
            if (name != nullptr)
                names.append(name);
        }
        return names;
    }
    return {};
}

// QString's code units in memory order, so iconv's output can be appended as it is.
constexpr const char *Utf16Name =
    QSysInfo::ByteOrder == QSysInfo::BigEndian ? "UTF-16BE" : "UTF-16LE";

class TIconv
{
public:
    explicit TIconv(const char *from)
        : m_handle(iconv_open(Utf16Name, from))
    {}
    ~TIconv()
    {
        if (IsOpen())
            iconv_close(m_handle);
    }
    TIconv(const TIconv &) = delete;
    TIconv &operator=(const TIconv &) = delete;

    bool IsOpen() const { return m_handle != reinterpret_cast<iconv_t>(-1); }
    iconv_t Handle() const { return m_handle; }

private:
    iconv_t m_handle;
};

QString Convert(TIconv &converter, QByteArrayView bytes)
{
    QString out;
    out.reserve(bytes.size());
    // iconv only reads the input; its parameter type is not const.
    char *in = const_cast<char *>(bytes.data());
    size_t inLeft = size_t(bytes.size());
    char16_t chunk[4096];
    for (;;) {
        char *outPtr = reinterpret_cast<char *>(chunk);
        size_t outLeft = sizeof chunk;
        // With the input used up, one more call writes what a stateful or composing
        // decoder still holds back.
        const bool flushing = inLeft == 0;
        const size_t result = flushing
                                  ? iconv(converter.Handle(), nullptr, nullptr, &outPtr, &outLeft)
                                  : iconv(converter.Handle(), &in, &inLeft, &outPtr, &outLeft);
        const int error = errno;
        out.append(QStringView(chunk, (sizeof chunk - outLeft) / sizeof(char16_t)));
        if (result != size_t(-1)) {
            if (flushing)
                break;
            continue;
        }
        if (error == E2BIG)
            continue;
        if (flushing)
            break;
        // An undefined sequence (EILSEQ) or one cut off by the end of the page (EINVAL):
        // one replacement character, then go on with the next byte.
        if (error != EILSEQ && error != EINVAL)
            break;
        out.append(QChar::ReplacementCharacter);
        ++in;
        --inLeft;
    }
    return out;
}

// The only characters Trim() of the 8-bit text functions removes: controls and blanks.
QStringView TrimLow(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= u' ')
        ++begin;
    while (end > begin && text[end - 1].unicode() <= u' ')
        --end;
    return text.sliced(begin, end - begin);
}

bool EqualsAsciiNoCase(QStringView text, const char *ascii)
{
    const size_t length = std::strlen(ascii);
    if (size_t(text.size()) != length)
        return false;
    for (size_t i = 0; i < length; ++i) {
        const char16_t c = text[qsizetype(i)].unicode();
        const char16_t lower = c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
        const char a = ascii[i] >= 'A' && ascii[i] <= 'Z' ? char(ascii[i] + 32) : ascii[i];
        if (lower != char16_t(a))
            return false;
    }
    return true;
}

int HexDigit(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// Digits in base 10 or 16 up to `limit`; empty when there are none, another character
// follows, or the value passes the limit.
std::optional<quint64> ReadDigits(QStringView digits, int base, quint64 limit)
{
    if (digits.isEmpty())
        return std::nullopt;
    quint64 value = 0;
    for (const QChar c : digits) {
        const int digit = HexDigit(c.unicode());
        if (digit < 0 || digit >= base)
            return std::nullopt;
        value = value * quint64(base) + quint64(digit);
        if (value > limit)
            return std::nullopt;
    }
    return value;
}

// The text of a numeric character reference: decimal within the signed 32-bit range, or
// hex (all 32 bits) after "x", "X", "0x" or "$". 0 when it is neither.
quint32 ReferenceValue(QStringView text)
{
    std::optional<quint64> value;
    if (text.startsWith(u"0x"))
        value = ReadDigits(text.sliced(2), 16, 0xFFFF'FFFFu);
    else if (text.startsWith(u'x') || text.startsWith(u'X') || text.startsWith(u'$'))
        value = ReadDigits(text.sliced(1), 16, 0xFFFF'FFFFu);
    else
        value = ReadDigits(text, 10, quint64(std::numeric_limits<qint32>::max()));
    return quint32(value.value_or(0));
}

// An optional sign and decimal digits that fit a 32-bit int.
std::optional<int> ReadInteger(QStringView text)
{
    bool negative = false;
    if (text.startsWith(u'-') || text.startsWith(u'+')) {
        negative = text.front() == u'-';
        text = text.sliced(1);
    }
    const quint64 limit = quint64(std::numeric_limits<int>::max()) + (negative ? 1 : 0);
    const std::optional<quint64> magnitude = ReadDigits(text, 10, limit);
    if (!magnitude)
        return std::nullopt;
    return negative ? int(-qint64(*magnitude)) : int(*magnitude);
}

// [sign] digits [("." | ",") digits] [E [sign] digits], with at least one digit before
// the exponent; both separators are accepted because the text may come from any system.
std::optional<double> ReadFloat(QStringView text)
{
    std::string normal;
    qsizetype i = 0;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-')
            normal += '-';
        ++i;
    }
    int mantissaDigits = 0;
    bool separator = false;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c >= u'0' && c <= u'9') {
            normal += char(c);
            ++mantissaDigits;
        } else if ((c == u'.' || c == u',') && !separator) {
            normal += '.';
            separator = true;
        } else {
            break;
        }
    }
    if (mantissaDigits == 0)
        return std::nullopt;
    if (i < text.size() && (text[i] == u'E' || text[i] == u'e')) {
        normal += 'e';
        ++i;
        if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
            normal += char(text[i++].unicode());
        const qsizetype exponentStart = i;
        for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
            normal += char(text[i].unicode());
        if (i == exponentStart)
            return std::nullopt;
    }
    if (i != text.size())
        return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(normal.data(), normal.data() + normal.size(), value);
    if (error != std::errc() || end != normal.data() + normal.size())
        return std::nullopt;
    return value;
}

constexpr double MSecsPerDay = 86'400'000.0;

} // namespace

int WindowsCodePageForCharset(const QString &name)
{
    for (const TCharsetName &entry : CharsetNames) {
        if (EqualsAsciiNoCase(name, entry.Name))
            return entry.CodePage;
    }
    return 0;
}

QString DecodeWithCodePage(const QByteArray &bytes, int codePage)
{
    for (const QByteArray &name : IconvNames(codePage)) {
        TIconv converter(name.constData());
        if (converter.IsOpen())
            return Convert(converter, bytes);
    }
    return FromAnsi(bytes);
}

QString PageToWide(const QByteArray &page)
{
    qsizetype tag = page.indexOf(R"(http-equiv="Content-Type")");
    if (tag < 0)
        tag = page.indexOf(R"(http-equiv="content-type")");
    int codePage = 0;
    if (tag >= 0) {
        const qsizetype tagEnd = page.indexOf('>', tag);
        // From the page's start on purpose: an earlier "charset=" wins.
        const qsizetype charset = page.indexOf("charset=");
        if (tagEnd >= 0 && charset >= 0 && charset < tagEnd) {
            const qsizetype nameStart = charset + 8;
            const qsizetype quote = page.indexOf('"', nameStart);
            if (quote >= 0) {
                codePage = WindowsCodePageForCharset(
                    FromAnsi(QByteArrayView(page).sliced(nameStart, quote - nameStart)));
            }
        }
    }
    return codePage != 0 ? DecodeWithCodePage(page, codePage) : FromAnsi(page);
}

namespace {

constexpr int Utf8CodePage = 65001;
// Browsers look for the declaration no further than this.
constexpr qsizetype MetaScanBytes = 4096;

int CodePageForName(QByteArrayView name)
{
    const QByteArray lower = name.toByteArray().trimmed().toLower();
    if (lower == "utf-8" || lower == "utf8")
        return Utf8CodePage;
    return lower.isEmpty() ? 0 : WindowsCodePageForCharset(QString::fromLatin1(lower));
}

// The name after "charset=" in lower-case `text`, without quotes, up to a quote, blank,
// ';', '/' or '>'.
QByteArrayView CharsetParameter(QByteArrayView text)
{
    const qsizetype at = text.indexOf("charset=");
    if (at < 0)
        return {};
    qsizetype start = at + 8;
    while (start < text.size() && (text[start] == '"' || text[start] == '\'' || text[start] == ' '))
        ++start;
    qsizetype end = start;
    while (end < text.size() && !QByteArrayView("\"' ;/>").contains(text[end]))
        ++end;
    return text.sliced(start, end - start);
}

int DeclaredCodePage(const QByteArray &page)
{
    const QByteArray head = page.left(MetaScanBytes).toLower();
    for (qsizetype at = head.indexOf("<meta"); at >= 0; at = head.indexOf("<meta", at + 5)) {
        const qsizetype end = head.indexOf('>', at);
        const QByteArrayView tag =
            QByteArrayView(head).sliced(at, (end < 0 ? head.size() : end) - at);
        if (tag.contains("charset="))
            return CodePageForName(CharsetParameter(tag));
    }
    return 0;
}

} // namespace

QString PageToWide(const QByteArray &page, QByteArrayView contentType)
{
    const QByteArray type = contentType.toByteArray().toLower();
    int codePage = CodePageForName(CharsetParameter(type));
    if (codePage == 0 && type.contains("json"))
        codePage = Utf8CodePage;
    if (codePage == 0)
        codePage = DeclaredCodePage(page);
    return codePage != 0 ? DecodeWithCodePage(page, codePage) : PageToWide(page);
}

QString DecodeHtmlText(const QString &text)
{
    // Built in one pass; the search always resumes in the untouched input, after the
    // reference just handled, exactly as if it were replaced in place.
    QString result;
    result.reserve(text.size());
    qsizetype from = 0;
    for (;;) {
        const qsizetype amp = text.indexOf(u"&#", from);
        if (amp < 0)
            break;
        const qsizetype semicolon = text.indexOf(u';', amp + 2);
        if (semicolon < 0)
            break;
        const QStringView number = QStringView(text).sliced(amp + 2, semicolon - amp - 2);
        const char16_t unit = char16_t(ReferenceValue(number) & 0xFFFF);
        result.append(QStringView(text).sliced(from, amp - from));
        if (unit != 0)
            result.append(QChar(unit));
        else
            result.append(QStringView(text).sliced(amp, semicolon + 1 - amp));
        from = semicolon + 1;
    }
    result.append(QStringView(text).sliced(from));

    for (const QStringView tag : {u"<br>", u"<br/>", u"<br />", u"<nobr>", u"</nobr>"})
        result.remove(tag.toString());
    result.replace(u"&nbsp;"_s, u" "_s);
    result.replace(u"&hellip;"_s, u"..."_s);
    result.replace(u"&mdash;"_s, QString(QChar(0x2014)));
    result.replace(u"&amp;"_s, u"&"_s);
    result.replace(u"&laquo;"_s, u"\""_s);
    result.replace(u"&raquo;"_s, u"\""_s);
    result.replace(u"&quot;"_s, u"\""_s);
    return result;
}

QByteArray EncodeUrlText(const QByteArray &ansiText)
{
    // Every character that gets replaced becomes "%" and its own code, and no replacement
    // holds a character a later rule replaces, so one pass gives the same text as
    // applying the rules one after another.
    static constexpr char Reserved[] = "%\"'^\\/;,|&$+=?@<>#{}~[]`()";
    static constexpr char Hex[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(ansiText.size());
    for (const char c : ansiText) {
        const auto byte = static_cast<uchar>(c);
        if (byte <= 32 || byte > 126 || std::strchr(Reserved, c) != nullptr) {
            out.append('%');
            out.append(Hex[byte >> 4]);
            out.append(Hex[byte & 0x0F]);
        } else {
            out.append(c);
        }
    }
    return out;
}

int LeadingInteger(const QString &text)
{
    QStringView rest = TrimLow(text);
    const qsizetype blank = rest.indexOf(u' ');
    if (blank >= 0)
        rest = TrimLow(rest.first(blank));
    return ReadInteger(rest).value_or(0);
}

qint64 SizeInMegabytes(const QString &text)
{
    const QString upper = TrimLow(text).toString().toUpper();
    enum class TUnit { Gb, Mb, Kb };
    constexpr struct
    {
        QStringView Name;
        TUnit Unit;
    } Units[] = {{u"GB", TUnit::Gb}, {u"MB", TUnit::Mb}, {u"KB", TUnit::Kb}};
    for (const auto &[name, unit] : Units) {
        const qsizetype at = upper.indexOf(name);
        // Only the first occurrence is looked at; at the very start it does not count.
        if (at < 1)
            continue;
        QString number = upper;
        number.remove(at, name.size());
        const double value = ReadFloat(TrimLow(number)).value_or(0);
        if (!(value > 0))
            break;
        const double megabytes = std::ceil(unit == TUnit::Gb   ? value * 1024
                                           : unit == TUnit::Mb ? value
                                                               : value / 1024);
        // 2^63: anything at or above it does not fit a qint64.
        if (megabytes >= 9'223'372'036'854'775'808.0)
            return std::numeric_limits<qint64>::max();
        return qint64(megabytes);
    }
    return LeadingInteger(upper);
}

double MinutesToTime(int minutes)
{
    if (minutes < 0)
        return 0;
    const int hours = minutes / 60 % 24;
    return (hours * 3'600'000.0 + (minutes % 60) * 60'000.0) / MSecsPerDay;
}

double TextMinutesToTime(const QString &text)
{
    const std::optional<int> minutes = ReadInteger(TrimLow(text));
    return minutes ? MinutesToTime(*minutes) : 0;
}

QString TimeToMinutesText(double time)
{
    if (!std::isfinite(time))
        return u"0"_s;
    const double fraction = std::fmod(std::fabs(time), 1.0);
    // A value a hair below midnight rounds to the next day's 00:00.
    const qint64 msecs = std::llround(fraction * MSecsPerDay) % qint64(MSecsPerDay);
    return QString::number(msecs / 60'000);
}
