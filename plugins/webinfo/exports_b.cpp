// webinfob.so serves the Italian film site.
#include "sites.h"
#include "webexports.h"

const TWebSite &PluginSite()
{
    return SiteB();
}
