#include <gtest/gtest.h>
#include <png.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "catalog/actor.h"
#include "catalog/daycount.h"
#include "catalog/episode.h"
#include "catalog/image.h"
#include "catalog/movie.h"
#include "catalog/videodatabase.h"
#include "host/importexport.h"
#include "tests/support/amcwriter.h"

using namespace Qt::StringLiterals;

namespace {

const QString TestImport = QStringLiteral(RK_TEST_PLUGINS_DIR "/testimport.so");
const QString TestExport = QStringLiteral(RK_TEST_PLUGINS_DIR "/testexport.so");

// Answers every question from a script and counts them.
class TScriptedUi : public IImportExportUi
{
public:
    std::optional<QString> AskOpenFile(const QString &filter) override
    {
        filters.append(filter);
        return file;
    }
    std::optional<QString> AskSaveFile(const QString &filter) override
    {
        filters.append(filter);
        return file;
    }
    TDuplicateAnswer AskDuplicate(TRecordKind, const QString &text1, const QString &) override
    {
        asked.append(text1);
        waits.append(u"ask"_s);
        return answers.isEmpty() ? TDuplicateAnswer{} : answers.takeFirst();
    }
    void ShowWait(bool) override { waits.append(u"show"_s); }
    void HideWait() override { waits.append(u"hide"_s); }

    std::optional<QString> file;
    QList<TDuplicateAnswer> answers;
    QStringList asked;
    QStringList filters;
    // The wait window's course: "show", "hide" and "ask" (the duplicate question).
    QStringList waits;
};

class ImportExportTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        db = std::make_unique<TVideoDatabase>(dir.filePath(u"movies.rkd"_s));
        ASSERT_TRUE(db->Open().ok);
    }
    void TearDown() override
    {
        db->SetModified(false);
        for (const char *name : {"RK_TEST_EXPORT_SORT",
                                 "RK_TEST_EXPORT_ASCENDING",
                                 "RK_TEST_EXPORT_PEOPLE",
                                 "RK_TEST_EXPORT_POSTERS"})
            qunsetenv(name);
    }
    // Imports lines of "M"/"H" records: each a list of (slot, value).
    void Import(const QList<QPair<char, QList<QPair<int, QString>>>> &records,
                const TImportOptions &options = {})
    {
        QByteArray text;
        for (const auto &[kind, cells] : records) {
            text += kind;
            for (const auto &[slot, value] : cells) {
                text += '\t' + QByteArray::number(slot) + '='
                        + QString(value).replace(u"\n"_s, u"\\n"_s).toUtf8();
            }
            text += '\n';
        }
        const QString input = dir.filePath(u"input.txt"_s);
        QFile file(input);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
        file.close();
        ui.file = input;
        ASSERT_TRUE(RunImport(*db, TestImport, ui, options, &summary).Ok());
    }
    QList<QByteArrayList> Export(const QList<TDBItem *> &records, bool people)
    {
        ui.file = dir.filePath(u"export.txt"_s);
        EXPECT_TRUE(RunExport(TestExport, records, people, ui).Ok());
        QFile file(*ui.file);
        QList<QByteArrayList> lines;
        if (file.open(QIODevice::ReadOnly)) {
            for (const QByteArray &line : file.readAll().split('\n')) {
                if (!line.isEmpty())
                    lines.append(line.split('|'));
            }
        }
        return lines;
    }
    TMovie *Movie(int num, const QString &title)
    {
        auto *movie = static_cast<TMovie *>(db->AddRecord(0));
        movie->SetNum(num);
        movie->SetTitle(title);
        return movie;
    }

    QTemporaryDir dir;
    std::unique_ptr<TVideoDatabase> db;
    TScriptedUi ui;
    TImportSummary summary;
};

