#pragma once

#include <array>

#include <QList>
#include <QString>

class TVideoDatabase;

// The statistics of a whole catalog: totals and the values of the twelve charts. Qt Core
// only, so the window and reelkeep-cli count with the same code.

// The charts in tab order.
enum class TStatChart {
    Genres,
    Years,
    Countries,
    ImdbRating,
    Rating,
    MediaTypes,
    Quality,
    Languages,
    Directors,
    Actors,
    Translations,
    People,
};
constexpr int StatChartCount = 12;
// Points a bar chart shows per page.
constexpr int StatPointsPerPage = 25;
// Slices of the two rating pies.
constexpr int StatSliceCount = 6;

bool IsPieChart(TStatChart chart);

// A distinct text and how often it was counted.
struct TStatValue
{
    QString text;
    qint64 count = 0;
};

// Distinct texts in ascending order of the locale's case-sensitive comparison, each with
// its count.
class TStatCounter
{
public:
    void Reserve(qsizetype size) { m_values.reserve(size); }
    // Counts `text` `amount` more times.
    void Add(const QString &text, qint64 amount = 1);
    const QList<TStatValue> &Values() const { return m_values; }

private:
    QList<TStatValue> m_values;
};

struct TStatTotals
{
    int movies = 0;
    int people = 0;
    int loaned = 0;
    int seen = 0;
    int notSeen = 0;
    int wish = 0;
    qint64 sizeMegabytes = 0;
    qint64 minutes = 0;
};

struct TStatistics
{
    TStatTotals totals;
    // One counter per bar chart; the entries of the pie charts stay empty.
    std::array<TStatCounter, StatChartCount> lists;
    std::array<qint64, StatSliceCount> imdbSlices{};
    std::array<qint64, StatSliceCount> ratingSlices{};
};

// The texts the charts and totals show; English unless the caller translates them.
struct TStatTexts
{
    // Shown for an empty value and for year 0.
    QString undefined = QStringLiteral("Undefined");
    std::array<QString, StatSliceCount> ratings{QStringLiteral("Not rated"),
                                                QStringLiteral("< 2"),
                                                QStringLiteral("2 - 4"),
                                                QStringLiteral("4 - 6"),
                                                QStringLiteral("6 - 8"),
                                                QStringLiteral("8 - 10")};
    QString days = QStringLiteral("days");
    QString hours = QStringLiteral("hours");
    QString minutes = QStringLiteral("minutes");
    // "%1" the current page, "%2" the page count.
    QString pageFormat = QStringLiteral("Page %1 of %2");
};

// The English tab caption of a chart ("Media Types").
QString StatChartName(TStatChart chart);

// Counts every movie (episodes not) and every person of the catalog.
TStatistics CountStatistics(const TVideoDatabase &db);

// One bar or slice as a chart shows it.
struct TStatPoint
{
    QString label;
    qint64 count = 0;
};

// The points of a chart in the order they are added: bars from the last text to the first
// (Directors and Actors from the highest count down), the six slices of a pie in bucket
// order. Empty values and year 0 get texts.undefined.
QList<TStatPoint> ChartPoints(const TStatistics &stats, TStatChart chart, const TStatTexts &texts);
// Pages of a chart with `points` points; at least 1.
int StatPageCount(qsizetype points);

// The pie slice of a rating: 0 for exactly 0, then one per two points up to 5 for 8 and
// above; -1 (not counted) for a negative rating.
int RatingSlice(double rating);
// Whole minutes of a running time (a day fraction): hours times 60 plus minutes, the
// seconds dropped.
int LengthMinutes(double length);
// "1 TB 3 GB 512 MB" from megabytes; the parts that are 0 are left out, empty for 0.
QString SizeText(qint64 megabytes);
// "1 days 2 hours 5 minutes" from minutes; the parts that are 0 are left out.
QString DurationText(qint64 minutes, const TStatTexts &texts);
