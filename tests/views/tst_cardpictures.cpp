#include <gtest/gtest.h>

#include <QApplication>
#include <QColor>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "catalog/actor.h"
#include "catalog/image.h"
#include "catalog/movie.h"
#include "catalog/videodatabase.h"
#include "tests/support/droptest.h"
#include "tests/support/widgettest.h"
#include "views/actorframe.h"
#include "views/cardwidgets_p.h"
#include "views/mvframe.h"
#include "views/picview.h"

using namespace Qt::StringLiterals;

namespace {

// A PNG file (transparent or red); with `truncate` only its first bytes, which still
// announce a PNG.
QString Png(const QString &path, int width, int height, bool transparent = false, int truncate = 0)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(transparent ? QColor(Qt::transparent) : QColor(Qt::red));
    EXPECT_TRUE(image.save(path, "PNG"));
    if (truncate > 0) {
        EXPECT_TRUE(QFile::resize(path, truncate));
    }
    return path;
}

// A file of text under a picture's name.
QString NoPicture(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write("no picture") > 0);
    return path;
}

// A stored picture file is a JPEG of this size.
void ExpectJpeg(const QString &path, QSize size)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    const TImage image = TImage::Decode(file.readAll(), TImageFormat::Jpeg);
    EXPECT_EQ(QSize(image.Width(), image.Height()), size) << path.toStdString();
}

struct TPictureHost : ICardHost
{
    void GoToMovieById(const QString &) override {}
    void GoToMovieByTitle(const QString &, bool) override {}
    void GoToPersonByName(const QString &, bool) override {}
    void SetSearchField(TRecordKind, int, const QString &) override {}
    void SortByItem(TRecordKind, int) override {}
    QString SearchFieldCaption(TRecordKind, int) const override { return {}; }
    QString SortColumnCaption(TRecordKind, int) const override { return {}; }
    QString Text(int, const QString &fallback) const override { return fallback; }
    void OpenAddress(const QString &) override {}
    QString AskPictureFile(bool save, const QString &proposed) override
    {
        calls << (save ? u"save:"_s : u"open:"_s) + proposed;
        return save ? saveFile : openFile;
    }
    QString PickFiles(const QString &extensions) override
    {
        calls << u"files:"_s + extensions;
        return pickedFiles;
    }
    void FetchPicture(int kind) override { calls << u"fetch:%1"_s.arg(kind); }
    std::optional<QString> MakeScreenshots(const TScreenRequest &request) override
    {
        requests.push_back(request);
        return screenResult;
    }
    void ShowCardError(const QString &text) override { calls << u"error:"_s + text; }

    QStringList calls;
    QString openFile;
    QString saveFile;
    QString pickedFiles;
    std::vector<TScreenRequest> requests;
    std::optional<QString> screenResult;
};

TCardSettings AllItems()
{
    TCardSettings settings;
    settings.ItemVisible.fill(true);
    settings.PeopleItemVisible.fill(true);
    return settings;
}

class CardPictureTest : public ::testing::Test
{
protected:
    CardPictureTest()
    {
        card.SetHoverDelay(0);
        card.SetHost(&host);
        card.SetSettings(AllItems());
        card.resize(900, 700);
        card.show();
        movie = static_cast<TMovie *>(db.AddRecord(0));
        movie->SetTitle(u"Alien"_s);
    }

    // A picture file of the given size in the screenshots folder (or at an absolute path).
    QString Picture(const QString &name, int width = 40, int height = 30)
    {
        const QString path = QDir::isAbsolutePath(name) ? name : shots + name;
        QDir().mkpath(QFileInfo(path).absolutePath());
        TImage image(width, height);
        EXPECT_TRUE(
            image.Save(path, path.endsWith(u".bmp"_s) ? TImageFormat::Bmp : TImageFormat::Jpeg));
        return path;
    }
    TPicturePanel *Slot(int n) { return card.findChild<TPicturePanel *>(u"Screen%1"_s.arg(n)); }
    bool Shows(const char *name) { return !Child<QWidget>(&card, name)->isHidden(); }
    // Rests the pointer on a picture area until its buttons appear.
    void Hover(const char *area)
    {
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(Child<QWidget>(&card, area), &enter);
        EXPECT_TRUE(SettleHover(&card));
    }

