#include "logic/statistics.h"

#include <algorithm>
#include <cmath>

#include <QStringList>

#include "catalog/actor.h"
#include "catalog/movie.h"
#include "catalog/textutils.h"
#include "catalog/videodatabase.h"

using namespace Qt::StringLiterals;

namespace {

// The locale's order; texts it holds equal stay apart in code-point order, so distinct
// values are never merged into one bar.
int CompareTexts(const QString &a, const QString &b)
{
    if (const int byLocale = QString::localeAwareCompare(a, b))
        return byLocale;
    return a.compare(b);
}

// People fields hold one name per line, and any line may list several names.
void AddItems(TStatCounter &counter, QString text)
{
    text.replace(u'\r', u'\n');
    for (const QString &line : text.split(u'\n', Qt::SkipEmptyParts)) {
        for (const QString &item : SplitList(line))
            counter.Add(item);
    }
}

TStatCounter &List(TStatistics &stats, TStatChart chart)
{
    return stats.lists[static_cast<size_t>(chart)];
}

// A chart's value as its bar is captioned.
QString Label(TStatChart chart, const QString &text, const TStatTexts &texts)
{
    if (text.isEmpty() || (chart == TStatChart::Years && text == u"0"))
        return texts.undefined;
    return text;
}

} // namespace

bool IsPieChart(TStatChart chart)
{
    return chart == TStatChart::ImdbRating || chart == TStatChart::Rating;
}

void TStatCounter::Add(const QString &text, qint64 amount)
{
    const auto at = std::lower_bound(
        m_values.begin(), m_values.end(), text, [](const TStatValue &value, const QString &key) {
            return CompareTexts(value.text, key) < 0;
        });
    if (at != m_values.end() && CompareTexts(at->text, text) == 0)
        at->count += amount;
    else
        m_values.insert(at, TStatValue{text, amount});
}

QString StatChartName(TStatChart chart)
{
    static const char16_t *const names[StatChartCount] = {u"Genres",
                                                          u"Years",
                                                          u"Countries",
                                                          u"IMDB Rating",
                                                          u"Rating",
                                                          u"Media Types",
                                                          u"Quality",
                                                          u"Languages",
                                                          u"Directors",
                                                          u"Actors",
                                                          u"Translations",
                                                          u"People"};
    const auto index = static_cast<size_t>(chart);
    return index < StatChartCount ? QString::fromUtf16(names[index]) : QString();
}

TStatistics CountStatistics(const TVideoDatabase &db)
{
    TStatistics stats;
    const int movies = db.MovieCount();
    // Rough sizes of the lists, so a large catalog does not grow them step by step.
    List(stats, TStatChart::Years).Reserve(movies);
    List(stats, TStatChart::Directors).Reserve(movies);
    List(stats, TStatChart::Actors).Reserve(qsizetype(4) * movies);
    List(stats, TStatChart::Countries).Reserve(50);
    List(stats, TStatChart::Languages).Reserve(15);

    TStatTotals &totals = stats.totals;
    totals.movies = movies;
    totals.people = db.PersonCount();
    for (int i = 0; i < movies; ++i) {
        const TMovie &movie = *db.Movie(i);
        if (!movie.Loan().isEmpty())
            ++totals.loaned;
        if (movie.Viewed())
            ++totals.seen;
        else
            ++totals.notSeen;
        if (movie.Wish())
            ++totals.wish;
        // A negative size is a broken value, not a refund.
        totals.sizeMegabytes += std::max<qint64>(movie.Size(), 0);
        totals.minutes += LengthMinutes(movie.Length());

        AddItems(List(stats, TStatChart::Genres), movie.Genre());
        List(stats, TStatChart::Years).Add(QString::number(movie.Year()));
        AddItems(List(stats, TStatChart::Countries), movie.Country());
        if (const int slice = RatingSlice(movie.Imdbrating()); slice >= 0)
            ++stats.imdbSlices[static_cast<size_t>(slice)];
        if (const int slice = RatingSlice(movie.Rating()); slice >= 0)
            ++stats.ratingSlices[static_cast<size_t>(slice)];
        // A box of three discs counts three times.
        List(stats, TStatChart::MediaTypes).Add(movie.Type(), std::max(movie.Count(), 1));
        List(stats, TStatChart::Quality).Add(movie.Rip());
        AddItems(List(stats, TStatChart::Languages), movie.Langs());
        AddItems(List(stats, TStatChart::Directors), movie.Director());
        AddItems(List(stats, TStatChart::Actors), movie.Actors());
        List(stats, TStatChart::Translations).Add(movie.Translation());
    }
    for (int i = 0; i < db.PersonCount(); ++i)
        AddItems(List(stats, TStatChart::People), db.Person(i)->Category());
    return stats;
}

