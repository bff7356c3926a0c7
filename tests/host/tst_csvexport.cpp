// The CSV export plug-in run through the host's export: every field of awkward records
// survives a strict reader, for each separator; cancels and failures leave no file.
#include <csignal>

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "catalog/actor.h"
#include "catalog/episode.h"
#include "catalog/movie.h"
#include "catalog/videodatabase.h"
#include "host/importexport.h"
#include "host/pluginlibrary.h"
#include "plugin_api/importu.h"
#include "tests/support/fakeprogram.h"

using namespace Qt::StringLiterals;

namespace {

const QString CsvExport = QStringLiteral(RK_CSVEXPORT_PATH);
const QString TestExport = QStringLiteral(RK_TEST_PLUGINS_DIR "/testexport.so");

class TFileUi : public IImportExportUi
{
public:
    std::optional<QString> AskOpenFile(const QString &) override { return file; }
    std::optional<QString> AskSaveFile(const QString &filter) override
    {
        filters.append(filter);
        return file;
    }
    TDuplicateAnswer AskDuplicate(TRecordKind, const QString &, const QString &) override
    {
        return {};
    }
    // Cancel once this many records went out (-1: never).
    bool CancelRequested() override { return cancelAfter >= 0 && checks++ >= cancelAfter; }

    std::optional<QString> file;
    QStringList filters;
    int cancelAfter = -1;
    int checks = 0;
};

// RFC 4180, strictly: CRLF after every row, quotes only around whole fields, doubled
// inside. Any breach fails the test and gives no rows.
QList<QStringList> ReadCsv(const QString &text, QChar separator)
{
    QList<QStringList> rows;
    QStringList row;
    QString field;
    qsizetype i = 0;
    const auto fail = [&](const char *why) {
        ADD_FAILURE() << why << " at " << i;
        return QList<QStringList>{};
    };
    while (i < text.size()) {
        if (text[i] == u'"') {
            for (++i;; ++i) {
                if (i >= text.size())
                    return fail("unterminated quote");
                if (text[i] == u'"') {
                    if (i + 1 < text.size() && text[i + 1] == u'"') {
                        field += u'"';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += text[i];
            }
        } else {
            while (i < text.size() && text[i] != separator && text[i] != u'\r') {
                if (text[i] == u'"' || text[i] == u'\n')
                    return fail("quote or line feed in an unquoted field");
                field += text[i++];
            }
        }
        row.append(std::exchange(field, {}));
        if (i < text.size() && text[i] == separator) {
            ++i;
        } else if (text.mid(i, 2) == u"\r\n"_s) {
            i += 2;
            rows.append(std::exchange(row, {}));
        } else {
            return fail("field not followed by a separator or CRLF");
        }
    }
    return rows;
}

// The test plug-in's lines back into slot values (it escapes \n, \r, | and \).
QStringList Unescaped(const QByteArray &line)
{
    QStringList cells;
    QByteArray cell;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == '\\' && i + 1 < line.size()) {
            const char c = line[++i];
            cell += c == 'n' ? '\n' : c == 'r' ? '\r' : c;
        } else if (line[i] == '|') {
            cells.append(QString::fromUtf8(std::exchange(cell, {})));
        } else {
            cell += line[i];
        }
    }
    cells.append(QString::fromUtf8(cell));
    return cells;
}

struct TSeparatorCase
{
    const char *Key;
    QChar Separator;
};

class CsvExportTest : public ::testing::TestWithParam<TSeparatorCase>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        qputenv("XDG_CONFIG_HOME", dir.filePath(u"config"_s).toUtf8());
        db = std::make_unique<TVideoDatabase>(dir.filePath(u"movies.rkd"_s));
        ASSERT_TRUE(db->Open().ok);
    }
    void TearDown() override
    {
        db->SetModified(false);
        qunsetenv("XDG_CONFIG_HOME");
    }
    void SaveSeparator(const char *key)
    {
        ASSERT_TRUE(QDir().mkpath(dir.filePath(u"config/Reelkeep/plugins"_s)));
        QFile conf(dir.filePath(u"config/Reelkeep/plugins/csvexport.conf"_s));
        ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
        conf.write("# chosen by the test\nseparator = " + QByteArray(key) + "\n");
    }
    TMovie *Movie(int num, const QString &title)
    {
        auto *movie = static_cast<TMovie *>(db->AddRecord(0));
        movie->SetNum(num);
        movie->SetTitle(title);
        return movie;
    }
    // The same records through the test plug-in: the cells the host hands over.
    QList<QStringList> HostSlots(const QList<TDBItem *> &records, bool people)
    {
        TFileUi plain;
        plain.file = dir.filePath(u"cells.txt"_s);
        EXPECT_TRUE(RunExport(TestExport, records, people, plain).Ok());
        QFile file(*plain.file);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        QList<QStringList> rows;
        for (const QByteArray &line : file.readAll().split('\n')) {
            if (line.startsWith("movie|") || line.startsWith("episode|")
                || line.startsWith("human|"))
                rows.append(Unescaped(line));
        }
        return rows;
    }
    QString ExportCsv(const QList<TDBItem *> &records, bool people)
    {
        ui.file = dir.filePath(u"out.csv"_s);
        EXPECT_TRUE(RunExport(CsvExport, records, people, ui).Ok());
        QFile file(*ui.file);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        const QByteArray bytes = file.readAll();
        EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF")) << "UTF-8 byte-order mark";
        return QString::fromUtf8(bytes.mid(3));
    }
    QStringList Leftovers() const
    {
        return QDir(dir.path()).entryList({u"*.partial"_s}, QDir::Files);
    }

    QTemporaryDir dir;
    std::unique_ptr<TVideoDatabase> db;
    TFileUi ui;
};