TEST_F(ImportExportTest, MovieSlotsLandInTheirFields)
{
    Import({{'M',
             {{0, u"12"_s},
              {1, u"Title"_s},
              {2, u"Original"_s},
              {3, u"Aka"_s},
              {4, u"1999"_s},
              {5, u"Drama"_s},
              {6, u"Dir One, Dir Two"_s},
              {9, u"not read"_s},
              {15, u"7.5"_s},
              {17, u"8,5"_s},
              {18, u"not read"_s},
              {19, u"2020-02-03"_s},
              {20, u"Ann"_s},
              {22, u"Line 1\nLine 2"_s},
              {28, u"1:35"_s},
              {33, u"1500 kbps"_s},
              {37, u"1.5 GB"_s},
              {39, u"2"_s},
              {42, u"23.976"_s},
              {44, u"False"_s},
              {45, u"-1"_s},
              {46, u"2021-01-01"_s},
              {47, u"garbage"_s}}}});
    ASSERT_EQ(db->MovieCount(), 1);
    const TMovie *movie = db->Movie(0);
    EXPECT_EQ(movie->Num(), 12);
    EXPECT_EQ(movie->Title(), u"Title"_s);
    EXPECT_EQ(movie->Origtitle(), u"Original"_s);
    EXPECT_EQ(movie->Aka(), u"Aka"_s);
    EXPECT_EQ(movie->Year(), 1999);
    EXPECT_EQ(movie->Director(), u"Dir One, Dir Two"_s);
    EXPECT_TRUE(movie->Music().isEmpty());
    EXPECT_TRUE(movie->Tags().isEmpty());
    EXPECT_EQ(movie->Imdbrating(), 7.5);
    EXPECT_EQ(movie->Rating(), 8.5);
    EXPECT_EQ(movie->Dateadded(), DateToDays(QDate(2020, 2, 3)));
    EXPECT_EQ(movie->Loan(), u"Ann"_s);
    EXPECT_GT(movie->Loandate(), 0) << "a garbage loan date becomes today";
    EXPECT_EQ(movie->Description(), u"Line 1\nLine 2"_s);
    EXPECT_NEAR(movie->Length(), 95.0 / 1440, 1e-9);
    EXPECT_EQ(movie->Videobitrate(), 1500);
    EXPECT_EQ(movie->Size(), 1536);
    EXPECT_EQ(movie->Count(), 2);
    EXPECT_EQ(movie->Framerate(), 23.976);
    EXPECT_FALSE(movie->Viewed());
    EXPECT_TRUE(movie->Wish());
    EXPECT_EQ(movie->Viewdate(), 0) << "a view date is kept only for a seen movie";
}

TEST_F(ImportExportTest, EmptyRecordsAreIgnoredAndLengthsReadEveryWay)
{
    Import({{'M', {}},
            {'M', {{1, u"Minutes"_s}, {28, u"90"_s}}},
            {'M', {{1, u"Fraction"_s}, {28, u"0.25"_s}}},
            {'M', {{1, u"Nonsense"_s}, {28, u"long"_s}, {4, u"x"_s}, {0, u"n/a"_s}}}});
    ASSERT_EQ(db->MovieCount(), 3);
    EXPECT_EQ(db->Movie(0)->Num(), -1);
    for (int i = 0; i < 3; ++i) {
        const TMovie *movie = db->Movie(i);
        if (movie->Title() == u"Minutes") {
            EXPECT_NEAR(movie->Length(), 90.0 / 1440, 1e-9);
        } else if (movie->Title() == u"Fraction") {
            EXPECT_EQ(movie->Length(), 0.25);
        } else {
            EXPECT_EQ(movie->Length(), 0);
            EXPECT_EQ(movie->Year(), 0);
        }
    }
}

TEST_F(ImportExportTest, DuplicatesFollowTheAnswer)
{
    TMovie *existing = Movie(1, u"Same"_s);
    existing->SetGenre(u"Kept"_s);
    existing->SetViewed(true);
    ui.answers = {{TDuplicateChoice::Merge, false}, {TDuplicateChoice::Overwrite, false}};
    Import({{'M', {{1, u"Same"_s}, {5, u"New genre"_s}, {10, u"Filled"_s}}},
            {'M', {{1, u"same"_s}, {5, u"Overwritten"_s}}}});
    EXPECT_EQ(ui.asked, (QStringList{u"Same"_s, u"same"_s}));
    ASSERT_EQ(db->MovieCount(), 1);
    EXPECT_EQ(existing->Genre(), u"Overwritten"_s);
    EXPECT_TRUE(existing->Actors().isEmpty()) << "overwrite writes empty slots too";
    EXPECT_TRUE(existing->Viewed()) << "an empty seen slot leaves the movie alone";
    EXPECT_EQ(summary.movies.merged, 2) << "merged and overwritten records";
    EXPECT_EQ(summary.movies.added + summary.movies.skipped + summary.people.Total(), 0);
    EXPECT_EQ(summary.firstMovie, existing);
}

