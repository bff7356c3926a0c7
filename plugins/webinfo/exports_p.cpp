// webinfop.so serves Wikidata (people).
#include "sites.h"
#include "webexports.h"

const TWebSite &PluginSite()
{
    return SiteP();
}
