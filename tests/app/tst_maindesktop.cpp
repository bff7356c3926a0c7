// Opening things the desktop way: files dragged onto the window and the start folders and
// kind of the catalog dialogs.
#include <gtest/gtest.h>

#include <QFileDialog>
#include <QLineEdit>

#include "tests/support/droptest.h"
#include "tests/support/mainfixture.h"
#include "tests/support/mediagen.h"
#include "tests/support/widgettest.h"

namespace {

class DesktopTest : public CardWindowFixture
{
protected:
    void SetUp() override
    {
        CardWindowFixture::SetUp();
        idleEvents = true;
    }
    QString Catalog(const QString &name, const QString &title)
    {
        const QString file = root.filePath(name);
        TVideoDatabase db(file);
        EXPECT_TRUE(db.Open().ok);
        static_cast<TMovie *>(db.AddRecord(0))->SetTitle(title);
        db.SetModified(true);
        EXPECT_TRUE(db.Save(false).Ok());
        return file;
    }
    QWidget *Poster() const { return Child<QWidget>(MovieCard(), "CoverPanel"); }
};

TEST_F(DesktopTest, DropsTakeCatalogsAnywhereAndMediaFilesOnlyOnTheMovieCard)
{
    Start({{u"Alien"_s, u"Horror"_s, 1979}});
    Focus(MovieTitled(u"Alien"_s));
    const QString other = Catalog(u"other.rkd"_s, u"Brazil"_s);
    const QString film = SmallFile(u"film.avi"_s);
    const QString notes = SmallFile(u"notes.txt"_s);
    QDir(root.path()).mkpath(u"folder.rkd"_s);

    struct TCase
    {
        bool onCard;
        QStringList files;
        bool taken;
    };
    const TCase cases[] = {
        {false, {other}, true},
        {false, {root.filePath(u"OTHER.RKD"_s)}, false}, // missing
        {false, {root.filePath(u"folder.rkd"_s)}, false},
        {false, {u"https://example.org/other.rkd"_s}, false},
        {false, {window->Database()->FileName()}, false}, // already open
        {false, {film}, false},
        {false, {notes}, false},
        {true, {other}, true},
        {true, {notes, film}, true},
        {true, {notes}, false},
    };
    for (const TCase &c : cases) {
        QWidget *target = c.onCard ? Poster() : static_cast<QWidget *>(Movies()->viewport());
        EXPECT_EQ(DragFiles(target, c.files, false), c.taken)
            << c.onCard << " " << c.files.join(u' ').toStdString();
    }
    EXPECT_EQ(window->Database()->MovieCount(), 1) << "nothing happens before a drop";
}

TEST_F(DesktopTest, ADroppedCatalogOpensAfterTheOpenOneIsSaved)
{
    Start({{u"Alien"_s, u"Horror"_s, 1979}});
    const QString first = window->Database()->FileName();
    MovieTitled(u"Alien"_s)->SetYear(1986);
    window->Database()->SetModified(true);
    const QString other = Catalog(u"other.rkd"_s, u"Brazil"_s);
    const QString third = Catalog(u"third.rkd"_s, u"Casablanca"_s);

    // Of several files the first catalog opens.
    ASSERT_TRUE(DragFiles(Movies()->viewport(), {SmallFile(u"notes.txt"_s), other, third}, true));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->Database()->FileName() == other; }));
    EXPECT_EQ(TopRows(), QStringList{u"Brazil"_s});
    TVideoDatabase reread(first);
    ASSERT_TRUE(reread.Open().ok);
    EXPECT_EQ(reread.Movie(0)->Year(), 1986);

    // A foreign catalog is offered for import as on the command line (here no plug-in
    // reads it, which the user is told).
    ASSERT_TRUE(DragFiles(Movies()->viewport(), {SmallFile(u"old.amc"_s)}, true));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialogs->errors.isEmpty(); }));
    EXPECT_TRUE(dialogs->errors.constLast().contains(u"old.amc"_s));
}

