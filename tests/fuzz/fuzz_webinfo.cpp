// Fuzz entry point for the site parsers of the internet-information plug-ins:
// arbitrary page text must never crash, hang or read out of range, and what a Parse
// leaves behind must be consistent with its answer.
//
// An input is a page in UTF-8 (so the fixture pages, HTML and JSON alike, serve as seeds and
// markers with accents can be reached); a first byte 0xFF, which starts no UTF-8 text,
// makes the rest raw UTF-16LE, which reaches every code unit including lone surrogates.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "plugins/webinfo/fieldcutter.h"
#include "plugins/webinfo/sites.h"

namespace {

// Lenient UTF-8: a byte that starts no valid sequence becomes U+FFFD on its own.
std::u16string FromUtf8(const uint8_t *data, size_t size)
{
    std::u16string text;
    text.reserve(size);
    size_t i = 0;
    while (i < size) {
        const uint8_t lead = data[i];
        size_t length = lead < 0x80                   ? 1
                        : lead >= 0xF0 && lead < 0xF5 ? 4
                        : lead >= 0xE0                ? 3
                        : lead >= 0xC2 && lead < 0xE0 ? 2
                                                      : 0;
        if (lead >= 0xF5)
            length = 0;
        char32_t c = length == 1   ? lead
                     : length == 2 ? lead & 0x1F
                     : length == 3 ? lead & 0x0F
                                   : lead & 0x07;
        bool valid = length != 0 && i + length <= size;
        for (size_t k = 1; valid && k < length; ++k) {
            valid = (data[i + k] & 0xC0) == 0x80;
            c = (c << 6) | (data[i + k] & 0x3F);
        }
        if (!valid) {
            text.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        if (c >= 0x10000) {
            c -= 0x10000;
            text.push_back(char16_t(0xD800 + (c >> 10)));
            text.push_back(char16_t(0xDC00 + (c & 0x3FF)));
        } else {
            text.push_back(char16_t(c));
        }
        i += length;
    }
    return text;
}

std::u16string FromUtf16(const uint8_t *data, size_t size)
{
    std::u16string text(size / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = char16_t(data[2 * i] | data[2 * i + 1] << 8);
    return text;
}

// Every string handed out must be readable to its end.
void Touch(const char16_t *text)
{
    if (!text)
        __builtin_trap();
    volatile size_t length = std::char_traits<char16_t>::length(text);
    (void)length;
}

void Touch(const char *text)
{
    if (!text)
        __builtin_trap();
    volatile size_t length = std::strlen(text);
    (void)length;
}

void CheckState(const TWebState &state, int16_t answer)
{
    if (state.resultCount < 0 || size_t(state.resultCount) > state.results.size() + 1)
        __builtin_trap();
    for (int32_t i = 0; i <= state.resultCount; ++i) {
        const char16_t *title = nullptr;
        const char *url = nullptr;
        const char *picture = nullptr;
        const char *browse = nullptr;
        const int32_t found = SelectionOf(state, i, &title, &url, &picture, &browse);
        if ((found != 0) != (size_t(i) < state.results.size()))
            __builtin_trap();
        Touch(title);
        Touch(url);
        Touch(picture);
        Touch(browse);
    }
    if (answer == RK_PARSE_DETAILS) {
        TMovieRec movie{};
        FillMovieRec(state.movie, &movie);
        for (const char16_t *text : {movie.Title,
                                     movie.OrigTitle,
                                     movie.Genre,
                                     movie.Director,
                                     movie.Scenario,
                                     movie.Actors,
                                     movie.Country,
                                     movie.Studio,
                                     movie.RatingName,
                                     movie.Description,
                                     movie.URL}) {
            Touch(text);
        }
    }
}

// The cutter remembers earlier answers; they must equal a fresh search of the rest,
// whatever the order of searches and deletions the input's bytes choose.
void CheckCutter(const std::u16string &page, const uint8_t *data, size_t size)
{
    static constexpr std::u16string_view Markers[] = {u"<", u"\">", u"</td>", u"a", u"<td", u"zz"};
    TFieldCutter cut(page);
    for (size_t i = 0; i < size && !cut.Rest().empty(); ++i) {
        const std::u16string_view marker = Markers[data[i] % std::size(Markers)];
        if (cut.Find(marker) != cut.Rest().find(marker))
            __builtin_trap();
        cut.Delete(data[i] / std::size(Markers));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const std::u16string page =
        data[0] != 0xFF ? FromUtf8(data, size) : FromUtf16(data + 1, size - 1);
    const std::string pageUrl = ToAnsi(std::u16string_view(page).substr(0, 64));
    CheckCutter(page, data, size);

    // webinfoa keeps its list over result pages: a second parse doubles it.
    {
        TWebState state;
        const int16_t first = SiteA().parse(state, pageUrl, page);
        const size_t once = state.results.size();
        const int16_t second = SiteA().parse(state, pageUrl, page);
        if (first != second || state.results.size() != 2 * once)
            __builtin_trap();
        if (first == RK_PARSE_RESULT_LIST && size_t(state.resultCount) != state.results.size())
            __builtin_trap();
        if (first == RK_PARSE_DETAILS
            && (state.resultCount != 1 || state.movie.URL != FromAnsi(pageUrl)))
            __builtin_trap();
        CheckState(state, first);
    }
    {
        TWebState state;
        const int16_t answer = SiteB().parse(state, pageUrl, page);
        if (answer != RK_PARSE_DETAILS && answer != RK_PARSE_RESULT_LIST)
            __builtin_trap();
        if (answer == RK_PARSE_RESULT_LIST && size_t(state.resultCount) != state.results.size())
            __builtin_trap();
        CheckState(state, answer);
    }
    {
        TWebState state;
        const int16_t answer = SiteC().parse(state, pageUrl, page);
        // A poster answer and a kept poster address go together.
        if ((answer == RK_PARSE_FETCH_AGAIN) == state.pictureUrl.empty())
            __builtin_trap();
        if (answer == RK_PARSE_FETCH_AGAIN && !state.pictureUrl.ends_with("._S300S500_.jpg"))
            __builtin_trap();
        if (size_t(state.resultCount) != state.results.size())
            __builtin_trap();
        CheckState(state, answer);
        const char *url = nullptr;
        const int32_t direct = SiteC().getUrl(state, ToAnsi(page), &url);
        Touch(url);
        if (answer == RK_PARSE_FETCH_AGAIN && (direct != 1 || url != state.pictureUrl.c_str()))
            __builtin_trap();
    }
    // Wikidata: a fetch-again answer always leaves the address to fetch.
    for (const TWebSite *site : {&SiteD(), &SiteP(), &SiteQ()}) {
        TWebState state;
        const int16_t answer = site->parse(state, pageUrl, page);
        if (answer < RK_PARSE_DETAILS || answer > RK_PARSE_HUMANS_THEN_FETCH)
            __builtin_trap();
        const bool record = answer == RK_PARSE_DETAILS || answer == RK_PARSE_HUMANS_THEN_FETCH;
        if (size_t(state.resultCount) != state.results.size() && !record)
            __builtin_trap();
        CheckState(state, answer);
        const char *url = nullptr;
        const int32_t direct = site->getUrl(state, ToAnsi(page), &url);
        Touch(url);
        if ((answer == RK_PARSE_FETCH_AGAIN || answer == RK_PARSE_HUMANS_THEN_FETCH) && direct != 1)
            __builtin_trap();
        // That fetch failing: the end, or the record the site has without it. Also leaves
        // no request pending for the next input.
        if (site->fetchFailed) {
            const int16_t after = site->fetchFailed(state);
            if (after != 0 && after != RK_PARSE_DETAILS && after != RK_PARSE_HUMANS_THEN_FETCH)
                __builtin_trap();
            if (after != 0)
                CheckState(state, after);
        }
    }
    // The page as a record's URL list.
    {
        TWebState state;
        const char *url = nullptr;
        const int32_t direct = SiteA().getUrl(state, ToAnsi(page), &url);
        Touch(url);
        if (direct != 0 && direct != 1)
            __builtin_trap();
    }
    return 0;
}
