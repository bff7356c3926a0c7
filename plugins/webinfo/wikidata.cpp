#include "wikidata.h"

#include <algorithm>
#include <cstdlib>

namespace wikidata {

namespace {

constexpr char QueryService[] = "https://query.wikidata.org/sparql?format=json&query=";

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

std::vector<std::string> DataLanguages()
{
    std::string locale;
    for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char *value = std::getenv(name);
        if (value && *value) {
            locale = value;
            break;
        }
    }
    if (locale.rfind("de", 0) == 0)
        return {"de", "en"};
    return {"en"};
}

std::u16string Utf16(std::string_view utf8)
{
    std::u16string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        uint32_t c = length == 1 ? lead : lead & (0x3F >> (length - 1));
        bool ok = lead < 0x80 || (lead >= 0xC2 && lead < 0xF5);
        for (size_t k = 1; ok && k < length; ++k) {
            const size_t at = i + k;
            ok = at < utf8.size() && (static_cast<unsigned char>(utf8[at]) & 0xC0) == 0x80;
            if (ok)
                c = (c << 6) | (static_cast<unsigned char>(utf8[at]) & 0x3F);
        }
        if (!ok || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        if (c >= 0x10000) {
            c -= 0x10000;
            out.push_back(char16_t(0xD800 + (c >> 10)));
            out.push_back(char16_t(0xDC00 + (c & 0x3FF)));
        } else {
            out.push_back(char16_t(c));
        }
        i += length;
    }
    return out;
}

json ParsePage(std::u16string_view page)
{
    return json::parse(Utf8(page), nullptr, false);
}

const json *Member(const json *value, const char *key)
{
    if (!value || !value->is_object())
        return nullptr;
    const auto found = value->find(key);
    return found == value->end() ? nullptr : &*found;
}

std::string Text(const json *value)
{
    return value && value->is_string() ? value->get<std::string>() : std::string();
}

std::string EncodeParameter(std::string_view utf8)
{
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(utf8.size() * 3);
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || IsDigit(c) || c == '-' || c == '_'
            || c == '.' || c == '~') {
            out.push_back(c);
        } else {
            out.push_back('%');
            out.push_back(Hex[byte >> 4]);
            out.push_back(Hex[byte & 0x0F]);
        }
    }
    return out;
}

std::string ItemId(std::string_view uriOrId)
{
    const size_t slash = uriOrId.rfind('/');
    const std::string_view id =
        slash == std::string_view::npos ? uriOrId : uriOrId.substr(slash + 1);
    // Q and up to 12 digits: ids are far shorter; longer text is no id.
    if (id.size() < 2 || id.size() > 13 || id[0] != 'Q')
        return {};
    for (const char c : id.substr(1)) {
        if (!IsDigit(c))
            return {};
    }
    return std::string(id);
}

std::string ItemInUrls(std::string_view recordUrls)
{
    for (const std::string_view marker : {"wikidata.org/wiki/", "wikidata.org/entity/"}) {
        for (size_t at = recordUrls.find(marker); at != std::string_view::npos;
             at = recordUrls.find(marker, at + 1)) {
            const size_t start = at + marker.size();
            const size_t end = recordUrls.find(' ', start);
            const std::string id = ItemId(recordUrls.substr(start, end - start));
            if (!id.empty())
                return id;
        }
    }
    return {};
}

std::u16string ItemPage(std::string_view id)
{
    return Utf16("https://www.wikidata.org/wiki/" + std::string(id));
}

std::string SparqlUrl(std::string_view sparql)
{
    return QueryService + EncodeParameter(sparql);
}

std::vector<std::string> SearchHits(const json &hits)
{
    std::vector<std::string> ids;
    if (!hits.is_array())
        return ids;
    for (const json &hit : hits) {
        const std::string id = ItemId(Text(Member(&hit, "title")));
        if (!id.empty() && std::find(ids.begin(), ids.end(), id) == ids.end())
            ids.push_back(id);
    }
    return ids;
}

std::string Utf8SearchAgain(std::string_view pageUrl, std::string_view searchBase)
{
    const size_t at = pageUrl.find("srsearch=");
    if (at == std::string_view::npos)
        return {};
    std::string_view encoded = pageUrl.substr(at + 9);
    encoded = encoded.substr(0, encoded.find('&'));
    std::string bytes;
    for (size_t i = 0; i < encoded.size(); ++i) {
        const int high = i + 2 < encoded.size() ? HexValue(encoded[i + 1]) : -1;
        const int low = i + 2 < encoded.size() ? HexValue(encoded[i + 2]) : -1;
        if (encoded[i] == '%' && high >= 0 && low >= 0) {
            bytes.push_back(char(high * 16 + low));
            i += 2;
        } else {
            bytes.push_back(encoded[i]);
        }
    }
    if (Utf8(Utf16(bytes)) == bytes)
        return {};
    return std::string(searchBase) + EncodeParameter(Utf8(FromAnsi(bytes)));
}

double DaySerial(std::string_view dateTime, std::string_view precision)
{
    // "YYYY-MM-DD…" with four year digits; BCE dates do not fit the record's serial.
    if (precision != "11" || dateTime.size() < 10 || dateTime[4] != '-' || dateTime[7] != '-')
        return 0;
    int parts[3] = {};
    const size_t starts[3] = {0, 5, 8};
    const size_t lengths[3] = {4, 2, 2};
    for (int k = 0; k < 3; ++k) {
        for (size_t i = 0; i < lengths[k]; ++i) {
            const char c = dateTime[starts[k] + i];
            if (!IsDigit(c))
                return 0;
            parts[k] = parts[k] * 10 + (c - '0');
        }
    }
    const int year = parts[0], month = parts[1], day = parts[2];
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > 31)
        return 0;
    // Days from the civil date (proleptic Gregorian), then moved to the serial's epoch.
    const int y = month <= 2 ? year - 1 : year;
    const int era = y / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const long daysSince1970 = long(era) * 146097 + doe - 719468;
    const double serial = double(daysSince1970 + 25569);
    return serial > 0 ? serial : 0;
}

