// The window's side of the two slow paths, through the real main window (offscreen):
// importing the generated 10,000-movie Ant Movie Catalog file from the Import menu, behind
// the real wait window, next to the headless import the command line runs over the same
// file; importing it again with every movie a duplicate, answered once with "do not ask
// again"; and typing into the quick search box over 20,000 movies, per keystroke from the
// key event to the list repainted.
#include <memory>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "app/catalogsession.h"
#include "app/filtercontroller.h"
#include "app/listcontroller.h"
#include "app/listmodel.h"
#include "app/mainwindow.h"
#include "app/transfercontroller.h"
#include "bench/amcfile.h"
#include "bench/randomtext.h"
#include "catalog/movie.h"
#include "catalog/version.h"
#include "catalog/videodatabase.h"
#include "host/importexport.h"
#include "host/pluginregistry.h"
#include "logic/settingsfile.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int ImportedMovies = 10000;
constexpr int SearchedMovies = 20000;

// The command line's answers: the named file, and "add" kept for every duplicate.
class THeadlessUi : public IImportExportUi
{
public:
    explicit THeadlessUi(QString file)
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

struct TWindowFixture
{
    TWindowFixture()
    {
        const QString program = dir.filePath(u"program"_s);
        QDir().mkpath(program + u"/Plugins"_s);
        QFile::copy(QStringLiteral(RK_LANG_FILE), QDir(program).filePath(u"lang.txt"_s));
        QFile::copy(QStringLiteral(RK_CATIMPORT_PATH), program + u"/Plugins/catimport.so"_s);
        qputenv("HOME", dir.filePath(u"home"_s).toUtf8());
        qputenv("XDG_CONFIG_HOME", dir.filePath(u"home/.config"_s).toUtf8());

        TSettingsFile settings;
        settings.WriteInteger(u"Application"_s, u"Version"_s, ProgramVersionNumber);
        settings.WriteString(u"DataBase"_s, u"FileName"_s, NewCatalogName());
        settings.WriteBool(u"Internet"_s, u"DoUpdates"_s, false);
        settings.WriteBool(u"Misc"_s, u"AutoSave"_s, false);
        settings.Save(QDir(program).filePath(u"config.ini"_s));

        TMainOptions options;
        options.programFolder = program;
        options.arguments = {u"-portable"_s};
        options.useIdleEvents = false;
        window = std::make_unique<TMain>(options);
        window->resize(1200, 800);
        window->show();
        QCoreApplication::processEvents();
        for (int i = 0; i < window->Registry().Count(); ++i) {
            if (window->Registry().Get(i).FileName == u"catimport.so"_s)
                importer = i;
        }
    }

    QString NewCatalogName() { return dir.filePath(u"catalog%1.rkd"_s.arg(catalogs++)); }

    // An empty catalog in place of the open one, which is dropped unsaved.
    void OpenEmptyCatalog()
    {
        if (TVideoDatabase *db = window->Database())
            db->SetModified(false);
        window->Session().OpenCatalog(NewCatalogName(), true);
        QCoreApplication::processEvents();
    }

