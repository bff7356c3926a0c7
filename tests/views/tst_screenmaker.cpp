#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QListWidget>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include "catalog/bmpcodec.h"
#include "catalog/image.h"
#include "catalog/jpegcodec.h"
#include "media/videoplayer.h"
#include "tests/support/mediagen.h"
#include "tests/support/widgettest.h"
#include "views/screenmaker.h"

using namespace Qt::StringLiterals;

namespace {

// Within the error of YUV 4:2:0 and MPEG-4 quantisation.
bool Near(const QColor &actual, const QColor &expected)
{
    return std::abs(actual.red() - expected.red()) < 48
           && std::abs(actual.green() - expected.green()) < 48
           && std::abs(actual.blue() - expected.blue()) < 48;
}

QColor Middle(const QImage &image)
{
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

QColor Middle(const TImage &image)
{
    const uchar *p =
        image.Bits() + (image.Height() / 2) * image.BytesPerLine() + (image.Width() / 2) * 3;
    return QColor(p[0], p[1], p[2]);
}

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class ScreenMakerTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        videoDir = new QTemporaryDir;
        ASSERT_EQ(MakeTestVideo(videoDir->filePath(u"clip.mkv"_s)), QString());
    }
    static void TearDownTestSuite()
    {
        delete videoDir;
        videoDir = nullptr;
    }

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        shots = dir.path() + u"/Screenshots/"_s;
        ASSERT_TRUE(QDir().mkpath(shots));
        maker.SetErrorReporter([this](const QString &, const QString &text) { errors << text; });
        maker.SetTitle(u"My Movie"_s);
        maker.SetOutputFolder(shots);
        // The choice outlives a window; every test starts from the default.
        maker.SetGrabFormat(TImageFormat::Jpeg);
    }

    static QString Video() { return videoDir->filePath(u"clip.mkv"_s); }

    // Drags the track bar to `ms` and waits for the picture to follow.
    void SeekTo(int ms)
    {
        Child<QSlider>(&maker, "TrackBar")->setValue(ms);
        ASSERT_TRUE(QTest::qWaitFor([&] { return maker.Player()->Position() == ms; }, 5000));
    }

    bool IsRed(int slot)
    {
        const auto *shape = maker.findChild<QFrame *>(u"Shape%1"_s.arg(slot));
        return shape->palette().color(QPalette::WindowText) == QColor(255, 0, 0);
    }

    static inline QTemporaryDir *videoDir = nullptr;
    QTemporaryDir dir;
    QString shots;
    QStringList errors;
    TScreenMaker maker{dir.path() + u"/Screenshots/"_s};
};

TEST_F(ScreenMakerTest, OpensTheFirstExistingFileAndGrabsTheFrameAtTheSeekPosition)
{
    maker.SetVideoFiles(u" /nowhere/cd1.avi | "_s + Video() + u"|"_s);
    ASSERT_EQ(maker.VideoFiles().size(), 2);
    EXPECT_EQ(maker.CurrentFileIndex(), 1);
    auto *list = Child<QListWidget>(&maker, "FileList");
    EXPECT_EQ(list->item(0)->text(), u"cd1"_s);
    EXPECT_EQ(list->item(1)->foreground().color(), QColor(255, 0, 0));
    EXPECT_NE(list->item(0)->foreground().color(), QColor(255, 0, 0));

    // Paused on the first frame, the track bar spanning the whole video.
    EXPECT_FALSE(maker.IsPlaying());
    EXPECT_NEAR(double(maker.Player()->Duration()), 4000.0, 100.0);
    EXPECT_EQ(Child<QSlider>(&maker, "TrackBar")->maximum(), maker.Player()->Duration());
    const QImage first = maker.Player()->CurrentFrame();
    ASSERT_EQ(first.size(), QSize(160, 120));
    EXPECT_TRUE(Near(Middle(first), TestVideoColor(0)));

    maker.SelectSlot(1);
    EXPECT_TRUE(IsRed(1));
    SeekTo(2500);
    maker.Grab();
    EXPECT_EQ(maker.GrabPosition(1), 2500);
    EXPECT_TRUE(Near(Middle(maker.SlotImage(1)), TestVideoColor(2)));
    EXPECT_EQ(maker.SelectedSlot(), 2);
    EXPECT_FALSE(IsRed(1));
    EXPECT_TRUE(IsRed(2));

    // Seeking backwards lands on the earlier second again.
    SeekTo(1200);
    EXPECT_TRUE(Near(Middle(maker.Player()->CurrentFrame()), TestVideoColor(1)));
}

