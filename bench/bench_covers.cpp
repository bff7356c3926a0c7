// The covers view of the window program on a generated 20,000-movie catalog, one movie in
// two with a 600 x 900 JPEG poster of its own: the time from the View command to the wall
// drawn with placeholders, to a screen of thumbnails from a cold and from a warm disk
// cache, and the GUI thread's time per frame while the wall scrolls over thumbnails still
// being made. Each prints the median of its runs.
//
// bench_covers [name...]: only the measurements whose names start with one of the names.
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

#include <time.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QScrollBar>
#include <QThread>
#include <QTimer>

#include "app/catalogview.h"
#include "app/coverview.h"
#include "app/listcolumns.h"
#include "app/listcontroller.h"
#include "app/listmodel.h"
#include "app/mainwindow.h"
#include "app/thumbnailcache.h"
#include "bench/windowfolder.h"
#include "catalog/image.h"
#include "catalog/movie.h"
#include "catalog/videodatabase.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int MovieCount = 20000;
constexpr int Runs = 5;

double Median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype half = values.size() / 2;
    return values.size() % 2 ? values[half] : (values[half - 1] + values[half]) / 2;
}

void Report(const QString &name, const QList<double> &values)
{
    std::printf("%-34s %8.2f ms  (min %.2f, max %.2f, %d runs)\n",
                qUtf8Printable(name),
                Median(values),
                *std::min_element(values.begin(), values.end()),
                *std::max_element(values.begin(), values.end()),
                int(values.size()));
    std::fflush(stdout);
}

// The processor time of the calling (GUI) thread: on a loaded machine the wall time also
// holds other processes' turns.
double ThreadMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

