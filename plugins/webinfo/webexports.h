#pragma once

#include "webframe.h"

// The binding of one plug-in library: its site (defined by its exports_X.cpp) and its
// module state (one per library, since every library links its own copy).
const TWebSite &PluginSite();
TWebState &PluginState();