TEST_F(ImportExportTest, MergeAndDoNotShowAgainAskOnce)
{
    Movie(1, u"A"_s)->SetGenre(u"Kept"_s);
    Movie(2, u"B"_s);
    ui.answers = {{TDuplicateChoice::Merge, true}};
    Import({{'M', {{0, u"7"_s}, {1, u"A"_s}, {5, u"Lost"_s}, {10, u"Actor"_s}}},
            {'M', {{1, u"B"_s}, {5, u"Filled"_s}}}});
    EXPECT_EQ(ui.asked.size(), 1);
    // The kept answer leaves the wait window up to the end.
    EXPECT_EQ(ui.waits.mid(ui.waits.lastIndexOf(u"ask"_s)),
              QStringList({u"ask"_s, u"show"_s, u"hide"_s}));
    ASSERT_EQ(db->MovieCount(), 2);
    const TMovie *a = db->Movie(db->FindMovie(1));
    EXPECT_EQ(a->Genre(), u"Kept"_s);
    EXPECT_EQ(a->Actors(), u"Actor"_s);
    EXPECT_EQ(a->Num(), 1) << "merge keeps a number that is set";
    EXPECT_EQ(db->Movie(db->FindMovie(2))->Genre(), u"Filled"_s);
}

TEST_F(ImportExportTest, ImportedMoviesTakeTheirPlacesByIdAndFindEachOther)
{
    for (const int num : {2, 4, 6})
        Movie(num, u"Movie %1"_s.arg(num));
    ui.answers = {{TDuplicateChoice::Add, false}, {TDuplicateChoice::Add, false}};
    Import({{'M', {{0, u"5"_s}, {1, u"New"_s}}},
            {'M', {{0, u"1"_s}, {1, u"First"_s}}},
            {'M', {{0, u"4"_s}, {1, u"movie 4"_s}}},
            {'M', {{0, u"7"_s}, {1, u"new"_s}}},
            {'M', {{1, u"No ID"_s}}}});
    EXPECT_EQ(ui.asked, (QStringList{u"movie 4"_s, u"new"_s}))
        << "a duplicate in the catalog and one the import added";
    QStringList order;
    for (int i = 0; i < db->MovieCount(); ++i)
        order.append(u"%1 %2"_s.arg(db->Movie(i)->Num()).arg(db->Movie(i)->Title()));
    EXPECT_EQ(order,
              (QStringList{u"-1 No ID"_s,
                           u"1 First"_s,
                           u"2 Movie 2"_s,
                           u"4 Movie 4"_s,
                           u"4 movie 4"_s,
                           u"5 New"_s,
                           u"6 Movie 6"_s,
                           u"7 new"_s}));
    EXPECT_EQ(db->FindMovie(7), 7);
    EXPECT_FALSE(db->ReorderSuspended());
}

TEST_F(ImportExportTest, CancelAtTheFirstDuplicateKeepsWhatCameBefore)
{
    Movie(1, u"Dup"_s);
    ui.answers = {{TDuplicateChoice::Cancel, false}};
    Import({{'M', {{1, u"Before"_s}}}, {'M', {{1, u"Dup"_s}}}, {'M', {{1, u"After"_s}}}});
    QStringList titles;
    for (int i = 0; i < db->MovieCount(); ++i)
        titles.append(db->Movie(i)->Title());
    titles.sort();
    EXPECT_EQ(titles, (QStringList{u"Before"_s, u"Dup"_s}));
    EXPECT_TRUE(summary.cancelled);
    EXPECT_EQ(summary.movies.added, 1);
    EXPECT_EQ(summary.movies.skipped, 2) << "the duplicate and every record after it";
    ASSERT_NE(summary.firstMovie, nullptr);
    EXPECT_EQ(static_cast<TMovie *>(summary.firstMovie)->Title(), u"Before"_s);
}

TEST_F(ImportExportTest, SkipAndAdd)
{
    Movie(1, u"Dup"_s);
    ui.answers = {{TDuplicateChoice::Skip, false}, {TDuplicateChoice::Add, false}};
    Import({{'M', {{1, u"Dup"_s}, {5, u"skipped"_s}}}, {'M', {{1, u"Dup"_s}, {5, u"added"_s}}}});
    ASSERT_EQ(db->MovieCount(), 2);
    EXPECT_GT(db->Movie(0)->Dateadded() + db->Movie(1)->Dateadded(), 0);
}

