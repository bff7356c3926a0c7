#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "catalog/actor.h"
#include "catalog/episode.h"
#include "catalog/image.h"
#include "catalog/imagestore.h"
#include "catalog/movie.h"
#include "catalog/videodatabase.h"

using namespace Qt::StringLiterals;

namespace {

TImage Picture(int width, int height)
{
    TImage image(width, height);
    for (qsizetype i = 0; i < qsizetype(width) * height * 3; ++i)
        image.Bits()[i] = uchar(i * 7);
    return image;
}

void WriteImage(const QString &path, int width, int height)
{
    const TImage image = Picture(width, height);
    QDir().mkpath(QFileInfo(path).absolutePath());
    ASSERT_TRUE(
        image.Save(path, path.endsWith(u".bmp"_s) ? TImageFormat::Bmp : TImageFormat::Jpeg));
}

QSize ImageSize(const QString &path)
{
    const TImage image = TImage::Load(path);
    return image.IsNull() ? QSize() : QSize(image.Width(), image.Height());
}

TEST(ThumbnailSize, LandscapeByWidthOtherwiseByHeight)
{
    EXPECT_EQ(CoverThumbnailSize(1000, 500), QSize(318, 159));
    EXPECT_EQ(CoverThumbnailSize(500, 1000), QSize(119, 238));
    EXPECT_EQ(CoverThumbnailSize(700, 700), QSize(238, 238));
    EXPECT_EQ(ListThumbnailSize(100, 100), QSize(98, 98));
    EXPECT_EQ(ListThumbnailSize(600, 900), QSize(65, 98));
    EXPECT_EQ(ListThumbnailSize(10000, 1), QSize(78, 1)) << "never a side of 0";
    EXPECT_EQ(ListThumbnailSize(0, 10), QSize());
}

class ImageStoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        db = std::make_unique<TVideoDatabase>(dir.filePath(u"movies.rkd"_s));
        ASSERT_TRUE(db->Open().ok);
        db->OnLog = [this](const QString &line) { log.append(line); };
    }
    void TearDown() override
    {
        db->SetModified(false);
        db.reset();
    }
    TMovie *AddMovie(const QString &title)
    {
        auto *movie = static_cast<TMovie *>(db->AddRecord(0));
        movie->SetTitle(title);
        return movie;
    }
    QString Source(const QString &name, int width = 60, int height = 90)
    {
        const QString path = dir.filePath(u"incoming/"_s + name);
        WriteImage(path, width, height);
        return path;
    }

    QTemporaryDir dir;
    std::unique_ptr<TVideoDatabase> db;
    QStringList log;
};

TEST_F(ImageStoreTest, ExternalPostersAreNamedAfterTheTitle)
{
    const TImage image = Picture(60, 90);
    QStringList paths;
    for (int i = 0; i < 3; ++i) {
        TMovie *movie = AddMovie(u"Alien: Director's Cut?"_s);
        movie->SetPicture(&image, TImageFormat::Jpeg, {}, CoverFile);
        paths.append(movie->Coverpath());
        EXPECT_EQ(movie->Coverformat(), CoverFile);
        EXPECT_TRUE(QFile::exists(db->PostersFolder() + movie->Coverpath()));
    }
    EXPECT_EQ(paths,
              (QStringList{u"Alien- Director's Cut.jpg"_s,
                           u"Alien- Director's Cut1.jpg"_s,
                           u"Alien- Director's Cut12.jpg"_s}));
    EXPECT_EQ(log.last(), u"Poster path: "_s + db->PostersFolder() + paths.last());
    const TImage read = db->Movie(0)->Picture();
    EXPECT_EQ(read.Width(), 60);
    EXPECT_EQ(read.Height(), 90);
}

TEST_F(ImageStoreTest, PosterAlreadyInThePostersFolderIsNotCopied)
{
    const QString inPlace = db->PostersFolder() + u"chosen.jpg"_s;
    WriteImage(inPlace, 30, 40);
    const QByteArray bytes = [&] {
        QFile file(inPlace);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }();
    TMovie *movie = AddMovie(u"Whatever"_s);
    const TImage image = TImage::Load(inPlace);
    movie->SetPicture(&image, TImageFormat::Jpeg, inPlace, CoverFile);
    EXPECT_EQ(movie->Coverpath(), u"chosen.jpg"_s);
    EXPECT_EQ(QDir(db->PostersFolder()).entryList(QDir::Files), QStringList{u"chosen.jpg"_s});
    QFile file(inPlace);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), bytes) << "the chosen file was rewritten";
}

