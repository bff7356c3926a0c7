// The window program itself, started offscreen on a generated 20,000-movie catalog with idle
// events on as the program runs them, auto-save on and a version check armed: the time to
// the first paint and to the listed catalog, the processor time and event-loop turns of the
// window at rest, each keystroke typed into the quick search, switching the view and
// sorting. One function per measurement; each prints the median of its runs.
//
// bench_window [name...]: only the measurements whose names start with one of the names.
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

#include <sys/resource.h>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLineEdit>
#include <QThread>
#include <QTimer>

#include "app/catalogview.h"
#include "app/listcolumns.h"
#include "app/listcontroller.h"
#include "app/listmodel.h"
#include "app/mainwindow.h"
#include "bench/windowfolder.h"
#include "catalog/videodatabase.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int MovieCount = 20000;
constexpr int Runs = 5;

struct TBench
{
    TWindowFolder folder{MovieCount, QStringLiteral(RK_LANG_FILE)};
    std::unique_ptr<TMain> window;

    TMainOptions Options() const
    {
        TMainOptions options;
        options.programFolder = folder.Program();
        options.arguments = {u"-portable"_s};
        options.useIdleEvents = true;
        return options;
    }
    // The window of the measurements after the start-up ones, opened once.
    TMain &Window();
};

double ProcessorMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval &t) { return double(t.tv_sec) * 1e3 + t.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

double Median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype half = values.size() / 2;
    return values.size() % 2 ? values[half] : (values[half - 1] + values[half]) / 2;
}

void Report(const QString &name, const QList<double> &values, const char *unit)
{
    std::printf("%-30s %10.2f %-3s (min %.2f, max %.2f, %d runs)\n",
                qUtf8Printable(name),
                Median(values),
                unit,
                *std::min_element(values.begin(), values.end()),
                *std::max_element(values.begin(), values.end()),
                int(values.size()));
    std::fflush(stdout);
}

// Wall time and this process's processor time of each run: on a busy machine the second
// shows what the work costs, the first what the user waits.
struct TTimes
{
    QList<double> wall;
    QList<double> processor;
};

class TStopwatch
{
public:
    TStopwatch()
        : m_processor(ProcessorMs())
    {
        m_wall.start();
    }
    void AddTo(TTimes &times) const
    {
        times.wall.append(double(m_wall.nsecsElapsed()) / 1e6);
        times.processor.append(ProcessorMs() - m_processor);
    }

private:
    QElapsedTimer m_wall;
    double m_processor;
};

void Report(const QString &name, const TTimes &times)
{
    std::printf("%-30s %10.2f ms  (processor %.2f ms, wall min %.2f, max %.2f, %d runs)\n",
                qUtf8Printable(name),
                Median(times.wall),
                Median(times.processor),
                *std::min_element(times.wall.begin(), times.wall.end()),
                *std::max_element(times.wall.begin(), times.wall.end()),
                int(times.wall.size()));
    std::fflush(stdout);
}

// The loop as the program runs it: waiting for events, not polling.
void RunLoop(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// What a keystroke or a command leaves queued (filtering, the repaint) is done.
void Settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

// Runs the loop until `done`, polling every millisecond; false after ten seconds.
bool WaitFor(const std::function<bool()> &done)
{
    QElapsedTimer limit;
    limit.start();
    while (!done()) {
        if (limit.elapsed() > 10000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        QThread::msleep(1);
    }
    return true;
}

// A key typed as the user types it: pressed and released on the focused edit.
void TypeKey(QWidget *target, QChar letter)
{
    const int key = Qt::Key_A + (letter.toUpper().unicode() - u'A');
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(letter));
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(letter));
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
}

bool Listed(const TMain &window)
{
    return window.Database() && window.Database()->MovieCount() == MovieCount
           && window.Movies().Model()->rowCount() > 0;
}

TMain &TBench::Window()
{
    if (!window) {
        window = std::make_unique<TMain>(Options());
        window->show();
        WaitFor([this] { return Listed(*window); });
        RunLoop(1000);
    }
    return *window;
}

