#include "catalog/textutils.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <limits>
#include <string_view>
#include <system_error>
#include <utility>

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QVarLengthArray>

#include "catalog/platform/volumeinfo.h"

using namespace Qt::StringLiterals;

namespace {

// Line breaks separate too: multi-value fields are also written one name per line.
bool IsListSeparator(QChar c)
{
    switch (c.unicode()) {
    case u',':
    case u'/':
    case u'\\':
    case u';':
    case u'|':
    case u'\r':
    case u'\n':
        return true;
    default:
        return false;
    }
}

bool IsTrimmable(QChar c)
{
    return QStringView(u" .,-:#/\\|").contains(c);
}

// Walks from the last character down to the second, so pieces come out last-first and a
// separator in the first position never splits.
template <typename IsSeparator>
QStringList SplitWalk(QString text, IsSeparator isSeparator, bool collapseRuns)
{
    QStringList pieces;
    for (qsizetype i = text.size() - 1; i >= 1; --i) {
        if (!isSeparator(text[i]))
            continue;
        if (collapseRuns && isSeparator(text[i - 1])) {
            text.remove(i, 1);
            continue;
        }
        const QString piece = QStringView(text).sliced(i + 1).trimmed().toString();
        if (!piece.isEmpty())
            pieces.append(piece);
        text.truncate(i);
    }
    const QString rest = text.trimmed();
    if (!rest.isEmpty())
        pieces.append(rest);
    return pieces;
}

qsizetype FirstDigit(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isDigit())
            return i;
    }
    return -1;
}

qsizetype DigitRunLength(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i].isDigit())
        ++i;
    return i;
}

// Value of a run of (any script's) decimal digits; empty when it exceeds a 32-bit int.
std::optional<qint64> DigitRunValue(QStringView run)
{
    qint64 value = 0;
    for (const QChar c : run) {
        value = value * 10 + c.digitValue();
        if (value > std::numeric_limits<qint32>::max())
            return std::nullopt;
    }
    return value;
}

// Paths written on Windows ("C:\x", "C:/x", "\\server\x") are kept as text, never joined
// onto a local folder.
bool IsWindowsAbsolute(const QString &path)
{
    if (path.startsWith("\\\\"_L1))
        return true;
    return path.size() >= 3 && path[0].isLetter() && path[0].unicode() < 128 && path[1] == u':'
           && (path[2] == u'\\' || path[2] == u'/');
}