    QTemporaryDir dir;
    int catalogs = 0;
    int importer = -1;
    std::unique_ptr<TMain> window;
};

std::unique_ptr<TWindowFixture> g_fixture;

TWindowFixture &Fixture()
{
    if (!g_fixture)
        g_fixture = std::make_unique<TWindowFixture>();
    return *g_fixture;
}

void BM_ImportHeadless(benchmark::State &state)
{
    const QString input = AmcFile();
    QTemporaryDir dir;
    int run = 0;
    for (auto _ : state) {
        TVideoDatabase db(dir.filePath(u"import%1.rkd"_s.arg(run++)));
        db.Open();
        THeadlessUi ui(input);
        const Status status = RunImport(db, QStringLiteral(RK_CATIMPORT_PATH), ui, {});
        if (!status || db.MovieCount() != ImportedMovies)
            state.SkipWithError("import failed");
        state.PauseTiming();
        db.SetModified(false);
        state.ResumeTiming();
    }
}

// From the Import menu's plug-in to the lists shown again.
void BM_ImportWindow(benchmark::State &state)
{
    TWindowFixture &fixture = Fixture();
    const QString input = AmcFile();
    for (auto _ : state) {
        state.PauseTiming();
        fixture.OpenEmptyCatalog();
        state.ResumeTiming();
        fixture.window->Transfers().RunImportPlugin(fixture.importer, input);
        QCoreApplication::processEvents();
        if (fixture.window->Database()->MovieCount() != ImportedMovies)
            state.SkipWithError("import failed");
    }
}

// The same file into the catalog that holds it: the first duplicate is answered "add, do
// not ask again" in the real dialog, the rest go without it.
void BM_ImportWindowDuplicates(benchmark::State &state)
{
    TWindowFixture &fixture = Fixture();
    const QString input = AmcFile();
    int dialogs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fixture.OpenEmptyCatalog();
        fixture.window->Transfers().RunImportPlugin(fixture.importer, input);
        dialogs = 0;
        // Answers the duplicate dialog whenever one is up.
        QTimer answer;
        answer.setInterval(5);
        QObject::connect(&answer, &QTimer::timeout, [&dialogs] {
            QWidget *dialog = QApplication::activeModalWidget();
            if (!dialog || dialog->objectName() != u"TOverwriteDlg"_s)
                return;
            ++dialogs;
            dialog->findChild<QCheckBox *>(u"DontShowBox"_s)->setChecked(true);
            dialog->findChild<QPushButton *>(u"AddBtn"_s)->click();
        });
        answer.start();
        state.ResumeTiming();
        fixture.window->Transfers().RunImportPlugin(fixture.importer, input);
        QCoreApplication::processEvents();
        state.PauseTiming();
        answer.stop();
        if (fixture.window->Database()->MovieCount() != 2 * ImportedMovies)
            state.SkipWithError("import failed");
        state.ResumeTiming();
    }
    state.counters["dialogs"] = dialogs;
}

// A catalog of 20,000 movies with titles of the random words (one accented) in the window.
void OpenSearchCatalog(TWindowFixture &fixture)
{
    fixture.OpenEmptyCatalog();
    TVideoDatabase &db = *fixture.window->Database();
    TRandomText text(11,
                     {u"night"_s,
                      u"return"_s,
                      u"city"_s,
                      u"of"_s,
                      u"the"_s,
                      u"lost"_s,
                      u"caf\u00e9"_s,
                      u"river"_s,
                      u"winter"_s,
                      u"2"_s,
                      u"king"_s});
    for (int i = 0; i < SearchedMovies; ++i) {
        auto *movie = static_cast<TMovie *>(db.AddRecord(0));
        movie->SetTitle(text.Words(1 + text.Pick(4), true));
        movie->SetYear(1930 + text.Pick(95));
    }
    fixture.window->Movies().Build();
    QCoreApplication::processEvents();
}

void Type(QWidget *widget, int key, const QString &text)
{
    QKeyEvent press(QEvent::KeyPress,
                    key == Qt::Key_Backspace ? key : QChar(key).toUpper().unicode(),
                    Qt::NoModifier,
                    text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, press.key(), Qt::NoModifier, text);
    QApplication::sendEvent(widget, &release);
}

// One keystroke: from the key event until the list has taken the new filter and painted.
void BM_QuickSearchKeystroke(benchmark::State &state)
{
    TWindowFixture &fixture = Fixture();
    OpenSearchCatalog(fixture);
    auto *edit = fixture.window->findChild<QLineEdit *>(u"SearchEdit"_s);
    edit->setFocus();
    edit->clear();
    QCoreApplication::processEvents();
    // Narrowing, then widening again, with an accent-folded word among them.
    const QString typed = u"cafe"_s;
    int at = 0;
    bool adding = true;
    for (auto _ : state) {
        if (adding) {
            Type(edit, typed.at(at).unicode(), typed.mid(at, 1));
            ++at;
        } else {
            --at;
            Type(edit, Qt::Key_Backspace, QString());
        }
        if (at == typed.size() || at == 0)
            adding = !adding;
        QCoreApplication::processEvents();
        fixture.window->Movies().Model()->rowCount();
        QCoreApplication::processEvents();
    }
    edit->clear();
    QCoreApplication::processEvents();
    state.counters["rows"] = fixture.window->Movies().Model()->rowCount();
}

} // namespace

BENCHMARK(BM_ImportHeadless)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ImportWindow)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ImportWindowDuplicates)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_QuickSearchKeystroke)->Unit(benchmark::kMillisecond)->Iterations(40);

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
