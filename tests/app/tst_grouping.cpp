#include <cmath>
#include <memory>
#include <ostream>

#include <gtest/gtest.h>

#include <QDate>
#include <QLocale>
#include <QStringList>

#include "app/grouping.h"
#include "app/listmodel.h"
#include "catalog/actor.h"
#include "catalog/daycount.h"
#include "catalog/movie.h"
#include "catalog/videodatabase.h"

using namespace Qt::StringLiterals;

void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

// Movie fields and people fields by number.
constexpr int TitleLetter = 1;
constexpr int Year = 3;
constexpr int Genre = 4;
constexpr int Rating = 21;
constexpr int PersonBirthday = 2;
constexpr int PersonGenre = 3;
constexpr int PersonRating = 5;

// The tree as text: "caption{children}" for groups, titles or names for records, siblings
// sorted so the text does not depend on row order.
QString Dump(const TListModel &model, const TViewNode *parent = nullptr)
{
    QStringList rows;
    for (const TViewNode *child : model.Children(parent)) {
        if (child->IsGroup())
            rows.append(child->caption + u'{' + Dump(model, child) + u'}');
        else if (child->record->Kind() == TRecordKind::Person)
            rows.append(static_cast<const TActor *>(child->record)->Name());
        else
            rows.append(static_cast<const TMovie *>(child->record)->DisplayTitle());
    }
    rows.sort();
    return rows.join(u',');
}

int GroupCount(const TListModel &model, const TViewNode *parent = nullptr)
{
    int count = 0;
    for (const TViewNode *child : model.Children(parent)) {
        if (child->IsGroup())
            count += 1 + GroupCount(model, child);
    }
    return count;
}

// A catalog whose records find their parents through the two groupings, as in the window.
class GroupingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_movies.SetParentsRule(
            [this](const TDBItem &record) { return m_movieGroups.ParentsFor(record); });
        m_people.SetParentsRule(
            [this](const TDBItem &record) { return m_peopleGroups.ParentsFor(record); });
        m_db = std::make_unique<TVideoDatabase>(QString());
        m_db->AddObserver(&m_movies);
        m_db->AddObserver(&m_people);
    }
    void TearDown() override { m_db.reset(); }

    TMovie *
    AddMovie(const QString &title, const QString &genre = {}, int year = 0, double rating = 0)
    {
        auto *movie = static_cast<TMovie *>(m_db->AddRecord(0));
        // Numbered in order, so the catalog keeps them in the order added.
        movie->SetNum(m_db->MovieCount());
        movie->SetTitle(title);
        movie->SetGenre(genre);
        movie->SetYear(year);
        movie->SetRating(rating);
        return movie;
    }
    TActor *AddPerson(const QString &name, double birthday, double rating, const QString &genre)
    {
        auto *person = static_cast<TActor *>(m_db->AddRecord(1, name));
        person->SetBirthday(birthday);
        person->SetRating(rating);
        person->SetGenre(genre);
        return person;
    }
    // The window's tree build: the groups first, then every record under its groups.
    void Build(bool people, const QList<int> &levels, bool undefinedGroup = true)
    {
        TListModel &model = people ? m_people : m_movies;
        TGrouping &grouping = people ? m_peopleGroups : m_movieGroups;
        const int count = people ? m_db->PersonCount() : m_db->MovieCount();
        model.Build(*m_db, [&] {
            grouping.SetLevels(levels, undefinedGroup);
            QList<const TDBItem *> records;
            for (int i = 0; i < count; ++i)
                records.append(people ? static_cast<TDBItem *>(m_db->Person(i)) : m_db->Movie(i));
            grouping.BuildGroups(records);
        });
    }

    TListModel m_movies;
    TListModel m_people{nullptr, TRecordKind::Person};
    TGrouping m_movieGroups{m_movies};
    TGrouping m_peopleGroups{m_people};
    // Destroyed before the models, which its records keep handles into.
    std::unique_ptr<TVideoDatabase> m_db;
};

