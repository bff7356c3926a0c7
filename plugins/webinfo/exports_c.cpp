// webinfoc.so serves the German shop (posters).
#include "sites.h"
#include "webexports.h"

const TWebSite &PluginSite()
{
    return SiteC();
}