TEST_F(ScreenMakerTest, PlaysToTheEndAndStartsAgainFromTheBeginning)
{
    maker.SetVideoFiles(Video());
    SeekTo(3600);
    maker.PlayPause();
    EXPECT_TRUE(maker.IsPlaying());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !maker.IsPlaying(); }, 3000));
    EXPECT_GT(maker.Player()->Position(), 3900);
    EXPECT_TRUE(Near(Middle(maker.Player()->CurrentFrame()), TestVideoColor(3)));

    maker.PlayPause();
    EXPECT_TRUE(maker.IsPlaying());
    EXPECT_LT(maker.Player()->Position(), 200);
    ASSERT_TRUE(QTest::qWaitFor([&] { return maker.Player()->Position() > 0; }, 3000));
    maker.PlayPause();
    EXPECT_FALSE(maker.IsPlaying());
    const qint64 paused = maker.Player()->Position();
    EXPECT_GT(paused, 0);
    QTest::qWait(100);
    EXPECT_EQ(maker.Player()->Position(), paused);
}

TEST_F(ScreenMakerTest, SelectionMovesOnToSlotsNeverGrabbed)
{
    maker.SetVideoFiles(Video());
    maker.Grab(); // no slot selected: nothing happens
    EXPECT_TRUE(maker.SlotImage(1).isNull());

    maker.SelectSlot(1);
    maker.SelectSlot(4);
    maker.SelectSlot(0);
    EXPECT_EQ(maker.SelectedSlot(), 1);
    maker.Grab();
    EXPECT_EQ(maker.SelectedSlot(), 2);
    maker.Grab();
    EXPECT_EQ(maker.SelectedSlot(), 3);
    maker.Grab();
    EXPECT_EQ(maker.SelectedSlot(), 3); // slot 1 holds a grab already

    TScreenMaker other(shots);
    other.SetVideoFiles(Video());
    other.SelectSlot(3);
    other.Grab();
    EXPECT_EQ(other.SelectedSlot(), 1);
}

TEST_F(ScreenMakerTest, OkWritesNewGrabsAsJpegOrChosenBitmapsNamedAfterTitleSlotAndPosition)
{
    maker.SetOutputFolder(shots + u"My Movie/"_s); // created on OK
    maker.SetVideoFiles(Video());
    maker.SelectSlot(2);
    SeekTo(900);
    maker.Grab();
    maker.accept();
    EXPECT_EQ(maker.result(), QDialog::Accepted);
    EXPECT_TRUE(errors.isEmpty());

    const QString file = shots + u"My Movie/My Movie_scr2_900.jpg"_s;
    EXPECT_EQ(maker.SlotPath(2), file);
    EXPECT_EQ(maker.Result(), u"My Movie/My Movie_scr2_900.jpg"_s);
    const TImage written = ReadJpeg(ReadAll(file));
    ASSERT_EQ(written.Width(), 160);
    ASSERT_EQ(written.Height(), 120);
    EXPECT_TRUE(Near(Middle(written), TestVideoColor(0)));
    EXPECT_LT(QFileInfo(file).size(), 160 * 120 * 3 / 4) << "a compressed frame";
    EXPECT_FALSE(maker.Player()->IsOpen());

    // Bitmaps when the user ticks them; the next window of the session keeps the choice.
    TScreenMaker bitmaps(shots);
    bitmaps.SetTitle(u"My Movie"_s);
    bitmaps.SetOutputFolder(shots);
    Child<QCheckBox>(&bitmaps, "BitmapCheck")->click();
    bitmaps.SetVideoFiles(Video());
    bitmaps.SelectSlot(1);
    bitmaps.Grab();
    bitmaps.accept();
    EXPECT_EQ(bitmaps.Result(), u"My Movie_scr1_0.bmp"_s);
    EXPECT_EQ(ReadBmp(ReadAll(shots + u"My Movie_scr1_0.bmp"_s)).Width(), 160);
    EXPECT_EQ(TScreenMaker(shots).GrabFormat(), TImageFormat::Bmp);
}