    QTemporaryDir dir;
    TVideoDatabase db{dir.filePath(u"films.rkd"_s)};
    const QString shots = db.ScreenshotsFolder();
    TPictureHost host;
    TmvFrame card;
    TMovie *movie = nullptr;
};

TEST_F(CardPictureTest, ScreenshotsFillTheSlotsFromTheEndAndDropMissingFiles)
{
    Picture(u"a.jpg"_s);
    Picture(u"b.bmp"_s, 20, 10);
    movie->SetScreenshots(u"a.jpg|b.bmp"_s);
    card.ShowMovie(movie, TCardFrame::ModeView);
    EXPECT_EQ(card.SlotPath(1), u"b.bmp"_s);
    EXPECT_EQ(card.SlotPath(2), u"a.jpg"_s);
    EXPECT_EQ(Slot(1)->Image().size(), QSize(20, 10));
    EXPECT_FALSE(Slot(3)->HasImage());
    EXPECT_EQ(movie->Screenshots(), u"a.jpg|b.bmp"_s);
    EXPECT_TRUE(Shows("ScreenPanel"));

    QFile::remove(shots + u"a.jpg"_s);
    card.ShowMovie(movie, TCardFrame::ModeView);
    EXPECT_EQ(card.SlotPath(1), u"b.bmp"_s);
    EXPECT_TRUE(card.SlotPath(2).isEmpty());
    EXPECT_EQ(movie->Screenshots(), u"b.bmp"_s);

    // Four names keep the last three; a file of another kind keeps its place unseen
    // rather than being deleted as a dropped screenshot.
    for (const QString &name : {u"c.jpg"_s, u"d.jpg"_s, u"e.jpg"_s})
        Picture(name);
    QFile png(shots + u"f.png"_s);
    ASSERT_TRUE(png.open(QIODevice::WriteOnly));
    png.write("not a picture we read");
    png.close();
    movie->SetScreenshots(u"c.jpg|d.jpg|e.jpg|f.png"_s);
    card.ShowMovie(movie, TCardFrame::ModeView);
    EXPECT_EQ(movie->Screenshots(), u"d.jpg|e.jpg|f.png"_s);
    EXPECT_FALSE(Slot(1)->HasImage());
    EXPECT_TRUE(QFile::exists(shots + u"f.png"_s));
}

TEST_F(CardPictureTest, HoverButtonsFollowModeAndReadOnly)
{
    Picture(u"a.jpg"_s);
    movie->SetScreenshots(u"a.jpg"_s);
    movie->SetPath(u"/films/alien.avi"_s);
    const TImage poster(30, 40);
    movie->SetPicture(&poster, TImageFormat::None, QString(), 2);

    card.ShowMovie(movie, TCardFrame::ModeEdit);
    Hover("Screen1");
    EXPECT_TRUE(Shows("ScreensFldrBtn1"));
    EXPECT_TRUE(Shows("MakeScreenBtn2"));
    EXPECT_TRUE(Shows("DelScreenBtn1"));
    EXPECT_FALSE(Shows("DelScreenBtn2")); // an empty slot has nothing to remove
    EXPECT_FALSE(Shows("ImgBrowseBtn"));

    card.ShowMovie(movie, TCardFrame::ModeView);
    EXPECT_TRUE(Shows("ScreensFldrBtn1"));
    EXPECT_FALSE(Shows("DelScreenBtn1"));

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(Child<QWidget>(&card, "Screen1"), &leave);
    EXPECT_TRUE(SettleHover(&card));
    EXPECT_FALSE(Shows("ScreensFldrBtn1"));

    card.SetReadOnly(true);
    card.ShowMovie(movie, TCardFrame::ModeView);
    Hover("CoverPanel");
    EXPECT_FALSE(Shows("ImgBrowseBtn"));
    EXPECT_FALSE(Shows("ImgClearBtn"));
    EXPECT_TRUE(Shows("SaveImgBtn"));
    EXPECT_EQ(Child<QWidget>(&card, "SaveImgBtn")->x(), 5);
    Hover("Screen1");
    EXPECT_FALSE(Shows("ScreensFldrBtn1"));
    EXPECT_FALSE(Shows("MakeScreenBtn1"));
}

