#include <csignal>

#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "catalog/actor.h"
#include "catalog/episode.h"
#include "catalog/image.h"
#include "catalog/movie.h"
#include "catalog/version.h"
#include "catalog/videodatabase.h"

using namespace Qt::StringLiterals;

namespace {

QByteArray ReadBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

class CatalogFileTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString Path(const QString &name) const { return dir.filePath(name); }
    // The header a catalog named movies.rkd in the test folder writes.
    QByteArray Header(int movies, int people, bool sorted, const QByteArray &custom = {}) const
    {
        const QByteArray folder = QFile::encodeName(dir.path()) + "/movies/";
        QByteArray text = "<xml>\r\n<reelkeep><version>0.9.6</version>\r\n<movies>"
                          + QByteArray::number(movies) + "</movies>\r\n<people>"
                          + QByteArray::number(people) + "</people>\r\n";
        if (sorted)
            text += "<sorted></sorted>\r\n";
        const char *tags[] = {"pf", "phf", "cf", "sf", "tf"};
        const char *names[] = {"Posters/", "Photos/", "Covers/", "Screenshots/", "Thumbnails/"};
        for (int i = 0; i < 5; ++i) {
            text += QByteArray("<") + tags[i] + ">" + folder + names[i] + "|movies/" + names[i]
                    + "</" + tags[i] + ">\r\n";
        }
        return text + "<img_folders>0</img_folders>\r\n" + custom;
    }
    std::unique_ptr<TVideoDatabase> OpenCatalog(const QString &name = u"movies.rkd"_s)
    {
        auto db = std::make_unique<TVideoDatabase>(Path(name));
        last = db->Open();
        return db;
    }
    QByteArray SaveAndRead(TVideoDatabase &db)
    {
        const auto result = db.Save(true);
        EXPECT_TRUE(result.Ok()) << result.Error().toStdString();
        return ReadBytes(db.FileName());
    }

    QTemporaryDir dir;
    TLoadResult last;
};

TEST_F(CatalogFileTest, NewFileInAMissingFolderOpensEmpty)
{
    auto db = OpenCatalog(u"new/sub/movies.rkd"_s);
    EXPECT_TRUE(last.ok);
    EXPECT_EQ(last.version, 0);
    EXPECT_TRUE(QFileInfo(Path(u"new/sub"_s)).isDir());
    EXPECT_EQ(db->MovieCount(), 0);
    EXPECT_FALSE(db->Modified());
}

TEST_F(CatalogFileTest, SavingAnUnmodifiedCatalogWritesNothing)
{
    auto db = OpenCatalog();
    const auto result = db->Save(false);
    ASSERT_TRUE(result.Ok());
    EXPECT_EQ(result.Value(), TSaveOutcome::NotNeeded);
    EXPECT_FALSE(QFile::exists(Path(u"movies.rkd"_s)));
    EXPECT_FALSE(QFile::exists(Path(u"movies.rkd.bak"_s)));
}

TEST_F(CatalogFileTest, EmptyCatalogIsHeaderAndRootOnly)
{
    auto db = OpenCatalog();
    EXPECT_EQ(SaveAndRead(*db), Header(0, 0, false) + "</reelkeep>\r\n");
}

TEST_F(CatalogFileTest, SmallCatalogIsWrittenExactly)
{
    auto db = OpenCatalog();
    db->AddCustomField(u"Shelf"_s);
    db->AddCustomField(u"Box"_s);
    auto *movie = static_cast<TMovie *>(db->AddRecord(0));
    movie->SetTitle(u"Alien"_s);
    auto *numbered = static_cast<TMovie *>(db->AddRecord(0));
    numbered->SetTitle(u"Tom & Jerry <3>"_s);
    numbered->SetNum(0);
    numbered->SetRating(7.5);
    numbered->SetLength(0.0625);
    numbered->SetViewed(false);
    numbered->SetDescription(u"Line one\r\n<two> & \"three\""_s);
    numbered->SetCustomValue(1, u"B7"_s);
    numbered->SetSize(120);
    TEpisode *episode = numbered->AddEpisode();
    episode->SetEpnum(3);
    episode->SetOrigtitle(u"Pilot"_s);
    auto *person = static_cast<TActor *>(db->AddRecord(1, u"Sigourney Weaver"_s));
    person->SetBirthday(18194.5);
    person->SetBio(u"Bio"_s);
    person->SetBookmark(true);

    const QByteArray expected =
        Header(2, 1, false, "<customname>Shelf</customname>\r\n<customname>Box</customname>\r\n")
        // An unnumbered movie sorts first and has no "num".
        + "<movie><coverformat>1</coverformat>\r\n<title>Alien</title>\r\n</movie>\r\n"
        + "<movie><rating>7,5</rating>\r\n<coverformat>1</coverformat>\r\n"
          "<title>Tom &amp; Jerry &lt;3&gt;</title>\r\n"
          "<description><s>25</s>Line one\r\n<two> & \"three\"</description>\r\n"
          "<length>0,0625</length>\r\n<size>120</size>\r\n<num>0</num>\r\n"
          "<viewed>0</viewed>\r\n<custom1>B7</custom1>\r\n"
          // An episode without a title is stored under its original title.
          "<episode><epnum>3</epnum>\r\n<coverformat>1</coverformat>\r\n"
          "<title>Pilot</title>\r\n<origtitle>Pilot</origtitle>\r\n</episode>\r\n"
          "</movie>\r\n"
        + "<human><name>Sigourney Weaver</name>\r\n<birthday>18194,5</birthday>\r\n"
          "<bio><s>3</s>Bio</bio>\r\n<coverformat>1</coverformat>\r\n"
          "<bookmark>-1</bookmark>\r\n</human>\r\n"
        + "</reelkeep>\r\n";
    EXPECT_EQ(SaveAndRead(*db), expected);
    EXPECT_FALSE(db->Modified());
}

