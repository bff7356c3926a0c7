// The window's own movie and person cards beside the lists: reading, editing through the
// card's fields, the seen mark and links back into the lists.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QStackedWidget>

#include "tests/support/mainfixture.h"
#include "tests/support/widgettest.h"
#include "views/actorframe.h"
#include "views/linktext.h"
#include "views/mvframe.h"

namespace {

using CardsTest = CardWindowFixture;

TEST_F(CardsTest, TheCardReadsAndEditsTheFocusedMovie)
{
    Start({{u"Alien"_s, u"Horror"_s, 1979}, {u"Brazil"_s, u"Comedy"_s, 1985}});
    ASSERT_NE(MovieCard(), nullptr);
    TMovie *alien = MovieTitled(u"Alien"_s);
    Focus(alien);
    EXPECT_EQ(MovieCard()->Movie(), alien);
    EXPECT_EQ(MovieCard()->Mode(), 3);
    EXPECT_EQ(Child<QLineEdit>(MovieCard(), "TitleEdit")->text(), u"Alien"_s);

    Trigger("EditVidAct");
    EXPECT_EQ(MovieCard()->Mode(), 2);
    Child<QLineEdit>(MovieCard(), "YearEdit")->setText(u"1986"_s);
    Child<QLineEdit>(MovieCard(), "TitleEdit")->setText(u"Aliens"_s);
    Trigger("ApplyVidAct");
    EXPECT_EQ(alien->Title(), u"Aliens"_s);
    EXPECT_EQ(alien->Year(), 1986);
    EXPECT_EQ(MovieCard()->Mode(), 3);

    // The seen mark is the window's: it changes the movie and the card follows.
    const bool seen = alien->Viewed();
    Child<QCheckBox>(MovieCard(), "seenCheck")->click();
    EXPECT_EQ(alien->Viewed(), !seen);
}

TEST_F(CardsTest, GenreLinksFilterTheList)
{
    Start({{u"Alien"_s, u"Horror, SciFi"_s, 1979}, {u"Brazil"_s, u"Comedy"_s, 1985}});
    Focus(MovieTitled(u"Brazil"_s));
    window->SetSearchField(false, 6, u"Horror"_s);
    EXPECT_EQ(Model()->rowCount(), 1);
    // An empty list shows the card's message.
    window->SetSearchField(false, 6, u"Western"_s);
    EXPECT_EQ(MovieCard()->Mode(), 1);
}

TEST_F(CardsTest, PeopleHaveTheirCard)
{
    Start({}, {u"Zoe"_s});
    ASSERT_TRUE(window->PeopleMode());
    auto *card = Child<TActorFrame>(window.get(), "PersonCard");
    ASSERT_NE(card, nullptr);
    window->PeopleList()->FlushFocus();
    EXPECT_EQ(Child<QLineEdit>(card, "NameEdit")->text(), u"Zoe"_s);
    EXPECT_EQ(card->Mode(), 3);
}

} // namespace
