#include "webframe.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <limits>

#include "fieldcutter.h"
#include "plugin_api/ansi1252.h"

namespace {

char AnsiByte(char16_t c)
{
    return RkUnicodeToAnsi(c);
}

bool IsDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

const char16_t EmptyWide[] = u"";
const char EmptyAnsi[] = "";

} // namespace

const char16_t *TLanguageTexts::For(int32_t lang) const
{
    switch (lang) {
    case RK_LANG_GERMAN:
        return german;
    case RK_LANG_SPANISH:
        return spanish;
    case RK_LANG_RUSSIAN:
        return russian;
    default:
        return english;
    }
}

std::string ToAnsi(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const bool high = c >= 0xD800 && c < 0xDC00;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
            ++i;
        out.push_back(c >= 0xD800 && c < 0xE000 ? '?' : AnsiByte(c));
    }
    return out;
}

std::u16string FromAnsi(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (const char byte : text) {
        const auto b = static_cast<unsigned char>(byte);
        out.push_back(RkAnsiToUnicode(b));
    }
    return out;
}

std::u16string_view Trimmed(std::u16string_view text)
{
    while (!text.empty() && text.front() <= u' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() <= u' ')
        text.remove_suffix(1);
    return text;
}

std::string_view Trimmed(std::string_view text)
{
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

int16_t ReadSmallInt(std::u16string_view text)
{
    bool negative = false;
    if (!text.empty() && (text.front() == u'+' || text.front() == u'-')) {
        negative = text.front() == u'-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return 0;
    int32_t value = 0;
    for (const char16_t c : text) {
        if (!IsDigit(c))
            return 0;
        value = value * 10 + (c - u'0');
        // Past the 16-bit range the record cannot hold it: no number for this field.
        if (value > INT16_MAX + 1)
            return 0;
    }
    value = negative ? -value : value;
    return value >= INT16_MIN && value <= INT16_MAX ? static_cast<int16_t>(value) : 0;
}

std::optional<double> ReadCommaFloat(std::u16string_view text)
{
    // Checked by hand, then handed to from_chars with '.' (which knows no locale).
    std::string ascii;
    size_t i = 0;
    const auto takeSign = [&] {
        if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
            ascii.push_back(char(text[i++]));
    };
    const auto takeDigits = [&] {
        size_t count = 0;
        for (; i < text.size() && IsDigit(text[i]); ++i, ++count)
            ascii.push_back(char(text[i]));
        return count;
    };
    takeSign();
    size_t digits = takeDigits();
    if (i < text.size() && text[i] == u',') {
        ascii.push_back('.');
        ++i;
        digits += takeDigits();
    }
    if (digits == 0)
        return std::nullopt;
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        ascii.push_back('e');
        ++i;
        takeSign();
        if (takeDigits() == 0)
            return std::nullopt;
    }
    if (i != text.size())
        return std::nullopt;
    const char *first = ascii.data();
    if (*first == '+') // from_chars takes no plus sign
        ++first;
    double value = 0;
    const auto [end, error] = std::from_chars(first, ascii.data() + ascii.size(), value);
    if (error != std::errc() || end != ascii.data() + ascii.size())
        return std::nullopt;
    return value;
}

void AppendJoined(std::u16string &list, std::u16string_view item, std::u16string_view separator)
{
    if (!list.empty())
        list += separator;
    list += item;
}

void CountResults(TWebState &state)
{
    state.resultCount =
        static_cast<int32_t>(std::min<size_t>(state.results.size(), size_t(INT32_MAX)));
}

int32_t SelectionOf(const TWebState &state,
                    int32_t index,
                    const char16_t **outTitle,
                    const char **outUrl,
                    const char **outPictureUrl,
                    const char **outBrowseUrl)
{
    for (const char **out : {outUrl, outPictureUrl, outBrowseUrl}) {
        if (out)
            *out = EmptyAnsi;
    }
    if (outTitle)
        *outTitle = EmptyWide;
    if (index < 0 || size_t(index) >= state.results.size())
        return 0;
    const TSelectionRec &entry = state.results[size_t(index)];
    if (outTitle)
        *outTitle = entry.Title.c_str();
    if (outUrl)
        *outUrl = entry.URL.c_str();
    if (outPictureUrl)
        *outPictureUrl = entry.PictureURL.c_str();
    return -1;
}

int32_t FillMovieRec(const TWebMovieRec &movie, TMovieRec *record)
{
    if (!record)
        return 0;
    record->Title = movie.Title.c_str();
    record->OrigTitle = movie.OrigTitle.c_str();
    record->Aka = movie.Aka.c_str();
    record->Year = movie.Year;
    record->Genre = movie.Genre.c_str();
    record->Director = movie.Director.c_str();
    record->DirectorURLs = movie.DirectorURLs.c_str();
    record->Producer = movie.Producer.c_str();
    record->ProducerURLs = movie.ProducerURLs.c_str();
    record->Scenario = movie.Scenario.c_str();
    record->ScenarioURLs = movie.ScenarioURLs.c_str();
    record->Music = movie.Music.c_str();
    record->MusicURLs = movie.MusicURLs.c_str();
    record->Actors = movie.Actors.c_str();
    record->ActorURLs = movie.ActorURLs.c_str();
    record->Country = movie.Country.c_str();
    record->Studio = movie.Studio.c_str();
    record->MPAA = movie.MPAA.c_str();
    RkDoubleToExtended(movie.Rating, &record->Rating);
    record->RatingName = movie.RatingName.c_str();
    record->Tags = movie.Tags.c_str();
    record->Tagline = movie.Tagline.c_str();
    record->Description = movie.Description.c_str();
    record->Duration = movie.Duration;
    record->Awards = movie.Awards.c_str();
    record->Links = movie.Links.c_str();
    record->URL = movie.URL.c_str();
    record->Features = movie.Features.c_str();
    return -1;
}

int32_t FillHumanRec(const TWebHumanRec &human, THumanRec *record)
{
    if (!record)
        return 0;
    record->Name = human.Name.c_str();
    record->TransName = human.TransName.c_str();
    record->AltNames = human.AltNames.c_str();
    RkDoubleToExtended(human.Birthday, &record->Birthday);
    record->Birthplace = human.Birthplace.c_str();
    record->Genre = human.Genre.c_str();
    record->Career = human.Career.c_str();
    record->URL = human.URL.c_str();
    record->Bio = human.Bio.c_str();
    record->Filmography = human.Filmography.c_str();
    record->Awards = human.Awards.c_str();
    return -1;
}

std::string AsciiLower(std::string_view text)
{
    std::string lower(text);
    for (char &c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return lower;
}

int32_t UrlFromList(TWebState &state,
                    std::string_view recordUrls,
                    std::string_view domain,
                    const char *searchTemplate,
                    const char **outUrl)
{
    state.urlList.clear();
    std::string_view rest = Trimmed(recordUrls);
    while (!rest.empty()) {
        const size_t blank = rest.find(' ');
        const std::string_view piece = rest.substr(0, blank);
        if (!piece.empty())
            state.urlList.emplace_back(piece);
        rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
    }
    const std::string *match = nullptr;
    for (const std::string &url : state.urlList) {
        if (AsciiLower(url).find(domain) != std::string::npos)
            match = &url;
    }
    if (outUrl)
        *outUrl = match ? match->c_str() : searchTemplate;
    return match ? 1 : 0;
}

int16_t ParseMoviePage(TWebState &state,
                       std::string_view pageUrl,
                       std::u16string_view page,
                       std::u16string_view resultListMarker,
                       void (*cutResultList)(TWebState &, TFieldCutter &),
                       void (*cutDetails)(TWebMovieRec &, TFieldCutter &))
{
    TFieldCutter cut(page);
    if (cut.Contains(resultListMarker)) {
        cutResultList(state, cut);
        return RK_PARSE_RESULT_LIST;
    }
    state.movie = TWebMovieRec();
    state.resultCount = 1;
    cutDetails(state.movie, cut);
    state.movie.URL = FromAnsi(pageUrl);
    return RK_PARSE_DETAILS;
}