TEST_F(ImageStoreTest, ReplacingAJpegPosterByABitmapChangesTheExtension)
{
    TMovie *movie = AddMovie(u"Film"_s);
    const TImage jpeg = Picture(20, 30);
    movie->SetPicture(&jpeg, TImageFormat::Jpeg, {}, CoverFile);
    ASSERT_EQ(movie->Coverpath(), u"Film.jpg"_s);
    const TImage bmp = Picture(21, 31);
    movie->SetPicture(&bmp, TImageFormat::Bmp, {}, CoverFile);
    EXPECT_EQ(movie->Coverpath(), u"Film.bmp"_s);
    EXPECT_FALSE(QFile::exists(db->PostersFolder() + u"Film.jpg"_s));
    EXPECT_EQ(ImageSize(db->PostersFolder() + u"Film.bmp"_s), QSize(21, 31));
}

TEST_F(ImageStoreTest, PicturesMoveInAndOutOfTheCatalogFile)
{
    TMovie *movie = AddMovie(u"Inside"_s);
    TActor *person = static_cast<TActor *>(db->AddRecord(1, u"Face"_s));
    const TImage image = Picture(40, 60);
    movie->SetPicture(&image, TImageFormat::Jpeg, {}, CoverJpeg);
    person->SetPicture(&image, TImageFormat::Bmp, {}, CoverBmp);
    const QByteArray movieBytes = movie->PictureBytes();
    ASSERT_FALSE(movieBytes.isEmpty());
    TMovie *empty = AddMovie(u"No picture"_s);
    empty->SetCoverformat(CoverNone);

    db->ConvertPictures(true);
    EXPECT_EQ(movie->Coverformat(), CoverFile);
    EXPECT_EQ(movie->Coverpath(), u"Inside.jpg"_s);
    EXPECT_TRUE(movie->PictureBytes().isEmpty());
    EXPECT_EQ(person->Coverpath(), u"Face.bmp"_s);
    EXPECT_TRUE(QFile::exists(db->PhotosFolder() + u"Face.bmp"_s));
    EXPECT_EQ(empty->Coverformat(), CoverFile);
    EXPECT_TRUE(empty->Coverpath().isEmpty()) << "no file name for a picture that is not there";

    db->ConvertPictures(false);
    EXPECT_EQ(movie->Coverformat(), CoverJpeg);
    EXPECT_EQ(movie->PictureBytes(), movieBytes) << "the JPEG went back unchanged";
    EXPECT_TRUE(movie->Coverpath().isEmpty());
    EXPECT_FALSE(QFile::exists(db->PostersFolder() + u"Inside.jpg"_s));
    EXPECT_EQ(person->Coverformat(), CoverBmp);
    EXPECT_EQ(person->Picture().Width(), 40);
}

TEST_F(ImageStoreTest, UnreadablePosterFileStaysWhenMovingInside)
{
    TMovie *movie = AddMovie(u"Broken"_s);
    QDir().mkpath(db->PostersFolder());
    QFile file(db->PostersFolder() + u"Broken.jpg"_s);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a jpeg");
    file.close();
    movie->SetCoverformat(CoverFile);
    movie->SetCoverpath(u"Broken.jpg"_s);
    db->ConvertPictures(false);
    EXPECT_TRUE(QFile::exists(db->PostersFolder() + u"Broken.jpg"_s));
    EXPECT_EQ(movie->Coverpath(), u"Broken.jpg"_s);
}

TEST_F(ImageStoreTest, RemovingAPictureDeletesItsFile)
{
    TMovie *movie = AddMovie(u"Gone"_s);
    const TImage image = Picture(10, 10);
    movie->SetPicture(&image, TImageFormat::Jpeg, {}, CoverFile);
    ASSERT_TRUE(QFile::exists(db->PostersFolder() + u"Gone.jpg"_s));
    movie->SetPicture(nullptr, TImageFormat::None, {}, CoverNone);
    EXPECT_FALSE(QFile::exists(db->PostersFolder() + u"Gone.jpg"_s));
    EXPECT_TRUE(movie->Coverpath().isEmpty());
    EXPECT_TRUE(movie->Picture().IsNull());

    TMovie *other = AddMovie(u"Deleted"_s);
    other->SetPicture(&image, TImageFormat::Jpeg, {}, CoverFile);
    db->DeleteRecord(other);
    EXPECT_FALSE(QFile::exists(db->PostersFolder() + u"Deleted.jpg"_s));
}

