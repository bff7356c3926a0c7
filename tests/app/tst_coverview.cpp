// The covers view in the window: chosen from the View menu, it shows the list's records in
// its order, filter and groups, shares the focused record with the other views, moves with
// the keys and keeps its size in the settings.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QSlider>
#include <QTest>

#include "app/catalogview.h"
#include "app/coverview.h"
#include "app/filtercontroller.h"
#include "app/listcontroller.h"
#include "app/listmodel.h"
#include "app/mainwindow.h"
#include "catalog/movie.h"
#include "logic/settingsfile.h"
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
            titles.append(static_cast<const TMovie *>(node->record)->Title());
        return titles;
    }
    QString Focused() const
    {
        const TDBItem *record = Model()->RecordOf(Movies()->currentIndex());
        return record ? static_cast<const TMovie *>(record)->Title() : QString();
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

} // namespace
