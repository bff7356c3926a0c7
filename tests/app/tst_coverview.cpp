// The covers view in the window: chosen from the View menu, it shows the list's records in
// its order, filter and groups, shares the focused record with the other views, moves with
// the keys and keeps its size in the settings. Links, drags and file drops work on it as on
// the list, and series open there as in the tree.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QDrag>
#include <QLineEdit>
#include <QMimeData>
#include <QSlider>
#include <QTest>

#include "app/catalogview.h"
#include "app/coverview.h"
#include "app/filtercontroller.h"
#include "app/listcontroller.h"
#include "app/listmodel.h"
#include "app/mainwindow.h"
#include "catalog/episode.h"
#include "catalog/movie.h"
#include "logic/settingsfile.h"
#include "tests/support/droptest.h"
#include "tests/support/mainfixture.h"
#include "tests/support/widgettest.h"

using namespace Qt::StringLiterals;

namespace {

const QList<std::tuple<QString, QString, int>> Films = {
    {u"Alien"_s, u"Horror"_s, 1979},
    {u"Brazil"_s, u"Comedy"_s, 1985},
    {u"28 Days Later"_s, u"Horror"_s, 2002},
    {u"Amelie"_s, u"Comedy"_s, 2001},
};

class CoverViewTest : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        qputenv("XDG_CACHE_HOME", root.filePath(u"home/.cache"_s).toUtf8());
    }
    void TearDown() override
    {
        MainWindowFixture::TearDown();
        qunsetenv("XDG_CACHE_HOME");
    }
    TCoverView *Covers() const { return Movies()->CoversShown(); }
    QStringList Tiles() const
    {
        QStringList titles;
        for (const TViewNode *node : Covers()->TileNodes())
            titles.append(static_cast<const TBaseMovie *>(node->record)->Title());
        return titles;
    }
    QString Focused() const
    {
        const TDBItem *record = Model()->RecordOf(Movies()->currentIndex());
        return record ? static_cast<const TBaseMovie *>(record)->Title() : QString();
    }
    QPoint TileOf(const TDBItem *record) const
    {
        return Covers()
            ->visualRect(Model()->IndexOf(Model()->FirstNodeOf(record), Movies()->TitleColumn()))
            .center();
    }
};

TEST_F(CoverViewTest, FollowsGroupsFocusAndKeysAcrossViews)
{
    Start(Films);
    ASSERT_TRUE(window->SelectRecord(MovieTitled(u"Brazil"_s)));
    Movies()->FlushFocus();
    EXPECT_EQ(window->Action(u"CoversViewAct"_s)->shortcut(), QKeySequence(u"Ctrl+F4"_s));
    Trigger("CoversViewAct");
    ASSERT_NE(Covers(), nullptr);
    EXPECT_TRUE(window->Action(u"CoversViewAct"_s)->isChecked());
    EXPECT_EQ(window->Movies().View(), TViewMode::Covers);
    EXPECT_TRUE(Covers()->isVisible());
    // The default grouping (first letter) gives sections; the tree's order within them.
    EXPECT_EQ(Covers()->HeaderCount(), 3);
    EXPECT_EQ(Tiles(), (QStringList{u"28 Days Later"_s, u"Alien"_s, u"Amelie"_s, u"Brazil"_s}));
    EXPECT_EQ(Focused(), u"Brazil"_s);

    // Keys move over the tiles and the card follows.
    Covers()->setFocus();
    QTest::keyClick(Covers(), Qt::Key_Home);
    EXPECT_EQ(Focused(), u"28 Days Later"_s);
    QTest::keyClick(Covers(), Qt::Key_Right);
    Movies()->FlushFocus();
    EXPECT_EQ(Focused(), u"Alien"_s);
    EXPECT_EQ(movieCard.shown, MovieTitled(u"Alien"_s));

    // A click selects, a double click opens the card for editing.
    const QRect amelie = Covers()->visualRect(
        Model()->IndexOf(Model()->FirstNodeOf(MovieTitled(u"Amelie"_s)), Movies()->TitleColumn()));
    ASSERT_TRUE(amelie.isValid());
    QTest::mouseClick(Covers()->viewport(), Qt::LeftButton, {}, amelie.center());
    EXPECT_EQ(Focused(), u"Amelie"_s);
    QTest::mouseDClick(Covers()->viewport(), Qt::LeftButton, {}, amelie.center());
    ASSERT_TRUE(QTest::qWaitFor([this] { return movieCard.editing; }));
    EXPECT_EQ(movieCard.shown, MovieTitled(u"Amelie"_s));

    // Back in the plain view the same record is focused.
    Trigger("PlainViewAct");
    EXPECT_EQ(Movies()->CoversShown(), nullptr);
    EXPECT_EQ(Focused(), u"Amelie"_s);
}