TEST_F(ScreenMakerTest, ExistingScreenshotsShowLastFirstAndAreOverwrittenInTheirOwnFormat)
{
    TImage grey(32, 24);
    std::fill(grey.Bits(), grey.Bits() + grey.BytesPerLine() * 24, uchar(128));
    ASSERT_TRUE(grey.Save(shots + u"a.jpg"_s, TImageFormat::Jpeg));
    ASSERT_TRUE(grey.Save(shots + u"b.bmp"_s, TImageFormat::Bmp));
    const QByteArray jpegBefore = ReadAll(shots + u"a.jpg"_s);

    maker.SetVideoFiles(Video());
    maker.SetScreenshots(u"a.jpg|b.bmp"_s);
    EXPECT_EQ(maker.SlotPath(1), shots + u"b.bmp"_s);
    EXPECT_EQ(maker.SlotPath(2), shots + u"a.jpg"_s);
    EXPECT_EQ(maker.SlotImage(2).size(), QSize(32, 24));
    EXPECT_EQ(maker.GrabPosition(1), -1);
    EXPECT_EQ(maker.Result(), u"a.jpg|b.bmp"_s);

    // Re-grab the bitmap slot; the JPEG stays as it was.
    maker.SelectSlot(1);
    SeekTo(2100);
    maker.Grab();
    maker.accept();
    EXPECT_EQ(maker.result(), QDialog::Accepted);
    EXPECT_EQ(maker.Result(), u"a.jpg|b.bmp"_s);
    EXPECT_EQ(QDir(shots).entryList(QDir::Files).size(), 2);
    EXPECT_EQ(ReadAll(shots + u"a.jpg"_s), jpegBefore);
    EXPECT_TRUE(Near(Middle(ReadBmp(ReadAll(shots + u"b.bmp"_s))), TestVideoColor(2)));

    // A grab into a ".jpg" file is written as a JPEG, so it still reads by its name.
    TScreenMaker again(shots);
    again.SetVideoFiles(Video());
    again.SetScreenshots(u"a.jpg|b.bmp"_s);
    again.SelectSlot(2);
    again.Grab();
    again.accept();
    const TImage jpeg = ReadJpeg(ReadAll(shots + u"a.jpg"_s));
    ASSERT_EQ(jpeg.Width(), 160);
    EXPECT_TRUE(Near(Middle(jpeg), TestVideoColor(0)));
}

TEST_F(ScreenMakerTest, ScreenshotListsKeepWhatCannotBeShown)
{
    QFile(shots + u"c.png"_s).open(QIODevice::WriteOnly);
    for (const char *name : {"d.bmp", "e.bmp", "f.bmp"})
        ASSERT_TRUE(TImage(4, 4).Save(shots + QLatin1StringView(name), TImageFormat::Bmp));

    // Of a longer list the last three stay, as the movie card keeps them.
    maker.SetScreenshots(u"c.png|d.bmp|e.bmp|f.bmp"_s);
    EXPECT_EQ(maker.Result(), u"d.bmp|e.bmp|f.bmp"_s);

    // Another format keeps its place; a missing file leaves its slot empty.
    maker.SetScreenshots(u"c.png|gone.bmp|d.bmp"_s);
    EXPECT_EQ(maker.SlotPath(1), shots + u"d.bmp"_s);
    EXPECT_TRUE(maker.SlotPath(2).isEmpty());
    EXPECT_EQ(maker.SlotPath(3), shots + u"c.png"_s);
    EXPECT_TRUE(maker.SlotImage(3).isNull());
    EXPECT_EQ(maker.Result(), u"c.png|d.bmp"_s);

    // A grab over it becomes a bitmap of its own; the old file is left alone.
    maker.SetVideoFiles(Video());
    maker.SelectSlot(3);
    maker.Grab();
    maker.accept();
    EXPECT_EQ(maker.Result(), u"My Movie_scr3_0.jpg|d.bmp"_s);
    EXPECT_EQ(QFileInfo(shots + u"c.png"_s).size(), 0);
}

