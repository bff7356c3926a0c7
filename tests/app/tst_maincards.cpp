// The window's own movie and person cards beside the lists: reading, editing through the
// card's fields, the seen mark and links back into the lists.
#include <gtest/gtest.h>

#include <QCalendarWidget>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QStackedWidget>
#include <QToolButton>

#include "catalog/daycount.h"
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
    window->Filters().SetSearchField(TRecordKind::Movie, 6, u"Horror"_s);
    EXPECT_EQ(Model()->rowCount(), 1);
    // An empty list shows the card's message.
    window->Filters().SetSearchField(TRecordKind::Movie, 6, u"Western"_s);
    EXPECT_EQ(MovieCard()->Mode(), 1);
}

// A catalog from elsewhere may link a launcher: one click must not run it.
TEST_F(CardsTest, LinksThatAreNoWebPagesAskFirstAndPlayOpensOnlyMedia)
{
    Start({{u"Alien"_s, u"Horror"_s, 1979}, {u"Brazil"_s, u"Comedy"_s, 1985}});
    const QString launcher = root.filePath(u"trailer.desktop"_s);
    {
        QFile file(launcher);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[Desktop Entry]\nType=Application\nExec=sh -c id\n");
    }
    TMovie *alien = MovieTitled(u"Alien"_s);
    alien->SetUrl(launcher + u" https://example.org/alien"_s);
    alien->SetPath(SmallFile(u"notes.txt"_s));
    const QString video = SmallFile(u"brazil.mkv"_s);
    MovieTitled(u"Brazil"_s)->SetPath(video);
    Focus(alien);
    auto *links = Child<TLinkText>(MovieCard(), "URLBox");
    ASSERT_EQ(links->LinkCount(), 2);
    const auto click = [links](int index) {
        TLink link;
        ASSERT_TRUE(links->GetLink(index, link));
        emit links->LinkClicked(link);
    };

    click(0); // answered No: nothing opens
    ASSERT_EQ(dialogs->openQuestions.size(), 1);
    EXPECT_EQ(dialogs->openQuestions[0].Target, launcher);
    EXPECT_EQ(dialogs->openQuestions[0].Risk, TLinkRisk::Launcher);
    EXPECT_TRUE(dialogs->opened.isEmpty());
    dialogs->openTargetAnswers.push_back(true);
    click(0);
    click(1); // a web page opens without a question
    EXPECT_EQ(dialogs->openQuestions.size(), 2);
    EXPECT_EQ(dialogs->opened, (QStringList{launcher, u"https://example.org/alien"_s}));

    // Play: a text file asks, a video opens at once.
    dialogs->opened.clear();
    Trigger("PlayAct");
    EXPECT_EQ(dialogs->openQuestions.size(), 3);
    EXPECT_EQ(dialogs->openQuestions.last().Risk, TLinkRisk::NotMedia);
    EXPECT_TRUE(dialogs->opened.isEmpty());
    Focus(MovieTitled(u"Brazil"_s));
    Trigger("PlayAct");
    EXPECT_EQ(dialogs->opened, QStringList{video});
}

TEST_F(CardsTest, PeopleHaveTheirCard)
{
    Start({}, {u"Zoe"_s});
    ASSERT_TRUE(window->PeopleMode());
    auto *card = Child<TActorFrame>(window.get(), "PersonCard");
    ASSERT_NE(card, nullptr);
    window->People().List()->FlushFocus();
    EXPECT_EQ(Child<QLineEdit>(card, "NameEdit")->text(), u"Zoe"_s);
    EXPECT_EQ(card->Mode(), 3);
}

TEST_F(CardsTest, EditingOffersEveryFieldTheReadingCardShows)
{
    Start({{u"Alien"_s, u"Horror"_s, 1979}});
    TMovie *alien = MovieTitled(u"Alien"_s);
    alien->SetComment(u"Seen twice"_s); // the comments item is off by default
    Focus(alien);
    const auto shown = [this](const char *name) {
        return !Child<QWidget>(MovieCard(), name)->isHidden();
    };
    EXPECT_TRUE(shown("ComBox"));
    Trigger("EditVidAct");
    EXPECT_TRUE(shown("CommentMemo"));
    Trigger("AbortAct");

    // A new movie is edited with its year and description.
    Trigger("NewVidAct");
    Movies()->FlushFocus();
    ASSERT_EQ(MovieCard()->Mode(), 2);
    EXPECT_TRUE(shown("YearEdit"));
    EXPECT_TRUE(shown("DescMemo"));
    EXPECT_FALSE(shown("CommentMemo"));
}

TEST_F(CardsTest, BirthdaysTakeIsoAndLocaleDatesAndRefuseTheRest)
{
    Start({}, {u"Zoe"_s});
    TActor *zoe = window->Database()->Person(0);
    auto *card = Child<TActorFrame>(window.get(), "PersonCard");
    window->People().List()->FlushFocus();
    auto *birthday = Child<QLineEdit>(card, "bdEdit");
    const double may12 = DateToDays(QDate(1970, 5, 12));

    Trigger("EditVidAct");
    birthday->setText(u"1970-05-12"_s);
    Trigger("ApplyVidAct");
    EXPECT_EQ(zoe->Birthday(), may12);

    // Text that is no date is marked while typed and leaves the birthday alone.
    Trigger("EditVidAct");
    birthday->clear();
    QTest::keyClicks(birthday, u"next May"_s);
    EXPECT_TRUE(birthday->property("refused").toBool());
    EXPECT_FALSE(birthday->toolTip().isEmpty());
    Trigger("ApplyVidAct");
    EXPECT_EQ(zoe->Birthday(), may12);

    // The calendar button writes the picked day in the locale's form.
    Trigger("EditVidAct");
    auto *pick = Child<QToolButton>(card, "bdPickBtn");
    ASSERT_FALSE(pick->isHidden());
    pick->click();
    auto *calendar = Child<QCalendarWidget>(card, "bdCalendar");
    ASSERT_NE(calendar, nullptr);
    EXPECT_EQ(calendar->selectedDate(), QDate(1970, 5, 12));
    emit calendar->activated(QDate(1980, 1, 2));
    EXPECT_EQ(birthday->text(), u"1/2/1980"_s);
    EXPECT_FALSE(birthday->property("refused").toBool());
    Trigger("ApplyVidAct");
    EXPECT_EQ(zoe->Birthday(), DateToDays(QDate(1980, 1, 2)));
}

} // namespace
