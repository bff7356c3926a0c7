#include "amcreader.h"

#include <algorithm>
#include <initializer_list>
#include <iterator>

#include "amcxml.h"
#include "plugin_api/ansi1252.h"
#include "plugins/common/unicodetext.h"

// The binary layout, as public descriptions of the format and independent readers of it
// give it (versions in brackets: the part exists from that version on).
//
// Header: signature; owner name, mail, [before 3.5 only: ICQ], site, description.
// [4.0] Column settings and window settings (strings), the custom field count, then per
// field: tag, name, [4.1: extension], type ("ftString", "ftList", ...), default value,
// [4.1: media-info key], multi-value flag, [4.1: separator (int32), two flags], excluded-
// from-scripts flag, GUI properties (string); a list field then has its value count and
// values, [4.1: and four flags].
// Record: number, date added, [4.2: date watched, user rating], rating (times ten from
// 3.5), year, length, video bitrate, audio bitrate, disks, [4.1: colour tag], checked
// flag; media label, [3.3: media type, source], borrower, original title, translated
// title, director, producer, [4.2: writer, composer], country, category, [4.2:
// certification], actors, URL, description, comments, [4.2: file path], video format,
// audio format, resolution, framerate, languages, subtitles, size; the picture: a name
// (the extension of an embedded picture, or the path of a picture kept as a file) and its
// byte count and bytes (0: none embedded); [4.0: one string per custom field, in the
// order of the definitions]; [4.2: the extra count, then per extra: checked flag, tag,
// title, category, URL, description, comments, created by, a picture as above].
// Numbers of -1 and dates below 1 are "not set".

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
constexpr std::string_view Signature40 =
    " AMC_4.0 Ant Movie Catalog 4.0.x   antp/soulsnake    www.antp.be ";
constexpr std::string_view Signature41 =
    " AMC_4.1 Ant Movie Catalog 4.1.x   antp/soulsnake    www.antp.be ";
constexpr std::string_view Signature42 =
    " AMC_4.2 Ant Movie Catalog 4.2.x   antp/soulsnake    www.antp.be ";
static_assert(Signature40.size() == SignatureSize);
static_assert(Signature41.size() == SignatureSize);
static_assert(Signature42.size() == SignatureSize);

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

bool ReadFlag(TByteCursor &in, bool &value)
{
    uint8_t byte = 0;
    if (!in.ReadByte(byte))
        return false;
    value = byte != 0;
    return true;
}

bool ReadStrings(TByteCursor &in, std::initializer_list<std::string_view *> texts)
{
    for (std::string_view *text : texts) {
        if (!in.ReadString(*text))
            return false;
    }
    return true;
}

bool IsListType(std::string_view type)
{
    constexpr std::string_view list = "list";
    if (type.size() < list.size())
        return false;
    const std::string_view end = type.substr(type.size() - list.size());
    return std::equal(end.begin(), end.end(), list.begin(), [](char a, char b) {
        return (a >= 'A' && a <= 'Z' ? char(a - 'A' + 'a') : a) == b;
    });
}

// The custom field definitions of a 4.x header; false when the bytes end inside them.
bool ReadCustomFields(TByteCursor &in, int version, std::vector<TAmcCustomField> &fields)
{
    std::string_view columns;
    std::string_view window;
    int32_t count = 0;
    if (!in.ReadString(columns) || !in.ReadString(window) || !in.ReadInt32(count))
        return false;
    std::string_view skipped;
    int32_t number = 0;
    bool flag = false;
    // A hostile count only makes the loop run until the bytes end.
    for (int32_t i = 0; i < count; ++i) {
        TAmcCustomField field;
        if (!in.ReadString(field.Tag) || !in.ReadString(field.Name)
            || (version >= 41 && !in.ReadString(skipped)) || !in.ReadString(field.Type)
            || !in.ReadString(skipped) || (version >= 41 && !in.ReadString(skipped))
            || !ReadFlag(in, flag)
            || (version >= 41
                && (!in.ReadInt32(number) || !ReadFlag(in, flag) || !ReadFlag(in, flag)))
            || !ReadFlag(in, flag) || !in.ReadString(skipped)) {
            return false;
        }
        if (IsListType(field.Type)) {
            int32_t values = 0;
            if (!in.ReadInt32(values))
                return false;
            for (int32_t v = 0; v < values; ++v) {
                if (!in.ReadString(skipped))
                    return false;
            }
            for (int f = 0; version >= 41 && f < 4; ++f) {
                if (!ReadFlag(in, flag))
                    return false;
            }
        }
        fields.push_back(field);
    }
    return true;
}

