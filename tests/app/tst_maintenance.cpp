// The maintenance tools: duplicate removal and merging, dead file locations with media
// labels, the multiple-movie editor's common values and dialog, and the tools' commands on
// the lists.
#include <ostream>

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QItemSelectionModel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "app/multieditor.h"
#include "app/toolscontroller.h"
#include "app/toolsdialogs.h"
#include "app/waitwindow.h"
#include "catalog/actor.h"
#include "catalog/movie.h"
#include "logic/maintenance.h"
#include "tests/support/commandfixture.h"
#include "tests/support/fakevolumeinfo.h"
#include "tests/support/widgettest.h"

// Readable texts in failure messages.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

class MaintenanceTest : public ::testing::Test
{
protected:
    TMovie *AddMovie(int num, const QString &title, const QString &origtitle = {})
    {
        auto *movie = static_cast<TMovie *>(db.AddRecord(0));
        movie->SetNum(num);
        movie->SetTitle(title);
        movie->SetOrigtitle(origtitle);
        return movie;
    }
    QStringList Titles() const
    {
        QStringList titles;
        for (int i = 0; i < db.MovieCount(); ++i)
            titles.append(db.Movie(i)->Title() + u'/' + db.Movie(i)->Comment());
        return titles;
    }

    TVideoDatabase db{QString()};
};

TEST_F(MaintenanceTest, RemoveKeepsTheLastOfEachTitleAndLeavesUntitledMovies)
{
    AddMovie(1, u"Alien"_s, u"Alien 1979"_s)->SetComment(u"first"_s);
    AddMovie(2, u"Brazil"_s)->SetComment(u"only"_s);
    AddMovie(3, u"alien"_s, u"ALIEN 1979 "_s)->SetComment(u"second"_s);
    AddMovie(4, u"Alien"_s, u"Alien 1979"_s)->SetComment(u"third"_s);
    // Another original title: a different movie of the same name.
    AddMovie(5, u"Alien"_s, u"Alien 2019"_s)->SetComment(u"remake"_s);
    AddMovie(6, QString())->SetComment(u"blank 1"_s);
    AddMovie(7, QString())->SetComment(u"blank 2"_s);
    db.AddRecord(1, u"Ridley Scott"_s)->SetComment(u"a"_s);
    db.AddRecord(1, u"ridley scott"_s);

    const TDuplicateReport report = RemoveDuplicates(db, TDuplicateAction::Remove);
    EXPECT_EQ(report.MoviesRemoved, 2);
    EXPECT_EQ(report.PeopleRemoved, 1);
    EXPECT_FALSE(report.Cancelled);
    EXPECT_EQ(
        Titles(),
        QStringList(
            {u"Brazil/only"_s, u"Alien/third"_s, u"Alien/remake"_s, u"/blank 1"_s, u"/blank 2"_s}));
    EXPECT_EQ(db.PersonCount(), 1);
}

TEST_F(MaintenanceTest, MergeFillsOnlyEmptyFieldsOfTheKeptRecord)
{
    TMovie *withYear = AddMovie(1, u"Alien"_s);
    withYear->SetYear(1979);
    withYear->SetDirector(u"Ridley Scott"_s);
    withYear->SetPath(u"/films/alien.avi"_s);
    TMovie *kept = AddMovie(2, u"Alien"_s);
    kept->SetDirector(u"R. Scott"_s);
    EXPECT_EQ(RemoveDuplicates(db, TDuplicateAction::Merge).MoviesRemoved, 1);
    ASSERT_EQ(db.MovieCount(), 1);
    EXPECT_EQ(kept->Year(), 1979);
    EXPECT_EQ(kept->Director(), u"R. Scott"_s);
    // Not a merged field: lost with the duplicate.
    EXPECT_TRUE(kept->Path().isEmpty());

    // The kept movie's own values win.
    TMovie *older = AddMovie(3, u"Heat"_s);
    older->SetYear(1986);
    older->SetRating(7);
    TMovie *newer = AddMovie(4, u"Heat"_s);
    newer->SetYear(1995);
    RemoveDuplicates(db, TDuplicateAction::Merge);
    ASSERT_EQ(db.MovieCount(), 2);
    EXPECT_EQ(newer->Year(), 1995);
    EXPECT_EQ(newer->Rating(), 7);

    auto *person = static_cast<TActor *>(db.AddRecord(1, u"Sigourney Weaver"_s));
    auto *other = static_cast<TActor *>(db.AddRecord(1, u"Sigourney Weaver"_s));
    other->SetBirthplace(u"New York"_s);
    person->SetBirthplace(u"Manhattan"_s);
    other->SetBio(u"Actress"_s);
    RemoveDuplicates(db, TDuplicateAction::Merge);
    ASSERT_EQ(db.PersonCount(), 1);
    EXPECT_EQ(db.Person(0)->Bio(), u"Actress"_s);
    EXPECT_FALSE(db.Person(0)->Birthplace().isEmpty());
}

