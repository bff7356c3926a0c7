// The statistics' counting and texts over catalogs built in memory.
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "catalog/actor.h"
#include "catalog/episode.h"
#include "catalog/movie.h"
#include "catalog/videodatabase.h"
#include "logic/statistics.h"

using namespace Qt::StringLiterals;

namespace {

QStringList Labels(const QList<TStatPoint> &points)
{
    QStringList labels;
    for (const TStatPoint &point : points)
        labels.append(u"%1=%2"_s.arg(point.label).arg(point.count));
    return labels;
}

TEST(StatisticsTexts, SizeDurationAndRatingBuckets)
{
    EXPECT_EQ(SizeText(0), QString());
    EXPECT_EQ(SizeText(1023), u"1023 MB"_s);
    EXPECT_EQ(SizeText(1536), u"1 GB 512 MB"_s);
    EXPECT_EQ(SizeText(1048576), u"1 TB"_s);
    EXPECT_EQ(SizeText(3LL * 1048576 + 1024 + 1), u"3 TB 1 GB 1 MB"_s);

    const TStatTexts texts;
    EXPECT_EQ(DurationText(0, texts), QString());
    EXPECT_EQ(DurationText(59, texts), u"59 minutes"_s);
    EXPECT_EQ(DurationText(1500, texts), u"1 days 1 hours"_s);
    EXPECT_EQ(DurationText(2 * 1440 + 1, texts), u"2 days 1 minutes"_s);
    TStatTexts german;
    german.days = u"Tage"_s;
    german.hours = u"Stunden"_s;
    EXPECT_EQ(DurationText(1500, german), u"1 Tage 1 Stunden"_s);

    // Seconds are dropped; a date part in front of the time does not count.
    EXPECT_EQ(LengthMinutes((3600 + 30 * 60 + 45) / 86400.0), 90);
    EXPECT_EQ(LengthMinutes(45000 + (2 * 3600 + 59) / 86400.0), 120);
    EXPECT_EQ(LengthMinutes(0), 0);
    EXPECT_EQ(LengthMinutes(std::numeric_limits<double>::quiet_NaN()), 0);

    const std::pair<double, int> buckets[] = {
        {-0.5, -1}, {0, 0}, {0.1, 1}, {1.99, 1}, {2, 2}, {5.5, 3}, {7.99, 4}, {8, 5}, {10, 5}};
    for (const auto &[rating, slice] : buckets)
        EXPECT_EQ(RatingSlice(rating), slice) << rating;
    EXPECT_EQ(RatingSlice(std::nan("")), -1);

    EXPECT_EQ(StatPageCount(0), 1);
    EXPECT_EQ(StatPageCount(25), 1);
    EXPECT_EQ(StatPageCount(26), 2);
}

class StatisticsCount : public ::testing::Test
{
protected:
    TMovie *AddMovie()
    {
        auto *movie = static_cast<TMovie *>(db.AddRecord(0));
        movie->SetViewed(false);
        return movie;
    }

