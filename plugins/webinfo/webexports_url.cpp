// GetURL of the movie and poster plug-ins (types 2 and 4), which pass the is-episode flag.
#include "webexports.h"

extern "C" {

// The is-episode flag makes no difference to these sites.
RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL GetURL(int32_t,
                                               const char *recordUrls,
                                               const char **outUrl) noexcept
{
    return SiteUrl(recordUrls, outUrl);
}

} // extern "C"
