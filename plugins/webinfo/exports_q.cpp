// webinfoq.so serves Wikidata (posters).
#include "sites.h"
#include "webexports.h"

const TWebSite &PluginSite()
{
    return SiteQ();
}