TEST_F(CardPictureTest, BrowsingAPosterStoresItByTheExternalSetting)
{
    card.ShowMovie(movie, TCardFrame::ModeEdit);
    host.openFile = NoPicture(dir.filePath(u"in/notes.png"_s));
    Child<QToolButton>(&card, "ImgBrowseBtn")->click();
    EXPECT_TRUE(movie->Picture().IsNull()) << "a file that is no picture changes nothing";
    EXPECT_EQ(host.calls.last(), u"error:The picture file %1 cannot be read."_s.arg(host.openFile));

    host.openFile = Picture(dir.filePath(u"in/poster.jpg"_s), 60, 90);
    Child<QToolButton>(&card, "ImgBrowseBtn")->click();
    EXPECT_EQ(movie->Coverformat(), 2);
    EXPECT_FALSE(movie->PictureBytes().isEmpty());
    EXPECT_EQ(Child<TPicturePanel>(&card, "CoverPanel")->Image().size(), QSize(60, 90));

    TCardSettings settings = AllItems();
    settings.ExternalPosters = true;
    card.SetSettings(settings);
    host.openFile = Picture(dir.filePath(u"in/other.bmp"_s), 50, 50);
    Child<QToolButton>(&card, "ImgBrowseBtn")->click();
    EXPECT_EQ(movie->Coverformat(), 3);
    EXPECT_TRUE(movie->PictureBytes().isEmpty());
    EXPECT_TRUE(QFile::exists(movie->PictureFile()));

    // Saving proposes the title with the stored kind and writes the poster's own bytes.
    host.saveFile = dir.filePath(u"out/saved.bmp"_s);
    QDir().mkpath(dir.filePath(u"out"_s));
    Child<QToolButton>(&card, "SaveImgBtn")->click();
    EXPECT_TRUE(host.calls.contains(u"save:Alien.bmp"_s));
    QFile saved(host.saveFile);
    QFile source(movie->PictureFile());
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly) && source.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), source.readAll());

    const QString external = movie->PictureFile();
    Child<QToolButton>(&card, "ImgClearBtn")->click();
    EXPECT_TRUE(movie->Picture().IsNull());
    EXPECT_FALSE(QFile::exists(external));
    EXPECT_FALSE(Child<TPicturePanel>(&card, "CoverPanel")->HasImage());
}

TEST_F(CardPictureTest, BrowseGrabAndRemoveScreenshots)
{
    movie->SetPath(u"/films/alien.avi"_s);
    card.ShowMovie(movie, TCardFrame::ModeEdit);
    host.pickedFiles = Picture(dir.filePath(u"in/shot.jpg"_s));
    Child<QToolButton>(&card, "ScreensFldrBtn2")->click();
    EXPECT_TRUE(host.calls.last().startsWith(u"files:.jpg;.jpeg;.bmp;"_s));
    EXPECT_TRUE(host.calls.last().contains(u";.png"_s));
    // The movie took a copy into its folder and the slot follows the stored name.
    EXPECT_EQ(movie->Screenshots(), u"shot.jpg"_s);
    EXPECT_EQ(card.SlotPath(2), u"shot.jpg"_s);
    EXPECT_TRUE(QFile::exists(shots + u"shot.jpg"_s));

    Picture(u"Alien_scr1_900.bmp"_s);
    host.screenResult = u"shot.jpg|Alien_scr1_900.bmp"_s;
    Child<QToolButton>(&card, "MakeScreenBtn1")->click();
    ASSERT_EQ(host.requests.size(), 1u);
    const TScreenRequest &request = host.requests.front();
    EXPECT_EQ(request.Slot, 1);
    EXPECT_EQ(request.VideoFiles, u"/films/alien.avi"_s);
    EXPECT_EQ(request.Screenshots, u"shot.jpg"_s);
    EXPECT_EQ(request.Title, u"Alien"_s);
    EXPECT_EQ(request.OutputFolder, shots);
    EXPECT_EQ(card.SlotPath(1), u"Alien_scr1_900.bmp"_s);
    EXPECT_EQ(card.SlotPath(2), u"shot.jpg"_s);

    Child<QToolButton>(&card, "DelScreenBtn2")->click();
    EXPECT_EQ(movie->Screenshots(), u"Alien_scr1_900.bmp"_s);
    EXPECT_FALSE(QFile::exists(shots + u"shot.jpg"_s));
}

