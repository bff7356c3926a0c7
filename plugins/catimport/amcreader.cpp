#include "amcreader.h"

#include <algorithm>
#include <iterator>

#include "plugin_api/ansi1252.h"

namespace {

// The signatures Ant Movie Catalog writes at the start of its files.
constexpr std::string_view Signature35 =
    " AMC_3.5 Ant Movie Catalog 3.5.x   www.buypin.com    www.antp.be ";
constexpr std::string_view Signature33 =
    " AMC_3.3 Ant Movie Catalog 3.3.x   www.buypin.com  www.ant.be.tf ";
constexpr std::string_view Signature31 =
    " AMC_3.1 Ant Movie Catalog 3.1.x   www.buypin.com  www.ant.be.tf ";
constexpr size_t SignatureSize = 65;
static_assert(Signature35.size() == SignatureSize);
static_assert(Signature33.size() == SignatureSize);
static_assert(Signature31.size() == SignatureSize);

// Serial of 9999-12-31, the last day the format's date type holds.
constexpr int64_t LastDateSerial = 2958465;

// Reads the file's primitives; every read checks what is left and fails rather than
// running past the end.
class TByteCursor
{
public:
    TByteCursor(std::string_view bytes, size_t offset)
        : m_bytes(bytes)
        , m_offset(offset)
    {}

    size_t Offset() const { return m_offset; }
    bool AtEnd() const { return m_offset >= m_bytes.size(); }

    bool ReadInt32(int32_t &value)
    {
        if (m_bytes.size() - m_offset < 4)
            return false;
        const auto *p = reinterpret_cast<const unsigned char *>(m_bytes.data() + m_offset);
        value = static_cast<int32_t>(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16
                                     | uint32_t(p[3]) << 24);
        m_offset += 4;
        return true;
    }

    bool ReadByte(uint8_t &value)
    {
        if (m_offset >= m_bytes.size())
            return false;
        value = static_cast<uint8_t>(m_bytes[m_offset++]);
        return true;
    }

    // `count` bytes when that many are left; a count of 0 or less reads nothing.
    bool ReadBytes(int32_t count, std::string_view &value)
    {
        value = {};
        if (count <= 0)
            return true;
        if (m_bytes.size() - m_offset < size_t(count))
            return false;
        value = m_bytes.substr(m_offset, size_t(count));
        m_offset += size_t(count);
        return true;
    }

