// The exports only the movie-information plug-ins have (webinfoa, webinfob, webinfod).
#include "webexports.h"

extern "C" {

RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL CanConfig() noexcept
{
    return PluginSite().configure ? -1 : 0;
}

RK_PLUGIN_EXPORT void RK_PLUGIN_CALL Configure(int32_t lang, void *ownerWindow) noexcept
{
    try {
        if (const auto configure = PluginSite().configure)
            configure(lang, reinterpret_cast<uintptr_t>(ownerWindow));
    } catch (...) {
    }
}

RK_PLUGIN_EXPORT const char16_t *RK_PLUGIN_CALL GetAbout(int32_t lang) noexcept
{
    return PluginSite().about.For(lang);
}

// The index is not used: a details page gives one record. The strings stay valid until
// the next Parse.
RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL GetMovie(int32_t, TMovieRec *movie) noexcept
{
    return FillMovieRec(PluginState().movie, movie);
}

} // extern "C"
