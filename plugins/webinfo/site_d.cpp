// webinfod: movie information from Wikidata (CC0) through its documented interfaces: the
// MediaWiki search API finds the items, the query service answers everything else in
// SPARQL JSON results. The flow: search -> (several hits) one query for the list's
// labels and years -> the chosen film's query; one hit goes straight to the film. Where
// the user chose it under Configure, the lead paragraph of the film's Wikipedia article
// then replaces the item's short description.
#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "plugins/common/pluginconfig.h"
#include "sites.h"
#include "wikidata.h"

namespace {

using namespace wikidata;

constexpr const char *SearchTemplate = FilmSearchTemplate.data();

constexpr size_t MaxCast = 30;

constexpr char16_t DescriptionGerman[] = u"Filminformationen von Wikidata holen";
constexpr char16_t DescriptionEnglish[] = u"Get Movie Information from Wikidata";
constexpr char16_t SelectGerman[] = u"Film auf Wikidata wählen";
constexpr char16_t SelectEnglish[] = u"Select a movie on Wikidata";
constexpr char16_t AboutGerman[] =
    u"Filminformationen von Wikidata (www.wikidata.org), dessen Daten unter CC0 frei "
    u"sind; Einleitungen aus Wikipedia stehen unter CC BY-SA.\r\n\r\nReelkeep plug-in";
constexpr char16_t AboutEnglish[] =
    u"Movie information from Wikidata (www.wikidata.org), whose data is free under CC0; "
    u"lead paragraphs from Wikipedia are under CC BY-SA.\r\n\r\nReelkeep plug-in";

// Between Parse and the host's next GetURL: the address the plug-in asked to fetch, and
// the search's item order, which the list keeps.
struct TSearchState
{
    std::string pending;
    std::vector<std::string> ids;
    TLeadStep lead;
    std::string imdb; // of the film whose lead paragraph is fetched
};

TSearchState &Search()
{
    static TSearchState state;
    return state;
}

std::string LanguageList(const std::vector<std::string> &languages)
{
    std::string list;
    for (const std::string &language : languages)
        list += (list.empty() ? "\"" : ",\"") + language + '"';
    return list;
}

std::string ListQuery(const std::vector<std::string> &ids)
{
    const std::string langs = LanguageList(DataLanguages());
    std::string values;
    for (const std::string &id : ids)
        values += " wd:" + id;
    return "SELECT ?item ?label ?description ?date WHERE{VALUES ?item{" + values
           + "}OPTIONAL{?item rdfs:label ?label FILTER(LANG(?label) IN(" + langs
           + "))}OPTIONAL{?item schema:description ?description FILTER(LANG(?description) IN("
           + langs + "))}OPTIONAL{?item wdt:P577 ?date}}";
}

// One row per fact: ?kind names it, ?entity is the linked item, ?value the text, ?ord a
// cast member's series ordinal and ?extra a date's precision, a duration's unit or an
// article's language.
std::string DetailsQuery(const std::string &id)
{
    const std::vector<std::string> languages = DataLanguages();
    const std::string langs = LanguageList(languages);
    const auto label = [&](const char *kind, const std::string &pattern) {
        return "UNION{" + pattern + " BIND(\"" + kind
               + "\" AS ?kind)OPTIONAL{?entity rdfs:label ?value FILTER(LANG(?value) IN(" + langs
               + "))}}";
    };
    std::string query = "SELECT ?film ?kind ?entity ?value ?ord ?extra WHERE{VALUES ?film{wd:" + id
                        + "}{?film rdfs:label ?value FILTER(LANG(?value) IN(" + langs
                        + "))BIND(\"label\" AS ?kind)}"
                          "UNION{?film schema:description ?value FILTER(LANG(?value) IN("
                        + langs
                        + "))BIND(\"description\" AS ?kind)}"
                          "UNION{?film wdt:P1476 ?value BIND(\"origtitle\" AS ?kind)}"
                          "UNION{?film wdt:P364 ?entity.?entity wdt:P424 ?value "
                          "BIND(\"origlang\" AS ?kind)}"
                          "UNION{?film p:P577/psv:P577 ?node.?node wikibase:timeValue ?value;"
                          "wikibase:timePrecision ?extra BIND(\"date\" AS ?kind)}"
                          "UNION{?film p:P2047/psv:P2047 ?node.?node wikibase:quantityAmount "
                          "?value;wikibase:quantityUnit ?extra BIND(\"duration\" AS ?kind)}"
                          "UNION{?film wdt:P345 ?value BIND(\"imdb\" AS ?kind)}";
    for (const std::string &language : languages) {
        query += "UNION{?value schema:about ?film;schema:isPartOf <https://" + language
                 + ".wikipedia.org/> BIND(\"article\" AS ?kind)BIND(\"" + language
                 + "\" AS ?extra)}";
    }
    query += label("director", "?film wdt:P57 ?entity.");
    query += label("cast", "?film p:P161 ?st.?st ps:P161 ?entity OPTIONAL{?st pq:P1545 ?ord}");
    query += label("genre", "?film wdt:P136 ?entity.");
    query += label("country", "?film wdt:P495 ?entity.");
    return query + "}";
}

using TTexts = std::vector<std::pair<std::string, std::u16string>>;

// A linked item (director, cast member, genre, country) as the rows give it.
struct TLinked
{
    std::string id;
    TTexts labels;
    long ord = -1; // the cast's series ordinal; -1 when none
};

struct TLinkedList
{
    std::vector<TLinked> items;
    TLinked &Item(const std::string &id)
    {
        const auto found =
            std::find_if(items.begin(), items.end(), [&](const TLinked &l) { return l.id == id; });
        if (found != items.end())
            return *found;
        items.push_back({id, {}, -1});
        return items.back();
    }
};

long Ordinal(const std::string &text)
{
    if (text.empty() || text.size() > 6)
        return -1;
    long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

void JoinLinked(const TLinkedList &list,
                const std::vector<std::string> &languages,
                std::u16string_view separator,
                std::u16string &names,
                std::u16string *urls)
{
    for (const TLinked &item : list.items) {
        std::u16string name = PlainText(Preferred(item.labels, languages));
        AppendJoined(names, name.empty() ? Utf16(item.id) : name, separator);
        if (urls)
            AppendJoined(*urls, ItemPage(item.id), u" ");
    }
}

// Minutes from an amount in minutes, hours or seconds; 0 for other units.
int16_t Minutes(const std::string &amount, const std::string &unit)
{
    const std::string unitId = ItemId(unit);
    // from_chars: the host may have set a locale whose decimal separator is not '.'.
    const std::string_view text =
        !amount.empty() && amount[0] == '+' ? std::string_view(amount).substr(1) : amount;
    double value = 0;
    if (std::from_chars(text.data(), text.data() + text.size(), value).ec != std::errc())
        return 0;
    if (unitId == "Q25235")
        value *= 60;
    else if (unitId == "Q11574")
        value /= 60;
    else if (unitId != "Q7727")
        return 0;
    return value >= 1 && value < 32767 ? int16_t(value + 0.5) : 0;
}

// The settings file: "description=item" (the default) or "description=lead".
std::string SettingsPath()
{
    const std::string folder = PluginConfigFolder();
    return folder.empty() ? std::string() : folder + "/webinfod.conf";
}

bool LeadAsDescription()
{
    return SettingValue(SettingsPath(), "description") == "lead";
}

bool SaveDescriptionSetting(const std::string &key)
{
    const std::string path = SettingsPath();
    if (path.empty() || !MakeFolders(PluginConfigFolder()))
        return false;
    const std::string partial = path + ".partial";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out << "# Settings of Reelkeep's Wikidata movie information.\n"
               "# description: what becomes the movie's description. One of\n"
               "#   item  the short description of the Wikidata item\n"
               "#   lead  the lead paragraph of the film's Wikipedia article, where it has one\n"
               "description="
            << key << '\n';
        out.close();
        if (!out) {
            std::remove(partial.c_str());
            return false;
        }
    }
    return std::rename(partial.c_str(), path.c_str()) == 0;
}

void Configure(int32_t lang, uintptr_t ownerWindow)
{
    const bool german = lang == RK_LANG_GERMAN;
    const std::string current = LeadAsDescription() ? "lead" : "item";
    const TChoiceAnswer answer =
        ChooseOne("Wikidata",
                  german ? "Beschreibung des Films:" : "Description of the movie:",
                  {{"item",
                    german ? "Die Kurzbeschreibung des Wikidata-Objekts"
                           : "The short description of the Wikidata item"},
                   {"lead",
                    german ? "Die Einleitung des Wikipedia-Artikels über den Film"
                           : "The lead paragraph of the film's Wikipedia article"}},
                  current,
                  ownerWindow);
    if (answer.shown) {
        if (answer.key)
            SaveDescriptionSetting(*answer.key);
        return;
    }
    // No dialog program: the commented settings file in the user's editor.
    const std::string path = SettingsPath();
    if (path.empty()
        || (SettingValue(path, "description").empty() && !SaveDescriptionSetting(current)))
        return;
    bool ok = false;
    RunProgram({"xdg-open", path}, false, ok);
}

void FillMovie(TWebMovieRec &movie, const std::vector<TBinding> &rows, std::string &article)
{
    const std::vector<std::string> languages = DataLanguages();
    TTexts labels, descriptions, originals, articles;
    std::vector<std::string> originalLanguages;
    std::string imdb, film;
    TLinkedList directors, cast, genres, countries;
    for (const TBinding &row : rows) {
        const std::string kind = row.Value("kind");
        const std::string value = row.Value("value");
        if (film.empty())
            film = ItemId(row.Value("film"));
        if (kind == "label")
            labels.emplace_back(row.Lang("value"), Utf16(value));
        else if (kind == "description")
            descriptions.emplace_back(row.Lang("value"), Utf16(value));
        else if (kind == "origtitle")
            originals.emplace_back(row.Lang("value"), Utf16(value));
        else if (kind == "origlang")
            originalLanguages.push_back(value);
        else if (kind == "article")
            articles.emplace_back(row.Value("extra"), Utf16(value));
        else if (kind == "imdb" && imdb.empty() && value.rfind("tt", 0) == 0)
            imdb = value;
        else if (kind == "date") {
            // Only dates known to the year or better (precision 9 and up) give one.
            const std::string precision = row.Value("extra");
            const int16_t year = YearOf(value);
            if (year > 0 && (precision.empty() || Ordinal(precision) >= 9)
                && (movie.Year == 0 || year < movie.Year))
                movie.Year = year;
        } else if (kind == "duration" && movie.Duration == 0) {
            movie.Duration = Minutes(value, row.Value("extra"));
        } else {
            TLinkedList *list = kind == "director"  ? &directors
                                : kind == "cast"    ? &cast
                                : kind == "genre"   ? &genres
                                : kind == "country" ? &countries
                                                    : nullptr;
            const std::string id = ItemId(row.Value("entity"));
            if (!list || id.empty())
                continue;
            TLinked &item = list->Item(id);
            if (!value.empty())
                item.labels.emplace_back(row.Lang("value"), Utf16(value));
            if (const long ord = Ordinal(row.Value("ord")); ord >= 0)
                item.ord = ord;
        }
    }

    movie.Title = PlainText(Preferred(labels, languages));
    // The title in the film's own language first; the others become alternative titles.
    std::stable_partition(originals.begin(), originals.end(), [&](const auto &original) {
        return std::find(originalLanguages.begin(), originalLanguages.end(), original.first)
               != originalLanguages.end();
    });
    for (size_t i = 0; i < originals.size(); ++i) {
        if (i == 0)
            movie.OrigTitle = PlainText(originals[i].second);
        else if (originals[i].second != originals[0].second)
            AppendJoined(movie.Aka, PlainText(originals[i].second), u", ");
    }
    // Credited order where the data gives it, else the order of the answer.
    std::stable_sort(cast.items.begin(), cast.items.end(), [](const TLinked &a, const TLinked &b) {
        return (a.ord < 0 ? LONG_MAX : a.ord) < (b.ord < 0 ? LONG_MAX : b.ord);
    });
    if (cast.items.size() > MaxCast)
        cast.items.resize(MaxCast);
    JoinLinked(directors, languages, u", ", movie.Director, &movie.DirectorURLs);
    JoinLinked(cast, languages, u", ", movie.Actors, &movie.ActorURLs);
    JoinLinked(genres, languages, u" / ", movie.Genre, nullptr);
    JoinLinked(countries, languages, u", ", movie.Country, nullptr);

    movie.Description = PlainText(Preferred(descriptions, languages));
    if (!imdb.empty()) {
        AppendJoined(movie.Description, Utf16("IMDb: " + imdb), u"\r\n\r\n");
        AppendJoined(movie.Links, Utf16("https://www.imdb.com/title/" + imdb + "/"), u" ");
    }
    if (std::u16string link = Preferred(articles, languages); !link.empty()) {
        movie.Links = link + (movie.Links.empty() ? u"" : u" " + movie.Links);
        article = Utf8(link);
    }
    Search().imdb = imdb;
    if (!film.empty())
        movie.URL = ItemPage(film);
}

void FillList(TWebState &state, const std::vector<TBinding> &rows)
{
    const std::vector<std::string> languages = DataLanguages();
    struct TEntry
    {
        TTexts labels, descriptions;
        int16_t year = 0;
    };
    std::map<std::string, TEntry> entries;
    std::vector<std::string> order = Search().ids;
    for (const TBinding &row : rows) {
        const std::string id = ItemId(row.Value("item"));
        if (id.empty())
            continue;
        if (std::find(order.begin(), order.end(), id) == order.end())
            order.push_back(id);
        TEntry &entry = entries[id];
        if (const std::string label = row.Value("label"); !label.empty())
            entry.labels.emplace_back(row.Lang("label"), Utf16(label));
        if (const std::string text = row.Value("description"); !text.empty())
            entry.descriptions.emplace_back(row.Lang("description"), Utf16(text));
        const int16_t year = YearOf(row.Value("date"));
        if (year > 0 && (entry.year == 0 || year < entry.year))
            entry.year = year;
    }
    for (const std::string &id : order) {
        const auto found = entries.find(id);
        if (found == entries.end())
            continue;
        const TEntry &entry = found->second;
        std::u16string title = PlainText(Preferred(entry.labels, languages));
        if (title.empty())
            title = Utf16(id);
        if (entry.year > 0)
            title += u" (" + Utf16(std::to_string(entry.year)) + u")";
        if (std::u16string text = PlainText(Preferred(entry.descriptions, languages));
            !text.empty())
            title += u" - " + text;
        TSelectionRec selection;
        selection.Title = std::move(title);
        selection.URL = SparqlUrl(DetailsQuery(id));
        state.results.push_back(std::move(selection));
    }
    CountResults(state);
}

int16_t EmptyList(TWebState &state)
{
    state.results.clear();
    CountResults(state);
    return RK_PARSE_RESULT_LIST;
}

int16_t Parse(TWebState &state, std::string_view pageUrl, std::u16string_view page)
{
    TSearchState &search = Search();
    search.pending.clear();
    const bool leadAnswer = search.lead.TakeAnswer();
    state.results.clear();
    state.resultCount = 0;
    const json answer = ParsePage(page);
    if (leadAnswer) {
        // Without a lead paragraph the item's description stays.
        if (std::u16string lead = LeadParagraph(answer); !lead.empty()) {
            state.movie.Description = std::move(lead);
            if (!search.imdb.empty())
                state.movie.Description += Utf16("\r\n\r\nIMDb: " + search.imdb);
        }
        state.resultCount = 1;
        return RK_PARSE_DETAILS;
    }
    if (answer.is_discarded() || !answer.is_object())
        return EmptyList(state);

    if (const json *hits = Member(Member(&answer, "query"), "search")) {
        if (std::string again = Utf8SearchAgain(pageUrl, SearchBase); !again.empty()) {
            search.pending = std::move(again);
            return RK_PARSE_FETCH_AGAIN;
        }
        search.ids = SearchHits(*hits);
        if (search.ids.empty())
            return EmptyList(state);
        // One hit needs no list: its film is fetched at once.
        search.pending = SparqlUrl(search.ids.size() == 1 ? DetailsQuery(search.ids.front())
                                                          : ListQuery(search.ids));
        return RK_PARSE_FETCH_AGAIN;
    }
    if (HasVariable(answer, "film")) {
        state.movie = TWebMovieRec();
        std::string article;
        FillMovie(state.movie, Bindings(answer), article);
        if (LeadAsDescription())
            search.pending = ExtractUrl(article);
        if (!search.pending.empty()) {
            search.lead.pending = true;
            return RK_PARSE_FETCH_AGAIN;
        }
        state.resultCount = 1;
        return RK_PARSE_DETAILS;
    }
    if (HasVariable(answer, "item")) {
        FillList(state, Bindings(answer));
        return RK_PARSE_RESULT_LIST;
    }
    return EmptyList(state);
}

int32_t GetUrl(TWebState &state, std::string_view recordUrls, const char **outUrl)
{
    TSearchState &search = Search();
    search.lead.HandedOut(search.pending);
    return NextUrl(state, search.pending, recordUrls, DetailsQuery, SearchTemplate, outUrl);
}

// The lead paragraph's download failed: the film keeps the item's description.
int16_t FetchFailed(TWebState &state)
{
    if (!Search().lead.TakeAnswer())
        return 0;
    state.results.clear();
    state.resultCount = 1;
    return RK_PARSE_DETAILS;
}

constexpr TWebSite Site{
    RK_PLUGIN_MOVIE_INFO,
    RK_LANG_ENGLISH,
    "0.1.0",
    u"Wikidata",
    {DescriptionGerman, DescriptionEnglish, DescriptionEnglish, DescriptionEnglish},
    {AboutGerman, AboutEnglish, AboutEnglish, AboutEnglish},
    Parse,
    GetUrl,
    FetchFailed,
    {SelectGerman, SelectEnglish, SelectEnglish, SelectEnglish},
    Configure,
};

} // namespace

const TWebSite &SiteD()
{
    return Site;
}