bool PathTaken(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

std::filesystem::path ToFsPath(const QString &path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

// Removed from guessed titles, in this order and ignoring case: download sites, release
// groups, uploaders and technical words that file names of downloads carry.
constexpr QLatin1StringView TitleNoise[] = {
    "divxflix.net"_L1, "ripvault.org"_L1, "filmswap.ru"_L1,  "DVDRip"_L1,         "DivX"_L1,
    "XVid"_L1,         "MP3"_L1,          "torrcine.com"_L1, "KLAXXON"_L1,        "NoGrp"_L1,
    "RiPPeRZ"_L1,      "Release"_L1,      "QxR7"_L1,         "cinedump.net"_L1,   "flixpirat.to"_L1,
    "aXXo"_L1,         "TrEVoX"_L1,       ".avi"_L1,         "www.rlsbox.com"_L1, "HDxZ"_L1,
    "dlmovz.net"_L1,   "ddlzone.cc"_L1,   "Tjenz0r"_L1,      "shareflix.biz"_L1,
};
static_assert(std::size(TitleNoise) == 24);

// Removes the first run of exactly four digits that is a year after 1900, or that ends
// the text whatever its value.
void RemoveYear(QString &s)
{
    qsizetype i = 0;
    while (i < s.size()) {
        if (!s[i].isDigit()) {
            ++i;
            continue;
        }
        const qsizetype length = DigitRunLength(QStringView(s).sliced(i));
        if (length == 4) {
            const bool endsText = i + length == s.size();
            const auto value = DigitRunValue(QStringView(s).sliced(i, 4));
            if (endsText || (value && *value > 1900)) {
                s.remove(i, 4);
                return;
            }
        }
        i += length;
    }
}

// Matched from the right, so nested groups go from the inside out.
void RemoveBracketGroups(QString &s, QChar open, QChar close)
{
    qsizetype start = s.lastIndexOf(open);
    while (start >= 0) {
        const qsizetype end = s.indexOf(close, start + 1);
        if (end >= 0)
            s.remove(start, end - start + 1);
        if (start == 0)
            break;
        start = s.lastIndexOf(open, start - 1);
    }
}

// "CD1", "CD2", ... (upper case only, as the part markers of multi-disc rips are written).
void RemoveDiscMarkers(QString &s)
{
    qsizetype from = 0;
    while (true) {
        const qsizetype at = s.indexOf("CD"_L1, from);
        if (at < 0)
            return;
        if (at + 2 < s.size() && s[at + 2].isDigit()) {
            s.remove(at, 3);
            from = at;
        } else {
            from = at + 1;
        }
    }
}

// The name of the DVD folder holding VIDEO_TS, or the disc's label when VIDEO_TS sits at
// the root of a mount. `parent` is the folder above VIDEO_TS, ending in "/".
QString DvdTitleSource(const QString &parent)
{
    if (parent.isEmpty())
        return {};
    const auto mount = CurrentVolumeInfo().MountFor(parent);
    if (parent == "/"_L1 || (mount && mount->MountPoint + u'/' == parent))
        return VolumeLabel(parent);
    const qsizetype slash = parent.lastIndexOf(u'/', parent.size() - 2);
    return parent.sliced(slash + 1, parent.size() - slash - 2);
}

} // namespace

QStringList SplitList(const QString &text)
{
    return SplitWalk(text, IsListSeparator, true);
}

QStringList SplitAt(const QString &text, QChar separator)
{
    return SplitWalk(
        text, [separator](QChar c) { return c == separator; }, false);
}

QString TrimSeparators(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (end - begin > 1 && IsTrimmable(text[begin]))
        ++begin;
    while (end - begin > 1 && IsTrimmable(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

QString RepairLineBreaks(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        result.append(text[i]);
        if (text[i] == u'\r' && (i + 1 == text.size() || text[i + 1] != u'\n'))
            result.append(u'\n');
    }
    return result;
}

bool IntInArray(int value, std::span<const int> array)
{
    return std::find(array.begin(), array.end(), value) != array.end();
}

int NaturalCompare(QStringView a, QStringView b)
{
    while (true) {
        if (a.isEmpty() || b.isEmpty())
            return a.isEmpty() && b.isEmpty() ? 0 : QString::localeAwareCompare(a, b);
        const qsizetype digitA = FirstDigit(a);
        const qsizetype digitB = FirstDigit(b);
        if (digitA < 0 || digitB < 0)
            return QString::localeAwareCompare(a, b);
        if (const int byText = QString::localeAwareCompare(a.first(digitA), b.first(digitB)))
            return byText;
        a = a.sliced(digitA);
        b = b.sliced(digitB);
        const qsizetype runA = DigitRunLength(a);
        const qsizetype runB = DigitRunLength(b);
        const auto valueA = DigitRunValue(a.first(runA));
        const auto valueB = DigitRunValue(b.first(runB));
        if (valueA && valueB && *valueA != *valueB)
            return *valueA < *valueB ? -1 : 1;
        a = a.sliced(runA);
        b = b.sliced(runB);
    }
}

int FloatToChars(double value, char (&buffer)[FloatTextMax])
{
    const auto put = [&buffer](std::string_view text) {
        std::copy(text.begin(), text.end(), buffer);
        return int(text.size());
    };
    if (std::isnan(value))
        return put("NAN");
    if (std::isinf(value))
        return put(value < 0 ? "-INF" : "INF");
    if (value == 0)
        return put("0"); // also for -0

    // "%.15g": fixed form unless the exponent is below -4 or 15 and above.
    char digits[FloatTextMax];
    const auto [end, error] =
        std::to_chars(std::begin(digits), std::end(digits), value, std::chars_format::general, 15);
    if (error != std::errc())
        return put("0"); // cannot happen with this buffer size

    char *out = buffer;
    const char *p = digits;
    for (; p != end && *p != 'e'; ++p)
        *out++ = *p == '.' ? ',' : *p;
    if (p != end) {
        // "e+20" → "E20", "e-07" → "E-7"
        *out++ = 'E';
        ++p;
        if (*p == '-')
            *out++ = '-';
        ++p;
        while (p + 1 != end && *p == '0')
            ++p;
        out = std::copy(p, static_cast<const char *>(end), out);
    }
    return int(out - buffer);
}

QString FloatToText(double value)
{
    char buffer[FloatTextMax];
    return QString::fromLatin1(buffer, FloatToChars(value, buffer));
}

namespace {

// The form the catalog writes nearly every number in: an optional '-', digits and an
// optional ',' with more digits, fifteen digits at most. Such a number and its power of ten
// are exact doubles, so one division rounds as the full conversion does; that conversion
// first copies the text, and a load reads a hundred thousand numbers.
std::optional<double> PlainDecimalToFloat(QStringView text)
{
    const bool negative = !text.isEmpty() && text.front() == u'-';
    qint64 mantissa = 0;
    int digits = 0;
    int fraction = -1;
    for (qsizetype i = negative ? 1 : 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u',' && fraction < 0 && digits > 0) {
            fraction = 0;
            continue;
        }
        if (c < u'0' || c > u'9' || ++digits > 15)
            return std::nullopt;
        mantissa = mantissa * 10 + (c - u'0');
        if (fraction >= 0)
            ++fraction;
    }
    if (digits == 0 || fraction == 0)
        return std::nullopt;
    static constexpr std::array<double, 16> Powers = {
        1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const double value = double(mantissa) / Powers[size_t(std::max(fraction, 0))];
    return negative ? -value : value;
}

} // namespace

std::optional<double> TextToFloat(QStringView text)
{
    if (const std::optional<double> plain = PlainDecimalToFloat(text))
        return plain;
    text = text.trimmed();
    if (text.startsWith(u'+') && text.size() > 1 && text[1] != u'-' && text[1] != u'+')
        text = text.sliced(1);
    if (text.isEmpty())
        return std::nullopt;

    QVarLengthArray<char, 64> ascii;
    ascii.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 128 || u == u'.')
            return std::nullopt;
        ascii.append(u == u',' ? '.' : char(u));
    }
    double value = 0;
    const char *end = ascii.constData() + ascii.size();
    const auto [stop, error] = std::from_chars(ascii.constData(), end, value);
    if (error != std::errc() || stop != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

bool FileExistsQuiet(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

QString ResolvePath(const QString &path, const QString &base)
{
    // Without a base the path stays relative rather than landing at the file-system root.
    if (path.isEmpty() || base.isEmpty() || QDir::isAbsolutePath(path) || IsWindowsAbsolute(path))
        return path;
    QString resolved = QDir::cleanPath(base + u'/' + path);
    if (path.endsWith(u'/') && !resolved.endsWith(u'/'))
        resolved.append(u'/');
    return resolved;
}

QString RelativePath(const QString &base, const QString &path)
{
    if (path.isEmpty() || base.isEmpty() || IsWindowsAbsolute(path))
        return path;
    QString relative = QDir(base).relativeFilePath(path);
    if (path.endsWith(u'/') && !relative.endsWith(u'/'))
        relative.append(u'/');
    return relative;
}

bool PathInside(const QString &path, const QString &folder)
{
    if (path.isEmpty() || folder.isEmpty() || IsWindowsAbsolute(path))
        return false;
    const QString cleanFolder = QDir::cleanPath(QDir(folder).absolutePath());
    const QString cleanPath = QDir::cleanPath(QDir(folder).absoluteFilePath(path));
    return cleanPath.startsWith(cleanFolder + u'/') && cleanPath.size() > cleanFolder.size() + 1;
}

QString SanitizeFileName(const QString &text)
{
    QString result;
    const QString trimmed = text.trimmed();
    result.reserve(trimmed.size());
    for (const QChar c : trimmed) {
        switch (c.unicode()) {
        case u':':
        case u'|':
            result.append(u'-');
            break;
        case u'\\':
        case u'/':
            result.append(u'_');
            break;
        case u'?':
        case u'*':
        case u'"':
            break;
        default:
            result.append(c);
        }
    }
    return result;
}

QString CopyIntoFolder(const QString &source, const QString &base, const QString &target, bool copy)
{
    const QString inPlace = RelativePath(base, source);
    // Without the trailing "/", "covers" would also match a source in "covers2/".
    QString folder = target;
    if (!folder.isEmpty() && !folder.endsWith(u'/'))
        folder.append(u'/');
    if (source.isEmpty() || source.startsWith(folder))
        return inPlace;
    const QString fileName = source.sliced(source.lastIndexOf(u'/') + 1);
    if (fileName.isEmpty())
        return inPlace;

    QDir().mkpath(folder);
    const qsizetype dot = fileName.lastIndexOf(u'.');
    const QString extension = dot >= 0 ? fileName.sliced(dot) : QString();
    const QString baseStem = dot >= 0 ? fileName.first(dot) : fileName;
    QString stem = baseStem;
    for (int n = 1; PathTaken(folder + stem + extension); ++n)
        stem = baseStem + QString::number(n);

    const QString destination = folder + stem + extension;
    if (copy) {
        std::error_code ignored; // a failed copy still yields the computed path
        std::filesystem::copy_file(ToFsPath(source), ToFsPath(destination), ignored);
    }
    return RelativePath(base, destination);
}

QString VolumeLabel(const QString &root)
{
    if (root.isEmpty())
        return {};
    return CurrentVolumeInfo().VolumeLabel(root.endsWith(u'/') ? root : root + u'/');
}

QString ShortenPath(const QString &path, int maxLength)
{
    QString result = path;
    while (result.startsWith("../"_L1))
        result.remove(0, 3);
    result.prepend(result.startsWith(u'/') ? "..."_L1 : ".../"_L1);

    // Positions are 1-based below; l and r point at "/" characters.
    const auto at = [&result](qsizetype position) { return result[position - 1]; };
    bool shortened = false;
    bool middleCut = false;
    qsizetype l = 0;
    while (result.size() > maxLength - 3) {
        const qsizetype length = result.size();
        const qsizetype mid = length / 2;
        l = mid;
        while (l > 1 && at(l) != u'/')
            --l;
        // Starting past l makes every cut remove at least one character.
        qsizetype r = std::max(mid, l + 1);
        while (r <= length && at(r) != u'/')
            ++r;
        if (r <= length) {
            result.remove(l, r - l); // the characters after l up to and including r
            shortened = true;
            middleCut = true;
            continue;
        }
        if (l > 1) {
            result.remove(0, l - 1); // keep "/name"
            l = 0;
            shortened = true;
            middleCut = false;
            break;
        }
        return path.first(path.lastIndexOf(u'/') + 1);
    }
    if (shortened)
        result.insert(l, middleCut ? ".../"_L1 : "..."_L1);
    return result;
}

QString TitleFromFileName(const QString &path)
{
    const qsizetype lastSlash = path.lastIndexOf(u'/');
    const QString folder = lastSlash > 0    ? path.first(lastSlash)
                           : lastSlash == 0 ? u"/"_s
                                            : QString();
    const bool dvdFolder = folder.endsWith("VIDEO_TS"_L1, Qt::CaseInsensitive)
                           && (folder.size() == 8 || folder[folder.size() - 9] == u'/');

    QString s;
    if (dvdFolder) {
        s = DvdTitleSource(folder.first(folder.size() - 8));
    } else {
        s = path.sliced(lastSlash + 1);
        // Cut before the last punctuation character (the extension), never at the first.
        for (qsizetype i = s.size() - 1; i >= 1; --i) {
            if (s[i].isPunct()) {
                s.truncate(i);
                break;
            }
        }
    }

    RemoveYear(s);
    RemoveBracketGroups(s, u'(', u')');
    RemoveBracketGroups(s, u'[', u']');
    RemoveDiscMarkers(s);
    for (const auto noise : TitleNoise)
        s.remove(noise, Qt::CaseInsensitive);

    QString title;
    title.reserve(s.size());
    for (const QChar c : std::as_const(s)) {
        const bool space = c == u' ' || QStringView(u"-_()[].").contains(c);
        if (!space)
            title.append(c);
        else if (!title.endsWith(u' '))
            title.append(u' ');
    }
    return title.trimmed();
}

int CompareNoCase(QStringView a, QStringView b)
{
    // One collator per thread: QCollator is not safe to share across threads and costly to
    // build per call.
    thread_local const QCollator collator = [] {
        QCollator c;
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    // The C locale's collation is plain code-point order and ignores the case setting.
    thread_local const bool plain = collator.locale().language() == QLocale::C;
    if (plain)
        return a.compare(b, Qt::CaseInsensitive);
    return collator.compare(a, b);
}

namespace {

bool IsAscii(QStringView text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

bool IsMark(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
        return true;
    default:
        return false;
    }
}

// The whole rule, for text the table below cannot fold.
QString FoldSlowly(QStringView text)
{
    const QString decomposed = text.toString().normalized(QString::NormalizationForm_KD);
    QString kept;
    kept.reserve(decomposed.size());
    for (qsizetype i = 0, n = decomposed.size(); i < n; ++i) {
        const QChar c = decomposed.at(i);
        if (c.isHighSurrogate() && i + 1 < n && decomposed.at(i + 1).isLowSurrogate()) {
            const char32_t code = QChar::surrogateToUcs4(c, decomposed.at(i + 1));
            if (!IsMark(code))
                kept.append(decomposed.sliced(i, 2));
            ++i;
        } else if (!IsMark(c.unicode())) {
            kept.append(c);
        }
    }
    return kept.toCaseFolded();
}

// What one UTF-16 unit folds to, learnt on first use: a single unit, nothing (a mark), or
// "complex" (several units, surrogates). Decomposition and folding act per character and
// marks are dropped anyway, so folding unit by unit gives the whole rule's answer.
constexpr char16_t FoldUnknown = 0;
constexpr char16_t FoldDropped = 0xFFFE;
constexpr char16_t FoldComplex = 0xFFFF;
std::array<std::atomic<char16_t>, 0x10000> g_foldTable{};

char16_t FoldedUnit(char16_t unit)
{
    char16_t folded = g_foldTable[unit].load(std::memory_order_relaxed);
    if (folded != FoldUnknown)
        return folded;
    if (QChar::isSurrogate(unit)) {
        folded = FoldComplex;
    } else {
        const QString alone = FoldSlowly(QStringView(&unit, 1));
        if (alone.isEmpty())
            folded = FoldDropped;
        else if (alone.size() == 1 && alone.at(0).unicode() < FoldDropped)
            folded = alone.at(0).unicode();
        else
            folded = FoldComplex;
    }
    g_foldTable[unit].store(folded, std::memory_order_relaxed);
    return folded;
}

} // namespace

QString SearchFolded(QStringView text)
{
    if (IsAscii(text))
        return text.toString().toCaseFolded();
    // Searches fold every record's text at every keystroke: a table lookup per unit keeps
    // that cheap; only text with characters that fold to several (rare) takes the long way.
    QString out(text.size(), Qt::Uninitialized);
    char16_t *write = reinterpret_cast<char16_t *>(out.data());
    qsizetype length = 0;
    for (const QChar c : text) {
        const char16_t folded = FoldedUnit(c.unicode());
        if (folded == FoldComplex)
            return FoldSlowly(text);
        if (folded != FoldDropped)
            write[length++] = folded;
    }
    out.truncate(length);
    return out;
}

bool SearchContains(QStringView text, QStringView foldedNeedle)
{
    // Every record's text is searched at every keystroke: it is folded unit by unit while
    // it is compared, without a copy. A unit that folds to several takes the whole rule.
    const auto fold = [](char16_t c) {
        if (c < 0x80)
            return c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c;
        return FoldedUnit(c);
    };
    if (foldedNeedle.isEmpty())
        return true;
    const char16_t *const needle = foldedNeedle.utf16();
    const qsizetype needleSize = foldedNeedle.size();
    const char16_t *const end = text.utf16() + text.size();
    for (const char16_t *p = text.utf16(); p != end; ++p) {
        const char16_t first = fold(*p);
        if (first == FoldComplex)
            return SearchFolded(text).contains(foldedNeedle);
        if (first != needle[0])
            continue;
        qsizetype matched = 1;
        for (const char16_t *q = p + 1; matched < needleSize && q != end; ++q) {
            const char16_t next = fold(*q);
            if (next == FoldComplex)
                return SearchFolded(text).contains(foldedNeedle);
            if (next == FoldDropped)
                continue;
            if (next != needle[matched])
                break;
            ++matched;
        }
        if (matched == needleSize)
            return true;
    }
    return false;
}
