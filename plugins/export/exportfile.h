#pragma once

#include "plugins/common/partialfile.h"
#include "plugins/common/pluginconfig.h"
#include "plugins/common/unicodetext.h"

// Pieces both export plug-ins share: text conversion, the settings folder and a file that
// appears at its name only when complete.