bool ReadPicture(TByteCursor &in, std::string_view &name, std::string_view &bytes)
{
    int32_t size = 0;
    return in.ReadString(name) && in.ReadInt32(size) && in.ReadBytes(size, bytes);
}

// Reads one record in the layout of `version`; false when the bytes end inside it.
bool ReadRecord(TByteCursor &in, int version, size_t customFields, TAmcRecord &movie)
{
    int32_t rating = 0;
    int32_t userRating = -1;
    if (!in.ReadInt32(movie.Number) || !in.ReadInt32(movie.Date)
        || (version >= 42 && (!in.ReadInt32(movie.DateWatched) || !in.ReadInt32(userRating)))
        || !in.ReadInt32(rating) || !in.ReadInt32(movie.Year) || !in.ReadInt32(movie.Length)
        || !in.ReadInt32(movie.VideoBitrate) || !in.ReadInt32(movie.AudioBitrate)
        || !in.ReadInt32(movie.Disks) || (version >= 41 && !in.ReadInt32(movie.ColorTag))
        || !ReadFlag(in, movie.Checked)) {
        return false;
    }
    // Versions before 3.5 store the plain rating.
    movie.Rating = version >= 35 || rating == -1 ? int64_t(rating) : int64_t(rating) * 10;
    movie.UserRating = userRating;
    if (!in.ReadString(movie.MediaLabel))
        return false;
    if (version >= 33 && (!in.ReadString(movie.MediaType) || !in.ReadString(movie.Source)))
        return false;
    if (!ReadStrings(in,
                     {&movie.Borrower,
                      &movie.OriginalTitle,
                      &movie.TranslatedTitle,
                      &movie.Director,
                      &movie.Producer})
        || (version >= 42 && !ReadStrings(in, {&movie.Writer, &movie.Composer}))
        || !ReadStrings(in, {&movie.Country, &movie.Category})
        || (version >= 42 && !in.ReadString(movie.Certification))
        || !ReadStrings(in, {&movie.Actors, &movie.URL, &movie.Description, &movie.Comments})
        || (version >= 42 && !in.ReadString(movie.FilePath))
        || !ReadStrings(in,
                        {&movie.VideoFormat,
                         &movie.AudioFormat,
                         &movie.Resolution,
                         &movie.Framerate,
                         &movie.Languages,
                         &movie.Subtitles,
                         &movie.Size})
        || !ReadPicture(in, movie.PictureName, movie.Picture)) {
        return false;
    }
    if (version < 40)
        return true;
    movie.CustomValues.resize(customFields);
    for (std::string_view &value : movie.CustomValues) {
        if (!in.ReadString(value))
            return false;
    }
    if (version < 42)
        return true;
    int32_t extras = 0;
    if (!in.ReadInt32(extras))
        return false;
    for (int32_t i = 0; i < extras; ++i) {
        TAmcExtra extra;
        if (!ReadFlag(in, extra.Checked)
            || !ReadStrings(in,
                            {&extra.Tag,
                             &extra.Title,
                             &extra.Category,
                             &extra.URL,
                             &extra.Description,
                             &extra.Comments,
                             &extra.CreatedBy})
            || !ReadPicture(in, extra.PictureName, extra.Picture)) {
            return false;
        }
        movie.Extras.push_back(extra);
    }
    return true;
}