std::string CommonsPicture(std::string_view fileUri, int width)
{
    constexpr std::string_view Marker = "commons.wikimedia.org/wiki/Special:FilePath/";
    const size_t at = fileUri.find(Marker);
    if (at == std::string_view::npos || at + Marker.size() >= fileUri.size())
        return {};
    std::string file(fileUri.substr(at + Marker.size()));
    // The name as the query service gives it may hold blanks or other raw bytes.
    std::string encoded;
    for (const char c : file) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= ' ' || byte >= 0x7F || c == '?' || c == '#' || c == '&' || c == '"') {
            static constexpr char Hex[] = "0123456789ABCDEF";
            encoded += '%';
            encoded += Hex[byte >> 4];
            encoded += Hex[byte & 0x0F];
        } else {
            encoded += c;
        }
    }
    return "https://" + std::string(Marker) + encoded + "?width=" + std::to_string(width);
}

std::string ExtractUrl(std::string_view article)
{
    constexpr std::string_view Wiki = ".wikipedia.org/wiki/";
    const size_t at = article.find(Wiki);
    if (article.rfind("https://", 0) != 0 || at == std::string_view::npos
        || at + Wiki.size() >= article.size())
        return {};
    std::string title(article.substr(at + Wiki.size()));
    if (title.find_first_of("?#& ") != std::string::npos)
        return {};
    return std::string(article.substr(0, at))
           + ".wikipedia.org/w/api.php?action=query&prop=extracts&exintro=1&explaintext=1"
             "&redirects=1&format=json&titles="
           + title;
}

std::u16string LeadParagraph(const json &answer)
{
    // Pages keyed by id, or a list in format 2.
    const json *pages = Member(Member(&answer, "query"), "pages");
    if (!pages || (!pages->is_object() && !pages->is_array()))
        return {};
    for (const json &page : *pages) {
        if (const std::string extract = Text(Member(&page, "extract")); !extract.empty())
            return PlainText(Utf16(extract));
    }
    return {};
}

std::string TBinding::Value(const char *var) const
{
    return Text(Member(Member(row, var), "value"));
}

std::string TBinding::Lang(const char *var) const
{
    return Text(Member(Member(row, var), "xml:lang"));
}

std::vector<TBinding> Bindings(const json &answer)
{
    std::vector<TBinding> rows;
    const json *bindings = Member(Member(&answer, "results"), "bindings");
    if (!bindings || !bindings->is_array())
        return rows;
    for (const json &row : *bindings) {
        if (row.is_object())
            rows.push_back({&row});
    }
    return rows;
}

bool HasVariable(const json &answer, const char *var)
{
    const json *vars = Member(Member(&answer, "head"), "vars");
    if (!vars || !vars->is_array())
        return false;
    for (const json &name : *vars) {
        if (name.is_string() && name.get<std::string>() == var)
            return true;
    }
    return false;
}

int16_t YearOf(std::string_view dateTime)
{
    // The query service writes years with at least four digits and a sign only when
    // negative; BCE and the far future do not fit the record.
    size_t digits = 0;
    int value = 0;
    while (digits < dateTime.size() && IsDigit(dateTime[digits]) && digits < 5) {
        value = value * 10 + (dateTime[digits] - '0');
        ++digits;
    }
    if (digits != 4 || (digits < dateTime.size() && dateTime[digits] != '-'))
        return 0;
    return value >= 1 ? int16_t(value) : 0;
}

std::u16string PlainText(std::u16string_view text)
{
    std::u16string out;
    bool inTag = false;
    for (const char16_t c : text) {
        if (c == u'<') {
            inTag = true;
        } else if (c == u'>' && inTag) {
            inTag = false;
            out.push_back(u' ');
        } else if (!inTag) {
            out.push_back(c <= u' ' ? u' ' : c);
        }
    }
    std::u16string folded;
    for (const char16_t c : out) {
        if (c == u' ' && (folded.empty() || folded.back() == u' '))
            continue;
        folded.push_back(c);
    }
    while (!folded.empty() && folded.back() == u' ')
        folded.pop_back();
    return folded;
}

std::u16string Preferred(const std::vector<std::pair<std::string, std::u16string>> &texts,
                         const std::vector<std::string> &languages)
{
    for (const std::string &language : languages) {
        for (const auto &[lang, text] : texts) {
            if (lang == language && !text.empty())
                return text;
        }
    }
    return {};
}

int32_t NextUrl(TWebState &state,
                std::string &pending,
                std::string_view recordUrls,
                std::string (*detailsQuery)(const std::string &id),
                const char *searchTemplate,
                const char **outUrl)
{
    if (!pending.empty()) {
        state.urlAnswer = std::move(pending);
        pending.clear();
    } else if (const std::string id = ItemInUrls(recordUrls); !id.empty()) {
        state.urlAnswer = SparqlUrl(detailsQuery(id));
    } else {
        *outUrl = searchTemplate;
        return 0;
    }
    *outUrl = state.urlAnswer.c_str();
    return 1;
}

} // namespace wikidata
