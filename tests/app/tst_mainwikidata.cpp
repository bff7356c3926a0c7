// The Wikidata movie plug-in run from the window's Import menu by its menu text, on
// recorded answers of the Wikidata services served by a loopback server.
#include <gtest/gtest.h>

#include <QMenu>

#include "tests/support/mainfixture.h"
#include "tests/support/siteserver.h"

namespace {

QByteArray Answer(const char *name)
{
    QFile file(QStringLiteral(RK_OPENDATA_DATA_DIR "/") + QString::fromUtf8(name));
    if (!file.open(QIODevice::ReadOnly))
        ADD_FAILURE() << "missing recorded answer " << name;
    return file.readAll();
}

class MainWikidataTest : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        qputenv("LC_ALL", "en_US.UTF-8");
        server.RouteHosts(WikidataHosts);
        QDir(Program()).mkpath(u"Plugins"_s);
        ASSERT_TRUE(QFile::copy(QStringLiteral(RK_WEBINFOD_PATH),
                                QDir(Program()).filePath(u"Plugins/webinfod.so"_s)));
        server.Page("/w/api.php~Fight Club haswbstatement",
                    Answer("search_fight_club.json"),
                    "application/json; charset=utf-8");
        server.Page("/sparql~VALUES ?item",
                    Answer("list_fight_club.json"),
                    "application/sparql-results+json");
        server.Page("/sparql~wd:Q190050}",
                    Answer("film_fight_club.json"),
                    "application/sparql-results+json");
    }
    void TearDown() override
    {
        qunsetenv("LC_ALL");
        MainWindowFixture::TearDown();
    }

    TSiteServer server;
};

TEST_F(MainWikidataTest, ImportMenuEntryFillsTheFocusedMovie)
{
    Start({{u"Alien"_s, u"Horror"_s, 1979}, {u"Fight Club"_s, QString(), 0}});
    TMovie *movie = MovieTitled(u"Fight Club"_s);
    ASSERT_TRUE(movie && window->SelectRecord(movie));
    Movies()->FlushFocus();
    dialogs->resultAnswers.push_back(0);

    auto *importMenu = window->findChild<QMenu *>(u"ImportMenu"_s);
    ASSERT_NE(importMenu, nullptr);
    QAction *entry = nullptr;
    for (QAction *action : importMenu->findChildren<QAction *>()) {
        if (action->text().remove(u'&') == u"Get Movie Information from Wikidata"_s)
            entry = action;
    }
    ASSERT_TRUE(entry && entry->isEnabled());
    entry->trigger();

    EXPECT_EQ(dialogs->resultCounts, QList<int>{2});
    EXPECT_TRUE(dialogs->messages.isEmpty()) << dialogs->messages.join(u'\n').toStdString();
    EXPECT_EQ(movie->Year(), 1999);
    EXPECT_EQ(movie->Director(), u"David Fincher"_s);
    EXPECT_TRUE(movie->Url().contains(u"https://www.wikidata.org/wiki/Q190050"_s));
    EXPECT_TRUE(window->Database()->Modified());
}

} // namespace
