// Cell texts, in-place storing, sort orders and row colours of the catalog lists, on real
// records placed in a real model.
#include <memory>

#include <gtest/gtest.h>

#include <QLocale>

#include "app/listcolumns.h"
#include "app/listmodel.h"
#include "catalog/actor.h"
#include "catalog/daycount.h"
#include "catalog/episode.h"
#include "catalog/movie.h"
#include "catalog/videodatabase.h"
#include "views/contrast.h"

using namespace Qt::StringLiterals;

namespace {

QStringList RowTexts(const QAbstractItemModel &model, int column, const QModelIndex &parent = {})
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(parent); ++row)
        texts.append(model.index(row, column, parent).data().toString());
    return texts;
}

class ListColumnsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto movieColumns = std::make_unique<TMovieColumns>();
        auto peopleColumns = std::make_unique<TPeopleColumns>();
        m_movieColumns = movieColumns.get();
        m_peopleColumns = peopleColumns.get();
        m_movies.SetTextProvider(std::move(movieColumns));
        m_people.SetTextProvider(std::move(peopleColumns));
        m_movies.SetParentsRule([this](const TDBItem &) { return m_parents; });
        m_db = std::make_unique<TVideoDatabase>(QString());
        m_db->AddObserver(&m_movies);
        m_db->AddObserver(&m_people);
    }
    void TearDown() override { m_db.reset(); }

    TMovie *AddMovie(const QString &title)
    {
        auto *movie = static_cast<TMovie *>(m_db->AddRecord(0));
        movie->SetTitle(title);
        return movie;
    }
    TActor *AddPerson(const QString &name)
    {
        return static_cast<TActor *>(m_db->AddRecord(1, name));
    }
    QString Cell(const TDBItem *record, int column) const
    {
        const TListModel &model = record->Kind() == TRecordKind::Person ? m_people : m_movies;
        return model.IndexOf(model.FirstNodeOf(record), column).data().toString();
    }
    void SortMovies(int column, Qt::SortOrder order)
    {
        m_movies.Sort(column, order, [this](const TViewNode &a, const TViewNode &b, int c) {
            return m_movieColumns->Compare(a, b, c);
        });
    }
    void SortPeople(int column, Qt::SortOrder order)
    {
        m_people.Sort(column, order, [this](const TViewNode &a, const TViewNode &b, int c) {
            return m_peopleColumns->Compare(a, b, c);
        });
    }

    QList<TViewNode *> m_parents{nullptr};
    TListModel m_movies;
    TListModel m_people{nullptr, TRecordKind::Person};
    TMovieColumns *m_movieColumns = nullptr;
    TPeopleColumns *m_peopleColumns = nullptr;
    std::unique_ptr<TVideoDatabase> m_db;
};

