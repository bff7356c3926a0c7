// webinfoa: movie information from FilmAffinity, a Spanish film site. Every marker below
// is matched exactly, in the order given, on the page as the host decoded it.
#include <string>
#include <string_view>

#include "fieldcutter.h"
#include "sites.h"

namespace {

constexpr char SiteAddress[] = "http://www.filmaffinity.com";
constexpr char Domain[] = "filmaffinity.com";
constexpr char16_t SiteName[] = u"FilmAffinity";

constexpr auto SearchTemplate = JoinText<char>(SiteAddress, "/es/search.php?stype=title&stext=%s");
constexpr auto MovieIcon =
    JoinText<char16_t>(u"<img src=\"", SiteAddress, u"/images/movie.gif\" border=\"0\">");

constexpr char16_t DescriptionGerman[] =
    u"Filminformationen von FilmAffinity (filmaffinity.com) holen";
constexpr char16_t DescriptionSpanish[] =
    u"Obtener información de películas de FilmAffinity (filmaffinity.com)";
constexpr char16_t DescriptionRussian[] =
    u"Получить информацию о фильме с FilmAffinity (filmaffinity.com)";
constexpr char16_t DescriptionEnglish[] =
    u"Get Movie Information from FilmAffinity (filmaffinity.com)";
constexpr char16_t Credit[] = u"\r\n\r\nReelkeep plug-in";
constexpr auto AboutGerman = JoinText<char16_t>(DescriptionGerman, Credit);
constexpr auto AboutRussian = JoinText<char16_t>(DescriptionRussian, Credit);
constexpr auto AboutEnglish = JoinText<char16_t>(DescriptionEnglish, Credit);

constexpr std::u16string_view ResultListMarker = u"Resultados por título</span>";
constexpr std::u16string_view EntryLink = u"<b><a href=\"/es/film";
constexpr std::u16string_view LinkOpener = u"<a href=\"";
constexpr std::u16string_view TagClose = u"\">";
constexpr std::u16string_view LinkEnd = u"</a>";
constexpr std::u16string_view CellEnd = u"</td>";

// The site writes cell openers with zero, one or two blanks.
constexpr std::u16string_view Cell0 = u"<td>";
constexpr std::u16string_view Cell1 = u"<td >";
constexpr std::u16string_view Cell2 = u"<td  >";

void CutResultList(TWebState &state, TFieldCutter &cut)
{
    cut.DeleteThrough(ResultListMarker);
    while (cut.DeleteThrough(EntryLink)) {
        const size_t close = cut.Find(TagClose);
        if (close == TFieldCutter::npos)
            continue;
        TSelectionRec entry;
        entry.URL = std::string(SiteAddress) + "/es/film" + ToAnsi(cut.Between(0, close));
        cut.Delete(close + TagClose.size());
        if (auto title = cut.CutUntil(LinkEnd))
            entry.Title = std::move(*title);
        state.results.push_back(std::move(entry));
    }
    // The list grows over every result page for as long as the library stays loaded.
    CountResults(state);
}

// The cell of a year or duration row, which the site nests in a table: past the next
// "<table" anywhere ahead, the text of the first cell when its opener comes before the
// first cell end. Deletes through that cell end.
std::optional<std::u16string> NumberCell(TFieldCutter &cut)
{
    cut.DeleteThrough(u"<table");
    const TFieldCutter::TMatch open = cut.FindEarliest({Cell1, Cell0, Cell2});
    const size_t end = cut.Find(CellEnd);
    std::optional<std::u16string> value;
    if (open && end != TFieldCutter::npos && open.offset < end)
        value = std::u16string(cut.Between(open.End(), end));
    if (end != TFieldCutter::npos)
        cut.Delete(end + CellEnd.size());
    return value;
}

// Scenario and studio: the text of the cell after the label, untrimmed.
void CutCellText(TFieldCutter &cut, std::u16string_view label, std::u16string &field)
{
    if (!cut.DeleteThrough(label))
        return;
    cut.DeleteThroughEarliest({Cell0, Cell1, Cell2});
    if (auto value = cut.CutUntil(CellEnd))
        field = std::move(*value);
}

void CutDirector(TFieldCutter &cut, std::u16string &director)
{
    if (!cut.DeleteThrough(u"<b>DIRECTOR</b></td>"))
        return;
    cut.DeleteThroughEarliest({Cell0, Cell1, Cell2});
    const size_t cellEnd = cut.Find(CellEnd);
    const size_t link = cut.Find(LinkOpener);
    std::u16string_view end = CellEnd;
    // A linked name ends at its "</a>". With no link left on the page at all the cell
    // can only hold plain text, which ends at the cell end.
    if (link != TFieldCutter::npos && cellEnd != TFieldCutter::npos && link < cellEnd) {
        const size_t close = cut.Find(TagClose);
        if (close != TFieldCutter::npos && close < cellEnd)
            cut.Delete(close + TagClose.size());
        end = LinkEnd;
    }
    if (auto value = cut.CutUntil(end))
        director = std::move(*value);
}

void CutActors(TFieldCutter &cut, std::u16string &actors)
{
    if (!cut.DeleteThrough(u"<b>REPARTO</b></td>"))
        return;
    cut.DeleteThroughEarliest({Cell0, Cell1, Cell2});
    for (;;) {
        const size_t cellEnd = cut.Find(CellEnd);
        const size_t link = cut.Find(LinkOpener);
        if (link == TFieldCutter::npos || cellEnd == TFieldCutter::npos || link > cellEnd)
            break;
        cut.Delete(link + LinkOpener.size());
        if (!cut.DeleteThrough(TagClose))
            break;
        const auto name = cut.CutUntil(LinkEnd);
        if (!name)
            break;
        AppendJoined(actors, *name, u", ");
    }
}

void CutGenreAndDescription(TFieldCutter &cut, TWebMovieRec &movie)
{
    constexpr std::u16string_view Synopsis = u"/ SINOPSIS:";
    if (!cut.DeleteThrough(u"<b>GÉNERO Y CRÍTICA</b>"))
        return;
    cut.DeleteThrough(u"<td valign=\"top\">");
    const size_t slash = cut.Find(u"/");
    if (const size_t synopsis = cut.Find(Synopsis);
        synopsis != TFieldCutter::npos && slash < synopsis) {
        cut.Delete(slash + 1);
    }
    if (const size_t synopsis = cut.Find(Synopsis); synopsis != TFieldCutter::npos) {
        // "Drama. Comedia." gives "Drama / Comedia".
        std::u16string_view genres = Trimmed(cut.Between(0, synopsis));
        while (!genres.empty()) {
            const size_t stop = genres.find(u'.');
            const std::u16string_view piece = Trimmed(genres.substr(0, stop));
            if (!piece.empty())
                AppendJoined(movie.Genre, piece, u" / ");
            genres =
                stop == std::u16string_view::npos ? std::u16string_view() : genres.substr(stop + 1);
        }
        cut.Delete(synopsis + Synopsis.size());
    }
    const std::u16string dashes(40, u'-');
    if (auto text = cut.CutUntil(cut.Contains(dashes) ? std::u16string_view(dashes) : CellEnd))
        movie.Description = std::move(*text);
}

void CutRating(TFieldCutter &cut, TWebMovieRec &movie)
{
    if (!cut.DeleteThrough(u"<td align=\"center\" style=\"color:#990000; font-size:22px; "
                           u"font-weight: bold;\">")) {
        return;
    }
    const auto text = cut.CutUntil(CellEnd);
    if (!text)
        return;
    if (const auto rating = ReadCommaFloat(Trimmed(*text))) {
        movie.Rating = *rating;
        movie.RatingName = SiteName;
    }
}

void CutDetails(TWebMovieRec &movie, TFieldCutter &cut)
{
    if (cut.DeleteThrough(TextView(MovieIcon))) {
        if (auto title = cut.CutUntil(u"</span>"))
            movie.Title = Trimmed(*title);
    }

    if (cut.DeleteThrough(u"<b>TITULO ORIGINAL</b></td>")) {
        constexpr std::u16string_view TitleEnd = u"</b></td>";
        const TFieldCutter::TMatch open = cut.FindEarliest({u"<td ><b>", u"<td><b>", u"<td  ><b>"});
        const size_t end = cut.Find(TitleEnd);
        if (open && end != TFieldCutter::npos && open.offset < end)
            movie.OrigTitle = Trimmed(cut.Between(open.End(), end));
        if (end != TFieldCutter::npos)
            cut.Delete(end + TitleEnd.size());
    }

    if (cut.DeleteThrough(u"<b>AÑO</b></td>")) {
        if (const auto year = NumberCell(cut))
            movie.Year = ReadSmallInt(Trimmed(*year));
    }

    if (cut.DeleteThrough(u"<b>DURACIÓN</b></td>")) {
        if (auto duration = NumberCell(cut)) {
            constexpr std::u16string_view Unit = u"min.";
            for (size_t at; (at = duration->find(Unit)) != std::u16string::npos;)
                duration->erase(at, Unit.size());
            movie.Duration = ReadSmallInt(Trimmed(*duration));
        }
    }

    if (cut.DeleteThrough(u"<b>PAÍS</b></td>")) {
        // The country is the flag picture's alternative text.
        cut.DeleteThrough(u"alt=\"");
        if (auto country = cut.CutUntil(u"\""))
            movie.Country = std::move(*country);
    }

    CutDirector(cut, movie.Director);
    CutCellText(cut, u"<b>GUIÓN</b></td>", movie.Scenario);
    CutActors(cut, movie.Actors);
    CutCellText(cut, u"<b>PRODUCTORA</b></td>", movie.Studio);
    CutGenreAndDescription(cut, movie);
    CutRating(cut, movie);
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
    RK_LANG_SPANISH,
    "0.2.2",
    u"FilmAffinity [ES]",
    {DescriptionGerman, DescriptionSpanish, DescriptionRussian, DescriptionEnglish},
    {AboutGerman.data(), AboutEnglish.data(), AboutRussian.data(), AboutEnglish.data()},
    Parse,
    GetUrl,
};

} // namespace

const TWebSite &SiteA()
{
    return Site;
}
