// webinfop: people from Wikidata (CC0), the same way webinfod finds films: the search
// API for humans, then the query service for the list and for the chosen person. A
// person with a Wikipedia article waits for its lead paragraph (TextExtracts) as
// biography; a person with a photo then asks the host to fetch it after the record
// (outcome 4).
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "sites.h"
#include "wikidata.h"

namespace {

using namespace wikidata;

// Humans; the host puts the search text in place of %s.
constexpr auto SearchTemplate = JoinText<char>(SearchBase, "%s%20haswbstatement:P31%3DQ5");
constexpr int PhotoWidth = 400;

constexpr char16_t DescriptionGerman[] = u"Personeninformationen von Wikidata holen";
constexpr char16_t DescriptionEnglish[] = u"Get Person Information from Wikidata";
constexpr char16_t SelectGerman[] = u"Person auf Wikidata wählen";
constexpr char16_t SelectEnglish[] = u"Select a person on Wikidata";
constexpr char16_t AboutGerman[] =
    u"Personeninformationen und Fotos von Wikidata (www.wikidata.org) und Wikimedia "
    u"Commons; die Daten von Wikidata sind unter CC0 frei, jedes Foto steht unter der "
    u"Lizenz, die Commons nennt.\r\n\r\nReelkeep plug-in";
constexpr char16_t AboutEnglish[] =
    u"Person information and photos from Wikidata (www.wikidata.org) and Wikimedia "
    u"Commons; Wikidata's data is free under CC0, each photo is under the licence Commons "
    u"names for it.\r\n\r\nReelkeep plug-in";

struct TSearchState
{
    std::string pending;
    std::vector<std::string> ids;
    std::string photo; // kept while the biography is fetched
    TLeadStep lead;
};

TSearchState &Search()
{
    static TSearchState state;
    return state;
}

std::string LanguageList()
{
    std::string list;
    for (const std::string &language : DataLanguages())
        list += (list.empty() ? "\"" : ",\"") + language + '"';
    return list;
}

std::string ListQuery(const std::vector<std::string> &ids)
{
    const std::string langs = LanguageList();
    std::string values;
    for (const std::string &id : ids)
        values += " wd:" + id;
    return "SELECT ?item ?label ?description ?date WHERE{VALUES ?item{" + values
           + "}OPTIONAL{?item rdfs:label ?label FILTER(LANG(?label) IN(" + langs
           + "))}OPTIONAL{?item schema:description ?description FILTER(LANG(?description) IN("
           + langs + "))}OPTIONAL{?item wdt:P569 ?date}}";
}

std::string Articles()
{
    std::string branches;
    for (const std::string &language : DataLanguages()) {
        branches += "UNION{?value schema:about ?person;schema:isPartOf <https://" + language
                    + ".wikipedia.org/> BIND(\"article\" AS ?kind)BIND(\"" + language
                    + "\" AS ?extra)}";
    }
    return branches;
}

// One row per fact, as webinfod's film query.
std::string DetailsQuery(const std::string &id)
{
    const std::string langs = LanguageList();
    const auto own = [&](const char *kind, const char *predicate) {
        return std::string("UNION{?person ") + predicate + " ?value FILTER(LANG(?value) IN(" + langs
               + "))BIND(\"" + kind + "\" AS ?kind)}";
    };
    const auto linked = [&](const char *kind, const char *property) {
        return std::string("UNION{?person wdt:") + property + " ?entity BIND(\"" + kind
               + "\" AS ?kind)OPTIONAL{?entity rdfs:label ?value FILTER(LANG(?value) IN(" + langs
               + "))}}";
    };
    return "SELECT ?person ?kind ?entity ?value ?extra WHERE{VALUES ?person{wd:" + id
           + "}{?person rdfs:label ?value FILTER(LANG(?value) IN(" + langs
           + "))BIND(\"label\" AS ?kind)}" + own("alias", "skos:altLabel")
           + own("description", "schema:description")
           + "UNION{?person p:P569/psv:P569 ?node.?node wikibase:timeValue ?value;"
             "wikibase:timePrecision ?extra BIND(\"birth\" AS ?kind)}"
             "UNION{?person wdt:P18 ?value BIND(\"photo\" AS ?kind)}"
           + linked("birthplace", "P19") + linked("occupation", "P106") + Articles() + "}";
}

using TTexts = std::vector<std::pair<std::string, std::u16string>>;

struct TLinked
{
    std::string id;
    TTexts labels;
};

void JoinLinked(const std::vector<TLinked> &items,
                const std::vector<std::string> &languages,
                std::u16string &out)
{
    for (const TLinked &item : items) {
        const std::u16string name = PlainText(Preferred(item.labels, languages));
        AppendJoined(out, name.empty() ? Utf16(item.id) : name, u", ");
    }
}

// Fills the person and returns the photo's address, empty when there is none; the
// article of the user's language (else English) goes to `article`.
std::string FillHuman(TWebHumanRec &human, const std::vector<TBinding> &rows, std::string &article)
{
    const std::vector<std::string> languages = DataLanguages();
    TTexts labels, descriptions, articles;
    std::vector<std::u16string> aliases;
    std::vector<TLinked> places, occupations;
    std::string photo, person;
    for (const TBinding &row : rows) {
        const std::string kind = row.Value("kind");
        const std::string value = row.Value("value");
        if (person.empty())
            person = ItemId(row.Value("person"));
        if (kind == "label") {
            labels.emplace_back(row.Lang("value"), Utf16(value));
        } else if (kind == "description") {
            descriptions.emplace_back(row.Lang("value"), Utf16(value));
        } else if (kind == "alias") {
            std::u16string alias = PlainText(Utf16(value));
            if (!alias.empty() && std::find(aliases.begin(), aliases.end(), alias) == aliases.end())
                aliases.push_back(std::move(alias));
        } else if (kind == "birth") {
            if (human.Birthday == 0)
                human.Birthday = DaySerial(value, row.Value("extra"));
        } else if (kind == "article") {
            articles.emplace_back(row.Value("extra"), Utf16(value));
        } else if (kind == "photo") {
            if (photo.empty())
                photo = CommonsPicture(value, PhotoWidth);
        } else if (kind == "birthplace" || kind == "occupation") {
            std::vector<TLinked> &list = kind == "birthplace" ? places : occupations;
            const std::string id = ItemId(row.Value("entity"));
            if (id.empty())
                continue;
            auto found = std::find_if(
                list.begin(), list.end(), [&](const TLinked &l) { return l.id == id; });
            if (found == list.end())
                found = list.insert(list.end(), TLinked{id, {}});
            if (!value.empty())
                found->labels.emplace_back(row.Lang("value"), Utf16(value));
        }
    }
    human.Name = PlainText(Preferred(labels, languages));
    for (const std::u16string &alias : aliases) {
        if (alias != human.Name)
            AppendJoined(human.AltNames, alias, u", ");
    }
    JoinLinked(places, languages, human.Birthplace);
    JoinLinked(occupations, languages, human.Career);
    human.Bio = PlainText(Preferred(descriptions, languages));
    if (!person.empty())
        human.URL = ItemPage(person);
    article = Utf8(Preferred(articles, languages));
    return photo;
}

void FillList(TWebState &state, const std::vector<TBinding> &rows)
{
    const std::vector<std::string> languages = DataLanguages();
    struct TEntry
    {
        std::string id;
        TTexts labels, descriptions;
        int16_t year = 0;
    };
    std::vector<TEntry> entries;
    for (const std::string &id : Search().ids)
        entries.push_back({id, {}, {}, 0});
    for (const TBinding &row : rows) {
        const std::string id = ItemId(row.Value("item"));
        if (id.empty())
            continue;
        auto entry = std::find_if(
            entries.begin(), entries.end(), [&](const TEntry &e) { return e.id == id; });
        if (entry == entries.end())
            entry = entries.insert(entries.end(), TEntry{id, {}, {}, 0});
        if (const std::string label = row.Value("label"); !label.empty())
            entry->labels.emplace_back(row.Lang("label"), Utf16(label));
        if (const std::string text = row.Value("description"); !text.empty())
            entry->descriptions.emplace_back(row.Lang("description"), Utf16(text));
        if (const int16_t year = YearOf(row.Value("date")); year > 0 && entry->year == 0)
            entry->year = year;
    }
    for (const TEntry &entry : entries) {
        std::u16string title = PlainText(Preferred(entry.labels, languages));
        if (title.empty())
            title = Utf16(entry.id);
        if (entry.year > 0)
            title += u" (*" + Utf16(std::to_string(entry.year)) + u")";
        if (std::u16string text = PlainText(Preferred(entry.descriptions, languages));
            !text.empty())
            title += u" - " + text;
        TSelectionRec selection;
        selection.Title = std::move(title);
        selection.URL = SparqlUrl(DetailsQuery(entry.id));
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

// The person is complete; the photo, if there is one, comes after the record.
int16_t Finish(TWebState &state, TSearchState &search)
{
    search.pending = std::move(search.photo);
    search.photo.clear();
    state.resultCount = 1;
    return search.pending.empty() ? RK_PARSE_DETAILS : RK_PARSE_HUMANS_THEN_FETCH;
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
        // Without a lead paragraph the item's description, already in the record, stays
        // the biography.
        if (std::u16string bio = LeadParagraph(answer); !bio.empty())
            state.human.Bio = std::move(bio);
        return Finish(state, search);
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
        search.pending = SparqlUrl(search.ids.size() == 1 ? DetailsQuery(search.ids.front())
                                                          : ListQuery(search.ids));
        return RK_PARSE_FETCH_AGAIN;
    }
    if (HasVariable(answer, "person")) {
        state.human = TWebHumanRec();
        std::string article;
        search.photo = FillHuman(state.human, Bindings(answer), article);
        search.pending = ExtractUrl(article);
        if (search.pending.empty())
            return Finish(state, search);
        search.lead.pending = true;
        return RK_PARSE_FETCH_AGAIN;
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
    return NextUrl(state, search.pending, recordUrls, DetailsQuery, SearchTemplate.data(), outUrl);
}

// The biography's download failed: the person is filled with the item's description.
int16_t FetchFailed(TWebState &state)
{
    TSearchState &search = Search();
    if (!search.lead.TakeAnswer())
        return 0;
    state.results.clear();
    return Finish(state, search);
}

constexpr TWebSite Site{
    RK_PLUGIN_PEOPLE_IMPORT,
    RK_LANG_ENGLISH,
    "0.1.0",
    u"Wikidata",
    {DescriptionGerman, DescriptionEnglish, DescriptionEnglish, DescriptionEnglish},
    {AboutGerman, AboutEnglish, AboutEnglish, AboutEnglish},
    Parse,
    GetUrl,
    FetchFailed,
    {SelectGerman, SelectEnglish, SelectEnglish, SelectEnglish},
};

} // namespace

const TWebSite &SiteP()
{
    return Site;
}