int VersionOf(std::string_view bytes)
{
    const std::string_view head = bytes.substr(0, SignatureSize);
    if (head == Signature42)
        return 42;
    if (head == Signature41)
        return 41;
    if (head == Signature40)
        return 40;
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

// The length of the valid UTF-8 sequence at `i` and its code point; 0 when none starts there.
size_t Utf8Sequence(const unsigned char *p, size_t size, size_t i, char32_t &c)
{
    const unsigned char lead = p[i];
    size_t length = lead < 0x80                   ? 1
                    : lead >= 0xC2 && lead < 0xE0 ? 2
                    : lead >= 0xE0 && lead < 0xF0 ? 3
                    : lead >= 0xF0 && lead < 0xF5 ? 4
                                                  : 0;
    c = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
    for (size_t k = 1; length != 0 && k < length; ++k) {
        if (i + k >= size || (p[i + k] & 0xC0) != 0x80)
            return 0;
        c = c << 6 | (p[i + k] & 0x3F);
    }
    // Overlong forms, surrogates and values past Unicode are no valid sequence.
    if (length == 3 && (c < 0x800 || (c >= 0xD800 && c < 0xE000)))
        return 0;
    if (length == 4 && (c < 0x10000 || c > 0x10FFFF))
        return 0;
    return length;
}

// Whether the bytes hold a multi-byte sequence and nothing but valid UTF-8. Text in a
// one-byte code page almost never does, so such text is taken for UTF-8 (written by
// other tools, or edited by hand).
bool IsMultiByteUtf8(std::string_view bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    bool multiByte = false;
    for (size_t i = 0; i < bytes.size();) {
        char32_t c = 0;
        const size_t length = Utf8Sequence(p, bytes.size(), i, c);
        if (length == 0)
            return false;
        multiByte = multiByte || length > 1;
        i += length;
    }
    return multiByte;
}

// Whether Western European text has a run of four letters from À to ÿ, which its
// languages hardly ever write but Cyrillic or Greek text read in that code page shows
// everywhere.
bool InAnotherCodePage(std::string_view bytes)
{
    if (IsMultiByteUtf8(bytes))
        return false;
    int run = 0;
    for (const char c : bytes) {
        run = static_cast<unsigned char>(c) >= 0xC0 ? run + 1 : 0;
        if (run == 4)
            return true;
    }
    return false;
}

} // namespace

int TAmcReader::SignatureVersion(std::string_view bytes)
{
    return VersionOf(bytes);
}

TAmcReader::TAmcReader(std::string bytes,
                       std::string folder,
                       TFileLoader loader,
                       const TCodePage *codePage)
    : m_bytes(std::move(bytes))
    , m_folder(std::move(folder))
    , m_loader(std::move(loader))
    , m_codePage(codePage)
{
    if (m_bytes.size() > MaxFileSize)
        return;
    m_version = VersionOf(m_bytes);
    if (m_version == 0) {
        auto document = std::make_unique<TAmcXmlDocument>();
        if (!ReadAmcXml(m_bytes, *document, m_header, m_xmlMovies, m_version, m_complete))
            return;
        m_xml = std::move(document);
        for (size_t i = 0; i < m_xmlMovies.size(); ++i)
            m_index.push_back({m_xmlMovies[i].Number, i});
        return;
    }
    TByteCursor in(m_bytes, SignatureSize);
    if (!in.ReadString(m_header.Name) || !in.ReadString(m_header.Mail)
        || (m_version < 35 && !in.ReadString(m_header.Icq)) || !in.ReadString(m_header.Site)
        || !in.ReadString(m_header.Description)
        || (m_version >= 40 && !ReadCustomFields(in, m_version, m_header.CustomFields))) {
        return;
    }
    while (!in.AtEnd()) {
        const size_t offset = in.Offset();
        TAmcRecord movie;
        if (!ReadRecord(in, m_version, m_header.CustomFields.size(), movie))
            return;
        m_index.push_back({movie.Number, offset});
    }
    m_complete = true;
}

TAmcReader::~TAmcReader() = default;

TAmcRecord TAmcReader::Movie(size_t index) const
{
    if (m_xml)
        return m_xmlMovies.at(m_index.at(index).Offset);
    TAmcRecord movie;
    // Indexed records were read completely once, so this read cannot fail.
    TByteCursor in(m_bytes, m_index.at(index).Offset);
    ReadRecord(in, m_version, m_header.CustomFields.size(), movie);
    movie.CodePage = m_codePage;
    return movie;
}

