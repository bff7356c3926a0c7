#include <gtest/gtest.h>

#include "catalog/episode.h"
#include "catalog/movie.h"
#include "tests/support/fakerecordowner.h"

using namespace Qt::StringLiterals;

namespace {

using TReports = QList<TFakeOwner::Report>;

class MovieTest : public ::testing::Test
{
protected:
    TFakeOwner owner;
};

TEST_F(MovieTest, EpisodesAreOwnedInOrder)
{
    owner.customFields = 1;
    auto movie = TMovie::Create(&owner);
    EXPECT_FALSE(movie->HasEpisodes());
    EXPECT_EQ(movie->MaxEpisodeNumber(), 0);
    TEpisode *first = movie->AddEpisode();
    TEpisode *second = movie->AddEpisode();
    first->SetEpnum(7);
    second->SetEpnum(3);
    EXPECT_EQ(first->Parent(), movie.get());
    EXPECT_EQ(first->Owner(), &owner);
    EXPECT_EQ(first->CustomValueCount(), 1);
    EXPECT_EQ(movie->EpisodeCount(), 2);
    EXPECT_EQ(movie->Episode(1), second);
    EXPECT_EQ(movie->Episode(-1), nullptr);
    EXPECT_EQ(movie->Episode(2), nullptr);
    EXPECT_EQ(movie->MaxEpisodeNumber(), 7);

    movie->DeleteEpisode(first);
    EXPECT_EQ(movie->EpisodeCount(), 1);
    EXPECT_EQ(movie->Episode(0), second);

    auto other = TMovie::Create(&owner);
    other->DeleteEpisode(second);
    EXPECT_EQ(movie->EpisodeCount(), 1) << "a foreign episode was deleted";
}

TEST_F(MovieTest, CustomValuesFollowTheCatalogIntoEpisodes)
{
    owner.customFields = 2;
    auto movie = TMovie::Create(&owner);
    TEpisode *episode = movie->AddEpisode();
    movie->SetCustomValue(1, u"m1"_s);
    episode->SetCustomValue(0, u"e0"_s);
    episode->SetCustomValue(1, u"e1"_s);

    movie->AddCustomValue();
    EXPECT_EQ(movie->CustomValueCount(), 3);
    EXPECT_EQ(episode->CustomValueCount(), 3);

    movie->DeleteCustomValue(0);
    EXPECT_EQ(movie->CustomValues(), (QStringList{u"m1"_s, QString()}));
    EXPECT_EQ(episode->CustomValues(), (QStringList{u"e1"_s, QString()}));
}

TEST_F(MovieTest, NumChangeAsksTheOwnerToMoveTheMovieFirst)
{
    auto movie = TMovie::Create(&owner);
    movie->SetNum(4);
    ASSERT_EQ(owner.moves.size(), 1);
    EXPECT_EQ(owner.moves[0].record, movie.get());
    EXPECT_EQ(owner.moves[0].newName, u"-1"_s) << "the owner was asked after the change";
    EXPECT_EQ(owner.moves[0].newNum, 4);
    movie->SetNum(4);
    EXPECT_EQ(owner.moves.size(), 1);

    // Episodes are not in the catalog's movie list: nothing to move.
    movie->AddEpisode()->SetNum(2);
    EXPECT_EQ(owner.moves.size(), 1);
}

TEST_F(MovieTest, EpisodesAreShownAfterTheirMovieAndHiddenBeforeIt)
{
    auto movie = TMovie::Create(&owner);
    TEpisode *episode = movie->AddEpisode();
    EXPECT_TRUE(episode->Shown());
    EXPECT_EQ(owner.shownMovies, 1) << "episodes must not count as shown movies";

    movie->SetShown(false);
    movie->SetShown(false);
    EXPECT_FALSE(episode->Shown());
    EXPECT_EQ(owner.shownMovies, 0);
    movie->SetShown(true);
    EXPECT_TRUE(episode->Shown());
    EXPECT_EQ(owner.shownMovies, 1);
    const TMovie *m = movie.get();
    EXPECT_EQ(
        owner.reports,
        (TReports{{m, '+'}, {episode, '+'}, {episode, '-'}, {m, '-'}, {m, '+'}, {episode, '+'}}))
        << "the same state twice reports nothing";
}

TEST_F(MovieTest, EpisodeAddedToAHiddenMovieIsShownWithIt)
{
    auto movie = TMovie::Create(&owner);
    movie->SetShown(false);
    TEpisode *episode = movie->AddEpisode();
    EXPECT_FALSE(episode->Shown());
    movie->SetShown(true);
    EXPECT_TRUE(episode->Shown());
    EXPECT_EQ(owner.reports.last(), (TFakeOwner::Report{episode, '+'}));
}

TEST_F(MovieTest, DestroyingAShownMovieReportsItsEpisodesFirst)
{
    auto movie = TMovie::Create(&owner);
    TEpisode *first = movie->AddEpisode();
    TEpisode *second = movie->AddEpisode();
    const TMovie *m = movie.get();
    owner.reports.clear();
    movie.reset();
    EXPECT_EQ(owner.reports, (TReports{{first, 'x'}, {second, 'x'}, {m, 'x'}}));
    EXPECT_EQ(owner.shownMovies, 1) << "the catalog adjusts the counts when it deletes";

    auto hidden = TMovie::Create(&owner);
    hidden->SetShown(false);
    owner.reports.clear();
    hidden.reset();
    EXPECT_TRUE(owner.reports.isEmpty()) << "a hidden movie has no rows to remove";
}

} // namespace
