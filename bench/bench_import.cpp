// Importing generated Ant Movie Catalog 3.5 files through the real import plug-in and the
// host's import path: 10,000 movies with posters into an empty catalog; 10,000 and 40,000
// movies without posters into an empty catalog, to see how the time grows with the size;
// and 80,000 movies into a catalog that already holds the same 80,000, so that every
// imported movie has a duplicate.
#include <map>
#include <memory>

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include "bench/amcfile.h"
#include "catalog/videodatabase.h"
#include "host/importexport.h"

namespace {

class TBenchUi : public IImportExportUi
{
public:
    explicit TBenchUi(QString file)
        : m_file(std::move(file))
    {}
    std::optional<QString> AskOpenFile(const QString &) override { return m_file; }
    std::optional<QString> AskSaveFile(const QString &) override { return m_file; }
    TDuplicateAnswer AskDuplicate(TRecordKind, const QString &, const QString &) override
    {
        return {TDuplicateChoice::Add, true};
    }

private:
    QString m_file;
};

bool Import(TVideoDatabase &db, const QString &input)
{
    TBenchUi ui(input);
    return bool(RunImport(db, QStringLiteral(RK_CATIMPORT_PATH), ui, {}));
}

// Imports `count` movies (range 0) into an empty catalog; range 1 adds posters.
void BM_ImportAmc(benchmark::State &state)
{
    const int count = int(state.range(0));
    const QString input = AmcFile(count, state.range(1) != 0);
    QTemporaryDir dir;
    int run = 0;
    for (auto _ : state) {
        TVideoDatabase db(dir.filePath(QStringLiteral("import%1.rkd").arg(run++)));
        db.Open();
        if (!Import(db, input) || db.MovieCount() != count)
            state.SkipWithError("import failed");
        state.PauseTiming();
        db.SetModified(false);
        state.ResumeTiming();
    }
    state.counters["movies"] = count;
    state.counters["fileMB"] = double(QFile(input).size()) / 1e6;
}
BENCHMARK(BM_ImportAmc)
    ->ArgNames({"movies", "posters"})
    ->Args({10000, 1})
    ->Args({10000, 0})
    ->Args({40000, 0})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// Imports `count` movies into a catalog that holds them already: each one is found as a
// duplicate (and added again, as the stand-in user answers). The full catalog is imported
// and saved once, and read again untimed before each run.
void BM_ImportIntoFull(benchmark::State &state)
{
    const int count = int(state.range(0));
    const QString input = AmcFile(count, false);
    static QTemporaryDir dir;
    const QString full = dir.filePath(QStringLiteral("full%1.rkd").arg(count));
    if (!QFile::exists(full)) {
        TVideoDatabase db(full);
        db.Open();
        if (!Import(db, input) || !db.Save(true).Ok()) {
            state.SkipWithError("cannot build the full catalog");
            return;
        }
    }
    for (auto _ : state) {
        state.PauseTiming();
        auto db = std::make_unique<TVideoDatabase>(full);
        if (!db->Open(nullptr, TOpenMode::Read).ok || db->MovieCount() != count) {
            state.SkipWithError("cannot read the full catalog");
            break;
        }
        state.ResumeTiming();
        if (!Import(*db, input) || db->MovieCount() != 2 * count)
            state.SkipWithError("import failed");
        state.PauseTiming();
        db->SetModified(false);
        db.reset();
        state.ResumeTiming();
    }
    state.counters["movies"] = count;
}
BENCHMARK(BM_ImportIntoFull)->Arg(80000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