TEST_F(CoverViewTest, FollowsSortAndFilterWithoutGroups)
{
    settings.WriteString(u"MovieList"_s, u"Groups"_s, QString());
    Start(Films);
    Trigger("CoversViewAct");
    ASSERT_NE(Covers(), nullptr);
    EXPECT_EQ(Covers()->HeaderCount(), 0);
    EXPECT_EQ(Tiles(), (QStringList{u"28 Days Later"_s, u"Alien"_s, u"Amelie"_s, u"Brazil"_s}));

    // The sort and the filter of the list are the wall's.
    window->Movies().SortState(TViewMode::Plain).SortDirection = 1;
    window->Movies().ApplySort();
    EXPECT_EQ(Tiles(), (QStringList{u"Brazil"_s, u"Amelie"_s, u"Alien"_s, u"28 Days Later"_s}));
    window->Filters().ChooseSearchField(TRecordKind::Movie, 6);
    Child<QLineEdit>(window.get(), "SearchEdit")->setText(u"comedy"_s);
    EXPECT_EQ(Tiles(), (QStringList{u"Brazil"_s, u"Amelie"_s}));
}

TEST_F(CoverViewTest, SizeIsRememberedAndPeopleHaveCovers)
{
    Start(Films, {u"Sigourney Weaver"_s, u"Terry Gilliam"_s});
    Trigger("CoversViewAct");
    ASSERT_NE(Covers(), nullptr);
    auto *slider = Covers()->findChild<QSlider *>(u"CoverSizeSlider"_s);
    ASSERT_NE(slider, nullptr);
    const int before = Covers()->Side();
    QWheelEvent wheel(QPointF(10, 10),
                      Covers()->viewport()->mapToGlobal(QPointF(10, 10)),
                      QPoint(),
                      QPoint(0, 240),
                      Qt::NoButton,
                      Qt::ControlModifier,
                      Qt::NoScrollPhase,
                      false);
    QCoreApplication::sendEvent(Covers()->viewport(), &wheel);
    EXPECT_EQ(Covers()->Side(), before + 40);
    EXPECT_EQ(slider->value(), before + 40);
    slider->setValue(1000);
    EXPECT_EQ(Covers()->Side(), 300);

    Trigger("dbModeAct");
    Trigger("CoversViewAct");
    TCoverView *people = window->People().List()->CoversShown();
    ASSERT_NE(people, nullptr);
    EXPECT_EQ(people->TileCount(), 2);

    window->SaveSettings();
    TSettingsFile written;
    ASSERT_TRUE(written.Load(QDir(Program()).filePath(u"config.ini"_s)));
    EXPECT_EQ(written.ReadInteger(u"MovieList"_s, u"ViewMode"_s, -1), 3);
    EXPECT_EQ(written.ReadInteger(u"PeopleList"_s, u"ViewMode"_s, -1), 3);
    EXPECT_EQ(written.ReadInteger(u"Covers"_s, u"Size"_s, -1), 300);
}

TEST_F(CoverViewTest, LinksDragsAndFileDropsAsOnTheList)
{
    settings.WriteString(u"MovieList"_s, u"Groups"_s, QString());
    Start(Films);
    TMovie *alien = MovieTitled(u"Alien"_s);
    TMovie *brazil = MovieTitled(u"Brazil"_s);
    ASSERT_TRUE(window->SelectRecord(alien));
    Movies()->FlushFocus();
    Trigger("CoversViewAct");
    ASSERT_NE(Covers(), nullptr);
    QWidget *wall = Covers()->viewport();

    // Ctrl+Shift+click links the movie and leaves the focus; released elsewhere, nothing.
    const Qt::KeyboardModifiers keys = Qt::ControlModifier | Qt::ShiftModifier;
    QTest::mousePress(wall, Qt::LeftButton, keys, TileOf(brazil));
    EXPECT_TRUE(Movies()->LinkDragging());
    QTest::mouseMove(wall, TileOf(MovieTitled(u"Amelie"_s)));
    QTest::mouseRelease(wall, Qt::LeftButton, keys, TileOf(brazil));
    QTest::mousePress(wall, Qt::LeftButton, keys, TileOf(brazil));
    QTest::mouseRelease(wall, Qt::LeftButton, keys, TileOf(alien));
    EXPECT_FALSE(Movies()->LinkDragging());
    EXPECT_EQ(movieCard.links, QList<TBaseMovie *>{brazil});
    EXPECT_EQ(Focused(), u"Alien"_s);

    // Dragging a selected poster carries its record as the list's drags do.
    QTest::mousePress(wall, Qt::LeftButton, {}, TileOf(alien));
    // The first move only arms the drag, as in every item view.
    QTest::mouseMove(wall, TileOf(alien) + QPoint(20, 20));
    QTest::mouseMove(wall, TileOf(alien) + QPoint(40, 40));
    auto *drag = Covers()->findChild<QDrag *>();
    ASSERT_NE(drag, nullptr);
    ASSERT_NE(drag->mimeData(), nullptr);
    EXPECT_EQ(drag->mimeData()->text(), u"Alien"_s);
    EXPECT_TRUE(drag->mimeData()->hasFormat(TListModel::RecordsMimeType()));
    QTest::mouseRelease(wall, Qt::LeftButton, {}, TileOf(alien) + QPoint(40, 40));

    // Files dragged over the wall reach the window: a catalog is taken, other files not.
    EXPECT_TRUE(DragFiles(wall, {SmallFile(u"other.rkd"_s)}, false));
    EXPECT_FALSE(DragFiles(wall, {SmallFile(u"notes.txt"_s)}, false));
}

