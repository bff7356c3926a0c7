#include "amcxml.h"

#include <algorithm>
#include <cstdint>

#include "plugins/common/unicodetext.h"

// The XML form, as public sample files and independent readers of it show it:
//   <AntMovieCatalog Format="..." Version="...">
//     <Catalog>
//       <Properties Owner Mail Site Description/>
//       <CustomFieldsProperties ...><CustomField Tag Name Type .../></CustomFieldsProperties>
//       <Contents>
//         <Movie Number Checked ColorTag Date DateWatched UserRating Rating Year Length
//                VideoBitrate AudioBitrate Disks MediaLabel MediaType Source Borrower
//                OriginalTitle TranslatedTitle FormattedTitle Director Producer Writer
//                Composer Country Category Certification Actors URL Description Comments
//                FilePath VideoFormat AudioFormat Resolution Framerate Languages Subtitles
//                Size Picture>
//           <CustomFields TAG="value" .../>
//           <Extras><Extra Checked Tag Title Category URL Description Comments CreatedBy
//                          Picture/></Extras>
//         </Movie>
//       </Contents>
//     </Catalog>
//   </AntMovieCatalog>
// Long texts may come as child elements instead of attributes; ratings are decimals with
// a point or a comma; dates are the writer's short date (day first, or ISO). Pictures are
// files named by the Picture attribute, beside the XML file. The file is UTF-8, UTF-16
// (either byte order, known by its byte order mark or its first "<") or the 8-bit code
// page its declaration names.

namespace {

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool StartsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsNameChar(char c)
{
    return !IsSpace(c) && c != '>' && c != '/' && c != '=' && c != '<' && c != '"' && c != '\''
           && c != '\0';
}

// The encoding the declaration names, lower case; empty when there is none.
std::string DeclaredEncoding(std::string_view bytes)
{
    if (!StartsWith(bytes, "<?xml"))
        return {};
    const size_t end = bytes.find("?>");
    const std::string_view declaration = bytes.substr(0, end);
    const size_t at = declaration.find("encoding");
    if (at == std::string_view::npos)
        return {};
    size_t i = declaration.find_first_of("\"'", at);
    if (i == std::string_view::npos)
        return {};
    const char quote = declaration[i++];
    std::string name;
    for (; i < declaration.size() && declaration[i] != quote && name.size() < 32; ++i)
        name.push_back(Lower(declaration[i]));
    return name;
}

class TParser
{
public:
    // Elements and attributes held at most: a hostile file of tiny elements would
    // otherwise take tens of times its size in memory. Real catalogs need a few per movie.
    static constexpr size_t MaxNodes = size_t(4) << 20;

    explicit TParser(std::string_view text)
        : m_text(text)
    {}

    bool Parse(TAmcXmlDocument &document)
    {
        bool haveRoot = false;
        std::vector<TAmcXmlElement *> open;
        while (m_at < m_text.size()) {
            if (m_text[m_at] != '<') {
                const size_t next = std::min(m_text.find('<', m_at), m_text.size());
                if (!open.empty()
                    && !AppendText(m_text.substr(m_at, next - m_at), open.back()->Text))
                    return haveRoot;
                m_at = next;
                continue;
            }
            const std::string_view rest = m_text.substr(m_at);
            if (StartsWith(rest, "<!--")) {
                if (!SkipPast("-->"))
                    return haveRoot;
            } else if (StartsWith(rest, "<![CDATA[")) {
                const size_t end = m_text.find("]]>", m_at + 9);
                if (end == std::string_view::npos)
                    return haveRoot;
                if (!open.empty())
                    open.back()->Text.append(m_text.substr(m_at + 9, end - m_at - 9));
                m_at = end + 3;
            } else if (StartsWith(rest, "<?")) {
                if (!SkipPast("?>"))
                    return haveRoot;
            } else if (StartsWith(rest, "<!")) {
                if (!SkipDeclaration())
                    return haveRoot;
            } else if (StartsWith(rest, "</")) {
                m_at += 2;
                const std::string_view name = Name();
                SkipSpace();
                if (open.empty() || name != open.back()->Name || !Take('>'))
                    return haveRoot;
                open.back()->Closed = true;
                open.pop_back();
                if (open.empty()) {
                    document.WellFormed = true;
                    return true;
                }
            } else {
                ++m_at;
                if (open.size() >= TAmcXmlElement::MaxDepth || (haveRoot && open.empty())
                    || ++m_nodes > MaxNodes) {
                    return haveRoot;
                }
                TAmcXmlElement *element = nullptr;
                if (open.empty()) {
                    element = &document.Root;
                    haveRoot = true;
                } else {
                    // Only the innermost open element gains children, so the pointers to
                    // the open ones stay valid.
                    open.back()->Children.emplace_back();
                    element = &open.back()->Children.back();
                }
                element->Name = Name();
                if (element->Name.empty() || !Attributes(*element))
                    return haveRoot;
                if (Take('/')) {
                    if (!Take('>'))
                        return haveRoot;
                    element->Closed = true;
                    if (open.empty()) {
                        document.WellFormed = true;
                        return true;
                    }
                } else if (Take('>')) {
                    open.push_back(element);
                } else {
                    return haveRoot;
                }
            }
        }
        return haveRoot;
    }

private:
    bool Take(char c)
    {
        if (m_at < m_text.size() && m_text[m_at] == c) {
            ++m_at;
            return true;
        }
        return false;
    }