void TAmcReader::SortByNumber()
{
    std::stable_sort(m_index.begin(), m_index.end(), [](const auto &a, const auto &b) {
        return a.Number < b.Number;
    });
}

namespace {

// Whether a Source text names a file rather than where the movie came from: it has a
// folder separator, a drive letter or ends in a file extension.
bool LooksLikePath(std::string_view text)
{
    if (text.find_first_of("/\\") != std::string_view::npos)
        return true;
    if (text.size() >= 2 && text[1] == ':'
        && ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z'))) {
        return true;
    }
    const size_t dot = text.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || text.size() - dot - 1 < 2
        || text.size() - dot - 1 > 4) {
        return false;
    }
    return std::all_of(text.begin() + std::ptrdiff_t(dot) + 1, text.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    });
}

// "Label: value" as a line of its own after what `out` holds.
void AppendLabelled(std::u16string &out, std::u16string_view label, std::u16string_view value)
{
    if (value.empty())
        return;
    if (!out.empty())
        out.append(u"\r\n");
    out.append(label);
    out.append(u": ");
    out.append(value);
}

} // namespace

void TAmcReader::AddFileLines(const TAmcRecord &movie, std::u16string &comments)
{
    std::u16string value;
    const auto text = [&](std::string_view bytes) -> const std::u16string & {
        value.clear();
        AppendAmcText(movie, bytes, value);
        return value;
    };
    bool anyCustom = false;
    for (size_t i = 0; i < movie.CustomValues.size() && i < m_header.CustomFields.size(); ++i) {
        if (movie.CustomValues[i].empty())
            continue;
        const TAmcCustomField &field = m_header.CustomFields[i];
        std::u16string name;
        AppendAmcText(movie, field.Name.empty() ? field.Tag : field.Name, name);
        AppendLabelled(comments, name, text(movie.CustomValues[i]));
        anyCustom = true;
        auto &names = m_notes.CustomFieldNames;
        if (std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    }
    if (anyCustom)
        ++m_notes.MoviesWithCustomValues;
    for (const TAmcExtra &extra : movie.Extras) {
        std::u16string line;
        AppendAmcText(movie, extra.Title.empty() ? extra.Tag : extra.Title, line);
        if (!extra.URL.empty()) {
            if (!line.empty())
                line.append(u" - ");
            AppendAmcText(movie, extra.URL, line);
        }
        AppendLabelled(comments, u"Extra", line);
        ++m_notes.Extras;
        if (!extra.Picture.empty() || !extra.PictureName.empty())
            ++m_notes.ExtraPictures;
    }
}

bool TAmcReader::LoadPictureFile(const TAmcRecord &movie, std::string &bytes) const
{
    const std::string_view name = movie.PictureName;
    // A name that is only an extension belongs to an embedded picture.
    if (!m_loader || name.empty()
        || (name.front() == '.' && name.find_first_of("/\\") == std::string_view::npos)) {
        return false;
    }
    // The catalog names its files the Windows way, in its own encoding.
    std::u16string wide;
    AppendAmcText(movie, name, wide);
    std::string path;
    for (const char16_t c : wide)
        AppendCodePointUtf8(c == u'\\' ? u'/' : c, path);
    const bool absolute = path.front() == '/' || (path.size() > 1 && path[1] == ':');
    const std::string folder = m_folder.empty() ? std::string(".") : m_folder;
    // A path that only the catalog's machine has: its file may have come along into the
    // catalog's folder.
    const std::string candidate =
        absolute ? folder + '/' + path.substr(path.rfind('/') + 1) : folder + '/' + path;
    return m_loader(candidate, bytes);
}

const TMovieTextRec &TAmcReader::TextRecord(size_t index)
{
    // The host's slots 0..44 and the field each takes; -1 stays empty. Slot 1 falls
    // back to the original title below; 26 (path) and 23 (comment) are made below.
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
        None,                    // 23 comment
        None,                    // 24 awards
        None,                    // 25 links
        None,                    // 26 path
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
    constexpr size_t ScenarioSlot = 8;
    constexpr size_t MpaaSlot = 13;
    constexpr size_t OtherRatingSlot = 16;
    constexpr size_t RatingSlot = 17;
    constexpr size_t CommentSlot = 23;
    constexpr size_t PathSlot = 26;
    constexpr size_t ViewedSlot = 44;
    constexpr size_t ViewDateSlot = 46;
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
    // The user's own rating is the record's rating; the one it came with stays beside it.
    if (movie.UserRating != -1) {
        m_texts[OtherRatingSlot] = m_texts[RatingSlot];
        m_texts[RatingSlot].clear();
        AppendRating(movie.UserRating, m_texts[RatingSlot]);
    }
    AppendIsoDate(movie.DateWatched, m_texts[ViewDateSlot]);
    if (!m_texts[ViewDateSlot].empty())
        m_texts[ViewedSlot] = u"True";
    AppendAmcText(movie, movie.Writer, m_texts[ScenarioSlot]);
    AppendAmcText(movie, movie.Certification, m_texts[MpaaSlot]);

    std::u16string &comments = m_texts[CommentSlot];
    AppendAmcText(movie, movie.Comments, comments);
    std::u16string value;
    const auto text = [&](std::string_view bytes) -> const std::u16string & {
        value.clear();
        AppendAmcText(movie, bytes, value);
        return value;
    };
    // The host imports no composer; a Source that names no file is where the movie came
    // from, which as a path would show a file that is not there.
    AppendLabelled(comments, u"Composer", text(movie.Composer));
    std::string_view path = movie.FilePath;
    if (LooksLikePath(movie.Source) && path.empty())
        path = movie.Source;
    else if (path != movie.Source)
        AppendLabelled(comments, u"Source", text(movie.Source));
    AppendAmcText(movie, path, m_texts[PathSlot]);
    // The host's movies carry no colour mark. The file holds only the tag's number (0 is
    // none); which colour it shows is a setting of the program that wrote the file.
    if (movie.ColorTag > 0) {
        value.clear();
        AppendDecimal(movie.ColorTag, value);
        AppendLabelled(comments, u"Colour", value);
        ++m_notes.ColourTags;
    }
    AddFileLines(movie, comments);
    if (!movie.Utf8 && (!movie.CodePage || movie.CodePage == &WesternCodePage())) {
        for (const std::string_view text :
             {movie.OriginalTitle, movie.TranslatedTitle, movie.Director, movie.Actors}) {
            if (InAnotherCodePage(text)) {
                ++m_notes.MoviesInAnotherCodePage;
                break;
            }
        }
    }

    // The picture format slot stays empty: the host tells JPEG and PNG apart.
    std::string_view picture = movie.Picture;
    if (picture.empty() && LoadPictureFile(movie, m_pictureFile))
        picture = m_pictureFile;
    AppendBase64Lines(picture, m_texts[PictureSlot]);
    m_pictureFile.clear();
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
            AppendAmcText(movie, movie.*Texts[number], out);
        break;
    }
}

void AppendCodePage(std::string_view bytes, const TCodePage &page, std::u16string &out)
{
    const size_t start = out.size();
    out.resize(start + bytes.size());
    char16_t *target = out.data() + start;
    for (const char c : bytes)
        *target++ = ToUnicode(page, static_cast<unsigned char>(c));
}

void AppendUtf8(std::string_view bytes, std::u16string &out)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const size_t size = bytes.size();
    for (size_t i = 0; i < size;) {
        char32_t c = 0;
        const size_t length = Utf8Sequence(p, size, i, c);
        if (length == 0) {
            out.push_back(RkAnsiToUnicode(p[i]));
            ++i;
            continue;
        }
        if (c >= 0x10000) {
            out.push_back(char16_t(0xD800 + ((c - 0x10000) >> 10)));
            out.push_back(char16_t(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            out.push_back(char16_t(c));
        }
        i += length;
    }
}

void AppendAmcText(const TAmcRecord &movie, std::string_view text, std::u16string &out)
{
    if (movie.Utf8 || IsMultiByteUtf8(text))
        AppendUtf8(text, out);
    else
        AppendCodePage(text, movie.CodePage ? *movie.CodePage : WesternCodePage(), out);
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