TEST_F(ImportExportTest, PeopleAndPictures)
{
    TImage image(20, 30);
    const QString jpeg = QString::fromLatin1(image.ToJpeg().toBase64());
    const QString bmp = QString::fromLatin1(image.ToBmp().toBase64());
    Import({{'H',
             {{0, u"Jean Reno"_s},
              {1, u"Juan Reno"_s},
              {3, u"24000.5"_s},
              {6, u"Actor"_s},
              {8, u"7"_s},
              {11, u"Award"_s},
              {13, u"1"_s},
              {14, bmp}}},
            {'M', {{1, u"With picture"_s}, {49, jpeg}}},
            {'M', {{1, u"Bad format"_s}, {48, u"9"_s}, {49, jpeg}}},
            {'M', {{1, u"Broken picture"_s}, {49, u"AAAA"_s}}}});
    ASSERT_EQ(db->PersonCount(), 1);
    const TActor *person = db->Person(0);
    EXPECT_EQ(person->Transname(), u"Juan Reno"_s);
    EXPECT_EQ(person->Birthday(), 24000.5);
    EXPECT_EQ(person->Category(), u"Actor"_s);
    EXPECT_EQ(person->Awards(), u"Award"_s);
    EXPECT_EQ(person->Coverformat(), CoverBmp);
    EXPECT_EQ(person->Picture().Height(), 30);
    for (int i = 0; i < db->MovieCount(); ++i) {
        const TMovie *movie = db->Movie(i);
        EXPECT_EQ(movie->PictureBytes().isEmpty(), movie->Title() != u"With picture");
    }
}

TEST_F(ImportExportTest, AutoAddPeopleAddsTheNamedPeopleOnce)
{
    db->AddRecord(1, u"Known"_s);
    TImportOptions options;
    options.autoAddPeople = true;
    Import({{'M', {{1, u"Film"_s}, {6, u"Known / New Director"_s}, {10, u"Actor A\nActor B"_s}}}},
           options);
    QStringList names;
    for (int i = 0; i < db->PersonCount(); ++i)
        names.append(db->Person(i)->Name());
    EXPECT_EQ(names, (QStringList{u"Actor A"_s, u"Actor B"_s, u"Known"_s, u"New Director"_s}));
}

TEST_F(ImportExportTest, AutoAddPeopleWithTranslatedNamesAddsEachCreditOnce)
{
    static_cast<TActor *>(db->AddRecord(1, u"Original Name"_s))->SetTransname(u"Known"_s);
    TImportOptions options;
    options.autoAddPeople = true;
    options.transNames = true;
    Import({{'M', {{1, u"One"_s}, {6, u"Known / Same Director"_s}}},
            {'M', {{1, u"Two"_s}, {6, u"Same Director"_s}, {10, u"known"_s}}}},
           options);
    QStringList names;
    for (int i = 0; i < db->PersonCount(); ++i)
        names.append(db->Person(i)->Name());
    EXPECT_EQ(names, (QStringList{u"Original Name"_s, u"Same Director"_s}));
}

TEST_F(ImportExportTest, ExportSortsByTheSlotThePluginChoosesAndFollowsSeries)
{
    TMovie *old = Movie(1, u"Old"_s);
    old->SetYear(1950);
    TMovie *series = Movie(2, u"Series"_s);
    series->SetYear(2010);
    for (int epnum : {3, 1, 2}) {
        TEpisode *episode = series->AddEpisode();
        episode->SetEpnum(epnum);
        episode->SetTitle(u"Episode %1"_s.arg(epnum));
    }
    TMovie *mid = Movie(3, u"Mid"_s);
    mid->SetYear(1990);
    qputenv("RK_TEST_EXPORT_SORT", "4");
    qputenv("RK_TEST_EXPORT_ASCENDING", "0");
    const auto lines = Export({old, series, mid}, false);
    ASSERT_EQ(lines.size(), 8);
    EXPECT_EQ(lines[0], (QByteArrayList{"begin", "3", "0", "1", "1"}));
    QByteArrayList order;
    for (qsizetype i = 1; i + 1 < lines.size(); ++i)
        order.append(lines[i][0] + ':' + lines[i][2]);
    EXPECT_EQ(order,
              (QByteArrayList{"movie:Series",
                              "episode:Episode 1",
                              "episode:Episode 2",
                              "episode:Episode 3",
                              "movie:Mid",
                              "movie:Old"}));
    EXPECT_EQ(lines.last(), QByteArrayList{"end"});
}