    void SkipSpace()
    {
        while (m_at < m_text.size() && IsSpace(m_text[m_at]))
            ++m_at;
    }

    bool SkipPast(std::string_view end)
    {
        const size_t at = m_text.find(end, m_at);
        if (at == std::string_view::npos)
            return false;
        m_at = at + end.size();
        return true;
    }

    // <!DOCTYPE ...> with an internal subset in brackets.
    bool SkipDeclaration()
    {
        int brackets = 0;
        for (++m_at; m_at < m_text.size(); ++m_at) {
            const char c = m_text[m_at];
            if (c == '[')
                ++brackets;
            else if (c == ']')
                --brackets;
            else if (c == '>' && brackets <= 0) {
                ++m_at;
                return true;
            }
        }
        return false;
    }

    std::string_view Name()
    {
        const size_t start = m_at;
        while (m_at < m_text.size() && IsNameChar(m_text[m_at]))
            ++m_at;
        return m_text.substr(start, m_at - start);
    }

    bool Attributes(TAmcXmlElement &element)
    {
        for (;;) {
            SkipSpace();
            if (m_at >= m_text.size())
                return false;
            const char c = m_text[m_at];
            if (c == '/' || c == '>')
                return true;
            std::string name(Name());
            SkipSpace();
            if (name.empty() || !Take('=') || ++m_nodes > MaxNodes)
                return false;
            SkipSpace();
            if (m_at >= m_text.size() || (m_text[m_at] != '"' && m_text[m_at] != '\''))
                return false;
            const char quote = m_text[m_at++];
            const size_t end = m_text.find(quote, m_at);
            if (end == std::string_view::npos)
                return false;
            std::string value;
            // Line breaks and tabs written as such are spaces in a value; those that
            // belong to it come as character references.
            std::string raw(m_text.substr(m_at, end - m_at));
            std::replace_if(
                raw.begin(), raw.end(), [](char ch) { return IsSpace(ch); }, ' ');
            if (!AppendText(raw, value))
                return false;
            m_at = end + 1;
            element.Attributes.emplace_back(std::move(name), std::move(value));
        }
    }