TEST_F(CatalogFileTest, LoadReadsWhatSaveWroteAndSavesItAgainByteForByte)
{
    {
        auto db = OpenCatalog();
        db->AddCustomField(u"Shelf"_s);
        auto *movie = static_cast<TMovie *>(db->AddRecord(0));
        movie->SetTitle(u"Tïtle ✓ 𝄞"_s);
        movie->SetOrigtitle(u"Orig"_s);
        movie->SetYear(1999);
        movie->SetDirector(u"A\r\nB"_s);
        movie->SetActors(u"C\r\nD"_s);
        movie->SetCountry(u"US"_s);
        movie->SetDescription(u"x < y && z\r\n\r\nend"_s);
        movie->SetComment(u"c\r\n</comment>"_s);
        movie->SetCount(2);
        movie->SetType(u"DVD"_s);
        movie->SetImdbrating(8.25);
        movie->SetOrating(6);
        movie->SetOrname(u"src"_s);
        movie->SetRip(u"rip"_s);
        movie->SetLength(0.1);
        movie->SetLangs(u"en"_s);
        movie->SetTranslation(u"t"_s);
        movie->SetResolution(u"720x576"_s);
        movie->SetVideocodec(u"x264"_s);
        movie->SetVideobitrate(1500);
        movie->SetAudiocodec(u"aac"_s);
        movie->SetAudiobitrate(-5);
        movie->SetRelease(u"2001"_s);
        movie->SetSize(qint64(1) << 40);
        movie->SetPath(u"/m/a.mkv|/m/b.mkv"_s);
        movie->SetMpaa(u"R"_s);
        movie->SetStudio(u"S"_s);
        movie->SetDateadded(45000.123456789);
        movie->SetCode(77);
        movie->Lend(u"Ann"_s);
        movie->SetSubs(u"de"_s);
        movie->SetFramerate(23.976);
        movie->SetLabel(u"L"_s);
        movie->SetProducer(u"P"_s);
        movie->SetFroncover(u"f.jpg"_s);
        movie->SetCdcover(u"c.jpg"_s);
        movie->SetScreenshots(u"a.jpg|b.jpg"_s);
        movie->SetNum(12);
        movie->SetWish(true);
        movie->SetScenario(u"W"_s);
        movie->SetBookmark(true);
        movie->SetViewdate(44000.5);
        movie->SetTags(u"t1\r\nt2"_s);
        movie->SetLinks(u"<link num=\"1\">x</link>"_s);
        movie->SetMusic(u"M"_s);
        movie->SetAka(u"K"_s);
        movie->SetTagline(u"TL"_s);
        movie->SetFeatures(u"F"_s);
        movie->SetGenre(u"G"_s);
        movie->SetAwards(u"Aw"_s);
        movie->SetUrl(u"http://x"_s);
        movie->SetRating(1e-7);
        movie->SetCustomValue(0, u"Top & <left>"_s);
        movie->AddEpisode()->SetTitle(u"E1"_s);
        auto *person = static_cast<TActor *>(db->AddRecord(1, u"N"_s));
        person->SetTransname(u"TN"_s);
        person->SetAltnames(u"A1\r\nA2"_s);
        person->SetBirthplace(u"BP"_s);
        person->SetFilmography(u"F1\r\nF2"_s);
        person->SetCategory(u"Actor"_s);
        person->SetCoverformat(CoverFile);
        person->SetCoverpath(u"n.jpg"_s);
        ASSERT_TRUE(db->Save(true).Ok());
    }
    const QByteArray first = ReadBytes(Path(u"movies.rkd"_s));
    auto db = OpenCatalog();
    ASSERT_TRUE(last.ok);
    EXPECT_EQ(last.version, ProgramVersionNumber);
    ASSERT_EQ(db->MovieCount(), 1);
    const TMovie *movie = db->Movie(0);
    EXPECT_EQ(movie->Title(), u"Tïtle ✓ 𝄞"_s);
    EXPECT_EQ(movie->Comment(), u"c\r\n</comment>"_s);
    EXPECT_EQ(movie->Size(), qint64(1) << 40);
    EXPECT_EQ(movie->Dateadded(), 45000.123456789);
    EXPECT_EQ(movie->Rating(), 1e-7);
    EXPECT_EQ(movie->Loan(), u"Ann"_s);
    EXPECT_FALSE(movie->Viewed() && movie->Viewdate() == 0);
    EXPECT_EQ(movie->CustomValue(0), u"Top & <left>"_s);
    EXPECT_EQ(movie->EpisodeCount(), 1);
    EXPECT_EQ(db->Person(0)->Coverpath(), u"n.jpg"_s);
    // The load sorted the lists, so the file now says so; after that it is stable.
    const QByteArray second = SaveAndRead(*db);
    EXPECT_EQ(second,
              QByteArray(first).replace("</people>\r\n", "</people>\r\n<sorted></sorted>\r\n"));
    auto again = OpenCatalog();
    EXPECT_EQ(SaveAndRead(*again), second);
}

TEST_F(CatalogFileTest, ConversionsOfTheReader)
{
    WriteBytes(Path(u"movies.rkd"_s),
               "<xml>\r\n<reelkeep><version>0.9.6</version>\r\n"
               "<movie><coverformat>x</coverformat>\r\n<title>A</title>\r\n<year>19x</year>\r\n"
               "<num>abc</num>\r\n<rating>7.5</rating>\r\n<imdbrating>1,5E1</imdbrating>\r\n"
               "<viewed>maybe</viewed>\r\n<wish>TRUE</wish>\r\n<bookmark>0</bookmark>\r\n"
               "<size>99999999999</size>\r\n<custom0>lost</custom0>\r\n<customx>y</customx>\r\n"
               "<froncover>sub\\front.jpg</froncover>\r\n<unknown>z</unknown>\r\n"
               "<episode><epnum>two</epnum>\r\n<viewed>False</viewed>\r\n</episode>\r\n"
               "</movie>\r\n</reelkeep>\r\n");
    auto db = OpenCatalog();
    ASSERT_TRUE(last.ok);
    ASSERT_EQ(db->MovieCount(), 1);
    const TMovie *movie = db->Movie(0);
    EXPECT_EQ(movie->Coverformat(), CoverNone);
    EXPECT_EQ(movie->Year(), 0);
    EXPECT_EQ(movie->Num(), -1);
    EXPECT_EQ(movie->Rating(), 0) << "a point is no decimal separator in the file";
    EXPECT_EQ(movie->Imdbrating(), 15);
    EXPECT_TRUE(movie->Viewed());
    EXPECT_TRUE(movie->Wish());
    EXPECT_FALSE(movie->Bookmark());
    EXPECT_EQ(movie->Size(), 99999999999);
    EXPECT_EQ(movie->CustomValueCount(), 0);
    EXPECT_EQ(movie->Froncover(), u"sub/front.jpg"_s);
    ASSERT_EQ(movie->EpisodeCount(), 1);
    EXPECT_EQ(movie->Episode(0)->Epnum(), 0);
    EXPECT_FALSE(movie->Episode(0)->Viewed());
}

TEST_F(CatalogFileTest, MoviesLoadSeenWhateverTheDefault)
{
    WriteBytes(Path(u"movies.rkd"_s),
               "<xml>\r\n<reelkeep><movie><title>A</title>\r\n</movie>\r\n</reelkeep>\r\n");
    TVideoDatabase db(Path(u"movies.rkd"_s));
    TTextRules unseen;
    unseen.NewMoviesSeen = false;
    db.SetTextRules(unseen);
    last = db.Open();
    ASSERT_EQ(db.MovieCount(), 1);
    EXPECT_TRUE(db.Movie(0)->Viewed());
    // What the user makes afterwards follows the rule.
    EXPECT_FALSE(static_cast<TBaseMovie *>(db.AddRecord(0))->Viewed());
    EXPECT_EQ(last.version, 0);
}

TEST_F(CatalogFileTest, SortedElementKeepsTheFileOrder)
{
    const QByteArray body =
        "<movie><num>5</num>\r\n</movie>\r\n<movie><num>2</num>\r\n</movie>\r\n"
        "<human><name>b</name>\r\n</human>\r\n<human><name>A</name>\r\n</human>\r\n"
        "</reelkeep>\r\n";
    WriteBytes(Path(u"sorted.rkd"_s), "<xml>\r\n<reelkeep><sorted></sorted>\r\n" + body);
    WriteBytes(Path(u"plain.rkd"_s), "<xml>\r\n<reelkeep>" + body);
    auto kept = OpenCatalog(u"sorted.rkd"_s);
    EXPECT_EQ(kept->Movie(0)->Num(), 5);
    EXPECT_EQ(kept->Person(0)->Name(), u"b"_s);
    // Out of order, but every record can still be found (and so deleted).
    EXPECT_EQ(kept->IndexOfMovie(kept->Movie(1)), 1);
    kept->DeleteRecord(kept->Movie(1));
    EXPECT_EQ(kept->MovieCount(), 1);
    kept->SetModified(false);

    auto sorted = OpenCatalog(u"plain.rkd"_s);
    EXPECT_EQ(sorted->Movie(0)->Num(), 2);
    EXPECT_EQ(sorted->Person(0)->Name(), u"A"_s);
}

TEST_F(CatalogFileTest, ImageFolderElements)
{
    QDir(dir.path()).mkpath(u"pics/posters"_s);
    const QByteArray absolute = QFile::encodeName(dir.path()) + "/pics/posters/";
    WriteBytes(Path(u"movies.rkd"_s),
               "<xml>\r\n<reelkeep><pf>nobar</pf>\r\n"
               "<phf>/nowhere/at/all/|pics\\posters\\</phf>\r\n"
               "<cf>"
                   + absolute
                   + "|stale/</cf>\r\n<sf>/nowhere/|nowhere/</sf>\r\n"
                     "<img_folders>yes</img_folders>\r\n</reelkeep>\r\n");
    auto db = OpenCatalog();
    const QString base = dir.path() + u"/movies/"_s;
    EXPECT_EQ(db->PostersFolder(), base + u"Posters/"_s);
    EXPECT_EQ(db->PhotosFolder(), dir.path() + u"/pics/posters/"_s);
    EXPECT_EQ(db->ImageFolderRelative(TImageFolder::Photos), u"pics/posters/"_s);
    EXPECT_EQ(db->CoversFolder(), dir.path() + u"/pics/posters/"_s);
    EXPECT_EQ(db->ImageFolderRelative(TImageFolder::Covers), u"pics/posters/"_s);
    EXPECT_EQ(db->ScreenshotsFolder(), base + u"Screenshots/"_s);
    EXPECT_FALSE(db->ImgFolders());
}

