#include <set>

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "catalog/actor.h"
#include "catalog/movie.h"
#include "catalog/videodatabase.h"

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
