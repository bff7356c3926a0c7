// Load and save of a whole catalog file: 20,000 movies (one in twenty a series with 5-10
// episodes), 5,000 people and 3 custom fields, about 59 MB. The catalog is built once
// through the record API and saved, so the file is exactly what the program writes.
//
// BM_CliInfo and BM_CliResave run the command-line program on that file, start to exit:
// its process start, the load, the write and the teardown of the records all count.
// "bench_catalog --write-catalog FILE" only writes the generated catalog to FILE.
//
// BM_LoadPeakMemory runs one load in a fresh process (this program started again with
// --load-peak FILE) and reports how much the peak resident set grew, in MB and as a
// multiple of the file size. A fresh process is needed: in this one the heap already
// holds freed memory from the generation that a load would reuse unseen.
#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include "bench/randomtext.h"
#include "catalog/actor.h"
#include "catalog/episode.h"
#include "catalog/movie.h"
#include "catalog/videodatabase.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int MovieCount = 20000;
constexpr int PersonCount = 5000;
constexpr int SeriesOneIn = 20;
const char LoadPeakOption[] = "--load-peak";
const char WriteOption[] = "--write-catalog";

class TCatalogGenerator
{
public:
    explicit TCatalogGenerator(TVideoDatabase &db)
        : m_db(db)
    {}

    void Generate()
    {
        m_db.AddCustomField(u"Shelf"_s);
        m_db.AddCustomField(u"Bought at"_s);
        m_db.AddCustomField(u"Edition"_s);
        for (int i = 0; i < MovieCount; ++i) {
            auto *movie = static_cast<TMovie *>(m_db.AddRecord(0));
            MoviePart(*movie, i + 1, true);
            if (Chance(SeriesOneIn)) {
                const int episodes = 5 + Pick(6);
                for (int e = 1; e <= episodes; ++e) {
                    TEpisode *episode = movie->AddEpisode();
                    episode->SetEpnum(e);
                    MoviePart(*episode, e, false);
                }
            }
        }
        // Names are unique: first name, surname and suffix picked by index, never at random.
        static const QString suffixes[] = {QString(), u" Jr."_s, u" Sr."_s};
        const qsizetype combinations = FirstNames().size() * Surnames().size();
        if (PersonCount > qsizetype(std::size(suffixes)) * combinations)
            qFatal("Too few distinct names for the people");
        for (int i = 0; i < PersonCount; ++i) {
            const QString name = FirstNames()[i % FirstNames().size()] + u' '
                                 + Surnames()[(i / FirstNames().size()) % Surnames().size()]
                                 + suffixes[i / combinations];
            auto *person = static_cast<TActor *>(m_db.AddRecord(1, name));
            if (Chance(3))
                person->SetTransname(Words(2, true));
            person->SetBirthday(double(10000 + Pick(30000)));
            person->SetBirthplace(Words(2, true) + u", "_s + Words(1, true));
            person->SetBio(Paragraphs(4 + Pick(4)));
            person->SetFilmography(Filmography(4 + Pick(12)));
            person->SetCategory(Chance(4) ? u"Director"_s : u"Actor"_s);
            if (Chance(5))
                person->SetComment(Words(6 + Pick(10), false));
        }
    }

private:
    int Pick(int count) { return m_text.Pick(count); }
    bool Chance(int oneIn) { return m_text.Chance(oneIn); }

    static const QStringList &FirstNames()
    {
        static const QStringList names{
            u"Anna"_s,          u"Bruno"_s,      u"Chlo\u00e9"_s, u"Dmitri"_s,   u"Elena"_s,
            u"Fran\u00e7ois"_s, u"Greta"_s,      u"Hiro"_s,       u"Ingrid"_s,   u"Jack"_s,
            u"Kira"_s,          u"Lars"_s,       u"Mar\u00eda"_s, u"Nikolai"_s,  u"Olga"_s,
            u"Paolo"_s,         u"Quentin"_s,    u"Rosa"_s,       u"Sergei"_s,   u"Tilda"_s,
            u"Ugo"_s,           u"Vera"_s,       u"Walter"_s,     u"Xavier"_s,   u"Yuki"_s,
            u"Zoe"_s,           u"Agn\u00e8s"_s, u"Bj\u00f6rn"_s, u"Carmen"_s,   u"Dev"_s,
            u"Emma"_s,          u"Federico"_s,   u"Gael"_s,       u"Helen"_s,    u"Isabelle"_s,
            u"Jean"_s,          u"Krzysztof"_s,  u"Liv"_s,        u"Mikhail"_s,  u"Nastassja"_s,
            u"Orson"_s,         u"Pedro"_s,      u"Rainer"_s,     u"Satyajit"_s, u"Toshiro"_s,
            u"Ulla"_s,          u"Vittorio"_s,   u"Wong"_s,       u"Yasujiro"_s, u"Zhang"_s};
        return names;
    }