QList<TStatPoint> ChartPoints(const TStatistics &stats, TStatChart chart, const TStatTexts &texts)
{
    QList<TStatPoint> points;
    if (IsPieChart(chart)) {
        const auto &slices =
            chart == TStatChart::ImdbRating ? stats.imdbSlices : stats.ratingSlices;
        for (size_t i = 0; i < slices.size(); ++i)
            points.append({texts.ratings[i], slices[i]});
        return points;
    }
    const QList<TStatValue> &values = stats.lists[static_cast<size_t>(chart)].Values();
    points.reserve(values.size());
    for (auto it = values.crbegin(); it != values.crend(); ++it)
        points.append({Label(chart, it->text, texts), it->count});
    if (chart == TStatChart::Directors || chart == TStatChart::Actors) {
        // The most frequent people first; equal counts keep the descending text order.
        std::stable_sort(points.begin(), points.end(), [](const auto &a, const auto &b) {
            return a.count > b.count;
        });
    }
    return points;
}

int StatPageCount(qsizetype points)
{
    return std::max<int>(1, static_cast<int>((points + StatPointsPerPage - 1) / StatPointsPerPage));
}

int RatingSlice(double rating)
{
    if (std::isnan(rating) || rating < 0)
        return -1;
    if (rating == 0)
        return 0;
    if (rating >= 8)
        return 5;
    return 1 + static_cast<int>(rating / 2);
}

int LengthMinutes(double length)
{
    if (!std::isfinite(length))
        return 0;
    // Only the time of day counts, rounded to the millisecond as the time fields show it.
    const double fraction = std::abs(length - std::trunc(length));
    const qint64 ms = std::llround(fraction * 86'400'000.0) % 86'400'000;
    return static_cast<int>(ms / 3'600'000 * 60 + ms / 60'000 % 60);
}

QString SizeText(qint64 megabytes)
{
    constexpr qint64 MegabytesPerGigabyte = 1024;
    constexpr qint64 MegabytesPerTerabyte = 1024 * 1024;
    QStringList parts;
    if (const qint64 tb = megabytes / MegabytesPerTerabyte; tb > 0)
        parts.append(u"%1 TB"_s.arg(tb));
    if (const qint64 gb = megabytes % MegabytesPerTerabyte / MegabytesPerGigabyte; gb > 0)
        parts.append(u"%1 GB"_s.arg(gb));
    if (const qint64 mb = megabytes % MegabytesPerGigabyte; mb > 0)
        parts.append(u"%1 MB"_s.arg(mb));
    return parts.join(u' ');
}

QString DurationText(qint64 minutes, const TStatTexts &texts)
{
    QStringList parts;
    if (const qint64 days = minutes / 1440; days > 0)
        parts.append(u"%1 %2"_s.arg(days).arg(texts.days));
    if (const qint64 hours = minutes % 1440 / 60; hours > 0)
        parts.append(u"%1 %2"_s.arg(hours).arg(texts.hours));
    if (const qint64 rest = minutes % 60; rest > 0)
        parts.append(u"%1 %2"_s.arg(rest).arg(texts.minutes));
    return parts.join(u' ');
}