class BadFilesTest : public MaintenanceTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        volumes.AddVolume(u"/"_s, QString());
        volumes.AddVolume(Fixed(), u"SYSTEM"_s, TDriveType::Fixed);
        volumes.AddVolume(Disc(), u"DISC1"_s, TDriveType::Removable);
        ASSERT_TRUE(QDir().mkpath(Fixed()));
        QFile here(Fixed() + u"/here.avi"_s);
        ASSERT_TRUE(here.open(QIODevice::WriteOnly));
    }
    QString Fixed() const { return dir.filePath(u"fixed"_s); }
    QString Disc() const { return dir.filePath(u"cd"_s); }

    QTemporaryDir dir;
    TFakeVolumeInfo volumes;
    TScopedVolumeInfo scoped{volumes};
};

TEST_F(BadFilesTest, DropsMissingFilesAndKeepsExternalDrivesWhenAsked)
{
    const QString missing = Fixed() + u"/a.avi"_s;
    const QString onDisc = Disc() + u"/b.avi"_s;
    const QString here = Fixed() + u"/here.avi"_s;
    const QString path = missing + u'|' + onDisc + u'|' + here;

    EXPECT_EQ(CheckPaths(path, {}, {true, true}).Path, onDisc + u'|' + here);
    EXPECT_EQ(CheckPaths(path, {}, {false, true}).Path, here);
    EXPECT_EQ(CheckPaths(missing, {}, {true, true}).Path, QString());
    // A stick that is not plugged in leaves its folder under /media unmounted.
    EXPECT_EQ(CheckPaths(u"/media/stick/c.avi"_s, {}, {true, true}).Path, u"/media/stick/c.avi"_s);
    EXPECT_EQ(CheckPaths(u"//server/films/d.avi"_s, {}, {true, true}).Path,
              u"//server/films/d.avi"_s);

    TMovie *movie = AddMovie(1, u"Alien"_s);
    movie->SetPath(path);
    AddMovie(2, u"Brazil"_s)->SetPath(here);
    db.SetModified(false);
    const TBadFileReport report = RemoveBadFileLocations(db, {true, false});
    EXPECT_EQ(report.MoviesChanged, 1);
    EXPECT_EQ(movie->Path(), onDisc + u'|' + here);
    EXPECT_TRUE(db.Modified());
}

TEST_F(BadFilesTest, CutsTheVolumeLabelOfADroppedEntryFromTheMediaLabel)
{
    const QString onDisc = Disc() + u"/b.avi"_s;
    // The comma after the label goes with it; the space before the next one stays.
    TPathCheck check = CheckPaths(onDisc, u"DISC1, DISC2"_s, {false, true});
    EXPECT_EQ(check.Path, QString());
    EXPECT_EQ(check.Label, u" DISC2"_s);
    EXPECT_EQ(CheckPaths(onDisc, u"DISC1, DISC2"_s, {false, false}).Label, u"DISC1, DISC2"_s);
    // A kept entry cuts nothing; a volume without a label neither.
    EXPECT_EQ(CheckPaths(onDisc, u"DISC1"_s, {true, true}).Label, u"DISC1"_s);
    EXPECT_EQ(CheckPaths(u"/gone.avi"_s, u"DISC1"_s, {false, true}).Label, u"DISC1"_s);

    EXPECT_EQ(CutMediaLabel(u"DISC10, DISC1"_s, u"DISC1"_s), u"DISC10, "_s);
    EXPECT_EQ(CutMediaLabel(u"DISC10"_s, u"DISC1"_s), u"DISC10"_s);
    EXPECT_EQ(CutMediaLabel(u"A, DISC1, B"_s, u"DISC1"_s), u"A,  B"_s);
    EXPECT_EQ(CutMediaLabel(u"disc1"_s, u"DISC1"_s), u"disc1"_s);
}

