#include <gtest/gtest.h>

#include "host/pluginmenu.h"
#include "host/pluginregistry.h"
#include "pluginfolder.h"

using namespace Qt::StringLiterals;

namespace {

// One plug-in of every type in type order, then one answering type 9: tag = index.
class PluginMenuTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.AddType("unknown", u"t0.so"_s));
        ASSERT_TRUE(folder.AddType("genrel", u"t1.so"_s));
        ASSERT_TRUE(folder.AddType("infoen", u"t2.so"_s));
        ASSERT_TRUE(folder.Add(TestPluginPath(u"testimport.so"_s), u"t3.so"_s));
        ASSERT_TRUE(folder.AddType("poster", u"t4.so"_s));
        ASSERT_TRUE(folder.AddType("cover", u"t5.so"_s));
        ASSERT_TRUE(folder.AddType("people", u"t6.so"_s));
        ASSERT_TRUE(folder.AddType("export", u"t7.so"_s));
        ASSERT_TRUE(folder.AddType("odd", u"t9.so"_s));
        registry.Discover(folder.Path(), RK_LANG_ENGLISH);
        ASSERT_EQ(registry.Count(), 9);
        menu.SetHasRecords(true);
    }

    TPluginFolder folder;
    TPluginRegistry registry;
    TPluginMenu menu{registry};
};

TEST_F(PluginMenuTest, ItemsForTypes2To7WithTheListIndexAsTag)
{
    const QList<TPluginMenuItem> items = menu.Items();
    ASSERT_EQ(items.size(), 6);
    for (const TPluginMenuItem &item : items) {
        EXPECT_EQ(item.pluginType, item.tag);
        EXPECT_EQ(item.caption, registry.Get(item.tag).Description);
        EXPECT_EQ(item.menu,
                  item.pluginType == 7 ? TPluginMenuKind::Export : TPluginMenuKind::Import);
    }
    EXPECT_EQ(menu.Item(0).tag, -1);
    EXPECT_EQ(menu.Item(1).tag, -1);
    EXPECT_EQ(menu.Item(8).tag, -1);
    EXPECT_EQ(TPluginMenu::FlowOf(3), TPluginFlow::ImportExport);
    EXPECT_EQ(TPluginMenu::FlowOf(7), TPluginFlow::ImportExport);
    EXPECT_EQ(TPluginMenu::FlowOf(5), TPluginFlow::WebInformation);
    EXPECT_EQ(TPluginMenu::FlowOf(1), TPluginFlow::None);
}

struct MenuStateCase
{
    const char *what;
    TListMode mode;
    bool hasRecords;
    bool readOnly;
    const char *visible; // types 2..7, '1' visible
    const char *enabled; // types 2..7, '1' enabled
};

void PrintTo(const MenuStateCase &c, std::ostream *os)
{
    *os << c.what;
}

class PluginMenuStates : public PluginMenuTest, public ::testing::WithParamInterface<MenuStateCase>
{};

TEST_P(PluginMenuStates, VisibilityAndEnabledState)
{
    const MenuStateCase &c = GetParam();
    menu.SetMode(c.mode);
    menu.SetHasRecords(c.hasRecords);
    menu.SetReadOnly(c.readOnly);
    for (int type = 2; type <= 7; ++type) {
        const TPluginMenuItem item = menu.Item(type);
        EXPECT_EQ(item.visible, c.visible[type - 2] == '1') << "type " << type;
        EXPECT_EQ(item.enabled, c.enabled[type - 2] == '1') << "type " << type;
    }
}

INSTANTIATE_TEST_SUITE_P(
    States,
    PluginMenuStates,
    ::testing::Values(
        //                                                      types 234567   234567
        MenuStateCase{"movies", TListMode::Movies, true, false, "111101", "111111"},
        MenuStateCase{"people", TListMode::People, true, false, "000011", "111111"},
        MenuStateCase{"empty list", TListMode::Movies, false, false, "111101", "010000"},
        MenuStateCase{"read-only", TListMode::Movies, true, true, "111101", "000001"},
        MenuStateCase{"read-only and empty", TListMode::People, false, true, "000011", "000000"}));