    // Text with its references resolved; an unknown entity stays as written.
    static bool AppendText(std::string_view text, std::string &out)
    {
        for (size_t i = 0; i < text.size();) {
            if (text[i] != '&') {
                const size_t next = std::min(text.find('&', i), text.size());
                out.append(text.substr(i, next - i));
                i = next;
                continue;
            }
            const size_t end = text.find(';', i);
            if (end == std::string_view::npos || end - i > 12) {
                out.push_back('&');
                ++i;
                continue;
            }
            const std::string_view entity = text.substr(i + 1, end - i - 1);
            if (entity == "lt")
                out.push_back('<');
            else if (entity == "gt")
                out.push_back('>');
            else if (entity == "amp")
                out.push_back('&');
            else if (entity == "quot")
                out.push_back('"');
            else if (entity == "apos")
                out.push_back('\'');
            else if (StartsWith(entity, "#")) {
                const bool hex = StartsWith(entity, "#x") || StartsWith(entity, "#X");
                uint32_t code = 0;
                bool valid = entity.size() > (hex ? 2u : 1u);
                for (size_t k = hex ? 2 : 1; valid && k < entity.size(); ++k) {
                    const char c = Lower(entity[k]);
                    const int digit = c >= '0' && c <= '9'          ? c - '0'
                                      : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                                    : -1;
                    valid = digit >= 0 && code < 0x110000;
                    code = code * (hex ? 16 : 10) + uint32_t(digit);
                }
                if (!valid || code == 0 || code >= 0x110000 || (code >= 0xD800 && code < 0xE000))
                    out.append(text.substr(i, end - i + 1));
                else
                    AppendCodePointUtf8(char32_t(code), out);
            } else {
                out.append(text.substr(i, end - i + 1));
            }
            i = end + 1;
        }
        return true;
    }

    std::string_view m_text;
    size_t m_at = 0;
    size_t m_nodes = 0;
};

// Leading decimal integer; `fallback` when there is none.
int64_t IntegerOf(std::string_view text, int64_t fallback)
{
    size_t i = 0;
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    const bool negative = i < text.size() && text[i] == '-';
    if (negative || (i < text.size() && text[i] == '+'))
        ++i;
    int64_t value = 0;
    size_t digits = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 10; ++i, ++digits)
        value = value * 10 + (text[i] - '0');
    if (digits == 0)
        return fallback;
    return negative ? -value : value;
}

int32_t Int32Of(const std::string *text)
{
    if (!text)
        return -1;
    const int64_t value = IntegerOf(*text, -1);
    return value < INT32_MIN || value > INT32_MAX ? -1 : int32_t(value);
}

// "7.5" or "7,5" as 75; -1 for none.
int64_t RatingOf(const std::string *text)
{
    if (!text)
        return -1;
    const int64_t whole = IntegerOf(*text, -1);
    if (whole < 0)
        return -1;
    const size_t separator = text->find_first_of(".,");
    int64_t tenth = 0;
    if (separator != std::string::npos && separator + 1 < text->size()) {
        const char c = (*text)[separator + 1];
        if (c >= '0' && c <= '9')
            tenth = c - '0';
    }
    return whole * 10 + tenth;
}

int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day)
{
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468 + 25569; // as a serial from 1899-12-30
}

// A date as a day serial; 0 (not set) for what is no date.
// The three numbers of a date and which of them is the year (the one of four digits; the
// last when none is).
struct TDateParts
{
    int64_t Parts[3] = {-1, -1, -1};
    size_t Count = 0;
    size_t YearPart = 2;
};

TDateParts DatePartsOf(const std::string &text)
{
    TDateParts date;
    for (size_t i = 0; i < text.size() && date.Count < 3;) {
        if (text[i] < '0' || text[i] > '9') {
            ++i;
            continue;
        }
        const size_t start = i;
        int64_t value = 0;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && i - start < 6; ++i)
            value = value * 10 + (text[i] - '0');
        if (i - start == 4)
            date.YearPart = date.Count;
        date.Parts[date.Count++] = value;
    }
    return date;
}

// Dates are written in the short form of the writer's Windows: day first in most of the
// world, month first in the United States. A file is read month first when some date of
// it can only be month first and none can only be day first.
bool MonthFirst(const TAmcXmlElement &contents)
{
    bool onlyMonthFirst = false;
    for (const TAmcXmlElement &movie : contents.Children) {
        for (const char *name : {"Date", "DateWatched"}) {
            const std::string *text = movie.Name == "Movie" ? movie.Value(name) : nullptr;
            const TDateParts date = text ? DatePartsOf(*text) : TDateParts{};
            if (date.Count < 3 || date.YearPart != 2)
                continue;
            if (date.Parts[0] > 12 && date.Parts[1] <= 12)
                return false;
            onlyMonthFirst = onlyMonthFirst || (date.Parts[0] <= 12 && date.Parts[1] > 12);
        }
    }
    return onlyMonthFirst;
}