TEST_F(CardPictureTest, CoversAndTheViewer)
{
    card.ShowMovie(movie, TCardFrame::ModeEdit);
    host.openFile = Picture(dir.filePath(u"in/front.jpg"_s), 64, 48);
    Child<QToolButton>(&card, "OpenFrontBtn")->click();
    EXPECT_FALSE(movie->Froncover().isEmpty());
    EXPECT_TRUE(QFile::exists(movie->FrontCoverPath()));
    EXPECT_EQ(Child<TPicturePanel>(&card, "FrontImg")->Image().size(), QSize(64, 48));

    // A picture larger than the screen opens a viewer as large as the screen.
    const QSize screen = card.screen()->size();
    EXPECT_EQ(TPicView::ViewSize(screen + QSize(500, 300), screen), screen);
    EXPECT_EQ(TPicView::ViewSize(QSize(64, 48), screen), QSize(64, 48));
    QMouseEvent click(QEvent::MouseButtonDblClick,
                      QPointF(5, 5),
                      QPointF(5, 5),
                      Qt::LeftButton,
                      Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(Child<QWidget>(&card, "FrontImg"), &click);
    auto *view = card.findChild<TPicView *>();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->size(), QSize(64, 48));
    view->close();

    Child<QToolButton>(&card, "DelFrontBtn")->click();
    EXPECT_TRUE(movie->Froncover().isEmpty());
    EXPECT_FALSE(Child<TPicturePanel>(&card, "FrontImg")->HasImage());
}

TEST_F(CardPictureTest, PicturesDroppedOnASlotAreStoredThere)
{
    card.ShowMovie(movie, TCardFrame::ModeEdit);
    const auto dropOn = [this](const char *spot, const QString &file, bool drop = true) {
        QWidget *target = Child<QWidget>(&card, spot);
        card.ensureWidgetVisible(target);
        return DragFiles(target, {file}, drop);
    };
    struct TCase
    {
        const char *spot;
        QString file;
        bool taken;
    };
    const TCase cases[] = {
        {"CoverPanel", Picture(dir.filePath(u"in/poster.jpg"_s), 60, 90), true},
        {"FrontImg", Picture(dir.filePath(u"in/front.JPEG"_s)), true},
        {"DiscImg", Picture(dir.filePath(u"in/disc.bmp"_s)), true},
        {"Screen3", Picture(dir.filePath(u"in/shot.jpg"_s)), true},
        // Other pictures are stored as JPEG copies, judged by content, not by name.
        {"CoverPanel", Png(dir.filePath(u"in/poster.png"_s), 70, 100, true), true},
        {"FrontImg", Png(dir.filePath(u"in/front.png"_s), 64, 48), true},
        {"Screen2", Png(dir.filePath(u"in/still.png"_s), 32, 24), true},
        {"Screen1", Png(dir.filePath(u"in/misnamed.jpg"_s), 36, 20), true},
        // A broken PNG is taken by its first bytes and refused when stored.
        {"CoverPanel", Png(dir.filePath(u"in/broken.png"_s), 50, 50, false, 40), true},
        {"CoverPanel", NoPicture(dir.filePath(u"in/notes.png"_s)), false},
        {"ScreensLbl", dir.filePath(u"in/shot.jpg"_s), false},
        {"CoverPanel", dir.filePath(u"in/missing.jpg"_s), false},
        {"CoverPanel", u"https://example.org/poster.jpg"_s, false},
    };
    for (const TCase &c : cases)
        EXPECT_EQ(dropOn(c.spot, c.file), c.taken) << c.spot << " " << c.file.toStdString();
    // Stored once the drop is over, each where its browse button would put it.
    ASSERT_TRUE(QTest::qWaitFor([this] { return !host.calls.isEmpty(); }));
    EXPECT_EQ(host.calls,
              QStringList{u"error:The picture file %1 cannot be read."_s.arg(
                  dir.filePath(u"in/broken.png"_s))})
        << "no dialog was asked";
    EXPECT_EQ(movie->Coverformat(), 2);
    EXPECT_TRUE(movie->PictureBytes().startsWith("\xFF\xD8"));
    const TImage stored = movie->Picture();
    ASSERT_EQ(QSize(stored.Width(), stored.Height()), QSize(70, 100));
    EXPECT_GE(stored.Bits()[0], 250) << "transparency shows white";
    EXPECT_TRUE(movie->FrontCoverPath().endsWith(u"/front.jpg"_s));
    ExpectJpeg(movie->FrontCoverPath(), QSize(64, 48));
    EXPECT_TRUE(QFile::exists(movie->CDCoverPath()));
    EXPECT_EQ(movie->Screenshots(), u"shot.jpg|still.jpg|misnamed.jpg"_s);
    ExpectJpeg(shots + u"still.jpg"_s, QSize(32, 24));
    ExpectJpeg(shots + u"misnamed.jpg"_s, QSize(36, 20));

    // A move would let the file manager delete the file; a read-only card or one without a
    // movie takes nothing.
    const QString poster = dir.filePath(u"in/poster.jpg"_s);
    EXPECT_FALSE(DragFiles(Child<QWidget>(&card, "CoverPanel"), {poster}, false, Qt::MoveAction));
    card.SetReadOnly(true);
    EXPECT_FALSE(dropOn("CoverPanel", poster, false));
    card.SetReadOnly(false);
    card.ShowMovie(nullptr, TCardFrame::ModeView);
    EXPECT_FALSE(dropOn("CoverPanel", poster, false));
}

