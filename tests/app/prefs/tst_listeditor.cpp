#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QListWidget>

#include "app/prefs/listeditor.h"
#include "tests/support/widgettest.h"

using namespace Qt::StringLiterals;

namespace {

bool Enabled(QWidget *editor, const char *name)
{
    return Child<QAbstractButton>(editor, name)->isEnabled();
}

TEST(ListEditor, ButtonsFollowTheRowAndTheText)
{
    TListEditor editor(u"GenresList"_s, nullptr);
    editor.SetItems({u"Drama"_s, u"Horror"_s, u"Western"_s});
    auto *list = Child<QListWidget>(&editor, "ItemList");
    auto *edit = Child<QLineEdit>(&editor, "ItemEdit");
    struct Case
    {
        int row;
        bool up, down, remove;
    };
    for (const Case c : {Case{-1, false, false, false},
                         Case{0, false, true, true},
                         Case{1, true, true, true},
                         Case{2, true, false, true}}) {
        list->setCurrentRow(c.row);
        EXPECT_EQ(Enabled(&editor, "UpBtn"), c.up) << c.row;
        EXPECT_EQ(Enabled(&editor, "DownBtn"), c.down) << c.row;
        EXPECT_EQ(Enabled(&editor, "DeleteBtn"), c.remove) << c.row;
    }
    edit->setText(u"   "_s);
    EXPECT_FALSE(Enabled(&editor, "AddBtn"));
    EXPECT_FALSE(Enabled(&editor, "ChangeBtn"));
}

TEST(ListEditor, AddChangeAndMoveEditTheItems)
{
    TListEditor editor(u"GenresList"_s, nullptr);
    editor.SetItems({u"Drama"_s, u"Horror"_s});
    auto *list = Child<QListWidget>(&editor, "ItemList");
    auto *edit = Child<QLineEdit>(&editor, "ItemEdit");

    edit->setText(u"  Komödie "_s);
    Child<QAbstractButton>(&editor, "AddBtn")->click();
    EXPECT_TRUE(edit->text().isEmpty());
    EXPECT_EQ(list->currentRow(), 2);
    Child<QAbstractButton>(&editor, "UpBtn")->click();
    list->setCurrentRow(0); // selecting a row puts its text into the edit
    EXPECT_EQ(edit->text(), u"Drama"_s);
    edit->setText(u"Thriller"_s);
    Child<QAbstractButton>(&editor, "ChangeBtn")->click();
    EXPECT_EQ(editor.Items(), QStringList({u"Thriller"_s, u"Komödie"_s, u"Horror"_s}));
}

} // namespace
