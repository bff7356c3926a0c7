// The filter bar's predicate: range texts, field matching, the order of the filter
// steps, the advanced criteria, media kinds and web search addresses.
#include <initializer_list>
#include <memory>

#include <gtest/gtest.h>

#include <QDate>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include "catalog/actor.h"
#include "catalog/daycount.h"
#include "catalog/episode.h"
#include "catalog/movie.h"
#include "catalog/videodatabase.h"
#include "logic/filters.h"
#include "tests/support/fakevolumeinfo.h"

using namespace Qt::StringLiterals;

namespace {

class FiltersTest : public ::testing::Test
{
protected:
    void SetUp() override { m_db = std::make_unique<TVideoDatabase>(QString()); }
    void TearDown() override { m_db.reset(); }

    TMovie *AddMovie(const QString &title, int year = 0)
    {
        auto *movie = static_cast<TMovie *>(m_db->AddRecord(0));
        movie->SetTitle(title);
        movie->SetYear(year);
        return movie;
    }
    TActor *AddPerson(const QString &name)
    {
        return static_cast<TActor *>(m_db->AddRecord(1, name));
    }

    // The movie search with one field and text, no other filter.
    static TFilterState Search(int field, const QString &text)
    {
        TFilterState state;
        state.MovieField = field;
        state.Text = text;
        return state;
    }

    std::unique_ptr<TVideoDatabase> m_db;
};

struct RangeCase
{
    const char16_t *text;
    TSearchKind kind;
    double lower;
    double upper;
};

class ParseRangeTest : public ::testing::TestWithParam<RangeCase>
{};

TEST_P(ParseRangeTest, ReadsBothBounds)
{
    const RangeCase &c = GetParam();
    const TRange range = ParseRange(QString::fromUtf16(c.text), c.kind);
    EXPECT_DOUBLE_EQ(range.Lower, c.lower);
    EXPECT_DOUBLE_EQ(range.Upper, c.upper);
}

const double Jan1st2000 = DateToDays(QDate(2000, 1, 1));
const double Mar5th2001 = DateToDays(QDate(2001, 3, 5));

INSTANTIATE_TEST_SUITE_P(
    Texts,
    ParseRangeTest,
    ::testing::Values(RangeCase{u"1990-1999", TSearchKind::Integer, 1990, 1999},
                      RangeCase{u" 2000 - 2005 ", TSearchKind::Integer, 2000, 2005},
                      RangeCase{u"1995", TSearchKind::Integer, 1995, 1995},
                      RangeCase{u"199x", TSearchKind::Integer, 0, 0},
                      RangeCase{u"1990-", TSearchKind::Integer, 0, 0},
                      RangeCase{u"", TSearchKind::Integer, 0, 0},
                      // Only the first "-" splits, so a second one spoils the upper bound.
                      RangeCase{u"1-2-3", TSearchKind::Integer, 0, 0},
                      RangeCase{u"6.5 - 8", TSearchKind::Number, 6.5, 8},
                      RangeCase{u"7.25", TSearchKind::Number, 7.25, 7.25},
                      RangeCase{u"nan", TSearchKind::Number, 0, 0},
                      RangeCase{u"1/1/2000 - 3/5/2001", TSearchKind::Date, Jan1st2000, Mar5th2001},
                      RangeCase{u"2000-01-01", TSearchKind::Date, 0, 0}));

TEST(ParseRangeLocale, NumbersTakeTheLocaleSeparatorAndFallBackToAPoint)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    const TRange comma = ParseRange(u"6,5 - 7,5"_s, TSearchKind::Number, german);
    const TRange point = ParseRange(u"6.5 - 7.5"_s, TSearchKind::Number, german);
    const TRange date = ParseRange(u"01.01.2000"_s, TSearchKind::Date, german);
    EXPECT_DOUBLE_EQ(comma.Lower, 6.5);
    EXPECT_DOUBLE_EQ(comma.Upper, 7.5);
    EXPECT_DOUBLE_EQ(point.Lower, 6.5);
    EXPECT_DOUBLE_EQ(point.Upper, 7.5);
    EXPECT_DOUBLE_EQ(date.Lower, Jan1st2000);
}

