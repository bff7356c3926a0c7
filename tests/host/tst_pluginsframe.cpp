#include <gtest/gtest.h>

#include <QFile>

#include "host/pluginsframe.h"
#include "pluginfolder.h"

using namespace Qt::StringLiterals;

namespace {

class TAnswer : public IYesNoQuestion
{
public:
    bool AskYesNo(const QString &caption, const QString &text) override
    {
        asked.append(caption + u'|' + text);
        return answer;
    }
    bool answer = true;
    QStringList asked;
};

// a: movie information (mask from the settings, with a bit beyond the list), b: import,
// c: people, d: movie information with a dialog.
class PluginsFrameTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.AddType("infode", u"a.so"_s));
        ASSERT_TRUE(folder.Add(TestPluginPath(u"testimport.so"_s), u"b.so"_s));
        ASSERT_TRUE(folder.AddType("people", u"c.so"_s));
        ASSERT_TRUE(folder.AddType("infoen", u"d.so"_s));
        registry.Discover(folder.Path(), RK_LANG_ENGLISH);
        TMemoryPluginSettings settings;
        settings.values[u"a.so"_s] = QString::number((1 << 25) | 0b101);
        settings.values[u"AutoAddPeople"_s] = u"1"_s;
        registry.ReadSettings(settings);
        frame.Load();
    }

    TPluginFolder folder;
    TPluginRegistry registry;
    TAnswer answer;
    TRecordingSink sink;
    TPluginsFrame frame{registry, answer, &sink};
};

TEST_F(PluginsFrameTest, RowsShowTheListWithTheDefaultInBold)
{
    const QList<TPluginsFrameRow> &rows = frame.Rows();
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[0].typeName, u"Movie Information"_s);
    EXPECT_EQ(rows[1].typeName, u"General Import"_s);
    EXPECT_EQ(rows[3].version, u"2.0.infoen"_s);
    EXPECT_EQ(rows[3].name, u"Name infoen (en)"_s);
    // The English d is the type's default by language, b (English) for type 3.
    EXPECT_EQ(QList<bool>({rows[0].bold, rows[1].bold, rows[2].bold, rows[3].bold}),
              QList<bool>({false, true, false, true}));
    EXPECT_TRUE(frame.AutoAddPeople());
    EXPECT_FALSE(frame.SilentMode());
}

struct SelectionCase
{
    int row;
    TOverwriteGroup group;
    qsizetype fields;
    const char16_t *lastField;
    bool configure;
    const char16_t *defaultCaption;
};

class PluginsFrameSelection : public PluginsFrameTest,
                              public ::testing::WithParamInterface<SelectionCase>
{};

TEST_P(PluginsFrameSelection, ShowsTheListOfTheRowsType)
{
    const SelectionCase &c = GetParam();
    frame.Select(c.row);
    EXPECT_EQ(frame.VisibleGroup(), c.group);
    const QStringList items = frame.OverwriteItems();
    ASSERT_EQ(items.size(), c.fields);
    EXPECT_EQ(frame.OverwriteChecks().size(), c.fields);
    if (c.fields > 0) {
        EXPECT_EQ(items.last(), QString::fromUtf16(c.lastField));
    }
    EXPECT_EQ(frame.ConfigureEnabled(), c.configure);
    EXPECT_EQ(frame.DefaultButtonCaption(), QString::fromUtf16(c.defaultCaption));
}

INSTANTIATE_TEST_SUITE_P(
    Rows,
    PluginsFrameSelection,
    ::testing::Values(
        SelectionCase{0,
                      TOverwriteGroup::Movie,
                      21,
                      u"Features",
                      false,
                      u"Set as &default for Movie Information"},
        SelectionCase{
            1, TOverwriteGroup::None, 0, nullptr, false, u"Set as &default for General Import"},
        SelectionCase{
            2, TOverwriteGroup::Person, 10, u"Awards", false, u"Set as &default for People Import"},
        SelectionCase{3,
                      TOverwriteGroup::Movie,
                      21,
                      u"Features",
                      true,
                      u"Set as &default for Movie Information"},
        SelectionCase{4, TOverwriteGroup::None, 0, nullptr, false, u""}));

