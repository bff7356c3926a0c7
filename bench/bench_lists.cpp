// The window's catalog lists over a generated 20,000-movie catalog (one in twenty a series),
// through the main window itself: building the plain view, building the tree view grouped
// by genre then year, sorting the grid by a text column, each with the title templates,
// the sort rules and the groups the user gets; and filtering again after a keystroke in
// the search box.
#include <memory>

#include <benchmark/benchmark.h>

#include <QApplication>

#include "app/filtercontroller.h"
#include "app/listcontroller.h"
#include "app/listmodel.h"
#include "app/mainwindow.h"
#include "bench/windowfolder.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int MovieCount = 20000;

struct TWindowFixture
{
    TWindowFixture()
    {
        TMainOptions options;
        options.programFolder = folder.Program();
        options.arguments = {u"-portable"_s};
        options.useIdleEvents = false;
        window = std::make_unique<TMain>(options);
        window->resize(1200, 800);
        window->show();
        // The catalog is read once the event loop runs.
        while (!window->Database())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }

    TWindowFolder folder{MovieCount, QStringLiteral(RK_LANG_FILE)};
    std::unique_ptr<TMain> window;
};

// Made on first use and destroyed before the application object.
std::unique_ptr<TWindowFixture> g_fixture;

TMain &Window()
{
    if (!g_fixture)
        g_fixture = std::make_unique<TWindowFixture>();
    return *g_fixture->window;
}

void BM_BuildPlainView(benchmark::State &state)
{
    TMain &window = Window();
    window.SetListView(window.Movies(), TViewMode::Plain);
    for (auto _ : state) {
        window.Movies().Build();
        QCoreApplication::processEvents();
    }
    state.counters["rows"] = window.Movies().Model()->rowCount();
}

void BM_BuildTreeByGenreThenYear(benchmark::State &state)
{
    TMain &window = Window();
    window.SetListView(window.Movies(), TViewMode::Tree);
    for (auto _ : state) {
        window.Movies().Build();
        QCoreApplication::processEvents();
    }
    state.counters["groups"] = window.Movies().Model()->rowCount();
    state.counters["nodes"] = window.Movies().Model()->NodeCount();
    window.SetListView(window.Movies(), TViewMode::Plain);
}

void BM_SortGridByDirector(benchmark::State &state)
{
    TMain &window = Window();
    window.SetListView(window.Movies(), TViewMode::Grid);
    for (auto _ : state) {
        // The same column twice turns the direction round: a full sort each time.
        window.Movies().SortByColumn(7);
        QCoreApplication::processEvents();
    }
    window.SetListView(window.Movies(), TViewMode::Plain);
}

void BM_SortPlainByTitleTemplate(benchmark::State &state)
{
    TMain &window = Window();
    window.SetListView(window.Movies(), TViewMode::Plain);
    for (auto _ : state) {
        window.Movies().SortByColumn(2);
        QCoreApplication::processEvents();
    }
}

// Typing into the search box: each keystroke filters all 20,000 movies again.
void BM_SearchKeystroke(benchmark::State &state)
{
    TMain &window = Window();
    window.SetListView(window.Movies(), TViewMode::Plain);
    const QStringList texts = {u"r"_s, u"ri"_s, u"riv"_s, u"ri"_s};
    int at = 0;
    for (auto _ : state) {
        window.Filters().SetSearchField(TRecordKind::Movie, 0, texts.at(at));
        at = (at + 1) % int(texts.size());
        QCoreApplication::processEvents();
    }
    window.Filters().SetSearchField(TRecordKind::Movie, 0, QString());
}

// A year range over the same list (the range is read once per keystroke).
void BM_SearchYearRange(benchmark::State &state)
{
    TMain &window = Window();
    window.SetListView(window.Movies(), TViewMode::Plain);
    const QStringList texts = {u"1990-1999"_s, u"1995"_s};
    int at = 0;
    for (auto _ : state) {
        window.Filters().SetSearchField(TRecordKind::Movie, 5, texts.at(at));
        at = (at + 1) % int(texts.size());
        QCoreApplication::processEvents();
    }
    window.Filters().SetSearchField(TRecordKind::Movie, 0, QString());
}

} // namespace

BENCHMARK(BM_SearchKeystroke)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchYearRange)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildPlainView)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildTreeByGenreThenYear)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortGridByDirector)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortPlainByTitleTemplate)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
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
