// The main window's catalog lists driven as a user drives them: views from the View menu,
// cell editing in the grid, the focused record, custom-field columns, the preferences.
#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>

#include "app/catalogview.h"
#include "app/listcontroller.h"
#include "app/listmodel.h"
#include "app/mainwindow.h"
#include "app/recordcard.h"
#include "catalog/actor.h"
#include "catalog/daycount.h"
#include "catalog/localetext.h"
#include "catalog/movie.h"
#include "catalog/version.h"
#include "catalog/videodatabase.h"
#include "logic/settingsfile.h"
#include "tests/support/mainfixture.h"
#include "tests/support/widgettest.h"

using namespace Qt::StringLiterals;

namespace {

const QList<std::tuple<QString, QString, int>> Films = {
    {u"Alien"_s, u"Horror, SciFi"_s, 1979},
    {u"2001: A Space Odyssey"_s, u"SciFi"_s, 1968},
    {u"28 Days Later"_s, u"Horror"_s, 2002},
    {u"Brazil"_s, u"Comedy"_s, 0},
};

TEST_F(MainWindowFixture, ViewMenuSwitchesBetweenPlainTreeAndGrid)
{
    Start(Films);
    EXPECT_EQ(window->Movies().View(), TViewMode::Plain);
    EXPECT_TRUE(Movies()->isHeaderHidden());
    // Digits compare by value: 28 before 2001.
    EXPECT_EQ(
        TopRows(),
        (QStringList{u"28 Days Later"_s, u"2001: A Space Odyssey"_s, u"Alien"_s, u"Brazil"_s}));
    EXPECT_FALSE(Movies()->isColumnHidden(2));
    EXPECT_TRUE(Movies()->isColumnHidden(1));

    // The default grouping is the first letter of the title; group rows reverse.
    Trigger("TreeViewAct");
    EXPECT_EQ(window->Movies().View(), TViewMode::Tree);
    EXPECT_TRUE(window->Action(u"TreeViewAct"_s)->isChecked());
    EXPECT_EQ(TopRows(), (QStringList{u"0 - 9"_s, u"A"_s, u"B"_s}));
    const QModelIndex digits = Model()->index(0, 0);
    EXPECT_EQ(Model()->rowCount(digits), 2);

    Trigger("GridViewAct");
    EXPECT_FALSE(Movies()->isHeaderHidden());
    EXPECT_FALSE(Movies()->isColumnHidden(5));
    EXPECT_TRUE(Child<QStackedWidget>(window.get(), "CardPane")->isHidden());
    EXPECT_EQ(Movies()->sizeHintForRow(0), TListDelegate::GridRowHeight);
    EXPECT_EQ(Model()->index(0, 5).data().toString(), u"2002"_s);
    EXPECT_EQ(Model()->index(3, 5).data().toString(), u"0"_s);

    Trigger("PlainViewAct");
    EXPECT_FALSE(Child<QStackedWidget>(window.get(), "CardPane")->isHidden());
    EXPECT_EQ(Movies()->sizeHintForRow(0), TListDelegate::ListRowHeight);
    EXPECT_EQ(Model()->rowCount(), 4);

    // The view of each list is kept in the settings.
    window->SaveSettings();
    TSettingsFile written;
    ASSERT_TRUE(written.Load(QDir(Program()).filePath(u"config.ini"_s)));
    EXPECT_EQ(written.ReadInteger(u"MovieList"_s, u"ViewMode"_s, -1), 0);
}

TEST_F(MainWindowFixture, TreeNeedsAGroupingLevel)
{
    settings.WriteString(u"MovieList"_s, u"Groups"_s, QString());
    Start(Films);
    Trigger("TreeViewAct");
    EXPECT_EQ(window->Movies().View(), TViewMode::Plain);
    EXPECT_TRUE(window->Action(u"PlainViewAct"_s)->isChecked());
    EXPECT_FALSE(window->Action(u"TreeViewAct"_s)->isChecked());
    EXPECT_EQ(Model()->rowCount(), 4);
}

TEST_F(MainWindowFixture, GridCellsEditInPlace)
{
    settings.WriteInteger(u"MovieList"_s, u"ViewMode"_s, 2);
    Start(Films);
    TMovie *alien = MovieTitled(u"Alien"_s);
    alien->Lend(u"Ann"_s);
    alien->SetNum(5);
    window->Database()->SetModified(false);
    const QModelIndex id = Model()->IndexOf(Model()->FirstNodeOf(alien), 1);
    Movies()->setFocus();
    Movies()->setCurrentIndex(id);

    Movies()->edit(Movies()->currentIndex()); // F2 is the next-bookmark key here
    auto *editor = Movies()->findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(window->Edit().EditState(), TEditState::Editing);
    editor->setText(u"twelve"_s);
    QTest::keyClick(editor, Qt::Key_Return);
    // The delegate commits and closes on a queued call.
    QCoreApplication::processEvents();
    EXPECT_EQ(alien->Num(), -1);
    EXPECT_EQ(window->Edit().EditState(), TEditState::Viewing);

    // The closed editor is only deleted later; it must not be found again.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Movies()->setCurrentIndex(Model()->IndexOf(Model()->FirstNodeOf(alien), 1));
    Movies()->edit(Movies()->currentIndex()); // F2 is the next-bookmark key here
    editor = Movies()->findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    editor->setText(u"12"_s);
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(alien->Num(), 12);
    EXPECT_TRUE(window->Database()->Modified());

    // The borrower cell opens no editor.
    const QModelIndex borrower = Model()->IndexOf(Model()->FirstNodeOf(alien), 22);
    Movies()->setCurrentIndex(borrower);
    Movies()->edit(Movies()->currentIndex()); // F2 is the next-bookmark key here
    EXPECT_FALSE(Movies()->CellEditing());
    EXPECT_EQ(alien->Loan(), u"Ann"_s);
}

TEST_F(MainWindowFixture, FocusSettlesIntoTheCardAfterADelay)
{
    Start(Films);
    TMovie *alien = MovieTitled(u"Alien"_s);
    Movies()->setFocus();
    ASSERT_TRUE(window->SelectRecord(alien));
    // The card follows only once the row has stayed focused.
    EXPECT_NE(Movies()->PendingNode(), nullptr);
    QTRY_COMPARE_WITH_TIMEOUT(window->Movies().Current(), static_cast<TDBItem *>(alien), 1000);
    EXPECT_EQ(movieCard.shown, alien);
    EXPECT_FALSE(movieCard.editing);
    EXPECT_EQ(window->Edit().EditState(), TEditState::Viewing);
    EXPECT_EQ(Child<QLineEdit>(window.get(), "WebSearchEdit")->text(), u"Alien"_s);

    // Enter edits; the title field gets the focus.
    QTest::keyClick(Movies(), Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(movieCard.editing, 1000);
    EXPECT_EQ(window->Edit().EditState(), TEditState::Editing);
    EXPECT_EQ(movieCard.titleFocus, 1);

    // Leaving the row stores the edit, and the row moves to its sorted place.
    movieCard.pendingTitle = u"Zardoz"_s;
    TMovie *brazil = MovieTitled(u"Brazil"_s);
    window->SelectRecord(brazil);
    ASSERT_EQ(movieCard.stored.size(), 1);
    EXPECT_EQ(alien->Title(), u"Zardoz"_s);
    EXPECT_EQ(TopRows().last(), u"Zardoz"_s);
    QTRY_COMPARE_WITH_TIMEOUT(window->Movies().Current(), static_cast<TDBItem *>(brazil), 1000);
    EXPECT_EQ(window->Edit().EditState(), TEditState::Viewing);
}

TEST_F(MainWindowFixture, CtrlShiftClickLinksAMovieWithoutMovingTheFocus)
{
    Start(Films);
    TMovie *alien = MovieTitled(u"Alien"_s);
    TMovie *brazil = MovieTitled(u"Brazil"_s);
    window->SelectRecord(alien);
    Movies()->FlushFocus();
    ASSERT_EQ(window->Movies().Current(), alien);

    const QRect row = Movies()->visualRect(Model()->IndexOf(Model()->FirstNodeOf(brazil), 2));
    const Qt::KeyboardModifiers keys = Qt::ControlModifier | Qt::ShiftModifier;
    QTest::mousePress(Movies()->viewport(), Qt::LeftButton, keys, row.center());
    EXPECT_TRUE(Movies()->LinkDragging());
    QTest::mouseRelease(Movies()->viewport(), Qt::LeftButton, keys, row.center());
    EXPECT_FALSE(Movies()->LinkDragging());
    ASSERT_EQ(movieCard.links.size(), 1);
    EXPECT_EQ(movieCard.links.first(), brazil);
    EXPECT_EQ(Model()->RecordOf(Movies()->currentIndex()), alien);

    // A plain click moves the focus as usual.
    QTest::mouseClick(Movies()->viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(Model()->RecordOf(Movies()->currentIndex()), brazil);
}

TEST_F(MainWindowFixture, CustomFieldsBecomeGridColumns)
{
    settings.WriteInteger(u"MovieList"_s, u"ViewMode"_s, 2);
    Start(Films);
    TVideoDatabase *db = window->Database();
    db->AddCustomField(u"Shelf"_s);
    db->AddCustomField(u"Box"_s);
    ASSERT_EQ(Model()->columnCount(), 46);
    EXPECT_EQ(Model()->headerData(45, Qt::Horizontal).toString(), u"Box"_s);
    EXPECT_FALSE(Movies()->isColumnHidden(45));
    QList<TColumnSettings> columns = window->Settings().GridColumns;
    ASSERT_GE(columns.size(), 46);
    EXPECT_EQ(columns.at(45), (TColumnSettings{true, 45, 80}));

    Movies()->header()->resizeSection(45, 150);
    db->DeleteCustomField(0);
    EXPECT_EQ(Model()->columnCount(), 45);
    EXPECT_EQ(Model()->headerData(44, Qt::Horizontal).toString(), u"Box"_s);
    EXPECT_EQ(window->Settings().GridColumns.at(44).Width, 150);
    EXPECT_EQ(Movies()->header()->sectionSize(44), 150);

    db->RenameCustomField(0, u"Crate"_s);
    EXPECT_EQ(Model()->headerData(44, Qt::Horizontal).toString(), u"Crate"_s);
}

TEST_F(MainWindowFixture, StatusBarCountsAndTitleFormatting)
{
    settings.WriteInteger(u"Title"_s, u"PrefixMode"_s, 1);
    Start(Films, {u"Zoe"_s, u"Ann"_s});
    EXPECT_EQ(Child<QLabel>(window.get(), "StatusPanel0")->text(), u"Movies: 4"_s);
    EXPECT_EQ(Child<QLabel>(window.get(), "StatusPanel1")->text(), u"Shown: 4"_s);
    // Counts that change record by record reach the panels when the event loop turns.
    MovieTitled(u"Brazil"_s)->SetShown(false);
    QCoreApplication::processEvents();
    EXPECT_EQ(Child<QLabel>(window.get(), "StatusPanel1")->text(), u"Shown: 3"_s);

    // The window's title formatting is the catalog's.
    TMovie *alien = MovieTitled(u"Alien"_s);
    alien->SetTitle(u"The Matrix"_s);
    EXPECT_EQ(alien->Title(), u"Matrix, The"_s);

    Trigger("dbModeAct");
    EXPECT_EQ(Child<QLabel>(window.get(), "StatusPanel0")->text(), u"People: 2"_s);
    QStringList names;
    for (int row = 0; row < window->People().Model()->rowCount(); ++row)
        names.append(window->People().Model()->index(row, 1).data().toString());
    EXPECT_EQ(names, (QStringList{u"Ann"_s, u"Zoe"_s}));
}

TEST_F(MainWindowFixture, PreferencesReshapeTheLists)
{
    settings.WriteInteger(u"MovieList"_s, u"ViewMode"_s, 1);
    Start(Films);
    ASSERT_EQ(TopRows(), (QStringList{u"0 - 9"_s, u"A"_s, u"B"_s}));

    // A new title format shows at once; removing the last grouping level leaves the tree.
    WhenModal([](QWidget *modal) {
        Child<QLineEdit>(modal, "TitleFormat")->setText(u"%T (%Y)"_s);
        QWidget *groups = Child<QWidget>(modal, "MovieGroups");
        Child<QListWidget>(groups, "GroupList")->setCurrentRow(0);
        Child<QPushButton>(groups, "RemoveBtn")->click();
        Child<QPushButton>(modal, "OKBtn")->click();
    });
    Trigger("OptsAct");
    EXPECT_EQ(window->Movies().View(), TViewMode::Plain);
    EXPECT_TRUE(window->Action(u"PlainViewAct"_s)->isChecked());
    EXPECT_EQ(TopRows(),
              (QStringList{u"28 Days Later (2002)"_s,
                           u"2001: A Space Odyssey (1968)"_s,
                           u"Alien (1979)"_s,
                           u"Brazil ()"_s}));

    // Grouping by year: Brazil, without a year, goes to the undefined group; group rows run
    // in caption order, as the rows do.
    WhenModal([](QWidget *modal) {
        QWidget *groups = Child<QWidget>(modal, "MovieGroups");
        Child<QListWidget>(groups, "AvailableList")->setCurrentRow(3);
        Child<QPushButton>(groups, "AddBtn")->click();
        Child<QPushButton>(modal, "OKBtn")->click();
    });
    Trigger("OptsAct");
    ASSERT_EQ(window->Settings().MovieGroups, QList<int>{3});
    Trigger("TreeViewAct");
    EXPECT_EQ(TopRows(), (QStringList{u"1968"_s, u"1979"_s, u"2002"_s, u"Undefined"_s}));
}

} // namespace

namespace {

// Double-clicks a grid cell, lets the user's keys work on the opened editor and returns the
// editor while it is still open (nullptr once it closed).
QLineEdit *
EditCell(TCatalogList *list, const QModelIndex &index, const std::function<void(QLineEdit *)> &keys)
{
    // Editors closed before are deleted later; they must not be found again.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    list->setFocus();
    list->scrollTo(index);
    // The grid is wider than the window: bring the cell's column into view.
    if (!list->viewport()->rect().contains(list->visualRect(index).center()))
        list->horizontalScrollBar()->setValue(list->header()->sectionPosition(index.column()));
    const QPoint at = list->visualRect(index).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    auto *editor = qobject_cast<QLineEdit *>(list->indexWidget(index));
    if (!editor) {
        ADD_FAILURE() << "no editor opened on column " << index.column();
        return nullptr;
    }
    keys(editor);
    // The delegate commits and closes on a queued call.
    QCoreApplication::processEvents();
    return list->indexWidget(index) == editor ? editor : nullptr;
}

void Enter(QLineEdit *editor)
{
    QTest::keyClick(editor, Qt::Key_Return);
}

} // namespace

TEST_F(MainWindowFixture, GridEditorStartsFromTheCellText)
{
    settings.WriteInteger(u"MovieList"_s, u"ViewMode"_s, 2);
    Start(Films);
    TMovie *alien = MovieTitled(u"Alien"_s);
    alien->SetRating(7.25);
    const QString longText(40000, u'x');
    alien->SetDescription(longText);
    window->Database()->SetModified(false);
    const auto cell = [&](int column) {
        return Model()->IndexOf(Model()->FirstNodeOf(alien), column);
    };

    // Opened and left with Enter, a cell keeps its text (and a rating its hidden digits).
    QString opened;
    EditCell(Movies(), cell(6), [&](QLineEdit *editor) {
        opened = editor->selectedText();
        Enter(editor);
    });
    EXPECT_EQ(opened, u"Horror, SciFi"_s);
    EditCell(Movies(), cell(19), Enter);
    EditCell(Movies(), cell(24), Enter);
    EXPECT_EQ(alien->Genre(), u"Horror, SciFi"_s);
    EXPECT_EQ(alien->Rating(), 7.25);
    EXPECT_EQ(alien->Description(), longText);
    EXPECT_FALSE(window->Database()->Modified());

    // Typing after End adds to the text.
    EditCell(Movies(), cell(6), [](QLineEdit *editor) {
        QTest::keyClick(editor, Qt::Key_End);
        QTest::keyClicks(editor, u", War"_s);
        Enter(editor);
    });
    EXPECT_EQ(alien->Genre(), u"Horror, SciFi, War"_s);
    EXPECT_TRUE(window->Database()->Modified());
}

TEST_F(MainWindowFixture, PeopleGridStoresEditsAndRefusesNonDates)
{
    settings.WriteInteger(u"PeopleList"_s, u"ViewMode"_s, 2);
    Start(Films, {u"Ann"_s});
    Trigger("dbModeAct");
    TActor *ann = window->Database()->Person(0);
    TCatalogList *list = window->People().List();
    const QModelIndex birthday =
        window->People().Model()->IndexOf(window->People().Model()->FirstNodeOf(ann), 4);
    const QString may12 = ShortDateText(DateToDays(QDate(1970, 5, 12)));
    const auto type = [](const QString &text) {
        return [text](QLineEdit *editor) {
            editor->selectAll();
            text.isEmpty() ? QTest::keyClick(editor, Qt::Key_Delete)
                           : QTest::keyClicks(editor, text);
            Enter(editor);
        };
    };

    const struct
    {
        QString typed;
        QString stored;
    } dates[] = {
        {u"1970-05-12"_s, may12},
        {QLocale().toString(QDate(1970, 5, 12), QLocale::LongFormat), may12},
        {QLocale().toString(QDate(1970, 5, 12), QLocale::ShortFormat), may12},
        {u""_s, u""_s},
    };
    for (const auto &date : dates) {
        ann->SetBirthday(DateToDays(QDate(2000, 1, 1)));
        EXPECT_EQ(EditCell(list, birthday, type(date.typed)), nullptr) << date.typed.toStdString();
        EXPECT_EQ(birthday.data().toString(), date.stored) << date.typed.toStdString();
    }

    // Text that is no date stays in the marked editor; the record keeps its birthday.
    ann->SetBirthday(DateToDays(QDate(2000, 1, 1)));
    QLineEdit *refused = EditCell(list, birthday, type(u"12th of May"_s));
    ASSERT_NE(refused, nullptr);
    EXPECT_EQ(refused->text(), u"12th of May"_s);
    EXPECT_TRUE(refused->property(TListDelegate::RefusedProperty).toBool());
    EXPECT_FALSE(refused->toolTip().isEmpty());
    list->CloseCellEditor(true);
    EXPECT_EQ(ann->Birthday(), DateToDays(QDate(2000, 1, 1)));

    // Other cells store through the person's setters.
    EditCell(list,
             window->People().Model()->IndexOf(window->People().Model()->FirstNodeOf(ann), 5),
             type(u"Vienna"_s));
    EXPECT_EQ(ann->Birthplace(), u"Vienna"_s);
}
