// webinfoq: posters from Wikidata items, the pictures from Wikimedia Commons: the film
// poster (P3383), else the item's image (P18), scaled by Commons to PosterWidth. The
// search is webinfod's; one query then gives every hit's picture, so one hit with a
// picture is fetched at once and several make a list with previews.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "sites.h"
#include "wikidata.h"

namespace {

using namespace wikidata;

constexpr const char *SearchTemplate = FilmSearchTemplate.data();
constexpr int PosterWidth = 600;
constexpr int PreviewWidth = 120;

constexpr char16_t DescriptionGerman[] = u"Poster von Wikidata (Wikimedia Commons) holen";
constexpr char16_t DescriptionEnglish[] = u"Get Poster from Wikidata (Wikimedia Commons)";

std::string &Pending()
{
    static std::string pending;
    return pending;
}

std::vector<std::string> &SearchIds()
{
    static std::vector<std::string> ids;
    return ids;
}

std::string PosterQuery(const std::vector<std::string> &ids)
{
    std::string langs;
    for (const std::string &language : DataLanguages())
        langs += (langs.empty() ? "\"" : ",\"") + language + '"';
    std::string values;
    for (const std::string &id : ids)
        values += " wd:" + id;
    return "SELECT ?poster ?item ?label ?date ?image WHERE{VALUES ?item{" + values
           + "}OPTIONAL{?item rdfs:label ?label FILTER(LANG(?label) IN(" + langs
           + "))}OPTIONAL{?item wdt:P577 ?date}OPTIONAL{?item wdt:P3383 ?poster}"
             "OPTIONAL{?item wdt:P18 ?image}}";
}

struct TCandidate
{
    std::string id;
    std::vector<std::pair<std::string, std::u16string>> labels;
    int16_t year = 0;
    std::string poster; // P3383
    std::string image;  // P18
    const std::string &Picture() const { return poster.empty() ? image : poster; }
};

int16_t EmptyList(TWebState &state)
{
    state.results.clear();
    CountResults(state);
    return RK_PARSE_RESULT_LIST;
}

int16_t Pictures(TWebState &state, const std::vector<TBinding> &rows)
{
    std::vector<TCandidate> candidates;
    for (const std::string &id : SearchIds())
        candidates.push_back({id, {}, 0, {}, {}});
    for (const TBinding &row : rows) {
        const std::string id = ItemId(row.Value("item"));
        if (id.empty())
            continue;
        auto candidate = std::find_if(
            candidates.begin(), candidates.end(), [&](const TCandidate &c) { return c.id == id; });
        if (candidate == candidates.end())
            candidate = candidates.insert(candidates.end(), TCandidate{id, {}, 0, {}, {}});
        if (const std::string label = row.Value("label"); !label.empty())
            candidate->labels.emplace_back(row.Lang("label"), Utf16(label));
        if (const int16_t year = YearOf(row.Value("date"));
            year > 0 && (candidate->year == 0 || year < candidate->year))
            candidate->year = year;
        if (candidate->poster.empty())
            candidate->poster = CommonsPicture(row.Value("poster"), PosterWidth);
        if (candidate->image.empty())
            candidate->image = CommonsPicture(row.Value("image"), PosterWidth);
    }
    std::erase_if(candidates, [](const TCandidate &c) { return c.Picture().empty(); });
    if (candidates.size() == 1) {
        Pending() = candidates.front().Picture();
        return RK_PARSE_FETCH_AGAIN;
    }
    const std::vector<std::string> languages = DataLanguages();
    for (const TCandidate &candidate : candidates) {
        TSelectionRec selection;
        selection.Title = PlainText(Preferred(candidate.labels, languages));
        if (selection.Title.empty())
            selection.Title = Utf16(candidate.id);
        if (candidate.year > 0)
            selection.Title += u" (" + Utf16(std::to_string(candidate.year)) + u")";
        selection.URL = candidate.Picture();
        const std::string preview = "?width=" + std::to_string(PreviewWidth);
        selection.PictureURL = selection.URL.substr(0, selection.URL.rfind("?width=")) + preview;
        state.results.push_back(std::move(selection));
    }
    CountResults(state);
    return RK_PARSE_RESULT_LIST;
}

int16_t Parse(TWebState &state, std::string_view pageUrl, std::u16string_view page)
{
    Pending().clear();
    state.results.clear();
    state.resultCount = 0;
    const json answer = ParsePage(page);
    if (answer.is_discarded() || !answer.is_object())
        return EmptyList(state);
    if (const json *hits = Member(Member(&answer, "query"), "search")) {
        if (std::string again = Utf8SearchAgain(pageUrl, SearchBase); !again.empty()) {
            Pending() = std::move(again);
            return RK_PARSE_FETCH_AGAIN;
        }
        SearchIds() = SearchHits(*hits);
        if (SearchIds().empty())
            return EmptyList(state);
        Pending() = SparqlUrl(PosterQuery(SearchIds()));
        return RK_PARSE_FETCH_AGAIN;
    }
    if (HasVariable(answer, "poster"))
        return Pictures(state, Bindings(answer));
    return EmptyList(state);
}

int32_t GetUrl(TWebState &state, std::string_view recordUrls, const char **outUrl)
{
    if (!Pending().empty()) {
        state.urlAnswer = std::move(Pending());
        Pending().clear();
    } else if (const std::string id = ItemInUrls(recordUrls); !id.empty()) {
        SearchIds() = {id};
        state.urlAnswer = SparqlUrl(PosterQuery(SearchIds()));
    } else {
        *outUrl = SearchTemplate;
        return 0;
    }
    *outUrl = state.urlAnswer.c_str();
    return 1;
}

constexpr TWebSite Site{
    RK_PLUGIN_POSTER_IMPORT,
    RK_LANG_ENGLISH,
    "0.1.0",
    u"Wikidata",
    {DescriptionGerman, DescriptionEnglish, DescriptionEnglish, DescriptionEnglish},
    {nullptr, nullptr, nullptr, nullptr}, // no GetAbout, as the other poster plug-in
    Parse,
    GetUrl,
};

} // namespace

const TWebSite &SiteQ()
{
    return Site;
}