TEST_F(ImageStoreTest, ListThumbnailIsMadeOnceFromThePicture)
{
    TMovie *movie = AddMovie(u"Thumb"_s);
    const TImage image = Picture(100, 100);
    movie->SetPicture(&image, TImageFormat::Bmp, {}, CoverBmp);
    const TImage &thumb = movie->Thumbnail();
    EXPECT_EQ(thumb.Width(), 98);
    EXPECT_EQ(thumb.Height(), 98);
    EXPECT_EQ(movie->Thumbnail().Bits(), thumb.Bits()) << "the thumbnail is held";
}

TEST_F(ImageStoreTest, CoversAreCopiedInAndGetThumbnails)
{
    TMovie *movie = AddMovie(u"Covered"_s);
    movie->SetFroncover(Source(u"front.jpg"_s, 1000, 500));
    movie->SetCdcover(Source(u"disc.bmp"_s, 500, 1000));
    EXPECT_EQ(movie->Froncover(), u"front.jpg"_s);
    EXPECT_EQ(movie->FrontCoverPath(), db->CoversFolder() + u"front.jpg"_s);
    EXPECT_TRUE(QFile::exists(db->CoversFolder() + u"disc.bmp"_s));
    EXPECT_EQ(ImageSize(db->ThumbnailsFolder() + u"front.jpg"_s), QSize(318, 159));
    EXPECT_EQ(ImageSize(db->ThumbnailsFolder() + u"disc.jpg"_s), QSize(119, 238));

    // A second file of the same name gets a free one; the replaced cover stays on disk.
    movie->SetFroncover(Source(u"other/front.jpg"_s));
    EXPECT_EQ(movie->Froncover(), u"front1.jpg"_s);
    EXPECT_TRUE(QFile::exists(db->CoversFolder() + u"front.jpg"_s));

    // A missing thumbnail is made on demand.
    QFile::remove(db->ThumbnailsFolder() + u"disc.jpg"_s);
    EXPECT_EQ(movie->CDThumbPath(), db->ThumbnailsFolder() + u"disc.jpg"_s);
    EXPECT_TRUE(QFile::exists(db->ThumbnailsFolder() + u"disc.jpg"_s));

    movie->SetCdcover({});
    EXPECT_FALSE(QFile::exists(db->CoversFolder() + u"disc.bmp"_s));
    EXPECT_TRUE(movie->CDCoverPath().isEmpty());
}

TEST_F(ImageStoreTest, DownloadedCoversAreSavedUnderTheTitle)
{
    TMovie *movie = AddMovie(u"Web: Film"_s);
    db->SetModified(false);
    movie->SaveFrontCover(Picture(50, 70), u".jpg"_s);
    EXPECT_EQ(movie->Froncover(), u"Web- Film_Front.jpg"_s);
    EXPECT_EQ(ImageSize(movie->FrontCoverPath()), QSize(50, 70));
    EXPECT_FALSE(db->Modified());
}

TEST_F(ImageStoreTest, RemovingOneScreenshotKeepsTheOthers)
{
    TMovie *movie = AddMovie(u"Shots"_s);
    movie->SetScreenshots(Source(u"a.jpg"_s) + u"|"_s + Source(u"b.jpg"_s) + u"| "_s
                          + Source(u"c.jpg"_s));
    ASSERT_EQ(movie->Screenshots(), u"a.jpg|b.jpg|c.jpg"_s);
    movie->SetScreenshots(u"a.jpg| |c.jpg"_s);
    EXPECT_EQ(movie->Screenshots(), u"a.jpg|c.jpg"_s);
    EXPECT_TRUE(QFile::exists(db->ScreenshotsFolder() + u"a.jpg"_s));
    EXPECT_FALSE(QFile::exists(db->ScreenshotsFolder() + u"b.jpg"_s));
    EXPECT_TRUE(QFile::exists(db->ScreenshotsFolder() + u"c.jpg"_s));
}