    static const QStringList &Surnames()
    {
        static const QStringList names{u"Almod\u00f3var"_s,
                                       u"Bergman"_s,
                                       u"Chaplin"_s,
                                       u"Dreyer"_s,
                                       u"Eastwood"_s,
                                       u"Fellini"_s,
                                       u"Godard"_s,
                                       u"Hitchcock"_s,
                                       u"Ivory"_s,
                                       u"Jarmusch"_s,
                                       u"Kurosawa"_s,
                                       u"Lang"_s,
                                       u"Malick"_s,
                                       u"Nolan"_s,
                                       u"Ozu"_s,
                                       u"Polanski"_s,
                                       u"Quinn"_s,
                                       u"Rohmer"_s,
                                       u"Scorsese"_s,
                                       u"Tarkovsky"_s,
                                       u"Ullmann"_s,
                                       u"Varda"_s,
                                       u"Welles"_s,
                                       u"Yimou"_s,
                                       u"Zinnemann"_s,
                                       u"\u0411\u043e\u043d\u0434\u0430\u0440\u0447\u0443\u043a"_s,
                                       u"O'Brien"_s,
                                       u"Renoir"_s,
                                       u"Truffaut"_s,
                                       u"Visconti"_s,
                                       u"Wilder"_s,
                                       u"Wajda"_s,
                                       u"Lynch"_s,
                                       u"Leone"_s,
                                       u"Mizoguchi"_s,
                                       u"Herzog"_s,
                                       u"Kieslowski"_s,
                                       u"Bu\u00f1uel"_s,
                                       u"Cassavetes"_s,
                                       u"Antonioni"_s};
        return names;
    }

    // Words of titles, descriptions and comments; some carry the characters the writer
    // escapes and some are not Latin-1.
    static const QStringList &WordList()
    {
        static const QStringList words{u"night"_s,
                                       u"return"_s,
                                       u"city"_s,
                                       u"of"_s,
                                       u"the"_s,
                                       u"lost"_s,
                                       u"man"_s,
                                       u"story"_s,
                                       u"river"_s,
                                       u"winter"_s,
                                       u"&"_s,
                                       u"dark"_s,
                                       u"war"_s,
                                       u"Paris"_s,
                                       u"\u0432\u043e\u0439\u043d\u0430"_s,
                                       u"caf\u00e9"_s,
                                       u"and"_s,
                                       u"love"_s,
                                       u"\"big\""_s,
                                       u"star"_s,
                                       u"a"_s,
                                       u"2"_s,
                                       u"<uncut>"_s,
                                       u"road"_s,
                                       u"\u6771\u4eac"_s,
                                       u"king"_s,
                                       u"house"_s,
                                       u"in"_s,
                                       u"summer"_s,
                                       u"->"_s,
                                       u"train"_s,
                                       u"daughter"_s,
                                       u"sea"_s,
                                       u"with"_s};
        return words;
    }

    QString Words(int count, bool capital) { return m_text.Words(count, capital); }
    QString Paragraphs(int count) { return m_text.Paragraphs(count, 16, 21); }

    QString Person() { return FirstNames()[Pick(50)] + u' ' + Surnames()[Pick(40)]; }

    QString Cast(int count)
    {
        QString out;
        for (int i = 0; i < count; ++i) {
            if (i > 0)
                out += u"\r\n"_s;
            out += Person();
        }
        return out;
    }

    QString Filmography(int count)
    {
        QString out;
        for (int i = 0; i < count; ++i) {
            if (i > 0)
                out += u"\r\n"_s;
            out += u"%1 (%2)"_s.arg(Words(1 + Pick(3), true)).arg(1930 + Pick(95));
        }
        return out;
    }

