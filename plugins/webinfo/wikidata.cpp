#include "wikidata.h"

#include <cstdlib>

namespace wikidata {

namespace {

constexpr char QueryService[] = "https://query.wikidata.org/sparql?format=json&query=";

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
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

std::string Utf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00
            && text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD; // a lone surrogate
        }
        if (c < 0x80) {
            out.push_back(char(c));
        } else if (c < 0x800) {
            out.push_back(char(0xC0 | (c >> 6)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(char(0xE0 | (c >> 12)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else {
            out.push_back(char(0xF0 | (c >> 18)));
            out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        }
    }
    return out;
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

} // namespace wikidata
