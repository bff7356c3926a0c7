#pragma once

#include "webframe.h"

// The binding of one plug-in library: its site (defined by its exports_X.cpp) and its
// module state (one per library, since every library links its own copy).
const TWebSite &PluginSite();
TWebState &PluginState();
// GetURL's common part: the site's answer for the record's URLs, "" and 0 on failure.
int32_t SiteUrl(const char *recordUrls, const char **outUrl) noexcept;
