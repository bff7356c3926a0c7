// The record commands on the lists without the window.
#include <gtest/gtest.h>

#include "app/recordcommands.h"
#include "tests/support/commandfixture.h"

namespace {

using RecordCommandsTest = CommandFixture;

TEST_F(RecordCommandsTest, SeenMarksTheSelectionAndBookmarksClearEverywhere)
{
    Start({{u"Alien"_s, u"Horror"_s, 1979}, {u"Brazil"_s, u"Comedy"_s, 1985}});
    TRecordCommands records(*host, settings);
    TMovie *alien = MovieTitled(u"Alien"_s);
    TMovie *brazil = MovieTitled(u"Brazil"_s);
    Focus(alien);
    AddToSelection(brazil);
    records.SetSeen(true, 5.0);
    for (TMovie *movie : {alien, brazil}) {
        EXPECT_TRUE(movie->Viewed());
        EXPECT_EQ(movie->Viewdate(), 5.0);
    }
    records.ToggleSeen();
    EXPECT_FALSE(alien->Viewed() || brazil->Viewed());

    alien->SetBookmark(true);
    brazil->SetBookmark(true);
    records.ClearBookmarks();
    EXPECT_FALSE(alien->Bookmark() || brazil->Bookmark());
}

} // namespace
