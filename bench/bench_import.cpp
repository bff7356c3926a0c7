// Importing a generated Ant Movie Catalog 3.5 file of 10,000 movies through the real
// import plug-in and the host's import path into an empty catalog.
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

void BM_ImportAmc(benchmark::State &state)
{
    const QString input = AmcFile();
    QTemporaryDir dir;
    int run = 0;
    for (auto _ : state) {
        TVideoDatabase db(dir.filePath(QStringLiteral("import%1.rkd").arg(run++)));
        db.Open();
        TBenchUi ui(input);
        const Status status = RunImport(db, QStringLiteral(RK_CATIMPORT_PATH), ui, {});
        if (!status || db.MovieCount() != 10000)
            state.SkipWithError("import failed");
        state.PauseTiming();
        db.SetModified(false);
        state.ResumeTiming();
    }
    state.counters["movies"] = 10000;
    state.counters["fileMB"] = double(QFile(input).size()) / 1e6;
}
BENCHMARK(BM_ImportAmc)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