TEST_F(FiltersTest, YearRangesPickTheirMovies)
{
    TMovie *y0 = AddMovie(u"No year"_s, 0);
    TMovie *y1989 = AddMovie(u"A"_s, 1989);
    TMovie *y1990 = AddMovie(u"B"_s, 1990);
    TMovie *y1995 = AddMovie(u"C"_s, 1995);
    TMovie *y1999 = AddMovie(u"D"_s, 1999);
    TMovie *y2000 = AddMovie(u"E"_s, 2000);

    const auto shown = [&](const QString &text) {
        const TFilterState state = Search(5, text);
        QList<int> years;
        for (TMovie *movie : {y0, y1989, y1990, y1995, y1999, y2000}) {
            if (MoviePasses(*movie, state))
                years.append(movie->Year());
        }
        return years;
    };
    EXPECT_EQ(shown(u"1990-1999"_s), (QList<int>{1990, 1995, 1999}));
    EXPECT_EQ(shown(u"1995"_s), (QList<int>{1995}));
    EXPECT_EQ(shown(u"199x"_s), (QList<int>{0}));
}

TEST_F(FiltersTest, DateFieldsCompareTheDayOnly)
{
    TMovie *movie = AddMovie(u"Late"_s);
    // 23:59 on the upper bound day.
    movie->SetDateadded(Mar5th2001 + 1439.0 / 1440.0);
    movie->SetViewdate(Mar5th2001 + 1);
    EXPECT_TRUE(MoviePasses(*movie, Search(19, u"1/1/2000 - 3/5/2001"_s)));
    EXPECT_TRUE(MoviePasses(*movie, Search(19, u"3/5/2001"_s)));
    EXPECT_FALSE(MoviePasses(*movie, Search(29, u"1/1/2000 - 3/5/2001"_s)));

    // Before day 0 the time still counts forward from midnight: -1.25 is 12/29/1899 06:00.
    TActor *old = AddPerson(u"Old"_s);
    old->SetBirthday(-1.25);
    TFilterState state;
    state.PeopleField = 5;
    state.Text = u"12/29/1899"_s;
    EXPECT_TRUE(PersonPasses(*old, state));
}

TEST_F(FiltersTest, NumberFieldsUseTheLocale)
{
    TMovie *movie = AddMovie(u"Rated"_s);
    movie->SetImdbrating(7.5);
    movie->SetRating(3);
    EXPECT_TRUE(MoviePasses(*movie, Search(15, u"7 - 8"_s)));
    EXPECT_TRUE(MoviePasses(*movie, Search(15, u"7.5"_s)));
    EXPECT_FALSE(MoviePasses(*movie, Search(15, u"7.6 - 9"_s)));
    EXPECT_TRUE(MoviePasses(*movie, Search(17, u"2.5-3"_s)));
    // Unset other rating is 0, and "abc" reads as 0 - 0.
    EXPECT_TRUE(MoviePasses(*movie, Search(16, u"abc"_s)));
}

TEST_F(FiltersTest, TitleFieldsSearchTheirTextsIgnoringCase)
{
    TMovie *movie = AddMovie(u"Das Boot"_s);
    movie->SetOrigtitle(u"Ölsardine"_s);
    movie->SetAka(u"The Boat"_s);
    TMovie *onlyOriginal = AddMovie(QString());
    onlyOriginal->SetOrigtitle(u"Solaris"_s);
    onlyOriginal->SetYear(1972);

    EXPECT_TRUE(MoviePasses(*movie, Search(0, u"boot"_s)));
    EXPECT_TRUE(MoviePasses(*movie, Search(0, u"ölsar"_s)));
    EXPECT_TRUE(MoviePasses(*movie, Search(0, u"BOAT"_s)));
    EXPECT_FALSE(MoviePasses(*movie, Search(0, u"ship"_s)));
    EXPECT_TRUE(MoviePasses(*movie, Search(1, u"ÖLSAR"_s)));
    EXPECT_FALSE(MoviePasses(*movie, Search(1, u"boat"_s)));
    EXPECT_FALSE(MoviePasses(*movie, Search(2, u"sardine"_s)));
    EXPECT_TRUE(MoviePasses(*movie, Search(4, u"boat"_s)));
    // The display title falls back to the original title.
    EXPECT_TRUE(MoviePasses(*onlyOriginal, Search(2, u"solaris"_s)));
}

