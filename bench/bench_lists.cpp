// The window's catalog lists over a generated 20,000-movie catalog (one in twenty a series),
// through the main window itself: building the plain view, building the tree view grouped
// by genre then year, sorting the grid by a text column, each with the title templates,
// the sort rules and the groups the user gets; and filtering again after a keystroke in
// the search box.
#include <memory>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/filtercontroller.h"
#include "app/listcontroller.h"
#include "app/listmodel.h"
#include "app/mainwindow.h"
#include "bench/randomtext.h"
#include "catalog/episode.h"
#include "catalog/movie.h"
#include "catalog/version.h"
#include "catalog/videodatabase.h"
#include "logic/settingsfile.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int MovieCount = 20000;
constexpr int SeriesOneIn = 20;

struct TWindowFixture
{
    TWindowFixture()
    {
        const QString program = dir.filePath(u"program"_s);
        QDir().mkpath(program);
        QFile::copy(QStringLiteral(RK_LANG_FILE), QDir(program).filePath(u"lang.txt"_s));
        qputenv("HOME", dir.filePath(u"home"_s).toUtf8());
        qputenv("XDG_CONFIG_HOME", dir.filePath(u"home/.config"_s).toUtf8());

        const QString catalog = dir.filePath(u"big.rkd"_s);
        {
            TVideoDatabase db(catalog);
            db.Open();
            TRandomText text(11,
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
            TRandomText people(12,
                               {u"Ann"_s,
                                u"Bob"_s,
                                u"Lee"_s,
                                u"Kim"_s,
                                u"Mia"_s,
                                u"Noa"_s,
                                u"Ola"_s,
                                u"Ray"_s,
                                u"Sam"_s,
                                u"Tom"_s});
            const QStringList genres = {u"Drama"_s,
                                        u"Comedy"_s,
                                        u"Horror"_s,
                                        u"SciFi"_s,
                                        u"Action"_s,
                                        u"Western"_s,
                                        u"Crime"_s,
                                        u"War"_s,
                                        u"Musical"_s,
                                        u"Family"_s};
            for (int i = 0; i < MovieCount; ++i) {
                auto *movie = static_cast<TMovie *>(db.AddRecord(0));
                movie->SetTitle(text.Words(1 + text.Pick(4), true));
                movie->SetYear(text.Chance(30) ? 0 : 1930 + text.Pick(95));
                QString genre = genres.at(text.Pick(int(genres.size())));
                if (text.Chance(3))
                    genre += u", "_s + genres.at(text.Pick(int(genres.size())));
                movie->SetGenre(genre);
                movie->SetDirector(people.Words(2, false));
                if (text.Chance(SeriesOneIn)) {
                    for (int e = 1, count = 5 + text.Pick(6); e <= count; ++e)
                        movie->AddEpisode()->SetEpnum(e);
                }
            }
            db.SetModified(true);
            db.Save(false);
        }
        TSettingsFile settings;
        settings.WriteInteger(u"Application"_s, u"Version"_s, ProgramVersionNumber);
        settings.WriteString(u"DataBase"_s, u"FileName"_s, catalog);
        settings.WriteBool(u"Internet"_s, u"DoUpdates"_s, false);
        settings.WriteBool(u"Misc"_s, u"AutoSave"_s, false);
        settings.WriteString(u"MovieList"_s, u"Groups"_s, u"4, 3"_s);
        settings.Save(QDir(program).filePath(u"config.ini"_s));

        TMainOptions options;
        options.programFolder = program;
        options.arguments = {u"-portable"_s};
        options.useIdleEvents = false;
        window = std::make_unique<TMain>(options);
        window->resize(1200, 800);
        window->show();
    }

    QTemporaryDir dir;
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