TEST_F(ListColumnsTest, MovieCellsFollowTheirFields)
{
    TMovie *movie = AddMovie(u"Alien"_s);
    EXPECT_EQ(Cell(movie, 1), u"-1"_s);
    EXPECT_EQ(Cell(movie, 5), u"0"_s);
    EXPECT_EQ(Cell(movie, 19), u"0.0"_s);
    EXPECT_EQ(Cell(movie, 21), QString()); // no date added: empty, not 1899
    EXPECT_EQ(Cell(movie, 0), QString());

    movie->SetDescription(u"one\ttwo"_s);
    movie->SetRating(7.26);
    movie->SetImdbrating(10);
    movie->SetSize(4'700'000'000);
    movie->SetFramerate(23.976);
    movie->SetLength(DateTimeToDays(QDateTime(QDate(1899, 12, 30), QTime(2, 5, 9))));
    movie->Lend(u"Ann"_s);
    movie->SetLoandate(DateToDays(QDate(2024, 3, 5)));
    EXPECT_EQ(Cell(movie, 24), u"one    two"_s);
    EXPECT_EQ(Cell(movie, 19), u"7.3"_s);
    EXPECT_EQ(Cell(movie, 17), u"10.0"_s);
    EXPECT_EQ(Cell(movie, 32), u"4700000000"_s);
    EXPECT_EQ(Cell(movie, 39), u"23.976"_s);
    EXPECT_EQ(Cell(movie, 28), u"2:05:09"_s);
    EXPECT_EQ(Cell(movie, 42), u"3/5/2024"_s);

    // Custom fields are the columns after the fixed ones.
    m_movieColumns->SetCustomNames({u"Shelf"_s});
    m_movies.ColumnsChanged();
    m_db->AddCustomField(u"Shelf"_s);
    movie->SetCustomValue(0, u"B3"_s);
    EXPECT_EQ(m_movies.columnCount(), 45);
    EXPECT_EQ(m_movies.headerData(44, Qt::Horizontal).toString(), u"Shelf"_s);
    EXPECT_EQ(Cell(movie, 44), u"B3"_s);
}

TEST_F(ListColumnsTest, TitleColumnUsesTheTemplateOutsideTheGrid)
{
    TMovie *series = AddMovie(u"Friends"_s);
    TEpisode *episode = series->AddEpisode();
    episode->SetEpnum(3);
    episode->SetTitle(u"Friends"_s);
    TViewNode *group = m_movies.AddGroupNode(nullptr, u"F"_s, u"F"_s);

    EXPECT_EQ(Cell(series, 2), u"Friends"_s);
    EXPECT_EQ(Cell(episode, 2), u"3 - Friends"_s);
    m_movieColumns->SetGrid(true);
    EXPECT_EQ(Cell(episode, 2), u"Friends"_s);
    m_movieColumns->SetTitleFormat(u"%T (%Y)"_s);
    m_movieColumns->SetGrid(false);
    EXPECT_EQ(Cell(series, 2), u"Friends ()"_s);

    // A group row shows its caption in the title column only.
    EXPECT_EQ(m_movies.IndexOf(group, 2).data().toString(), u"F"_s);
    EXPECT_EQ(m_movies.IndexOf(group, 3).data().toString(), QString());
}

TEST_F(ListColumnsTest, InPlaceEditsStoreThroughTheSetters)
{
    TMovie *movie = AddMovie(u"Alien"_s);
    movie->SetYear(1979);
    movie->Lend(u"Ann"_s);
    m_movies.SetEditable(true);
    const auto edit = [&](int column, const QString &text) {
        return m_movies.setData(m_movies.IndexOf(m_movies.FirstNodeOf(movie), column), text);
    };

    EXPECT_TRUE(edit(1, u"abc"_s));
    EXPECT_EQ(movie->Num(), -1);
    EXPECT_TRUE(edit(1, u"12"_s));
    EXPECT_EQ(movie->Num(), 12);
    EXPECT_TRUE(edit(5, u"nineteen"_s));
    EXPECT_EQ(movie->Year(), 0);
    EXPECT_TRUE(edit(19, u"7.5"_s));
    EXPECT_DOUBLE_EQ(movie->Rating(), 7.5);
    EXPECT_TRUE(edit(19, u"good"_s));
    EXPECT_DOUBLE_EQ(movie->Rating(), 0);
    EXPECT_TRUE(edit(28, u"1:30:00"_s));
    EXPECT_DOUBLE_EQ(movie->Length(), 1.5 / 24);
    EXPECT_TRUE(edit(28, u"soon"_s));
    EXPECT_DOUBLE_EQ(movie->Length(), 0);
    EXPECT_TRUE(edit(2, u"Aliens"_s));
    EXPECT_EQ(movie->Title(), u"Aliens"_s);

    // Poster, date added, borrower and the two dates cannot be edited.
    for (int column : {0, 21, 22, 42, 43}) {
        const QModelIndex index = m_movies.IndexOf(m_movies.FirstNodeOf(movie), column);
        EXPECT_FALSE(m_movies.flags(index) & Qt::ItemIsEditable) << column;
        EXPECT_FALSE(m_movies.setData(index, u"Bob"_s)) << column;
    }
    EXPECT_EQ(movie->Loan(), u"Ann"_s);

    // Outside the grid nothing is editable.
    m_movies.SetEditable(false);
    EXPECT_FALSE(edit(2, u"Nope"_s));
    EXPECT_EQ(movie->Title(), u"Aliens"_s);

    // The people grid stores through the person's setters too.
    TActor *person = AddPerson(u"Zoe"_s);
    m_people.SetEditable(true);
    const QModelIndex name = m_people.IndexOf(m_people.FirstNodeOf(person), 1);
    EXPECT_TRUE(m_people.flags(name) & Qt::ItemIsEditable);
    EXPECT_TRUE(m_people.setData(name, u"Ann"_s));
    EXPECT_EQ(person->Name(), u"Ann"_s);
}

TEST_F(ListColumnsTest, GroupRowsFollowTheSortDirection)
{
    for (const QString &title : {u"b"_s, u"C"_s, u"a"_s})
        AddMovie(title);
    m_movies.AddGroupNode(nullptr, u"Year 2"_s);
    m_movies.AddGroupNode(nullptr, u"Year 10"_s);
    m_movies.AddGroupNode(nullptr, u"Year 1"_s);

    SortMovies(2, Qt::AscendingOrder);
    EXPECT_EQ(RowTexts(m_movies, 2),
              (QStringList{u"Year 1"_s, u"Year 2"_s, u"Year 10"_s, u"a"_s, u"b"_s, u"C"_s}));
    // Descending turns the whole comparison round.
    SortMovies(2, Qt::DescendingOrder);
    EXPECT_EQ(RowTexts(m_movies, 2),
              (QStringList{u"C"_s, u"b"_s, u"a"_s, u"Year 10"_s, u"Year 2"_s, u"Year 1"_s}));
    // Sorted by another column, groups still go by caption in the list's direction.
    SortMovies(5, Qt::AscendingOrder);
    EXPECT_EQ(RowTexts(m_movies, 2).mid(0, 3),
              (QStringList{u"Year 1"_s, u"Year 2"_s, u"Year 10"_s}));
}

TEST_F(ListColumnsTest, ColumnsSortByTheirRules)
{
    TMovie *alpha = AddMovie(u"Vol 10"_s);
    TMovie *beta = AddMovie(u"Vol 9"_s);
    TMovie *gamma = AddMovie(u"Vol 9b"_s);
    alpha->SetNum(10);
    beta->SetNum(9);
    gamma->SetNum(100);
    alpha->SetDirector(u"bob"_s);
    beta->SetDirector(u"Alice"_s);
    gamma->SetDirector(u"Carl"_s);
    alpha->SetDateadded(DateToDays(QDate(2020, 1, 2)));
    beta->SetDateadded(DateToDays(QDate(2019, 12, 31)));
    gamma->SetDateadded(DateToDays(QDate(2021, 5, 1)));

    SortMovies(1, Qt::AscendingOrder); // numeric, not "10" < "100" < "9"
    EXPECT_EQ(RowTexts(m_movies, 1), (QStringList{u"9"_s, u"10"_s, u"100"_s}));
    SortMovies(2, Qt::AscendingOrder); // natural: 9 before 10
    EXPECT_EQ(RowTexts(m_movies, 2).first(), u"Vol 9"_s);
    EXPECT_EQ(RowTexts(m_movies, 2).last(), u"Vol 10"_s);
    SortMovies(7, Qt::AscendingOrder); // without regard to case
    EXPECT_EQ(RowTexts(m_movies, 7), (QStringList{u"Alice"_s, u"bob"_s, u"Carl"_s}));
    SortMovies(21, Qt::DescendingOrder); // by date, not by the text "1/2/2020"
    EXPECT_EQ(RowTexts(m_movies, 1), (QStringList{u"100"_s, u"10"_s, u"9"_s}));
    // The poster column compares equal: the order stays.
    SortMovies(0, Qt::AscendingOrder);
    EXPECT_EQ(RowTexts(m_movies, 1), (QStringList{u"100"_s, u"10"_s, u"9"_s}));
}

TEST_F(ListColumnsTest, PeopleSortByCellTextAndBirthdays)
{
    TActor *ann = AddPerson(u"Ann"_s);
    TActor *bob = AddPerson(u"Bob"_s);
    TActor *cid = AddPerson(u"Cid"_s);
    ann->SetBirthday(DateToDays(QDate(1990, 12, 1)));
    bob->SetBirthday(DateToDays(QDate(1985, 2, 1)));
    m_people.AddGroupNode(nullptr, u"B"_s);
    m_people.AddGroupNode(nullptr, u"A"_s);

    // Group rows first, in caption order like the names (people groups are not reversed).
    SortPeople(1, Qt::AscendingOrder);
    EXPECT_EQ(RowTexts(m_people, 1), (QStringList{u"A"_s, u"B"_s, u"Ann"_s, u"Bob"_s, u"Cid"_s}));
    // Two birthdays compare as dates ("2/1/1985" before "12/1/1990"); an empty cell comes
    // first as text.
    SortPeople(4, Qt::AscendingOrder);
    EXPECT_EQ(RowTexts(m_people, 1), (QStringList{u"A"_s, u"B"_s, u"Cid"_s, u"Bob"_s, u"Ann"_s}));
    // Groups turn round with the list, whatever column sorts the people.
    SortPeople(4, Qt::DescendingOrder);
    EXPECT_EQ(RowTexts(m_people, 1).mid(3), (QStringList{u"B"_s, u"A"_s}));
    Q_UNUSED(cid);
}

TEST_F(ListColumnsTest, RowColoursFollowTheFirstMatchingState)
{
    TRowLook look;
    for (int i = 0; i < 21; ++i)
        look.Colors[size_t(i)] = i; // colour value = index, to see which one was taken
    TMovie *movie = AddMovie(u"Alien"_s);
    TViewNode *node = m_movies.FirstNodeOf(movie);
    const auto index = [&](bool selected) {
        return WindowsFromColor(RowBackground(*node, selected, true, look));
    };

    movie->SetViewed(true);
    EXPECT_EQ(index(false), 0);
    EXPECT_EQ(index(true), 6);
    movie->SetViewed(false);
    EXPECT_EQ(index(false), 2);
    movie->SetWish(true);
    EXPECT_EQ(index(false), 12);
    movie->Lend(u"Ann"_s);
    EXPECT_EQ(index(true), 9);
    movie->SetBookmark(true);
    EXPECT_EQ(index(true), 7); // bookmarked beats lent

    movie->SetBookmark(false);
    movie->ReturnLoan();
    movie->SetWish(false);
    movie->SetViewed(true);
    TEpisode *episode = movie->AddEpisode();
    episode->SetViewed(true);
    EXPECT_EQ(index(false), 4);
    EXPECT_EQ(WindowsFromColor(RowBackground(*m_movies.FirstNodeOf(episode), true, true, look)),
              11);

    TViewNode *group = m_movies.AddGroupNode(nullptr, u"G"_s);
    EXPECT_EQ(WindowsFromColor(RowBackground(*group, false, true, look)), 0);
    TActor *person = AddPerson(u"Zoe"_s);
    person->SetBookmark(true);
    EXPECT_EQ(WindowsFromColor(RowBackground(*m_people.FirstNodeOf(person), false, true, look)), 1);

    look.DoListColors = false;
    EXPECT_EQ(RowBackground(*node, true, true, look), look.Highlight);
    EXPECT_EQ(RowBackground(*node, false, true, look), look.Window);
}

TEST_F(ListColumnsTest, UnfocusedSelectionIsLightened)
{
    TRowLook look;
    look.Colors[6] = WindowsFromColor(QColor(0, 0, 128));
    TMovie *movie = AddMovie(u"Alien"_s);
    movie->SetViewed(true);
    TViewNode *node = m_movies.FirstNodeOf(movie);
    EXPECT_EQ(RowBackground(*node, true, true, look), QColor(0, 0, 128));
    EXPECT_EQ(RowBackground(*node, true, false, look), QColor(102, 102, 178));
    // Rows that are not selected keep their colour.
    look.Colors[0] = WindowsFromColor(QColor(10, 20, 30));
    EXPECT_EQ(RowBackground(*node, false, false, look), QColor(10, 20, 30));
    EXPECT_EQ(ColorFromWindows(0x804020), QColor(0x20, 0x40, 0x80));
}

TEST(ListColumns, CardItemsMapToSortColumns)
{
    const std::pair<int, int> movies[] = {{4, 4},
                                          {13, 13},
                                          {14, 15},
                                          {15, 17},
                                          {16, 2},
                                          {17, 19},
                                          {18, 20},
                                          {19, 21},
                                          {29, 43},
                                          {3, 2},
                                          {30, 2},
                                          {-1, 2}};
    for (const auto &[item, column] : movies)
        EXPECT_EQ(MovieSortColumnForItem(item), column) << item;
    const std::pair<int, int> people[] = {
        {4, 3}, {5, 4}, {6, 5}, {7, 6}, {8, 7}, {9, 9}, {3, 1}, {10, 1}};
    for (const auto &[item, column] : people)
        EXPECT_EQ(PeopleSortColumnForItem(item), column) << item;
}

// The row text keeps the colour table's (or palette's) ink when it reads, else the palette's,
// else black or white.
TEST(RowTextColor, FallsBackUntilTheRowReads)
{
    const QColor black(Qt::black), white(Qt::white), light(230, 230, 230), dark(42, 42, 42);
    struct TCase
    {
        const char *what;
        bool listColors;
        bool selected;
        QColor ground, tableInk, paletteInk, expected;
    };
    const TCase cases[] = {
        {"table ink reads", true, false, white, black, light, black},
        {"dark row, table ink dark", true, false, dark, black, light, light},
        {"teal selection, white on it too faint",
         true,
         true,
         QColor(0x60, 0xA3, 0xAE),
         white,
         white,
         black},
        {"palette ink without list colours", false, false, dark, black, light, light},
        {"palette highlight text too faint",
         false,
         true,
         QColor(42, 130, 218),
         black,
         white,
         black},
    };
    EXPECT_DOUBLE_EQ(ContrastRatio(black, white), 21.0);
    for (const TCase &c : cases) {
        TRowLook look;
        look.DoListColors = c.listColors;
        look.Colors[c.selected ? 15 : 14] = WindowsFromColor(c.tableInk);
        (c.selected ? look.HighlightedText : look.Text) = c.paletteInk;
        EXPECT_EQ(RowTextColor(c.ground, c.selected, look), c.expected) << c.what;
    }
}

} // namespace