TEST_F(PluginMenuTest, ToolButtonsFollowModeAndDefaults)
{
    TPluginToolButton import = menu.ImportButton();
    EXPECT_EQ(import.tag, 2);
    EXPECT_TRUE(import.enabled);
    EXPECT_EQ(import.hint, registry.Get(2).Description);
    menu.SetMode(TListMode::People);
    EXPECT_EQ(menu.ImportButton().tag, 6);
    EXPECT_EQ(menu.ExportButton().tag, 7);

    // A button runs its menu item, so it is off whenever that item is.
    menu.SetHasRecords(false);
    EXPECT_FALSE(menu.ExportButton().enabled);
    EXPECT_EQ(menu.ExportButton().tag, 7);

    ASSERT_TRUE(registry.Uninstall(7));
    const TPluginToolButton none = menu.ExportButton();
    EXPECT_EQ(none.tag, -1);
    EXPECT_FALSE(none.enabled);
    EXPECT_TRUE(none.hint.isEmpty());
}

TEST_F(PluginMenuTest, CardButtonsNeedATitleAndRunTheirType)
{
    EXPECT_EQ(menu.CardButtonTarget(TCardButton::Information, u"Alien"_s, {}), 2);
    EXPECT_EQ(menu.CardButtonTarget(TCardButton::Poster, {}, u"Alien"_s), 4);
    EXPECT_EQ(menu.CardButtonTarget(TCardButton::Cover, u"Alien"_s, u"Alien"_s), 5);
    EXPECT_EQ(menu.CardButtonTarget(TCardButton::Information, {}, {}), -1);
    ASSERT_TRUE(registry.Uninstall(5));
    EXPECT_EQ(menu.CardButtonTarget(TCardButton::Cover, u"Alien"_s, {}), -1);
}

// Three movie-information plug-ins without a default: the menu's button takes the first, the
// card's information button the last, and a default overrides both.
TEST(PluginMenuDefaults, ButtonsFallBackDifferentlyUntilADefaultIsSet)
{
    TPluginFolder folder;
    ASSERT_TRUE(folder.AddType("infode", u"a.so"_s));
    ASSERT_TRUE(folder.AddType("infode2", u"b.so"_s));
    ASSERT_TRUE(folder.AddType("bare", u"c.so"_s));
    TPluginRegistry registry;
    registry.Discover(folder.Path(), RK_LANG_ITALIAN);
    registry.ReadSettings(TMemoryPluginSettings());
    TPluginMenu menu(registry);
    menu.SetHasRecords(true);
    EXPECT_EQ(menu.ImportButton().tag, 0);
    EXPECT_EQ(menu.CardButtonTarget(TCardButton::Information, u"x"_s, {}), 2);
    registry.SetDefault(1);
    EXPECT_EQ(menu.ImportButton().tag, 1);
    EXPECT_EQ(menu.CardButtonTarget(TCardButton::Information, u"x"_s, {}), 1);
}

TEST(PluginMenuUninstall, LaterItemsMoveDownOneTag)
{
    TPluginFolder folder;
    ASSERT_TRUE(folder.AddType("infoen", u"a.so"_s));
    ASSERT_TRUE(folder.AddType("poster", u"b.so"_s));
    ASSERT_TRUE(folder.AddType("export", u"c.so"_s));
    TPluginRegistry registry;
    registry.Discover(folder.Path(), RK_LANG_ENGLISH);
    TPluginMenu menu(registry);
    menu.SetHasRecords(true);
    ASSERT_TRUE(registry.Uninstall(1));
    const QList<TPluginMenuItem> items = menu.Items();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[1].tag, 1);
    EXPECT_EQ(items[1].caption, u"Description export (en)"_s);
    EXPECT_EQ(menu.ExportButton().tag, 1);

    registry.RefreshTexts(RK_LANG_GERMAN);
    EXPECT_EQ(menu.Item(1).caption, u"Description export (de)"_s);
    EXPECT_EQ(menu.ExportButton().hint, u"Description export (de)"_s);
}

} // namespace