TEST_F(FiltersTest, SearchesIgnoreAccentsAndCaseInEveryScript)
{
    const struct
    {
        QString stored;
        QString typed;
        bool found;
    } cases[] = {
        {u"Zoltán Fábri"_s, u"zoltan"_s, true},
        {u"Zoltan Fabri"_s, u"ZOLTÁN"_s, true},
        {u"Ærø Ünal"_s, u"unal"_s, true},
        {u"Ωμέγα"_s, u"ΩΜΕΓΑ"_s, true},   // Greek, accent and case
        {u"Ёлка"_s, u"елка"_s, true},     // Cyrillic diaeresis
        {u"ﬁlm noir"_s, u"FILM"_s, true}, // compatibility ligature
        {u"Amélie"_s, u"amelie poulain"_s, false},
        {u"Plain ASCII"_s, u"é"_s, false},
        {u"Straße"_s, u"strasse"_s, false},     // ß stays one letter
        {u"aaab"_s, u"AAB"_s, true},            // a partial match starts again one further on
        {u"Ame\u0301lie"_s, u"amélie"_s, true}, // a combining mark inside the stored text
        {u"\U0001F600 Smile"_s, u"smile"_s, true},
        {u"Short"_s, u"shorter"_s, false},
    };
    for (const auto &c : cases) {
        TMovie *movie = AddMovie(c.stored);
        movie->SetDirector(c.stored);
        EXPECT_EQ(MoviePasses(*movie, Search(0, c.typed)), c.found) << c.stored.toStdString();
        // The filter prepared for many records, a plain text field and a person's name.
        EXPECT_EQ(TFilter(Search(7, c.typed)).Passes(*movie), c.found) << c.stored.toStdString();
        EXPECT_EQ(PersonFieldMatches(*AddPerson(c.stored), 2, c.typed), c.found);
    }
}

TEST_F(FiltersTest, EmptyTextOrNoFieldShowsEverything)
{
    TMovie *movie = AddMovie(u"Anything"_s, 1980);
    EXPECT_TRUE(MoviePasses(*movie, Search(5, QString())));
    EXPECT_TRUE(MoviePasses(*movie, Search(-1, u"zzz"_s)));
    EXPECT_TRUE(MoviePasses(*movie, Search(99, u"zzz"_s)));
}

TEST_F(FiltersTest, StepsRejectInTheirOrder)
{
    TMovie *movie = AddMovie(u"Wished and lent"_s);
    movie->SetWish(true);
    movie->SetLoan(u"Ann"_s);
    movie->SetViewed(false);

    TFilterState state;
    state.Seen = 0;
    state.Loan = 1;
    EXPECT_TRUE(MoviePasses(*movie, state));
    state.Wish = 1;
    EXPECT_FALSE(MoviePasses(*movie, state));
    state.Wish = 2;
    EXPECT_TRUE(MoviePasses(*movie, state));

    const auto passes = [&](auto set) {
        TFilterState s;
        set(s);
        return MoviePasses(*movie, s);
    };
    EXPECT_TRUE(passes([](TFilterState &s) { s.Seen = 1; }));
    EXPECT_FALSE(passes([](TFilterState &s) { s.Seen = 2; }));
    EXPECT_FALSE(passes([](TFilterState &s) { s.Loan = 2; }));
    EXPECT_FALSE(passes([](TFilterState &s) { s.MovieBookmark = 1; }));
    EXPECT_TRUE(passes([](TFilterState &s) { s.MovieBookmark = 2; }));
    // The people bookmark filter is not the movies'.
    EXPECT_TRUE(passes([](TFilterState &s) { s.PeopleBookmark = 1; }));
    movie->SetBookmark(true);
    EXPECT_TRUE(passes([](TFilterState &s) { s.MovieBookmark = 1; }));
    EXPECT_FALSE(passes([](TFilterState &s) { s.MovieBookmark = 2; }));
}

TEST_F(FiltersTest, AdvancedCriteriaAllMustMatch)
{
    QList<TMovie *> movies;
    for (int year : {1999, 2000, 2003, 2005, 2006})
        movies.append(AddMovie(u"Movie %1"_s.arg(year), year));
    movies[2]->SetDirector(u"Kubrick"_s);
    movies[3]->SetDirector(u"Lynch"_s);

    TFilterState advanced;
    advanced.MovieField = AdvancedSearchField;
    advanced.Criteria[5 - FirstCriterionField] = u"2000 - 2005"_s;
    const TFilterState byYear = Search(5, u"2000 - 2005"_s);
    int shown = 0;
    for (TMovie *movie : movies) {
        EXPECT_EQ(MoviePasses(*movie, advanced), MoviePasses(*movie, byYear)) << movie->Year();
        shown += MoviePasses(*movie, advanced);
    }
    EXPECT_EQ(shown, 3);

    // The search text plays no part in field 31.
    advanced.Text = u"nothing like it"_s;
    advanced.Criteria[7 - FirstCriterionField] = u"KUB"_s;
    EXPECT_TRUE(MoviePasses(*movies[2], advanced));
    EXPECT_FALSE(MoviePasses(*movies[3], advanced));
    EXPECT_FALSE(MoviePasses(*movies[0], advanced));
    EXPECT_TRUE(MovieFieldMatches(*movies[2], AdvancedSearchField, QString(), advanced));
    EXPECT_FALSE(MovieFieldMatches(*movies[3], AdvancedSearchField, QString(), advanced));

    // No criterion at all lets every movie through; a short list is read as padded.
    TFilterState none;
    none.MovieField = AdvancedSearchField;
    none.Criteria.clear();
    EXPECT_TRUE(MoviePasses(*movies[0], none));
    none.Criteria = QStringList{u"Movie 2006"_s};
    EXPECT_TRUE(MoviePasses(*movies[4], none));
    EXPECT_FALSE(MoviePasses(*movies[3], none));
}