TEST_F(PluginsFrameTest, OverwriteListsAreInBitOrder)
{
    const QStringList movie = TPluginsFrame::MovieOverwriteFields();
    EXPECT_EQ(movie.indexOf(u"Year"_s), 3);
    EXPECT_EQ(movie.indexOf(u"Rating"_s), 13);
    EXPECT_EQ(movie.indexOf(u"Duration"_s), 17);
    const QStringList person = TPluginsFrame::PersonOverwriteFields();
    EXPECT_EQ(person.indexOf(u"Birthday"_s), 3);
    EXPECT_EQ(person.indexOf(u"Biography"_s), 7);
}

TEST_F(PluginsFrameTest, BoxesEditTheWorkingMaskUntilAccepted)
{
    frame.Select(0);
    EXPECT_EQ(frame.OverwriteChecks().mid(0, 3), QList<bool>({true, false, true}));
    frame.SetOverwriteChecked(1, true);
    frame.SetOverwriteChecked(0, false);
    frame.SetOverwriteChecked(21, true); // beyond the list: ignored
    EXPECT_EQ(frame.Rows()[0].workingMask, (1U << 25) | 0b110);
    EXPECT_EQ(registry.Get(0).OverwriteMask, (1U << 25) | 0b101);

    // All and None touch the visible list's bits only.
    frame.CheckAll(true);
    EXPECT_EQ(frame.Rows()[0].workingMask, (1U << 25) | 0x1FFFFF);
    frame.Select(2);
    frame.CheckAll(true);
    frame.SetOverwriteChecked(9, false);
    EXPECT_EQ(frame.Rows()[2].workingMask, 0x1FFU);
    frame.Select(0);
    frame.CheckAll(false);
    EXPECT_EQ(frame.Rows()[0].workingMask, 1U << 25);
    frame.SetSilentMode(true);

    frame.Accept();
    EXPECT_EQ(registry.Get(0).OverwriteMask, 1U << 25);
    EXPECT_EQ(registry.Get(2).OverwriteMask, 0x1FFU);
    EXPECT_TRUE(registry.SilentMode());
    EXPECT_TRUE(registry.AutoAddPeople());
}

TEST_F(PluginsFrameTest, SetDefaultActsAtOnceAndMovesTheBold)
{
    frame.Select(0);
    frame.SetDefault();
    EXPECT_TRUE(registry.Get(0).IsDefault);
    EXPECT_FALSE(registry.Get(3).IsDefault);
    EXPECT_TRUE(frame.Rows()[0].bold);
    EXPECT_FALSE(frame.Rows()[3].bold);
    EXPECT_TRUE(frame.Rows()[1].bold);
}

TEST_F(PluginsFrameTest, UninstallAsksFirst)
{
    frame.Select(1);
    answer.answer = false;
    EXPECT_FALSE(frame.Uninstall());
    EXPECT_EQ(answer.asked,
              QStringList({u"Confirm|Do you really want to uninstall this plug-in?"_s}));
    EXPECT_EQ(registry.Count(), 4);
    EXPECT_TRUE(QFile::exists(folder.FilePath(u"b.so"_s)));

    answer.answer = true;
    EXPECT_TRUE(frame.Uninstall());
    EXPECT_FALSE(QFile::exists(folder.FilePath(u"b.so"_s)));
    EXPECT_EQ(registry.Count(), 3);
    ASSERT_EQ(frame.Rows().size(), 3);
    EXPECT_EQ(frame.Rows()[1].typeName, u"People Import"_s);
    EXPECT_EQ(frame.Selected(), -1);
    EXPECT_TRUE(sink.messages.isEmpty());
}

// The rows stay aligned with the registry, so an edit after a failed uninstall reaches the
// plug-in it was made on.
TEST_F(PluginsFrameTest, FailedUninstallIsReportedAndKeepsRowsAligned)
{
    ASSERT_TRUE(QFile::remove(folder.FilePath(u"a.so"_s)));
    frame.Select(0);
    EXPECT_TRUE(frame.Uninstall());
    ASSERT_EQ(sink.messages.size(), 1);
    EXPECT_EQ(sink.messages[0].kind, TMessageKind::Error);
    EXPECT_TRUE(sink.messages[0].text.contains(u"a.so"_s));
    ASSERT_EQ(frame.Rows().size(), registry.Count());

    frame.Select(1); // the people plug-in, now at index 1
    frame.CheckAll(true);
    frame.Accept();
    EXPECT_EQ(registry.Get(1).PluginType, RK_PLUGIN_PEOPLE_IMPORT);
    EXPECT_EQ(registry.Get(1).OverwriteMask, 0x3FFU);
}

} // namespace
