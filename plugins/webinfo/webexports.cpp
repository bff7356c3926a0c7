// The exports every internet-information plug-in has. Compiled into each library, so
// each has its own module state; nothing may escape an export, so each one that does
// more than return a constant catches everything and gives the empty or zero answer.
#include "webexports.h"

#include <string_view>

TWebState &PluginState()
{
    static TWebState state;
    return state;
}

int32_t SiteUrl(const char *recordUrls, const char **outUrl) noexcept
{
    const char *answer = "";
    int32_t result = 0;
    try {
        result = PluginSite().getUrl(PluginState(), recordUrls ? recordUrls : "", &answer);
    } catch (...) {
        answer = "";
        result = 0;
    }
    if (outUrl)
        *outUrl = answer;
    return result;
}

extern "C" {

RK_PLUGIN_EXPORT int16_t RK_PLUGIN_CALL GetType() noexcept
{
    return PluginSite().type;
}

RK_PLUGIN_EXPORT const char16_t *RK_PLUGIN_CALL GetName(int32_t) noexcept
{
    return PluginSite().name;
}

RK_PLUGIN_EXPORT const char16_t *RK_PLUGIN_CALL GetDescription(int32_t lang) noexcept
{
    return PluginSite().description.For(lang);
}

RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL GetVersionSupported() noexcept
{
    return WebVersionSupported;
}

// The name is the contract's, misspelling included.
RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL CheckRKDVerion(int32_t hostVersion) noexcept
{
    return hostVersion >= WebVersionSupported ? -1 : 0;
}

RK_PLUGIN_EXPORT const char *RK_PLUGIN_CALL GetPluginVersion() noexcept
{
    return PluginSite().pluginVersion;
}

RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL GetPluginLanguage() noexcept
{
    return PluginSite().language;
}

RK_PLUGIN_EXPORT int16_t RK_PLUGIN_CALL Parse(const char *pageUrl,
                                              const char16_t *pageText) noexcept
{
    TWebState &state = PluginState();
    try {
        return PluginSite().parse(state, pageUrl ? pageUrl : "", pageText ? pageText : u"");
    } catch (...) {
        // Out of memory half-way: a partial list is no answer; 0 ends the host's flow.
        state.results.clear();
        state.resultCount = 0;
        state.pictureUrl.clear();
        return 0;
    }
}

RK_PLUGIN_EXPORT const char16_t *RK_PLUGIN_CALL GetSelectTitle(int32_t lang) noexcept
{
    return PluginSite().selectTitle.For(lang);
}

RK_PLUGIN_EXPORT int16_t RK_PLUGIN_CALL FetchFailed(const char *) noexcept
{
    TWebState &state = PluginState();
    try {
        const auto fetchFailed = PluginSite().fetchFailed;
        return fetchFailed ? fetchFailed(state) : int16_t(0);
    } catch (...) {
        state.results.clear();
        state.resultCount = 0;
        return 0;
    }
}

RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL GetResultsCount() noexcept
{
    return PluginState().resultCount;
}

RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL GetSelection(int32_t index,
                                                     const char16_t **outTitle,
                                                     const char **outUrl,
                                                     const char **outPictureUrl,
                                                     const char **outBrowseUrl) noexcept
{
    return SelectionOf(PluginState(), index, outTitle, outUrl, outPictureUrl, outBrowseUrl);
}

} // extern "C"
