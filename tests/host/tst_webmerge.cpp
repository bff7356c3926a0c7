#include <limits>

#include <gtest/gtest.h>

#include <QString>

#include "catalog/actor.h"
#include "catalog/basemovie.h"
#include "catalog/videodatabase.h"
#include "host/webmerge.h"
#include "host/webtext.h"

using namespace Qt::StringLiterals;

namespace {

class WebMergeTest : public ::testing::Test
{
protected:
    TBaseMovie &Movie()
    {
        if (!m_movie)
            m_movie = static_cast<TBaseMovie *>(m_catalog.AddRecord(0));
        return *m_movie;
    }
    TActor *Person(const QString &name) const
    {
        const int index = m_catalog.FindPerson(name);
        return index >= 0 ? m_catalog.Person(index) : nullptr;
    }

    TVideoDatabase m_catalog{QString()};

private:
    TBaseMovie *m_movie = nullptr;
};

// The bits are stored in the settings file in the order of the preferences list.
TEST(OverwriteBits, KeepTheirStoredPlaces)
{
    using M = TMovieField;
    const M movie[] = {
        M::Title,    M::Origtitle, M::Aka,         M::Year,    M::Genre,  M::Director, M::Producer,
        M::Scenario, M::Music,     M::Actors,      M::Country, M::Studio, M::Mpaa,     M::Orating,
        M::Tags,     M::Tagline,   M::Description, M::Length,  M::Awards, M::Links,    M::Features};
    for (uint32_t bit = 0; bit < std::size(movie); ++bit)
        EXPECT_EQ(OverwriteBit(movie[bit]), 1U << bit) << bit;
    using P = TPersonField;
    const P person[] = {P::Name,
                        P::Transname,
                        P::Altnames,
                        P::Birthday,
                        P::Birthplace,
                        P::Genre,
                        P::Category,
                        P::Bio,
                        P::Filmography,
                        P::Awards};
    for (uint32_t bit = 0; bit < std::size(person); ++bit)
        EXPECT_EQ(OverwriteBit(person[bit]), 1U << bit) << bit;
    EXPECT_EQ(OverwriteBit(M::Comment), 0U);
}

TEST_F(WebMergeTest, PresentValuesFillEmptyFieldsAndReplaceOnlyWhereTheMaskAllows)
{
    Movie().SetGenre(u"Drama"_s);
    Movie().SetCountry(u"France"_s);
    Movie().SetYear(1990);
    Movie().SetLength(MinutesToTime(90));
    TWebMovie web;
    web.Genre = u"Comedy"_s;
    web.Country = u"Italy"_s;
    web.Studio = u"Cinecittà"_s;
    web.Year = 1991;
    web.Duration = 125;
    MergeMovie(Movie(), web, OverwriteBit(TMovieField::Country));
    EXPECT_EQ(Movie().Genre(), u"Drama"_s);
    EXPECT_EQ(Movie().Country(), u"Italy"_s);
    EXPECT_EQ(Movie().Studio(), u"Cinecittà"_s);
    EXPECT_EQ(Movie().Year(), 1990);
    EXPECT_DOUBLE_EQ(Movie().Length(), MinutesToTime(90));

    MergeMovie(Movie(), web, OverwriteBit(TMovieField::Year) | OverwriteBit(TMovieField::Length));
    EXPECT_EQ(Movie().Year(), 1991);
    EXPECT_DOUBLE_EQ(Movie().Length(), MinutesToTime(125));
}

TEST_F(WebMergeTest, MissingWebValuesNeverClearEvenWhenOverwriteIsAllowed)
{
    Movie().SetGenre(u"Drama"_s);
    Movie().SetYear(1990);
    Movie().SetLength(MinutesToTime(90));
    Movie().SetDescription(u"Kept"_s);
    TWebMovie web;
    web.Year = 0;
    web.Duration = -5;
    web.Description = u"<br>"_s; // nothing left once decoded
    MergeMovie(Movie(), web, ~0U);
    EXPECT_EQ(Movie().Genre(), u"Drama"_s);
    EXPECT_EQ(Movie().Year(), 1990);
    EXPECT_DOUBLE_EQ(Movie().Length(), MinutesToTime(90));
    EXPECT_EQ(Movie().Description(), u"Kept"_s);
}

TEST_F(WebMergeTest, TitleRepeatingTheOriginalTitleCountsAsEmpty)
{
    Movie().SetOrigtitle(u"Alien"_s);
    Movie().SetTitle(u"Alien"_s);
    TWebMovie web;
    web.Title = u"Alien – Das unheimliche Wesen"_s;
    MergeMovie(Movie(), web, 0);
    EXPECT_EQ(Movie().Title(), web.Title);

    web.Title = u"Other"_s;
    MergeMovie(Movie(), web, 0);
    EXPECT_EQ(Movie().Title(), u"Alien – Das unheimliche Wesen"_s);
}

TEST_F(WebMergeTest, ImdbPagesSetImdbRatingAlwaysOtherPagesTheOwnRating)
{
    Movie().SetImdbrating(7.5);
    TWebMovie web;
    web.Url = u"http://www.IMDb.com/title/tt1/"_s;
    web.Rating = 0;
    MergeMovie(Movie(), web, 0);
    EXPECT_EQ(Movie().Imdbrating(), 0.0);
    EXPECT_EQ(Movie().Orating(), 0.0);

    web.Url = u"http://site/film1"_s;
    web.Rating = 6.5;
    web.RatingName = u"Site&amp;Co"_s;
    MergeMovie(Movie(), web, 0);
    EXPECT_EQ(Movie().Orating(), 6.5);
    EXPECT_EQ(Movie().Orname(), u"Site&amp;Co"_s);

    web.Rating = 8;
    web.RatingName.clear();
    MergeMovie(Movie(), web, 0);
    EXPECT_EQ(Movie().Orating(), 6.5);
    MergeMovie(Movie(), web, OverwriteBit(TMovieField::Orating));
    EXPECT_EQ(Movie().Orating(), 8.0);
    EXPECT_EQ(Movie().Orname(), u"Site&amp;Co"_s);
}

TEST_F(WebMergeTest, PageAddressIsAppendedOnceAndNeverDecoded)
{
    TWebMovie web;
    web.Url = u"http://site/film1?a=1&amp;b=2"_s;
    web.Description = u"Tom &amp; Jerry&#8217;s"_s;
    MergeMovie(Movie(), web, 0);
    MergeMovie(Movie(), web, ~0U);
    EXPECT_EQ(Movie().Url(), web.Url);
    EXPECT_EQ(Movie().Description(), u"Tom & Jerry’s"_s);

    // An address that is only the beginning of a stored one is another page.
    web.Url = u"http://site/film"_s;
    MergeMovie(Movie(), web, 0);
    EXPECT_EQ(Movie().Url(), u"http://site/film1?a=1&amp;b=2 http://site/film"_s);
}

TEST_F(WebMergeTest, PersonMergeFollowsTheSameRules)
{
    TActor &person = *static_cast<TActor *>(m_catalog.AddRecord(1, u"Jean Reno"_s));
    person.SetTransname(u"Jean Reno"_s);
    person.SetBio(u"Mine"_s);
    TWebPerson web;
    web.Name = u"Juan Moreno"_s;
    web.Birthday = 20000;
    web.Bio = u"Theirs"_s;
    web.Url = u"http://site/p1"_s;
    MergePerson(person, web, 0);
    EXPECT_EQ(person.Name(), u"Juan Moreno"_s);
    EXPECT_EQ(person.Birthday(), 20000.0);
    EXPECT_EQ(person.Bio(), u"Mine"_s);
    EXPECT_EQ(person.Url(), u"http://site/p1"_s);

    web.Birthday = 0;
    MergePerson(
        person, web, OverwriteBit(TPersonField::Bio) | OverwriteBit(TPersonField::Birthday));
    EXPECT_EQ(person.Bio(), u"Theirs"_s);
    EXPECT_EQ(person.Birthday(), 20000.0);
    EXPECT_EQ(person.Url(), u"http://site/p1"_s);
}

TEST_F(WebMergeTest, AddedPeopleTakeTheUrlAtTheirPositionFromTheEnd)
{
    m_catalog.AddRecord(1, u"Known"_s)->SetUrl(u"mine"_s);
    TWebMovie web;
    web.Director = u" A ,, B "_s;
    web.DirectorURLs = u"u1  u2"_s;
    web.Actors = u"C;|D/Known\\E &amp; F"_s;
    web.ActorURLs = u"u9"_s;
    AddPeople(m_catalog, web, false);
    ASSERT_EQ(m_catalog.PersonCount(), 6);
    EXPECT_EQ(Person(u"A"_s)->Url(), u"u1"_s);
    EXPECT_EQ(Person(u"B"_s)->Url(), u"u2"_s);
    EXPECT_EQ(Person(u"E & F"_s)->Url(), u"u9"_s);
    EXPECT_EQ(Person(u"C"_s)->Url(), QString());
    EXPECT_EQ(Person(u"known"_s)->Url(), u"mine"_s);
}

TEST_F(WebMergeTest, TranslatedNamesFindPeopleWithoutAddingThemTwice)
{
    m_catalog.AddRecord(1, u"Gérard Depardieu"_s)->SetUrl(u"mine"_s);
    m_catalog.Person(0)->SetTransname(u"Жерар Депардьё"_s);
    TWebMovie web;
    web.Director = u"жерар депардьё"_s;
    web.Actors = u"New Face, жерар депардьё"_s;
    web.Music = u"New Face"_s;
    AddPeople(m_catalog, web, true);
    EXPECT_EQ(m_catalog.PersonCount(), 2);
    EXPECT_EQ(m_catalog.Person(0)->Url(), u"mine"_s);
}

// A broken number from a plug-in must not reach the catalog file as NaN.
TEST(WebRecordTest, FromRecTurnsNullTextsAndNonNumbersIntoNone)
{
    TMovieRec rec{};
    rec.Title = u"Title";
    RkDoubleToExtended(std::numeric_limits<double>::quiet_NaN(), &rec.Rating);
    const TWebMovie movie = TWebMovie::FromRec(rec);
    EXPECT_EQ(movie.Title, u"Title"_s);
    EXPECT_TRUE(movie.Genre.isEmpty());
    EXPECT_EQ(movie.Rating, 0.0);

    THumanRec human{};
    RkDoubleToExtended(std::numeric_limits<double>::infinity(), &human.Birthday);
    EXPECT_EQ(TWebPerson::FromRec(human).Birthday, 0.0);
}

} // namespace