int32_t DateOf(const std::string *text, bool monthFirst)
{
    if (!text)
        return 0;
    const TDateParts date = DatePartsOf(*text);
    if (date.Count < 3)
        return 0;
    int64_t year = date.Parts[date.YearPart];
    int64_t month = 0;
    int64_t day = 0;
    if (date.YearPart == 0) {
        month = date.Parts[1];
        day = date.Parts[2];
    } else {
        day = date.Parts[monthFirst ? 1 : 0];
        month = date.Parts[monthFirst ? 0 : 1];
        // The file's order, unless only the other order makes a date.
        if (month > 12 && day <= 12)
            std::swap(day, month);
    }
    if (year < 100)
        year += year < 50 ? 2000 : 1900;
    if (month < 1 || month > 12 || day < 1 || day > 31 || year < 1 || year > 9999)
        return 0;
    const int64_t serial = DaysFromCivil(year, month, day);
    return serial < 1 ? 0 : int32_t(serial);
}

bool FlagOf(const std::string *text)
{
    if (!text || text->empty())
        return false;
    const char c = Lower((*text)[0]);
    return c == 't' || c == '1' || c == 'y';
}

std::string_view TextOf(const std::string *text)
{
    return text ? std::string_view(*text) : std::string_view();
}

int FormatVersion(const std::string *format)
{
    int digits = 0;
    int version = 0;
    for (const char c : TextOf(format)) {
        if (c >= '0' && c <= '9' && digits < 2) {
            version = version * 10 + (c - '0');
            ++digits;
        }
    }
    for (const int known : {31, 33, 35, 40, 41, 42}) {
        if (version == known)
            return version;
    }
    return 42;
}

// The names a movie element uses for its own fields and parts.
bool IsMovieName(std::string_view name)
{
    constexpr std::string_view Names =
        " Number Checked ColorTag Date DateWatched UserRating Rating Year Length VideoBitrate"
        " AudioBitrate Disks MediaLabel Media MediaType Source Borrower OriginalTitle"
        " TranslatedTitle FormattedTitle Director Producer Writer Composer Country Category"
        " Certification Actors URL Description Comments FilePath VideoFormat AudioFormat"
        " Resolution Framerate Languages Subtitles Size Picture CustomFields Extras ";
    if (name.empty() || name.find(' ') != std::string_view::npos)
        return false;
    for (size_t at = Names.find(name); at != std::string_view::npos;
         at = Names.find(name, at + 1)) {
        if (Names[at - 1] == ' ' && Names[at + name.size()] == ' ')
            return true;
    }
    return false;
}

// Stores a custom value under its field's place; a tag without a definition gets one with
// the tag for a name.
void SetCustomValue(TAmcHeader &header,
                    TAmcRecord &movie,
                    std::string_view tag,
                    std::string_view text)
{
    auto &fields = header.CustomFields;
    auto it = std::find_if(
        fields.begin(), fields.end(), [&](const TAmcCustomField &f) { return f.Tag == tag; });
    if (it == fields.end()) {
        fields.push_back({tag, {}, {}});
        it = fields.end() - 1;
    }
    const auto index = size_t(it - fields.begin());
    if (movie.CustomValues.size() <= index)
        movie.CustomValues.resize(index + 1);
    movie.CustomValues[index] = text;
}

