#include <algorithm>
#include <set>

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "catalog/actor.h"
#include "catalog/movie.h"
#include "catalog/videodatabase.h"
#include "host/webmerge.h"
#include "logic/maintenance.h"

using namespace Qt::StringLiterals;

namespace {

// A value of each type that differs from a new record's and survives every text form.
QVariant Sample(TFieldType type)
{
    switch (type) {
    case TFieldType::Text:
        return u"Zoë & <Ω> ½"_s;
    case TFieldType::Int:
        return 1987;
    case TFieldType::BigInt:
        return qint64(5'000'000'123);
    case TFieldType::Rating:
        return 7.5;
    case TFieldType::Float:
        return 23.976;
    case TFieldType::Date:
        return 45000.0;
    case TFieldType::Time:
        return 0.0625; // 1:30:00
    case TFieldType::Flag:
        break;
    }
    return QVariant();
}

// Flags differ from a new record's when flipped.
template <typename TInfo, typename TRecord> QVariant SampleFor(const TInfo &field, TRecord &record)
{
    if (field.Type == TFieldType::Flag)
        return !field.Value(record).toBool();
    return Sample(field.Type);
}

// Every tag the record hands the JSON dump, with its value.
QVariantMap Visited(const TDBItem &record)
{
    QVariantMap fields;
    record.VisitFields([&](const QString &tag, const QVariant &value) { fields[tag] = value; });
    return fields;
}

class RecordFieldsTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    std::unique_ptr<TVideoDatabase> Catalog()
    {
        auto db = std::make_unique<TVideoDatabase>(dir.filePath(u"movies.rkd"_s));
        EXPECT_TRUE(db->Open().ok);
        return db;
    }
    // A movie a date of loan and of viewing can be set on.
    static void Prepare(TBaseMovie &movie)
    {
        movie.SetTitle(u"Heat"_s);
        movie.SetLoan(u"Ann"_s);
        movie.SetViewed(true);
    }

    QTemporaryDir dir;
};

// What Clear, Assign, IsEmpty and the duplicate merge do with each field, stated apart from
// the field tables so that a wrong row shows. Every field not listed is cleared, copied,
// counts as data and is filled from a duplicate.
template <typename TId> struct TFieldContract
{
    std::vector<TId> keptByClear;
    std::vector<TId> notAssigned;
    std::vector<TId> notData;
    std::vector<TId> notMerged;
};

template <typename TId> bool Has(const std::vector<TId> &ids, TId id)
{
    return std::ranges::find(ids, id) != ids.end();
}

// The value a cleared field holds: zero, empty or false, but -1 for the ID.
template <typename TInfo> QVariant Cleared(const TInfo &field, const QVariant &sample)
{
    if constexpr (std::is_same_v<TInfo, TMovieFieldInfo>) {
        if (field.Id == TMovieField::Num)
            return -1;
    }
    return QVariant(sample.metaType());
}

// A page with every value a plug-in's record carries.
TWebMovie FullWebMovie()
{
    TWebMovie web;
    web.Title = u"Web title"_s;
    web.OrigTitle = u"Web original"_s;
    web.Aka = u"Web aka"_s;
    web.Year = 2001;
    web.Genre = u"Drama"_s;
    web.Director = u"Director"_s;
    web.Producer = u"Producer"_s;
    web.Scenario = u"Writer"_s;
    web.Music = u"Composer"_s;
    web.Actors = u"Actor"_s;
    web.Country = u"France"_s;
    web.Studio = u"Studio"_s;
    web.Mpaa = u"R"_s;
    web.Rating = 6.5;
    web.RatingName = u"Site"_s;
    web.Tags = u"tag"_s;
    web.Tagline = u"Tagline"_s;
    web.Description = u"About"_s;
    web.Duration = 95;
    web.Awards = u"Awards"_s;
    web.Links = u"Links"_s;
    web.Url = u"http://example.org/film"_s;
    web.Features = u"Features"_s;
    return web;
}

TWebPerson FullWebPerson()
{
    TWebPerson web;
    web.Name = u"Web name"_s;
    web.TransName = u"Web translated"_s;
    web.AltNames = u"Web alternative"_s;
    web.Birthday = 30000;
    web.Birthplace = u"Lyon"_s;
    web.Genre = u"Drama"_s;
    web.Career = u"Actor"_s;
    web.Url = u"http://example.org/person"_s;
    web.Bio = u"Bio"_s;
    web.Filmography = u"Films"_s;
    web.Awards = u"Awards"_s;
    return web;
}

class MovieFieldTest : public RecordFieldsTest, public ::testing::WithParamInterface<TMovieField>
{};

TEST_P(MovieFieldTest, SurvivesFileGridEditAndDump)
{
    const TMovieFieldInfo &field = MovieField(GetParam());
    QVariant stored;
    {
        auto db = Catalog();
        auto *movie = static_cast<TMovie *>(db->AddRecord(0));
        Prepare(*movie);
        const QVariant before = field.Value(*movie);
        field.SetValue(*movie, SampleFor(field, *movie));
        stored = field.Value(*movie);
        ASSERT_NE(stored, before) << "the sample is not taken";
        EXPECT_EQ(Visited(*movie).value(field.Tag), stored) << "the JSON dump";

        // A grid edit: the cell's text typed into another movie.
        auto other = TMovie::Create(nullptr);
        Prepare(*other);
        EXPECT_TRUE(field.SetText(*other, field.Text(*movie)));
        EXPECT_EQ(field.Value(*other), stored) << field.Text(*movie).toStdString();

        ASSERT_TRUE(db->Save(true).Ok());
    }
    auto db = Catalog();
    ASSERT_EQ(db->MovieCount(), 1);
    EXPECT_EQ(field.Value(*db->Movie(0)), stored) << "the catalog file";
}

TEST_P(MovieFieldTest, ClearAssignIsEmptyAndDuplicateMerge)
{
    using F = TMovieField;
    static const TFieldContract<F> contract{
        {F::Title, F::Origtitle, F::Aka},
        {F::Path,
         F::Dateadded,
         F::Code,
         F::Loan,
         F::Froncover,
         F::Cdcover,
         F::Screenshots,
         F::Bookmark,
         F::Loandate},
        {F::Orname,
         F::Loan,
         F::Dateadded,
         F::Num,
         F::Viewed,
         F::Wish,
         F::Bookmark,
         F::Loandate,
         F::Viewdate},
        {F::Title,       F::Origtitle, F::Orating,  F::Orname,    F::Path,
         F::Dateadded,   F::Code,      F::Loan,     F::Froncover, F::Cdcover,
         F::Screenshots, F::Viewed,    F::Wish,     F::Scenario,  F::Bookmark,
         F::Loandate,    F::Viewdate,  F::Tags,     F::Links,     F::Music,
         F::Aka,         F::Tagline,   F::Features, F::Awards,    F::Framerate}};
    const TMovieFieldInfo &field = MovieField(GetParam());
    const auto movieWithSample = [&](bool titled) {
        auto movie = TMovie::Create(nullptr);
        // A loan and a viewing count for nothing but let their dates be set.
        movie->SetLoan(u"Ann"_s);
        movie->SetViewed(true);
        if (titled)
            movie->SetTitle(u"Heat"_s);
        return movie;
    };
    auto source = movieWithSample(true);
    const QVariant sample = SampleFor(field, *source);
    field.SetValue(*source, sample);
    ASSERT_EQ(field.Value(*source), sample);

    auto bare = movieWithSample(false);
    ASSERT_TRUE(bare->IsEmpty());
    field.SetValue(*bare, sample);
    EXPECT_EQ(bare->IsEmpty(), Has(contract.notData, field.Id)) << "IsEmpty";

    auto copy = movieWithSample(true);
    copy->Assign(*source);
    EXPECT_EQ(field.Value(*copy) == sample, !Has(contract.notAssigned, field.Id)) << "Assign";

    auto kept = movieWithSample(true);
    MergeDuplicateMovie(*kept, *source);
    EXPECT_EQ(field.Value(*kept) == sample, !Has(contract.notMerged, field.Id))
        << "duplicate merge";

    source->Clear();
    EXPECT_EQ(field.Value(*source),
              Has(contract.keptByClear, field.Id) ? sample : Cleared(field, sample))
        << "Clear";
}

TEST_P(MovieFieldTest, WebMergeFillsAndOverwritesByTheFieldsBit)
{
    using F = TMovieField;
    const TMovieFieldInfo &field = MovieField(GetParam());
    const TWebMovie web = FullWebMovie();
    const uint32_t bit = OverwriteBit(field.Id);

    // Into an empty movie every field with a bit takes the page's value; the other rating's
    // name comes with its rating, and the page's address joins the url list.
    auto blank = TMovie::Create(nullptr);
    const QVariant before = field.Value(*blank);
    MergeMovie(*blank, web, 0);
    EXPECT_EQ(field.Value(*blank) != before,
              bit != 0 || field.Id == F::Orname || field.Id == F::Url);
    if (bit == 0)
        return;

    auto movie = TMovie::Create(nullptr);
    Prepare(*movie);
    const QVariant sample = SampleFor(field, *movie);
    field.SetValue(*movie, sample);
    MergeMovie(*movie, web, ~bit);
    EXPECT_EQ(field.Value(*movie), sample) << "replaced without its bit";
    MergeMovie(*movie, web, bit);
    EXPECT_NE(field.Value(*movie), sample) << "kept despite its bit";
}

std::vector<TMovieField> AllMovieFields()
{
    std::vector<TMovieField> ids;
    for (const TMovieFieldInfo &field : MovieFields())
        ids.push_back(field.Id);
    return ids;
}

INSTANTIATE_TEST_SUITE_P(EveryField,
                         MovieFieldTest,
                         ::testing::ValuesIn(AllMovieFields()),
                         [](const auto &info) { return MovieField(info.param).Tag.toStdString(); });

class PersonFieldTest : public RecordFieldsTest, public ::testing::WithParamInterface<TPersonField>
{};

TEST_P(PersonFieldTest, SurvivesFileGridEditAndDump)
{
    const TPersonFieldInfo &field = PersonField(GetParam());
    QVariant stored;
    {
        auto db = Catalog();
        auto *person = static_cast<TActor *>(db->AddRecord(1, u"Pacino"_s));
        const QVariant before = field.Value(*person);
        field.SetValue(*person, SampleFor(field, *person));
        stored = field.Value(*person);
        ASSERT_NE(stored, before) << "the sample is not taken";
        EXPECT_EQ(Visited(*person).value(field.Tag), stored) << "the JSON dump";

        auto other = TActor::Create(nullptr);
        other->SetName(u"De Niro"_s);
        EXPECT_TRUE(field.SetText(*other, field.Text(*person)));
        EXPECT_EQ(field.Value(*other), stored) << field.Text(*person).toStdString();

        ASSERT_TRUE(db->Save(true).Ok());
    }
    auto db = Catalog();
    ASSERT_EQ(db->PersonCount(), 1);
    EXPECT_EQ(field.Value(*db->Person(0)), stored) << "the catalog file";
}

TEST_P(PersonFieldTest, ClearAssignIsEmptyAndDuplicateMerge)
{
    using F = TPersonField;
    // The translated name is kept by Clear only while it stands in for a missing name; these
    // people have a name.
    static const TFieldContract<F> contract{{F::Name, F::Comment, F::Rating},
                                            {F::Comment, F::Rating},
                                            {F::Comment, F::Rating},
                                            {F::Name, F::Transname}};
    const TPersonFieldInfo &field = PersonField(GetParam());
    const auto person = [](const QString &name) {
        auto created = TActor::Create(nullptr);
        created->SetName(name);
        return created;
    };
    auto source = person(u"Pacino"_s);
    const QVariant sample = SampleFor(field, *source);
    field.SetValue(*source, sample);
    ASSERT_EQ(field.Value(*source), sample);

    auto bare = person({});
    ASSERT_TRUE(bare->IsEmpty());
    field.SetValue(*bare, sample);
    EXPECT_EQ(bare->IsEmpty(), Has(contract.notData, field.Id)) << "IsEmpty";

    auto copy = person(u"De Niro"_s);
    copy->Assign(*source);
    EXPECT_EQ(field.Value(*copy) == sample, !Has(contract.notAssigned, field.Id)) << "Assign";

    auto kept = person(u"Pacino"_s);
    MergeDuplicatePerson(*kept, *source);
    EXPECT_EQ(field.Value(*kept) == sample, !Has(contract.notMerged, field.Id))
        << "duplicate merge";

    source->Clear();
    EXPECT_EQ(field.Value(*source),
              Has(contract.keptByClear, field.Id) ? sample : Cleared(field, sample))
        << "Clear";
}

TEST_P(PersonFieldTest, WebMergeFillsAndOverwritesByTheFieldsBit)
{
    const TPersonFieldInfo &field = PersonField(GetParam());
    const TWebPerson web = FullWebPerson();
    const uint32_t bit = OverwriteBit(field.Id);

    auto blank = TActor::Create(nullptr);
    const QVariant before = field.Value(*blank);
    MergePerson(*blank, web, 0);
    EXPECT_EQ(field.Value(*blank) != before, bit != 0 || field.Id == TPersonField::Url);
    if (bit == 0)
        return;

    auto person = TActor::Create(nullptr);
    person->SetName(u"Pacino"_s);
    const QVariant sample = SampleFor(field, *person);
    field.SetValue(*person, sample);
    MergePerson(*person, web, ~bit);
    EXPECT_EQ(field.Value(*person), sample) << "replaced without its bit";
    MergePerson(*person, web, bit);
    EXPECT_NE(field.Value(*person), sample) << "kept despite its bit";
}

std::vector<TPersonField> AllPersonFields()
{
    std::vector<TPersonField> ids;
    for (const TPersonFieldInfo &field : PersonFields())
        ids.push_back(field.Id);
    return ids;
}

INSTANTIATE_TEST_SUITE_P(EveryField,
                         PersonFieldTest,
                         ::testing::ValuesIn(AllPersonFields()),
                         [](const auto &info) {
                             return PersonField(info.param).Tag.toStdString();
                         });

// Stored numbers (columns, grouping and search fields, overwrite bits, plug-in slots) each
// name one field, and the rows stand at their enum's place so MovieField() finds them.
template <typename TInfo>
void ExpectTableConsistent(std::span<const TInfo> fields, int columns, int slotCount)
{
    std::set<int> seen[5];
    std::set<QString> tags;
    for (size_t i = 0; i < fields.size(); ++i) {
        const TInfo &field = fields[i];
        EXPECT_EQ(size_t(field.Id), i) << field.Tag.toStdString();
        EXPECT_TRUE(tags.insert(field.Tag).second) << field.Tag.toStdString();
        const int numbers[] = {
            field.Column, field.GroupField, field.SearchField, field.OverwriteBit, field.Slot};
        for (int n = 0; n < 5; ++n) {
            if (numbers[n] >= 0) {
                EXPECT_TRUE(seen[n].insert(numbers[n]).second) << field.Tag.toStdString();
            }
        }
        EXPECT_EQ(field.Caption >= 0, field.Column >= 0) << field.Tag.toStdString();
        EXPECT_EQ(!field.DefaultCaption.isEmpty(), field.Column >= 0) << field.Tag.toStdString();
        EXPECT_EQ(!field.SearchCaption.isEmpty(), field.SearchField >= 0)
            << field.Tag.toStdString();
        EXPECT_LT(field.Column, columns) << field.Tag.toStdString();
    }
    // Every column but the picture's is a field's, and every text record slot but the
    // picture's two.
    EXPECT_EQ(int(seen[0].size()), columns - 1);
    EXPECT_EQ(int(seen[4].size()), slotCount - 2);
    EXPECT_LT(*seen[4].rbegin(), slotCount);
}

TEST(RecordFieldTables, StoredNumbersNameOneFieldEach)
{
    ExpectTableConsistent(MovieFields(), MovieFixedColumns, MovieSlotCount);
    ExpectTableConsistent(PersonFields(), PeopleColumns, PersonSlotCount);
}

} // namespace