// ----- multiple-movie editor ---------------------------------------------------------------

TEST_F(MaintenanceTest, CommonValuesNarrowDownAndStayMixed)
{
    TMultiCommon common;
    const QStringList countries = {u"USA, UK"_s, u"UK, France"_s, QString()};
    const QStringList ratings = {u"R"_s, u"PG"_s, u"R"_s};
    const QStringList tags = {u"a"_s, u"b"_s, u"a"_s};
    for (int i = 0; i < 3; ++i) {
        TMovie *movie = AddMovie(i + 1, u"Movie"_s);
        movie->SetCountry(countries[i]);
        movie->SetMpaa(ratings[i]);
        movie->SetTags(tags[i]);
        movie->SetYear(i == 0 ? 0 : 1999);
        movie->SetRip(u"DVDRip"_s);
        common.Add(*movie);
    }
    EXPECT_EQ(common.Preset(TMultiField::Country), u"UK"_s);
    EXPECT_EQ(common.Preset(TMultiField::Id), QString());
    EXPECT_EQ(common.Preset(TMultiField::Year), u"1999"_s);
    EXPECT_EQ(common.Preset(TMultiField::Quality), u"DVDRip"_s);
    // Once mixed, a later value like the first does not bring it back.
    EXPECT_EQ(common.Preset(TMultiField::Mpaa), QString());
    EXPECT_EQ(common.Preset(TMultiField::Tags), QString());
    EXPECT_EQ(common.Preset(TMultiField::Genre), QString());

    TMultiCommon same;
    same.Add(*db.Movie(0));
    EXPECT_EQ(same.Preset(TMultiField::Id), u"1"_s);
    EXPECT_EQ(same.Preset(TMultiField::Year), QString());
}

TEST_F(MaintenanceTest, ApplyingSetsCheckedFieldsAndSkipsNonNumbers)
{
    TMovie *movie = AddMovie(5, u"Alien"_s);
    movie->SetYear(1979);
    movie->SetStudio(u"Fox"_s);
    TMultiEditAnswer answer;
    answer.Checked[int(TMultiField::Year)] = true;
    answer.Texts[int(TMultiField::Year)] = u"19x9"_s;
    answer.Checked[int(TMultiField::Id)] = true;
    answer.Texts[int(TMultiField::Id)] = u" 12 "_s;
    answer.Checked[int(TMultiField::Country)] = true;
    answer.Texts[int(TMultiField::Country)] = u"UK"_s;
    answer.Texts[int(TMultiField::Studio)] = u"unchecked"_s;
    ApplyMultiEdit(*movie, answer);
    EXPECT_EQ(movie->Year(), 1979);
    EXPECT_EQ(movie->Num(), 12);
    EXPECT_EQ(movie->Country(), u"UK"_s);
    EXPECT_EQ(movie->Studio(), u"Fox"_s);

    // Rows move for grouping levels in the tree view and for title template codes.
    TMultiEditAnswer year;
    year.Checked[int(TMultiField::Year)] = true;
    EXPECT_TRUE(MultiEditMovesRows(year, true, {3}, u"%T"_s));
    EXPECT_FALSE(MultiEditMovesRows(year, false, {3}, u"%T"_s));
    EXPECT_TRUE(MultiEditMovesRows(year, false, {}, u"%T (%Y)"_s));
    TMultiEditAnswer music;
    music.Checked[int(TMultiField::Music)] = true;
    EXPECT_FALSE(MultiEditMovesRows(music, true, {0, 3, 4, 22}, u"%Y %D %M %N %G %Q %R %S"_s));
}

