#include <functional>
#include <ostream>

#include <gtest/gtest.h>

#include <QDate>
#include <QLocale>

#include "catalog/actor.h"
#include "catalog/daycount.h"
#include "catalog/episode.h"
#include "catalog/movie.h"
#include "logic/titleformat.h"

using namespace Qt::StringLiterals;

namespace {

// ---- Row captions -------------------------------------------------------------------

struct CaptionCase
{
    const char *name;
    QString format;
    std::function<void(TMovie &)> setUp;
    QString caption;
};

void PrintTo(const CaptionCase &c, std::ostream *os)
{
    *os << c.name;
}

class MovieCaptionTest : public ::testing::TestWithParam<CaptionCase>
{};

TEST_P(MovieCaptionTest, FillsTheTemplate)
{
    const CaptionCase &c = GetParam();
    auto movie = TMovie::Create(nullptr);
    movie->SetTitle(u"Alien"_s);
    c.setUp(*movie);
    EXPECT_EQ(MovieCaption(*movie, c.format), c.caption);
}

INSTANTIATE_TEST_SUITE_P(
    Templates,
    MovieCaptionTest,
    ::testing::Values(
        CaptionCase{"DefaultWithoutEpisode", u"%E - %T"_s, [](TMovie &) {}, u"Alien"_s},
        CaptionCase{"EmptyFormatIsTrimmedTitle",
                    {},
                    [](TMovie &m) { m.SetTitle(u"- Alien -"_s); },
                    u"Alien"_s},
        CaptionCase{"SingleTrimCharacterStays",
                    u"%E - %T"_s,
                    [](TMovie &m) { m.SetTitle(u"-"_s); },
                    u"-"_s},
        CaptionCase{"MissingYearKeepsBrackets",
                    u"%T (%Y)"_s,
                    [](TMovie &m) { m.SetTitle(u"Heat"_s); },
                    u"Heat ()"_s},
        CaptionCase{"Year", u"%T (%Y)"_s, [](TMovie &m) { m.SetYear(1979); }, u"Alien (1979)"_s},
        CaptionCase{"OriginalMissingShowsTitle", u"%O"_s, [](TMovie &) {}, u"Alien"_s},
        CaptionCase{"OriginalSameAsTitleIsDropped",
                    u"%T / %O"_s,
                    [](TMovie &m) { m.SetOrigtitle(u"Alien"_s); },
                    u"Alien"_s},
        CaptionCase{"OriginalDiffers",
                    u"%T / %O"_s,
                    [](TMovie &m) {
                        m.SetTitle(u"Solaris"_s);
                        m.SetOrigtitle(u"Солярис"_s);
                    },
                    u"Solaris / Солярис"_s},
        CaptionCase{"OriginalAloneWithoutTitle",
                    u"%O"_s,
                    [](TMovie &m) {
                        m.SetTitle({});
                        m.SetOrigtitle(u"Солярис"_s);
                    },
                    u"Солярис"_s},
        CaptionCase{"NumberBelowZeroIsRemoved", u"%N. %T"_s, [](TMovie &) {}, u"Alien"_s},
        CaptionCase{"Number", u"%N. %T"_s, [](TMovie &m) { m.SetNum(0); }, u"0. Alien"_s},
        CaptionCase{"EveryTagAndCollapsedSpaces",
                    u"%T   %G %D %Q %M %R %S|"_s,
                    [](TMovie &m) {
                        m.SetGenre(u"Horror"_s);
                        m.SetDirector(u"Scott"_s);
                        m.SetRip(u"DVD"_s);
                        m.SetLabel(u"D1"_s);
                        m.SetRelease(u"1979"_s);
                        m.SetScenario(u"O'Bannon"_s);
                    },
                    u"Alien Horror Scott DVD D1 1979 O'Bannon"_s},
        CaptionCase{"EmptyTagsLeaveOneSpace", u"%T %G %D [%Q]"_s, [](TMovie &) {}, u"Alien []"_s},
        // Text put in by a tag is searched by the tags after it.
        CaptionCase{"InsertedTextIsReplacedToo",
                    u"%T"_s,
                    [](TMovie &m) {
                        m.SetTitle(u"Ratio %Y"_s);
                        m.SetYear(1999);
                    },
                    u"Ratio 1999"_s},
        CaptionCase{"PercentEndingATextJoinsTheNextLetter",
                    u"%GD"_s,
                    [](TMovie &m) {
                        m.SetGenre(u"100%"_s);
                        m.SetDirector(u"Scott"_s);
                    },
                    u"100Scott"_s},
        CaptionCase{"DoublePercentMeetsTheText",
                    u"%%T"_s,
                    [](TMovie &m) {
                        m.SetTitle(u"Y"_s);
                        m.SetYear(1999);
                    },
                    u"1999"_s},
        CaptionCase{"UnknownTagsAndATrailingPercentStay",
                    u"%T %X 5%"_s,
                    [](TMovie &) {},
                    u"Alien %X 5%"_s}));

TEST(MovieCaption, EpisodesShowTheirNumber)
{
    auto series = TMovie::Create(nullptr);
    series->SetTitle(u"Friends"_s);
    TEpisode *third = series->AddEpisode();
    third->SetEpnum(3);
    third->SetTitle(u"Friends"_s);
    TEpisode *untitled = series->AddEpisode();
    untitled->SetEpnum(4);
    EXPECT_EQ(MovieCaption(*third, u"%E - %T"_s), u"3 - Friends"_s);
    EXPECT_EQ(MovieCaption(*untitled, u"%E - %T"_s), u"4"_s);
    EXPECT_EQ(MovieCaption(*series, u"%E - %T"_s), u"Friends"_s);
}

class PersonCaptionTest : public ::testing::Test
{
protected:
    void SetUp() override { m_person->SetName(u"Ann Smith"_s); }