TEST_F(CatalogFileTest, WindowsPathsAreUsedWithSlashesAndWrittenBackAsTheyWere)
{
    {
        auto db = OpenCatalog();
        auto *movie = static_cast<TMovie *>(db->AddRecord(0));
        movie->SetTitle(u"Heat"_s);
        movie->SetFroncover(u"Heat/front.jpg"_s);
        movie->SetCdcover(u"Heat/cd.jpg"_s);
        movie->SetScreenshots(u"Heat/1.jpg|Heat/2.jpg"_s);
        movie->SetCoverformat(CoverFile);
        movie->SetCoverpath(u"Heat/poster.jpg"_s);
        ASSERT_TRUE(db->Save(true).Ok());
    }
    (void)SaveAndRead(*OpenCatalog()); // the sorted form, stable from here on
    const QByteArray ours = ReadBytes(Path(u"movies.rkd"_s));
    const QByteArray folder = QFile::encodeName(dir.path()) + "/movies/Covers/|movies/Covers/";
    ASSERT_TRUE(ours.contains(folder));
    const QByteArray windows = QByteArray(ours)
                                   .replace("Heat/", "Heat\\")
                                   .replace(folder, "C:\\Films\\Covers\\|movies\\Covers\\");
    QDir(dir.path()).mkpath(u"movies/Covers/Heat"_s);
    WriteBytes(Path(u"movies.rkd"_s), windows);

    auto db = OpenCatalog();
    ASSERT_TRUE(last.ok);
    TMovie *movie = db->Movie(0);
    EXPECT_EQ(movie->Froncover(), u"Heat/front.jpg"_s);
    EXPECT_EQ(movie->Screenshots(), u"Heat/1.jpg|Heat/2.jpg"_s);
    EXPECT_EQ(movie->Coverpath(), u"Heat/poster.jpg"_s);
    EXPECT_EQ(movie->FrontCoverPath(), dir.path() + u"/movies/Covers/Heat/front.jpg"_s);
    EXPECT_EQ(SaveAndRead(*db), windows);
    // A value the user changes is written as it now is; the others keep their text.
    movie->SetCdcover(u"Heat/new.jpg"_s);
    EXPECT_EQ(SaveAndRead(*db), QByteArray(windows).replace("Heat\\cd.jpg", "Heat/new.jpg"));
}

TEST_F(CatalogFileTest, PathsFromTheFileNeverReachOutsideTheCatalogsFolders)
{
    QTemporaryDir elsewhere;
    const QString secret = elsewhere.filePath(u"secret.jpg"_s);
    WriteBytes(secret, "secret");
    QDir(dir.path()).mkpath(u"own"_s);
    WriteBytes(Path(u"own/mine.jpg"_s), "mine");
    WriteBytes(Path(u"victim.jpg"_s), "victim");
    WriteBytes(
        Path(u"movies.rkd"_s),
        "<xml>\r\n<reelkeep><version>0.9.4</version>\r\n"
        "<movie><num>1</num><title>A</title>\r\n<froncover>"
            + QFile::encodeName(secret) + "</froncover>\r\n<screenshots>"
            + QFile::encodeName(secret)
            + "</screenshots>\r\n</movie>\r\n<movie><num>2</num><title>B</title>\r\n<froncover>"
            + QFile::encodeName(Path(u"own/mine.jpg"_s))
            + "</froncover>\r\n<coverformat>3</coverformat>\r\n"
              "<coverpath>../victim.jpg</coverpath>\r\n</movie>\r\n</reelkeep>\r\n");
    auto db = OpenCatalog();
    ASSERT_TRUE(last.ok);
    TMovie *a = db->Movie(0);
    TMovie *b = db->Movie(1);
    // The 0.9.4 upgrade copies only from inside the catalog's folder.
    EXPECT_EQ(a->Froncover(), secret);
    EXPECT_EQ(ReadBytes(b->FrontCoverPath()), "mine");
    EXPECT_TRUE(b->FrontCoverPath().startsWith(db->CoversFolder()));
    EXPECT_EQ(QDir(db->CoversFolder()).entryList(QDir::Files), QStringList{u"mine.jpg"_s});
    // Removing a screenshot or replacing a poster that names a file outside leaves it.
    a->SetScreenshots(QString());
    const TImage picture(4, 4);
    b->SetPicture(&picture, TImageFormat::Jpeg, {}, CoverFile);
    EXPECT_EQ(ReadBytes(Path(u"victim.jpg"_s)), "victim");
    EXPECT_EQ(ReadBytes(secret), "secret");
    EXPECT_TRUE(b->PictureFile().startsWith(db->PostersFolder())) << b->PictureFile().toStdString();
    // Moving a folder the file named moves its pictures only.
    WriteBytes(db->CoversFolder() + u"notes.txt"_s, "notes");
    const QString oldCovers = db->CoversFolder();
    db->SetCoversFolder(Path(u"covers2"_s));
    EXPECT_TRUE(QFile::exists(Path(u"covers2/mine.jpg"_s)));
    EXPECT_TRUE(QFile::exists(oldCovers + u"notes.txt"_s));
    db->SetModified(false);
}

TEST_F(CatalogFileTest, StrayBytesAreDecodedNotDropped)
{
    // "Café" in Windows-1252 next to proper UTF-8.
    WriteBytes(Path(u"movies.rkd"_s),
               "\xEF\xBB\xBF<xml>\r\n<reelkeep><movie><title>Caf\xE9 \x93x\x94 "
               "\xC3\xA9t\xC3\xA9</title>\r\n</movie>\r\n</reelkeep>\r\n");
    auto db = OpenCatalog();
    ASSERT_EQ(db->MovieCount(), 1);
    EXPECT_EQ(db->Movie(0)->Title(), u"Café “x” été"_s);
}

TEST_F(CatalogFileTest, LineBreaksOfAnyKindAreRead)
{
    WriteBytes(Path(u"movies.rkd"_s),
               "<xml>\n<reelkeep><movie><title>A</title>\r<comment><s>4</s>x\r\ny</comment>\n"
               "</movie>\n</reelkeep>");
    auto db = OpenCatalog();
    ASSERT_EQ(db->MovieCount(), 1);
    EXPECT_EQ(db->Movie(0)->Title(), u"A"_s);
    EXPECT_EQ(db->Movie(0)->Comment(), u"x\r\ny"_s);
}

TEST_F(CatalogFileTest, PasswordProtectedFileIsNotOpened)
{
    WriteBytes(Path(u"movies.rkd"_s),
               "<xml>\r\n<reelkeep><encrypted>abc</encrypted>\r\n<version>x</version>\r\n"
               "<movie><title>secret</title>\r\n</movie>\r\n</reelkeep>\r\n");
    const QByteArray before = ReadBytes(Path(u"movies.rkd"_s));
    {
        auto db = OpenCatalog();
        EXPECT_FALSE(last.ok);
        EXPECT_FALSE(last.error.isEmpty());
        EXPECT_EQ(db->MovieCount(), 0);
    }
    EXPECT_EQ(ReadBytes(Path(u"movies.rkd"_s)), before);
}

// Hostile or broken files end in defaults or a refusal: no crash, no hang.
struct BrokenCase
{
    const char *name;
    QByteArray bytes;
    TLoadFailure failure = TLoadFailure::None;
    const char *reason = "";
};

