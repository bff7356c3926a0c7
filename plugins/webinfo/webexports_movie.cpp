// The exports only the movie-information plug-ins have (webinfoa, webinfob).
#include "webexports.h"

extern "C" {

// No plug-in of these sites has a configuration dialog.
RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL CanConfig() noexcept
{
    return 0;
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