TEST_F(GroupingTest, TitleLettersGatherDigitsOfAnyScript)
{
    AddMovie(u"2001: A Space Odyssey"_s);
    AddMovie(u"28 Days Later"_s);
    AddMovie(u"\u0663 Idiots"_s);
    AddMovie(u"Alien"_s);
    AddMovie(u"alien\u00b3"_s);
    AddMovie(u"\u00e9t\u00e9"_s);
    Build(false, {TitleLetter});
    EXPECT_EQ(Dump(m_movies),
              u"0 - 9{2001: A Space Odyssey,28 Days Later,\u0663 Idiots},A{Alien,alien\u00b3},"
              u"\u00c9{\u00e9t\u00e9}"_s);
    const TViewNode *digits = m_movies.FindGroupChild(nullptr, u"0"_s);
    ASSERT_NE(digits, nullptr);
    EXPECT_EQ(digits->caption, u"0 - 9"_s);
    EXPECT_EQ(digits->level, 0);
}

TEST_F(GroupingTest, ListValuesMakeOneGroupEachWithoutRegardToCase)
{
    AddMovie(u"Alien"_s, u"Horror, Sci-Fi"_s);
    AddMovie(u"Fargo"_s, u"Drama, Comedy"_s);
    AddMovie(u"Heat"_s, u"drama; DRAMA"_s);
    Build(false, {Genre});
    // The group takes the spelling met first, walking from the last movie and its last item;
    // Heat is shown once under it.
    EXPECT_EQ(Dump(m_movies), u"Comedy{Fargo},DRAMA{Fargo,Heat},Horror{Alien},Sci-Fi{Alien}"_s);
    EXPECT_EQ(m_movies.FindGroupChild(nullptr, u"Drama"_s)->groupValue, u"DRAMA"_s);
}

TEST_F(GroupingTest, UndefinedGroupOnAndOff)
{
    AddMovie(u"Alien"_s, u"Horror"_s, 1979);
    AddMovie(u"Heat"_s, u"Crime"_s, 0);
    AddMovie(u"Nameless"_s, {}, 1979);

    Build(false, {Year});
    EXPECT_EQ(Dump(m_movies), u"1979{Alien,Nameless},Undefined{Heat}"_s);
    const TViewNode *undefined = m_movies.FindGroupChild(nullptr, u"0"_s);
    ASSERT_NE(undefined, nullptr);
    EXPECT_EQ(undefined->caption, u"Undefined"_s);

    Build(false, {Year}, false);
    EXPECT_EQ(Dump(m_movies), u"1979{Alien,Nameless},Heat"_s);
    // The undefined records stay right under the parent, with no deeper groups of their own.
    Build(false, {Year, Genre}, false);
    EXPECT_EQ(Dump(m_movies), u"1979{Horror{Alien},Nameless},Heat"_s);

    TGroupTexts texts;
    texts.Undefined = u"(none)"_s;
    m_movieGroups.SetTexts(texts);
    Build(false, {Genre, Year});
    EXPECT_EQ(Dump(m_movies), u"(none){1979{Nameless}},Crime{(none){Heat}},Horror{1979{Alien}}"_s);
    EXPECT_EQ(GroupCount(m_movies), 6);
}

TEST_F(GroupingTest, RatingsGoToBucketsAndUnratedToTheUndefinedGroup)
{
    AddMovie(u"Alien"_s, {}, 0, 5.5);
    AddMovie(u"Heat"_s, {}, 0, 8.5);
    AddMovie(u"Cats"_s, {}, 0, 0);
    AddMovie(u"Broken"_s, {}, 0, -1);
    Build(false, {Rating});
    EXPECT_EQ(Dump(m_movies), u"4 - 6{Alien},8 - 10{Heat},Undefined{Broken,Cats}"_s);
}

TEST_F(GroupingTest, PeopleByBirthdayAndRating)
{
    AddPerson(u"Ann"_s, 0, 8.5, u"Drama"_s);
    AddPerson(u"Bob"_s, DateToDays(QDate(1889, 4, 16)), 3, u"Drama"_s);
    Build(true, {PersonBirthday});
    EXPECT_EQ(Dump(m_people), u"12/30/1899{Ann},4/16/1889{Bob}"_s);
    Build(true, {PersonRating});
    EXPECT_EQ(Dump(m_people), u"2 - 4{Bob},8 - 10{Ann}"_s);
    Build(true, {PersonGenre, PersonRating});
    EXPECT_EQ(Dump(m_people), u"Drama{2 - 4{Bob},8 - 10{Ann}}"_s);
}