// Custom fields declared after many records: each one widens every record read so far.
QByteArray WideningCustomFields(int movies, int fields)
{
    return "<xml>\r\n<reelkeep>\r\n" + QByteArray("<movie></movie>\r\n").repeated(movies)
           + QByteArray("<customname>c</customname>\r\n").repeated(fields) + "</reelkeep>\r\n";
}

void PrintTo(const BrokenCase &broken, std::ostream *os)
{
    *os << broken.name;
}

class BrokenFileTest : public CatalogFileTest, public ::testing::WithParamInterface<BrokenCase>
{};

TEST_P(BrokenFileTest, LoadsWhatItCanAndSaysWhy)
{
    WriteBytes(Path(u"movies.rkd"_s), GetParam().bytes);
    auto db = OpenCatalog();
    EXPECT_EQ(last.failure, GetParam().failure) << last.error.toStdString();
    EXPECT_EQ(last.ok, GetParam().failure == TLoadFailure::None);
    EXPECT_TRUE(last.error.contains(QLatin1StringView(GetParam().reason)))
        << last.error.toStdString();
    for (int i = 0; i < db->MovieCount(); ++i)
        EXPECT_TRUE(db->Movie(i)->PictureBytes().isEmpty());
    db->SetModified(false);
}

INSTANTIATE_TEST_SUITE_P(
    Files,
    BrokenFileTest,
    ::testing::Values(
        BrokenCase{"empty", "", TLoadFailure::Foreign},
        BrokenCase{"only_line_one", "<xml>", TLoadFailure::Foreign},
        BrokenCase{"truncated", "<xml>\r\n<reelkeep><movie><title>A</ti", TLoadFailure::Damaged},
        BrokenCase{"absurd_length",
                   "<xml>\r\n<reelkeep><movie><comment><s>2147483647</s>abc</comment>\r\n"
                   "</movie>\r\n</reelkeep>\r\n",
                   TLoadFailure::Damaged},
        BrokenCase{"negative_length",
                   "<xml>\r\n<reelkeep><movie><comment><s>-5</s>abc</comment>\r\n</movie>\r\n",
                   TLoadFailure::Damaged},
        BrokenCase{"odd_hex_cover",
                   "<xml>\r\n<reelkeep><movie><coverformat>2</coverformat>\r\n"
                   "<cover>ABC</cover>\r\n</movie>\r\n</reelkeep>\r\n"},
        BrokenCase{"invalid_hex_cover",
                   "<xml>\r\n<reelkeep><movie><coverformat>1</coverformat>\r\n"
                   "<cover>ZZ</cover>\r\n</movie>\r\n</reelkeep>\r\n"},
        BrokenCase{"huge_counts",
                   "<xml>\r\n<reelkeep><movies>99999999999999</movies>\r\n"
                   "<people>2000000000</people>\r\n<movie><year>99999999999</year>\r\n"
                   "<custom99999999999>x</custom99999999999>\r\n</movie>\r\n</reelkeep>\r\n",
                   TLoadFailure::Damaged},
        BrokenCase{"closing_tags_only", "<xml>\r\n</a></b></c>\r\n", TLoadFailure::Foreign},
        BrokenCase{"nul_bytes",
                   QByteArray("<xml>\r\n<reelkeep>\0<movie>\0</movie>", 34),
                   TLoadFailure::Damaged},
        BrokenCase{"counts_at_the_integer_limit",
                   "<xml>\r\n<reelkeep><movies>9223372036854775807</movies>\r\n"
                   "<people>9223372036854775807</people>\r\n</reelkeep>\r\n",
                   TLoadFailure::Damaged,
                   "announces"},
        BrokenCase{"deep_nesting",
                   "<xml>\r\n<reelkeep>" + QByteArray("<a>").repeated(100000),
                   TLoadFailure::Damaged,
                   "nested"},
        BrokenCase{"custom_fields_beyond_the_memory_budget",
                   WideningCustomFields(20000, 400),
                   TLoadFailure::Damaged,
                   "memory"}),
    [](const auto &info) { return std::string(info.param.name); });

// Files that hold no catalog, or only part of one, stay as they are whatever is done next;
// what a damaged file held can still be saved under another name.
struct FixtureCase
{
    const char *file;
    TLoadFailure failure;
    int movies;
    int people;
};

void PrintTo(const FixtureCase &fixture, std::ostream *os)
{
    *os << fixture.file;
}

class FixtureFileTest : public CatalogFileTest, public ::testing::WithParamInterface<FixtureCase>
{};

TEST_P(FixtureFileTest, OpensOnlyACatalogAndNeverWritesOverAnythingElse)
{
    const FixtureCase &fixture = GetParam();
    const QString name = Path(u"movies.rkd"_s);
    ASSERT_TRUE(
        QFile::copy(QStringLiteral(RK_TEST_DATA "/") + QLatin1StringView(fixture.file), name));
    const QByteArray before = ReadBytes(name);
    EXPECT_EQ(TVideoDatabase::CheckFile(name).failure,
              fixture.failure == TLoadFailure::Foreign ? TLoadFailure::Foreign
                                                       : TLoadFailure::None);
    auto db = OpenCatalog();
    EXPECT_EQ(last.failure, fixture.failure) << last.error.toStdString();
    EXPECT_EQ(last.ok, fixture.failure == TLoadFailure::None);
    EXPECT_TRUE(last.ok || last.error.contains(name)) << last.error.toStdString();
    EXPECT_EQ(db->MovieCount(), fixture.movies);
    EXPECT_EQ(db->PersonCount(), fixture.people);
    EXPECT_EQ(db->Damaged(), fixture.failure == TLoadFailure::Damaged);

    if (fixture.failure == TLoadFailure::Foreign) {
        // Two saves used to replace the file and then its backup.
        db->AddRecord(0);
        for (int i = 0; i < 2; ++i) {
            const auto saved = db->Save(true);
            ASSERT_TRUE(saved.Ok());
            EXPECT_EQ(saved.Value(), TSaveOutcome::ReadOnly);
        }
        EXPECT_EQ(ReadBytes(name), before);
        EXPECT_FALSE(QFile::exists(name + u".bak"_s));
    } else if (fixture.failure == TLoadFailure::Damaged) {
        // Closed with changes: they are not saved over the file.
        OpenCatalog()->AddRecord(0);
        EXPECT_EQ(ReadBytes(name), before);
        const auto saved = db->SaveAs(Path(u"rescued.rkd"_s));
        ASSERT_TRUE(saved.Ok()) << saved.Error().toStdString();
        EXPECT_EQ(saved.Value(), TSaveOutcome::Saved);
        EXPECT_EQ(ReadBytes(name), before);
        auto rescued = OpenCatalog(u"rescued.rkd"_s);
        EXPECT_TRUE(last.ok) << last.error.toStdString();
        EXPECT_EQ(rescued->MovieCount(), fixture.movies);
    }
    db->SetModified(false);
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures,
    FixtureFileTest,
    ::testing::Values(FixtureCase{"complete.rkd", TLoadFailure::None, 3, 1},
                      FixtureCase{"notes.txt", TLoadFailure::Foreign, 0, 0},
                      FixtureCase{"picture.png", TLoadFailure::Foreign, 0, 0},
                      FixtureCase{"cut_short.rkd", TLoadFailure::Damaged, 3, 0},
                      FixtureCase{"counts_disagree.rkd", TLoadFailure::Damaged, 2, 1}),
    [](const auto &info) {
        std::string name = info.param.file;
        return name.substr(0, name.find('.'));
    });

TEST_F(CatalogFileTest, AppendingAFileThatIsNoCatalogAddsNothing)
{
    auto db = OpenCatalog();
    db->SetPostersFolder(Path(u"elsewhere"_s));
    db->SetModified(false);
    ASSERT_TRUE(QFile::copy(QStringLiteral(RK_TEST_DATA "/notes.txt"), Path(u"notes.txt"_s)));
    const TLoadResult appended = db->Append(Path(u"notes.txt"_s));
    EXPECT_EQ(appended.failure, TLoadFailure::Foreign);
    EXPECT_FALSE(db->Modified());
    EXPECT_EQ(db->PostersFolder(), Path(u"elsewhere/"_s));
}

