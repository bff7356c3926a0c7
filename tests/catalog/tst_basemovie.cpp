#include <functional>

#include <gtest/gtest.h>

#include "catalog/daycount.h"
#include "catalog/episode.h"
#include "catalog/fieldcodec_p.h"
#include "catalog/movie.h"
#include "catalog/moviefields.h"
#include "tests/support/fakerecordowner.h"

using namespace Qt::StringLiterals;

namespace {

constexpr double FixedNow = 46000.75;

class BaseMovieTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        owner.clock = [] { return FixedNow; };
        owner.customFields = 1;
    }
    std::unique_ptr<TMovie> NewMovie()
    {
        auto movie = TMovie::Create(&owner);
        owner.modified = false;
        return movie;
    }

    TFakeOwner owner;
};

// One setter per row: a change marks the owner modified, the same value again does not.
struct SetterCase
{
    const char *name;
    std::function<void(TMovie &)> set;
    std::function<bool(const TMovie &)> check;
};

void PrintTo(const SetterCase &setter, std::ostream *os)
{
    *os << setter.name;
}

class MovieSetterTest : public BaseMovieTest, public ::testing::WithParamInterface<SetterCase>
{};

TEST_P(MovieSetterTest, StoresChangesAndMarksModifiedOnlyOnChange)
{
    auto movie = NewMovie();
    GetParam().set(*movie);
    EXPECT_TRUE(GetParam().check(*movie));
    EXPECT_TRUE(owner.modified);
    owner.modified = false;
    GetParam().set(*movie);
    EXPECT_FALSE(owner.modified) << "setting the same value again marked the catalog modified";
}

