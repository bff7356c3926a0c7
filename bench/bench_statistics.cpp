// The statistics of a large collection: counting 20,000 movies (the work done each time the
// window opens or the command line prints them) and turning the longest chart into points.
#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include "bench/randomtext.h"
#include "catalog/movie.h"
#include "catalog/videodatabase.h"
#include "logic/statistics.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int MovieCount = 20000;

QStringList Vocabulary()
{
    return u"alpha bravo charlie delta echo foxtrot golf hotel india juliet kilo lima mike "
           u"november oscar papa quebec romeo sierra tango uniform victor whiskey xray yankee"_s
               .split(u' ');
}

// A catalog with the values the charts count spread the way real collections are: a few
// genres and countries, many directors and actors (one per line), most movies rated.
class TStatsCatalog
{
public:
    TStatsCatalog()
    {
        static const QStringList genres{u"Drama"_s,
                                        u"Comedy"_s,
                                        u"Horror"_s,
                                        u"Crime"_s,
                                        u"Sci-Fi"_s,
                                        u"Western"_s,
                                        u"Animation"_s};
        static const QStringList countries{
            u"USA"_s, u"UK"_s, u"France"_s, u"Germany"_s, u"Italy"_s, u"Japan"_s};
        static const QStringList media{u"DVD5"_s, u"DVD9"_s, u"CD"_s, u"BD"_s};
        TRandomText random(7, Vocabulary());
        for (int i = 0; i < MovieCount; ++i) {
            auto *movie = static_cast<TMovie *>(db.AddRecord(0));
            movie->SetTitle(random.Words(2, true));
            movie->SetYear(random.Chance(30) ? 0 : 1930 + random.Pick(95));
            movie->SetGenre(genres[random.Pick(int(genres.size()))] + u", "_s
                            + genres[random.Pick(int(genres.size()))]);
            movie->SetCountry(countries[random.Pick(int(countries.size()))]);
            movie->SetDirector(random.Words(3, true));
            QStringList actors;
            for (int a = 0; a < 4 + random.Pick(6); ++a)
                actors << random.Words(3, true);
            movie->SetActors(actors.join(u"\r\n"_s));
            movie->SetRating(random.Pick(101) / 10.0);
            movie->SetImdbrating(random.Pick(101) / 10.0);
            movie->SetType(media[random.Pick(int(media.size()))]);
            movie->SetCount(1 + random.Pick(2));
            movie->SetSize(700 + random.Pick(8000));
            movie->SetLength((60.0 + random.Pick(120)) / 1440.0);
            movie->SetViewed(random.Chance(2));
        }
    }

    TVideoDatabase db{QString()};
};

TStatsCatalog &Catalog()
{
    static TStatsCatalog catalog;
    return catalog;
}

void BM_CountStatistics(benchmark::State &state)
{
    const TVideoDatabase &db = Catalog().db;
    for (auto _ : state) {
        const TStatistics stats = CountStatistics(db);
        benchmark::DoNotOptimize(stats);
    }
}

void BM_ActorChartPoints(benchmark::State &state)
{
    const TStatistics stats = CountStatistics(Catalog().db);
    const TStatTexts texts;
    for (auto _ : state) {
        const QList<TStatPoint> points = ChartPoints(stats, TStatChart::Actors, texts);
        benchmark::DoNotOptimize(points);
    }
    state.counters["points"] = double(ChartPoints(stats, TStatChart::Actors, texts).size());
}

} // namespace

BENCHMARK(BM_CountStatistics)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ActorChartPoints)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
