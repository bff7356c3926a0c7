// The card's edit state machine on the lists without the window.
#include <gtest/gtest.h>

#include "app/cardedit.h"
#include "app/recordcommands.h"
#include "tests/support/commandfixture.h"

namespace {

const QList<std::tuple<QString, QString, int>> Films = {{u"Alien"_s, u"Horror"_s, 1979},
                                                        {u"Brazil"_s, u"Comedy"_s, 1985},
                                                        {u"Clerks"_s, u"Comedy"_s, 1994}};

// How an edit of Alien ends: Apply, Cancel, or the focus moving on to Brazil.
enum class TEnd { Apply, Cancel, Leave };

struct TEndCase
{
    const char *name;
    TEnd end;
    bool stored; // the card's input reached the record
    QStringList rows;
    bool modified;
};

class CardEditEndTest : public CommandFixture, public ::testing::WithParamInterface<TEndCase>
{};

TEST_P(CardEditEndTest, EndingAnEditKeepsTheInputOrRestores)
{
    const TEndCase &c = GetParam();
    Start(Films);
    TMovie *alien = MovieTitled(u"Alien"_s);
    Focus(alien);
    db->SetModified(false);
    TCardEdit &edit = host->Edit();
    ASSERT_EQ(edit.EditState(), TEditState::Viewing);
    edit.EditRecord();
    ASSERT_EQ(edit.EditState(), TEditState::Editing);
    EXPECT_TRUE(host->cards[0].editing);
    // A field the card stores at once (a rating click) and the typed title, stored on leaving.
    alien->SetComment(u"stored at once"_s);
    host->cards[0].input = [](TDBItem &record) {
        static_cast<TMovie &>(record).SetTitle(u"Zelig"_s);
    };

    switch (c.end) {
    case TEnd::Apply:
        edit.ApplyEdits();
        break;
    case TEnd::Cancel:
        edit.CancelEdits();
        break;
    case TEnd::Leave:
        Focus(MovieTitled(u"Brazil"_s));
        break;
    }
    EXPECT_EQ(alien->Title(), c.stored ? u"Zelig"_s : u"Alien"_s);
    EXPECT_EQ(TopRows(), c.rows);
    EXPECT_EQ(db->Modified(), c.modified);
    EXPECT_EQ(edit.EditState(), TEditState::Viewing);
    EXPECT_FALSE(host->cards[0].editing);
}

INSTANTIATE_TEST_SUITE_P(
    Ends,
    CardEditEndTest,
    ::testing::Values(
        TEndCase{"Apply", TEnd::Apply, true, {u"Brazil"_s, u"Clerks"_s, u"Zelig"_s}, true},
        TEndCase{"Cancel", TEnd::Cancel, false, {u"Alien"_s, u"Brazil"_s, u"Clerks"_s}, false},
        TEndCase{"Leave", TEnd::Leave, true, {u"Brazil"_s, u"Clerks"_s, u"Zelig"_s}, true}),
    [](const auto &info) { return std::string(info.param.name); });

// A new record cancelled while still empty goes, and the catalog's modified flag is what it
// was before New.
class CardEditNewRecordTest : public CommandFixture, public ::testing::WithParamInterface<bool>
{};

TEST_P(CardEditNewRecordTest, EmptyNewRecordCancelledLeavesTheCatalogAsItWas)
{
    const bool modifiedBefore = GetParam();
    Start(Films);
    Focus(MovieTitled(u"Clerks"_s));
    db->SetModified(modifiedBefore);
    host->records.NewRecord();
    Movies()->FlushFocus();
    ASSERT_EQ(db->MovieCount(), 4);
    ASSERT_EQ(host->Edit().EditState(), TEditState::Editing);

    host->Edit().CancelEdits();
    EXPECT_EQ(db->MovieCount(), 3);
    EXPECT_EQ(db->Modified(), modifiedBefore);
    Movies()->FlushFocus();
    EXPECT_NE(MovieLists().Current(), nullptr);
    EXPECT_EQ(host->Edit().EditState(), TEditState::Viewing);
}

INSTANTIATE_TEST_SUITE_P(ModifiedBefore, CardEditNewRecordTest, ::testing::Bool());

} // namespace