TEST_F(ImageStoreTest, PerMovieSubfoldersThereAndBack)
{
    TMovie *movie = AddMovie(u"Sub: Title"_s);
    movie->SetScreenshots(Source(u"z.jpg"_s) + u"|"_s + Source(u"a.jpg"_s));
    movie->SetFroncover(Source(u"f.jpg"_s));
    TMovie *untitled = AddMovie(QString());
    untitled->SetOrigtitle(u"Original"_s);

    db->SetImageFolders(true);
    EXPECT_EQ(movie->Screenshots(), u"Sub- Title/z.jpg|Sub- Title/a.jpg"_s);
    EXPECT_EQ(movie->Froncover(), u"Sub- Title/f.jpg"_s);
    EXPECT_TRUE(QFile::exists(db->CoversFolder() + u"Sub- Title/f.jpg"_s));

    // With subfolders on, a movie without a title puts its cover in the folder itself...
    untitled->SetFroncover(Source(u"u.jpg"_s));
    EXPECT_EQ(untitled->Froncover(), u"u.jpg"_s);
    // ...but new covers of a titled movie go into its subfolder.
    movie->SetCdcover(Source(u"d.jpg"_s));
    EXPECT_EQ(movie->Cdcover(), u"Sub- Title/d.jpg"_s);

    db->SetImageFolders(false);
    EXPECT_EQ(movie->Screenshots(), u"z.jpg|a.jpg"_s);
    EXPECT_EQ(movie->Froncover(), u"f.jpg"_s);
    EXPECT_EQ(movie->Cdcover(), u"d.jpg"_s);
    EXPECT_FALSE(QFileInfo::exists(db->ScreenshotsFolder() + u"Sub- Title"_s));
    EXPECT_FALSE(QFileInfo::exists(db->CoversFolder() + u"Sub- Title"_s));

    // Switching on moves the untitled movie's cover under its original title.
    db->SetImageFolders(true);
    EXPECT_EQ(untitled->Froncover(), u"Original/u.jpg"_s);
}

TEST_F(ImageStoreTest, MissingFilesDropOutWhenSwitchingFolders)
{
    TMovie *movie = AddMovie(u"M"_s);
    movie->SetScreenshots(Source(u"1.jpg"_s) + u"|"_s + Source(u"2.jpg"_s));
    movie->SetFroncover(Source(u"f.jpg"_s));
    QFile::remove(db->ScreenshotsFolder() + u"1.jpg"_s);
    QFile::remove(db->CoversFolder() + u"f.jpg"_s);
    db->SetImageFolders(true);
    EXPECT_EQ(movie->Screenshots(), u"M/2.jpg"_s);
    EXPECT_TRUE(movie->Froncover().isEmpty());
}

TEST_F(ImageStoreTest, InsidePicturesSurviveSaveAndLoad)
{
    TMovie *movie = AddMovie(u"Kept"_s);
    const TImage image = Picture(33, 44);
    movie->SetPicture(&image, TImageFormat::Jpeg, {}, CoverJpeg);
    const QByteArray bytes = movie->PictureBytes();
    ASSERT_TRUE(db->Save(true).Ok());
    TVideoDatabase again(dir.filePath(u"movies.rkd"_s));
    ASSERT_TRUE(again.Open().ok);
    EXPECT_EQ(again.Movie(0)->PictureBytes(), bytes);
    EXPECT_EQ(again.Movie(0)->Picture().Width(), 33);
}

TEST_F(ImageStoreTest, OldAbsoluteImagePathsAreCopiedIntoTheFolders)
{
    const QString front = Source(u"old-front.jpg"_s);
    const QString shot = Source(u"old-shot.jpg"_s);
    db->SetModified(false);
    db.reset();
    QFile file(dir.filePath(u"movies.rkd"_s));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("<xml>\r\n<reelkeep><version>0.9.4</version>\r\n<movie><title>Old</title>\r\n"
               "<froncover>"
               + front.toUtf8() + "</froncover>\r\n<screenshots>" + shot.toUtf8()
               + "</screenshots>\r\n</movie>\r\n</reelkeep>\r\n");
    file.close();
    db = std::make_unique<TVideoDatabase>(dir.filePath(u"movies.rkd"_s));
    ASSERT_EQ(db->Open().version, 9004);
    const TMovie *movie = db->Movie(0);
    EXPECT_EQ(movie->Froncover(), u"old-front.jpg"_s);
    EXPECT_EQ(movie->Screenshots(), u"old-shot.jpg"_s);
    EXPECT_TRUE(QFile::exists(db->CoversFolder() + u"old-front.jpg"_s));
    EXPECT_TRUE(QFile::exists(front)) << "the original file must survive the upgrade";
    EXPECT_TRUE(QFile::exists(shot));
    EXPECT_EQ(db->PostersFolder(), dir.filePath(u"Posters/"_s));
}

} // namespace