// Calls back before each paint of a widget.
class TPaintSpy : public QObject
{
public:
    TPaintSpy(QWidget *widget, std::function<void()> onPaint)
        : m_onPaint(std::move(onPaint))
    {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            m_onPaint();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_onPaint;
};

// From making the window to the first paint of its list, and to the first paint that shows
// the catalog in it.
void MeasureStart(TBench &bench)
{
    bench.window.reset();
    TTimes visible;
    TTimes listed;
    for (int run = 0; run < Runs; ++run) {
        const TStopwatch watch;
        auto window = std::make_unique<TMain>(bench.Options());
        bool painted = false;
        bool paintedListed = false;
        const TPaintSpy spy(window->Movies().List()->viewport(), [&] {
            if (!painted)
                watch.AddTo(visible);
            painted = true;
            if (!paintedListed && Listed(*window))
                watch.AddTo(listed);
            paintedListed = paintedListed || Listed(*window);
        });
        window->show();
        WaitFor([&] { return paintedListed; });
        window.reset();
        Settle();
    }
    Report(u"start to visible"_s, visible);
    Report(u"start to listed"_s, listed);
}

// Ten seconds of nothing happening, after a second to settle.
void MeasureIdle(TBench &bench)
{
    bench.Window();
    int turns = 0;
    const QMetaObject::Connection counting =
        QObject::connect(QAbstractEventDispatcher::instance(),
                         &QAbstractEventDispatcher::aboutToBlock,
                         [&turns] { ++turns; });
    constexpr int IdleMs = 10000;
    QList<double> load;
    QList<double> rate;
    for (int run = 0; run < 3; ++run) {
        turns = 0;
        const double before = ProcessorMs();
        RunLoop(IdleMs);
        load.append((ProcessorMs() - before) * 100.0 / IdleMs);
        rate.append(turns * 1000.0 / IdleMs);
    }
    QObject::disconnect(counting);
    Report(u"idle processor (% of a core)"_s, load, "%");
    Report(u"idle loop turns per second"_s, rate, "/s");
}

// Typing a word into the quick search, one keystroke at a time, each with its repaint.
void MeasureSearchTyping(TBench &bench)
{
    TMain &window = bench.Window();
    window.SetListView(window.Movies(), TViewMode::Plain);
    auto *edit = window.findChild<QLineEdit *>(u"SearchEdit"_s);
    if (!edit) {
        std::printf("search: no SearchEdit\n");
        return;
    }
    const QString word = u"river"_s;
    QList<TTimes> times(word.size());
    for (int run = 0; run < Runs; ++run) {
        for (int i = 0; i < word.size(); ++i) {
            const TStopwatch watch;
            TypeKey(edit, word.at(i));
            Settle();
            watch.AddTo(times[i]);
        }
        edit->clear();
        Settle();
    }
    for (int i = 0; i < word.size(); ++i)
        Report(u"search keystroke \"%1\""_s.arg(word.left(i + 1)), times[i]);
}

void MeasureViewSwitches(TBench &bench)
{
    TMain &window = bench.Window();
    const std::pair<TViewMode, QString> views[] = {
        {TViewMode::Tree, u"tree"_s}, {TViewMode::Grid, u"grid"_s}, {TViewMode::Plain, u"plain"_s}};
    QList<TTimes> times(std::size(views));
    for (int run = 0; run < Runs; ++run) {
        for (size_t i = 0; i < std::size(views); ++i) {
            const TStopwatch watch;
            window.SetListView(window.Movies(), views[i].first);
            Settle();
            watch.AddTo(times[i]);
        }
    }
    for (size_t i = 0; i < std::size(views); ++i)
        Report(u"switch to %1 view"_s.arg(views[i].second), times[i]);
}

// A column clicked twice turns the direction round: a full sort each time.
void MeasureSorts(TBench &bench)
{
    TMain &window = bench.Window();
    const std::tuple<TViewMode, int, QString> sorts[] = {
        {TViewMode::Grid, 7, u"sort grid by director"_s},
        {TViewMode::Grid, 2, u"sort grid by title"_s},
        {TViewMode::Plain, 2, u"sort plain by title"_s}};
    for (const auto &[view, column, name] : sorts) {
        window.SetListView(window.Movies(), view);
        Settle();
        TTimes times;
        for (int run = 0; run < Runs; ++run) {
            const TStopwatch watch;
            window.Movies().SortByColumn(column);
            Settle();
            watch.AddTo(times);
        }
        Report(name, times);
    }
    window.SetListView(window.Movies(), TViewMode::Plain);
}

const std::pair<const char *, void (*)(TBench &)> Measurements[] = {
    {"start", MeasureStart},
    {"idle", MeasureIdle},
    {"search", MeasureSearchTyping},
    {"views", MeasureViewSwitches},
    {"sorts", MeasureSorts},
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList chosen = QCoreApplication::arguments().mid(1);
    auto bench = std::make_unique<TBench>();
    bench->folder.WriteSettings(true);
    for (const auto &[name, measure] : Measurements) {
        const bool wanted =
            chosen.isEmpty()
            || std::any_of(chosen.begin(), chosen.end(), [&](const QString &prefix) {
                   return QString::fromLatin1(name).startsWith(prefix);
               });
        if (wanted)
            measure(*bench);
    }
    // The window and its folder go before the application object.
    bench.reset();
    return 0;
}
