// webinfod.so serves Wikidata (movie information).
#include "sites.h"
#include "webexports.h"

const TWebSite &PluginSite()
{
    return SiteD();
}
