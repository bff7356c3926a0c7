#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "plugins/common/unicodetext.h"
#include "webframe.h"

// What the Wikidata plug-ins share: reading the JSON answers of the MediaWiki API and the
// query service, and building their request addresses. Nothing here throws on outside
// data: a missing member, a value of the wrong type or text that is not JSON reads as
// empty (allocation failures still throw; the exports catch them).

namespace wikidata {

// The MediaWiki search of Wikidata; the search text follows the address.
inline constexpr char SearchBase[] =
    "https://www.wikidata.org/w/api.php?action=query&list=search&format=json&srlimit=20"
    "&srsearch=";
// Films and television series; the host puts the search text in place of %s.
inline constexpr auto FilmSearchTemplate =
    JoinText<char>(SearchBase, "%s%20haswbstatement:P31%3DQ11424|P31%3DQ5398426");

using nlohmann::json;

// The languages the data is asked for: the user's first, then English. The user's is
// German when the environment's message language (LC_ALL, LC_MESSAGES, LANG) starts with
// "de", else English alone. The plug-ins learn no language from the host before the
// first request, so the environment is the one source they have.
std::vector<std::string> DataLanguages();

std::u16string Utf16(std::string_view utf8);

// The page as JSON; a discarded value (is_discarded()) when it is not JSON.
json ParsePage(std::u16string_view page);

// The member `key` of an object; nullptr when `value` is no object or lacks it.
const json *Member(const json *value, const char *key);
// The text of a string value; empty for anything else.
std::string Text(const json *value);

// Percent-encodes every byte but the unreserved ASCII ones, so the host's own encoding
// of the address leaves the result alone.
std::string EncodeParameter(std::string_view utf8);

// "Q42" from "http://www.wikidata.org/entity/Q42" or "Q42" itself; empty when the text
// ends in no item id.
std::string ItemId(std::string_view uriOrId);
// The id of the first "wikidata.org/wiki/Q…" or "wikidata.org/entity/Q…" address in a
// blank-separated list; empty when there is none.
std::string ItemInUrls(std::string_view recordUrls);
std::u16string ItemPage(std::string_view id); // https://www.wikidata.org/wiki/<id>

// The query service address that runs `sparql` and answers SPARQL JSON results.
std::string SparqlUrl(std::string_view sparql);

// GetURL of the movie and person sources: the address a Parse left `pending` (taken), else
// the details query of the item the record's URLs name, else the search template (0).
int32_t NextUrl(TWebState &state,
                std::string &pending,
                std::string_view recordUrls,
                std::string (*detailsQuery)(const std::string &id),
                const char *searchTemplate,
                const char **outUrl);

// The item ids of a list=search answer's "search" array, in its order, without repeats.
std::vector<std::string> SearchHits(const json &hits);
// The host fills search templates with Windows-1252 bytes, the API reads UTF-8: for a
// search whose text in `pageUrl` is not UTF-8, `searchBase` (ending in "srsearch=") with
// the text in UTF-8; empty when the text is UTF-8 already.
std::string Utf8SearchAgain(std::string_view pageUrl, std::string_view searchBase);

// Days since 1899-12-30 of an xsd:dateTime known to the day (precision 11); 0 otherwise.
double DaySerial(std::string_view dateTime, std::string_view precision);
// https://commons.wikimedia.org/wiki/Special:FilePath/<file>?width=<width> of the query
// service's form of a Commons file; empty for anything else.
std::string CommonsPicture(std::string_view fileUri, int width);

// The TextExtracts request for the lead paragraph of an article address as the query
// service gives it ("https://en.wikipedia.org/wiki/Brad_Pitt", already percent-encoded);
// empty for any other address.
std::string ExtractUrl(std::string_view article);
// The lead paragraph of a TextExtracts answer as plain text; empty when it has none (a
// missing article, an error answer, a discarded value).
std::u16string LeadParagraph(const json &answer);

// The lead paragraph's request, from the Parse that asks for it to the one that reads it.
// A record that waits for it is complete without it: any answer, or a failed download,
// ends the record.
struct TLeadStep
{
    bool pending = false; // the address the Parse left is this request
    bool asked = false;   // GetURL handed it out: the host fetches it now

    void HandedOut(const std::string &pendingUrl)
    {
        asked = pending && !pendingUrl.empty();
        pending = false;
    }
    // Whether the page now parsed (or failed) is its answer.
    bool TakeAnswer()
    {
        pending = false;
        const bool was = asked;
        asked = false;
        return was;
    }
};

// One row of SPARQL JSON results, by variable name.
struct TBinding
{
    const json *row = nullptr;
    std::string Value(const char *var) const;
    std::string Lang(const char *var) const;
};
// The rows of a SPARQL JSON answer; empty when it is none.
std::vector<TBinding> Bindings(const json &answer);
// Whether the answer's head lists variable `var`.
bool HasVariable(const json &answer, const char *var);

// The year of an xsd:dateTime text ("1999-10-15T00:00:00Z"); 0 for a year outside
// 1..9999 or text that is no date.
int16_t YearOf(std::string_view dateTime);

// Text without HTML tags and with blanks runs folded, for descriptions editors typed.
std::u16string PlainText(std::u16string_view text);

// The text for the first of `languages` that `texts` has (pairs of language and text).
std::u16string Preferred(const std::vector<std::pair<std::string, std::u16string>> &texts,
                         const std::vector<std::string> &languages);

} // namespace wikidata
