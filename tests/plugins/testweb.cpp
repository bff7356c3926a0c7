// A movie-information plug-in whose details pages may hold several movies, which no real
// site plug-in does: every line "movie <title>" of a page is one record. A page without
// such a line is a result list with nothing found. Searches go to testweb.example.
// Built with RK_TEST_COVER it is a cover plug-in that has nothing to fetch: its first
// answer is -1, with an address that would fail if it were fetched anyway.
#include <string>
#include <string_view>
#include <vector>

#include "plugin_api/importu.h"

namespace {

std::vector<std::u16string> g_titles;
std::u16string g_url;
std::string g_answer;

} // namespace

extern "C" {

RK_PLUGIN_EXPORT int16_t RK_PLUGIN_CALL GetType()
{
#ifdef RK_TEST_COVER
    return RK_PLUGIN_COVER_IMPORT;
#else
    return RK_PLUGIN_MOVIE_INFO;
#endif
}
RK_PLUGIN_EXPORT const char16_t *RK_PLUGIN_CALL GetName(int32_t)
{
    return u"testweb";
}
RK_PLUGIN_EXPORT const char16_t *RK_PLUGIN_CALL GetDescription(int32_t)
{
    return u"Several movies per page";
}
RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL GetVersionSupported()
{
    return 9005;
}

#ifdef RK_TEST_COVER
RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL GetURL(const char *, const char **out, const char *)
{
    *out = "http://testweb.example/no-cover-here";
    return -1;
}
#else
RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL GetURL(int32_t, const char *recordUrls, const char **out)
{
    g_answer = recordUrls ? recordUrls : "";
    const bool direct = g_answer.find("testweb.example") != std::string::npos;
    if (!direct)
        g_answer = "http://testweb.example/find?q=%s";
    *out = g_answer.c_str();
    return direct ? 1 : 0;
}
#endif

RK_PLUGIN_EXPORT int16_t RK_PLUGIN_CALL Parse(const char *pageUrl, const char16_t *page)
{
    g_titles.clear();
    const std::string_view url = pageUrl ? pageUrl : "";
    g_url.assign(url.begin(), url.end());
    std::u16string_view rest = page;
    while (!rest.empty()) {
        const size_t end = rest.find(u'\n');
        const std::u16string_view line = rest.substr(0, end);
        if (line.starts_with(u"movie "))
            g_titles.emplace_back(line.substr(6));
        rest = end == std::u16string_view::npos ? std::u16string_view() : rest.substr(end + 1);
    }
    return g_titles.empty() ? RK_PARSE_RESULT_LIST : RK_PARSE_DETAILS;
}

RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL GetResultsCount()
{
    return static_cast<int32_t>(g_titles.size());
}

RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL GetSelection(
    int32_t, const char16_t **title, const char **url, const char **picture, const char **browse)
{
    *title = u"";
    *url = *picture = *browse = "";
    return 0;
}

RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL GetMovie(int32_t index, TMovieRec *movie)
{
    if (index < 0 || size_t(index) >= g_titles.size())
        return 0;
    *movie = TMovieRec{};
    movie->Title = g_titles[size_t(index)].c_str();
    movie->URL = g_url.c_str();
    return -1;
}

} // extern "C"