TEST_F(CatalogFileTest, HexCoverIsKeptThroughLoadAndSave)
{
    WriteBytes(Path(u"movies.rkd"_s),
               "<xml>\r\n<reelkeep><movie><coverformat>2</coverformat>\r\n"
               "<cover>FFD8ffe0</cover>\r\n<title>A</title>\r\n</movie>\r\n</reelkeep>\r\n");
    auto db = OpenCatalog();
    ASSERT_EQ(db->MovieCount(), 1);
    EXPECT_EQ(db->Movie(0)->PictureBytes(), QByteArray("\xFF\xD8\xFF\xE0"));
    EXPECT_TRUE(SaveAndRead(*db).contains("<cover>FFD8FFE0</cover>\r\n<title>A</title>"));
}

TEST_F(CatalogFileTest, SaveKeepsABackupAndLeavesReadOnlyFilesAlone)
{
    auto db = OpenCatalog();
    db->AddRecord(0);
    ASSERT_TRUE(db->Save(false).Ok());
    const QByteArray first = ReadBytes(Path(u"movies.rkd"_s));
    db->AddRecord(0);
    ASSERT_TRUE(db->Save(false).Ok());
    EXPECT_EQ(ReadBytes(Path(u"movies.rkd.bak"_s)), first);

    QFile::setPermissions(Path(u"movies.rkd"_s), QFile::ReadOwner | QFile::ReadUser);
    db->AddRecord(0);
    const auto result = db->Save(false);
    ASSERT_TRUE(result.Ok());
    EXPECT_EQ(result.Value(), TSaveOutcome::ReadOnly);
    EXPECT_TRUE(db->Modified());
    EXPECT_NE(ReadBytes(Path(u"movies.rkd"_s)).count("<movie>"), 3);
    QFile::setPermissions(Path(u"movies.rkd"_s), QFile::ReadOwner | QFile::WriteOwner);
}