void ReadMovie(const TAmcXmlElement &element,
               bool monthFirst,
               TAmcHeader &header,
               TAmcRecord &movie)
{
    const auto value = [&](std::string_view name) { return element.Value(name); };
    movie.Utf8 = true;
    movie.Number = Int32Of(value("Number"));
    movie.Checked = FlagOf(value("Checked"));
    movie.ColorTag = Int32Of(value("ColorTag"));
    movie.Date = DateOf(value("Date"), monthFirst);
    movie.DateWatched = DateOf(value("DateWatched"), monthFirst);
    movie.UserRating = RatingOf(value("UserRating"));
    movie.Rating = RatingOf(value("Rating"));
    movie.Year = Int32Of(value("Year"));
    movie.Length = Int32Of(value("Length"));
    movie.VideoBitrate = Int32Of(value("VideoBitrate"));
    movie.AudioBitrate = Int32Of(value("AudioBitrate"));
    movie.Disks = Int32Of(value("Disks"));
    // The 3.x files call the label "Media"; their XML may too.
    const std::string *label = value("MediaLabel");
    movie.MediaLabel = TextOf(label ? label : value("Media"));
    const std::pair<std::string_view, std::string_view TAmcRecord::*> texts[] = {
        {"MediaType", &TAmcRecord::MediaType},
        {"Source", &TAmcRecord::Source},
        {"Borrower", &TAmcRecord::Borrower},
        {"OriginalTitle", &TAmcRecord::OriginalTitle},
        {"TranslatedTitle", &TAmcRecord::TranslatedTitle},
        {"Director", &TAmcRecord::Director},
        {"Producer", &TAmcRecord::Producer},
        {"Writer", &TAmcRecord::Writer},
        {"Composer", &TAmcRecord::Composer},
        {"Country", &TAmcRecord::Country},
        {"Category", &TAmcRecord::Category},
        {"Certification", &TAmcRecord::Certification},
        {"Actors", &TAmcRecord::Actors},
        {"URL", &TAmcRecord::URL},
        {"Description", &TAmcRecord::Description},
        {"Comments", &TAmcRecord::Comments},
        {"FilePath", &TAmcRecord::FilePath},
        {"VideoFormat", &TAmcRecord::VideoFormat},
        {"AudioFormat", &TAmcRecord::AudioFormat},
        {"Resolution", &TAmcRecord::Resolution},
        {"Framerate", &TAmcRecord::Framerate},
        {"Languages", &TAmcRecord::Languages},
        {"Subtitles", &TAmcRecord::Subtitles},
        {"Size", &TAmcRecord::Size},
        {"Picture", &TAmcRecord::PictureName},
    };
    for (const auto &[name, member] : texts)
        movie.*member = TextOf(value(name));

    if (const TAmcXmlElement *custom = element.Child("CustomFields")) {
        for (const auto &[tag, text] : custom->Attributes)
            SetCustomValue(header, movie, tag, text);
        for (const TAmcXmlElement &child : custom->Children) {
            if (child.Closed)
                SetCustomValue(header, movie, child.Name, child.Text);
        }
    }
    // Some writers put a field's value on the movie itself, named by the field's tag.
    for (size_t i = 0; i < header.CustomFields.size(); ++i) {
        const std::string_view tag = header.CustomFields[i].Tag;
        if ((i < movie.CustomValues.size() && !movie.CustomValues[i].empty()) || tag.empty()
            || IsMovieName(tag)) {
            continue;
        }
        if (const std::string *text = value(tag))
            SetCustomValue(header, movie, tag, *text);
    }
    if (const TAmcXmlElement *extras = element.Child("Extras")) {
        for (const TAmcXmlElement &child : extras->Children) {
            if (child.Name != "Extra" || !child.Closed)
                continue;
            TAmcExtra extra;
            extra.Checked = FlagOf(child.Value("Checked"));
            extra.Tag = TextOf(child.Value("Tag"));
            extra.Title = TextOf(child.Value("Title"));
            extra.Category = TextOf(child.Value("Category"));
            extra.URL = TextOf(child.Value("URL"));
            extra.Description = TextOf(child.Value("Description"));
            extra.Comments = TextOf(child.Value("Comments"));
            extra.CreatedBy = TextOf(child.Value("CreatedBy"));
            extra.PictureName = TextOf(child.Value("Picture"));
            movie.Extras.push_back(extra);
        }
    }
}

// The byte order of UTF-16 text: by its byte order mark, or without one by the zero
// bytes around the "<" it starts with (the XML autodetection rule); none for 8-bit text.
enum class TUtf16 { None, LittleEndian, BigEndian };

TUtf16 Utf16Order(std::string_view bytes)
{
    if (StartsWith(bytes, "\xFF\xFE"))
        return TUtf16::LittleEndian;
    if (StartsWith(bytes, "\xFE\xFF"))
        return TUtf16::BigEndian;
    if (StartsWith(bytes, std::string_view("<\0", 2)))
        return TUtf16::LittleEndian;
    if (StartsWith(bytes, std::string_view("\0<", 2)))
        return TUtf16::BigEndian;
    return TUtf16::None;
}