TEST_F(ImportExportTest, EpisodesSelectedWithoutTheirSeriesGoOutUnderIt)
{
    TMovie *series = Movie(1, u"Series"_s);
    QList<TEpisode *> episodes;
    for (int epnum : {1, 2, 3}) {
        episodes.append(series->AddEpisode());
        episodes.last()->SetEpnum(epnum);
        episodes.last()->SetTitle(u"Episode %1"_s.arg(epnum));
    }
    TMovie *alone = Movie(2, u"Alone"_s);
    const auto lines = Export({episodes[2], alone, episodes[0], episodes[2]}, false);
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[0][1], "2") << "two movies: the other one and the series";
    QByteArrayList order;
    for (qsizetype i = 1; i + 1 < lines.size(); ++i)
        order.append(lines[i][0] + ':' + lines[i][2]);
    EXPECT_EQ(
        order,
        (QByteArrayList{"movie:Alone", "movie:Series", "episode:Episode 1", "episode:Episode 3"}));
    // With its series selected too, an episode is not exported twice.
    EXPECT_EQ(Export({episodes[1], series}, false).size(), 2 + 4);
}

TEST_F(ImportExportTest, ExportTextForms)
{
    TMovie *movie = Movie(5, QString());
    movie->SetOrigtitle(u"Only original"_s);
    movie->SetRating(7.5);
    movie->SetLength(95.0 / 1440);
    movie->SetViewed(false);
    movie->SetDateadded(DateToDays(QDate(2022, 3, 4)));
    const auto lines = Export({movie}, false);
    ASSERT_EQ(lines.size(), 3);
    const QByteArrayList &cells = lines[1];
    ASSERT_EQ(cells.size(), 1 + 53);
    EXPECT_EQ(cells[1 + 0], "5");
    EXPECT_EQ(cells[1 + 1], "Only original");
    EXPECT_EQ(cells[1 + 17], "7.5");
    EXPECT_EQ(cells[1 + 19], "2022-03-04");
    EXPECT_EQ(cells[1 + 28], "1:35:00");
    EXPECT_EQ(cells[1 + 44], "0");
    EXPECT_EQ(cells[1 + 48], "0") << "no pictures were asked for";
}

TEST_F(ImportExportTest, PeopleModeNeedsThePluginsConsent)
{
    TActor *person = static_cast<TActor *>(db->AddRecord(1, u"P"_s));
    qputenv("RK_TEST_EXPORT_PEOPLE", "0");
    ui.file = dir.filePath(u"refused.txt"_s);
    EXPECT_FALSE(RunExport(TestExport, {person}, true, ui).Ok());
    EXPECT_FALSE(QFile::exists(*ui.file));
    EXPECT_TRUE(ui.filters.isEmpty()) << "nothing may be asked of the user";
    qunsetenv("RK_TEST_EXPORT_PEOPLE");
    const auto lines = Export({person}, true);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[1][1], "P");
    EXPECT_EQ(lines[1][1 + 3], "0") << "an unset birthday is 0";
}

TEST_F(ImportExportTest, CancelledFileDialogsDoNothing)
{
    ui.file.reset();
    EXPECT_TRUE(RunImport(*db, TestImport, ui, {}).Ok());
    EXPECT_EQ(db->MovieCount(), 0);
    EXPECT_TRUE(RunExport(TestExport, {Movie(1, u"x"_s)}, false, ui).Ok());
    EXPECT_EQ(ui.filters.size(), 2);
    EXPECT_FALSE(RunImport(*db, dir.filePath(u"missing.so"_s), ui, {}).Ok());
}

// Ant Movie Catalog files through the real import plug-in.
class AmcImportTest : public ImportExportTest
{
protected:
    void ImportAmc(int version,
                   const std::vector<TAmcMovie> &movies,
                   const TAmcHeaderTexts &header = {},
                   TImportSummary *summary = nullptr)
    {
        const std::string bytes = WriteAmcFile(version, movies, header);
        const QString input = dir.filePath(u"catalog.amc"_s);
        QFile file(input);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes.data(), qint64(bytes.size()));
        file.close();
        ui.file = input;
        ASSERT_TRUE(RunImport(*db, QStringLiteral(RK_CATIMPORT_PATH), ui, {}, summary).Ok());
    }
    static TAmcMovie AmcMovie(int number, std::string original, std::string translated = {})
    {
        TAmcMovie movie;
        movie.number = number;
        movie.originalTitle = std::move(original);
        movie.translatedTitle = std::move(translated);
        return movie;
    }
};