    bool ReadString(std::string_view &value)
    {
        int32_t length = 0;
        return ReadInt32(length) && ReadBytes(length, value);
    }

private:
    std::string_view m_bytes;
    size_t m_offset;
};

// Reads one record in the layout of `version`; false when the bytes end inside it.
bool ReadRecord(TByteCursor &in, int version, TAmcRecord &movie)
{
    int32_t rating = 0;
    uint8_t checked = 0;
    if (!in.ReadInt32(movie.Number) || !in.ReadInt32(movie.Date) || !in.ReadInt32(rating)
        || !in.ReadInt32(movie.Year) || !in.ReadInt32(movie.Length)
        || !in.ReadInt32(movie.VideoBitrate) || !in.ReadInt32(movie.AudioBitrate)
        || !in.ReadInt32(movie.Disks) || !in.ReadByte(checked)) {
        return false;
    }
    // Versions before 3.5 store the plain rating.
    movie.Rating = version >= 35 || rating == -1 ? int64_t(rating) : int64_t(rating) * 10;
    movie.Checked = checked != 0;
    if (!in.ReadString(movie.MediaLabel))
        return false;
    if (version >= 33 && (!in.ReadString(movie.MediaType) || !in.ReadString(movie.Source)))
        return false;
    for (std::string_view *text : {&movie.Borrower,
                                   &movie.OriginalTitle,
                                   &movie.TranslatedTitle,
                                   &movie.Director,
                                   &movie.Producer,
                                   &movie.Country,
                                   &movie.Category,
                                   &movie.Actors,
                                   &movie.URL,
                                   &movie.Description,
                                   &movie.Comments,
                                   &movie.VideoFormat,
                                   &movie.AudioFormat,
                                   &movie.Resolution,
                                   &movie.Framerate,
                                   &movie.Languages,
                                   &movie.Subtitles,
                                   &movie.Size,
                                   &movie.PictureName}) {
        if (!in.ReadString(*text))
            return false;
    }
    int32_t pictureSize = 0;
    return in.ReadInt32(pictureSize) && in.ReadBytes(pictureSize, movie.Picture);
}

int VersionOf(std::string_view bytes)
{
    const std::string_view head = bytes.substr(0, SignatureSize);
    if (head == Signature35)
        return 35;
    if (head == Signature33)
        return 33;
    if (head == Signature31)
        return 31;
    return 0;
}

// Decimal digits of `value` at the end of `buffer`; returns where they begin. Written
// here rather than with std::to_chars, whose tables would become exported symbols.
char16_t *FormatDigits(uint64_t value, char16_t *bufferEnd)
{
    char16_t *p = bufferEnd;
    do {
        *--p = char16_t(u'0' + value % 10);
        value /= 10;
    } while (value != 0);
    return p;
}

uint64_t Magnitude(int64_t value)
{
    return value < 0 ? uint64_t(0) - uint64_t(value) : uint64_t(value);
}

void AppendDecimal(int64_t value, std::u16string &out)
{
    char16_t buffer[24];
    if (value < 0)
        out.push_back(u'-');
    out.append(FormatDigits(Magnitude(value), std::end(buffer)), std::end(buffer));
}

// Zero-padded to `width` digits; `value` is not negative.
void AppendPadded(int64_t value, size_t width, std::u16string &out)
{
    char16_t buffer[24];
    char16_t *digits = FormatDigits(uint64_t(value), std::end(buffer));
    const auto length = size_t(std::end(buffer) - digits);
    if (length < width)
        out.append(width - length, u'0');
    out.append(digits, std::end(buffer));
}

void AppendUnlessUnset(int32_t value, std::u16string &out)
{
    if (value != -1)
        AppendDecimal(value, out);
}

// Rating times ten as "#0.0" with a point: the importer's texts do not depend on the
// user's locale, and the host reads a point.
void AppendRating(int64_t ratingTimesTen, std::u16string &out)
{
    if (ratingTimesTen == -1)
        return;
    if (ratingTimesTen < 0)
        out.push_back(u'-');
    const uint64_t magnitude = Magnitude(ratingTimesTen);
    char16_t buffer[24];
    out.append(FormatDigits(magnitude / 10, std::end(buffer)), std::end(buffer));
    out.push_back(u'.');
    out.push_back(char16_t(u'0' + magnitude % 10));
}

} // namespace

int TAmcReader::SignatureVersion(std::string_view bytes)
{
    return VersionOf(bytes);
}

TAmcReader::TAmcReader(std::string bytes)
    : m_bytes(std::move(bytes))
{
    if (m_bytes.size() > MaxFileSize)
        return;
    m_version = VersionOf(m_bytes);
    if (m_version == 0)
        return;
    TByteCursor in(m_bytes, SignatureSize);
    if (!in.ReadString(m_header.Name) || !in.ReadString(m_header.Mail)
        || (m_version < 35 && !in.ReadString(m_header.Icq)) || !in.ReadString(m_header.Site)
        || !in.ReadString(m_header.Description)) {
        return;
    }
    while (!in.AtEnd()) {
        const size_t offset = in.Offset();
        TAmcRecord movie;
        if (!ReadRecord(in, m_version, movie))
            return;
        m_index.push_back({movie.Number, offset});
    }
    m_complete = true;
}

TAmcRecord TAmcReader::Movie(size_t index) const
{
    TAmcRecord movie;
    // Indexed records were read completely once, so this read cannot fail.
    TByteCursor in(m_bytes, m_index.at(index).Offset);
    ReadRecord(in, m_version, movie);
    return movie;
}

