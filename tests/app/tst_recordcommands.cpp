// The record commands on the lists without the window.
#include <gtest/gtest.h>

#include <QFile>

#include "app/recordcommands.h"
#include "catalog/episode.h"
#include "tests/support/commandfixture.h"
#include "tests/support/samplecatalog.h"

namespace {

class RecordCommandsTest : public CommandFixture
{
protected:
    QString SmallFile(const QString &name) const { return SmallFileIn(root, name); }
};

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

TEST_F(RecordCommandsTest, AskedIdsStoreMinusOneForText)
{
    settings.DoAutoID = true;
    settings.AutoIndexMode = 0;
    prepare = [](TVideoDatabase &db) {
        for (int id : {1, 2, 5})
            static_cast<TMovie *>(db.AddRecord(0))->SetNum(id);
    };
    Start({});
    TRecordCommands records(*host, settings);
    EXPECT_EQ(static_cast<TMovie *>(records.CreateRecord(0))->Num(), 3);
}

TEST_F(RecordCommandsTest, DeletingAsksPerFileUntilYesToAll)
{
    settings.DeleteMovieFiles = true;
    Start(Nineties);
    TRecordCommands records(*host, settings);
    const QStringList titles = {u"Alien"_s, u"Brazil"_s, u"Clerks"_s};
    QStringList files;
    for (const QString &title : titles) {
        files.append(SmallFile(title + u".avi"_s));
        MovieTitled(title)->SetPath(u"/nowhere/missing.avi|"_s + files.last());
    }
    Focus(MovieTitled(u"Alien"_s));
    AddToSelection(MovieTitled(u"Brazil"_s));
    AddToSelection(MovieTitled(u"Clerks"_s));

    dialogs.yesNoAnswers = {true};
    dialogs.fileAnswers = {TFileDecision::YesToAll};
    records.DeleteRecords();
    EXPECT_EQ(dialogs.questions.size(), 1);
    EXPECT_EQ(dialogs.fileQuestions.size(), 1);
    for (const QString &file : std::as_const(files))
        EXPECT_FALSE(QFile::exists(file)) << file.toStdString();
    EXPECT_EQ(db->MovieCount(), 3);
    Movies()->FlushFocus();
    EXPECT_NE(MovieLists().Current(), nullptr);
}

TEST_F(RecordCommandsTest, DeletingWithNoKeepsFilesAndAsksAgain)
{
    settings.DeleteMovieFiles = true;
    settings.DeleteMovieConfirm = false;
    Start(Nineties);
    TRecordCommands records(*host, settings);
    const QString first = SmallFile(u"a.avi"_s);
    const QString second = SmallFile(u"b.avi"_s);
    MovieTitled(u"Alien"_s)->SetPath(first);
    MovieTitled(u"Brazil"_s)->SetPath(second);
    Focus(MovieTitled(u"Alien"_s));
    AddToSelection(MovieTitled(u"Brazil"_s));
    dialogs.fileAnswers = {TFileDecision::No, TFileDecision::Yes};
    records.DeleteRecords();
    EXPECT_TRUE(dialogs.questions.isEmpty());
    EXPECT_EQ(dialogs.fileQuestions.size(), 2);
    EXPECT_TRUE(QFile::exists(first));
    EXPECT_FALSE(QFile::exists(second));
    EXPECT_EQ(db->MovieCount(), 4);
}

TEST_F(RecordCommandsTest, DeletingABlockFocusesTheRowAboveIt)
{
    settings.DeleteMovieConfirm = false;
    Start(Nineties);
    TRecordCommands records(*host, settings);
    const struct
    {
        QStringList deleted; // the first one focused, the rest added to the selection
        QString focused;
    } cases[] = {
        {{u"Clerks"_s, u"Dogma"_s, u"Election"_s}, u"Brazil"_s},
        {{u"Alien"_s, u"Brazil"_s}, u"Fargo"_s}, // the block at the top: the row now there
    };
    for (const auto &c : cases) {
        Focus(MovieTitled(c.deleted.first()));
        for (const QString &title : c.deleted.mid(1))
            AddToSelection(MovieTitled(title));
        records.DeleteRecords();
        Movies()->FlushFocus();
        const TDBItem *current = MovieLists().Current();
        ASSERT_NE(current, nullptr) << c.focused.toStdString();
        EXPECT_EQ(static_cast<const TBaseMovie *>(current)->Title(), c.focused);
    }
    EXPECT_EQ(TopRows(), QStringList{u"Fargo"_s});
}

TEST_F(RecordCommandsTest, IdsForTheSelectionFollowTheSelectionOrder)
{
    Start(Nineties);
    TRecordCommands records(*host, settings);
    Focus(MovieTitled(u"Fargo"_s));
    AddToSelection(MovieTitled(u"Alien"_s));
    AddToSelection(MovieTitled(u"Clerks"_s));
    dialogs.idAnswers.push_back(TIdSeries{10, 5});
    records.SetIdsOfSelection();
    EXPECT_EQ(dialogs.idPresets.first(), (TIdSeries{1, 1}));
    EXPECT_EQ(MovieTitled(u"Fargo"_s)->Num(), 10);
    EXPECT_EQ(MovieTitled(u"Alien"_s)->Num(), 15);
    EXPECT_EQ(MovieTitled(u"Clerks"_s)->Num(), 20);

    // Set ID and set episode number read what is typed.
    Focus(MovieTitled(u"Brazil"_s));
    dialogs.textAnswers.push_back(u"x1"_s);
    records.SetRecordId();
    EXPECT_EQ(MovieTitled(u"Brazil"_s)->Num(), -1);
    EXPECT_TRUE(dialogs.textQuestions.first().endsWith(u"[-1]"_s));
}

TEST_F(RecordCommandsTest, EpisodeNumberThatIsNoNumberIsRefused)
{
    prepare = [](TVideoDatabase &db) {
        auto *series = static_cast<TMovie *>(db.AddRecord(0));
        series->SetTitle(u"Friends"_s);
        series->AddEpisode()->SetEpnum(4);
    };
    Start({});
    TRecordCommands records(*host, settings);
    TEpisode *episode = MovieTitled(u"Friends"_s)->Episode(0);
    Focus(episode);
    dialogs.textAnswers = {u"four"_s, u"8"_s};
    records.SetEpisodeNumber();
    EXPECT_EQ(episode->Epnum(), 4);
    EXPECT_EQ(dialogs.errors.size(), 1);
    records.SetEpisodeNumber();
    EXPECT_EQ(episode->Epnum(), 8);
}

TEST_F(RecordCommandsTest, BookmarkKeyMarksARunAndTheSearchFindsThem)
{
    Start(Nineties);
    TRecordCommands records(*host, settings);
    Movies()->setFocus();
    Focus(MovieTitled(u"Alien"_s));
    for (int i = 0; i < 3; ++i)
        records.ToggleBookmark();
    for (const QString &title : {u"Alien"_s, u"Brazil"_s, u"Clerks"_s})
        EXPECT_TRUE(MovieTitled(title)->Bookmark()) << title.toStdString();
    EXPECT_FALSE(MovieTitled(u"Dogma"_s)->Bookmark());

    MovieTitled(u"Fargo"_s)->SetBookmark(true);
    Focus(MovieTitled(u"Clerks"_s));
    records.GoToBookmark(true);
    Movies()->FlushFocus();
    EXPECT_EQ(MovieLists().Current(), MovieTitled(u"Fargo"_s));
    records.GoToBookmark(true); // no wrap-around
    Movies()->FlushFocus();
    EXPECT_EQ(MovieLists().Current(), MovieTitled(u"Fargo"_s));
    records.GoToBookmark(false);
    Movies()->FlushFocus();
    EXPECT_EQ(MovieLists().Current(), MovieTitled(u"Clerks"_s));

    records.ClearBookmarks();
    for (const QString &title : {u"Alien"_s, u"Brazil"_s, u"Clerks"_s, u"Fargo"_s})
        EXPECT_FALSE(MovieTitled(title)->Bookmark());
}

} // namespace
