// A web plug-in run from the window's Import menu: the real plug-in and downloads, the
// site's recorded pages served by a loopback server, the results dialog answered here.
#include <gtest/gtest.h>

#include <QMenu>

#include "tests/support/mainfixture.h"
#include "tests/support/siteserver.h"

namespace {

class MainWebTest : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        server.RouteHosts(WebPluginHosts);
        QDir(Program()).mkpath(u"Plugins"_s);
        ASSERT_TRUE(QFile::copy(QStringLiteral(RK_WEBINFOA_PATH),
                                QDir(Program()).filePath(u"Plugins/webinfoa.so"_s)));
        server.Page("/es/search.php|club", SitePage("a_results_1.html"));
        server.Page("/es/film809297.html", SitePage("a_movie.html"));
    }

    // The window on two movies with "The club" focused, as a click on its row does.
    TMovie *StartOnTheClub()
    {
        Start({{u"Alien"_s, u"Horror"_s, 1979}, {u"The club"_s, QString(), 0}});
        TMovie *movie = MovieTitled(u"The club"_s);
        if (!movie || !window->SelectRecord(movie))
            return nullptr;
        Movies()->FlushFocus();
        return window->Movies().Current() == movie ? movie : nullptr;
    }
    void TriggerWebPlugin()
    {
        auto *importMenu = window->findChild<QMenu *>(u"ImportMenu"_s);
        ASSERT_NE(importMenu, nullptr);
        auto *action = importMenu->findChild<QAction *>(u"Plugin0"_s);
        ASSERT_TRUE(action && action->isEnabled());
        action->trigger();
    }

    TSiteServer server;
};

TEST_F(MainWebTest, ImportMenuFillsTheFocusedMovieFromTheChosenResult)
{
    TMovie *movie = StartOnTheClub();
    ASSERT_NE(movie, nullptr);
    ASSERT_FALSE(window->Database()->Modified());
    dialogs->resultAnswers.push_back(0);

    TriggerWebPlugin();

    // The title is searched without its article; the first of three results is fetched.
    EXPECT_EQ(server.Requests(), QStringList({u"/es/search.php|club"_s, u"/es/film809297.html"_s}));
    EXPECT_EQ(dialogs->resultCounts, QList<int>{3});
    EXPECT_TRUE(dialogs->messages.isEmpty()) << dialogs->messages.join(u'\n').toStdString();
    // Without an overwrite setting the user's own title stays; empty fields are filled.
    EXPECT_EQ(movie->Title(), u"The club"_s);
    EXPECT_EQ(movie->Origtitle(), u"Fight Club"_s);
    EXPECT_EQ(movie->Year(), 1999);
    EXPECT_EQ(movie->Director(), u"David Fincher"_s);
    EXPECT_EQ(movie->Url(), u"http://www.filmaffinity.com/es/film809297.html"_s);
    EXPECT_TRUE(window->Database()->Modified());
    EXPECT_EQ(window->Movies().Current(), movie);
}

TEST_F(MainWebTest, CancelledDialogChangesNothingAndTheNextRunStillWorks)
{
    TMovie *movie = StartOnTheClub();
    ASSERT_NE(movie, nullptr);

    TriggerWebPlugin();
    EXPECT_EQ(server.Requests(), QStringList{u"/es/search.php|club"_s});
    EXPECT_TRUE(movie->Origtitle().isEmpty());
    EXPECT_FALSE(window->Database()->Modified());

    // The cancel belonged to that run only.
    dialogs->resultAnswers.push_back(0);
    TriggerWebPlugin();
    EXPECT_EQ(dialogs->resultCounts, QList<int>({3, 3}));
    EXPECT_EQ(movie->Origtitle(), u"Fight Club"_s);
    EXPECT_TRUE(window->Database()->Modified());
}

// The merged fields and the people the run added are one step.
TEST_F(MainWebTest, UndoTakesTheMergeAndThePeopleItAddedBack)
{
    settings.WriteBool(u"Plugins"_s, u"AutoAddPeople"_s, true);
    TMovie *movie = StartOnTheClub();
    ASSERT_NE(movie, nullptr);
    dialogs->resultAnswers.push_back(0);
    TriggerWebPlugin();
    const int people = window->Database()->PersonCount();
    ASSERT_GT(people, 0);

    Trigger("UndoAct");
    EXPECT_EQ(window->Database()->PersonCount(), 0);
    EXPECT_TRUE(movie->Origtitle().isEmpty());
    EXPECT_TRUE(movie->Director().isEmpty());
    EXPECT_FALSE(window->Database()->Modified());
    Trigger("RedoAct");
    EXPECT_EQ(window->Database()->PersonCount(), people);
    EXPECT_EQ(movie->Director(), u"David Fincher"_s);
}

} // namespace
