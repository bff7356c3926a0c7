#include <cmath>
#include <utility>

#include <gtest/gtest.h>

#include "catalog/movie.h"
#include "logic/groupvalues.h"

using namespace Qt::StringLiterals;

namespace {

// Movie grouping fields by number.
constexpr int Year = 3;
constexpr int Genre = 4;

TEST(GroupValues, RatingBucketsValuesAndMembership)
{
    const std::pair<double, const char *> buckets[] = {{-1.0, "0"},
                                                       {0.0, "0"},
                                                       {std::nan(""), "0"},
                                                       {0.1, "1"},
                                                       {2.0, "2"},
                                                       {3.99, "2"},
                                                       {4.0, "3"},
                                                       {7.99, "4"},
                                                       {8.0, "5"},
                                                       {10.0, "5"}};
    for (const auto &[rating, bucket] : buckets) {
        EXPECT_EQ(RatingBucket(rating), QString::fromLatin1(bucket)) << rating;
    }

    auto movie = TMovie::Create(nullptr);
    movie->SetImdbrating(-1);
    EXPECT_EQ(GroupValues(*movie, 20), QStringList{u"0"_s});
    // A negative rating is no "not rated" rating.
    EXPECT_FALSE(BelongsToGroup(*movie, 20, u"0"_s));
    EXPECT_TRUE(BelongsToGroup(*movie, 21, u"0"_s));
    // Numbers: a value that is no number stands for "not set".
    EXPECT_TRUE(BelongsToGroup(*movie, 0, u"x"_s));
    EXPECT_TRUE(BelongsToGroup(*movie, Year, QString()));
    EXPECT_EQ(GroupValues(*movie, 23), QStringList{u"0"_s});
    EXPECT_TRUE(GroupValues(*movie, Genre).isEmpty());
    EXPECT_TRUE(GroupValues(*movie, 99).isEmpty());
    EXPECT_FALSE(BelongsToGroup(*movie, 99, QString()));
}

TEST(GroupValues, CaptionsOfLettersRatingsAndNotSet)
{
    const TGroupTexts texts;
    const struct
    {
        TRecordKind kind;
        int field;
        const char *value;
        const char *caption;
    } cases[] = {{TRecordKind::Movie, 1, "0", "0 - 9"},
                 {TRecordKind::Movie, Year, "0", ""},
                 {TRecordKind::Movie, Genre, "", ""},
                 {TRecordKind::Movie, 21, "3", "4 - 6"},
                 {TRecordKind::Movie, 21, "0", ""},
                 {TRecordKind::Movie, 21, "x", "x"},
                 {TRecordKind::Person, 5, "5", "8 - 10"},
                 {TRecordKind::Person, 0, "0", "0 - 9"}};
    for (const auto &c : cases) {
        EXPECT_EQ(GroupCaption(c.kind, c.field, QString::fromLatin1(c.value), texts),
                  QString::fromLatin1(c.caption))
            << c.field << ' ' << c.value;
    }
}

TEST(GroupValues, DistinctValuesDropRepeatsAndFallBackToNotSet)
{
    auto movie = TMovie::Create(nullptr);
    movie->SetGenre(u"Drama, drama, Comedy"_s);
    const QStringList values = DistinctGroupValues(*movie, Genre);
    EXPECT_EQ(values.size(), 2);
    EXPECT_TRUE(values.contains(u"Comedy"_s));
    EXPECT_TRUE(values.contains(u"drama"_s, Qt::CaseInsensitive));
    movie->SetGenre(QString());
    EXPECT_EQ(DistinctGroupValues(*movie, Genre), QStringList{QString()});
}

// The tree takes a record that yields a value as a member of its group without asking
// again, for the rules that say so: every distinct value must then be a group it belongs to.
TEST(GroupValues, ListsAndTextsBelongWhereTheirValuesSay)
{
    constexpr int MediaType = 16;
    ASSERT_TRUE(BelongsByValuesAlone(TRecordKind::Movie, Genre));
    ASSERT_TRUE(BelongsByValuesAlone(TRecordKind::Movie, MediaType));
    EXPECT_FALSE(BelongsByValuesAlone(TRecordKind::Movie, Year));
    EXPECT_FALSE(BelongsByValuesAlone(TRecordKind::Movie, 20));
    auto movie = TMovie::Create(nullptr);
    for (const QString &text : {QString(),
                                u"Drama, drama, Comedy"_s,
                                u" Émile ,ÉMILE;straße"_s,
                                u"ǅ, ǆ, Σ, ς"_s,
                                u",,"_s}) {
        movie->SetGenre(text);
        movie->SetType(text);
        for (int field : {Genre, MediaType}) {
            // The group's value may be another record's spelling of the same folded key.
            for (const QString &own : DistinctGroupValues(*movie, field)) {
                QString upper = own;
                for (QChar &c : upper)
                    c = c.toUpper();
                for (const QString &value : {own, own.toCaseFolded(), upper}) {
                    EXPECT_TRUE(BelongsToGroup(*movie, field, value))
                        << field << " " << text.toStdString() << " / " << value.toStdString();
                }
            }
        }
    }
}

} // namespace