TEST(CardPictureNoFolder, ACatalogWithoutAFileRefusesCopiesItWouldKeepByPath)
{
    QTemporaryDir dir;
    TVideoDatabase db{QString()};
    TPictureHost host;
    TmvFrame card;
    card.SetHost(&host);
    card.SetSettings(AllItems());
    card.show();
    auto *movie = static_cast<TMovie *>(db.AddRecord(0));
    card.ShowMovie(movie, TCardFrame::ModeEdit);
    const QString png = Png(dir.filePath(u"front.png"_s), 20, 20);
    const QString refused =
        u"error:%1 is kept as a JPEG copy beside the catalog: save the catalog first."_s.arg(png);
    host.openFile = png;
    Child<QToolButton>(&card, "OpenFrontBtn")->click();
    EXPECT_TRUE(movie->Froncover().isEmpty());
    host.pickedFiles = png;
    Child<QToolButton>(&card, "ScreensFldrBtn1")->click();
    EXPECT_TRUE(movie->Screenshots().isEmpty());
    EXPECT_EQ(host.calls.filter(u"error:"_s), QStringList({refused, refused}));
    // The poster is held inside the catalog: no path is kept.
    Child<QToolButton>(&card, "ImgBrowseBtn")->click();
    EXPECT_EQ(movie->Picture().Width(), 20);
}

TEST(PersonCardPicture, PhotoButtonsBrowseAndClear)
{
    QTemporaryDir dir;
    TVideoDatabase db{dir.filePath(u"people.rkd"_s)};
    TPictureHost host;
    TActorFrame card;
    card.SetHoverDelay(0);
    card.SetHost(&host);
    card.SetSettings(AllItems());
    card.resize(800, 600);
    card.show();
    auto *person = static_cast<TActor *>(db.AddRecord(1, u"Sigourney Weaver"_s));
    card.ShowPerson(person, TCardFrame::ModeEdit);
    host.openFile = Png(dir.filePath(u"photo.png"_s), 20, 30);
    Child<QToolButton>(&card, "ImgBrowseBtn")->click();
    EXPECT_EQ(person->Coverformat(), 2);
    EXPECT_EQ(person->Picture().Width(), 20);
    EXPECT_TRUE(person->PictureBytes().startsWith("\xFF\xD8"));
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(Child<QWidget>(&card, "PhotoPanel"), &enter);
    EXPECT_TRUE(SettleHover(&card));
    EXPECT_FALSE(Child<QWidget>(&card, "ImgClearBtn")->isHidden());
    Child<QToolButton>(&card, "ImgClearBtn")->click();
    EXPECT_TRUE(person->Picture().IsNull());
}

} // namespace