TEST_F(CoverViewTest, SeriesShowTheirEpisodesWhenOpenedAsInTheTree)
{
    settings.WriteString(u"MovieList"_s, u"Groups"_s, QString());
    prepare = [](TVideoDatabase &db) {
        TMovie *series = nullptr;
        for (int i = 0; i < db.MovieCount() && !series; ++i)
            series = db.Movie(i)->Title() == u"Brazil"_s ? db.Movie(i) : nullptr;
        ASSERT_NE(series, nullptr);
        for (const QString &title : {u"Pilot"_s, u"Finale"_s}) {
            TEpisode *episode = series->AddEpisode();
            episode->SetTitle(title);
            episode->SetEpnum(series->EpisodeCount());
        }
    };
    Start(Films);
    TMovie *brazil = MovieTitled(u"Brazil"_s);
    ASSERT_TRUE(brazil->HasEpisodes());
    const QStringList closed{u"28 Days Later"_s, u"Alien"_s, u"Amelie"_s, u"Brazil"_s};
    const QStringList open = closed + QStringList{u"Pilot"_s, u"Finale"_s};
    Trigger("CoversViewAct");
    ASSERT_NE(Covers(), nullptr);
    EXPECT_EQ(Tiles(), closed);

    // A double click opens the series here and in the tree; Enter closes it again.
    QWidget *wall = Covers()->viewport();
    QTest::mouseClick(wall, Qt::LeftButton, {}, TileOf(brazil));
    QTest::mouseDClick(wall, Qt::LeftButton, {}, TileOf(brazil));
    EXPECT_EQ(Tiles(), open);
    EXPECT_TRUE(Movies()->isExpanded(Model()->IndexOf(Model()->FirstNodeOf(brazil))));
    Covers()->setFocus();
    QTest::keyClick(Covers(), Qt::Key_Return);
    EXPECT_EQ(Tiles(), closed);
    EXPECT_FALSE(movieCard.editing) << "a series is not edited";

    // Focusing an episode from elsewhere opens its series; the keys walk its tiles, and
    // minus on an episode closes the series with the focus on it.
    ASSERT_TRUE(window->SelectRecord(brazil->Episode(0)));
    EXPECT_EQ(Tiles(), open);
    QTest::keyClick(Covers(), Qt::Key_Right);
    EXPECT_EQ(Focused(), u"Finale"_s);
    QTest::keyClick(Covers(), Qt::Key_Minus);
    EXPECT_EQ(Tiles(), closed);
    EXPECT_EQ(Focused(), u"Brazil"_s);
    QTest::keyClick(Covers(), Qt::Key_Plus);
    EXPECT_EQ(Tiles(), open);
}

TEST_F(CoverViewTest, SizeReachesTheOtherListAndTheHintFollowsTheLanguage)
{
    settings.WriteInteger(u"Dialogs"_s, u"Language"_s, 7);
    Start(Films, {u"Sigourney Weaver"_s});
    Trigger("CoversViewAct");
    TCoverView *movies = Covers();
    ASSERT_NE(movies, nullptr);
    Trigger("dbModeAct");
    Trigger("CoversViewAct");
    TCoverView *people = window->People().List()->CoversShown();
    ASSERT_NE(people, nullptr);

    // The people's slider moves the hidden movie wall too, before it is shown again.
    auto *slider = people->findChild<QSlider *>(u"CoverSizeSlider"_s);
    ASSERT_NE(slider, nullptr);
    slider->setValue(100);
    EXPECT_EQ(movies->Side(), 100);

    EXPECT_EQ(slider->toolTip(), u"Plakatgröße (Strg+Mausrad)"_s);
    window->Language().SetLanguage(window->Language().IndexOfLanguage(9));
    window->TranslateAll();
    EXPECT_EQ(slider->toolTip(), u"Poster size (Ctrl+mouse wheel)"_s);
    EXPECT_EQ(movies->findChild<QSlider *>()->toolTip(), slider->toolTip());
}

} // namespace
