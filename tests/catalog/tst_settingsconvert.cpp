#include <limits>

#include <gtest/gtest.h>

#include "catalog/settingsconvert.h"

namespace {

using TConverter = int (*)(int, int);

struct TMappingCase
{
    const char *Name;
    TConverter Convert;
    int Index;
    int Expected;
};

void PrintTo(const TMappingCase &c, std::ostream *os)
{
    *os << c.Name << '(' << c.Index << ')';
}

class OldSettingsTest : public ::testing::TestWithParam<TMappingCase>
{};

// Every range boundary of the old numbering, for the last old version.
TEST_P(OldSettingsTest, MapsBoundaries)
{
    const auto &c = GetParam();
    EXPECT_EQ(c.Convert(c.Index, LastOldSettingsVersion), c.Expected);
}

// Newer files already use the current numbering.
TEST_P(OldSettingsTest, NewerVersionKeepsIndex)
{
    const auto &c = GetParam();
    EXPECT_EQ(c.Convert(c.Index, LastOldSettingsVersion + 1), c.Index);
}

INSTANTIATE_TEST_SUITE_P(Items,
                         OldSettingsTest,
                         ::testing::Values(TMappingCase{"OldItemIndex", OldItemIndex, 0, 0},
                                           TMappingCase{"OldItemIndex", OldItemIndex, 1, 1},
                                           TMappingCase{"OldItemIndex", OldItemIndex, 2, -1},
                                           TMappingCase{"OldItemIndex", OldItemIndex, 3, 2},
                                           TMappingCase{"OldItemIndex", OldItemIndex, 15, 14},
                                           TMappingCase{"OldItemIndex", OldItemIndex, 16, -1},
                                           TMappingCase{"OldItemIndex", OldItemIndex, 17, 15},
                                           TMappingCase{"OldItemIndex", OldItemIndex, 20, 18},
                                           TMappingCase{"OldItemIndex", OldItemIndex, 21, -1},
                                           TMappingCase{"OldItemIndex", OldItemIndex, 22, 19},
                                           TMappingCase{"OldItemIndex", OldItemIndex, 40, 37},
                                           TMappingCase{"OldItemIndex", OldItemIndex, 41, -1},
                                           TMappingCase{"OldItemIndex", OldItemIndex, 42, 38},
                                           TMappingCase{"OldItemIndex", OldItemIndex, 43, 39},
                                           TMappingCase{"OldItemIndex", OldItemIndex, -1, -1}));

INSTANTIATE_TEST_SUITE_P(Columns,
                         OldSettingsTest,
                         ::testing::Values(TMappingCase{"OldColumnIndex", OldColumnIndex, 0, 0},
                                           TMappingCase{"OldColumnIndex", OldColumnIndex, 3, 3},
                                           TMappingCase{"OldColumnIndex", OldColumnIndex, 4, -1},
                                           TMappingCase{"OldColumnIndex", OldColumnIndex, 5, 4},
                                           TMappingCase{"OldColumnIndex", OldColumnIndex, 17, 16},
                                           TMappingCase{"OldColumnIndex", OldColumnIndex, 18, -1},
                                           TMappingCase{"OldColumnIndex", OldColumnIndex, 19, 17},
                                           TMappingCase{"OldColumnIndex", OldColumnIndex, 23, 21},
                                           TMappingCase{"OldColumnIndex", OldColumnIndex, 24, 24},
                                           TMappingCase{"OldColumnIndex", OldColumnIndex, 25, 22},
                                           TMappingCase{"OldColumnIndex", OldColumnIndex, 41, 38},
                                           TMappingCase{"OldColumnIndex", OldColumnIndex, 42, 38},
                                           TMappingCase{"OldColumnIndex", OldColumnIndex, -5, -1},
                                           TMappingCase{"NewColumnIndex", NewColumnIndex, 3, 3},
                                           TMappingCase{"NewColumnIndex", NewColumnIndex, 4, 5},
                                           TMappingCase{"NewColumnIndex", NewColumnIndex, 16, 17},
                                           TMappingCase{"NewColumnIndex", NewColumnIndex, 17, 19},
                                           TMappingCase{"NewColumnIndex", NewColumnIndex, 21, 23},
                                           TMappingCase{"NewColumnIndex", NewColumnIndex, 22, 25},
                                           TMappingCase{"NewColumnIndex", NewColumnIndex, 38, 41},
                                           TMappingCase{"NewColumnIndex", NewColumnIndex, 39, 43},
                                           TMappingCase{"NewColumnIndex", NewColumnIndex, -1, -1},
                                           TMappingCase{"NewColumnIndex",
                                                        NewColumnIndex,
                                                        std::numeric_limits<int>::max(),
                                                        std::numeric_limits<int>::max()}));

INSTANTIATE_TEST_SUITE_P(Colors,
                         OldSettingsTest,
                         ::testing::Values(TMappingCase{"OldColorIndex", OldColorIndex, 0, 0},
                                           TMappingCase{"OldColorIndex", OldColorIndex, 11, 11},
                                           TMappingCase{"OldColorIndex", OldColorIndex, 12, -1},
                                           TMappingCase{"OldColorIndex", OldColorIndex, 13, -1},
                                           TMappingCase{"OldColorIndex", OldColorIndex, 14, 12},
                                           TMappingCase{"OldColorIndex", OldColorIndex, 20, 18},
                                           TMappingCase{"OldColorIndex", OldColorIndex, -1, -1}));

// Reading an old column through its current index must land on the same old column.
TEST(ColumnConversionTest, OldIndexSurvivesTheRoundTrip)
{
    for (int oldIndex = 0; oldIndex < 60; ++oldIndex) {
        EXPECT_EQ(OldColumnIndex(NewColumnIndex(oldIndex, 9004), 9004), oldIndex) << oldIndex;
    }
}

TEST(ColumnCountTest, DependsOnVersion)
{
    EXPECT_EQ(OldColumnCount(40, 9001), 47);
    EXPECT_EQ(OldColumnCount(40, 9002), 47);
    EXPECT_EQ(OldColumnCount(40, 9003), 45);
    EXPECT_EQ(OldColumnCount(40, 9004), 45);
    EXPECT_EQ(OldColumnCount(40, 9005), 40);
    EXPECT_EQ(OldColumnCount(40, 9006), 40);
    // A count read from a damaged file must not overflow.
    EXPECT_EQ(OldColumnCount(std::numeric_limits<int>::max(), 9001),
              std::numeric_limits<int>::max());
}

} // namespace
