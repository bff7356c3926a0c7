#include <gtest/gtest.h>

#include "catalog/episode.h"
#include "catalog/movie.h"
#include "catalog/recordhooks.h"
#include "tests/support/fakerecordowner.h"

using namespace Qt::StringLiterals;

namespace {

class MovieTest : public ::testing::Test
{
protected:
    void SetUp() override { owner.movieTree = &tree; }
    void TearDown() override { RecordHooks() = {}; }
    // Every movie goes under two group nodes, as in a tree grouped by two genres.
    void GroupUnderTwoNodes()
    {
        groupA = tree.NewGroupNode();
        groupB = tree.NewGroupNode();
        RecordHooks().NodeProvider = [this](const TDBItem &) {
            return QList<TViewNode *>{groupA, groupB};
        };
    }

    TFakeOwner owner;
    TFakeTree tree;
    TViewNode *groupA = nullptr;
    TViewNode *groupB = nullptr;
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

TEST_F(MovieTest, CreateShowsTheMovieUnderEachParentNode)
{
    GroupUnderTwoNodes();
    auto movie = TMovie::Create(&owner);
    EXPECT_TRUE(movie->Shown());
    EXPECT_EQ(owner.shownMovies, 1);
    ASSERT_EQ(movie->ViewNodes().size(), 2);
    EXPECT_EQ(movie->ViewNodes()[0]->parent, groupA);
    EXPECT_EQ(movie->ViewNodes()[1]->parent, groupB);
    EXPECT_EQ(movie->ViewNodes()[0]->record, movie.get());
    EXPECT_EQ(movie->ViewNodes()[0]->secondaryIndex, -1);
}

TEST_F(MovieTest, WithoutTreeOrProviderAMovieIsShownButHasNoNodes)
{
    auto movie = TMovie::Create(&owner);
    EXPECT_TRUE(movie->Shown());
    EXPECT_EQ(owner.shownMovies, 1);
    EXPECT_TRUE(movie->ViewNodes().isEmpty());
}

TEST_F(MovieTest, EpisodesHangBelowEveryNodeOfTheirMovie)
{
    GroupUnderTwoNodes();
    auto movie = TMovie::Create(&owner);
    TEpisode *episode = movie->AddEpisode();
    EXPECT_TRUE(episode->Shown());
    ASSERT_EQ(episode->ViewNodes().size(), 2);
    EXPECT_EQ(episode->ViewNodes()[0]->parent, movie->ViewNodes()[0]);
    EXPECT_EQ(episode->ViewNodes()[1]->parent, movie->ViewNodes()[1]);
    EXPECT_EQ(owner.shownMovies, 1) << "episodes must not count as shown movies";

    movie->SetShown(false);
    EXPECT_FALSE(episode->Shown());
    EXPECT_TRUE(episode->ViewNodes().isEmpty());
    EXPECT_EQ(tree.AliveNodes(movie.get()), 0);
    EXPECT_EQ(tree.AliveNodes(episode), 0);
    EXPECT_EQ(owner.shownMovies, 0);
    EXPECT_EQ(tree.errors, 0) << "a node was deleted twice";

    movie->SetShown(true);
    EXPECT_TRUE(episode->Shown());
    EXPECT_EQ(tree.AliveNodes(episode), 2);
    EXPECT_EQ(owner.shownMovies, 1);
}

TEST_F(MovieTest, EpisodeAddedToAHiddenMovieAppearsWhenTheMovieIsShown)
{
    GroupUnderTwoNodes();
    auto movie = TMovie::Create(&owner);
    movie->SetShown(false);
    TEpisode *episode = movie->AddEpisode();
    EXPECT_FALSE(episode->Shown());
    movie->SetShown(true);
    EXPECT_EQ(tree.AliveNodes(episode), 2);
}

TEST_F(MovieTest, FilterDecidesWhetherAMovieIsShown)
{
    GroupUnderTwoNodes();
    RecordHooks().FilterPredicate = [](const TDBItem &record) {
        return static_cast<const TMovie &>(record).Wish();
    };
    auto movie = TMovie::Create(&owner);
    EXPECT_FALSE(movie->Shown());
    EXPECT_EQ(owner.shownMovies, 0);
    EXPECT_EQ(tree.AliveNodes(movie.get()), 0);
    movie->SetWish(true);
    movie->SetShown(true);
    EXPECT_TRUE(movie->Shown());
    EXPECT_EQ(owner.shownMovies, 1);
    EXPECT_EQ(tree.AliveNodes(movie.get()), 2);

    // Hiding is never refused, and the same state twice changes nothing.
    RecordHooks().FilterPredicate = [](const TDBItem &) { return false; };
    movie->SetShown(false);
    movie->SetShown(false);
    EXPECT_EQ(owner.shownMovies, 0);
}

TEST_F(MovieTest, DestroyingAMovieRemovesEpisodeNodesBeforeItsOwn)
{
    GroupUnderTwoNodes();
    auto movie = TMovie::Create(&owner);
    movie->AddEpisode();
    movie->AddEpisode();
    movie.reset();
    EXPECT_EQ(tree.AliveNodes(), 2) << "only the two group nodes should remain";
    EXPECT_EQ(tree.errors, 0);
}

TEST_F(MovieTest, HooksAreSuspendedAndRestored)
{
    RecordHooks().TitleNormalizer = [](const QString &t) { return t.toUpper(); };
    {
        TRecordHooksSuspender suspended;
        EXPECT_FALSE(RecordHooks().TitleNormalizer);
        auto movie = TMovie::Create(&owner);
        movie->SetTitle(u"raw"_s);
        EXPECT_EQ(movie->Title(), u"raw"_s);
    }
    ASSERT_TRUE(RecordHooks().TitleNormalizer);
    EXPECT_EQ(RecordHooks().TitleNormalizer(u"a"_s), u"A"_s);
}

} // namespace