std::string PngBytes(int width, int height)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(width);
    image.height = png_uint_32(height);
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> pixels(size_t(width) * height * 3, 0x80);
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr);
    std::string out(size, '\0');
    png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, nullptr);
    out.resize(size);
    return out;
}

TEST_F(AmcImportTest, EveryVersionMapsOntoTheCatalog)
{
    for (int version : {35, 33, 31}) {
        db->SetModified(false);
        db = std::make_unique<TVideoDatabase>(dir.filePath(u"v%1.rkd"_s.arg(version)));
        ASSERT_TRUE(db->Open().ok);
        TAmcMovie movie = AmcMovie(3, "Original", "Caf\xE9 \x80");
        movie.date = 45000;
        movie.rating = version == 35 ? 75 : 7;
        movie.year = 2001;
        movie.length = 95;
        movie.videoBitrate = 1500;
        movie.disks = 2;
        movie.mediaLabel = "Label";
        movie.mediaType = "DVD";
        movie.source = "/media/a.mkv";
        movie.borrower = "Ann";
        movie.director = "Dir";
        movie.category = "Drama";
        movie.actors = "A, B";
        movie.description = "Desc";
        movie.comments = "Comment";
        movie.videoFormat = "XviD";
        movie.resolution = "640x352";
        movie.framerate = "25";
        movie.languages = "English";
        movie.subtitles = "German";
        movie.size = "700 MB";
        ImportAmc(version, {movie});
        ASSERT_EQ(db->MovieCount(), 1) << version;
        const TMovie *m = db->Movie(0);
        EXPECT_EQ(m->Num(), 3);
        EXPECT_EQ(m->Title(), u"Café €"_s);
        EXPECT_EQ(m->Origtitle(), u"Original"_s);
        EXPECT_EQ(m->Rating(), version == 35 ? 7.5 : 7.0);
        EXPECT_EQ(m->Dateadded(), 45000);
        EXPECT_EQ(m->Year(), 2001);
        EXPECT_NEAR(m->Length(), 95.0 / 1440, 1e-9);
        EXPECT_EQ(m->Videobitrate(), 1500);
        EXPECT_EQ(m->Count(), 2);
        EXPECT_EQ(m->Label(), u"Label"_s);
        EXPECT_EQ(m->Type(), version == 31 ? QString() : u"DVD"_s);
        EXPECT_EQ(m->Path(), version == 31 ? QString() : u"/media/a.mkv"_s);
        EXPECT_EQ(m->Loan(), u"Ann"_s);
        EXPECT_EQ(m->Genre(), u"Drama"_s);
        EXPECT_EQ(m->Actors(), u"A, B"_s);
        EXPECT_EQ(m->Comment(), u"Comment"_s);
        EXPECT_EQ(m->Framerate(), 25);
        EXPECT_EQ(m->Size(), 700);
        EXPECT_EQ(m->Subs(), u"German"_s);
    }
}

TEST_F(AmcImportTest, Version42FieldsLandInTheRecordAndTheSummary)
{
    TAmcHeaderTexts header;
    header.customFields = {{"S", "Shelf", "ftString", {}}};
    TAmcMovie movie = AmcMovie(1, "Brazil");
    movie.rating = 79;
    movie.userRating = 90;
    movie.dateWatched = 45000;
    movie.writer = "Stoppard";
    movie.certification = "R";
    movie.customValues = {"A3"};
    movie.extras = {{true, "t", "Trailer", "", "http://t", "", "", "", "", ""}};
    TImportSummary summary;
    ImportAmc(42, {movie}, header, &summary);
    ASSERT_EQ(db->MovieCount(), 1);
    const TMovie *m = db->Movie(0);
    EXPECT_EQ(m->Rating(), 9.0);
    EXPECT_TRUE(m->Viewed());
    EXPECT_EQ(m->Viewdate(), 45000);
    EXPECT_EQ(m->Scenario(), u"Stoppard"_s);
    EXPECT_EQ(m->Mpaa(), u"R"_s);
    EXPECT_EQ(m->Comment(), u"Shelf: A3\r\nExtra: Trailer - http://t"_s);
    EXPECT_TRUE(summary.notes.startsWith(u"The custom fields (Shelf)"_s))
        << summary.notes.toStdString();
}