TEST_F(FiltersTest, PeopleBookmarkThenSearch)
{
    TActor *person = AddPerson(u"Max von Sydow"_s);
    person->SetTransname(u"Макс фон Сюдов"_s);
    person->SetAltnames(u"Carl Adolf"_s);
    person->SetRating(8);

    TFilterState state; // people field 1: name or translated name
    EXPECT_TRUE(PersonPasses(*person, state));
    state.Text = u"сюдов"_s;
    EXPECT_TRUE(PersonPasses(*person, state));
    state.Text = u"adolf"_s;
    EXPECT_FALSE(PersonPasses(*person, state));
    state.PeopleField = 0;
    EXPECT_TRUE(PersonPasses(*person, state));
    state.PeopleField = 9;
    state.Text = u"7.5 - 8"_s;
    EXPECT_TRUE(PersonPasses(*person, state));
    state.PeopleBookmark = 1;
    EXPECT_FALSE(PersonPasses(*person, state));
    // The movie filters leave people alone.
    state.PeopleBookmark = 0;
    state.Seen = 2;
    state.Wish = 2;
    EXPECT_TRUE(PersonPasses(*person, state));
}

TEST_F(FiltersTest, RecordsByKindAndEmptyOnesAlwaysPass)
{
    TMovie *blank = AddMovie(QString());
    TMovie *series = AddMovie(u"Series"_s);
    TEpisode *episode = series->AddEpisode();
    episode->SetTitle(u"Pilot"_s);
    TActor *person = AddPerson(u"Pilot Person"_s);
    TActor *nameless = AddPerson(QString());
    for (TBaseMovie *movie : std::initializer_list<TBaseMovie *>{blank, series, episode})
        movie->SetViewed(true);
    ASSERT_TRUE(blank->IsEmpty());
    ASSERT_TRUE(nameless->IsEmpty());

    TFilterState state = Search(2, u"nothing"_s);
    state.PeopleField = 2;
    state.Seen = 1;
    state.PeopleBookmark = 1;
    EXPECT_TRUE(RecordPasses(*blank, state));
    EXPECT_TRUE(RecordPasses(*nameless, state));
    EXPECT_FALSE(RecordPasses(*series, state));
    EXPECT_FALSE(RecordPasses(*person, state));

    // Episodes are filtered like movies.
    state = Search(2, u"pilot"_s);
    state.PeopleField = 2;
    EXPECT_TRUE(RecordPasses(*episode, state));
    EXPECT_TRUE(RecordPasses(*person, state));
    state.Seen = 1;
    EXPECT_FALSE(RecordPasses(*episode, state));
    EXPECT_TRUE(RecordPasses(*person, state));
}