const QString Awkward[] = {
    u"say \"hi\""_s,
    u"a,b"_s,
    u"a;b"_s,
    u"a\tb"_s,
    u"line\r\nbreak"_s,
    u"lone\nfeed"_s,
    u"Ærøskøbing – 東京 🎬"_s,
    u"\""_s,
    u" padded "_s,
};

TEST_P(CsvExportTest, EveryFieldSurvivesAStrictReader)
{
    SaveSeparator(GetParam().Key);
    QList<TDBItem *> movies;
    int num = 1;
    for (const QString &text : Awkward) {
        TMovie *movie = Movie(num++, text);
        movie->SetDescription(text + text);
        movie->SetComment(text);
        movie->SetActors(text);
        movies.append(movie);
    }
    TMovie *empty = Movie(num++, QString());
    movies.append(empty);
    TMovie *series = Movie(num++, u"Series, \"The\""_s);
    for (int epnum : {2, 1}) {
        TEpisode *episode = series->AddEpisode();
        episode->SetEpnum(epnum);
        episode->SetTitle(u"Part\r\n%1"_s.arg(epnum));
    }
    movies.append(series);

    const QList<QStringList> expected = HostSlots(movies, false);
    const QList<QStringList> rows = ReadCsv(ExportCsv(movies, false), GetParam().Separator);
    ASSERT_EQ(rows.size(), 1 + expected.size());
    ASSERT_EQ(rows[0].size(), 1 + 53 - 2) << "every slot but the picture's, and the series";
    EXPECT_EQ(rows[0][1], u"Title"_s);
    EXPECT_EQ(rows[0][2], u"Series"_s);
    EXPECT_EQ(ui.filters, QStringList{u"CSV files (*.csv)|*.csv"_s});
    QString seriesTitle;
    for (qsizetype r = 0; r < expected.size(); ++r) {
        const QStringList &cells = expected[r];
        const bool episode = cells[0] == u"episode"_s;
        if (!episode)
            seriesTitle = cells[1 + 1];
        QStringList wanted;
        for (int slot = 0; slot < 53; ++slot) {
            if (slot != 48 && slot != 49)
                wanted.append(cells[1 + slot]);
            if (slot == 1)
                wanted.append(episode ? seriesTitle : QString());
        }
        EXPECT_EQ(rows[r + 1], wanted) << "row " << r + 1;
    }
    EXPECT_EQ(rows.last()[1], u"Part\r\n2"_s) << "episodes follow their series by number";
    EXPECT_EQ(rows.last()[2], u"Series, \"The\""_s);

    QList<TDBItem *> people;
    for (const QString &text : Awkward) {
        auto *person = static_cast<TActor *>(db->AddRecord(1, text));
        person->SetBio(text);
        people.append(person);
    }
    const QList<QStringList> expectedPeople = HostSlots(people, true);
    const QList<QStringList> personRows = ReadCsv(ExportCsv(people, true), GetParam().Separator);
    ASSERT_EQ(personRows.size(), 1 + expectedPeople.size());
    EXPECT_EQ(personRows[0].first(), u"Name"_s);
    for (qsizetype r = 0; r < expectedPeople.size(); ++r)
        EXPECT_EQ(personRows[r + 1], expectedPeople[r].mid(1, 13)) << "person " << r;
    EXPECT_TRUE(Leftovers().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Separators,
                         CsvExportTest,
                         ::testing::Values(TSeparatorCase{"comma", u','},
                                           TSeparatorCase{"semicolon", u';'},
                                           TSeparatorCase{"tab", u'\t'}),
                         [](const auto &info) { return std::string(info.param.Key); });

using CsvExportFailureTest = CsvExportTest;

// A cancel or an unwritable target leaves the old file as it was and nothing beside it.
TEST_F(CsvExportFailureTest, CancelAndUnwritableTargetsLeaveNothing)
{
    QList<TDBItem *> movies;
    for (int i = 0; i < 5; ++i)
        movies.append(Movie(i, u"Movie %1"_s.arg(i)));
    ui.file = dir.filePath(u"out.csv"_s);
    QFile old(*ui.file);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    // The selection pass asks once per record before the export loop does.
    for (int cancelAfter : {5, 7}) {
        ui.cancelAfter = cancelAfter;
        ui.checks = 0;
        EXPECT_TRUE(RunExport(CsvExport, movies, false, ui).Ok());
        ASSERT_TRUE(old.open(QIODevice::ReadOnly));
        EXPECT_EQ(old.readAll(), "old") << "cancelled after " << cancelAfter;
        old.close();
        EXPECT_TRUE(Leftovers().isEmpty()) << "cancelled after " << cancelAfter;
    }
    ui.cancelAfter = -1;

    // A full disk, as a file size limit: writes fail with EFBIG instead of a signal. A
    // small export fails only when EndExport saves it, a large one at a record.
    QList<TDBItem *> large = movies;
    for (int i = 0; i < 100; ++i)
        large.append(Movie(10 + i, u"A longer title for movie number %1"_s.arg(i)));
    for (const QList<TDBItem *> *records : {&movies, &large}) {
        rlimit limit;
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = limit;
        small.rlim_cur = 200;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        TExportOutcome outcome;
        const Status status = RunExport(CsvExport, *records, false, ui, 9, &outcome);
        setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, oldHandler);
        EXPECT_FALSE(status.Ok()) << records->size() << " records";
        EXPECT_TRUE(outcome.refused && status.Error().contains(*ui.file))
            << qPrintable(status.Error());
        ASSERT_TRUE(old.open(QIODevice::ReadOnly));
        EXPECT_EQ(old.readAll(), "old") << "a failed export keeps the old file";
        old.close();
        EXPECT_TRUE(Leftovers().isEmpty());
    }

    ui.file = dir.filePath(u"missing/out.csv"_s);
    TExportOutcome outcome;
    const Status status = RunExport(CsvExport, movies, false, ui, 9, &outcome);
    EXPECT_TRUE(outcome.refused && status.Error().contains(*ui.file)) << qPrintable(status.Error());
    EXPECT_FALSE(QFile::exists(dir.filePath(u"missing"_s)));
}

