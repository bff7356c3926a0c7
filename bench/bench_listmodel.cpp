// The catalog list's model over 20,000 movies (one in twenty a series with 5-10 episodes),
// with a tree view attached as in the main window: the plain view's build (hide every
// movie, clear, show every movie again, in one update bracket: TListModel::Build), a sort by title,
// and one movie filtered out and back in at the top of the sorted list; and the tree view's build
// grouped by genre (one to three of fifteen, spelled in two cases) then year.
#include <memory>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QStringList>
#include <QTreeView>

#include "app/grouping.h"
#include "app/listmodel.h"
#include "bench/randomtext.h"
#include "catalog/episode.h"
#include "catalog/movie.h"
#include "catalog/videodatabase.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int MovieCount = 20000;
constexpr int SeriesOneIn = 20;

int CompareTitles(const TViewNode &a, const TViewNode &b, int)
{
    if (a.IsGroup())
        return a.caption.compare(b.caption);
    if (a.record->Kind() == TRecordKind::Episode) {
        return static_cast<TEpisode *>(a.record)->Epnum()
               - static_cast<TEpisode *>(b.record)->Epnum();
    }
    return static_cast<TMovie *>(a.record)->DisplayTitle().compare(
        static_cast<TMovie *>(b.record)->DisplayTitle(), Qt::CaseInsensitive);
}

struct TListFixture
{
    TListFixture()
    {
        view.setModel(&model);
        db = std::make_unique<TVideoDatabase>(QString());
        db->AddObserver(&model);
        TRandomText text(7,
                         {u"night"_s,
                          u"return"_s,
                          u"city"_s,
                          u"of"_s,
                          u"the"_s,
                          u"lost"_s,
                          u"caf\u00e9"_s,
                          u"\u0432\u043e\u0439\u043d\u0430"_s,
                          u"river"_s,
                          u"winter"_s,
                          u"2"_s,
                          u"king"_s});
        // Own sequences, so the titles stay those of the other cases.
        TRandomText genres(11,
                           {u"Drama"_s,
                            u"Comedy"_s,
                            u"Horror"_s,
                            u"Sci-Fi"_s,
                            u"Western"_s,
                            u"Crime"_s,
                            u"Thriller"_s,
                            u"Romance"_s,
                            u"War"_s,
                            u"Musical"_s,
                            u"Animation"_s,
                            u"Documentary"_s,
                            u"Film-Noir"_s,
                            u"Fantasy"_s,
                            u"Mystery"_s});
        model.BeginUpdate();
        for (int i = 0; i < MovieCount; ++i) {
            auto *movie = static_cast<TMovie *>(db->AddRecord(0));
            movie->SetTitle(text.Words(1 + text.Pick(4), true));
            QStringList movieGenres;
            for (int g = 0, count = 1 + genres.Pick(3); g < count; ++g) {
                const QString genre = genres.Words(1, false);
                movieGenres.append(genres.Chance(10) ? genre.toLower() : genre);
            }
            movie->SetGenre(movieGenres.join(u", "_s));
            movie->SetYear(genres.Chance(50) ? 0 : 1920 + genres.Pick(105));
            if (text.Chance(SeriesOneIn)) {
                for (int e = 1, count = 5 + text.Pick(6); e <= count; ++e)
                    movie->AddEpisode()->SetEpnum(e);
            }
        }
        model.EndUpdate();
    }

    // The plain view's build, as the window does it.
    void Build() { model.Build(*db); }

    // The tree view's build: the groups first, then every movie under its groups.
    void BuildTree()
    {
        model.Build(*db, [this] {
            QList<const TDBItem *> records;
            records.reserve(db->MovieCount());
            for (int i = 0; i < db->MovieCount(); ++i)
                records.append(db->Movie(i));
            grouping.BuildGroups(records);
        });
    }

    TListModel model;
    TGrouping grouping{model};
    QTreeView view;
    std::unique_ptr<TVideoDatabase> db;
};

// Made on first use and destroyed before the application object.
std::unique_ptr<TListFixture> g_fixture;

TListFixture &Fixture()
{
    if (!g_fixture)
        g_fixture = std::make_unique<TListFixture>();
    return *g_fixture;
}

void BM_BuildPlainList(benchmark::State &state)
{
    TListFixture &fixture = Fixture();
    fixture.model.Sort(0, Qt::AscendingOrder, {});
    for (auto _ : state)
        fixture.Build();
    state.counters["rows"] = fixture.model.rowCount();
    state.counters["nodes"] = fixture.model.NodeCount();
}

void BM_BuildSortedPlainList(benchmark::State &state)
{
    TListFixture &fixture = Fixture();
    fixture.model.Sort(0, Qt::AscendingOrder, CompareTitles);
    for (auto _ : state)
        fixture.Build();
    fixture.model.Sort(0, Qt::AscendingOrder, {});
}

void BM_SortByTitle(benchmark::State &state)
{
    TListFixture &fixture = Fixture();
    bool ascending = true;
    for (auto _ : state) {
        fixture.model.Sort(0, ascending ? Qt::AscendingOrder : Qt::DescendingOrder, CompareTitles);
        ascending = !ascending;
    }
    fixture.model.Sort(0, Qt::AscendingOrder, {});
}

void BM_FilterOneMovieOutAndIn(benchmark::State &state)
{
    TListFixture &fixture = Fixture();
    fixture.model.Sort(0, Qt::AscendingOrder, CompareTitles);
    TDBItem *first = fixture.model.RecordOf(fixture.model.index(0, 0));
    for (auto _ : state) {
        first->SetShown(false);
        first->SetShown(true);
    }
    fixture.model.Sort(0, Qt::AscendingOrder, {});
}

void BM_BuildTreeByGenreThenYear(benchmark::State &state)
{
    TListFixture &fixture = Fixture();
    fixture.model.SetParentsRule(
        [&fixture](const TDBItem &record) { return fixture.grouping.ParentsFor(record); });
    fixture.grouping.SetLevels({4, 3}, true);
    for (auto _ : state)
        fixture.BuildTree();
    state.counters["top groups"] = fixture.model.rowCount();
    state.counters["nodes"] = fixture.model.NodeCount();
    fixture.grouping.SetLevels({}, true);
    fixture.model.SetParentsRule({});
    fixture.Build();
}

// The group nodes alone, without placing the movies.
void BM_GroupNodesByGenreThenYear(benchmark::State &state)
{
    TListFixture &fixture = Fixture();
    QList<const TDBItem *> records;
    for (int i = 0; i < fixture.db->MovieCount(); ++i)
        records.append(fixture.db->Movie(i));
    fixture.grouping.SetLevels({4, 3}, true);
    for (auto _ : state) {
        fixture.model.BeginUpdate();
        fixture.model.Clear();
        fixture.grouping.BuildGroups(records);
        fixture.model.EndUpdate();
    }
    state.counters["groups"] = fixture.model.NodeCount();
    fixture.grouping.SetLevels({}, true);
    fixture.Build();
}

} // namespace

BENCHMARK(BM_BuildPlainList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildSortedPlainList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortByTitle)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterOneMovieOutAndIn)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BuildTreeByGenreThenYear)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GroupNodesByGenreThenYear)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    // The tree view needs an application, never a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_fixture.reset();
    return 0;
}
