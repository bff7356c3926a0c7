// One catalog list on its own: groups, sorting by header clicks and by the card's field
// menus, and the grid's column layout kept in the settings.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QTest>

#include "tests/support/commandfixture.h"

namespace {

const QList<std::tuple<QString, QString, int>> Films = {
    {u"Alien"_s, u"Horror, SciFi"_s, 1979},
    {u"2001: A Space Odyssey"_s, u"SciFi"_s, 1968},
    {u"28 Days Later"_s, u"Horror"_s, 2002},
    {u"Brazil"_s, u"Comedy"_s, 0},
};

class ListControllerTest : public CommandFixture
{
protected:
    void ClickHeader(int column)
    {
        host->window.show();
        QHeaderView *header = Movies()->header();
        const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    }
};

TEST_F(ListControllerTest, TreeGroupsByGenreAndYearWithUndefinedGroup)
{
    settings.MovieGroups = {4, 3};
    settings.MovieViewMode = 1;
    Start(Films);
    // Alien has two genres and so two rows.
    EXPECT_EQ(TopRows(), (QStringList{u"Comedy"_s, u"Horror"_s, u"SciFi"_s}));
    const QModelIndex comedy = Model()->index(0, 0);
    ASSERT_EQ(Model()->rowCount(comedy), 1);
    EXPECT_EQ(Model()->index(0, 2, comedy).data().toString(), u"Undefined"_s);
    EXPECT_EQ(Model()->NodesOf(MovieTitled(u"Alien"_s)).size(), 2);

    // A search hiding Brazil takes its groups with it; showing it brings them back.
    TMovie *brazil = MovieTitled(u"Brazil"_s);
    brazil->SetShown(false);
    EXPECT_EQ(TopRows(), (QStringList{u"Horror"_s, u"SciFi"_s}));
    brazil->SetShown(true);
    EXPECT_EQ(TopRows(), (QStringList{u"Comedy"_s, u"Horror"_s, u"SciFi"_s}));
}

// A switch sorts by the new view's own rule, records inside their groups too, and a search
// typed in one view keeps narrowing in the next.
TEST_F(ListControllerTest, ViewSwitchesSortByTheViewsRuleAndKeepTheSearch)
{
    settings.MovieGroups = {4};
    settings.TreeSort = {5, 1}; // year, descending
    Start(Films);
    const auto firstGroupRows = [this] {
        QStringList texts;
        const QModelIndex group = Model()->index(0, 0);
        for (int row = 0; row < Model()->rowCount(group); ++row)
            texts.append(Model()->index(row, 2, group).data().toString());
        return texts;
    };
    const QString space = u"2001: A Space Odyssey"_s;
    const struct
    {
        TViewMode view;
        QString search;
        QStringList top;
        QStringList firstGroup; // tree only
    } steps[] = {
        {TViewMode::Tree, {}, {u"SciFi"_s, u"Horror"_s, u"Comedy"_s}, {u"Alien"_s, space}},
        {TViewMode::Plain, {}, {u"28 Days Later"_s, space, u"Alien"_s, u"Brazil"_s}, {}},
        {TViewMode::Plain, u"i"_s, {u"Alien"_s, u"Brazil"_s}, {}},
        {TViewMode::Tree, u"i"_s, {u"SciFi"_s, u"Horror"_s, u"Comedy"_s}, {u"Alien"_s}},
        {TViewMode::Tree, u"li"_s, {u"SciFi"_s, u"Horror"_s}, {u"Alien"_s}},
        {TViewMode::Tree, {}, {u"SciFi"_s, u"Horror"_s, u"Comedy"_s}, {u"Alien"_s, space}},
    };
    for (const auto &step : steps) {
        const QString name = u"%1 \"%2\""_s.arg(int(step.view)).arg(step.search);
        if (MovieLists().View() != step.view) {
            MovieLists().SetView(step.view);
            MovieLists().Build();
        }
        if (host->filter.Text != step.search) {
            host->filter.Text = step.search;
            MovieLists().Refilter();
        }
        EXPECT_EQ(TopRows(), step.top) << name.toStdString();
        if (step.view == TViewMode::Tree) {
            EXPECT_EQ(firstGroupRows(), step.firstGroup) << name.toStdString();
        }
    }
}

// Typing on tests only the records still shown, unless a record changed since the last pass.
TEST_F(ListControllerTest, TypingOnRetestsRecordsChangedSinceTheLastPass)
{
    Start(Films);
    const auto search = [this](const QString &text) {
        host->filter.Text = text;
        MovieLists().Refilter();
        return TopRows();
    };
    EXPECT_EQ(search(u"r"_s), (QStringList{u"28 Days Later"_s, u"Brazil"_s}));
    MovieTitled(u"Alien"_s)->SetTitle(u"Alien Raid"_s);
    EXPECT_EQ(search(u"ra"_s), (QStringList{u"Alien Raid"_s, u"Brazil"_s}));
    EXPECT_EQ(search(u"raz"_s), (QStringList{u"Brazil"_s}));
}

TEST_F(ListControllerTest, HeaderClicksSortAndAreKept)
{
    settings.MovieViewMode = 2;
    Start(Films);
    ASSERT_EQ(MovieLists().View(), TViewMode::Grid);

    ClickHeader(5);
    EXPECT_EQ(settings.GridSort.SortBy, 5);
    EXPECT_EQ(settings.GridSort.SortDirection, 0);
    EXPECT_EQ(TopRows(5), (QStringList{u"0"_s, u"1968"_s, u"1979"_s, u"2002"_s}));
    ClickHeader(5);
    EXPECT_EQ(settings.GridSort.SortDirection, 1);
    EXPECT_EQ(TopRows(5).first(), u"2002"_s);
    // Another column keeps the direction; the poster column changes nothing.
    ClickHeader(2);
    EXPECT_EQ(settings.GridSort.SortBy, 2);
    EXPECT_EQ(settings.GridSort.SortDirection, 1);
    ClickHeader(0);
    EXPECT_EQ(settings.GridSort.SortBy, 2);
    EXPECT_EQ(TopRows().first(), u"Brazil"_s);
    // The plain view keeps its own sort.
    EXPECT_EQ(settings.PlainSort.SortBy, 2);
    EXPECT_EQ(settings.PlainSort.SortDirection, 0);

    // Width changes and dragged columns in the grid are stored.
    Movies()->header()->resizeSection(7, 133);
    EXPECT_EQ(settings.GridColumns.at(7).Width, 133);
    Movies()->header()->moveSection(5, 1);
    EXPECT_EQ(settings.GridColumns.at(5).Position, 1);
    EXPECT_EQ(settings.GridColumns.at(1).Position, 2);
}

TEST_F(ListControllerTest, CardSortRequestsToggleTheSameColumn)
{
    Start(Films);
    EXPECT_EQ(MovieLists().SortDirectionForItem(2), Qt::DescendingOrder); // title is sorted
    EXPECT_EQ(MovieLists().SortDirectionForItem(14), Qt::AscendingOrder);
    MovieLists().SortByItem(2);
    EXPECT_EQ(settings.PlainSort.SortDirection, 1);
    EXPECT_EQ(TopRows().first(), u"Brazil"_s);
    MovieLists().SortByItem(6); // genre, direction kept
    EXPECT_EQ(settings.PlainSort.SortBy, 6);
    EXPECT_EQ(settings.PlainSort.SortDirection, 1);
    EXPECT_EQ(TopRows().first(), u"2001: A Space Odyssey"_s); // "SciFi" is last ascending
}

} // namespace
