// webinfoa.so serves the Spanish film site.
#include "sites.h"
#include "webexports.h"

const TWebSite &PluginSite()
{
    return SiteA();
}
