// Undo and redo in the window: each kind of step brings the catalog and the list back to
// what they were, field for field, and forward again.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QToolButton>
#include <QUndoView>

#include "app/maindialogs.h"
#include "cli/commands.h"
#include "catalog/actor.h"
#include "catalog/episode.h"
#include "catalog/image.h"
#include "tests/support/mainfixture.h"
#include "tests/support/widgettest.h"

namespace {

// One line per record, so that a failure names the field that differs.
QStringList Dump(const TVideoDatabase &db)
{
    const auto md5 = [](const QByteArray &bytes) {
        return QString::fromLatin1(
            QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
    };
    // Each record with the picture it holds inside the catalog, by content.
    const auto record = [&](const TDBItem &item, const QJsonObject &json) {
        return QString::fromUtf8(QJsonDocument(json).toJson()) + md5(item.PictureBytes());
    };
    QStringList lines;
    for (int i = 0; i < db.MovieCount(); ++i)
        lines.append(record(*db.Movie(i), RecordToJson(*db.Movie(i))));
    for (int i = 0; i < db.PersonCount(); ++i)
        lines.append(record(*db.Person(i), RecordToJson(*db.Person(i))));
    // The picture files beside the catalog, by content.
    for (const TImageFolder folder : {TImageFolder::Posters,
                                      TImageFolder::Photos,
                                      TImageFolder::Covers,
                                      TImageFolder::Screenshots}) {
        const QString base = db.ImageFolder(folder);
        QDirIterator files(base, QDir::Files, QDirIterator::Subdirectories);
        QStringList found;
        while (files.hasNext()) {
            QFile file(files.next());
            (void)file.open(QIODevice::ReadOnly);
            found.append(file.fileName().mid(base.size()) + u' ' + md5(file.readAll()));
        }
        found.sort();
        lines.append(found);
    }
    return lines;
}

// A small JPEG of one shade, as a user's picture file.
QString PictureFile(const QTemporaryDir &root, const QString &name, uchar shade)
{
    TImage image(16, 12);
    std::fill_n(image.Bits(), image.BytesPerLine() * image.Height(), shade);
    const QString path = root.filePath(name);
    EXPECT_TRUE(image.Save(path, TImageFormat::Jpeg));
    return path;
}

class UndoTest : public MainWindowFixture
{
public:
    using MainWindowFixture::Movies;
    using MainWindowFixture::MovieTitled;
    using MainWindowFixture::Trigger;
    TMain &Window() { return *window; }
    TFakeDialogs &Dialogs() { return *dialogs; }
    TTestCard &Card() { return movieCard; }
    // Lets the focus delay run out.
    void Settle()
    {
        Movies()->FlushFocus();
        window->People().List()->FlushFocus();
    }
    void Focus(TDBItem *record)
    {
        ASSERT_TRUE(window->SelectRecord(record));
        Settle();
    }
    // Edits the focused movie's title on the card.
    void EditTitle(const QString &title)
    {
        Trigger("EditVidAct");
        movieCard.pendingTitle = title;
        Trigger("ApplyVidAct");
    }
    // Clicks a picture button of a card (hidden until hovered, but working).
    void Click(const char *button, const char *card = "MovieCard")
    {
        auto *frame = window->findChild<QWidget *>(QString::fromLatin1(card));
        ASSERT_TRUE(frame) << card;
        auto *found = frame->findChild<QToolButton *>(QString::fromLatin1(button));
        ASSERT_TRUE(found) << button;
        found->click();
    }
    QString Green() { return PictureFile(root, u"green.jpg"_s, 200); }

protected:
    // Alien holds its poster inside the catalog and has a front cover and a screenshot;
    // Heat's poster is a file; Ann has a photo.
    void StartPictures(bool externalPosters)
    {
        settings.WriteBool(u"Misc"_s, u"ExternalPosters"_s, externalPosters);
        realCards = true;
        const QString red = PictureFile(root, u"red.jpg"_s, 40);
        const QString blue = PictureFile(root, u"blue.jpg"_s, 120);
        prepare = [red, blue](TVideoDatabase &db) {
            const TImage poster = TImage::Load(red);
            // Numbering moves the movies in the catalog's order: taken first, then changed.
            QList<TMovie *> movies;
            for (int i = 0; i < db.MovieCount(); ++i)
                movies.append(db.Movie(i));
            for (int i = 0; i < movies.size(); ++i) {
                TMovie *movie = movies[i];
                movie->SetNum(i + 1);
                const bool alien = movie->Title() == u"Alien"_s;
                movie->SetPicture(&poster, TImageFormat::Jpeg, {}, alien ? CoverJpeg : CoverFile);
                if (alien) {
                    movie->SetFroncover(red);
                    movie->SetScreenshots(blue);
                }
            }
            db.Person(0)->SetPicture(&poster, TImageFormat::Jpeg, {}, CoverJpeg);
        };
        Start({{u"Alien"_s, u"Horror"_s, 1979}, {u"Heat"_s, u"Crime"_s, 1995}}, {u"Ann"_s});
    }
    void StartSample()
    {
        // New records take the next ID and so the last row.
        settings.WriteBool(u"Misc"_s, u"DoAutoID"_s, true);
        settings.WriteInteger(u"Misc"_s, u"AutoIndexMode"_s, 1);
        prepare = [](TVideoDatabase &db) {
            auto *series = static_cast<TMovie *>(db.AddRecord(0));
            series->SetTitle(u"Dekalog"_s);
            series->SetNum(7);
            series->AddEpisode()->SetTitle(u"One"_s);
            series->AddEpisode()->SetTitle(u"Two"_s);
            // Distinct IDs: movies with the same ID keep no particular order.
            QList<TMovie *> unnumbered;
            for (int i = 0; i < db.MovieCount(); ++i) {
                if (db.Movie(i)->Num() < 0)
                    unnumbered.append(db.Movie(i));
            }
            for (TMovie *movie : unnumbered)
                movie->SetNum(movie->Title() == u"Alien"_s ? 1 : 2);
        };
        Start({{u"Alien"_s, u"Horror"_s, 1979}, {u"Heat"_s, u"Crime"_s, 1995}}, {u"Ann"_s});
    }
    struct TState
    {
        QStringList catalog;
        QStringList rows;
    };
    TState State() const { return {Dump(*window->Database()), TopRows()}; }
    void ExpectState(const TState &expected, const char *when) const
    {
        const TState now = State();
        EXPECT_EQ(now.catalog.join(u'\n').toStdString(), expected.catalog.join(u'\n').toStdString())
            << when;
        EXPECT_EQ(now.rows, expected.rows) << when;
    }
    // Undo brings `before` back, redo `after`.
    void ExpectRoundTrip(const TState &before, const TState &after)
    {
        Trigger("UndoAct");
        ExpectState(before, "undone");
        Trigger("RedoAct");
        ExpectState(after, "redone");
    }
};

struct TStepCase
{
    const char *name;
    // The steps the command leaves (New and Duplicate: one more for the title typed after).
    int steps;
    void (*act)(UndoTest &test);
};

class UndoStepTest : public UndoTest, public ::testing::WithParamInterface<TStepCase>
{};

TEST_P(UndoStepTest, UndoAndRedoRestoreCatalogAndRows)
{
    StartSample();
    const TState before = State();
    GetParam().act(*this);
    const TState after = State();
    ASSERT_NE(after.catalog, before.catalog);
    for (int i = 0; i < GetParam().steps; ++i)
        Trigger("UndoAct");
    ExpectState(before, "undone");
    EXPECT_FALSE(window->Action(u"UndoAct"_s)->isEnabled());
    for (int i = 0; i < GetParam().steps; ++i)
        Trigger("RedoAct");
    ExpectState(after, "redone");
    EXPECT_FALSE(window->Action(u"RedoAct"_s)->isEnabled());
}

const TStepCase StepCases[] = {
    {"CardEdit",
     1,
     [](UndoTest &t) {
         t.Focus(t.MovieTitled(u"Alien"_s));
         // A new title moves the row.
         t.EditTitle(u"Zardoz"_s);
     }},
    {"Seen",
     1,
     [](UndoTest &t) {
         t.Focus(t.MovieTitled(u"Heat"_s));
         t.Trigger("NotSeenAct");
     }},
    {"Bookmark",
     1,
     [](UndoTest &t) {
         t.Focus(t.MovieTitled(u"Heat"_s));
         t.Trigger("BookAct");
     }},
    {"Clear",
     1,
     [](UndoTest &t) {
         t.Dialogs().yesNoAnswers = {true};
         t.Focus(t.MovieTitled(u"Alien"_s));
         t.Trigger("ClearAct");
     }},
    {"DeleteSeriesWithEpisodes",
     1,
     [](UndoTest &t) {
         t.Dialogs().yesNoAnswers = {true};
         t.Focus(t.MovieTitled(u"Dekalog"_s));
         t.Trigger("DelVidAct");
     }},
    {"DeleteEpisode",
     1,
     [](UndoTest &t) {
         t.Dialogs().yesNoAnswers = {true};
         t.Focus(t.MovieTitled(u"Dekalog"_s)->Episode(0));
         t.Trigger("DelVidAct");
     }},
    {"Loan",
     1,
     [](UndoTest &t) {
         t.Dialogs().borrowerAnswers = {u"Bob"_s};
         t.Focus(t.MovieTitled(u"Heat"_s));
         t.Trigger("LoanAct");
     }},
    {"NewEpisode",
     1,
     [](UndoTest &t) {
         t.Dialogs().episodeAnswers = {TNewEpisodeAnswer{3, false}};
         t.Focus(t.MovieTitled(u"Dekalog"_s));
         t.Trigger("NewEpAct");
     }},
    {"IdsOfSelection",
     1,
     [](UndoTest &t) {
         t.Dialogs().idAnswers = {TIdSeries{40, -10}};
         t.Focus(t.MovieTitled(u"Alien"_s));
         t.Movies()->selectAll();
         t.Trigger("SetIDSAct");
     }},
    {"Wish",
     1,
     [](UndoTest &t) {
         t.Focus(t.MovieTitled(u"Heat"_s));
         t.Window().findChild<QCheckBox *>(u"WishCheck"_s)->click();
     }},
    {"MultipleMovies",
     1,
     [](UndoTest &t) {
         TMultiEditAnswer answer;
         answer.Checked[int(TMultiField::Studio)] = true;
         answer.Texts[int(TMultiField::Studio)] = u"Fox"_s;
         answer.Checked[int(TMultiField::Year)] = true;
         answer.Texts[int(TMultiField::Year)] = u"2001"_s;
         t.Dialogs().multiEditAnswers = {answer};
         t.Focus(t.MovieTitled(u"Alien"_s));
         t.Movies()->selectAll();
         t.Trigger("EditVidAct");
     }},
};

INSTANTIATE_TEST_SUITE_P(Steps, UndoStepTest, ::testing::ValuesIn(StepCases), [](const auto &info) {
    return std::string(info.param.name);
});

// New records: the edit starts once the new row took the focus.
const TStepCase NewRecordCases[] = {
    {"New",
     2,
     [](UndoTest &t) {
         t.Trigger("NewVidAct");
         t.Settle();
         t.Card().pendingTitle = u"Blade"_s;
         t.Trigger("ApplyVidAct");
     }},
    {"Duplicate",
     2,
     [](UndoTest &t) {
         t.Focus(t.MovieTitled(u"Heat"_s));
         t.Trigger("DuplicateAct");
         t.Settle();
         t.Card().pendingTitle = u"Heat 2"_s;
         t.Trigger("ApplyVidAct");
     }},
};

INSTANTIATE_TEST_SUITE_P(NewRecords,
                         UndoStepTest,
                         ::testing::ValuesIn(NewRecordCases),
                         [](const auto &info) { return std::string(info.param.name); });

struct TPictureCase
{
    const char *name;
    bool externalPosters;
    int steps;
    void (*act)(UndoTest &test);
};

class UndoPictureTest : public UndoTest, public ::testing::WithParamInterface<TPictureCase>
{};

// Each picture command is one step that brings back the old picture, files included.
TEST_P(UndoPictureTest, UndoAndRedoRestorePicturesAndFiles)
{
    StartPictures(GetParam().externalPosters);
    const TState before = State();
    GetParam().act(*this);
    const TState after = State();
    ASSERT_NE(after.catalog, before.catalog);
    for (int i = 0; i < GetParam().steps; ++i)
        Trigger("UndoAct");
    ExpectState(before, "undone");
    EXPECT_FALSE(window->Action(u"UndoAct"_s)->isEnabled());
    for (int i = 0; i < GetParam().steps; ++i)
        Trigger("RedoAct");
    ExpectState(after, "redone");
    // Once more: the step still holds what the first round moved.
    Trigger("UndoAct");
    Trigger("RedoAct");
    ExpectState(after, "redone twice");
}

const TPictureCase PictureCases[] = {
    {"HeldPosterReplaced",
     false,
     1,
     [](UndoTest &t) {
         t.Focus(t.MovieTitled(u"Alien"_s));
         t.Dialogs().openAnswers = {t.Green()};
         t.Click("ImgBrowseBtn");
     }},
    {"PosterFileRemoved",
     true,
     1,
     [](UndoTest &t) {
         t.Focus(t.MovieTitled(u"Heat"_s));
         t.Click("ImgClearBtn");
     }},
    {"FrontCoverReplaced",
     false,
     1,
     [](UndoTest &t) {
         t.Focus(t.MovieTitled(u"Alien"_s));
         t.Dialogs().openAnswers = {t.Green()};
         t.Click("OpenFrontBtn");
     }},
    {"PosterFileOverwritten",
     true,
     1,
     [](UndoTest &t) {
         t.Focus(t.MovieTitled(u"Heat"_s));
         t.Dialogs().openAnswers = {t.Green()};
         t.Click("ImgBrowseBtn");
     }},
    {"ScreenshotAdded",
     false,
     1,
     [](UndoTest &t) {
         t.Focus(t.MovieTitled(u"Alien"_s));
         t.Dialogs().pickAnswers = {TFakeDialogs::TPickAnswer{t.Green(), false, {}}};
         t.Click("ScreensFldrBtn2");
     }},
    {"FrontCoverRemoved",
     false,
     1,
     [](UndoTest &t) {
         t.Focus(t.MovieTitled(u"Alien"_s));
         t.Click("DelFrontBtn");
     }},
    {"ScreenshotRemoved",
     false,
     1,
     [](UndoTest &t) {
         t.Focus(t.MovieTitled(u"Alien"_s));
         t.Click("DelScreenBtn1");
     }},
    // A picture changed inside a card edit is a step of its own, before the edit's.
    {"PosterInsideCardEdit",
     false,
     2,
     [](UndoTest &t) {
         t.Focus(t.MovieTitled(u"Alien"_s));
         t.Trigger("EditVidAct");
         t.Click("ImgClearBtn");
         auto *title = t.Window()
                           .findChild<QWidget *>(u"MovieCard"_s)
                           ->findChild<QLineEdit *>(u"TitleEdit"_s);
         ASSERT_TRUE(title);
         title->setText(u"Zardoz"_s);
         t.Trigger("ApplyVidAct");
     }},
    {"ClearDropsHeldPoster",
     false,
     1,
     [](UndoTest &t) {
         t.Dialogs().yesNoAnswers = {true};
         t.Focus(t.MovieTitled(u"Alien"_s));
         t.Trigger("ClearAct");
     }},
};

INSTANTIATE_TEST_SUITE_P(Pictures,
                         UndoPictureTest,
                         ::testing::ValuesIn(PictureCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(UndoTest, PersonPhotoReplacedComesBack)
{
    StartPictures(false);
    const TState before = State();
    Trigger("dbModeAct");
    Focus(window->Database()->Person(0));
    dialogs->openAnswers = {Green()};
    Click("ImgBrowseBtn", "PersonCard");
    const QByteArray replaced = window->Database()->Person(0)->PictureBytes();
    ASSERT_NE(State().catalog, before.catalog);
    Trigger("UndoAct");
    ExpectState(before, "undone");
    Trigger("RedoAct");
    EXPECT_EQ(window->Database()->Person(0)->PictureBytes(), replaced);
}

// The copies come back in their places with episodes and pictures, and the kept movie
// loses what the merge gave it.
TEST_F(UndoTest, RemoveDuplicatesIsOneStep)
{
    const QString red = PictureFile(root, u"red.jpg"_s, 40);
    prepare = [red](TVideoDatabase &db) {
        const TImage poster = TImage::Load(red);
        for (int i = 0; i < db.MovieCount(); ++i)
            db.Movie(i)->SetNum(i + 2);
        // First in order, so it is the copy that goes.
        auto *copy = static_cast<TMovie *>(db.AddRecord(0));
        copy->SetTitle(u"Alien"_s);
        copy->SetNum(1);
        copy->SetDirector(u"Scott"_s);
        copy->SetPicture(&poster, TImageFormat::Jpeg, {}, CoverFile);
        copy->AddEpisode()->SetTitle(u"Pilot"_s);
        db.AddRecord(1, u"Ann"_s);
    };
    Start({{u"Alien"_s, u"Horror"_s, 1979}, {u"Heat"_s, u"Crime"_s, 1995}}, {u"Ann"_s});
    const TState before = State();
    dialogs->duplicateAnswers = {TDuplicateAction::Merge};
    Trigger("RemDupAct");
    const TState after = State();
    ASSERT_EQ(window->Database()->MovieCount(), 2);
    ASSERT_EQ(window->Database()->PersonCount(), 1);
    ExpectRoundTrip(before, after);
}

TEST_F(UndoTest, RemoveBadFileLocationsIsOneStep)
{
    prepare = [this](TVideoDatabase &db) {
        db.Movie(0)->SetPath(root.filePath(u"gone.avi"_s) + u'|' + root.filePath(u"lost.avi"_s));
        db.Movie(1)->SetPath(root.filePath(u"gone too.avi"_s));
    };
    Start({{u"Alien"_s, u"Horror"_s, 1979}, {u"Heat"_s, u"Crime"_s, 1995}}, {});
    const TState before = State();
    dialogs->badFileAnswers = {TBadFileOptions{false, false}};
    Trigger("RemBadFilesAct");
    const TState after = State();
    ASSERT_TRUE(MovieTitled(u"Alien"_s)->Path().isEmpty());
    ExpectRoundTrip(before, after);
}

TEST_F(UndoTest, ReturnIsAStepOfItsOwn)
{
    StartSample();
    dialogs->borrowerAnswers = {u"Bob"_s};
    Focus(MovieTitled(u"Heat"_s));
    Trigger("LoanAct");
    const TState lent = State();
    ASSERT_EQ(MovieTitled(u"Heat"_s)->Loan(), u"Bob"_s);
    dialogs->yesNoAnswers = {true};
    Trigger("LoanAct");
    const TState returned = State();
    ASSERT_TRUE(MovieTitled(u"Heat"_s)->Loan().isEmpty());
    ExpectRoundTrip(lent, returned);

    // The history is a log: undoing the loan writes that the movie came back.
    Trigger("UndoAct");
    Trigger("UndoAct");
    ASSERT_TRUE(MovieTitled(u"Heat"_s)->Loan().isEmpty());
    QFile history(QDir(Program()).filePath(u"history.txt"_s));
    ASSERT_TRUE(history.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = history.readAll().trimmed().split('\n');
    ASSERT_GE(lines.size(), 4);
    EXPECT_TRUE(lines.last().contains("|<") && lines.last().contains("$Bob##Heat"))
        << lines.last().toStdString();
}

// Files deleted with their record cannot come back: the history goes with them, and the
// user is told. A delete that removes no file stays a step.
TEST_F(UndoTest, DeletingTheMovieFilesClearsTheHistory)
{
    settings.WriteBool(u"Misc"_s, u"DeleteMovieFiles"_s, true);
    settings.WriteBool(u"Dialogs"_s, u"DeleteMovieFilesConfirm"_s, false);
    const QString file = PictureFile(root, u"heat.mkv"_s, 10);
    prepare = [file](TVideoDatabase &db) {
        for (int i = 0; i < db.MovieCount(); ++i) {
            if (db.Movie(i)->Title() == u"Heat"_s)
                db.Movie(i)->SetPath(file);
        }
    };
    Start({{u"Alien"_s, u"Horror"_s, 1979}, {u"Heat"_s, u"Crime"_s, 1995}}, {});
    dialogs->yesNoAnswers = {true, true};
    Focus(MovieTitled(u"Alien"_s));
    Trigger("DelVidAct");
    EXPECT_TRUE(window->Action(u"UndoAct"_s)->isEnabled()) << "no file, so a step";
    Focus(MovieTitled(u"Heat"_s));
    Trigger("DelVidAct");
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_FALSE(window->Action(u"UndoAct"_s)->isEnabled());
    EXPECT_EQ(Child<QLabel>(window.get(), "StatusPanel2")->text(),
              u"The movie files were deleted: the undo history was cleared"_s);
}

// An import through the Import menu: the imported records go and come back together.
TEST_F(UndoTest, ImportIsOneStep)
{
    QDir(Program()).mkpath(u"Plugins"_s);
    ASSERT_TRUE(QFile::copy(QStringLiteral(RK_TEST_PLUGINS_DIR "/testimport.so"),
                            QDir(Program()).filePath(u"Plugins/testimport.so"_s)));
    const QString input = root.filePath(u"input.txt"_s);
    QFile in(input);
    ASSERT_TRUE(in.open(QIODevice::WriteOnly));
    in.write("M\t1=Brazil\nM\t1=Casablanca\nH\t0=Ridley Scott\n");
    in.close();
    StartSample();
    const TState before = State();
    const int people = window->Database()->PersonCount();
    auto *importMenu = window->findChild<QMenu *>(u"ImportMenu"_s);
    ASSERT_TRUE(importMenu && !importMenu->actions().isEmpty());
    dialogs->openAnswers.push_back(input);
    importMenu->actions().constFirst()->trigger();
    ASSERT_EQ(window->Database()->PersonCount(), people + 1);
    const TState after = State();
    EXPECT_TRUE(after.rows.contains(u"Brazil"_s)) << after.rows.join(u", "_s).toStdString();
    Trigger("UndoAct");
    ExpectState(before, "undone");
    EXPECT_EQ(window->Database()->PersonCount(), people);
    Trigger("RedoAct");
    ExpectState(after, "redone");
}

TEST_F(UndoTest, GridCellEditIsOneStep)
{
    settings.WriteInteger(u"MovieList"_s, u"ViewMode"_s, 2);
    StartSample();
    const TState before = State();
    TMovie *heat = MovieTitled(u"Heat"_s);
    Movies()->setFocus();
    Movies()->setCurrentIndex(Model()->IndexOf(Model()->FirstNodeOf(heat), 1));
    Movies()->edit(Movies()->currentIndex());
    auto *editor = Movies()->findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    editor->setText(u"12"_s);
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    ASSERT_EQ(heat->Num(), 12);
    const TState after = State();
    Trigger("UndoAct");
    ExpectState(before, "undone");
    EXPECT_FALSE(window->Action(u"UndoAct"_s)->isEnabled());
    Trigger("RedoAct");
    ExpectState(after, "redone");
}

TEST_F(UndoTest, ShortcutsAndHistoryWindowShowTheSteps)
{
    StartSample();
    EXPECT_EQ(window->Action(u"UndoAct"_s)->shortcut(), QKeySequence(u"Ctrl+Z"_s));
    EXPECT_EQ(window->Action(u"RedoAct"_s)->shortcut(), QKeySequence(u"Ctrl+Shift+Z"_s));
    Focus(MovieTitled(u"Heat"_s));
    Trigger("BookAct");
    Trigger("NotSeenAct");
    Trigger("UndoHistoryAct");
    auto *view = window->findChild<QUndoView *>();
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->isVisible());
    // The clean state and the two steps.
    EXPECT_EQ(view->model()->rowCount(), 3);
}

// The history keeps the steps the settings allow, the oldest going first.
TEST_F(UndoTest, HistoryKeepsAtMostTheSetNumberOfSteps)
{
    settings.WriteInteger(u"Misc"_s, u"UndoLimit"_s, 2);
    StartSample();
    Focus(MovieTitled(u"Heat"_s));
    for (int i = 0; i < 3; ++i)
        Trigger("BookAct");
    Trigger("UndoAct");
    Trigger("UndoAct");
    EXPECT_FALSE(window->Action(u"UndoAct"_s)->isEnabled());
    EXPECT_TRUE(MovieTitled(u"Heat"_s)->Bookmark()) << "the first bookmark stays";
}

TEST_F(UndoTest, UndoAfterSaveMarksModifiedAndRedoReachesTheSavedStateAgain)
{
    StartSample();
    Focus(MovieTitled(u"Heat"_s));
    Trigger("NotSeenAct");
    Trigger("SaveDBAct");
    ASSERT_FALSE(window->Database()->Modified());
    Trigger("UndoAct");
    EXPECT_TRUE(window->Database()->Modified());
    EXPECT_TRUE(MovieTitled(u"Heat"_s)->Viewed());
    Trigger("RedoAct");
    EXPECT_FALSE(window->Database()->Modified());
}

// The appended records, a series with its episode among them, go and come back as one step.
TEST_F(UndoTest, AppendIsOneStep)
{
    StartSample();
    const QString more = root.filePath(u"more.rkd"_s);
    {
        TVideoDatabase db(more);
        ASSERT_TRUE(db.Open().ok);
        static_cast<TMovie *>(db.AddRecord(0))->SetTitle(u"Brazil"_s);
        auto *series = static_cast<TMovie *>(db.AddRecord(0));
        series->SetTitle(u"Twin Peaks"_s);
        series->AddEpisode()->SetTitle(u"Pilot"_s);
        db.SetModified(true);
        ASSERT_TRUE(db.Save(false).Ok());
    }
    const TState before = State();
    const int movies = window->Database()->MovieCount();
    dialogs->openAnswers = {more};
    Trigger("AppendAct");
    ASSERT_EQ(window->Database()->MovieCount(), movies + 2);
    const TState after = State();
    EXPECT_TRUE(after.rows.contains(u"Brazil"_s) && after.rows.contains(u"Twin Peaks"_s))
        << after.rows.join(u", "_s).toStdString();
    EXPECT_EQ(window->Action(u"UndoAct"_s)->text(), u"&Undo \"Append catalog\""_s);
    ExpectRoundTrip(before, after);
}

TEST_F(UndoTest, CancelledNewRecordLeavesNoStepAndOpeningClearsTheHistory)
{
    StartSample();
    Focus(MovieTitled(u"Heat"_s));
    Trigger("NotSeenAct");
    Trigger("NewVidAct");
    Settle();
    Trigger("AbortAct");
    EXPECT_EQ(window->Action(u"UndoAct"_s)->text(), u"&Undo \"Seen\""_s);
    Trigger("UndoAct");
    EXPECT_TRUE(MovieTitled(u"Heat"_s)->Viewed());

    Trigger("RedoAct");
    Trigger("SaveDBAct");
    dialogs->openAnswers.push_back(root.filePath(u"other.rkd"_s));
    Trigger("OpenDBAct");
    ASSERT_TRUE(window->Database()->FileName().endsWith(u"other.rkd"_s));
    EXPECT_FALSE(window->Action(u"UndoAct"_s)->isEnabled());
    EXPECT_FALSE(window->Action(u"RedoAct"_s)->isEnabled());
}

} // namespace