TEST_F(DesktopTest, MediaFilesDroppedOnTheCardJoinTheMoviesFiles)
{
    Start({{u"Alien"_s, u"Horror"_s, 1979}});
    TMovie *alien = MovieTitled(u"Alien"_s);
    Focus(alien);
    const QString film = root.filePath(u"film.avi"_s);
    TTestVideo video;
    video.Seconds = 1;
    ASSERT_EQ(MakeTestVideo(film, video), QString());
    const QString second = SmallFile(u"second.MKV"_s);

    ASSERT_TRUE(DragFiles(Poster(), {film}, true));
    ASSERT_TRUE(QTest::qWaitFor([&] { return alien->Path() == film; }));
    // Read as the browse button reads them.
    EXPECT_EQ(alien->Resolution(), u"160x120"_s);
    ASSERT_TRUE(DragFiles(Poster(), {second, SmallFile(u"notes.txt"_s)}, true));
    ASSERT_TRUE(QTest::qWaitFor([&] { return alien->Path() == film + u'|' + second; }));
    EXPECT_EQ(Child<QLineEdit>(MovieCard(), "FileEdit")->text(), alien->Path());

    // A read-only catalog takes no files.
    const QString locked = Catalog(u"locked.rkd"_s, u"Brazil"_s);
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ReadUser);
    ASSERT_TRUE(DragFiles(Movies()->viewport(), {locked}, true));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->ReadOnly(); }));
    Focus(MovieTitled(u"Brazil"_s));
    EXPECT_FALSE(DragFiles(Poster(), {film}, false));
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner);
}

TEST_F(DesktopTest, CatalogDialogsStartInTheDataFolderUntilOneIsRemembered)
{
    arguments.clear(); // the data folder of a normal start: ~/Documents/Reelkeep
    Start({{u"Alien"_s, u"Horror"_s, 1979}});
    const QString data = window->Folders().DataFolder;
    EXPECT_EQ(data, root.filePath(u"home/Documents/Reelkeep/"_s));
    Trigger("OpenDBAct");
    ASSERT_EQ(dialogs->openFolders.size(), 1);
    EXPECT_EQ(dialogs->openFolders.constLast(), data);
    EXPECT_TRUE(QFileInfo(data).isDir()) << "made for the dialog";
    EXPECT_TRUE(window->InitialFolder(1).isEmpty()) << "media files seldom live there";

    dialogs->openAnswers.push_back(Catalog(u"other.rkd"_s, u"Brazil"_s));
    Trigger("OpenDBAct");
    Trigger("OpenDBAct");
    EXPECT_EQ(dialogs->openFolders.constLast(), root.path());
}

TEST(QtMainDialogs, CatalogDialogsAreThePlatformsOwnAndStartInTheFolderGiven)
{
    QTemporaryDir dir;
    TQtMainDialogs dialogs;
    const QString filter = u"Reelkeep Files (*.rkd)"_s;
    for (const bool save : {false, true}) {
        QString folder;
        bool nativeAllowed = false;
        WhenModal([&](QWidget *modal) {
            auto *dialog = qobject_cast<QFileDialog *>(modal);
            ASSERT_NE(dialog, nullptr);
            folder = dialog->directory().absolutePath();
            nativeAllowed = !dialog->testOption(QFileDialog::DontUseNativeDialog);
            dialog->reject();
        });
        const std::optional<QString> answer =
            save ? dialogs.AskSaveFile(nullptr, u"Save"_s, dir.path(), filter, u"rkd"_s)
                 : dialogs.AskOpenFile(nullptr, u"Open"_s, dir.path(), filter);
        EXPECT_FALSE(answer.has_value());
        EXPECT_EQ(folder, dir.path()) << save;
        EXPECT_TRUE(nativeAllowed) << save;
    }
}

} // namespace
