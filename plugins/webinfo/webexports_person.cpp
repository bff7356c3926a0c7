// The exports only the people plug-ins have (webinfop).
#include "webexports.h"

extern "C" {

RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL CanConfig() noexcept
{
    return 0;
}

RK_PLUGIN_EXPORT const char16_t *RK_PLUGIN_CALL GetAbout(int32_t lang) noexcept
{
    return PluginSite().about.For(lang);
}

// Type 6 has no is-episode flag.
RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL GetURL(const char *recordUrls, const char **outUrl) noexcept
{
    return SiteUrl(recordUrls, outUrl);
}

// A details answer gives one person; the strings stay valid until the next Parse.
RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL GetHuman(int32_t, THumanRec *human) noexcept
{
    return FillHumanRec(PluginState().human, human);
}

} // extern "C"