TEST_F(MaintenanceTest, EditorPresetsTickedEmptyBoxesAndPicksGenres)
{
    TMultiCommon common;
    TMovie *a = AddMovie(1, u"A"_s);
    a->SetCountry(u"USA, UK"_s);
    a->SetGenre(u"drama"_s);
    TMovie *b = AddMovie(2, u"B"_s);
    b->SetCountry(u"UK, France"_s);
    common.Add(*a);
    common.Add(*b);
    TMME editor(common, {{u"Drama"_s, u"Horror"_s, u"War"_s}, {u"DVDRip"_s}, {}, {u"DVD5"_s}});

    editor.Check(TMultiField::Country)->setChecked(true);
    EXPECT_EQ(editor.BoxText(TMultiField::Country), u"UK"_s);
    editor.Check(TMultiField::Id)->setChecked(true);
    EXPECT_EQ(editor.BoxText(TMultiField::Id), QString());
    // Typed text is kept when the box is ticked.
    editor.SetBoxText(TMultiField::Quality, u"HDTV"_s);
    editor.Check(TMultiField::Quality)->setChecked(true);
    EXPECT_EQ(editor.BoxText(TMultiField::Quality), u"HDTV"_s);

    editor.Check(TMultiField::Genre)->setChecked(true);
    EXPECT_EQ(editor.BoxText(TMultiField::Genre), u"drama"_s);
    editor.show();
    editor.ShowGenreList();
    QListWidget *list = editor.GenreList();
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(0)->checkState(), Qt::Checked);
    EXPECT_EQ(list->item(1)->checkState(), Qt::Unchecked);
    EXPECT_EQ(list->window()->height(), 200);
    list->item(2)->setCheckState(Qt::Checked);
    list->window()->hide();
    EXPECT_EQ(editor.BoxText(TMultiField::Genre), u"Drama, War"_s);

    const TMultiEditAnswer answer = editor.Answer();
    EXPECT_TRUE(answer.IsChecked(TMultiField::Genre));
    EXPECT_TRUE(answer.IsChecked(TMultiField::Country));
    EXPECT_FALSE(answer.IsChecked(TMultiField::Year));
    EXPECT_EQ(answer.Texts[int(TMultiField::Quality)], u"HDTV"_s);
}

TEST(ToolsDialogsTest, OptionDialogsAnswerWithTheirChoices)
{
    WhenModal([](QWidget *dialog) {
        EXPECT_TRUE(Child<QRadioButton>(dialog, "MergeRadio")->isChecked());
        Child<QRadioButton>(dialog, "RemoveRadio")->setChecked(true);
        Child<QPushButton>(dialog, "OKBtn")->click();
    });
    EXPECT_EQ(TToolsDialogs::AskDuplicateAction(nullptr, TDuplicateAction::Merge, nullptr),
              TDuplicateAction::Remove);
    WhenModal([](QWidget *dialog) {
        EXPECT_FALSE(Child<QCheckBox>(dialog, "ExternalCheck")->isChecked());
        Child<QCheckBox>(dialog, "LabelsCheck")->setChecked(false);
        Child<QPushButton>(dialog, "OKBtn")->click();
    });
    EXPECT_EQ(TToolsDialogs::AskBadFileOptions(nullptr, {false, true}, nullptr),
              (TBadFileOptions{false, false}));
    WhenModal([](QWidget *dialog) { Child<QPushButton>(dialog, "CancelBtn")->click(); });
    EXPECT_FALSE(TToolsDialogs::AskBadFileOptions(nullptr, {}, nullptr));
}

// ----- the tools' commands on the lists ----------------------------------------------------

