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

#include "catalog/image.h"
#include "catalog/videodatabase.h"
#include "host/importexport.h"
#include "tests/support/amcwriter.h"

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

std::string Poster(int seed)
{
    TImage image(300, 450);
    uchar *bits = image.Bits();
    for (int y = 0; y < 450; ++y) {
        for (int x = 0; x < 300; ++x) {
            uchar *p = bits + y * image.BytesPerLine() + x * 3;
            p[0] = uchar(x + seed);
            p[1] = uchar(y * 2);
            p[2] = uchar((x ^ y) + seed * 7);
        }
    }
    const QByteArray jpeg = image.ToJpeg(85);
    return std::string(jpeg.constData(), size_t(jpeg.size()));
}

// `count` movies with every text field filled; with posters, one in ten carries a
// 300 x 450 poster. Written once per count.
QString AmcFile(int count, bool posters)
{
    static QTemporaryDir dir;
    static std::map<std::pair<int, bool>, QString> files;
    QString &path = files[{count, posters}];
    if (path.isEmpty()) {
        std::vector<TAmcMovie> movies;
        const std::string pictures[3] = {Poster(1), Poster(2), Poster(3)};
        for (int i = 0; i < count; ++i) {
            TAmcMovie m;
            m.number = int((i * 7919LL) % count) + 1;
            m.date = 40000 + i % 3000;
            m.rating = i % 101;
            m.year = 1950 + i % 70;
            m.length = 80 + i % 100;
            m.videoBitrate = 1500;
            m.audioBitrate = 192;
            m.disks = 1 + i % 2;
            m.mediaLabel = "DVD " + std::to_string(i);
            m.mediaType = "DVD";
            m.source = "/media/movies/movie" + std::to_string(i) + ".mkv";
            m.originalTitle = "Original title number " + std::to_string(i);
            m.translatedTitle = i % 5 ? "Translated title " + std::to_string(i) : "";
            m.director = "Director " + std::to_string(i % 500);
            m.producer = "Producer " + std::to_string(i % 700);
            m.country = "USA";
            m.category = "Drama, Comedy";
            m.actors = "Actor A" + std::to_string(i % 900) + ", Actor B" + std::to_string(i % 800);
            m.url = "http://www.example.com/movie/" + std::to_string(i);
            m.description = std::string(400, 'd') + " caf\xE9 & <more>";
            m.comments = "A comment";
            m.videoFormat = "XviD";
            m.audioFormat = "MP3";
            m.resolution = "640x352";
            m.framerate = "25";
            m.languages = "English";
            m.subtitles = "German";
            m.size = "700 MB";
            if (posters && i % 10 == 0) {
                m.pictureName = ".jpg";
                m.picture = pictures[i % 3];
            }
            movies.push_back(std::move(m));
        }
        const std::string bytes = WriteAmcFile(35, movies);
        path = dir.filePath(QStringLiteral("bench%1%2.amc").arg(count).arg(posters ? u"p" : u""));
        QFile out(path);
        if (out.open(QIODevice::WriteOnly))
            out.write(bytes.data(), qint64(bytes.size()));
    }
    return path;
}

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