// Configure asks through a dialog program found on PATH and keeps the answer.
TEST_F(CsvExportFailureTest, ConfigureKeepsTheChoiceOfTheDialog)
{
    const QString bin = dir.filePath(u"bin"_s);
    {
        const TFakeProgram zenity(bin, u"zenity"_s, TFakeProgram::Answering("tab"));
        ASSERT_TRUE(zenity.Ok());
        TPluginLibrary library(CsvExport);
        const auto canConfig = library.Resolve<TCanConfigFunc>("CanConfig");
        const auto configure = library.Resolve<TConfigureFunc>("Configure");
        ASSERT_TRUE(canConfig && configure);
        EXPECT_NE(canConfig() & 0xFF, 0);
        configure(RK_LANG_GERMAN, reinterpret_cast<void *>(uintptr_t(0x2a00007)));
    }
    QFile args(bin + u"/args"_s);
    ASSERT_TRUE(args.open(QIODevice::ReadOnly));
    const QByteArray given = args.readAll();
    EXPECT_TRUE(given.contains("--radiolist\n")) << given.constData();
    EXPECT_TRUE(given.contains("--attach=44040199\n")) << given.constData();
    EXPECT_TRUE(given.contains("Semikolon (;)\n")) << given.constData();

    TMovie *movie = Movie(1, u"a\tb"_s);
    const QList<QStringList> rows = ReadCsv(ExportCsv({movie}, false), u'\t');
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[1][1], u"a\tb"_s);
}

} // namespace
