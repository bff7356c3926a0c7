#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QListWidget>

#include "app/prefs/groupeditor.h"
#include "tests/support/widgettest.h"

using namespace Qt::StringLiterals;

namespace {

const QStringList Fields = {u"ID"_s, u"Year"_s, u"Genre"_s, u"Rating"_s, u"Tags"_s};

struct GroupEditorTest : ::testing::Test
{
    GroupEditorTest() { editor.SetGroups({3, 99, -1, 1}); }

    void Click(const char *name)
    {
        auto *button = Child<QAbstractButton>(&editor, name);
        ASSERT_TRUE(button && button->isEnabled()) << name;
        button->click();
    }

    TGroupEditor editor{u"MovieGroups"_s, 680, Fields, nullptr};
    QListWidget *available = Child<QListWidget>(&editor, "AvailableList");
    QListWidget *chosen = Child<QListWidget>(&editor, "GroupList");
};

TEST_F(GroupEditorTest, UnknownFieldsAreDroppedAndChosenOnesHidden)
{
    ASSERT_EQ(chosen->count(), 2);
    EXPECT_EQ(chosen->item(0)->text(), u"Rating"_s);
    EXPECT_TRUE(available->item(3)->isHidden());
    EXPECT_TRUE(available->item(1)->isHidden());
    EXPECT_EQ(editor.Groups(), QList<int>({3, 1}));
}

TEST_F(GroupEditorTest, AddMoveAndRemoveKeepEachFieldOnce)
{
    available->setCurrentRow(4);
    Click("AddBtn");
    EXPECT_TRUE(available->item(4)->isHidden());
    EXPECT_FALSE(Child<QAbstractButton>(&editor, "AddBtn")->isEnabled()); // nothing visible after
    Click("UpBtn");
    EXPECT_EQ(editor.Groups(), QList<int>({3, 4, 1}));
    chosen->setCurrentRow(0);
    Click("RemoveBtn");
    EXPECT_FALSE(available->item(3)->isHidden());
    EXPECT_EQ(editor.Groups(), QList<int>({4, 1}));
}

TEST_F(GroupEditorTest, ChosenLevelsFollowTranslatedNames)
{
    available->item(3)->setText(u"Bewertung"_s);
    editor.RefreshCaptions();
    EXPECT_EQ(chosen->item(0)->text(), u"Bewertung"_s);
}

} // namespace
