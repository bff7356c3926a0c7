#include "catalog/settingsconvert.h"

#include <algorithm>
#include <limits>

namespace {

bool IsOld(int settingsVersion)
{
    return settingsVersion <= LastOldSettingsVersion;
}

// Indexes and counts come from a settings file; keep the arithmetic defined for any int.
int Shifted(int value, int delta)
{
    const long long shifted = static_cast<long long>(value) + delta;
    return static_cast<int>(std::clamp<long long>(
        shifted, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

} // namespace

int OldItemIndex(int index, int settingsVersion)
{
    if (!IsOld(settingsVersion))
        return index;
    if (index < 0 || index == 2 || index == 16 || index == 21 || index == 41)
        return -1;
    if (index <= 1)
        return index;
    if (index <= 15)
        return index - 1;
    if (index <= 20)
        return index - 2;
    if (index <= 40)
        return index - 3;
    return index - 4;
}

int OldColumnIndex(int index, int settingsVersion)
{
    if (!IsOld(settingsVersion))
        return index;
    if (index < 0 || index == 4 || index == 18)
        return -1;
    if (index <= 3)
        return index;
    if (index <= 17)
        return index - 1;
    if (index <= 23)
        return index - 2;
    if (index == 24)
        return 24;
    if (index <= 41)
        return index - 3;
    return index - 4;
}

int OldColorIndex(int index, int settingsVersion)
{
    if (!IsOld(settingsVersion))
        return index;
    if (index < 0 || index == 12 || index == 13)
        return -1;
    if (index <= 11)
        return index;
    return index - 2;
}

int OldColumnCount(int count, int settingsVersion)
{
    if (!IsOld(settingsVersion))
        return count;
    return Shifted(count, settingsVersion < 9003 ? 7 : 5);
}

int NewColumnIndex(int index, int settingsVersion)
{
    if (!IsOld(settingsVersion))
        return index;
    if (index < 0)
        return -1;
    if (index <= 3)
        return index;
    if (index <= 16)
        return index + 1;
    if (index <= 21)
        return index + 2;
    if (index <= 38)
        return index + 3;
    return Shifted(index, 4);
}