TEST_F(AmcImportTest, UnsetValuesOrderAndTitles)
{
    TAmcMovie unset = AmcMovie(5, "Only original");
    unset.rating = -1;
    unset.year = -1;
    unset.date = 0;
    ImportAmc(35, {unset, AmcMovie(1, "One"), AmcMovie(2, "Two", "Zwei")});
    ASSERT_EQ(db->MovieCount(), 3);
    EXPECT_EQ(db->Movie(0)->Num(), 1);
    EXPECT_EQ(db->Movie(1)->Title(), u"Zwei"_s);
    const TMovie *m = db->Movie(2);
    EXPECT_EQ(m->Title(), u"Only original"_s);
    // Both slots carry it; an original title that repeats the title is not kept.
    EXPECT_TRUE(m->Origtitle().isEmpty());
    EXPECT_EQ(m->Rating(), 0);
    EXPECT_EQ(m->Year(), 0);
    EXPECT_GT(m->Dateadded(), 0) << "an unknown date added becomes now";
}

TEST_F(AmcImportTest, TruncatedAndForeignFiles)
{
    std::string bytes = WriteAmcFile(35, {AmcMovie(1, "A"), AmcMovie(2, "B"), AmcMovie(3, "C")});
    bytes.resize(bytes.size() - 10);
    const QString input = dir.filePath(u"cut.amc"_s);
    QFile file(input);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), qint64(bytes.size()));
    file.close();
    ui.file = input;
    ASSERT_TRUE(RunImport(*db, QStringLiteral(RK_CATIMPORT_PATH), ui, {}).Ok());
    EXPECT_EQ(db->MovieCount(), 2);

    std::string foreign = WriteAmcFile(35, {AmcMovie(9, "X")});
    foreign.replace(1, 7, "AMC_5.0");
    QFile other(input);
    ASSERT_TRUE(other.open(QIODevice::WriteOnly | QIODevice::Truncate));
    other.write(foreign.data(), qint64(foreign.size()));
    other.close();
    // Another version is refused with the version found, not imported as nothing.
    const Status refused = RunImport(*db, QStringLiteral(RK_CATIMPORT_PATH), ui, {});
    ASSERT_FALSE(refused.Ok());
    EXPECT_TRUE(refused.Error().contains(u"version 5.0"_s)) << refused.Error().toStdString();
    EXPECT_EQ(db->MovieCount(), 2);
}

TEST_F(AmcImportTest, PngPostersAreKeptAsJpeg)
{
    TAmcMovie movie = AmcMovie(1, "Poster");
    movie.pictureName = ".png";
    movie.picture = PngBytes(40, 60);
    TAmcMovie jpeg = AmcMovie(2, "Jpeg poster");
    jpeg.pictureName = ".jpg";
    const QByteArray jpegBytes = TImage(30, 20).ToJpeg();
    jpeg.picture = jpegBytes.toStdString();
    ImportAmc(35, {movie, jpeg});
    ASSERT_EQ(db->MovieCount(), 2);
    const TMovie *png = db->Movie(0);
    EXPECT_EQ(png->Coverformat(), CoverJpeg);
    EXPECT_TRUE(png->PictureBytes().startsWith("\xFF\xD8"));
    EXPECT_EQ(png->Picture().Width(), 40);
    EXPECT_EQ(db->Movie(1)->PictureBytes(), jpegBytes) << "a JPEG is kept byte for byte";
}

TEST_F(AmcImportTest, ImportingTwiceWithMergeAsksOnce)
{
    TAmcMovie a = AmcMovie(1, "A");
    a.category = "Drama";
    ImportAmc(35, {a, AmcMovie(2, "B")});
    db->Movie(0)->SetGenre(u"Mine"_s);
    ui.answers = {{TDuplicateChoice::Merge, true}};
    ImportAmc(35, {a, AmcMovie(2, "B")});
    EXPECT_EQ(ui.asked.size(), 1);
    EXPECT_EQ(db->MovieCount(), 2);
    EXPECT_EQ(db->Movie(0)->Genre(), u"Mine"_s);
}

} // namespace