// A folder that takes no new file while it lives: without write permission, and immutable
// where the file system and the user allow it (root ignores the permission).
class TClosedFolder
{
public:
    explicit TClosedFolder(const QString &folder)
        : m_path(QFile::encodeName(folder))
    {
        ::chmod(m_path.constData(), 0555);
        m_fd = ::open(m_path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        int flags = 0;
        if (m_fd >= 0 && ::ioctl(m_fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags |= FS_IMMUTABLE_FL;
            m_immutable = ::ioctl(m_fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
    }
    ~TClosedFolder()
    {
        int flags = 0;
        if (m_immutable && ::ioctl(m_fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags &= ~FS_IMMUTABLE_FL;
            ::ioctl(m_fd, FS_IOC_SETFLAGS, &flags);
        }
        if (m_fd >= 0)
            ::close(m_fd);
        ::chmod(m_path.constData(), 0755);
    }
    TClosedFolder(const TClosedFolder &) = delete;
    TClosedFolder &operator=(const TClosedFolder &) = delete;
    bool Closed() const
    {
        const QByteArray probe = m_path + "/probe";
        const int fd = ::open(probe.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0)
            return true;
        ::close(fd);
        ::unlink(probe.constData());
        return false;
    }

private:
    QByteArray m_path;
    int m_fd = -1;
    bool m_immutable = false;
};

TEST_F(CatalogFileTest, SaveIntoAFolderThatTakesNoNewFileNamesTheFolder)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"shelf"_s));
    auto db = OpenCatalog(u"shelf/movies.rkd"_s);
    db->AddRecord(0);
    ASSERT_TRUE(db->Save(true).Ok());
    db->AddRecord(0);
    QString error;
    {
        TClosedFolder closed(Path(u"shelf"_s));
        if (!closed.Closed())
            GTEST_SKIP() << "this user may write into any folder";
        const auto result = db->Save(false);
        ASSERT_FALSE(result.Ok());
        error = result.Error();
    }
    EXPECT_TRUE(error.contains(u"folder "_s + Path(u"shelf"_s) + u" does not allow"_s))
        << error.toStdString();
    EXPECT_TRUE(db->Modified());
    EXPECT_EQ(ReadBytes(Path(u"shelf/movies.rkd"_s)).count("<movie>"), 1);
}

// A device that fails after N bytes: the file size limit makes write() fail with EFBIG.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

TEST_F(CatalogFileTest, FailedWriteKeepsTheOldFileAndTheModifiedState)
{
    auto db = OpenCatalog();
    static_cast<TMovie *>(db->AddRecord(0))->SetTitle(u"kept"_s);
    ASSERT_TRUE(db->Save(true).Ok());
    const QByteArray before = ReadBytes(Path(u"movies.rkd"_s));
    for (int i = 0; i < 200; ++i)
        static_cast<TMovie *>(db->AddRecord(0))->SetDescription(QString(100, u'x'));
    Result<TSaveOutcome> result = TSaveOutcome::NotNeeded;
    {
        FileSizeLimit limit(before.size() + 1000);
        result = db->Save(false);
    }
    EXPECT_FALSE(result.Ok());
    EXPECT_FALSE(result.Error().isEmpty());
    EXPECT_TRUE(db->Modified());
    EXPECT_EQ(ReadBytes(Path(u"movies.rkd"_s)), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2) << "a temporary file was left";
}

// Fails to write every movie titled "bad".
class FailingCatalog : public TVideoDatabase
{
public:
    using TVideoDatabase::TVideoDatabase;

protected:
    void WriteRecord(const TDBItem &record, TTagWriter &out) const override
    {
        if (record.Kind() == TRecordKind::Movie
            && static_cast<const TMovie &>(record).Title() == u"bad")
            throw std::runtime_error("disk on fire");
        TVideoDatabase::WriteRecord(record, out);
    }
};

TEST_F(CatalogFileTest, RecordThatFailsToWriteFailsTheSaveAndKeepsTheFile)
{
    FailingCatalog db(Path(u"movies.rkd"_s));
    ASSERT_TRUE(db.Open().ok);
    static_cast<TMovie *>(db.AddRecord(0))->SetTitle(u"good"_s);
    ASSERT_TRUE(db.Save(true).Ok());
    const QByteArray first = ReadBytes(Path(u"movies.rkd"_s));
    static_cast<TMovie *>(db.AddRecord(0))->SetTitle(u"bad"_s);
    static_cast<TMovie *>(db.AddRecord(0))->SetTitle(u"also new"_s);
    QStringList errors;
    db.OnRecordWriteFailed = [&](const QString &error) { errors.append(error); };
    const auto result = db.Save(false);
    EXPECT_FALSE(result.Ok());
    EXPECT_TRUE(result.Error().contains(u"disk on fire"_s)) << result.Error().toStdString();
    EXPECT_EQ(errors, QStringList{u"disk on fire"_s});
    EXPECT_TRUE(db.Modified());
    EXPECT_EQ(ReadBytes(Path(u"movies.rkd"_s)), first);
    EXPECT_EQ(ReadBytes(Path(u"movies.rkd2.bak"_s)), first);
    EXPECT_EQ(QDir(dir.path()).entryList({u"*.rk-tmp"_s}, QDir::Files), QStringList());
    db.SetModified(false);
}

// The backup is the old file under a second name: it needs no room for a copy, and the
// saved file is a file of its own, so changing it in place leaves the backup alone.
TEST_F(CatalogFileTest, BackupNeedsNoRoomForACopyAndStaysApart)
{
    auto db = OpenCatalog();
    auto *movie = static_cast<TMovie *>(db->AddRecord(0));
    movie->SetTitle(u"old"_s);
    movie->SetDescription(QString(20000, u'x'));
    ASSERT_TRUE(db->Save(true).Ok());
    const QByteArray large = ReadBytes(Path(u"movies.rkd"_s));
    movie->SetDescription(u"short"_s);
    QStringList errors;
    db->OnBackupFailed = [&](const QString &error) { errors.append(error); };
    Result<TSaveOutcome> result = TSaveOutcome::NotNeeded;
    {
        // Room for the small catalog, not for a copy of the large one.
        FileSizeLimit limit(large.size() / 2);
        result = db->Save(true);
    }
    ASSERT_TRUE(result.Ok()) << result.Error().toStdString();
    EXPECT_EQ(result.Value(), TSaveOutcome::Saved);
    EXPECT_EQ(errors, QStringList());
    EXPECT_EQ(ReadBytes(Path(u"movies.rkd.bak"_s)), large);
    WriteBytes(Path(u"movies.rkd"_s), "changed in place");
    EXPECT_EQ(ReadBytes(Path(u"movies.rkd.bak"_s)), large);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2) << "a temporary file was left";
    db->SetModified(false);
}

TEST_F(CatalogFileTest, DamagedFileNeverReplacesTheBackup)
{
    {
        auto db = OpenCatalog();
        static_cast<TMovie *>(db->AddRecord(0))->SetTitle(u"first"_s);
        ASSERT_TRUE(db->Save(true).Ok());
        static_cast<TMovie *>(db->AddRecord(0))->SetTitle(u"second"_s);
        ASSERT_TRUE(db->Save(true).Ok());
    }
    const QByteArray backup = ReadBytes(Path(u"movies.rkd.bak"_s));
    const QByteArray whole = ReadBytes(Path(u"movies.rkd"_s));
    WriteBytes(Path(u"movies.rkd"_s), whole.left(whole.size() - 20));
    auto db = OpenCatalog();
    ASSERT_TRUE(db->Damaged());
    ASSERT_TRUE(db->Save(true).Ok());
    EXPECT_EQ(ReadBytes(Path(u"movies.rkd.bak"_s)), backup);
}

TEST_F(CatalogFileTest, StaleTemporaryFilesOfTheCatalogAreRemovedByOpenAndSave)
{
    const std::pair<QString, bool> files[] = {
        {u"movies.rkd.a1B2c3.rk-tmp"_s, true},
        {u"movies.rkd.bak.Zz9y8X.rk-tmp"_s, true},
        {u"movies.rkd2.bak.000000.rk-tmp"_s, true},
        {u"movies.rkd.held00.rk-tmp"_s, false}, // locked: a save in progress
        {u"movies.rkd.a1B2c.rk-tmp"_s, false},
        {u"other.rkd.a1B2c3.rk-tmp"_s, false},
        {u"movies.rkd.a1B2c3"_s, false},
        {u"movies.rkd.a1B2c3.rk-tmp.txt"_s, false},
    };
    auto plant = [&] {
        for (const auto &[name, removed] : files)
            WriteBytes(Path(name), "partial");
    };
    auto check = [&](const char *when) {
        for (const auto &[name, removed] : files)
            EXPECT_EQ(QFile::exists(Path(name)), !removed) << when << ": " << name.toStdString();
    };
    plant();
    QFile held(Path(u"movies.rkd.held00.rk-tmp"_s));
    ASSERT_TRUE(held.open(QIODevice::ReadWrite));
    ASSERT_EQ(flock(held.handle(), LOCK_EX), 0);
    auto db = OpenCatalog();
    check("open");
    plant();
    ASSERT_TRUE(db->Save(true).Ok());
    check("save");
}

TEST_F(CatalogFileTest, SaveWritesThroughASymbolicLinkAndKeepsModeAndOwner)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"real"_s));
    {
        TVideoDatabase db(Path(u"real/target.rkd"_s));
        ASSERT_TRUE(db.Open().ok);
        db.AddRecord(0);
        ASSERT_TRUE(db.Save(true).Ok());
    }
    const QByteArray target = QFile::encodeName(Path(u"real/target.rkd"_s));
    const QByteArray old = ReadBytes(Path(u"real/target.rkd"_s));
    ASSERT_EQ(chmod(target.constData(), 0640), 0);
    // Only root may give a file to another user.
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown(target.constData(), 4321, 4321), 0);
    }
    ASSERT_TRUE(QFile::link(u"real/target.rkd"_s, Path(u"movies.rkd"_s)));

    auto db = OpenCatalog();
    ASSERT_EQ(db->MovieCount(), 1);
    db->AddRecord(0);
    ASSERT_TRUE(db->Save(true).Ok());
    EXPECT_TRUE(QFileInfo(Path(u"movies.rkd"_s)).isSymLink());
    EXPECT_EQ(ReadBytes(Path(u"real/target.rkd"_s)).count("<movie>"), 2);
    EXPECT_EQ(ReadBytes(Path(u"movies.rkd.bak"_s)), old);
    struct stat st;
    ASSERT_EQ(stat(target.constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    if (root) {
        EXPECT_EQ(st.st_uid, 4321u);
        EXPECT_EQ(st.st_gid, 4321u);
    }
    EXPECT_EQ(QDir(Path(u"real"_s)).entryList(QDir::Files), QStringList{u"target.rkd"_s});
}

TEST_F(CatalogFileTest, SaveAsMovesTheCatalogButNotItsFolders)
{
    auto db = OpenCatalog();
    db->AddRecord(0);
    const QString posters = db->PostersFolder();
    ASSERT_TRUE(db->SaveAs(Path(u"other/copy.rkd"_s)).Ok());
    EXPECT_EQ(db->FileName(), Path(u"other/copy.rkd"_s));
    EXPECT_EQ(db->BaseName(), u"copy"_s);
    EXPECT_EQ(db->PostersFolder(), posters);
    EXPECT_EQ(db->ImageFolderRelative(TImageFolder::Posters), u"../movies/Posters/"_s);
    EXPECT_TRUE(QFile::exists(Path(u"other/copy.rkd"_s)));

    // A target that cannot be written leaves the catalog with its file.
    WriteBytes(Path(u"blocker"_s), "file");
    EXPECT_FALSE(db->SaveAs(Path(u"blocker/x.rkd"_s)).Ok());
    EXPECT_EQ(db->FileName(), Path(u"other/copy.rkd"_s));
    EXPECT_EQ(db->ImageFolderRelative(TImageFolder::Posters), u"../movies/Posters/"_s);
}

TEST_F(CatalogFileTest, AppendAddsRecordsAndCustomFieldsAfterTheOwnOnes)
{
    {
        TVideoDatabase other(Path(u"other.rkd"_s));
        ASSERT_TRUE(other.Open().ok);
        other.AddCustomField(u"Theirs"_s);
        auto *movie = static_cast<TMovie *>(other.AddRecord(0));
        movie->SetNum(2);
        movie->SetCustomValue(0, u"their value"_s);
        other.AddRecord(1, u"Bea"_s);
        other.SetPostersFolder(Path(u"their-posters"_s));
    }
    auto db = OpenCatalog();
    db->AddCustomField(u"Mine"_s);
    auto *own = static_cast<TMovie *>(db->AddRecord(0));
    own->SetNum(5);
    own->SetCustomValue(0, u"my value"_s);
    db->AddRecord(1, u"Cid"_s);
    ASSERT_TRUE(db->Save(true).Ok());
    const QString posters = db->PostersFolder();

    EXPECT_TRUE(db->Append(Path(u"other.rkd"_s)).ok);
    EXPECT_TRUE(db->Modified());
    EXPECT_EQ(db->CustomFieldNames(), (QStringList{u"Mine"_s, u"Theirs"_s}));
    ASSERT_EQ(db->MovieCount(), 2);
    EXPECT_EQ(db->Movie(0)->Num(), 2);
    EXPECT_EQ(db->Movie(0)->CustomValues(), (QStringList{QString(), u"their value"_s}));
    EXPECT_EQ(db->Movie(1)->CustomValues(), (QStringList{u"my value"_s, QString()}));
    ASSERT_EQ(db->PersonCount(), 2);
    EXPECT_EQ(db->Person(0)->Name(), u"Bea"_s);
    EXPECT_EQ(db->PostersFolder(), posters);
}

TEST_F(CatalogFileTest, AppendCopiesThePictureFilesIntoThisCatalogsFolders)
{
    auto put = [](const QString &path, const QByteArray &bytes) {
        QDir().mkpath(QFileInfo(path).path());
        WriteBytes(path, bytes);
    };
    QDir(dir.path()).mkpath(u"theirs"_s);
    put(Path(u"secret.txt"_s), "outside");
    {
        TVideoDatabase other(Path(u"theirs/other.rkd"_s));
        ASSERT_TRUE(other.Open().ok);
        auto *movie = static_cast<TMovie *>(other.AddRecord(0));
        movie->SetTitle(u"Heat"_s);
        movie->SetCoverformat(CoverFile);
        movie->SetCoverpath(u"Heat.jpg"_s);
        put(other.PostersFolder() + u"Heat.jpg"_s, "their poster");
        put(other.CoversFolder() + u"front.jpg"_s, "their front");
        put(other.ScreenshotsFolder() + u"1.jpg"_s, "their shot");
        movie->ReadTag(u"froncover"_s, u"front.jpg"_s);
        movie->ReadTag(u"screenshots"_s, u"1.jpg|../../../secret.txt|gone.jpg"_s);
        auto *person = other.AddRecord(1, u"Bea"_s);
        person->SetCoverformat(CoverFile);
        person->SetCoverpath(u"Bea.jpg"_s);
        put(other.PhotosFolder() + u"Bea.jpg"_s, "their photo");
        ASSERT_TRUE(other.Save(true).Ok());
    }
    auto db = OpenCatalog();
    put(db->PostersFolder() + u"Heat.jpg"_s, "my poster");
    ASSERT_TRUE(db->Append(Path(u"theirs/other.rkd"_s)).ok);

    const TMovie *movie = db->Movie(0);
    EXPECT_EQ(movie->Coverpath(), u"Heat1.jpg"_s);
    EXPECT_EQ(ReadBytes(db->PostersFolder() + u"Heat1.jpg"_s), "their poster");
    EXPECT_EQ(ReadBytes(db->PostersFolder() + u"Heat.jpg"_s), "my poster");
    EXPECT_EQ(ReadBytes(movie->FrontCoverPath()), "their front");
    EXPECT_TRUE(movie->FrontCoverPath().startsWith(db->CoversFolder()));
    // A path leaving the appended catalog's folders and a missing file are not copied.
    EXPECT_EQ(movie->Screenshots(), u"1.jpg|../../../secret.txt|gone.jpg"_s);
    EXPECT_EQ(ReadBytes(db->ScreenshotsFolder() + u"1.jpg"_s), "their shot");
    EXPECT_FALSE(QFileInfo::exists(db->ScreenshotsFolder() + u"secret.txt"_s));
    EXPECT_EQ(ReadBytes(db->PhotosFolder() + db->Person(0)->Coverpath()), "their photo");
    EXPECT_FALSE(db->Append(Path(u"missing.rkd"_s)).ok);
}

TEST_F(CatalogFileTest, VersionFiveFilesGetImagePathsRelativeToTheirFolders)
{
    WriteBytes(
        Path(u"movies.rkd"_s),
        "<xml>\r\n<reelkeep><version>0.9.5</version>\r\n"
        "<movie><coverformat>3</coverformat>\r\n<coverpath>movies/Posters/A.jpg</coverpath>\r\n"
        "<title>A</title>\r\n<froncover>movies/Covers/f.jpg</froncover>\r\n"
        "<screenshots>movies/Screenshots/1.bmp|movies/Screenshots/2.bmp</screenshots>\r\n"
        "</movie>\r\n<human><coverformat>3</coverformat>\r\n"
        "<coverpath>movies/Photos/p.jpg</coverpath>\r\n</human>\r\n</reelkeep>\r\n");
    auto db = OpenCatalog();
    ASSERT_EQ(last.version, 9005);
    const TMovie *movie = db->Movie(0);
    EXPECT_EQ(movie->Coverpath(), u"A.jpg"_s);
    EXPECT_EQ(movie->Froncover(), u"f.jpg"_s);
    EXPECT_EQ(movie->Screenshots(), u"1.bmp|2.bmp"_s);
    EXPECT_EQ(db->Person(0)->Coverpath(), u"p.jpg"_s);
    db->SetModified(false);
}

TEST_F(CatalogFileTest, DestroyingAModifiedCatalogSavesIt)
{
    {
        auto db = OpenCatalog();
        static_cast<TMovie *>(db->AddRecord(0))->SetTitle(u"late"_s);
    }
    EXPECT_TRUE(ReadBytes(Path(u"movies.rkd"_s)).contains("<title>late</title>"));
}

TEST(Version, TextToNumber)
{
    EXPECT_EQ(VersionNumber(u"0.9.4"_s), 9004);
    EXPECT_EQ(VersionNumber(u"0.9.6"_s), 9006);
    EXPECT_EQ(VersionNumber(u"0.9.12"_s), 9012);
    EXPECT_EQ(VersionNumber(u"1.2.3"_s), 1002003);
    EXPECT_EQ(VersionNumber(u"1.100"_s), 1100);
    EXPECT_EQ(VersionNumber(u"7"_s), 7);
    EXPECT_EQ(VersionNumber(u"x.y"_s), 0);
    EXPECT_EQ(VersionNumber(QString()), 0);
    EXPECT_EQ(VersionNumber(QString::fromUtf16(ProgramVersionText)), ProgramVersionNumber);
}

} // namespace