    std::unique_ptr<TActor> m_person = TActor::Create(nullptr);
};

TEST_F(PersonCaptionTest, EmptyFormatIsTheNameUntrimmed)
{
    m_person->SetName(u" - Ann -"_s);
    EXPECT_EQ(PersonCaption(*m_person, {}), u" - Ann -"_s);
    EXPECT_EQ(PersonCaption(*m_person, u"%N"_s), u"Ann"_s);
}

TEST_F(PersonCaptionTest, TranslatedNameFallsBackToTheName)
{
    EXPECT_EQ(PersonCaption(*m_person, u"%T"_s), u"Ann Smith"_s);
    EXPECT_EQ(PersonCaption(*m_person, u"%N (%T)"_s), u"Ann Smith ()"_s);
    m_person->SetTransname(u"Ann Smith"_s);
    EXPECT_EQ(PersonCaption(*m_person, u"%N (%T)"_s), u"Ann Smith ()"_s);
    m_person->SetTransname(u"Анна Смит"_s);
    EXPECT_EQ(PersonCaption(*m_person, u"%N (%T)"_s), u"Ann Smith (Анна Смит)"_s);
    EXPECT_EQ(PersonCaption(*m_person, u"%T"_s), u"Анна Смит"_s);
}

TEST_F(PersonCaptionTest, OtherTags)
{
    EXPECT_EQ(PersonCaption(*m_person, u"%N, %B"_s), u"Ann Smith"_s);
    m_person->SetBirthday(DateToDays(QDate(1979, 5, 25)));
    EXPECT_EQ(PersonCaption(*m_person, u"%N, %B"_s), u"Ann Smith, 5/25/1979"_s);
    // Birthdays before 1899-12-30 are negative day counts, not missing ones.
    m_person->SetBirthday(DateToDays(QDate(1889, 4, 16)));
    EXPECT_EQ(PersonCaption(*m_person, u"%N, %B"_s), u"Ann Smith, 4/16/1889"_s);

    m_person->SetCategory(u"Actor"_s);
    m_person->SetBirthplace(u"Paris"_s);
    EXPECT_EQ(PersonCaption(*m_person, u"%N - %G - %C - %P"_s), u"Ann Smith - - Actor - Paris"_s);
    m_person->SetGenre(u"Drama"_s);
    EXPECT_EQ(PersonCaption(*m_person, u"%G: %N"_s), u"Drama: Ann Smith"_s);
}

} // namespace