// UTF-16 text as UTF-8 without its byte order mark; other text unchanged.
std::string_view AsUtf8(std::string_view bytes, std::string &converted)
{
    const TUtf16 order = Utf16Order(bytes);
    if (order == TUtf16::None)
        return bytes;
    converted = Utf8FromUtf16Bytes(bytes, order == TUtf16::BigEndian);
    return converted;
}

// Skips a UTF-8 byte order mark and leading white space.
std::string_view Trimmed(std::string_view bytes)
{
    if (StartsWith(bytes, "\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    while (!bytes.empty() && IsSpace(bytes.front()))
        bytes.remove_prefix(1);
    return bytes;
}

} // namespace

const std::string *TAmcXmlElement::Value(std::string_view name) const
{
    for (const auto &[key, value] : Attributes) {
        if (key == name)
            return &value;
    }
    const TAmcXmlElement *child = Child(name);
    return child ? &child->Text : nullptr;
}

const TAmcXmlElement *TAmcXmlElement::Child(std::string_view name) const
{
    for (const TAmcXmlElement &child : Children) {
        if (child.Name == name && child.Closed)
            return &child;
    }
    return nullptr;
}

bool ParseAmcXml(std::string_view bytes, TAmcXmlDocument &document)
{
    // UTF-16 is known by its bytes, whatever its declaration says.
    if (Utf16Order(bytes) != TUtf16::None) {
        std::string utf8;
        return TParser(Trimmed(AsUtf8(bytes, utf8))).Parse(document);
    }
    bytes = Trimmed(bytes);
    const std::string encoding = DeclaredEncoding(bytes);
    // ISO-8859-15 differs from Windows-1252 in eight rarely used letters.
    const TCodePage *page =
        encoding == "iso-8859-15" ? &WesternCodePage() : CodePageByName(encoding);
    if (page) {
        std::string utf8;
        utf8.reserve(bytes.size() + bytes.size() / 8);
        for (const char c : bytes)
            AppendCodePointUtf8(ToUnicode(*page, static_cast<unsigned char>(c)), utf8);
        return TParser(utf8).Parse(document);
    }
    return TParser(bytes).Parse(document);
}

bool LooksLikeAmcXml(std::string_view head)
{
    std::string converted;
    head = Trimmed(AsUtf8(head, converted));
    return StartsWith(head, "<") && head.find("<AntMovieCatalog") != std::string_view::npos;
}

bool ReadAmcXml(std::string_view bytes,
                TAmcXmlDocument &document,
                TAmcHeader &header,
                std::vector<TAmcRecord> &movies,
                int &version,
                bool &complete)
{
    if (!LooksLikeAmcXml(bytes.substr(0, 4096)) || !ParseAmcXml(bytes, document)
        || document.Root.Name != "AntMovieCatalog") {
        return false;
    }
    version = FormatVersion(document.Root.Value("Format"));
    complete = document.WellFormed;
    const TAmcXmlElement *catalog = nullptr;
    for (const TAmcXmlElement &child : document.Root.Children) {
        if (child.Name == "Catalog")
            catalog = &child;
    }
    if (!catalog)
        return true;
    if (const TAmcXmlElement *properties = catalog->Child("Properties")) {
        header.Name = TextOf(properties->Value("Owner"));
        header.Mail = TextOf(properties->Value("Mail"));
        header.Site = TextOf(properties->Value("Site"));
        header.Description = TextOf(properties->Value("Description"));
    }
    for (const TAmcXmlElement &fields : catalog->Children) {
        if (fields.Name != "CustomFieldsProperties")
            continue;
        for (const TAmcXmlElement &field : fields.Children) {
            if (field.Name == "CustomField") {
                header.CustomFields.push_back({TextOf(field.Value("Tag")),
                                               TextOf(field.Value("Name")),
                                               TextOf(field.Value("Type"))});
            }
        }
    }
    for (const TAmcXmlElement &contents : catalog->Children) {
        if (contents.Name != "Contents")
            continue;
        const bool monthFirst = MonthFirst(contents);
        for (const TAmcXmlElement &element : contents.Children) {
            // A movie cut by the end of the file is not taken.
            if (element.Name != "Movie" || !element.Closed)
                continue;
            TAmcRecord movie;
            ReadMovie(element, monthFirst, header, movie);
            movies.push_back(std::move(movie));
        }
    }
    return true;
}