INSTANTIATE_TEST_SUITE_P(
    Fields,
    MovieSetterTest,
    ::testing::Values(SetterCase{"title",
                                 [](TMovie &m) { m.SetTitle(u"Alien"_s); },
                                 [](const TMovie &m) { return m.Title() == u"Alien"_s; }},
                      SetterCase{"genre",
                                 [](TMovie &m) { m.SetGenre(u"Horror"_s); },
                                 [](const TMovie &m) { return m.Genre() == u"Horror"_s; }},
                      SetterCase{"rating",
                                 [](TMovie &m) { m.SetRating(7.5); },
                                 [](const TMovie &m) { return m.Rating() == 7.5; }},
                      SetterCase{"year",
                                 [](TMovie &m) { m.SetYear(1979); },
                                 [](const TMovie &m) { return m.Year() == 1979; }},
                      SetterCase{"size",
                                 [](TMovie &m) { m.SetSize(qint64(5) << 32 | 7); },
                                 [](const TMovie &m) { return m.Size() == (qint64(5) << 32 | 7); }},
                      SetterCase{"wish",
                                 [](TMovie &m) { m.SetWish(true); },
                                 [](const TMovie &m) { return m.Wish(); }},
                      SetterCase{"bookmark",
                                 [](TMovie &m) { m.SetBookmark(true); },
                                 [](const TMovie &m) { return m.Bookmark(); }},
                      SetterCase{"length",
                                 [](TMovie &m) { m.SetLength(0.0625); },
                                 [](const TMovie &m) { return m.Length() == 0.0625; }},
                      SetterCase{"num",
                                 [](TMovie &m) { m.SetNum(0); },
                                 [](const TMovie &m) { return m.Num() == 0; }},
                      SetterCase{"custom",
                                 [](TMovie &m) { m.SetCustomValue(0, u"x"_s); },
                                 [](const TMovie &m) { return m.CustomValue(0) == u"x"_s; }}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(BaseMovieTest, SizeChangeInHighHalfOnlyIsAChange)
{
    auto movie = NewMovie();
    movie->SetSize(7);
    owner.modified = false;
    movie->SetSize((qint64(1) << 32) + 7);
    EXPECT_TRUE(owner.modified);
    EXPECT_EQ(movie->Size(), (qint64(1) << 32) + 7);
}

TEST_F(BaseMovieTest, DefaultsOfANewMovie)
{
    owner.customFields = 2;
    owner.textRules.NewMoviesSeen = false;
    auto movie = TMovie::Create(&owner);
    EXPECT_EQ(movie->Num(), -1);
    EXPECT_EQ(movie->Coverformat(), CoverBmp);
    EXPECT_FALSE(movie->Viewed());
    EXPECT_EQ(movie->CustomValueCount(), 2);
    EXPECT_TRUE(movie->IsEmpty());
    EXPECT_FALSE(owner.modified);
}

TEST_F(BaseMovieTest, LongTextsGetTheirLoneCarriageReturnsRepaired)
{
    auto movie = NewMovie();
    movie->SetDescription(u"one\rtwo\r\nthree\r"_s);
    movie->SetComment(u"a\rb"_s);
    EXPECT_EQ(movie->Description(), u"one\r\ntwo\r\nthree\r\n"_s);
    EXPECT_EQ(movie->Comment(), u"a\r\nb"_s);
    // Fields outside the four long texts keep their text as given.
    movie->SetAwards(u"a\rb"_s);
    EXPECT_EQ(movie->Awards(), u"a\rb"_s);
}

TEST_F(BaseMovieTest, TitleRulesRewriteTitlesButNotOtherFields)
{
    owner.textRules.Titles.AllCaps = true;
    auto movie = NewMovie();
    movie->SetTitle(u"alien"_s);
    movie->SetOrigtitle(u"alien: the original"_s);
    movie->SetAka(u"aka"_s);
    EXPECT_EQ(movie->Title(), u"Alien"_s);
    EXPECT_EQ(movie->Origtitle(), u"Alien: The Original"_s);
    EXPECT_EQ(movie->Aka(), u"aka"_s);
}

TEST_F(BaseMovieTest, OriginalTitleThatRepeatsTheTitleIsNotKept)
{
    auto movie = NewMovie();
    movie->SetTitle(u"Alien"_s);
    owner.modified = false;
    movie->SetOrigtitle(u"Alien"_s);
    EXPECT_TRUE(movie->Origtitle().isEmpty());
    EXPECT_FALSE(owner.modified);

    movie->SetOrigtitle(u"Other"_s);
    EXPECT_EQ(movie->Origtitle(), u"Other"_s);
    movie->SetOrigtitle(QString());
    EXPECT_TRUE(movie->Origtitle().isEmpty());
}

TEST_F(BaseMovieTest, OriginalTitleEqualToTitleIsNotCleared)
{
    auto movie = NewMovie();
    movie->SetOrigtitle(u"Alien"_s);
    movie->SetTitle(u"Alien"_s);
    movie->SetOrigtitle(QString());
    EXPECT_EQ(movie->Origtitle(), u"Alien"_s);
}

TEST_F(BaseMovieTest, DisplayTitleFallsBackToOriginalTitle)
{
    auto movie = NewMovie();
    movie->SetOrigtitle(u"Orig"_s);
    EXPECT_EQ(movie->DisplayTitle(), u"Orig"_s);
    movie->SetTitle(u"Local"_s);
    EXPECT_EQ(movie->DisplayTitle(), u"Local"_s);
}

TEST_F(BaseMovieTest, ViewedDrivesViewDate)
{
    owner.textRules.NewMoviesSeen = false;
    auto movie = NewMovie();
    movie->SetViewdate(123);
    EXPECT_EQ(movie->Viewdate(), 0) << "an unseen movie took a view date";
    EXPECT_FALSE(owner.modified);

    movie->SetViewed(true);
    EXPECT_EQ(movie->Viewdate(), FixedNow);
    movie->SetViewdate(123);
    EXPECT_EQ(movie->Viewdate(), 123);
    movie->SetViewed(false);
    EXPECT_EQ(movie->Viewdate(), 0);
}

TEST_F(BaseMovieTest, LoanDateNeedsALoan)
{
    auto movie = NewMovie();
    movie->SetLoandate(100);
    EXPECT_EQ(movie->Loandate(), 0);
    movie->SetLoan(u"Ann"_s);
    movie->SetLoandate(100);
    EXPECT_EQ(movie->Loandate(), 100);
}

TEST_F(BaseMovieTest, LengthComparesTimeOfDayWithinAMillisecond)
{
    auto movie = NewMovie();
    const double twoHours = 2.0 / 24;
    movie->SetLength(twoHours);
    owner.modified = false;
    movie->SetLength(twoHours + 0.5 / 86400000.0);
    EXPECT_FALSE(owner.modified);
    EXPECT_EQ(movie->Length(), twoHours);
    movie->SetLength(twoHours + 2.0 / 86400000.0);
    EXPECT_TRUE(owner.modified);
}

TEST_F(BaseMovieTest, DateAddedDoesNotMarkModified)
{
    auto movie = NewMovie();
    movie->SetDateadded(FixedNow);
    EXPECT_EQ(movie->Dateadded(), FixedNow);
    EXPECT_FALSE(owner.modified);
}

TEST_F(BaseMovieTest, LendAndReturnRaiseLoanEvents)
{
    auto movie = NewMovie();
    EXPECT_FALSE(movie->Lend(QString()));
    EXPECT_TRUE(owner.loanEvents.isEmpty());
    EXPECT_FALSE(owner.modified);

    EXPECT_TRUE(movie->Lend(u"Ann"_s));
    EXPECT_EQ(movie->Loan(), u"Ann"_s);
    EXPECT_EQ(movie->Loandate(), FixedNow);
    EXPECT_TRUE(owner.modified);
    ASSERT_EQ(owner.loanEvents.size(), 1);
    EXPECT_FALSE(owner.loanEvents[0].returned);
    EXPECT_EQ(owner.loanEvents[0].borrower, u"Ann"_s);
    EXPECT_EQ(owner.loanEvents[0].movie, movie.get());

    // Lending again to the same borrower keeps the first date and raises nothing.
    owner.clock = [] { return FixedNow + 3; };
    EXPECT_TRUE(movie->Lend(u"Ann"_s));
    EXPECT_EQ(movie->Loandate(), FixedNow);
    EXPECT_EQ(owner.loanEvents.size(), 1);

    movie->ReturnLoan();
    EXPECT_TRUE(movie->Loan().isEmpty());
    EXPECT_EQ(movie->Loandate(), 0);
    ASSERT_EQ(owner.loanEvents.size(), 2);
    EXPECT_TRUE(owner.loanEvents[1].returned);
    EXPECT_EQ(owner.loanEvents[1].borrower, u"Ann"_s);

    movie->ReturnLoan();
    EXPECT_EQ(owner.loanEvents.size(), 2) << "returning a movie at home raised an event";
}

TEST_F(BaseMovieTest, CustomValuesOutsideTheRangeAreIgnored)
{
    owner.customFields = 2;
    auto movie = NewMovie();
    movie->SetCustomValue(-1, u"x"_s);
    movie->SetCustomValue(2, u"x"_s);
    EXPECT_FALSE(owner.modified);
    EXPECT_TRUE(movie->CustomValue(-1).isEmpty());
    EXPECT_TRUE(movie->CustomValue(2).isEmpty());
    movie->SetCustomValue(1, u"b"_s);
    EXPECT_EQ(movie->CustomValues(), (QStringList{QString(), u"b"_s}));
}

TEST_F(BaseMovieTest, FreeStandingMovieWorksWithoutOwner)
{
    auto movie = TMovie::Create(nullptr);
    movie->SetTitle(u"Solo"_s);
    movie->SetNum(5);
    EXPECT_TRUE(movie->Lend(u"Bob"_s));
    movie->ReturnLoan();
    EXPECT_EQ(movie->CustomValueCount(), 0);
    EXPECT_TRUE(movie->Shown());
}

TEST_F(BaseMovieTest, ClearKeepsTitlesAkaAndCustomValues)
{
    owner.customFields = 1;
    auto movie = NewMovie();
    movie->SetTitle(u"T"_s);
    movie->SetOrigtitle(u"O"_s);
    movie->SetAka(u"A"_s);
    movie->SetCustomValue(0, u"c"_s);
    movie->SetComment(u"comment"_s);
    movie->SetRating(5);
    movie->SetYear(2000);
    movie->SetNum(4);
    movie->SetViewed(true);
    movie->SetWish(true);
    movie->SetDateadded(1);
    movie->Lend(u"Ann"_s);
    movie->SetBookmark(true);
    movie->SetCoverpath(u"p.jpg"_s);
    movie->SetCode(9);
    movie->SetPath(u"/m.avi"_s);
    owner.modified = false;

    movie->Clear();
    EXPECT_EQ(movie->Title(), u"T"_s);
    EXPECT_EQ(movie->Origtitle(), u"O"_s);
    EXPECT_EQ(movie->Aka(), u"A"_s);
    EXPECT_EQ(movie->CustomValue(0), u"c"_s);
    EXPECT_TRUE(movie->Comment().isEmpty());
    EXPECT_EQ(movie->Rating(), 0);
    EXPECT_EQ(movie->Year(), 0);
    EXPECT_EQ(movie->Num(), -1);
    EXPECT_FALSE(movie->Viewed());
    EXPECT_FALSE(movie->Wish());
    EXPECT_EQ(movie->Dateadded(), 0);
    EXPECT_TRUE(movie->Loan().isEmpty());
    EXPECT_EQ(movie->Loandate(), 0);
    EXPECT_EQ(movie->Viewdate(), 0);
    EXPECT_FALSE(movie->Bookmark());
    EXPECT_EQ(movie->Coverformat(), CoverNone);
    EXPECT_TRUE(movie->Coverpath().isEmpty());
    EXPECT_EQ(movie->Code(), 0);
    EXPECT_TRUE(movie->Path().isEmpty());
    EXPECT_TRUE(owner.modified);
    movie->SetTitle({});
    movie->SetOrigtitle({});
    movie->SetAka({});
    EXPECT_TRUE(movie->IsEmpty());
}

TEST_F(BaseMovieTest, ClearOfALentMovieMarksModified)
{
    auto movie = NewMovie();
    movie->Lend(u"Ann"_s);
    owner.modified = false;
    movie->Clear();
    EXPECT_TRUE(owner.modified) << "a cleared loan would not be saved";
}

TEST_F(BaseMovieTest, AssignCopiesDescriptionButNotFilesLoanOrCustomValues)
{
    owner.customFields = 1;
    auto source = NewMovie();
    source->SetOrigtitle(u"Orig"_s); // display title comes from here
    source->SetYear(1999);
    source->SetDirector(u"D1\r\nD2"_s);
    source->SetDescription(u"desc"_s);
    source->SetSize(1234);
    source->SetNum(8);
    source->SetViewed(true);
    source->SetViewdate(77);
    source->SetWish(true);
    source->SetScenario(u"S"_s);
    source->SetPath(u"/movies/a.mkv"_s);
    source->SetCode(3);
    source->SetFroncover(u"front.jpg"_s);
    source->SetScreenshots(u"a.jpg"_s);
    source->SetCustomValue(0, u"c"_s);
    source->SetBookmark(true);
    source->SetDateadded(5);
    source->Lend(u"Ann"_s);

    owner.textRules.NewMoviesSeen = false;
    auto target = NewMovie();
    target->Assign(*source);
    EXPECT_EQ(target->Title(), u"Orig"_s);
    // An original title that only repeats the title is not kept.
    EXPECT_TRUE(target->Origtitle().isEmpty());
    EXPECT_EQ(target->Year(), 1999);
    EXPECT_EQ(target->Director(), u"D1\r\nD2"_s);
    EXPECT_EQ(target->Description(), u"desc"_s);
    EXPECT_EQ(target->Size(), 1234);
    EXPECT_EQ(target->Num(), 8);
    EXPECT_TRUE(target->Viewed());
    EXPECT_EQ(target->Viewdate(), 77);
    EXPECT_TRUE(target->Wish());
    EXPECT_EQ(target->Scenario(), u"S"_s);

    EXPECT_TRUE(target->Path().isEmpty());
    EXPECT_EQ(target->Code(), 0);
    EXPECT_TRUE(target->Froncover().isEmpty());
    EXPECT_TRUE(target->Screenshots().isEmpty());
    EXPECT_TRUE(target->CustomValue(0).isEmpty());
    EXPECT_FALSE(target->Bookmark());
    EXPECT_EQ(target->Dateadded(), 0);
    EXPECT_TRUE(target->Loan().isEmpty());
}

TEST_F(BaseMovieTest, AssignIntoAnEpisodeAndFromAnEpisode)
{
    auto series = NewMovie();
    TEpisode *episode = series->AddEpisode();
    auto source = NewMovie();
    source->SetTitle(u"Pilot"_s);
    episode->Assign(*source);
    EXPECT_EQ(episode->Title(), u"Pilot"_s);
    auto copy = NewMovie();
    copy->Assign(*episode);
    EXPECT_EQ(copy->Title(), u"Pilot"_s);
}

struct EmptyCase
{
    const char *name;
    std::function<void(TMovie &)> set;
};

void PrintTo(const EmptyCase &field, std::ostream *os)
{
    *os << field.name;
}

class MovieIsEmptyTest : public BaseMovieTest, public ::testing::WithParamInterface<EmptyCase>
{};

TEST_P(MovieIsEmptyTest, AnyUserFieldMakesTheMovieNonEmpty)
{
    auto movie = NewMovie();
    ASSERT_TRUE(movie->IsEmpty());
    GetParam().set(*movie);
    EXPECT_FALSE(movie->IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Fields,
    MovieIsEmptyTest,
    ::testing::Values(EmptyCase{"origtitle", [](TMovie &m) { m.SetOrigtitle(u"x"_s); }},
                      EmptyCase{"aka", [](TMovie &m) { m.SetAka(u"x"_s); }},
                      EmptyCase{"imdbrating", [](TMovie &m) { m.SetImdbrating(1); }},
                      EmptyCase{"length", [](TMovie &m) { m.SetLength(0.1); }},
                      EmptyCase{"size", [](TMovie &m) { m.SetSize(1); }},
                      EmptyCase{"code", [](TMovie &m) { m.SetCode(1); }},
                      EmptyCase{"coverpath", [](TMovie &m) { m.SetCoverpath(u"x"_s); }},
                      EmptyCase{"screenshots", [](TMovie &m) { m.SetScreenshots(u"x"_s); }},
                      EmptyCase{"tags", [](TMovie &m) { m.SetTags(u"x"_s); }},
                      EmptyCase{"framerate", [](TMovie &m) { m.SetFramerate(25); }},
                      // A poster held inside the catalog has no path to count.
                      EmptyCase{"picture",
                                [](TMovie &m) {
                                    const TImage poster(4, 4);
                                    m.SetPicture(&poster, TImageFormat::None, {}, CoverJpeg);
                                }},
                      EmptyCase{"froncover", [](TMovie &m) { m.SetFroncover(u"f.jpg"_s); }},
                      EmptyCase{"cdcover", [](TMovie &m) { m.SetCdcover(u"c.jpg"_s); }}),
    [](const auto &info) { return std::string(info.param.name); });

// Text fields are held only while set: every one at once, in any order, and any of them
// unset again, must leave the others as they were.
TEST_F(BaseMovieTest, TextFieldsKeepTheirOwnValuesWhateverIsSetOrUnset)
{
    owner.textRules = {};
    auto movie = NewMovie();
    std::vector<const TMovieFieldInfo *> texts;
    for (const TMovieFieldInfo &field : MovieFields()) {
        // The title is read back as the display title.
        if (field.Type == TFieldType::Text && field.Id != TMovieField::Title)
            texts.push_back(&field);
    }
    const auto valueOf = [](const TMovieFieldInfo *field) { return u"v-"_s + field->Tag; };
    for (auto it = texts.rbegin(); it != texts.rend(); ++it)
        (*it)->SetValue(*movie, valueOf(*it));
    for (size_t i = 0; i < texts.size(); i += 2)
        texts[i]->SetValue(*movie, QString());
    for (size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(texts[i]->Value(*movie).toString(), i % 2 ? valueOf(texts[i]) : QString())
            << texts[i]->Tag.toStdString();
    }
    // A value that is a text of the same movie, which moves as the fields change.
    movie->SetDescription(u"long text"_s);
    movie->SetDirector(QString());
    movie->SetDirector(movie->Description());
    movie->SetActors(movie->Director());
    EXPECT_EQ(movie->Director(), movie->Description());
    EXPECT_EQ(movie->Actors(), movie->Description());
}

TEST_F(BaseMovieTest, FieldsThatDoNotCountForEmptiness)
{
    auto movie = NewMovie();
    movie->SetNum(3);
    movie->SetWish(true);
    movie->SetBookmark(true);
    movie->Lend(u"Ann"_s);
    movie->SetDateadded(1);
    EXPECT_TRUE(movie->IsEmpty());
}

// Numbers read from a file: the quick path for plain digits must agree with Qt's
// conversion, which reads everything else.
TEST(FieldCodecTest, NumbersReadAsQtReadsThem)
{
    const QStringList texts =
        u"0|-0|007|2147483647|2147483648|-2147483648|-2147483649|"
        u"999999999999999999|-999999999999999999|9223372036854775807|"
        u"9223372036854775808||-|--1|+5| 5|5 |1e3|12a|\u0663|true"_s.split(u'|');
    for (const QString &text : texts) {
        SCOPED_TRACE(text.toStdString());
        bool ok = false;
        const int asInt = text.toInt(&ok);
        EXPECT_EQ(FieldCodec::ParseInt(text, -7), ok ? asInt : -7);
        const qint64 asInt64 = text.toLongLong(&ok);
        EXPECT_EQ(FieldCodec::ParseInt64(text, -7), ok ? asInt64 : -7);
        EXPECT_EQ(FieldCodec::ParseFlag(text, false), ok ? asInt64 != 0 : text == u"true");
    }
}

} // namespace
