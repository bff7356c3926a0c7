// webinfoc: posters from Amazon.de, a German shop. Every marker below is matched
// exactly, in the order given, on the page as the host decoded it.
#include <string>
#include <string_view>

#include "fieldcutter.h"
#include "sites.h"

namespace {

constexpr char SiteAddress[] = "http://www.amazon.de";
constexpr char Domain[] = "amazon.de";

constexpr auto SearchTemplate =
    JoinText<char>(SiteAddress, "/exec/obidos/search-handle-url/index=dvd&field-keywords=%s");

constexpr char16_t DescriptionGerman[] = u"Poster von Amazon (amazon.de) holen";
constexpr char16_t DescriptionSpanish[] = u"Obtener carátula de Amazon (amazon.de)";
constexpr char16_t DescriptionRussian[] = u"Получить постер с Amazon (amazon.de)";
constexpr char16_t DescriptionEnglish[] = u"Get Poster from Amazon (amazon.de)";

constexpr std::u16string_view Quote = u"\"";

// The shop serves a picture in any size when the size code goes before ".jpg".
constexpr char PosterSuffix[] = "._S300S500_.jpg";
// Walking back from ".jpg" stops at this index (the 38th character), which keeps the
// walk out of the picture server's host name.
constexpr size_t LowestCut = 37;

void CutResultList(TWebState &state, TFieldCutter &cut)
{
    while (cut.DeleteThrough(
        u"<table class=\"n2\" border=\"0\" cellpadding=\"0\" cellspacing=\"0\">")) {
        std::u16string picture;
        if (cut.DeleteThrough(u"<td class=\"imageColumn\"") && cut.DeleteThrough(u"<img src=\"")) {
            if (auto source = cut.CutUntil(Quote))
                picture = std::move(*source);
        }
        if (!cut.DeleteThrough(u"<td class=\"dataColumn\">") || !cut.DeleteThrough(u"<a href=\""))
            continue;
        const auto link = cut.CutUntil(Quote);
        if (!link)
            continue;
        TSelectionRec entry;
        entry.URL = ToAnsi(*link);
        entry.PictureURL = ToAnsi(picture);
        if (cut.DeleteThrough(u"<span class=\"srTitle\">")) {
            if (auto title = cut.CutUntil(u"</span>"))
                entry.Title = std::move(*title);
        }
        state.results.push_back(std::move(entry));
    }
    CountResults(state);
}

// The poster address from the product page's picture call; empty when there is none.
std::string PosterAddress(TFieldCutter &cut)
{
    if (!cut.DeleteThrough(u"registerImage(\"original_image\", \""))
        return {};
    const size_t jpg = cut.Find(u".jpg\"");
    if (jpg == TFieldCutter::npos)
        return {};
    // The size code replaces everything from the last "." before ".jpg"; a name without
    // one gets the size code in front of its ".jpg".
    const std::u16string_view rest = cut.Rest();
    size_t cutAt = jpg;
    for (size_t i = jpg; i > LowestCut;) {
        if (rest[--i] == u'.') {
            cutAt = i;
            break;
        }
    }
    if (cutAt == 0) // no address before the ".jpg"
        return {};
    return ToAnsi(rest.substr(0, cutAt)) + PosterSuffix;
}

int16_t Parse(TWebState &state, std::string_view, std::u16string_view page)
{
    state.resultCount = 0;
    state.results.clear();
    state.pictureUrl.clear();
    TFieldCutter cut(page);
    if (cut.Contains(u"<span class=\"noResultsMessage\">")
        || cut.Contains(u"did not match any products in:")) {
        return RK_PARSE_RESULT_LIST;
    }
    if (cut.Contains(u"<td class=\"resultCount\">")) {
        CutResultList(state, cut);
        return RK_PARSE_RESULT_LIST;
    }
    // A product page: the host is to fetch the poster through GetURL.
    state.pictureUrl = PosterAddress(cut);
    return state.pictureUrl.empty() ? RK_PARSE_RESULT_LIST : RK_PARSE_FETCH_AGAIN;
}

int32_t GetUrl(TWebState &state, std::string_view recordUrls, const char **outUrl)
{
    if (!state.pictureUrl.empty()) {
        *outUrl = state.pictureUrl.c_str();
        return 1;
    }
    if (AsciiLower(recordUrls).find(Domain) != std::string::npos) {
        state.urlAnswer = recordUrls;
        *outUrl = state.urlAnswer.c_str();
        return 1;
    }
    *outUrl = SearchTemplate.data();
    return 0;
}

constexpr TWebSite Site{
    RK_PLUGIN_POSTER_IMPORT,
    RK_LANG_GERMAN,
    "0.1.0",
    u"AMAZON.DE",
    {DescriptionGerman, DescriptionSpanish, DescriptionRussian, DescriptionEnglish},
    {nullptr, nullptr, nullptr, nullptr}, // no GetAbout
    Parse,
    GetUrl,
};

} // namespace

const TWebSite &SiteC()
{
    return Site;
}