TEST_F(GroupingTest, GenreThenYearBuildsTheWholeTreeOnce)
{
    AddMovie(u"Alien"_s, u"Horror, Sci-Fi"_s, 1979);
    AddMovie(u"Aliens"_s, u"Sci-Fi, Action"_s, 1986);
    AddMovie(u"Heat"_s, u"Crime"_s, 1995);
    TMovie *unknown = AddMovie(u"Unknown"_s, {}, 0);
    AddMovie(u"Predator"_s, u"Action/Sci-Fi"_s, 1987);
    Build(false, {Genre, Year});
    const QString tree = u"Action{1986{Aliens},1987{Predator}},Crime{1995{Heat}},"
                         u"Horror{1979{Alien}},Sci-Fi{1979{Alien},1986{Aliens},1987{Predator}},"
                         u"Undefined{Undefined{Unknown}}"_s;
    EXPECT_EQ(Dump(m_movies), tree);
    // Placing the records made no group of its own, so none is left empty.
    EXPECT_EQ(GroupCount(m_movies), 13);
    EXPECT_EQ(m_movies.PruneEmptyGroups(), 0);
    const TViewNode *year =
        m_movies.FindGroupChild(m_movies.FindGroupChild(nullptr, u"SCI-FI"_s), u"1986"_s);
    ASSERT_NE(year, nullptr);
    EXPECT_EQ(year->level, 1);

    // Without a genre, a movie shown again still gets its year group below the undefined one.
    unknown->SetShown(false);
    EXPECT_FALSE(Dump(m_movies).contains(u"Undefined"_s));
    unknown->SetShown(true);
    EXPECT_EQ(Dump(m_movies), tree);

    // A record shown later joins the groups that exist and makes the ones that do not.
    TMovie *ronin = AddMovie(u"Ronin"_s, u"Crime, Thriller"_s, 1995);
    ronin->SetShown(false);
    ronin->SetShown(true);
    EXPECT_EQ(Dump(m_movies, m_movies.FindGroupChild(nullptr, u"Crime"_s)), u"1995{Heat,Ronin}"_s);
    EXPECT_EQ(Dump(m_movies, m_movies.FindGroupChild(nullptr, u"Thriller"_s)), u"1995{Ronin}"_s);
    EXPECT_EQ(GroupCount(m_movies), 15);
}

TEST_F(GroupingTest, HidingTheLastRecordRemovesItsGroupsAndShowingMakesThemAgain)
{
    TMovie *alien = AddMovie(u"Alien"_s, u"Horror"_s, 1979);
    AddMovie(u"Heat"_s, u"Crime"_s, 1995);
    Build(false, {Genre, Year});
    alien->SetShown(false);
    EXPECT_EQ(Dump(m_movies), u"Crime{1995{Heat}}"_s);
    alien->SetShown(true);
    EXPECT_EQ(Dump(m_movies), u"Crime{1995{Heat}},Horror{1979{Alien}}"_s);
    ASSERT_EQ(m_movies.NodesOf(alien).size(), 1);
    EXPECT_EQ(m_movies.NodesOf(alien).first()->Parent()->groupValue, u"1979"_s);
}

// The captions themselves are the logic library's (tst_groupvalues); here the tree's kind
// picks the right ones.
TEST(Grouping, CaptionsOfTheKindAndLevels)
{
    auto movie = TMovie::Create(nullptr);
    TListModel model;
    TGrouping movies(model);
    EXPECT_EQ(movies.Caption(Rating, u"3"_s), u"4 - 6"_s);
    movies.SetLevels({-1, Year, MovieGroupFieldCount}, true);
    EXPECT_EQ(movies.Levels(), QList<int>{Year});
    EXPECT_EQ(movies.ParentsFor(*movie).size(), 1);

    TListModel personModel(nullptr, TRecordKind::Person);
    TGrouping people(personModel);
    EXPECT_EQ(people.Caption(PersonRating, u"5"_s), u"8 - 10"_s);
    people.SetLevels({PeopleGroupFieldCount, PersonRating}, false);
    EXPECT_EQ(people.Levels(), QList<int>{PersonRating});
}

} // namespace
