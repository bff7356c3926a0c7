#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QLineEdit>
#include <QToolButton>

#include "app/moviemaster.h"
#include "app/recordcommands.h"
#include "catalog/image.h"
#include "tests/support/mainfixture.h"
#include "tests/support/widgettest.h"
#include "views/mvframe.h"

using namespace Qt::StringLiterals;

namespace {

class MediaTest : public CardWindowFixture
{
protected:
    // A file that vanished after it was picked: the analyser cannot read it, the movie
    // still takes its path.
    QString GoneFile(const QString &name) const { return root.filePath(name); }
};

TEST_F(MediaTest, BrowsingMediaFilesKeepsTypedTextAndReportsUnreadableFiles)
{
    Start({{u"Alien"_s, u"Horror"_s, 1979}});
    TMovie *alien = MovieTitled(u"Alien"_s);
    Focus(alien);
    Trigger("EditVidAct");
    Child<QLineEdit>(MovieCard(), "YearEdit")->setText(u"1986"_s);

    const QString file = GoneFile(u"alien.avi"_s);
    dialogs->pickAnswers.push_back(TFakeDialogs::TPickAnswer{file, false, root.path()});
    Child<QToolButton>(MovieCard(), "BrowseBtn")->click();
    EXPECT_EQ(alien->Year(), 1986) << "the typed year is stored before the scan";
    EXPECT_EQ(alien->Path(), file);
    ASSERT_EQ(dialogs->pickExtensions.size(), 1);
    EXPECT_TRUE(dialogs->pickExtensions.front().contains(u".mkv"_s));
    ASSERT_EQ(dialogs->errors.size(), 1);
    EXPECT_TRUE(dialogs->errors.front().contains(u"alien.avi"_s));
    EXPECT_EQ(Child<QLineEdit>(MovieCard(), "FileEdit")->text(), file);

    // A movie with files asks to append, and the picker's answer decides.
    const QString second = GoneFile(u"alien2.avi"_s);
    dialogs->pickAnswers.push_back(TFakeDialogs::TPickAnswer{second, true, root.path()});
    Child<QToolButton>(MovieCard(), "BrowseBtn")->click();
    EXPECT_EQ(alien->Path(), file + u'|' + second);
}

TEST_F(MediaTest, MovieMasterCreatesAndFillsAMovie)
{
    Start({{u"Alien"_s, u"Horror"_s, 1979}});
    const QString file = GoneFile(u"Heat (1995).avi"_s);

    // The dialog guesses the title from the first picked file.
    TMasterSetup setup;
    TMovieMaster master(setup, [file] { return file; }, {}, {});
    master.Browse();
    TMasterChoice choice = master.Choice();
    EXPECT_EQ(choice.Title, u"Heat"_s);
    EXPECT_EQ(choice.Files, file);

    choice.Info = choice.Poster = choice.Covers = false;
    choice.FileInfo = true;
    choice.Seen = false;
    choice.Wish = true;
    dialogs->masterAnswers.push_back(choice);
    Trigger("NewMasterAct");
    TMovie *heat = MovieTitled(u"Heat"_s);
    ASSERT_NE(heat, nullptr);
    EXPECT_EQ(heat->Path(), file);
    EXPECT_FALSE(heat->Viewed());
    EXPECT_TRUE(heat->Wish());
    EXPECT_EQ(dialogs->errors.size(), 1) << "the file information was read";
    EXPECT_EQ(window->Movies().Current(), heat);

    // The choices are remembered for the next time, except Seen.
    dialogs->masterAnswers.push_back(std::nullopt);
    Trigger("NewMasterAct");
    ASSERT_EQ(dialogs->masterSetups.size(), 2u);
    EXPECT_FALSE(dialogs->masterSetups.back().Start.Info);
    EXPECT_TRUE(dialogs->masterSetups.back().Start.Wish);
    EXPECT_TRUE(dialogs->masterSetups.back().Start.Seen);

    // A link to a movie that does not exist offers the master with its title.
    dialogs->yesNoAnswers = {true};
    dialogs->masterAnswers.push_back(std::nullopt);
    window->Records().GoToMovieByTitle(u"Ronin"_s, false);
    ASSERT_EQ(dialogs->masterSetups.size(), 3u);
    EXPECT_EQ(dialogs->masterSetups.back().Start.Title, u"Ronin"_s);
    EXPECT_EQ(MovieTitled(u"Ronin"_s), nullptr) << "cancelled: nothing is created";
}

TEST_F(MediaTest, MovieMasterRunsTheToolbarsPluginAndSearchesAnEditableText)
{
    // Two information plug-ins and none is the default: the toolbar runs the first.
    QDir(Program()).mkpath(u"Plugins"_s);
    for (const char *name : {"infode", "infode2"}) {
        const QString file = u"testtype_%1.so"_s.arg(QLatin1StringView(name));
        ASSERT_TRUE(QFile::copy(QStringLiteral(RK_TEST_PLUGINS_DIR) + u"/types/"_s + file,
                                QDir(Program()).filePath(u"Plugins/"_s + file)));
    }
    Start({{u"Alien"_s, u"Horror"_s, 1979}});
    dialogs->masterAnswers.push_back(std::nullopt);
    Trigger("NewMasterAct");
    ASSERT_EQ(dialogs->masterSetups.size(), 1u);
    const TMasterSetup setup = dialogs->masterSetups.back();
    ASSERT_EQ(setup.InfoPlugins.size(), 2);
    EXPECT_EQ(setup.Start.InfoPlugin, setup.InfoPlugins.front().Index);

    // With only an original title typed, the search starts from it, and the user's edit
    // of the text is what is searched.
    TMasterSetup master;
    master.Engines = {u"Engine"_s};
    QList<std::pair<int, QString>> searches;
    TMovieMaster dialog(master,
                        {},
                        [&searches](int engine, const QString &text) {
                            searches.append({engine, text});
                        },
                        {});
    Child<QLineEdit>(&dialog, "OrigTitleEdit")->setText(u" Le Samouraï "_s);
    Child<QAction>(&dialog, "WebSearch0")->trigger();
    auto *ask = Child<QInputDialog>(&dialog, "WebSearchTextDialog");
    ASSERT_NE(ask, nullptr);
    EXPECT_EQ(ask->textValue(), u"Le Samouraï"_s);
    ask->setTextValue(u"Le Samouraï 1967"_s);
    ask->accept();
    ASSERT_EQ(searches.size(), 1);
    EXPECT_EQ(searches.front(), std::make_pair(0, u"Le Samouraï 1967"_s));
}

TEST_F(MediaTest, DefaultPictureFetchersShowTheirCardButtons)
{
    QDir(Program()).mkpath(u"Plugins"_s);
    for (const char *name : {"poster", "cover"}) {
        const QString file = u"testtype_%1.so"_s.arg(QLatin1StringView(name));
        ASSERT_TRUE(QFile::copy(QStringLiteral(RK_TEST_PLUGINS_DIR) + u"/types/"_s + file,
                                QDir(Program()).filePath(u"Plugins/"_s + file)));
    }
    Start({{u"Alien"_s, u"Horror"_s, 1979}});
    TMovie *alien = MovieTitled(u"Alien"_s);
    const TImage poster(30, 40);
    alien->SetPicture(&poster, TImageFormat::None, QString(), 2);
    Focus(alien);
    Trigger("EditVidAct");
    MovieCard()->SetHoverDelay(0);
    const auto hover = [this](const char *area) {
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(Child<QWidget>(MovieCard(), area), &enter);
        EXPECT_TRUE(SettleHover(MovieCard()));
    };
    hover("CoverPanel");
    EXPECT_TRUE(Child<QWidget>(MovieCard(), "ImgImportBtn")->isVisibleTo(MovieCard()));
    EXPECT_EQ(Child<QWidget>(MovieCard(), "SaveImgBtn")->x(), 55);
    EXPECT_EQ(Child<QWidget>(MovieCard(), "ImgClearBtn")->x(), 80);
    hover("FrontImg");
    EXPECT_TRUE(Child<QWidget>(MovieCard(), "GetFCBtn1")->isVisibleTo(MovieCard()));
    EXPECT_TRUE(Child<QWidget>(MovieCard(), "GetFCBtn2")->isVisibleTo(MovieCard()));
}

} // namespace