void TAmcReader::SortByNumber()
{
    std::stable_sort(m_index.begin(), m_index.end(), [](const auto &a, const auto &b) {
        return a.Number < b.Number;
    });
}

const TMovieTextRec &TAmcReader::TextRecord(size_t index)
{
    // The host's slots 0..44 and the field each takes; -1 stays empty. Slot 1 falls
    // back to the original title below.
    constexpr int None = -1;
    using F = TAmcField;
    static constexpr std::array<int, 45> SlotFields = {
        int(F::Number),          // 0 num
        int(F::TranslatedTitle), // 1 title
        int(F::OriginalTitle),   // 2 origtitle
        None,                    // 3 aka
        int(F::Year),            // 4 year
        int(F::Category),        // 5 genre
        int(F::Director),        // 6 director
        int(F::Producer),        // 7 producer
        None,                    // 8 scenario
        None,                    // 9 music
        int(F::Actors),          // 10 actors
        int(F::Country),         // 11 country
        None,                    // 12 studio
        None,                    // 13 mpaa
        int(F::URL),             // 14 url
        None,                    // 15 imdbrating
        None,                    // 16 orating
        int(F::Rating),          // 17 rating
        None,                    // 18 tags
        int(F::Date),            // 19 dateadded
        int(F::Borrower),        // 20 loan
        None,                    // 21 tagline
        int(F::Description),     // 22 description
        int(F::Comments),        // 23 comment
        None,                    // 24 awards
        None,                    // 25 links
        int(F::Source),          // 26 path
        None,                    // 27 rip
        int(F::Length),          // 28 length
        int(F::Languages),       // 29 langs
        None,                    // 30 translation
        int(F::Resolution),      // 31 resolution
        int(F::VideoFormat),     // 32 videocodec
        int(F::VideoBitrate),    // 33 videobitrate
        int(F::AudioFormat),     // 34 audiocodec
        int(F::AudioBitrate),    // 35 audiobitrate
        None,                    // 36 release
        int(F::Size),            // 37 size
        int(F::Subtitles),       // 38 subs
        int(F::Disks),           // 39 count
        int(F::MediaType),       // 40 type
        int(F::MediaLabel),      // 41 label
        int(F::Framerate),       // 42 framerate
        None,                    // 43 features
        None                     // 44 viewed
    };
    constexpr size_t PictureSlot = 49;

    const TAmcRecord movie = Movie(index);
    for (std::u16string &text : m_texts)
        text.clear();
    for (size_t slot = 0; slot < SlotFields.size(); ++slot) {
        if (SlotFields[slot] != None)
            AppendAmcFieldText(movie, TAmcField(SlotFields[slot]), m_texts[slot]);
    }
    if (movie.TranslatedTitle.empty())
        AppendAmcFieldText(movie, TAmcField::OriginalTitle, m_texts[1]);
    // The picture format slot stays empty: the host then reads the picture as JPEG.
    AppendBase64Lines(movie.Picture, m_texts[PictureSlot]);
    for (size_t slot = 0; slot < m_texts.size(); ++slot)
        m_record.Slots[slot] = m_texts[slot].empty() ? nullptr : m_texts[slot].c_str();
    return m_record;
}