TEST_F(ScreenMakerTest, CancelWritesNothingAndANameInUseIsNotOverwritten)
{
    maker.SetVideoFiles(Video());
    maker.SelectSlot(1);
    maker.Grab();
    maker.reject();
    EXPECT_TRUE(QDir(shots).entryList(QDir::Files).isEmpty());
    EXPECT_FALSE(maker.Player()->IsOpen());

    // Another movie of the same title grabbed at the same place before.
    ASSERT_TRUE(TImage(4, 4).Save(shots + u"My Movie_scr1_0.jpg"_s, TImageFormat::Jpeg));
    const QByteArray before = ReadAll(shots + u"My Movie_scr1_0.jpg"_s);
    TScreenMaker second(shots);
    second.SetTitle(u"My Movie"_s);
    second.SetOutputFolder(shots);
    second.SetVideoFiles(Video());
    second.SelectSlot(1);
    second.Grab();
    second.accept();
    EXPECT_EQ(ReadAll(shots + u"My Movie_scr1_0.jpg"_s), before);
    EXPECT_EQ(second.Result(), u"My Movie_scr1_0_1.jpg"_s);
}

TEST_F(ScreenMakerTest, AWriteErrorIsReportedAndKeepsTheWindowOpen)
{
    QFile blocker(dir.filePath(u"blocker"_s));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    maker.SetOutputFolder(blocker.fileName() + u"/sub/"_s);
    maker.SetVideoFiles(Video());
    maker.SelectSlot(1);
    maker.Grab();
    maker.setResult(-1);
    maker.accept();
    EXPECT_EQ(maker.result(), -1);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains(u"My Movie_scr1_0.jpg"_s));

    maker.SetOutputFolder(shots);
    maker.accept();
    EXPECT_EQ(maker.result(), QDialog::Accepted);
    EXPECT_TRUE(QFile::exists(shots + u"My Movie_scr1_0.jpg"_s));
}

TEST_F(ScreenMakerTest, BrokenAndTruncatedFilesDoNotCrash)
{
    QFile broken(dir.filePath(u"broken.avi"_s));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write(QByteArray("RIFF\x10\0\0\0AVI LIST", 16) + QByteArray(4000, '\x7f'));
    broken.close();
    maker.SetVideoFiles(broken.fileName());
    EXPECT_EQ(maker.CurrentFileIndex(), 0);
    EXPECT_FALSE(maker.Player()->IsOpen());
    EXPECT_FALSE(maker.Player()->ErrorText().isEmpty());
    maker.PlayPause();
    EXPECT_FALSE(maker.IsPlaying());
    maker.SelectSlot(1);
    maker.Grab();
    EXPECT_TRUE(maker.SlotImage(1).isNull());
    EXPECT_EQ(maker.SelectedSlot(), 1);

    // The first part of a real file: plays and seeks as far as it goes.
    const QByteArray whole = ReadAll(Video());
    QFile cut(dir.filePath(u"cut.mkv"_s));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(whole.left(whole.size() / 2));
    cut.close();
    TVideoPlayer player;
    ASSERT_TRUE(player.Open(cut.fileName()));
    player.Seek(3500);
    player.Seek(500);
    EXPECT_TRUE(Near(Middle(player.CurrentFrame()), TestVideoColor(0)));
    player.Play();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !player.IsPlaying(); }, 5000));
}

} // namespace