    // Every movie has the main fields; technical data, links and tags only some, as in a
    // catalog filled partly by hand.
    void MoviePart(TBaseMovie &movie, int number, bool isMovie)
    {
        const QString title = Words(1 + Pick(4), true);
        movie.SetTitle(title);
        if (Chance(2))
            movie.SetOrigtitle(Words(1 + Pick(4), true));
        movie.SetYear(1930 + Pick(95));
        movie.SetDirector(Person());
        movie.SetActors(Cast(isMovie ? 3 + Pick(5) : 2 + Pick(2)));
        movie.SetDescription(Paragraphs(isMovie ? 5 + Pick(10) : 3));
        if (isMovie) {
            movie.SetCountry(u"USA, France"_s);
            movie.SetGenre(u"Drama, Thriller"_s);
        }
        movie.SetRating(1 + Pick(90) / 10.0);
        movie.SetImdbrating(1 + Pick(90) / 10.0);
        movie.SetLength((40 + Pick(140)) / 1440.0);
        movie.SetDateadded(40000 + Pick(5000) + Pick(86400) / 86400.0);
        movie.SetSize(700'000'000LL + Pick(1'000'000) * 4096LL);
        movie.SetPath(u"/media/films/%1 (%2)/%1.mkv"_s.arg(title).arg(number));
        if (!Chance(3)) {
            movie.SetResolution(u"1920x1080"_s);
            movie.SetVideocodec(u"H.264"_s);
            movie.SetVideobitrate(1000 + Pick(8000));
            movie.SetAudiocodec(u"AC3"_s);
            movie.SetAudiobitrate(192 + Pick(448));
        }
        if (Chance(2)) {
            movie.SetLangs(u"English, Fran\u00e7ais"_s);
            movie.SetTags(u"favourite; 4K"_s);
        }
        if (Chance(2)) {
            movie.SetUrl(
                u"https://example.org/title/tt%1/?ref=a&b=c"_s.arg(number, 7, 10, QChar(u'0')));
        }
        if (Chance(4))
            movie.SetComment(Words(8 + Pick(20), false));
        if (Chance(4))
            movie.SetViewed(false);
        movie.SetCustomValue(0, u"Shelf %1"_s.arg(Pick(40)));
        if (Chance(2))
            movie.SetCustomValue(1, Words(2, true));
        if (Chance(3))
            movie.SetCustomValue(2, u"Director's cut <remastered>"_s);
        if (isMovie)
            movie.SetNum(number);
    }

    TVideoDatabase &m_db;
    TRandomText m_text{20240611u, WordList()};
};

struct TFixture
{
    TFixture()
    {
        if (!Dir.isValid())
            qFatal("No temporary folder");
        LoadFile = Dir.filePath(u"movies.rkd"_s);
        SaveFile = Dir.filePath(u"save.rkd"_s);
        {
            TVideoDatabase db(LoadFile);
            TCatalogGenerator(db).Generate();
            const Result<TSaveOutcome> saved = db.Save(true);
            if (!saved.Ok())
                qFatal("Cannot save the generated catalog: %s", qPrintable(saved.Error()));
        }
        FileSize = QFileInfo(LoadFile).size();
        if (!QFile::copy(LoadFile, SaveFile))
            qFatal("Cannot copy the generated catalog");
    }

    QTemporaryDir Dir;
    QString LoadFile;
    QString SaveFile;
    qint64 FileSize = 0;
};

const TFixture &Fixture()
{
    static const TFixture fixture;
    return fixture;
}

void BM_Load(benchmark::State &state)
{
    const TFixture &fixture = Fixture();
    int movies = 0;
    for (auto _ : state) {
        auto db = std::make_unique<TVideoDatabase>(fixture.LoadFile);
        const TLoadResult result = db->Open();
        if (!result.ok)
            state.SkipWithError(qPrintable(result.error));
        movies = db->MovieCount();
        // Tearing the records down is not part of a load.
        state.PauseTiming();
        db.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * fixture.FileSize);
    state.counters["movies"] = movies;
    state.counters["fileMB"] = double(fixture.FileSize) / 1e6;
}

