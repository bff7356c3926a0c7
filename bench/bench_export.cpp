// Exporting movies with posters through the shipped export plug-ins and the host's export
// path: 20,000 movies with 300 x 450 posters (the size web sites give) as CSV (which leaves
// pictures out) and as a web page (which copies posters of that size), and as web pages
// with 600 x 900 posters, which get thumbnails: 2,000 movies all with posters, and 20,000
// where one in two has one. The plug-in makes thumbnails on worker threads, so process CPU
// time and wall time are both reported.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include "catalog/image.h"
#include "catalog/movie.h"
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
        return {};
    }

private:
    QString m_file;
};

TImage Poster(int seed, int width)
{
    TImage image(width, width * 3 / 2);
    uchar *bits = image.Bits();
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x) {
            uchar *p = bits + y * image.BytesPerLine() + x * 3;
            p[0] = uchar(x + seed);
            p[1] = uchar(y * 2);
            p[2] = uchar((x ^ y) + seed * 7);
        }
    }
    // Decoded from its JPEG bytes, so the movies hold (and share) those bytes unchanged.
    return TImage::Decode(image.ToJpeg(85), TImageFormat::Jpeg);
}

struct TCatalog
{
    int count = 0;
    QTemporaryDir dir;
    std::unique_ptr<TVideoDatabase> db;
    QList<TDBItem *> movies;
};

// Every `posterEvery`th movie has a poster.
std::unique_ptr<TCatalog> MakeCatalog(int count, int posterWidth, int posterEvery = 1)
{
    auto c = std::make_unique<TCatalog>();
    c->count = count;
    c->db = std::make_unique<TVideoDatabase>(c->dir.filePath(QStringLiteral("bench.rkd")));
    c->db->Open();
    const TImage posters[3] = {
        Poster(1, posterWidth), Poster(2, posterWidth), Poster(3, posterWidth)};
    for (int i = 0; i < count; ++i) {
        auto *m = static_cast<TMovie *>(c->db->AddRecord(0));
        m->SetNum(i + 1);
        m->SetTitle(QStringLiteral("Title \"%1\", part %2").arg(i).arg(i % 7));
        m->SetYear(1950 + i % 70);
        m->SetGenre(QStringLiteral("Drama, Comedy"));
        m->SetDirector(QStringLiteral("Director %1").arg(i % 500));
        m->SetActors(QStringLiteral("Actor A%1, Actor B%2").arg(i % 900).arg(i % 800));
        m->SetRating(i % 101 / 10.0);
        m->SetLength((80 + i % 100) / 1440.0);
        m->SetUrl(QStringLiteral("https://www.example.com/movie/%1").arg(i));
        m->SetDescription(QString(400, u'd') + QStringLiteral(" caf\u00e9 & <more>\n"));
        if (i % posterEvery == 0)
            m->SetPicture(&posters[i % 3], TImageFormat::Jpeg, {}, CoverJpeg);
        c->movies.append(m);
    }
    c->db->SetModified(false);
    return c;
}

enum class TSet { Usual, Large, Half };

TCatalog &Catalog(TSet set)
{
    switch (set) {
    case TSet::Large: {
        static const auto large = MakeCatalog(2000, 600);
        return *large;
    }
    case TSet::Half: {
        static const auto half = MakeCatalog(20000, 600, 2);
        return *half;
    }
    case TSet::Usual:
        break;
    }
    static const auto usual = MakeCatalog(20000, 300);
    return *usual;
}

void Export(benchmark::State &state, const char *plugin, const char *name, TSet set = TSet::Usual)
{
    TCatalog &catalog = Catalog(set);
    TBenchUi ui(catalog.dir.filePath(QString::fromLatin1(name)));
    for (auto _ : state) {
        if (!RunExport(QString::fromUtf8(plugin), catalog.movies, false, ui))
            state.SkipWithError("export failed");
    }
    state.counters["movies"] = catalog.count;
    state.counters["fileMB"] =
        double(QFile(catalog.dir.filePath(QString::fromLatin1(name))).size()) / 1e6;
}

void BM_ExportCsv(benchmark::State &state)
{
    Export(state, RK_CSVEXPORT_PATH, "bench.csv");
}
BENCHMARK(BM_ExportCsv)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ExportHtml(benchmark::State &state)
{
    Export(state, RK_HTMLEXPORT_PATH, "bench.html");
}
BENCHMARK(BM_ExportHtml)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

void BM_ExportHtmlThumbnails(benchmark::State &state)
{
    Export(state, RK_HTMLEXPORT_PATH, "large.html", TSet::Large);
}
BENCHMARK(BM_ExportHtmlThumbnails)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

void BM_ExportHtmlHalfThumbnails(benchmark::State &state)
{
    Export(state, RK_HTMLEXPORT_PATH, "half.html", TSet::Half);
}
BENCHMARK(BM_ExportHtmlHalfThumbnails)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