bool WaitFor(const std::function<bool()> &done)
{
    QElapsedTimer limit;
    limit.start();
    while (!done()) {
        if (limit.elapsed() > 20000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        QThread::msleep(1);
    }
    return true;
}

void RunLoop(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// Calls back after each paint of a widget.
class TPaintSpy : public QObject
{
public:
    TPaintSpy(QWidget *widget, std::function<void()> onPaint)
        : m_widget(widget)
        , m_onPaint(std::move(onPaint))
    {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_widget && event->type() == QEvent::Paint) {
            m_widget->removeEventFilter(this);
            QCoreApplication::sendEvent(m_widget, event);
            m_widget->installEventFilter(this);
            m_onPaint();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget *m_widget;
    std::function<void()> m_onPaint;
};

// A 600 x 900 picture with the detail of a poster: gradients, blocks and some texture.
QByteArray PosterJpeg()
{
    TImage image(600, 900);
    uchar *bits = image.Bits();
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x) {
            uchar *p = bits + y * image.BytesPerLine() + x * 3;
            const bool block = ((x / 75) + (y / 90)) % 3 == 0;
            p[0] = uchar(block ? 200 - y / 6 : x / 3);
            p[1] = uchar(y / 4 + ((x * 7 + y * 3) % 23));
            p[2] = uchar(block ? 40 + x / 5 : 255 - y / 5);
        }
    }
    return image.ToJpeg(85);
}

// The same picture with a comment naming the movie, so every poster has bytes (and a
// cache file) of its own.
QByteArray WithComment(const QByteArray &jpeg, int number)
{
    const QByteArray text = "poster " + QByteArray::number(number);
    QByteArray marker("\xFF\xFE", 2);
    marker.append(char((text.size() + 2) >> 8)).append(char((text.size() + 2) & 0xFF));
    return jpeg.left(2) + marker + text + jpeg.mid(2);
}

struct TBench
{
    TWindowFolder folder{MovieCount, QStringLiteral(RK_LANG_FILE)};
    std::unique_ptr<TMain> window;

    TBench()
    {
        qputenv("XDG_CACHE_HOME", QDir(folder.Program()).filePath(u"../cache"_s).toUtf8());
        TMainOptions options;
        options.programFolder = folder.Program();
        options.arguments = {u"-portable"_s};
        options.useIdleEvents = true;
        window = std::make_unique<TMain>(options);
        window->resize(1280, 800);
        window->show();
        WaitFor([this] {
            return window->Database() && window->Database()->MovieCount() == MovieCount
                   && window->Movies().Model()->rowCount() > 0;
        });
        const QByteArray poster = PosterJpeg();
        TImage picture(600, 900);
        TVideoDatabase &db = *window->Database();
        for (int i = 0; i < db.MovieCount(); i += 2) {
            TImage own = picture;
            own.SetEncoded(WithComment(poster, i), TImageFormat::Jpeg);
            db.Movie(i)->SetPicture(&own, TImageFormat::Jpeg, {}, CoverJpeg);
        }
        RunLoop(500);
    }

    void ClearDisk() const { QDir(TThumbnailCache::DefaultFolder()).removeRecursively(); }
    // The wall, shown and laid out.
    TCoverView *Covers() const
    {
        if (window->Movies().View() != TViewMode::Covers) {
            window->SetListView(window->Movies(), TViewMode::Covers);
            RunLoop(200);
        }
        return window->Movies().List()->Covers();
    }
};

// From the View command to the first paint of the wall (placeholders at the latest), and
// the same for the tree view, which builds the same grouped rows.
void MeasureShown(TBench &bench)
{
    QList<double> times;
    QList<double> processor;
    QList<double> tree;
    for (int run = 0; run < Runs; ++run) {
        bench.window->SetListView(bench.window->Movies(), TViewMode::Plain);
        RunLoop(200);
        QElapsedTimer watch;
        watch.start();
        bench.window->SetListView(bench.window->Movies(), TViewMode::Tree);
        tree.append(double(watch.nsecsElapsed()) / 1e6);
        bench.window->SetListView(bench.window->Movies(), TViewMode::Plain);
        RunLoop(200);
        bool painted = false;
        const double before = ThreadMs();
        watch.start();
        bench.window->SetListView(bench.window->Movies(), TViewMode::Covers);
        TCoverView *covers = bench.window->Movies().List()->Covers();
        const TPaintSpy spy(covers->viewport(), [&] {
            if (!painted) {
                times.append(double(watch.nsecsElapsed()) / 1e6);
                processor.append(ThreadMs() - before);
            }
            painted = true;
        });
        WaitFor([&] { return painted; });
        covers->Thumbnails().WaitForIdle();
    }
    Report(u"tree view built (for comparison)"_s, tree);
    Report(u"covers shown from plain (rebuilt)"_s, times);
    Report(u"  GUI thread processor time"_s, processor);

    // From the tree the rows stay: only the wall is laid out and painted.
    times.clear();
    for (int run = 0; run < Runs; ++run) {
        bench.window->SetListView(bench.window->Movies(), TViewMode::Tree);
        RunLoop(200);
        bool painted = false;
        QElapsedTimer watch;
        watch.start();
        bench.window->SetListView(bench.window->Movies(), TViewMode::Covers);
        TCoverView *covers = bench.window->Movies().List()->Covers();
        const TPaintSpy spy(covers->viewport(), [&] {
            if (!painted)
                times.append(double(watch.nsecsElapsed()) / 1e6);
            painted = true;
        });
        WaitFor([&] { return painted; });
        covers->Thumbnails().WaitForIdle();
    }
    Report(u"covers shown from tree"_s, times);
}

// From a repaint of a screen the memory cache does not hold to the first paint that needs
// no thumbnail: with the disk cache emptied first (cold) or kept (warm).
void MeasureScreen(TBench &bench, bool cold)
{
    TCoverView *covers = bench.Covers();
    QScrollBar *bar = covers->verticalScrollBar();
    QList<double> times;
    for (int run = 0; run < Runs; ++run) {
        // Another screen each run, halfway down the wall and on.
        bar->setValue(bar->maximum() / 2 + run * covers->viewport()->height() * 3);
        RunLoop(100);
        covers->Thumbnails().WaitForIdle();
        if (!cold) {
            // Made once, so the files are there.
            covers->viewport()->repaint();
            WaitFor([&] {
                covers->viewport()->repaint();
                return covers->Thumbnails().PendingInFrame() == 0;
            });
        }
        covers->Thumbnails().Clear();
        if (cold)
            bench.ClearDisk();
        QElapsedTimer watch;
        bool filled = false;
        const TPaintSpy spy(covers->viewport(), [&] {
            if (!filled && covers->Thumbnails().PendingInFrame() == 0) {
                times.append(double(watch.nsecsElapsed()) / 1e6);
                filled = true;
            }
        });
        watch.start();
        covers->viewport()->update();
        WaitFor([&] { return filled; });
    }
    Report(cold ? u"screen of thumbnails, cold"_s : u"screen of thumbnails, warm disk"_s, times);
}

void MeasureCold(TBench &bench)
{
    MeasureScreen(bench, true);
}

void MeasureWarm(TBench &bench)
{
    MeasureScreen(bench, false);
}

// Scrolling a wheel step at a time (three rows a second's worth of frames) over posters
// not made yet: the GUI thread's time for each frame, thumbnails arriving included.
void MeasureScroll(TBench &bench)
{
    TCoverView *covers = bench.Covers();
    QScrollBar *bar = covers->verticalScrollBar();
    covers->Thumbnails().WaitForIdle();
    covers->Thumbnails().Clear();
    bench.ClearDisk();
    bar->setValue(0);
    QList<double> frames;
    QList<double> processor;
    QElapsedTimer frame;
    constexpr int FrameCount = 600;
    const int step = std::max(1, covers->viewport()->height() / 12);
    for (int i = 0; i < FrameCount; ++i) {
        frame.start();
        const double before = ThreadMs();
        bar->setValue(bar->value() + step);
        QCoreApplication::processEvents();
        covers->viewport()->repaint();
        frames.append(double(frame.nsecsElapsed()) / 1e6);
        processor.append(ThreadMs() - before);
        // The rest of a 60 Hz frame belongs to the workers.
        const double left = 16.7 - frames.last();
        if (left > 0)
            QThread::usleep(static_cast<unsigned long>(left * 1000));
    }
    const auto print = [](const char *name, QList<double> values) {
        std::sort(values.begin(), values.end());
        std::printf(
            "%-34s %8.2f ms  (p95 %.2f, max %.2f, over 16 ms: %d of %d frames)\n",
            name,
            Median(values),
            values[qsizetype(values.size() * 95 / 100)],
            values.last(),
            int(std::count_if(values.begin(), values.end(), [](double ms) { return ms > 16; })),
            int(values.size()));
        std::fflush(stdout);
    };
    print("scroll frame, wall", frames);
    print("scroll frame, GUI thread processor", processor);
}

const std::pair<const char *, void (*)(TBench &)> Measurements[] = {
    {"shown", MeasureShown},
    {"cold", MeasureCold},
    {"warm", MeasureWarm},
    {"scroll", MeasureScroll},
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList chosen = QCoreApplication::arguments().mid(1);
    auto bench = std::make_unique<TBench>();
    for (const auto &[name, measure] : Measurements) {
        const bool wanted =
            chosen.isEmpty()
            || std::any_of(chosen.begin(), chosen.end(), [&](const QString &prefix) {
                   return QString::fromLatin1(name).startsWith(prefix);
               });
        if (wanted)
            measure(*bench);
    }
    bench.reset();
    return 0;
}