namespace {

// Answers the password questions from a list and records how it was asked.
class TScriptedPrompt : public IPasswordPrompt
{
public:
    explicit TScriptedPrompt(QStringList answers)
        : m_answers(std::move(answers))
    {}
    std::optional<QString> AskPassword(const QString &, bool first) override
    {
        asked.append(first);
        if (m_answers.isEmpty())
            return std::nullopt;
        return m_answers.takeFirst();
    }
    QList<bool> asked;

private:
    QStringList m_answers;
};

class ProtectedCatalogTest : public CatalogFileTest
{
protected:
    void WriteProtected(const QString &password,
                        const QString &description,
                        TProtection protection = TProtection::Simple)
    {
        auto db = OpenCatalog();
        db->AddCustomField(u"Shelf"_s);
        auto *movie = static_cast<TMovie *>(db->AddRecord(0));
        movie->SetTitle(u"Secret & <Title>"_s);
        movie->SetDescription(description);
        movie->SetRating(7.5);
        movie->SetCustomValue(0, u"B2"_s);
        db->AddRecord(1, u"Hidden Person"_s);
        ASSERT_TRUE(db->SetPassword(password, protection).Ok());
        ASSERT_TRUE(db->Save(false).Ok());
    }
};

TEST_F(ProtectedCatalogTest, OpensOnlyWithTheRightPassword)
{
    WriteProtected(u"open sesame"_s, u"plot"_s);
    const QByteArray bytes = ReadBytes(Path(u"movies.rkd"_s));
    EXPECT_TRUE(bytes.startsWith("<xml>\r\n<reelkeep><encrypted>"));
    EXPECT_FALSE(bytes.contains("Secret"));
    EXPECT_FALSE(bytes.contains("Hidden"));

    TScriptedPrompt prompt({u"wrong"_s, u"also wrong"_s, u"open sesame"_s});
    TVideoDatabase db(Path(u"movies.rkd"_s));
    const TLoadResult result = db.Open(&prompt);
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(prompt.asked, (QList<bool>{true, false, false}));
    EXPECT_TRUE(db.Encrypted());
    EXPECT_EQ(result.version, ProgramVersionNumber);
    ASSERT_EQ(db.MovieCount(), 1);
    EXPECT_EQ(db.Movie(0)->Title(), u"Secret & <Title>"_s);
    EXPECT_EQ(db.Movie(0)->Rating(), 7.5);
    EXPECT_EQ(db.Movie(0)->CustomValue(0), u"B2"_s);
    EXPECT_EQ(db.CustomFieldNames(), QStringList{u"Shelf"_s});
    EXPECT_EQ(db.Person(0)->Name(), u"Hidden Person"_s);
}

TEST_F(ProtectedCatalogTest, CancellingThePromptFailsTheLoad)
{
    WriteProtected(u"pw"_s, u"plot"_s);
    TScriptedPrompt prompt({u"wrong"_s});
    TVideoDatabase db(Path(u"movies.rkd"_s));
    const TLoadResult result = db.Open(&prompt);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.isEmpty());
    EXPECT_EQ(db.MovieCount(), 0);
    EXPECT_TRUE(db.Password().isEmpty());
    TVideoDatabase unasked(Path(u"movies.rkd"_s));
    EXPECT_FALSE(unasked.Open().ok);
}