class MediaKindTest : public FiltersTest
{
protected:
    void SetUp() override
    {
        FiltersTest::SetUp();
        ASSERT_TRUE(m_dir.isValid());
        m_root = m_dir.path();
        m_volumes.AddVolume(u"/"_s, QString(), TDriveType::Fixed);
        m_volumes.AddVolume(m_root + u"/cdrom"_s, u"DISC"_s, TDriveType::Removable);
        m_volumes.AddVolume(m_root + u"/nas"_s, QString(), TDriveType::Remote);
        m_existing = m_root + u"/movie.avi"_s;
        QFile file(m_existing);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    int KindOf(const QString &path)
    {
        TMovie *movie = AddMovie(u"M"_s);
        movie->SetPath(path);
        const int kind = MediaKind(*movie);
        // The prepared filter, which remembers folders, must agree.
        for (int media : {1, 2}) {
            TFilterState state;
            state.Media = media;
            EXPECT_EQ(TFilter(state).Passes(*movie), kind == media) << path.toStdString();
        }
        return kind;
    }

    QTemporaryDir m_dir;
    QString m_root;
    QString m_existing;
    TFakeVolumeInfo m_volumes;
    TScopedVolumeInfo m_scope{m_volumes};
};

TEST_F(MediaKindTest, LastFileDecides)
{
    EXPECT_EQ(KindOf(m_existing), 1);
    EXPECT_EQ(KindOf(m_root + u"/missing.avi"_s), 0);
    // No disc needs to be in the drive, nor the share to answer.
    EXPECT_EQ(KindOf(m_root + u"/cdrom/absent.avi"_s), 2);
    EXPECT_EQ(KindOf(m_root + u"/nas/film.mkv"_s), 2);
    EXPECT_EQ(KindOf(u"//server/share/film.mkv"_s), 2);
    EXPECT_EQ(KindOf(u"\\\\server\\share\\film.mkv"_s), 2);
    EXPECT_EQ(KindOf(QString()), 0);
    EXPECT_EQ(KindOf(u" | "_s), 0);
    // The last non-empty entry, trimmed, counts.
    EXPECT_EQ(KindOf(m_root + u"/cdrom/cd1.avi|"_s + m_existing + u" | "_s), 1);
    EXPECT_EQ(KindOf(m_existing + u"|"_s + m_root + u"/cdrom/cd2.avi"_s), 2);
}

TEST_F(MediaKindTest, AbsentDriveIsUnknown)
{
    TFakeVolumeInfo noMounts;
    TScopedVolumeInfo scope(noMounts);
    EXPECT_EQ(KindOf(m_existing), 0);
}

// Only typing on in one text field keeps every record the last pass hid hidden.
TEST(FilterNarrows, OnlyWhenTheSearchTextGrows)
{
    const auto state = [](const QString &text, int field = 0, int seen = 0, int media = 0) {
        TFilterState s;
        s.Text = text;
        s.MovieField = field;
        s.Seen = seen;
        s.Media = media;
        return s;
    };
    const struct
    {
        TFilterState before;
        TFilterState after;
        bool narrows;
    } cases[] = {
        {state({}), state(u"r"_s), true},
        {state(u"r"_s), state(u"Ri"_s), true},
        {state(u"iv"_s), state(u"river"_s), true},
        {state(u"é"_s), state(u"Ée"_s), true},
        {state(u"ri"_s), state(u"r"_s), false},
        {state(u"ri"_s), state(u"ra"_s), false},
        {state(u"r"_s), state(u"ri"_s, 1), false},
        {state(u"r"_s), state(u"ri"_s, 0, 1), false},
        {state(u"r"_s), state(u"ri"_s, 0, 0, 1), false},
        // Ranges do not narrow as their text grows: "199" and "1990-1999".
        {state(u"199"_s, 5), state(u"1990-1999"_s, 5), false},
        {state({}, 5), state(u"1990"_s, 5), true},
        {state(u"r"_s, AdvancedSearchField), state(u"ri"_s, AdvancedSearchField), false},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(FilterNarrows(c.before, c.after, TRecordKind::Movie), c.narrows)
            << c.before.Text.toStdString() << " -> " << c.after.Text.toStdString() << " field "
            << c.after.MovieField;
    }
    // Each kind reads its own field.
    TFilterState people = state(u"a"_s, AdvancedSearchField);
    TFilterState typed = state(u"an"_s, AdvancedSearchField);
    EXPECT_TRUE(FilterNarrows(people, typed, TRecordKind::Person));
    typed.PeopleBookmark = 1;
    EXPECT_FALSE(FilterNarrows(people, typed, TRecordKind::Person));
}

TEST(WebSearch, TemplatesAndEncoding)
{
    const QString text = u"Amélie & co"_s;
    EXPECT_EQ(WebSearchAddress(u"https://s.example/?q=%s"_s, text),
              u"https://s.example/?q=Am%E9lie%20%26%20co"_s);
    // Characters without a Windows-1252 byte become "?", which is then encoded too.
    EXPECT_EQ(WebSearchAddress(u"https://s.example/?q=%s"_s, u"Сон"_s),
              u"https://s.example/?q=%3F%3F%3F"_s);
    EXPECT_EQ(WebSearchAddress(u"https://s.example/%s/%s"_s, u"a/b"_s),
              u"https://s.example/a%2Fb/a%2Fb"_s);
    // "%u" in any case: the text goes in as it is and the marker is dropped.
    EXPECT_EQ(WebSearchAddress(u"https://s.example/?q=%s%u"_s, text),
              u"https://s.example/?q=Amélie & co"_s);
    EXPECT_EQ(WebSearchAddress(u"https://s.example/?q=%s%U"_s, u"Сон"_s),
              u"https://s.example/?q=Сон"_s);
    // Too short to carry the marker.
    EXPECT_EQ(WebSearchAddress(u"%u"_s, text), u"%u"_s);
    EXPECT_EQ(WebSearchAddress(QString(), text), QString());
}

} // namespace