class ToolsWindowTest : public CommandFixture
{
protected:
    void Begin(const QList<std::tuple<QString, QString, int>> &movies)
    {
        Start(movies);
        tools = std::make_unique<TToolsController>(*host, settings);
    }
    void SelectRows(const QList<TDBItem *> &records)
    {
        Movies()->selectionModel()->clear();
        for (TDBItem *record : records) {
            const QModelIndex row = Model()->IndexOf(Model()->FirstNodeOf(record), 2);
            Movies()->selectionModel()->select(
                row, QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
        Movies()->selectionModel()->setCurrentIndex(
            Model()->IndexOf(Model()->FirstNodeOf(records.first()), 2),
            QItemSelectionModel::NoUpdate);
        Movies()->FlushFocus();
    }

    std::unique_ptr<TToolsController> tools;
};

TEST_F(ToolsWindowTest, EditWithSeveralMoviesSetsTheCheckedFieldOnAll)
{
    settings.MovieGroups = {3};
    settings.GenresList = {u"Comedy"_s, u"Horror"_s};
    prepare = [](TVideoDatabase &db) {
        for (int i = 0; i < db.MovieCount(); ++i)
            db.Movie(i)->SetCountry(i == 0 ? u"USA, UK"_s : u"UK, France"_s);
    };
    Begin({{u"Alien"_s, u"Horror"_s, 1979},
           {u"Brazil"_s, u"Comedy"_s, 1985},
           {u"Clerks"_s, u"Comedy"_s, 1994},
           {u"Dogma"_s, u"Comedy"_s, 1999}});
    const QList<TDBItem *> chosen = {
        MovieTitled(u"Alien"_s), MovieTitled(u"Brazil"_s), MovieTitled(u"Clerks"_s)};
    SelectRows(chosen);
    TMultiEditAnswer answer;
    answer.Checked[int(TMultiField::Studio)] = true;
    answer.Texts[int(TMultiField::Studio)] = u"Fox"_s;
    dialogs.multiEditAnswers.push_back(answer);
    ASSERT_TRUE(tools->MultiEditSelection());
    tools->EditMultipleMovies();

    ASSERT_EQ(dialogs.multiEditCommons.size(), 1);
    EXPECT_EQ(dialogs.multiEditCommons[0].Preset(TMultiField::Country), u"UK"_s);
    EXPECT_FALSE(dialogs.multiEditLists[0].Genres.isEmpty());
    for (TDBItem *record : chosen)
        EXPECT_EQ(static_cast<TMovie *>(record)->Studio(), u"Fox"_s);
    EXPECT_TRUE(MovieTitled(u"Dogma"_s)->Studio().isEmpty());
    EXPECT_NE(host->Edit().EditState(), TEditState::Editing);
    EXPECT_EQ(host->cards[0].shown, chosen.first());

    // Grouped by year, a new year moves the edited movie to its group; it stays selected.
    MovieLists().SetView(TViewMode::Tree);
    MovieLists().Build();
    TViewNode *group = Model()->FindGroupChild(nullptr, u"1979"_s);
    ASSERT_NE(group, nullptr);
    Movies()->selectionModel()->clear();
    Movies()->selectionModel()->select(Model()->IndexOf(group, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    TMultiEditAnswer year;
    year.Checked[int(TMultiField::Year)] = true;
    year.Texts[int(TMultiField::Year)] = u"2001"_s;
    dialogs.multiEditAnswers.push_back(year);
    ASSERT_TRUE(tools->MultiEditSelection());
    tools->EditMultipleMovies();
    TMovie *alien = MovieTitled(u"Alien"_s);
    EXPECT_EQ(alien->Year(), 2001);
    EXPECT_EQ(MovieTitled(u"Brazil"_s)->Year(), 1985);
    QStringList captions;
    for (const TViewNode *group : Model()->RootNodes())
        captions.append(group->caption);
    captions.sort();
    EXPECT_EQ(captions, QStringList({u"1985"_s, u"1994"_s, u"1999"_s, u"2001"_s}));
    ASSERT_EQ(Model()->NodesOf(alien).size(), 1);
    EXPECT_TRUE(Movies()->selectionModel()->isRowSelected(
        Model()->IndexOf(Model()->FirstNodeOf(alien), 0).row(),
        Model()->IndexOf(Model()->FirstNodeOf(alien)->Parent(), 0)));
}

TEST_F(ToolsWindowTest, RemoveDuplicatesKeepsTheLastAndFocusesASurvivor)
{
    settings.RemoveDuplicatesConfirm = true;
    // Numbered in the order given below, so the Alien without genre stands last.
    prepare = [](TVideoDatabase &db) {
        QList<TMovie *> movies;
        for (int i = 0; i < db.MovieCount(); ++i)
            movies.append(db.Movie(i));
        for (TMovie *movie : std::as_const(movies)) {
            const int num = movie->Title() == u"Brazil"_s ? 4
                            : movie->Year() == 1979       ? 2
                            : movie->Genre().isEmpty()    ? 3
                                                          : 1;
            movie->SetNum(num);
        }
    };
    Begin({{u"Alien"_s, u"Horror"_s, 0},
           {u"Alien"_s, u"Horror"_s, 1979},
           {u"Alien"_s, QString(), 0},
           {u"Brazil"_s, u"Comedy"_s, 1985}});
    Focus(db->Movie(0));

    // Cancelled, or not confirmed: nothing happens.
    dialogs.duplicateAnswers = {std::nullopt, TDuplicateAction::Merge};
    dialogs.yesNoAnswers = {false};
    tools->RunRemoveDuplicates();
    tools->RunRemoveDuplicates();
    EXPECT_EQ(db->MovieCount(), 4);
    EXPECT_EQ(dialogs.duplicatePresets.last(), TDuplicateAction::Merge);
    EXPECT_TRUE(dialogs.messages.isEmpty());

    dialogs.duplicateAnswers = {TDuplicateAction::Merge};
    dialogs.yesNoAnswers = {true};
    tools->RunRemoveDuplicates();
    ASSERT_EQ(db->MovieCount(), 2);
    TMovie *alien = MovieTitled(u"Alien"_s);
    EXPECT_EQ(alien->Num(), 3);
    EXPECT_EQ(alien->Year(), 1979);
    EXPECT_EQ(alien->Genre(), u"Horror"_s);
    EXPECT_EQ(Model()->rowCount(), 2);
    TDBItem *current = MovieLists().Current();
    EXPECT_TRUE(current == alien || current == MovieTitled(u"Brazil"_s));
    EXPECT_EQ(host->cards[0].shown, current);
    EXPECT_FALSE(host->wait->isVisible());
    EXPECT_EQ(dialogs.messages, QStringList{u"2 duplicates merged"_s});
}

TEST_F(ToolsWindowTest, RemoveBadFilesRemembersItsOptions)
{
    Begin({{u"Alien"_s, u"Horror"_s, 1979}});
    TMovie *alien = MovieTitled(u"Alien"_s);
    alien->SetPath(root.filePath(u"gone.avi"_s) + u'|' + root.filePath(u"gone2.avi"_s));
    dialogs.badFileAnswers = {TBadFileOptions{false, false}, std::nullopt};
    tools->RunRemoveBadFiles();
    EXPECT_TRUE(alien->Path().isEmpty());
    EXPECT_EQ(dialogs.messages, QStringList{u"2 file locations removed"_s});
    tools->RunRemoveBadFiles();
    EXPECT_EQ(dialogs.messages.size(), 1) << "a cancelled dialog changes nothing";
    ASSERT_EQ(dialogs.badFilePresets.size(), 2);
    EXPECT_EQ(dialogs.badFilePresets[0], (TBadFileOptions{true, true}));
    EXPECT_EQ(dialogs.badFilePresets[1], (TBadFileOptions{false, false}));
}

TEST_F(ToolsWindowTest, CancelKeepsWhatWasDoneAndSaysSo)
{
    Begin({{u"Alien"_s, u"Horror"_s, 1979}, {u"Brazil"_s, u"Comedy"_s, 1985}});
    for (const QString &title : {u"Alien"_s, u"Brazil"_s})
        MovieTitled(title)->SetPath(root.filePath(title + u".avi"_s));
    dialogs.badFileAnswers = {TBadFileOptions{false, false}};
    // Clicked as soon as the run first lets the window work, after the first movie.
    QTimer::singleShot(0, &host->window, [this] {
        QTest::mouseClick(host->wait->findChild<QPushButton *>(u"CancelBtn"_s), Qt::LeftButton);
    });
    tools->RunRemoveBadFiles();
    const int emptied = int(MovieTitled(u"Alien"_s)->Path().isEmpty())
                        + int(MovieTitled(u"Brazil"_s)->Path().isEmpty());
    EXPECT_EQ(emptied, 1);
    EXPECT_EQ(
        dialogs.messages,
        QStringList{u"Cancelled; what was done until then is kept: 1 file location removed"_s});
}

} // namespace
