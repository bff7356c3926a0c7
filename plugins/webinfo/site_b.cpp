// webinfob: movie information from Kataweb Cinema, an Italian film site. Every marker
// below is matched exactly, in the order given, on the page as the host decoded it.
#include <string>
#include <string_view>

#include "fieldcutter.h"
#include "sites.h"

namespace {

constexpr char SiteAddress[] = "http://www.kataweb.it";
constexpr char Domain[] = "kataweb.it";

constexpr auto SearchTemplate =
    JoinText<char>(SiteAddress, "/cinema/cerca.jsp?select=film&=Vai&textfield=%s");
constexpr char FilmPath[] = "/cinema/scheda_film.jsp?idContent=";

constexpr char16_t DescriptionGerman[] = u"Filminformationen von Kataweb Cinema (kataweb.it) holen";
constexpr char16_t DescriptionSpanish[] =
    u"Obtener información de películas de Kataweb Cinema (kataweb.it)";
constexpr char16_t DescriptionRussian[] =
    u"Получить информацию о фильме с Kataweb Cinema (kataweb.it)";
constexpr char16_t DescriptionEnglish[] = u"Get Movie Information from Kataweb Cinema (kataweb.it)";
constexpr char16_t Credit[] = u"\r\n\r\nReelkeep plug-in";
constexpr auto AboutGerman = JoinText<char16_t>(DescriptionGerman, Credit);
constexpr auto AboutRussian = JoinText<char16_t>(DescriptionRussian, Credit);
constexpr auto AboutEnglish = JoinText<char16_t>(DescriptionEnglish, Credit);

constexpr std::u16string_view ResultListMarker = u"<div class=\"header-tit-int\">Hai cercato";
constexpr auto FilmLink = JoinText<char16_t>(u"<a href=\"", FilmPath);
constexpr std::u16string_view Quote = u"\"";
constexpr std::u16string_view LinkEnd = u"</a>";
constexpr std::u16string_view ParagraphEnd = u"</p>";
constexpr std::u16string_view Paragraph = u"<p class=\"nospace\"><b>";

void CutResultList(TWebState &state, TFieldCutter &cut)
{
    state.results.clear();
    state.resultCount = 0;
    cut.DeleteThrough(ResultListMarker);
    while (cut.DeleteThrough(TextView(FilmLink))) {
        const size_t quote = cut.Find(Quote);
        if (quote == TFieldCutter::npos)
            continue;
        TSelectionRec entry;
        entry.URL = std::string(SiteAddress) + FilmPath + ToAnsi(cut.Between(0, quote));
        cut.Delete(quote + Quote.size());
        // The link text, a blank and the next cell (the year) make the title.
        const size_t close = cut.Find(u">");
        const size_t linkEnd = cut.Find(LinkEnd);
        if (close != TFieldCutter::npos && linkEnd != TFieldCutter::npos) {
            if (close < linkEnd) {
                entry.Title = std::u16string(cut.Between(close + 1, linkEnd)) + u' ';
                cut.Delete(linkEnd + LinkEnd.size());
                if (cut.DeleteThrough(u"<td>")) {
                    if (auto cell = cut.CutUntil(u"</td>"))
                        entry.Title += *cell;
                }
            } else {
                cut.Delete(linkEnd + LinkEnd.size());
            }
        }
        state.results.push_back(std::move(entry));
    }
    CountResults(state);
}

// Director and scenario: the paragraph text, or the link text when a link ends inside
// the paragraph.
void CutPerson(TFieldCutter &cut, std::u16string_view label, std::u16string &field)
{
    if (!cut.DeleteThrough(label))
        return;
    const size_t paragraphEnd = cut.Find(ParagraphEnd);
    const size_t linkEnd = cut.Find(LinkEnd);
    std::u16string_view end = ParagraphEnd;
    if (paragraphEnd != TFieldCutter::npos && linkEnd != TFieldCutter::npos
        && linkEnd < paragraphEnd) {
        cut.DeleteThrough(u">");
        end = LinkEnd;
    }
    if (auto value = cut.CutUntil(end))
        field = Trimmed(*value);
}

void CutActors(TFieldCutter &cut, std::u16string &actors)
{
    if (!cut.DeleteThrough(u"<div class=\"header-tit-int\">Cast</div>"))
        return;
    // The cast block ends at the next row; paragraphs after it belong to other blocks.
    constexpr std::u16string_view Row = u"<div class=\"row\">";
    for (;;) {
        const size_t paragraph = cut.Find(Paragraph);
        const size_t row = cut.Find(Row);
        if (paragraph == TFieldCutter::npos || row == TFieldCutter::npos || paragraph > row)
            break;
        cut.Delete(paragraph + Paragraph.size());
        if (cut.DeleteThrough(u"<a href=\"scheda_personaggio.jsp?idContent="))
            cut.DeleteThrough(u">");
        if (const auto name = cut.CutUntil(LinkEnd))
            AppendJoined(actors, *name, u", ");
    }
}

void CutDetails(TWebMovieRec &movie, TFieldCutter &cut)
{
    cut.DeleteThrough(u"<!-- INIZIO ARTICOLI -->");
    cut.DeleteThrough(u"<div class=\"box-tit-film\">");
    if (auto title = cut.CutUntil(u"</div>"))
        movie.Title = Trimmed(*title);

    CutActors(cut, movie.Actors);

    if (cut.DeleteThrough(u"<div class=\"header-tit-int\">Trama</div>")) {
        if (auto text = cut.CutUntil(u"<div"))
            movie.Description = Trimmed(*text);
    }

    cut.DeleteThrough(u"<div class=\"header-tit-int\">Crediti</div>");

    // Untrimmed: "1997 " is no number.
    if (cut.DeleteThrough(u"<p class=\"nospace\"><b>Anno: </b>")) {
        if (const auto year = cut.CutUntil(ParagraphEnd))
            movie.Year = ReadSmallInt(*year);
    }

    if (cut.DeleteThrough(u"<p class=\"nospace\"><b>Nazione: </b>")) {
        if (auto country = cut.CutUntil(ParagraphEnd))
            movie.Country = std::move(*country);
    }

    // "120'": the last character is the minutes sign.
    if (cut.DeleteThrough(u"<p class=\"nospace\"><b>Durata:</b>")) {
        if (const auto duration = cut.CutUntil(ParagraphEnd)) {
            const std::u16string_view minutes = std::u16string_view(*duration).substr(
                0, duration->empty() ? 0 : duration->size() - 1);
            movie.Duration = ReadSmallInt(Trimmed(minutes));
        }
    }

    if (cut.DeleteThrough(u"<p class=\"nospace\"><b>Genere:</b>")) {
        if (const auto genre = cut.CutUntil(ParagraphEnd))
            movie.Genre = Trimmed(*genre);
    }

    CutPerson(cut, u"<p class=\"nospace\"><b>Regia: </b>", movie.Director);
    CutPerson(cut, u"<p class=\"nospace\"><b>Sceneggiatura:</b>", movie.Scenario);
}

int16_t Parse(TWebState &state, std::string_view pageUrl, std::u16string_view page)
{
    return ParseMoviePage(state, pageUrl, page, ResultListMarker, CutResultList, CutDetails);
}

int32_t GetUrl(TWebState &state, std::string_view recordUrls, const char **outUrl)
{
    return UrlFromList(state, recordUrls, Domain, SearchTemplate.data(), outUrl);
}

constexpr TWebSite Site{
    RK_PLUGIN_MOVIE_INFO,
    RK_LANG_ITALIAN,
    "0.1.2",
    u"Kataweb Cinema [IT]",
    {DescriptionGerman, DescriptionSpanish, DescriptionRussian, DescriptionEnglish},
    {AboutGerman.data(), AboutEnglish.data(), AboutRussian.data(), AboutEnglish.data()},
    Parse,
    GetUrl,
};

} // namespace

const TWebSite &SiteB()
{
    return Site;
}