void AppendAmcFieldText(const TAmcRecord &movie, TAmcField field, std::u16string &out)
{
    // The string field behind each field number; null for the others.
    using TText = std::string_view TAmcRecord::*;
    static constexpr TText Texts[] = {
        nullptr, // Number
        nullptr, // Checked
        &TAmcRecord::MediaLabel,
        &TAmcRecord::MediaType,
        &TAmcRecord::Source,
        nullptr, // Date
        &TAmcRecord::Borrower,
        nullptr, // Rating
        &TAmcRecord::OriginalTitle,
        &TAmcRecord::TranslatedTitle,
        nullptr, // FormattedTitle: always empty
        &TAmcRecord::Director,
        &TAmcRecord::Producer,
        &TAmcRecord::Country,
        &TAmcRecord::Category,
        nullptr, // Year
        nullptr, // Length
        &TAmcRecord::Actors,
        &TAmcRecord::URL,
        &TAmcRecord::Description,
        &TAmcRecord::Comments,
        &TAmcRecord::VideoFormat,
        nullptr, // VideoBitrate
        &TAmcRecord::AudioFormat,
        nullptr, // AudioBitrate
        &TAmcRecord::Resolution,
        &TAmcRecord::Framerate,
        &TAmcRecord::Languages,
        &TAmcRecord::Subtitles,
        &TAmcRecord::Size,
        nullptr, // Disks
    };
    static_assert(std::size(Texts) == size_t(TAmcField::Disks) + 1);

    switch (field) {
    case TAmcField::Number:
        AppendDecimal(movie.Number, out);
        break;
    case TAmcField::Checked:
        out.append(movie.Checked ? u"True" : u"False");
        break;
    case TAmcField::Date:
        AppendIsoDate(movie.Date, out);
        break;
    case TAmcField::Rating:
        AppendRating(movie.Rating, out);
        break;
    case TAmcField::Year:
        AppendUnlessUnset(movie.Year, out);
        break;
    case TAmcField::Length:
        AppendUnlessUnset(movie.Length, out);
        break;
    case TAmcField::VideoBitrate:
        AppendUnlessUnset(movie.VideoBitrate, out);
        break;
    case TAmcField::AudioBitrate:
        AppendUnlessUnset(movie.AudioBitrate, out);
        break;
    case TAmcField::Disks:
        AppendUnlessUnset(movie.Disks, out);
        break;
    default:
        if (const auto number = size_t(field); number < std::size(Texts) && Texts[number])
            AppendWindows1252(movie.*Texts[number], out);
        break;
    }
}

void AppendWindows1252(std::string_view bytes, std::u16string &out)
{
    const size_t start = out.size();
    out.resize(start + bytes.size());
    char16_t *target = out.data() + start;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        *target++ = RkAnsiToUnicode(byte);
    }
}

void AppendIsoDate(int64_t serial, std::u16string &out)
{
    if (serial < 1 || serial > LastDateSerial)
        return;
    // Civil date from a day count (proleptic Gregorian), counted from 0000-03-01 so that
    // leap days fall at the end of each counted year.
    const int64_t days = serial - 25569 + 719468; // 25569: serial of 1970-01-01
    const int64_t era = days / 146097;            // days is positive in the accepted range
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthIndex = (5 * dayOfYear + 2) / 153; // 0 = March
    const int64_t day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    const int64_t month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    const int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    AppendPadded(year, 4, out);
    out.push_back(u'-');
    AppendPadded(month, 2, out);
    out.push_back(u'-');
    AppendPadded(day, 2, out);
}

void AppendBase64Lines(std::string_view bytes, std::u16string &out)
{
    static constexpr char Alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    constexpr size_t LineLength = 76;
    const size_t encoded = (bytes.size() + 2) / 3 * 4;
    const size_t start = out.size();
    out.resize(start + encoded + encoded / LineLength * 2);
    char16_t *target = out.data() + start;
    size_t column = 0;
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.data());
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t left = bytes.size() - i;
        const uint32_t group = uint32_t(data[i]) << 16 | (left > 1 ? uint32_t(data[i + 1]) << 8 : 0)
                               | (left > 2 ? uint32_t(data[i + 2]) : 0);
        *target++ = char16_t(Alphabet[group >> 18 & 63]);
        *target++ = char16_t(Alphabet[group >> 12 & 63]);
        *target++ = left > 1 ? char16_t(Alphabet[group >> 6 & 63]) : u'=';
        *target++ = left > 2 ? char16_t(Alphabet[group & 63]) : u'=';
        column += 4;
        if (column == LineLength) {
            *target++ = u'\r';
            *target++ = u'\n';
            column = 0;
        }
    }
}
