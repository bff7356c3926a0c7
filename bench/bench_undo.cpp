// The memory a full undo history takes over a 20,000-movie catalog: 100 steps of the kinds
// that hold the most (editing 300 movies at once, renumbering every movie, replacing a
// poster, deleting 100 movies), measured as the growth of the resident set. The history must stay
// under 50 MB.
#include <cstdlib>
#include <fstream>
#include <vector>

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include "app/commandhost.h"
#include "app/undocontroller.h"
#include "catalog/image.h"
#include "catalog/movie.h"
#include "catalog/videodatabase.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int MovieCount = 20000;

// The history is only built here, never undone: nothing asks for the window.
class TNoWindow : public ICommandHost
{
public:
    explicit TNoWindow(TVideoDatabase &db)
        : m_db(db)
    {}
    TVideoDatabase *Database() const override { return &m_db; }
    bool ReadOnly() const override { return false; }
    bool PeopleMode() const override { return false; }
    TListController &Lists(TRecordKind) const override { std::abort(); }
    TListController &Shown() const override { std::abort(); }
    const TFilterState &Filter() const override { std::abort(); }
    TCardEdit &Edit() override { std::abort(); }
    void CommandUpdate() override {}
    void UpdateStatusBar() override {}
    void ShowStatusText(const QString &) override {}
    void SetMode(TRecordKind) override {}
    void RepaintLists() override {}
    void OpenMovieMaster(const QString &, const QString &, const QString &) override {}
    void SetWebSearchText(const QString &) override {}
    bool Busy() const override { return false; }
    void SetBusy(bool) override {}
    TWaitWindow *WaitWindow() const override { return nullptr; }
    QString Text(int, const QString &english) const override { return english; }
    IMainDialogs &Dialogs() const override { std::abort(); }
    QWidget *Window() override { return nullptr; }

private:
    TVideoDatabase &m_db;
};

// The resident set after the allocator gave back what it no longer uses: what the steps
// hold, not what reading the records before them left free in the heap.
double ResidentMegabytes()
{
    malloc_trim(0);
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

void Fill(TVideoDatabase &db)
{
    const QString description = u"A long description of the story, the cast and the making "
                                "of the film, as a web source would give it. "_s.repeated(4);
    db.SuspendReorder();
    for (int i = 0; i < MovieCount; ++i) {
        auto *movie = static_cast<TMovie *>(db.AddRecord(0));
        movie->SetNum(i + 1);
        movie->SetTitle(u"Movie %1"_s.arg(i));
        movie->SetGenre(i % 2 ? u"Drama"_s : u"Comedy"_s);
        movie->SetYear(1950 + i % 70);
        movie->SetDescription(description);
        movie->SetPath(u"/media/films/movie%1.mkv"_s.arg(i));
    }
    db.SortById();
}

// A poster as a web source gives it: 300 x 450 with some grain, about 40 KB as a JPEG.
TImage Poster(int seed)
{
    TImage image(300, 450);
    quint32 noise = quint32(seed) * 2654435761u + 1;
    for (int y = 0; y < image.Height(); ++y) {
        uchar *line = image.Bits() + y * image.BytesPerLine();
        for (int x = 0; x < image.Width() * 3; ++x) {
            noise = noise * 1664525u + 1013904223u;
            line[x] = uchar((x / 3 + y + seed * 40) / 3 + (noise >> 28));
        }
    }
    return image;
}

void BM_HundredStepsOverTwentyThousandMovies(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir folder;
        auto db = std::make_unique<TVideoDatabase>(folder.filePath(u"big.rkd"_s));
        (void)db->Open();
        Fill(*db);
        TNoWindow host(*db);
        TUndoController undo(host, nullptr);
        undo.SetCatalog(db.get());
        constexpr int PosterSteps = 10;
        for (int i = 0; i < PosterSteps; ++i) {
            const TImage poster = Poster(i);
            db->Movie(i * 11)->SetPicture(&poster, TImageFormat::Jpeg, {}, CoverJpeg);
        }
        const TImage newPoster = Poster(PosterSteps);
        const double before = ResidentMegabytes();
        state.ResumeTiming();

        int step = 0;
        for (; step < 70; ++step) {
            // The Multiple Movies Editor over 300 movies, two fields each.
            TUndoScope scope(&undo, u"Edit 300 movies"_s);
            for (int i = 0; i < 300; ++i) {
                TMovie *movie = db->Movie((step * 300 + i) % db->MovieCount());
                scope.Touch(movie);
                movie->SetGenre(u"Genre %1"_s.arg(step));
                movie->SetRating(step % 10);
            }
        }
        for (int i = 0; step < 80; ++step, ++i) {
            // A new poster from a file: the step keeps the one it replaced.
            TMovie *movie = db->Movie(i * 11);
            TUndoScope scope(&undo, u"Pictures"_s);
            scope.TouchPictures(movie);
            movie->SetPicture(&newPoster, TImageFormat::Jpeg, {}, CoverJpeg);
            state.counters["poster_KB"] = double(movie->PictureBytes().size()) / 1024.0;
        }
        for (; step < 90; ++step) {
            // Set IDs over every movie.
            TUndoScope scope(&undo, u"Set IDs"_s);
            db->SuspendReorder();
            for (int i = 0; i < db->MovieCount(); ++i) {
                scope.Touch(db->Movie(i));
                db->Movie(i)->SetNum(step * 100000 + i);
            }
            db->SortById();
        }
        for (; step < 100; ++step) {
            std::vector<TDBItem *> doomed;
            for (int i = 0; i < 100; ++i)
                doomed.push_back(db->Movie(i * 7));
            undo.RemoveRecords(u"Delete"_s, doomed);
        }

        state.PauseTiming();
        const double history = ResidentMegabytes() - before;
        state.counters["history_MB"] = history;
        undo.SetCatalog(nullptr);
        db->SetModified(false);
        db.reset();
        if (history >= 50) {
            state.SkipWithError("the undo history takes 50 MB or more");
            break;
        }
        state.ResumeTiming();
    }
}
BENCHMARK(BM_HundredStepsOverTwentyThousandMovies)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