// Includes the backup copy, the write to a temporary file, fsync and the rename.
void BM_Save(benchmark::State &state)
{
    const TFixture &fixture = Fixture();
    TVideoDatabase db(fixture.SaveFile);
    if (const TLoadResult result = db.Open(); !result.ok) {
        state.SkipWithError(qPrintable(result.error));
        return;
    }
    for (auto _ : state) {
        const Result<TSaveOutcome> result = db.Save(true);
        if (!result.Ok())
            state.SkipWithError(qPrintable(result.Error()));
    }
    state.SetBytesProcessed(state.iterations() * fixture.FileSize);
    state.counters["fileMB"] = double(fixture.FileSize) / 1e6;
}

// A line "Name:   1234 kB" of /proc/self/status, in kB; -1 when missing.
qint64 StatusKilobytes(const char *name)
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(name) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// The child side of BM_LoadPeakMemory: prints the peak resident set before and after one
// load, in kB.
int LoadPeakChild(const QString &fileName)
{
    const qint64 before = StatusKilobytes("VmHWM");
    TVideoDatabase db(fileName);
    const TLoadResult result = db.Open();
    const qint64 after = StatusKilobytes("VmHWM");
    if (!result.ok) {
        std::fprintf(stderr, "%s\n", qPrintable(result.error));
        return 1;
    }
    std::printf("%lld %lld\n", static_cast<long long>(before), static_cast<long long>(after));
    return 0;
}

// The processor time, user and system, of the children that ended so far, in ms.
double ChildrenCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto ms = [](const timeval &t) {
        return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3;
    };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// Runs the command-line program with `args`, adding its processor time to `cpuMs`; false
// when it fails. On a shared machine the processor time is the steadier figure.
bool RunCli(const QStringList &args, double &cpuMs)
{
    const double before = ChildrenCpuMs();
    QProcess cli;
    cli.start(QStringLiteral(RK_CLI_PATH), args);
    const bool ok = cli.waitForFinished(120'000) && cli.exitStatus() == QProcess::NormalExit
                    && cli.exitCode() == 0;
    cpuMs += ChildrenCpuMs() - before;
    return ok;
}

void BM_CliInfo(benchmark::State &state)
{
    const TFixture &fixture = Fixture();
    double cpuMs = 0;
    for (auto _ : state) {
        if (!RunCli({u"info"_s, fixture.LoadFile}, cpuMs))
            state.SkipWithError("reelkeep-cli info failed");
    }
    state.counters["cliCpuMs"] = cpuMs / double(state.iterations());
    state.counters["fileMB"] = double(fixture.FileSize) / 1e6;
}

void BM_CliResave(benchmark::State &state)
{
    const TFixture &fixture = Fixture();
    const QString out = fixture.Dir.filePath(u"resaved.rkd"_s);
    double cpuMs = 0;
    for (auto _ : state) {
        if (!RunCli({u"resave"_s, fixture.LoadFile, out}, cpuMs))
            state.SkipWithError("reelkeep-cli resave failed");
    }
    state.counters["cliCpuMs"] = cpuMs / double(state.iterations());
    state.counters["fileMB"] = double(fixture.FileSize) / 1e6;
}

void BM_LoadPeakMemory(benchmark::State &state)
{
    const TFixture &fixture = Fixture();
    qint64 growthKb = 0;
    for (auto _ : state) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QString::fromLatin1(LoadPeakOption), fixture.LoadFile});
        if (!child.waitForFinished(120'000) || child.exitCode() != 0) {
            state.SkipWithError("The load process failed");
            return;
        }
        const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
        if (fields.size() != 2) {
            state.SkipWithError("The load process printed no figures");
            return;
        }
        growthKb = fields[1].toLongLong() - fields[0].toLongLong();
    }
    const double growthBytes = double(growthKb) * 1024;
    state.counters["peakMB"] = growthBytes / 1e6;
    state.counters["ratio"] = growthBytes / double(fixture.FileSize);
    state.counters["fileMB"] = double(fixture.FileSize) / 1e6;
}

} // namespace

BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_CliInfo)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_CliResave)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_LoadPeakMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], LoadPeakOption) == 0)
        return LoadPeakChild(QString::fromLocal8Bit(argv[2]));
    // Keeps a copy of the generated catalog, for profiling the programs that read it.
    if (argc == 3 && std::strcmp(argv[1], WriteOption) == 0)
        return QFile::copy(Fixture().LoadFile, QString::fromLocal8Bit(argv[2])) ? 0 : 1;
    // QProcess and applicationFilePath need the application object.
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