    TVideoDatabase db{QString()};
};

TEST_F(StatisticsCount, TotalsCountMoviesButNotEpisodes)
{
    TMovie *a = AddMovie();
    a->SetSize(1000);
    a->SetLength((3600 + 30 * 60 + 45) / 86400.0);
    a->SetViewed(true);
    a->SetLoan(u"Ann"_s);
    TEpisode *episode = a->AddEpisode();
    episode->SetSize(5000);
    episode->SetLength(0.5);
    episode->SetViewed(true);
    TMovie *b = AddMovie();
    b->SetSize(536);
    b->SetLength(10 / 1440.0);
    b->SetWish(true);
    AddMovie()->SetSize(-7);
    db.AddRecord(1, u"Zoe"_s);

    const TStatTotals totals = CountStatistics(db).totals;
    EXPECT_EQ(totals.movies, 3);
    EXPECT_EQ(totals.people, 1);
    EXPECT_EQ(totals.loaned, 1);
    EXPECT_EQ(totals.seen, 1);
    EXPECT_EQ(totals.notSeen, 2);
    EXPECT_EQ(totals.wish, 1);
    EXPECT_EQ(totals.sizeMegabytes, 1536);
    EXPECT_EQ(totals.minutes, 100);
}

TEST_F(StatisticsCount, ChartsSplitCountAndOrderTheirValues)
{
    TMovie *a = AddMovie();
    a->SetGenre(u"Drama, Comedy"_s);
    a->SetYear(1999);
    a->SetType(u"DVD9"_s);
    a->SetCount(3);
    a->SetRip(u"DVDRip"_s);
    a->SetDirector(u"Zed\r\nAmy"_s);
    a->SetActors(u"Bob\r\nCid; Dee"_s);
    a->SetImdbrating(7.5);
    a->SetRating(0);
    TMovie *b = AddMovie();
    b->SetGenre(u"Drama/drama"_s);
    b->SetType(u"DVD9"_s);
    b->SetCount(0);
    b->SetDirector(u"Amy"_s);
    b->SetActors(u"Dee"_s);
    b->SetRating(9);
    b->SetImdbrating(-1);
    TMovie *c = AddMovie();
    c->SetYear(2005);
    c->SetLangs(u"English|German"_s);
    c->SetCountry(u"\u00d6sterreich"_s);
    static_cast<TActor *>(db.AddRecord(1, u"Ann"_s))->SetCategory(u"Actor, Director"_s);
    static_cast<TActor *>(db.AddRecord(1, u"Ben"_s))->SetCategory(u"Actor"_s);

    const TStatistics stats = CountStatistics(db);
    const TStatTexts texts;
    const auto points = [&](TStatChart chart) { return Labels(ChartPoints(stats, chart, texts)); };
    // Case matters; empty genres are not counted. (How the locale orders "drama" and
    // "Drama" is its own business.)
    QStringList genres = points(TStatChart::Genres);
    genres.sort();
    EXPECT_EQ(genres, (QStringList{u"Comedy=1"_s, u"Drama=2"_s, u"drama=1"_s}));
    // Bars come in descending text order.
    // A movie without a year counts as undefined.
    EXPECT_EQ(points(TStatChart::Years), (QStringList{u"2005=1"_s, u"1999=1"_s, u"Undefined=1"_s}));
    // Every disc of a box counts; a count below 1 counts once; no type is undefined.
    EXPECT_EQ(points(TStatChart::MediaTypes), (QStringList{u"DVD9=4"_s, u"Undefined=1"_s}));
    EXPECT_EQ(points(TStatChart::Quality), (QStringList{u"DVDRip=1"_s, u"Undefined=2"_s}));
    EXPECT_EQ(points(TStatChart::Translations), QStringList{u"Undefined=3"_s});
    EXPECT_EQ(points(TStatChart::Languages), (QStringList{u"German=1"_s, u"English=1"_s}));
    EXPECT_EQ(points(TStatChart::Countries), QStringList{u"\u00d6sterreich=1"_s});
    // One name per line, several per line after a separator; the most frequent first.
    EXPECT_EQ(points(TStatChart::Directors), (QStringList{u"Amy=2"_s, u"Zed=1"_s}));
    EXPECT_EQ(points(TStatChart::Actors), (QStringList{u"Dee=2"_s, u"Cid=1"_s, u"Bob=1"_s}));
    EXPECT_EQ(points(TStatChart::People), (QStringList{u"Director=1"_s, u"Actor=2"_s}));
    // The pies always have their six slices; negative ratings are not counted.
    EXPECT_EQ(points(TStatChart::ImdbRating),
              (QStringList{u"Not rated=1"_s,
                           u"< 2=0"_s,
                           u"2 - 4=0"_s,
                           u"4 - 6=0"_s,
                           u"6 - 8=1"_s,
                           u"8 - 10=0"_s}));
    EXPECT_EQ(stats.ratingSlices, (std::array<qint64, 6>{2, 0, 0, 0, 0, 1}));
}

} // namespace
