// Runs the real reelkeep-cli program on catalogs built through the catalog API and on
// hand-made broken files: exit codes, the info and dump output, and resave round trips.
#include <csignal>
#include <functional>

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include "catalog/actor.h"
#include "catalog/cataloglock.h"
#include "catalog/episode.h"
#include "catalog/image.h"
#include "catalog/movie.h"
#include "catalog/videodatabase.h"
#include "tests/support/amcwriter.h"

using namespace Qt::StringLiterals;

namespace {

struct TRun
{
    QProcess::ExitStatus status = QProcess::CrashExit;
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

TRun RunCli(const QStringList &args,
            const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment(),
            const std::function<void()> &inChild = {})
{
    QProcess process;
    process.setProcessEnvironment(env);
    if (inChild)
        process.setChildProcessModifier(inChild);
    process.start(QString::fromUtf8(RK_CLI_PATH), args);
    TRun run;
    if (!process.waitForFinished(60'000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.status = process.exitStatus();
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

QByteArray ReadBytes(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString &fileName, const QByteArray &bytes)
{
    QFile file(fileName);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << qPrintable(fileName);
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QJsonObject ParseDump(const TRun &run)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(run.out, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << qPrintable(error.errorString());
    EXPECT_TRUE(doc.isObject());
    return doc.object();
}

class CliTest : public ::testing::Test
{
protected:
    QString Path(const QString &name) const { return dir.filePath(name); }

    // Three movies added out of num order (the second a series of two episodes), three
    // people added out of name order, three custom fields; saved to `fileName`.
    static void BuildCatalog(const QString &fileName)
    {
        TVideoDatabase db(fileName);
        db.AddCustomField(u"Shelf"_s);
        db.AddCustomField(u"Bought at"_s);
        db.AddCustomField(u"Edition"_s);

        auto *late = static_cast<TMovie *>(db.AddRecord(0));
        late->SetTitle(u"Zulu <uncut> & more"_s);
        late->SetNum(30);

        auto *first = static_cast<TMovie *>(db.AddRecord(0));
        first->SetTitle(u"Caf\u00e9 \u6771\u4eac"_s);
        first->SetOrigtitle(u"Original"_s);
        first->SetYear(1999);
        first->SetRating(7.5);
        first->SetLength(95.0 / 1440);
        first->SetSize(4'700'000'000LL);
        first->SetDateadded(45000.5);
        first->SetViewed(false);
        first->SetActors(u"Anna Karina\r\nJean-Paul Belmondo"_s);
        first->SetDescription(u"Line one <b> & c.\r\nLine two."_s);
        first->SetComment(u"Kept on <shelf> 3 & 4"_s);
        first->SetPath(u"/media/films/Cafe.mkv"_s);
        first->SetCustomValue(0, u"A3"_s);
        first->SetCustomValue(2, u"Director's cut"_s);
        first->SetNum(10);

        auto *series = static_cast<TMovie *>(db.AddRecord(0));
        series->SetTitle(u"Series"_s);
        series->SetNum(20);
        for (int e = 1; e <= 2; ++e) {
            TEpisode *episode = series->AddEpisode();
            episode->SetEpnum(e);
            episode->SetTitle(u"Episode %1"_s.arg(e));
            episode->SetCustomValue(1, u"Shop %1"_s.arg(e));
        }

        for (const QString &name : {u"zoe Zed"_s, u"Anna Karina"_s, u"bob Bee"_s})
            db.AddRecord(1, name);
        auto *anna = db.Person(db.FindPerson(u"Anna Karina"_s));
        anna->SetBirthday(14702.5);
        anna->SetBio(u"Born in Denmark.\r\nActress & singer."_s);
        anna->SetCategory(u"Actor"_s);
        ASSERT_TRUE(db.Save(true).Ok());
    }

    QTemporaryDir dir;
};

// --- Arguments and exit codes -------------------------------------------------------

struct TUsageCase
{
    const char *name;
    QStringList args; // "@missing" and "@catalog" stand for files in the test folder
    int exitCode;
    bool usageOnStdout;
};

class CliUsageTest : public CliTest, public ::testing::WithParamInterface<TUsageCase>
{};

TEST_P(CliUsageTest, ExitCodeAndMessages)
{
    BuildCatalog(Path(u"catalog.rkd"_s));
    QStringList args;
    for (const QString &arg : GetParam().args) {
        args.append(arg == u"@missing"   ? Path(u"missing.rkd"_s)
                    : arg == u"@catalog" ? Path(u"catalog.rkd"_s)
                                         : arg);
    }
    const TRun run = RunCli(args);
    ASSERT_EQ(run.status, QProcess::NormalExit);
    EXPECT_EQ(run.exitCode, GetParam().exitCode) << run.err.constData();
    if (GetParam().usageOnStdout) {
        EXPECT_TRUE(run.out.startsWith("Usage: reelkeep-cli")) << run.out.constData();
        EXPECT_TRUE(run.err.isEmpty());
    } else {
        EXPECT_TRUE(run.out.isEmpty()) << run.out.constData();
        EXPECT_FALSE(run.err.isEmpty());
    }
    EXPECT_FALSE(QFile::exists(Path(u"out.rkd"_s))) << "a failed command wrote a file";
}

INSTANTIATE_TEST_SUITE_P(
    Arguments,
    CliUsageTest,
    ::testing::Values(
        TUsageCase{"NoArguments", {}, 1, false},
        TUsageCase{"UnknownCommand", {u"frobnicate"_s}, 1, false},
        TUsageCase{"InfoWithoutFile", {u"info"_s}, 1, false},
        TUsageCase{"InfoExtraFile", {u"info"_s, u"@catalog"_s, u"x"_s}, 1, false},
        TUsageCase{"ResaveWithoutOut", {u"resave"_s, u"@catalog"_s}, 1, false},
        TUsageCase{"PasswordWithoutValue", {u"info"_s, u"@catalog"_s, u"--password"_s}, 1, false},
        TUsageCase{"UnknownOption", {u"dump"_s, u"@catalog"_s, u"--all"_s}, 1, false},
        TUsageCase{"InfoMissingFile", {u"info"_s, u"@missing"_s}, 2, false},
        TUsageCase{"DumpMissingFile", {u"dump"_s, u"@missing"_s}, 2, false},
        TUsageCase{"ResaveMissingFile", {u"resave"_s, u"@missing"_s, u"out.rkd"_s}, 2, false},
        TUsageCase{"StatsMissingFile", {u"stats"_s, u"@missing"_s}, 2, false},
        TUsageCase{"GeneralHelp", {u"--help"_s}, 0, true},
        TUsageCase{"InfoHelp", {u"info"_s, u"--help"_s}, 0, true},
        TUsageCase{"DumpHelp", {u"dump"_s, u"@catalog"_s, u"--help"_s}, 0, true},
        TUsageCase{"ResaveHelp", {u"resave"_s, u"-h"_s}, 0, true}),
    [](const auto &info) { return std::string(info.param.name); });

// --- info and dump --------------------------------------------------------------------

TEST_F(CliTest, InfoCountsEverything)
{
    BuildCatalog(Path(u"catalog.rkd"_s));
    const TRun run = RunCli({u"info"_s, Path(u"catalog.rkd"_s)});
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_EQ(run.out,
              "version: 9006\nmovies: 3\npeople: 3\nepisodes: 2\ncustom fields: 3\n"
              "encrypted: no\n");
}

TEST_F(CliTest, StatsPrintsTotalsThenChartValues)
{
    const QString file = Path(u"stats.rkd"_s);
    {
        TVideoDatabase db(file);
        auto *boxed = static_cast<TMovie *>(db.AddRecord(0));
        boxed->SetYear(1999);
        boxed->SetGenre(u"Drama"_s);
        boxed->SetType(u"DVD9"_s);
        boxed->SetCount(3);
        boxed->SetSize(1536);
        boxed->SetLength((3600 + 30 * 60 + 45) / 86400.0);
        boxed->SetViewed(true);
        boxed->SetDirector(u"Amy"_s);
        boxed->SetActors(u"Bob\r\nCid"_s);
        boxed->SetImdbrating(7.5);
        boxed->SetLoan(u"Ann"_s);
        auto *wished = static_cast<TMovie *>(db.AddRecord(0));
        wished->SetViewed(false);
        wished->SetWish(true);
        wished->SetRating(9);
        wished->SetLangs(u"English"_s);
        wished->SetTranslation(u"Dubbed\tlive"_s);
        static_cast<TActor *>(db.AddRecord(1, u"Ann"_s))->SetCategory(u"Actor"_s);
        ASSERT_TRUE(db.Save(true).Ok());
    }
    const TRun run = RunCli({u"stats"_s, file});
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_EQ(run.out,
              "movies: 2\npeople: 1\nloaned: 1\nseen: 1\nnot seen: 1\nwish: 1\n"
              "size: 1 GB 512 MB\nduration: 1 hours 30 minutes\n"
              "Genres\tDrama\t1\n"
              "Years\t1999\t1\nYears\tUndefined\t1\n"
              "IMDB Rating\tNot rated\t1\nIMDB Rating\t< 2\t0\nIMDB Rating\t2 - 4\t0\n"
              "IMDB Rating\t4 - 6\t0\nIMDB Rating\t6 - 8\t1\nIMDB Rating\t8 - 10\t0\n"
              "Rating\tNot rated\t1\nRating\t< 2\t0\nRating\t2 - 4\t0\n"
              "Rating\t4 - 6\t0\nRating\t6 - 8\t0\nRating\t8 - 10\t1\n"
              "Media Types\tDVD9\t3\nMedia Types\tUndefined\t1\n"
              "Quality\tUndefined\t2\n"
              "Languages\tEnglish\t1\n"
              "Directors\tAmy\t1\n"
              "Actors\tCid\t1\nActors\tBob\t1\n"
              "Translations\tDubbed live\t1\nTranslations\tUndefined\t1\n"
              "People\tActor\t1\n");
    EXPECT_TRUE(run.err.isEmpty());
}

TEST_F(CliTest, DumpHasRecordsInListOrderWithTypedFields)
{
    BuildCatalog(Path(u"catalog.rkd"_s));
    const TRun run = RunCli({u"dump"_s, Path(u"catalog.rkd"_s)});
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    const QJsonObject root = ParseDump(run);

    EXPECT_EQ(root[u"version"_s], 9006);
    EXPECT_EQ(root[u"customFields"_s].toArray(),
              QJsonArray({u"Shelf"_s, u"Bought at"_s, u"Edition"_s}));

    const QJsonArray movies = root[u"movies"_s].toArray();
    ASSERT_EQ(movies.size(), 3);
    EXPECT_EQ(movies[0][u"num"_s], 10);
    EXPECT_EQ(movies[1][u"num"_s], 20);
    EXPECT_EQ(movies[2][u"num"_s], 30);

    const QJsonObject first = movies[0].toObject();
    EXPECT_EQ(first[u"title"_s], u"Caf\u00e9 \u6771\u4eac"_s);
    EXPECT_EQ(first[u"origtitle"_s], u"Original"_s);
    EXPECT_EQ(first[u"year"_s], 1999);
    EXPECT_EQ(first[u"rating"_s], 7.5);
    EXPECT_DOUBLE_EQ(first[u"length"_s].toDouble(), 95.0 / 1440);
    EXPECT_EQ(first[u"size"_s], 4'700'000'000.0);
    EXPECT_EQ(first[u"dateadded"_s], 45000.5);
    EXPECT_EQ(first[u"viewed"_s], false);
    EXPECT_EQ(first[u"wish"_s], false);
    EXPECT_EQ(first[u"actors"_s], u"Anna Karina\r\nJean-Paul Belmondo"_s);
    EXPECT_EQ(first[u"description"_s], u"Line one <b> & c.\r\nLine two."_s);
    EXPECT_EQ(first[u"comment"_s], u"Kept on <shelf> 3 & 4"_s);
    EXPECT_EQ(first[u"path"_s], u"/media/films/Cafe.mkv"_s);
    EXPECT_EQ(first[u"director"_s], u""_s) << "unset text fields are present and empty";
    EXPECT_EQ(first[u"imdbrating"_s], 0);
    EXPECT_EQ(first[u"custom"_s].toArray(), QJsonArray({u"A3"_s, u""_s, u"Director's cut"_s}));
    EXPECT_TRUE(first[u"coverformat"_s].isDouble());
    EXPECT_TRUE(first[u"coverpath"_s].isString());
    EXPECT_EQ(first[u"pictureBytes"_s], 0);
    EXPECT_EQ(first[u"episodes"_s].toArray(), QJsonArray());
    EXPECT_EQ(movies[2][u"title"_s], u"Zulu <uncut> & more"_s);
    EXPECT_EQ(movies[2][u"viewed"_s], true);

    const QJsonArray episodes = movies[1][u"episodes"_s].toArray();
    ASSERT_EQ(episodes.size(), 2);
    for (int e = 0; e < 2; ++e) {
        const QJsonObject episode = episodes[e].toObject();
        EXPECT_EQ(episode[u"epnum"_s], e + 1);
        EXPECT_EQ(episode[u"title"_s], u"Episode %1"_s.arg(e + 1));
        EXPECT_EQ(episode[u"custom"_s].toArray(),
                  QJsonArray({u""_s, u"Shop %1"_s.arg(e + 1), u""_s}));
        EXPECT_EQ(episode[u"pictureBytes"_s], 0);
        EXPECT_FALSE(episode.contains(u"episodes"_s));
    }

    const QJsonArray people = root[u"people"_s].toArray();
    ASSERT_EQ(people.size(), 3);
    EXPECT_EQ(people[0][u"name"_s], u"Anna Karina"_s);
    EXPECT_EQ(people[1][u"name"_s], u"bob Bee"_s);
    EXPECT_EQ(people[2][u"name"_s], u"zoe Zed"_s);
    const QJsonObject anna = people[0].toObject();
    EXPECT_EQ(anna[u"birthday"_s], 14702.5);
    EXPECT_EQ(anna[u"bio"_s], u"Born in Denmark.\r\nActress & singer."_s);
    EXPECT_EQ(anna[u"category"_s], u"Actor"_s);
    EXPECT_EQ(anna[u"pictureBytes"_s], 0);
    EXPECT_TRUE(anna[u"coverformat"_s].isDouble());
    EXPECT_FALSE(anna.contains(u"episodes"_s));
}

// --- Files the program cannot or should not read ------------------------------------------

TEST_F(CliTest, PasswordProtectedCatalogIsRefusedWithoutWriting)
{
    const QString protectedFile = Path(u"locked.rkd"_s);
    const QByteArray bytes = "<xml>\r\n<reelkeep><encrypted>abc</encrypted>\r\n"
                             "<version>def</version>\r\n<movies>ghi</movies>\r\n</reelkeep>\r\n";
    WriteBytes(protectedFile, bytes);
    const QList<QStringList> commands{{u"info"_s, protectedFile},
                                      {u"dump"_s, protectedFile},
                                      {u"dump"_s, protectedFile, u"--password"_s, u"secret"_s},
                                      {u"resave"_s, protectedFile, Path(u"out.rkd"_s)}};
    for (const QStringList &args : commands) {
        const TRun run = RunCli(args);
        EXPECT_EQ(run.status, QProcess::NormalExit) << qPrintable(args.join(u' '));
        EXPECT_EQ(run.exitCode, 2) << qPrintable(args.join(u' '));
        EXPECT_TRUE(run.out.isEmpty()) << qPrintable(args.join(u' '));
        EXPECT_TRUE(run.err.contains("password")) << run.err.constData();
    }
    EXPECT_EQ(ReadBytes(protectedFile), bytes);
    EXPECT_FALSE(QFile::exists(Path(u"out.rkd"_s)));
    EXPECT_FALSE(QFile::exists(protectedFile + u".bak"_s));
}

TEST_F(CliTest, ProtectingWithResaveNeedsTheRightPasswordAfterwards)
{
    BuildCatalog(Path(u"plain.rkd"_s));
    const QString locked = Path(u"locked.rkd"_s);
    ASSERT_EQ(
        RunCli({u"resave"_s, Path(u"plain.rkd"_s), locked, u"--set-password"_s, u"pässwort"_s})
            .exitCode,
        0);
    EXPECT_FALSE(ReadBytes(locked).contains("Series"));

    const TRun wrong = RunCli({u"info"_s, locked, u"--password"_s, u"passwort"_s});
    EXPECT_EQ(wrong.exitCode, 2);
    EXPECT_TRUE(wrong.err.contains("Wrong password")) << wrong.err.constData();
    EXPECT_EQ(RunCli({u"info"_s, locked}).exitCode, 2);

    const TRun right = RunCli({u"info"_s, locked, u"--password"_s, u"pässwort"_s});
    ASSERT_EQ(right.exitCode, 0) << right.err.constData();
    EXPECT_TRUE(right.out.contains("movies: 3\n"));
    EXPECT_TRUE(right.out.endsWith("encrypted: yes (strong)\n"));

    // An empty new password removes the protection again.
    ASSERT_EQ(RunCli({u"resave"_s,
                      locked,
                      Path(u"open.rkd"_s),
                      u"--password"_s,
                      u"pässwort"_s,
                      u"--set-password="_s})
                  .exitCode,
              0);
    EXPECT_TRUE(RunCli({u"info"_s, Path(u"open.rkd"_s)}).out.endsWith("encrypted: no\n"));
    EXPECT_EQ(RunCli({u"info"_s, locked, u"--set-password"_s, u"x"_s}).exitCode, 1);
}

TEST_F(CliTest, PasswordSourcesAndProtectionKinds)
{
    BuildCatalog(Path(u"plain.rkd"_s));
    const QString strong = Path(u"strong.rkd"_s);
    const QString passwordFile = Path(u"pw.txt"_s);
    WriteBytes(passwordFile, "p\xc3\xa4sswort \xe5\xaf\x86\r\nnot this line\n");
    ASSERT_EQ(
        RunCli({u"resave"_s, Path(u"plain.rkd"_s), strong, u"--set-password-file"_s, passwordFile})
            .exitCode,
        0);
    EXPECT_TRUE(ReadBytes(strong).startsWith("\x89RKC"));

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"REELKEEP_PASSWORD"_s, u"pässwort 密"_s);
    const TRun fromFile = RunCli({u"info"_s, strong, u"--password-file"_s, passwordFile});
    const TRun fromEnv = RunCli({u"info"_s, strong}, env);
    for (const TRun &run : {fromFile, fromEnv}) {
        EXPECT_EQ(run.exitCode, 0) << run.err.constData();
        EXPECT_TRUE(run.out.endsWith("encrypted: yes (strong)\n")) << run.out.constData();
    }
    // An option wins over the variable.
    EXPECT_EQ(RunCli({u"info"_s, strong, u"--password"_s, u"wrong"_s}, env).exitCode, 2);

    // Simple protection writes the old scheme and refuses what it cannot hold.
    const QString simple = Path(u"simple.rkd"_s);
    const QStringList toSimple{u"resave"_s,
                               strong,
                               simple,
                               u"--password-file"_s,
                               passwordFile,
                               u"--protection"_s,
                               u"simple"_s,
                               u"--set-password"_s};
    const TRun refused = RunCli(toSimple + QStringList{u"密码"_s});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains("Windows-1252")) << refused.err.constData();
    EXPECT_FALSE(QFile::exists(simple));
    ASSERT_EQ(RunCli(toSimple + QStringList{u"abc"_s}).exitCode, 0);
    EXPECT_TRUE(ReadBytes(simple).startsWith("<xml>\r\n<reelkeep><encrypted>"));
    EXPECT_TRUE(RunCli({u"info"_s, simple, u"--password"_s, u"abc"_s})
                    .out.endsWith("encrypted: yes (simple)\n"));

    for (const QStringList &bad :
         {QStringList{u"info"_s, strong, u"--password-file"_s, Path(u"none"_s)},
          QStringList{u"info"_s, strong, u"--protection"_s, u"simple"_s},
          toSimple.first(7) + QStringList{u"--protection=weak"_s, u"--set-password=x"_s}}) {
        EXPECT_EQ(RunCli(bad).exitCode, 1) << qPrintable(bad.join(u' '));
    }
}

TEST_F(CliTest, DumpReportsThePictureSizes)
{
    {
        TVideoDatabase db(Path(u"pictures.rkd"_s));
        TImage image(30, 40);
        auto *inside = static_cast<TMovie *>(db.AddRecord(0));
        inside->SetPicture(&image, TImageFormat::Jpeg, {}, CoverJpeg);
        auto *outside = static_cast<TMovie *>(db.AddRecord(0));
        outside->SetTitle(u"Outside"_s);
        outside->SetPicture(&image, TImageFormat::Bmp, {}, CoverFile);
        ASSERT_TRUE(db.Save(true).Ok());
    }
    const QJsonArray movies =
        ParseDump(RunCli({u"dump"_s, Path(u"pictures.rkd"_s)})).value(u"movies"_s).toArray();
    ASSERT_EQ(movies.size(), 2);
    // Both are unnumbered: the one added last comes first.
    EXPECT_EQ(movies[0].toObject().value(u"title"_s).toString(), u"Outside"_s);
    // A 30 x 40 24-bit bitmap: 54 header bytes and 40 rows of 92 bytes.
    EXPECT_EQ(movies[0].toObject().value(u"pictureBytes"_s).toInt(), 54 + 40 * 92);
    EXPECT_GT(movies[1].toObject().value(u"pictureBytes"_s).toInt(), 100);
}

TEST_F(CliTest, BytesThatAreNotUtf8AreReadAsWindows1252)
{
    WriteBytes(Path(u"latin.rkd"_s),
               "<xml>\r\n<reelkeep><version>0.9.6</version>\r\n"
               "<movie><coverformat>0</coverformat>\r\n<title>Caf\xe9 \x80 5</title>\r\n"
               "<num>1</num>\r\n</movie>\r\n</reelkeep>\r\n");
    const TRun run = RunCli({u"dump"_s, Path(u"latin.rkd"_s)});
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    const QJsonArray movies = ParseDump(run)[u"movies"_s].toArray();
    ASSERT_EQ(movies.size(), 1);
    EXPECT_EQ(movies[0][u"title"_s], u"Caf\u00e9 \u20ac 5"_s);
}

struct TBrokenFile
{
    const char *name;
    QByteArray bytes;
    int exitCode; // 2 no catalog at all, 5 damaged (what was read is still shown)
};

class CliBrokenFileTest : public CliTest, public ::testing::WithParamInterface<TBrokenFile>
{};

// Whatever the file holds, the program ends normally with a reason naming the file: no
// catalog at all, or a damaged one whose readable part is still dumped.
TEST_P(CliBrokenFileTest, EndsCleanlyAndSaysWhy)
{
    const QString fileName = Path(u"broken.rkd"_s);
    WriteBytes(fileName, GetParam().bytes);
    for (const QString &command : {u"info"_s, u"dump"_s}) {
        const TRun run = RunCli({command, fileName});
        ASSERT_EQ(run.status, QProcess::NormalExit) << qPrintable(command);
        EXPECT_EQ(run.exitCode, GetParam().exitCode) << qPrintable(command) << run.err.constData();
        EXPECT_TRUE(run.err.contains(fileName.toUtf8())) << run.err.constData();
        if (run.exitCode == 5 && command == u"dump")
            ParseDump(run);
    }
    EXPECT_EQ(ReadBytes(fileName), GetParam().bytes) << "reading changed the file";
}

const QByteArray CatalogHead = "<xml>\r\n<reelkeep><version>0.9.6</version>\r\n";

INSTANTIATE_TEST_SUITE_P(
    Files,
    CliBrokenFileTest,
    ::testing::Values(
        TBrokenFile{"Empty", {}, 2},
        TBrokenFile{"ByteOrderMarkOnly", "\xef\xbb\xbf", 2},
        TBrokenFile{"Binary", QByteArray("\x00\xff\x01<\x00>\xfe", 7).repeated(1000), 2},
        TBrokenFile{"CutInsideRecord",
                    CatalogHead + "<movie><coverformat>0</coverformat>\r\n<title>Half",
                    5},
        TBrokenFile{"CutInsideUtf8Sequence", CatalogHead + "<movie><title>Caf\xc3", 5},
        TBrokenFile{"LengthPrefixBeyondEnd",
                    CatalogHead + "<movie><description><s>99999999</s>short</description>",
                    5},
        TBrokenFile{"NegativeLengthPrefix",
                    CatalogHead
                        + "<movie><comment><s>-5</s>x</comment>\r\n</movie>\r\n</reelkeep>\r\n",
                    5},
        TBrokenFile{"HugeCounts",
                    CatalogHead
                        + "<movies>99999999999999</movies>\r\n<people>-3</people>\r\n"
                          "</reelkeep>\r\n",
                    5},
        TBrokenFile{
            "UnclosedNesting", CatalogHead + QByteArray("<movie><episode>").repeated(5000), 5}),
    [](const auto &info) { return std::string(info.param.name); });

// --- resave ---------------------------------------------------------------------------

// Every file and folder below `root` with its size and time, to see that nothing changed.
QStringList Snapshot(const QString &root)
{
    QStringList lines;
    QDirIterator it(root,
                    QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        lines.append(u"%1 %2 %3"_s.arg(info.filePath())
                         .arg(info.size())
                         .arg(info.lastModified().toMSecsSinceEpoch()));
    }
    lines.sort();
    return lines;
}

TEST_F(CliTest, ReadingAHostileOldCatalogTouchesNoFile)
{
    // A 0.9.4 catalog naming a file outside its folder and a folder to copy it into, and a
    // 0.9.5 one whose upgrade would write the new form of its paths.
    QDir().mkpath(Path(u"outside/into"_s));
    WriteBytes(Path(u"outside/secret.jpg"_s), "secret");
    const QByteArray into = QFile::encodeName(Path(u"outside/into/"_s));
    WriteBytes(Path(u"old4.rkd"_s),
               "<xml>\r\n<reelkeep><version>0.9.4</version>\r\n<cf>" + into
                   + "|x/</cf>\r\n"
                     "<sf>"
                   + into + "|x/</sf>\r\n<movie><title>A</title>\r\n<froncover>"
                   + QFile::encodeName(Path(u"outside/secret.jpg"_s))
                   + "</froncover>\r\n<screenshots>../outside/secret.jpg</screenshots>\r\n"
                     "</movie>\r\n</reelkeep>\r\n");
    WriteBytes(Path(u"old5.rkd"_s),
               "<xml>\r\n<reelkeep><version>0.9.5</version>\r\n<movie><title>B</title>\r\n"
               "<screenshots>movies/Screenshots/1.bmp</screenshots>\r\n</movie>\r\n"
               "</reelkeep>\r\n");
    const QStringList before = Snapshot(dir.path());
    for (const char *command : {"info", "dump", "stats"}) {
        for (const char *file : {"old4.rkd", "old5.rkd"}) {
            const TRun run =
                RunCli({QString::fromLatin1(command), Path(QString::fromLatin1(file))});
            EXPECT_EQ(run.exitCode, 0) << command << ' ' << file << run.err.toStdString();
        }
    }
    EXPECT_EQ(Snapshot(dir.path()), before);
}

// The hostile reproducers end with a warning naming the damage, and are left as they were.
TEST_F(CliTest, HostileFilesAreReadWithinBoundsAndLeftAlone)
{
    const QDir hostile(QStringLiteral(RK_HOSTILE_DATA));
    const QStringList files = hostile.entryList(QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QString &file : files)
        ASSERT_TRUE(QFile::copy(hostile.filePath(file), Path(file)));
    const QStringList before = Snapshot(dir.path());
    for (const QString &file : files) {
        for (const char *command : {"info", "dump"}) {
            const TRun run = RunCli({QString::fromLatin1(command), Path(file)});
            EXPECT_EQ(run.status, QProcess::NormalExit) << file.toStdString();
            EXPECT_TRUE(run.exitCode == 0 || (run.exitCode == 5 && !run.err.isEmpty()))
                << file.toStdString() << ' ' << run.exitCode << run.err.toStdString();
        }
    }
    EXPECT_EQ(Snapshot(dir.path()), before);
}

TEST_F(CliTest, ResaveRoundTripKeepsEveryRecordAndIsStable)
{
    const QString a = Path(u"a.rkd"_s);
    BuildCatalog(a);
    // Existing picture folders are kept where they are by a save under another name.
    for (const QString &folder :
         {u"Posters"_s, u"Photos"_s, u"Covers"_s, u"Screenshots"_s, u"Thumbnails"_s})
        ASSERT_TRUE(QDir().mkpath(Path(u"a/"_s + folder)));
    ASSERT_TRUE(QDir().mkpath(Path(u"sub"_s)));
    const QString b = Path(u"sub/b.rkd"_s);
    const QString c = Path(u"sub/c.rkd"_s);
    const QByteArray original = ReadBytes(a);

    const TRun toB = RunCli({u"resave"_s, a, b});
    ASSERT_EQ(toB.exitCode, 0) << toB.err.constData();
    const TRun toC = RunCli({u"resave"_s, b, c});
    ASSERT_EQ(toC.exitCode, 0) << toC.err.constData();

    EXPECT_EQ(ReadBytes(a), original) << "the source was written";
    EXPECT_EQ(ReadBytes(b), ReadBytes(c));
    const QByteArray bBytes = ReadBytes(b);
    EXPECT_TRUE(
        bBytes.contains("<pf>" + QFile::encodeName(Path(u"a/Posters/"_s)) + "|../a/Posters/</pf>"))
        << bBytes.left(600).constData();

    const TRun dumpA = RunCli({u"dump"_s, a});
    const TRun dumpB = RunCli({u"dump"_s, b});
    ASSERT_EQ(dumpA.exitCode, 0);
    ASSERT_EQ(dumpB.exitCode, 0);
    EXPECT_EQ(ParseDump(dumpA), ParseDump(dumpB));
}

TEST_F(CliTest, ResaveThatCannotWriteFailsAndLeavesNoFile)
{
    const QString a = Path(u"a.rkd"_s);
    BuildCatalog(a);
    const QByteArray original = ReadBytes(a);
    WriteBytes(Path(u"plain.txt"_s), "not a folder");

    const QString underFile = Path(u"plain.txt/out.rkd"_s);
    TRun run = RunCli({u"resave"_s, a, underFile});
    EXPECT_EQ(run.status, QProcess::NormalExit);
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_FALSE(run.err.isEmpty());
    EXPECT_EQ(ReadBytes(Path(u"plain.txt"_s)), "not a folder");

    // A write-protected target is left alone (even for root, who could write it).
    const QString locked = Path(u"locked.rkd"_s);
    WriteBytes(locked, "old");
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    run = RunCli({u"resave"_s, a, locked});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_TRUE(run.err.contains("write-protected")) << run.err.constData();
    EXPECT_EQ(ReadBytes(locked), "old");

    EXPECT_EQ(ReadBytes(a), original) << "the source was written";
    const QStringList left = QDir(dir.path()).entryList(QDir::Files);
    EXPECT_EQ(left, QStringList({u"a.rkd"_s, u"locked.rkd"_s, u"plain.txt"_s}))
        << qPrintable(left.join(u", "_s));
}

TEST_F(CliTest, ImportCreatesTheCatalogAndAnswersDuplicates)
{
    TAmcMovie first;
    first.number = 2;
    first.originalTitle = "Alpha";
    first.category = "Drama";
    TAmcMovie second;
    second.number = 1;
    second.originalTitle = "Beta";
    const std::string amc = WriteAmcFile(35, {first, second});
    WriteBytes(Path(u"in.amc"_s), QByteArray(amc.data(), qsizetype(amc.size())));
    const QString catalog = Path(u"new/catalog.rkd"_s);
    const QString plugin = QStringLiteral(RK_CATIMPORT_PATH);

    const TRun run = RunCli({u"import"_s, plugin, Path(u"in.amc"_s), catalog});
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_EQ(run.out, "movies: 2\npeople: 0\n");
    // What the plug-in moved into the comments is said.
    TAmcMovie tagged = second;
    tagged.colorTag = 3;
    const std::string amc42 = WriteAmcFile(42, {tagged});
    WriteBytes(Path(u"in42.amc"_s), QByteArray(amc42.data(), qsizetype(amc42.size())));
    EXPECT_EQ(RunCli({u"import"_s, plugin, Path(u"in42.amc"_s), Path(u"other.rkd"_s)}).out,
              "movies: 1\npeople: 0\nnotes: The colour tag of 1 movie was added to the "
              "comments as \"Colour: number\".\n");
    // Importing again: skip keeps two movies, add makes four.
    EXPECT_EQ(
        RunCli({u"import"_s, plugin, Path(u"in.amc"_s), catalog, u"--duplicates"_s, u"skip"_s}).out,
        "movies: 2\npeople: 0\n");
    EXPECT_EQ(RunCli({u"import"_s, plugin, Path(u"in.amc"_s), catalog}).out,
              "movies: 4\npeople: 0\n");
    EXPECT_EQ(
        RunCli({u"import"_s, plugin, Path(u"in.amc"_s), catalog, u"--duplicates=maybe"_s}).exitCode,
        1);
    EXPECT_EQ(RunCli({u"import"_s, Path(u"none.so"_s), Path(u"in.amc"_s), catalog}).exitCode, 4);
}

// Movies "PREFIX 1" ... "PREFIX count" as an Ant Movie Catalog file.
void WriteAmcTitles(const QString &fileName, const char *prefix, int count)
{
    std::vector<TAmcMovie> movies;
    for (int i = 1; i <= count; ++i) {
        TAmcMovie movie;
        movie.number = i;
        movie.originalTitle = std::string(prefix) + ' ' + std::to_string(i);
        movies.push_back(movie);
    }
    const std::string amc = WriteAmcFile(35, movies);
    WriteBytes(fileName, QByteArray(amc.data(), qsizetype(amc.size())));
}

// An input the importer cannot read is named with the reason, and no catalog is written.
struct TUnreadInput
{
    const char *name;
    const char *file; // in the test folder; nullptr: missing
    QByteArray bytes;
    const char *said; // beside the file name
};

class CliUnreadInputTest : public CliTest, public ::testing::WithParamInterface<TUnreadInput>
{};

TEST_P(CliUnreadInputTest, ImportSaysWhyAndWritesNothing)
{
    const TUnreadInput &input = GetParam();
    const QString fileName = Path(QString::fromLatin1(input.file ? input.file : "none.amc"));
    if (input.file)
        WriteBytes(fileName, input.bytes);
    const QString catalog = Path(u"movies.rkd"_s);
    const TRun run = RunCli({u"import"_s, QStringLiteral(RK_CATIMPORT_PATH), fileName, catalog});
    EXPECT_EQ(run.exitCode, 4) << run.err.constData();
    EXPECT_TRUE(run.err.contains(fileName.toUtf8())) << run.err.constData();
    EXPECT_TRUE(run.err.contains(input.said)) << run.err.constData();
    EXPECT_FALSE(QFile::exists(catalog));
}

// Signatures as Ant Movie Catalog writes them, of versions this importer does not read.
QByteArray AmcSignature(const char *version)
{
    return (" AMC_" + QByteArray(version) + " Ant Movie Catalog " + version + ".x")
               .leftJustified(65, ' ')
           + QByteArray(64, '\0');
}

INSTANTIATE_TEST_SUITE_P(
    Inputs,
    CliUnreadInputTest,
    ::testing::Values(
        TUnreadInput{"Missing", nullptr, {}, "does not exist"},
        TUnreadInput{"Empty", "empty.amc", {}, "is empty"},
        TUnreadInput{"Text", "notes.amc", "Films to buy\r\n", "not an Ant Movie Catalog file"},
        TUnreadInput{"Version43", "new.amc", AmcSignature("4.3"), "version 4.3, which"},
        TUnreadInput{"Version20", "old.amc", AmcSignature("2.0"), "version 2.0, which"},
        TUnreadInput{
            "Version49", "later.amc", AmcSignature("4.9"), "3.1, 3.3, 3.5, 4.0, 4.1 and 4.2"}),
    [](const auto &info) { return std::string(info.param.name); });

// Writing commands never write over a file that holds no catalog or only part of one;
// resave keeps what a damaged catalog held under another name.
struct TFixtureRun
{
    const char *file;
    int exitCode;
};

class CliFixtureTest : public CliTest, public ::testing::WithParamInterface<TFixtureRun>
{};

TEST_P(CliFixtureTest, WritingCommandsLeaveTheFileAlone)
{
    const QString fileName = Path(u"movies.rkd"_s);
    ASSERT_TRUE(QFile::copy(
        QStringLiteral(RK_CATALOG_DATA "/") + QLatin1StringView(GetParam().file), fileName));
    const QByteArray before = ReadBytes(fileName);
    WriteAmcTitles(Path(u"in.amc"_s), "Imported", 1);

    const TRun import =
        RunCli({u"import"_s, QStringLiteral(RK_CATIMPORT_PATH), Path(u"in.amc"_s), fileName});
    EXPECT_EQ(import.exitCode, GetParam().exitCode) << import.err.constData();
    EXPECT_TRUE(import.err.contains(fileName.toUtf8())) << import.err.constData();
    const TRun same = RunCli({u"resave"_s, fileName, fileName});
    EXPECT_EQ(same.exitCode, GetParam().exitCode) << same.err.constData();
    EXPECT_EQ(ReadBytes(fileName), before);
    EXPECT_FALSE(QFile::exists(fileName + u".bak"_s));

    const TRun elsewhere = RunCli({u"resave"_s, fileName, Path(u"rescued.rkd"_s)});
    EXPECT_EQ(elsewhere.exitCode, GetParam().exitCode) << elsewhere.err.constData();
    EXPECT_EQ(QFile::exists(Path(u"rescued.rkd"_s)), GetParam().exitCode == 5);
}

INSTANTIATE_TEST_SUITE_P(Fixtures,
                         CliFixtureTest,
                         ::testing::Values(TFixtureRun{"notes.txt", 2},
                                           TFixtureRun{"picture.png", 2},
                                           TFixtureRun{"cut_short.rkd", 5},
                                           TFixtureRun{"counts_disagree.rkd", 5}),
                         [](const auto &info) {
                             std::string name = info.param.file;
                             return name.substr(0, name.find('.'));
                         });

TEST_F(CliTest, TwoImportsIntoOneCatalogLoseNothing)
{
    WriteAmcTitles(Path(u"a.amc"_s), "Alpha", 40);
    WriteAmcTitles(Path(u"b.amc"_s), "Beta", 40);
    const QString catalog = Path(u"shared.rkd"_s);
    const QString plugin = QStringLiteral(RK_CATIMPORT_PATH);
    // Each round starts both writers at once; without a lock one save overwrote the other.
    for (int round = 1; round <= 4; ++round) {
        QProcess writers[2];
        const QString inputs[2] = {Path(u"a.amc"_s), Path(u"b.amc"_s)};
        for (int i = 0; i < 2; ++i) {
            writers[i].start(QString::fromUtf8(RK_CLI_PATH),
                             {u"import"_s, plugin, inputs[i], catalog, u"--wait"_s, u"60"_s});
        }
        for (QProcess &writer : writers) {
            ASSERT_TRUE(writer.waitForFinished(60'000));
            EXPECT_EQ(writer.exitCode(), 0) << writer.readAllStandardError().constData();
        }
        const TRun info = RunCli({u"info"_s, catalog});
        EXPECT_TRUE(info.out.contains("movies: " + QByteArray::number(80 * round)))
            << "round " << round << ": " << info.out.constData();
    }
    EXPECT_FALSE(QFile::exists(catalog + u".lock"_s));
}

TEST_F(CliTest, WritersWaitForTheHolderThenGiveUpNamingIt)
{
    WriteAmcTitles(Path(u"in.amc"_s), "Alpha", 2);
    BuildCatalog(Path(u"catalog.rkd"_s));
    const QByteArray before = ReadBytes(Path(u"catalog.rkd"_s));
    const QString plugin = QStringLiteral(RK_CATIMPORT_PATH);
    const QString pid = QString::number(QCoreApplication::applicationPid());
    TCatalogLock holder(Path(u"catalog.rkd"_s));
    ASSERT_EQ(holder.Lock(std::chrono::milliseconds(0)), TCatalogLock::TState::Held);

    const QStringList writers[] = {
        {u"import"_s, plugin, Path(u"in.amc"_s), Path(u"catalog.rkd"_s), u"--wait=0.3"_s},
        {u"resave"_s, Path(u"catalog.rkd"_s), Path(u"catalog.rkd"_s), u"--wait"_s, u"0.3"_s},
    };
    for (const QStringList &args : writers) {
        QElapsedTimer waited;
        waited.start();
        const TRun run = RunCli(args);
        EXPECT_EQ(run.exitCode, 6) << qPrintable(args[0]);
        EXPECT_GE(waited.elapsed(), 300) << qPrintable(args[0]);
        EXPECT_TRUE(run.err.contains(u"(process %1)"_s.arg(pid).toUtf8())) << run.err.constData();
    }
    EXPECT_EQ(ReadBytes(Path(u"catalog.rkd"_s)), before);
    // Readers never wait.
    EXPECT_EQ(RunCli({u"info"_s, Path(u"catalog.rkd"_s)}).exitCode, 0);
    EXPECT_EQ(RunCli({u"info"_s, Path(u"catalog.rkd"_s), u"--wait"_s, u"1"_s}).exitCode, 1);
    EXPECT_EQ(RunCli({u"import"_s,
                      plugin,
                      Path(u"in.amc"_s),
                      Path(u"catalog.rkd"_s),
                      u"--wait"_s,
                      u"soon"_s})
                  .exitCode,
              1);

    holder.Unlock();
    const TRun run = RunCli({u"import"_s, plugin, Path(u"in.amc"_s), Path(u"catalog.rkd"_s)});
    EXPECT_EQ(run.exitCode, 0) << run.err.constData();
}

TEST_F(CliTest, ExportWritesThroughThePlugin)
{
    BuildCatalog(Path(u"catalog.rkd"_s));
    const QString plugin = QStringLiteral(RK_TEST_PLUGINS_DIR "/testexport.so");
    ASSERT_EQ(RunCli({u"export"_s, plugin, Path(u"catalog.rkd"_s), Path(u"movies.txt"_s)}).exitCode,
              0);
    const QList<QByteArray> lines = ReadBytes(Path(u"movies.txt"_s)).split('\n');
    EXPECT_TRUE(lines.value(0).startsWith("begin|3|0|1|1")) << lines.value(0).constData();
    EXPECT_EQ(lines.count(QByteArray()), 1);
    ASSERT_EQ(
        RunCli({u"export"_s, plugin, Path(u"catalog.rkd"_s), Path(u"people.txt"_s), u"--people"_s})
            .exitCode,
        0);
    EXPECT_TRUE(ReadBytes(Path(u"people.txt"_s)).startsWith("begin|3|1|0|1"));
    EXPECT_EQ(RunCli({u"export"_s,
                      QStringLiteral(RK_CATIMPORT_PATH),
                      Path(u"catalog.rkd"_s),
                      Path(u"x.txt"_s)})
                  .exitCode,
              4)
        << "an import plug-in cannot export";
}

// A record the plug-in refuses (a full disk) ends the export with an error, not success.
TEST_F(CliTest, ExportFailsWhenThePluginRefusesARecord)
{
    BuildCatalog(Path(u"catalog.rkd"_s));
    const QString plugin = QStringLiteral(RK_TEST_PLUGINS_DIR "/testexport.so");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"RK_TEST_EXPORT_FAIL_AT"_s, u"2"_s);
    for (const bool people : {false, true}) {
        QStringList args{u"export"_s, plugin, Path(u"catalog.rkd"_s), Path(u"out.txt"_s)};
        if (people)
            args.append(u"--people"_s);
        const TRun run = RunCli(args, env);
        EXPECT_EQ(run.exitCode, 4) << "people " << people;
        EXPECT_TRUE(run.err.contains(Path(u"out.txt"_s).toUtf8())) << run.err.constData();
        // Nothing after the refused record, and EndExport still ran.
        const QList<QByteArray> lines = ReadBytes(Path(u"out.txt"_s)).split('\n');
        EXPECT_EQ(lines.size(), 5) << "people " << people;
        EXPECT_EQ(lines.value(3), "end");
    }
}

// A CSV export that cannot be saved (a full disk, as a file size limit, or a missing folder)
// fails even when the file is only written at its end, and keeps the old file.
TEST_F(CliTest, ExportFailsWhenTheFileCannotBeSaved)
{
    BuildCatalog(Path(u"catalog.rkd"_s));
    const QString plugin = QStringLiteral(RK_CSVEXPORT_PATH);
    WriteBytes(Path(u"out.csv"_s), "old");
    const auto smallFiles = [] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 200;
        setrlimit(RLIMIT_FSIZE, &limit);
    };
    const struct
    {
        QString target;
        std::function<void()> inChild;
    } cases[] = {{Path(u"out.csv"_s), smallFiles}, {Path(u"missing/out.csv"_s), {}}};
    for (const auto &[target, inChild] : cases) {
        const TRun run = RunCli({u"export"_s, plugin, Path(u"catalog.rkd"_s), target},
                                QProcessEnvironment::systemEnvironment(),
                                inChild);
        EXPECT_EQ(run.exitCode, 4) << qPrintable(target);
        EXPECT_TRUE(run.err.contains(target.toUtf8())) << run.err.constData();
        EXPECT_EQ(ReadBytes(Path(u"out.csv"_s)), "old");
        EXPECT_TRUE(QDir(dir.path()).entryList({u"*.partial"_s}).isEmpty());
    }
}

TEST_F(CliTest, PluginsListsWhatItFinds)
{
    QDir().mkpath(Path(u"plugins"_s));
    QFile::copy(QStringLiteral(RK_CATIMPORT_PATH), Path(u"plugins/catimport.so"_s));
    QFile::copy(QStringLiteral(RK_TEST_PLUGINS_DIR "/version/testversion_old.so"),
                Path(u"plugins/old.so"_s));
    const TRun run = RunCli({u"plugins"_s, Path(u"plugins"_s)});
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "catimport.so\tGeneral Import\tAnt Movie Catalog\t0.2.5\t9\n");
    EXPECT_TRUE(run.err.contains("old.so: refused")) << run.err.constData();
    EXPECT_EQ(RunCli({u"plugins"_s, u"a"_s, u"b"_s}).exitCode, 1);
}

} // namespace