TEST_F(ProtectedCatalogTest, LongPasswordsAndLongValuesSpanLines)
{
    const QString password = QString(80, u'p');
    const QString description = QString(300, u'd') + u"\r\n<&>"_s;
    WriteProtected(password, description);
    const QByteArray bytes = ReadBytes(Path(u"movies.rkd"_s));
    // The check value itself no longer fits on the second line.
    EXPECT_FALSE(bytes.split('\n').at(1).contains("</encrypted>"));
    TScriptedPrompt prompt({password});
    TVideoDatabase db(Path(u"movies.rkd"_s));
    ASSERT_TRUE(db.Open(&prompt).ok);
    EXPECT_EQ(db.Movie(0)->Description(), description);
}

TEST_F(ProtectedCatalogTest, EmptyPasswordRemovesTheProtection)
{
    WriteProtected(u"pw"_s, u"plot"_s);
    TScriptedPrompt prompt({u"pw"_s});
    TVideoDatabase db(Path(u"movies.rkd"_s));
    ASSERT_TRUE(db.Open(&prompt).ok);
    db.SetPassword(QString());
    EXPECT_TRUE(db.Modified());
    EXPECT_FALSE(db.Encrypted());
    ASSERT_TRUE(db.Save(false).Ok());
    const QByteArray bytes = ReadBytes(Path(u"movies.rkd"_s));
    EXPECT_FALSE(bytes.contains("<encrypted>"));
    EXPECT_TRUE(bytes.contains("<title>Secret &amp; &lt;Title&gt;</title>"));
}

TEST_F(ProtectedCatalogTest, AppendKeepsTheOpenCatalogsPassword)
{
    WriteProtected(u"theirs"_s, u"plot"_s);
    ASSERT_TRUE(QFile::rename(Path(u"movies.rkd"_s), Path(u"other.rkd"_s)));
    auto db = OpenCatalog(u"mine.rkd"_s);
    db->SetPassword(u"mine"_s);
    TScriptedPrompt prompt({u"theirs"_s});
    ASSERT_TRUE(db->Append(Path(u"other.rkd"_s), &prompt).ok);
    EXPECT_EQ(db->Password(), u"mine"_s);
    EXPECT_EQ(db->Movie(0)->Title(), u"Secret & <Title>"_s);
    db->SetModified(false);
}

TEST_F(ProtectedCatalogTest, StrongProtectionRoundTripsAndHidesEverything)
{
    WriteProtected(u"密码 long"_s, u"plot"_s, TProtection::Strong);
    const QString file = Path(u"movies.rkd"_s);
    const QByteArray bytes = ReadBytes(file);
    EXPECT_TRUE(bytes.startsWith("\x89RKC\r\n\x1a\n"));
    for (const char *plain : {"Secret", "Hidden", "<movie>", "Shelf", "reelkeep"})
        EXPECT_FALSE(bytes.contains(plain)) << plain;
    EXPECT_TRUE(TVideoDatabase::CheckFile(file).ok);

    TScriptedPrompt prompt({u"密码"_s, u"密码 long"_s});
    TVideoDatabase db(file);
    const TLoadResult result = db.Open(&prompt);
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(prompt.asked, (QList<bool>{true, false}));
    EXPECT_EQ(db.Protection(), TProtection::Strong);
    ASSERT_EQ(db.MovieCount(), 1);
    EXPECT_EQ(db.Movie(0)->Title(), u"Secret & <Title>"_s);
    EXPECT_EQ(db.Movie(0)->Rating(), 7.5);
    EXPECT_EQ(db.Movie(0)->CustomValue(0), u"B2"_s);
    EXPECT_EQ(db.Person(0)->Name(), u"Hidden Person"_s);

    // The backup, the next save and the recovery copy are all protected the same way.
    db.Movie(0)->SetTitle(u"Changed"_s);
    ASSERT_TRUE(db.Save(false).Ok());
    ASSERT_TRUE(db.WriteRecoveryCopy().Ok());
    for (const QString &copy : {file, file + u".bak"_s, db.RecoveryFileName()}) {
        const QByteArray written = ReadBytes(copy);
        EXPECT_TRUE(written.startsWith("\x89RKC")) << copy.toStdString();
        EXPECT_FALSE(written.contains("Changed")) << copy.toStdString();
    }
    TScriptedPrompt again({u"密码 long"_s});
    TVideoDatabase recovered(file);
    ASSERT_TRUE(recovered.OpenRecoveryCopy(&again).ok);
    EXPECT_EQ(recovered.Movie(0)->Title(), u"Changed"_s);
    recovered.SetModified(false);
}

TEST_F(ProtectedCatalogTest, AlteredOrUnopenedStrongFileIsNeitherReadNorWritten)
{
    WriteProtected(u"pw"_s, u"plot"_s, TProtection::Strong);
    const QString file = Path(u"movies.rkd"_s);
    QByteArray bytes = ReadBytes(file);
    bytes[bytes.size() - 5] = char(bytes[bytes.size() - 5] ^ 0x40);
    WriteBytes(file, bytes);
    for (const QStringList &answers : {QStringList{u"pw"_s}, QStringList{u"wrong"_s}}) {
        {
            TScriptedPrompt prompt(answers);
            TVideoDatabase db(file);
            const TLoadResult result = db.Open(&prompt);
            EXPECT_FALSE(result.ok);
            EXPECT_EQ(result.failure, TLoadFailure::Failed);
            EXPECT_TRUE(result.error.contains(file)) << result.error.toStdString();
            EXPECT_TRUE(result.error.contains(answers[0] == u"pw"_s ? u"altered"_s : u"Wrong"_s))
                << result.error.toStdString();
            EXPECT_EQ(db.MovieCount(), 0);
        }
        EXPECT_EQ(ReadBytes(file), bytes);
        EXPECT_FALSE(QFile::exists(file + u".bak"_s));
    }
}

TEST_F(ProtectedCatalogTest, SimpleProtectionRefusesWhatItCannotHold)
{
    auto db = OpenCatalog();
    db->AddRecord(0);
    EXPECT_FALSE(db->SetPassword(u"密码"_s, TProtection::Simple).Ok());
    EXPECT_EQ(db->Protection(), TProtection::None);
    EXPECT_TRUE(db->SetPassword(u"Pässwort €"_s, TProtection::Simple).Ok());
    EXPECT_EQ(db->Protection(), TProtection::Simple);
    db->SetModified(false);
}

TEST_F(ProtectedCatalogTest, ProtectingReplacesTheUnprotectedBackups)
{
    auto db = OpenCatalog();
    static_cast<TMovie *>(db->AddRecord(0))->SetTitle(u"Visible"_s);
    ASSERT_TRUE(db->Save(true).Ok());
    ASSERT_TRUE(db->Save(true).Ok());
    ASSERT_TRUE(ReadBytes(Path(u"movies.rkd.bak"_s)).contains("Visible"));
    ASSERT_TRUE(db->SetPassword(u"pw"_s).Ok());
    ASSERT_TRUE(db->Save(false).Ok());
    EXPECT_FALSE(ReadBytes(Path(u"movies.rkd.bak"_s)).contains("Visible"));
    EXPECT_TRUE(ReadBytes(Path(u"movies.rkd.bak"_s)).startsWith("\x89RKC"));
}

} // namespace
