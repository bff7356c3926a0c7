#include <gtest/gtest.h>

#include "catalog/actor.h"
#include "catalog/movie.h"
#include "tests/support/fakerecordowner.h"

using namespace Qt::StringLiterals;

namespace {

class ActorTest : public ::testing::Test
{
protected:
    std::unique_ptr<TActor> NewPerson()
    {
        auto person = TActor::Create(&owner);
        owner.modified = false;
        return person;
    }

    TFakeOwner owner;
};

TEST_F(ActorTest, RenamingAsksTheOwnerToMoveThePersonFirst)
{
    auto person = NewPerson();
    person->SetName(u"Anna"_s);
    person->SetName(u"Berta"_s);
    ASSERT_EQ(owner.moves.size(), 2);
    EXPECT_EQ(owner.moves[1].record, person.get());
    EXPECT_EQ(owner.moves[1].newName, u"Anna->Berta"_s);
    EXPECT_TRUE(owner.modified);
    person->SetName(u"Berta"_s);
    EXPECT_EQ(owner.moves.size(), 2);
}

TEST_F(ActorTest, NameRulesApplyToNameAndTranslatedName)
{
    owner.textRules.AllCapsNames = true;
    auto person = NewPerson();
    person->SetName(u"anna lee"_s);
    person->SetTransname(u"ana"_s);
    person->SetBirthplace(u"vienna"_s);
    EXPECT_EQ(person->Name(), u"Anna Lee"_s);
    EXPECT_EQ(person->Transname(), u"Ana"_s);
    EXPECT_EQ(person->Birthplace(), u"vienna"_s);
}

TEST_F(ActorTest, TranslatedNameGivesANamelessPersonItsName)
{
    auto person = NewPerson();
    person->SetTransname(u"Jean Reno"_s);
    EXPECT_EQ(person->Name(), u"Jean Reno"_s);
    ASSERT_EQ(owner.moves.size(), 1) << "the name must go through its setter";

    person->SetTransname(u"Juan Reno"_s);
    EXPECT_EQ(person->Name(), u"Jean Reno"_s);
}

TEST_F(ActorTest, LongTextsGetTheirLoneCarriageReturnsRepaired)
{
    auto person = NewPerson();
    person->SetBio(u"a\rb"_s);
    person->SetFilmography(u"x\r"_s);
    EXPECT_EQ(person->Bio(), u"a\r\nb"_s);
    EXPECT_EQ(person->Filmography(), u"x\r\n"_s);
}

TEST_F(ActorTest, ClearKeepsNameRatingAndComment)
{
    auto person = NewPerson();
    person->SetName(u"Anna"_s);
    person->SetTransname(u"Ana"_s);
    person->SetRating(8);
    person->SetComment(u"note"_s);
    person->SetAltnames(u"A."_s);
    person->SetBirthday(30000);
    person->SetBirthplace(u"Wien"_s);
    person->SetBio(u"bio"_s);
    person->SetFilmography(u"f"_s);
    person->SetCategory(u"Actor"_s);
    person->SetGenre(u"g"_s);
    person->SetAwards(u"a"_s);
    person->SetUrl(u"u"_s);
    person->SetBookmark(true);
    person->SetCoverpath(u"anna.jpg"_s);

    person->Clear();
    EXPECT_EQ(person->Name(), u"Anna"_s);
    EXPECT_EQ(person->Rating(), 8);
    EXPECT_EQ(person->Comment(), u"note"_s);
    EXPECT_TRUE(person->Transname().isEmpty());
    EXPECT_FALSE(person->Bookmark());
    EXPECT_EQ(person->Coverformat(), CoverNone);
    EXPECT_TRUE(person->Coverpath().isEmpty());
    person->SetName({});
    EXPECT_TRUE(person->IsEmpty());
}

TEST_F(ActorTest, APhotoAloneMakesThePersonNonEmpty)
{
    auto person = NewPerson();
    const TImage photo(4, 4);
    person->SetPicture(&photo, TImageFormat::None, {}, CoverJpeg);
    EXPECT_FALSE(person->IsEmpty());
}

TEST_F(ActorTest, AssignCopiesPersonFieldsOnlyFromAPerson)
{
    auto source = NewPerson();
    source->SetName(u"Anna"_s);
    source->SetTransname(u"Ana"_s);
    source->SetBirthday(30000);
    source->SetBio(u"bio"_s);
    source->SetUrl(u"http://a"_s);
    source->SetRating(9);
    source->SetComment(u"mine"_s);

    auto target = NewPerson();
    target->Assign(*source);
    EXPECT_EQ(target->Name(), u"Anna"_s);
    EXPECT_EQ(target->Transname(), u"Ana"_s);
    EXPECT_EQ(target->Birthday(), 30000);
    EXPECT_EQ(target->Bio(), u"bio"_s);
    EXPECT_EQ(target->Url(), u"http://a"_s);
    EXPECT_EQ(target->Rating(), 0) << "the owner's own rating is not copied";
    EXPECT_TRUE(target->Comment().isEmpty());

    auto movie = TMovie::Create(&owner);
    movie->SetTitle(u"T"_s);
    auto untouched = NewPerson();
    untouched->Assign(*movie);
    EXPECT_TRUE(untouched->IsEmpty());
    EXPECT_FALSE(owner.modified);
}

TEST_F(ActorTest, ShownAndCountedAsAPerson)
{
    auto person = TActor::Create(&owner);
    EXPECT_EQ(owner.shownPeople, 1);
    EXPECT_EQ(owner.shownMovies, 0);
    person->SetShown(false);
    EXPECT_EQ(owner.shownPeople, 0);
    const QList<TFakeOwner::Report> reports{{person.get(), '+'}, {person.get(), '-'}};
    EXPECT_EQ(owner.reports, reports);
}

} // namespace
