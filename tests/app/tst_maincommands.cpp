// The record commands and filters of the main window, driven through their actions with
// the dialogs answered by the test.
#include <gtest/gtest.h>

#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>

#include "app/grouping.h"
#include "app/recordcommands.h"
#include "catalog/daycount.h"
#include "catalog/episode.h"
#include "tests/support/mainfixture.h"
#include "tests/support/samplecatalog.h"
#include "tests/support/widgettest.h"

namespace {

class CommandsTest : public MainWindowFixture
{
protected:
    // Makes a movie current as a click on its row does.
    void Focus(TDBItem *record)
    {
        ASSERT_TRUE(window->SelectRecord(record));
        (record->Kind() == TRecordKind::Person ? window->People().List() : Movies())->FlushFocus();
        ASSERT_EQ(window->Lists(record->Kind()).Current(), record);
    }
    void AddToSelection(TDBItem *record)
    {
        const QModelIndex row = Model()->IndexOf(Model()->FirstNodeOf(record), 2);
        Movies()->selectionModel()->select(row,
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    // Lets the focus delay run out.
    void Settle()
    {
        Movies()->FlushFocus();
        window->People().List()->FlushFocus();
    }
    QStringList ShownTitles() const
    {
        QStringList titles;
        for (int row = 0; row < Model()->rowCount(); ++row)
            titles.append(Model()->index(row, 2).data().toString());
        return titles;
    }
};

TEST_F(CommandsTest, AutoIdsFollowTheirMode)
{
    settings.WriteBool(u"Misc"_s, u"DoAutoID"_s, true);
    settings.WriteInteger(u"Misc"_s, u"AutoIndexMode"_s, 1);
    prepare = [](TVideoDatabase &db) {
        for (int id : {1, 2, 5})
            static_cast<TMovie *>(db.AddRecord(0))->SetNum(id);
    };
    Start({});
    Trigger("NewVidAct");
    Settle();
    auto *added = static_cast<TMovie *>(window->Movies().Current());
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->Num(), 6);
    EXPECT_GT(added->Dateadded(), 0);
    EXPECT_EQ(window->Edit().EditState(), TEditState::Editing);
    EXPECT_TRUE(movieCard.editing);
    EXPECT_EQ(movieCard.titleFocus, 1);
    Trigger("ApplyVidAct");

    // Mode 0 takes the first gap above the first ID; mode 2 asks.
    TMovie *again = static_cast<TMovie *>(window->Records().CreateRecord(0));
    EXPECT_EQ(again->Num(), 7); // still mode 1
    window->Database()->DeleteRecord(again);
}

TEST_F(CommandsTest, CancellingAnEmptyNewMovieDeletesIt)
{
    Start(Nineties);
    TMovie *clerks = MovieTitled(u"Clerks"_s);
    Focus(clerks);
    ASSERT_FALSE(window->Database()->Modified());

    Trigger("NewVidAct");
    Settle();
    EXPECT_EQ(window->Database()->MovieCount(), 7);
    EXPECT_EQ(window->Edit().EditState(), TEditState::Editing);
    ASSERT_TRUE(window->Action(u"AbortAct"_s)->isEnabled());
    Trigger("AbortAct");
    EXPECT_EQ(window->Database()->MovieCount(), 6);
    EXPECT_FALSE(window->Database()->Modified());
    Settle();
    // The empty movie sat first (ID -1 sorts by its empty title): its neighbour follows.
    EXPECT_NE(window->Movies().Current(), nullptr);
    EXPECT_EQ(window->Edit().EditState(), TEditState::Viewing);
}

TEST_F(CommandsTest, CancelRestoresTheModifiedFlagAndApplyStores)
{
    Start(Nineties);
    TMovie *dogma = MovieTitled(u"Dogma"_s);
    Focus(dogma);
    Trigger("EditVidAct");
    EXPECT_EQ(window->Edit().EditState(), TEditState::Editing);
    movieCard.pendingTitle = u"Zelig"_s;
    Trigger("ApplyVidAct");
    EXPECT_EQ(dogma->Title(), u"Zelig"_s);
    EXPECT_EQ(window->Edit().EditState(), TEditState::Viewing);
    EXPECT_EQ(ShownTitles().last(), u"Zelig"_s); // the title column re-sorted

    window->Database()->SetModified(false);
    Trigger("EditVidAct");
    dogma->SetComment(u"changed behind the card"_s);
    Trigger("AbortAct");
    EXPECT_FALSE(window->Database()->Modified());
}

TEST_F(CommandsTest, DuplicatingAnEpisodeNumbersItAfterTheLast)
{
    prepare = [](TVideoDatabase &db) {
        auto *series = static_cast<TMovie *>(db.AddRecord(0));
        series->SetTitle(u"Friends"_s);
        for (int n = 1; n <= 5; ++n) {
            TEpisode *episode = series->AddEpisode();
            episode->SetEpnum(n);
            episode->SetTitle(u"Part %1"_s.arg(n));
        }
    };
    Start({});
    TMovie *series = MovieTitled(u"Friends"_s);
    TEpisode *second = series->Episode(1);
    second->SetDirector(u"Ann"_s);
    Focus(second);
    Trigger("DuplicateAct");
    Settle();
    ASSERT_EQ(series->EpisodeCount(), 6);
    TEpisode *copy = series->Episode(5);
    EXPECT_EQ(copy->Epnum(), 6);
    EXPECT_EQ(copy->Title(), u"Part 2"_s);
    EXPECT_EQ(copy->Director(), u"Ann"_s);
    EXPECT_EQ(window->Movies().Current(), copy);
    EXPECT_EQ(window->Edit().EditState(), TEditState::Editing);

    // A new episode: numbered after the last, the movie's data copied without its titles.
    Trigger("ApplyVidAct");
    series->SetGenre(u"Sitcom"_s);
    dialogs->episodeAnswers.push_back(TNewEpisodeAnswer{9, true});
    Trigger("NewEpAct");
    ASSERT_EQ(dialogs->episodeProposals.size(), 1);
    EXPECT_EQ(dialogs->episodeProposals.first().first, 7);
    TEpisode *added = series->Episode(6);
    EXPECT_EQ(added->Epnum(), 9);
    EXPECT_EQ(added->Genre(), u"Sitcom"_s);
    EXPECT_TRUE(added->Title().isEmpty());
}

TEST_F(CommandsTest, LoanCommandNamesWhatItWillDoAndWritesTheHistory)
{
    Start({{u"Alien"_s, u"Horror"_s, 1979}});
    Focus(MovieTitled(u"Alien"_s));
    EXPECT_EQ(window->Action(u"LoanAct"_s)->text(), u"&Loan"_s);
    dialogs->borrowerAnswers.push_back(u"Cid"_s);
    Trigger("LoanAct");
    EXPECT_EQ(MovieTitled(u"Alien"_s)->Loan(), u"Cid"_s);
    EXPECT_EQ(window->Action(u"LoanAct"_s)->text(), u"&Return"_s);
    QFile history(QDir(Program()).filePath(u"history.txt"_s));
    ASSERT_TRUE(history.open(QIODevice::ReadOnly));
    EXPECT_TRUE(history.readAll().contains("$Cid##Alien"));
}

TEST_F(CommandsTest, SeenCommandsSetTheStateAndDate)
{
    Start(Nineties);
    Focus(MovieTitled(u"Alien"_s));
    AddToSelection(MovieTitled(u"Brazil"_s));
    Trigger("SeenAct"); // Alien is seen: both become not seen
    EXPECT_FALSE(MovieTitled(u"Alien"_s)->Viewed());
    EXPECT_FALSE(MovieTitled(u"Brazil"_s)->Viewed());
    Trigger("SeenYesterdayAct");
    EXPECT_TRUE(MovieTitled(u"Brazil"_s)->Viewed());
    EXPECT_NEAR(MovieTitled(u"Brazil"_s)->Viewdate(), NowDays() - 1, 0.01);
    dialogs->dateAnswers.push_back(QDate(2020, 2, 29));
    Trigger("SeenDateAct");
    EXPECT_EQ(DaysToDateTime(MovieTitled(u"Alien"_s)->Viewdate()).date(), QDate(2020, 2, 29));
}

TEST_F(CommandsTest, TitleBarAndPlayingTheFirstExistingFile)
{
    Start(Nineties);
    window->Database()->SetModified(true);
    EXPECT_EQ(window->windowTitle(), u"Reelkeep (lists) - Movies*"_s);

    const QString file = SmallFile(u"there.mkv"_s);
    TMovie *alien = MovieTitled(u"Alien"_s);
    alien->SetPath(u"/nowhere/gone.mkv|"_s + file);
    Focus(alien);
    ASSERT_TRUE(window->Action(u"PlayAct"_s)->isEnabled());
    Trigger("PlayAct");
    Trigger("OpenFolderAct");
    EXPECT_EQ(dialogs->opened, QStringList{file});
    EXPECT_EQ(dialogs->shownInFolder, QStringList{file});
    Focus(MovieTitled(u"Brazil"_s));
    EXPECT_FALSE(window->Action(u"PlayAct"_s)->isEnabled());
}

TEST_F(CommandsTest, SwitchingToPeopleAppliesTheEdit)
{
    Start(Nineties, {u"Zoe"_s});
    TMovie *alien = MovieTitled(u"Alien"_s);
    Focus(alien);
    Trigger("EditVidAct");
    movieCard.pendingTitle = u"Aliens"_s;
    Trigger("dbModeAct");
    EXPECT_TRUE(window->PeopleMode());
    EXPECT_EQ(alien->Title(), u"Aliens"_s);
    EXPECT_EQ(window->Action(u"NewEpAct"_s)->isVisible(), false);
}

TEST_F(CommandsTest, SearchBoxFiltersByRangesAndKeepsTheFocusedMovie)
{
    Start(Nineties);
    Focus(MovieTitled(u"Clerks"_s));
    window->Filters().SetSearchField(TRecordKind::Movie, 5, u"1990-1999"_s);
    EXPECT_EQ(ShownTitles(), (QStringList{u"Clerks"_s, u"Dogma"_s, u"Election"_s, u"Fargo"_s}));
    EXPECT_EQ(Model()->RecordOf(Movies()->currentIndex()), MovieTitled(u"Clerks"_s));
    auto *box = Child<QLineEdit>(window.get(), "SearchEdit");
    box->setText(u"1996"_s);
    EXPECT_EQ(ShownTitles(), QStringList{u"Fargo"_s});
    EXPECT_EQ(Model()->RecordOf(Movies()->currentIndex()), MovieTitled(u"Fargo"_s));
    box->setText(u"199x"_s);
    EXPECT_TRUE(ShownTitles().isEmpty());
    EXPECT_EQ(window->Edit().EditState(), TEditState::Empty);

    // Field -1 empties and locks the box; field 2 then finds every movie.
    window->Filters().ChooseSearchField(TRecordKind::Movie, -1);
    EXPECT_TRUE(box->text().isEmpty());
    EXPECT_FALSE(box->isEnabled());
    EXPECT_EQ(ShownTitles().size(), 6);
    window->Filters().ChooseSearchField(TRecordKind::Movie, 2);
    EXPECT_TRUE(box->isEnabled());
    EXPECT_EQ(ShownTitles().size(), 6);
}

TEST_F(CommandsTest, FilterMenusAndAdvancedSearch)
{
    Start(Nineties);
    MovieTitled(u"Brazil"_s)->SetViewed(false);
    Trigger("SeenNotAct");
    EXPECT_EQ(ShownTitles(), QStringList{u"Brazil"_s});
    EXPECT_EQ(Child<QToolButton>(window.get(), "SeenBtn")->text(), u"Not seen"_s);
    Trigger("SeenAllAct");
    EXPECT_EQ(ShownTitles().size(), 6);

    // The advanced search with only a year range equals search field 5.
    QStringList criteria(CriterionCount);
    criteria[5 - FirstCriterionField] = u"1994 - 1996"_s;
    dialogs->criteriaAnswers.push_back(criteria);
    Trigger("AdvSearchAct");
    EXPECT_EQ(window->Filter().MovieField, AdvancedSearchField);
    EXPECT_FALSE(Child<QLineEdit>(window.get(), "SearchEdit")->isEnabled());
    EXPECT_EQ(ShownTitles(), (QStringList{u"Clerks"_s, u"Fargo"_s}));
    // Confirmed empty: back to no search.
    dialogs->criteriaAnswers.push_back(QStringList(CriterionCount));
    Trigger("AdvSearchAct");
    EXPECT_EQ(window->Filter().MovieField, -1);
    EXPECT_EQ(ShownTitles().size(), 6);
}

TEST_F(CommandsTest, LinksFindOrOfferToCreate)
{
    Start(Nineties, {u"Zoe Smith"_s});
    window->Records().GoToMovieByTitle(u"  fargo "_s, false);
    Settle();
    EXPECT_EQ(window->Movies().Current(), MovieTitled(u"Fargo"_s));

    dialogs->yesNoAnswers = {false};
    window->Records().GoToMovieByTitle(u"Heat"_s, false);
    EXPECT_EQ(Child<QLineEdit>(window.get(), "WebSearchEdit")->text(), u"Heat"_s);
    EXPECT_EQ(window->Database()->MovieCount(), 6);

    window->Records().GoToPersonByName(u"Ann Lee"_s, false);
    Settle();
    EXPECT_TRUE(window->PeopleMode());
    ASSERT_EQ(window->Database()->PersonCount(), 2);
    TDBItem *ann = window->People().Current();
    ASSERT_NE(ann, nullptr);
    EXPECT_EQ(static_cast<TActor *>(ann)->Name(), u"Ann Lee"_s);
    EXPECT_EQ(window->Edit().EditState(), TEditState::Editing);

    window->Records().GoToMovieById(u"nope"_s);
    EXPECT_TRUE(window->PeopleMode());
}

TEST_F(CommandsTest, SpaceJumpsToTheNextRowAtTheCardsEnd)
{
    settings.WriteBool(u"Misc"_s, u"SpaceJump"_s, true);
    Start(Nineties);
    Focus(MovieTitled(u"Alien"_s));
    Movies()->setFocus();
    movieCard.pagesLeft = 1;
    QTest::keyClick(Movies(), Qt::Key_Space);
    Settle();
    EXPECT_EQ(window->Movies().Current(), MovieTitled(u"Alien"_s)); // the card scrolled
    QTest::keyClick(Movies(), Qt::Key_Space);
    Settle();
    EXPECT_EQ(window->Movies().Current(), MovieTitled(u"Brazil"_s));
}

} // namespace

TEST_F(CommandsTest, SaveThatCannotMakeItsBackupSaysSoAndStillSaves)
{
    idleEvents = true;
    Start({{u"Alien"_s, u"Horror"_s, 1979}});
    // A folder where the backup belongs: the copy cannot be renamed into place.
    const QString backup = root.filePath(u"lists.rkd.bak"_s);
    ASSERT_TRUE(QDir().mkpath(backup + u"/kept"_s));
    MovieTitled(u"Alien"_s)->SetDescription(u"changed"_s);
    ASSERT_TRUE(window->Database()->Modified());
    Trigger("SaveDBAct");
    ASSERT_EQ(dialogs->errors.size(), 1);
    EXPECT_TRUE(dialogs->errors[0].contains(u"lists.rkd.bak"_s)) << qPrintable(dialogs->errors[0]);
    EXPECT_FALSE(window->Database()->Modified());
    QFile saved(root.filePath(u"lists.rkd"_s));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(saved.readAll().contains("changed"));
    EXPECT_TRUE(QFileInfo::exists(backup + u"/kept"_s));
}
