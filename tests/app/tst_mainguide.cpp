// The first minutes in the window: the empty catalog's welcome, the keys a Linux user tries
// first, the user guide, the tool-bar hints, and rows and cards that stay readable under a
// dark desktop palette.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPalette>
#include <QPlainTextEdit>
#include <QStyle>
#include <QStyleFactory>
#include <QToolBar>
#include <QToolButton>

#include "app/grouping.h"
#include "catalog/episode.h"
#include "tests/support/mainfixture.h"
#include "tests/support/widgettest.h"
#include "views/actorframe.h"
#include "views/contrast.h"
#include "views/linktext.h"
#include "views/mvframe.h"

namespace {

class GuideTest : public CardWindowFixture
{
protected:
    void StartActive(const QList<std::tuple<QString, QString, int>> &movies)
    {
        Start(movies);
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void AddPlugin(const char *name, const QString &as)
    {
        QDir(Program()).mkpath(u"Plugins"_s);
        ASSERT_TRUE(QFile::copy(QStringLiteral(RK_TEST_PLUGINS_DIR "/") + QLatin1StringView(name),
                                QDir(Program()).filePath(u"Plugins/"_s + as)));
    }
    // A click on the start of a label's text, where its link begins.
    static void ClickLink(QLabel *label)
    {
        QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(8, label->height() / 2));
    }
    QLabel *Link(const char *name) const { return Child<QLabel>(MovieCard(), name); }
};

TEST_F(GuideTest, AnEmptyCatalogWelcomesWithALinkToTheFirstMovie)
{
    Start({});
    ASSERT_EQ(MovieCard()->Mode(), TCardFrame::ModeMessage);
    EXPECT_EQ(Child<QLabel>(MovieCard(), "MessageLbl")->text(),
              u"This catalog has no movies yet."_s);
    QLabel *add = Link("WelcomeNewLink");
    ASSERT_TRUE(add->isVisible());
    // Without an import plug-in there is nothing to import with.
    EXPECT_FALSE(Link("WelcomeImportLink")->isVisible());

    ClickLink(add);
    Movies()->FlushFocus();
    EXPECT_EQ(window->Database()->MovieCount(), 1);
    EXPECT_EQ(window->Edit().EditState(), TEditState::Editing);
    EXPECT_FALSE(add->isVisible());
    // Cancelling the still empty movie leaves the catalog empty and welcoming again.
    Trigger("AbortAct");
    EXPECT_EQ(window->Database()->MovieCount(), 0);
    EXPECT_TRUE(add->isVisible());
}

TEST_F(GuideTest, TheWelcomeIsOnlyForEmptyCatalogs)
{
    Start({{u"Alien"_s, u"Horror"_s, 1979}});
    Focus(MovieTitled(u"Alien"_s));
    EXPECT_FALSE(MovieCard()->WelcomeOn());
    // A filter that hides every movie shows the plain message, not the welcome.
    window->Filters().SetSearchField(TRecordKind::Movie, 6, u"Western"_s);
    EXPECT_EQ(MovieCard()->Mode(), TCardFrame::ModeMessage);
    EXPECT_FALSE(Link("WelcomeNewLink")->isVisible());
    EXPECT_EQ(Child<QLabel>(MovieCard(), "MessageLbl")->text(), u"No record is selected."_s);
    // People mode has its own welcome, without the movie importers.
    window->SetMode(TRecordKind::Person);
    auto *people = Child<TActorFrame>(window.get(), "PersonCard");
    EXPECT_TRUE(people->WelcomeOn());
    EXPECT_TRUE(Child<QLabel>(people, "WelcomeNewLink")->isVisible());
    EXPECT_FALSE(Child<QLabel>(people, "WelcomeImportLink")->isVisible());
}

TEST_F(GuideTest, TheImportLinkRunsTheOnlyImporterOrOffersEach)
{
    AddPlugin("testimport.so", u"testimport.so"_s);
    Start({});
    ASSERT_TRUE(Link("WelcomeImportLink")->isVisible());
    // The import starts by asking for the other program's file (cancelled here).
    ClickLink(Link("WelcomeImportLink"));
    EXPECT_EQ(dialogs->openFolders.size(), 1);
    window.reset();

    AddPlugin("testimport.so", u"testimport2.so"_s);
    Start({});
    ClickLink(Link("WelcomeImportLink"));
    auto *menu = window->findChild<QMenu *>(u"WelcomeImportMenu"_s);
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(menu->actions().size(), 2);
    EXPECT_EQ(dialogs->openFolders.size(), 1);
    menu->hide();
}

TEST_F(GuideTest, StandardKeys)
{
    StartActive({{u"Alien"_s, u"Horror"_s, 1979},
                 {u"Brazil"_s, u"Comedy"_s, 1985},
                 {u"Casablanca"_s, u"Drama"_s, 1942}});
    TMovie *brazil = MovieTitled(u"Brazil"_s);
    brazil->SetBookmark(true);
    Focus(MovieTitled(u"Alien"_s));
    Movies()->setFocus();

    // Ctrl+F goes to the search box, where Delete deletes text, not movies.
    QTest::keyClick(Movies(), Qt::Key_F, Qt::ControlModifier);
    auto *search = Child<QLineEdit>(window.get(), "SearchEdit");
    ASSERT_TRUE(search->hasFocus());
    search->setText(u"x"_s);
    search->setCursorPosition(0);
    QTest::keyClick(search, Qt::Key_Delete);
    EXPECT_TRUE(search->text().isEmpty());
    EXPECT_TRUE(dialogs->questions.isEmpty());

    // F2 in the plain view goes to the next bookmark.
    Movies()->setFocus();
    QTest::keyClick(Movies(), Qt::Key_F2);
    Movies()->FlushFocus();
    EXPECT_EQ(window->Movies().Current(), brazil);
    // Delete in the list deletes the selected movie, after asking.
    dialogs->yesNoAnswers = {false, true};
    QTest::keyClick(Movies(), Qt::Key_Delete);
    EXPECT_EQ(dialogs->questions.size(), 1);
    EXPECT_EQ(window->Database()->MovieCount(), 3);
    QTest::keyClick(Movies(), Qt::Key_Delete);
    EXPECT_EQ(window->Database()->MovieCount(), 2);
    EXPECT_EQ(MovieTitled(u"Brazil"_s), nullptr);

    // In the grid F2 edits the focused cell.
    ASSERT_TRUE(window->SetListView(window->Movies(), TViewMode::Grid));
    Movies()->setCurrentIndex(Model()->index(0, 2));
    Movies()->setFocus();
    QTest::keyClick(Movies(), Qt::Key_F2);
    ASSERT_TRUE(Movies()->CellEditing());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(Movies()->CellEditing());

    // Ctrl+Q quits.
    QTest::keyClick(Movies(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(GuideTest, F1OpensTheUserGuideOrSaysWhereItIsMissing)
{
    StartActive({});
    const QString index = QDir(Program()).filePath(u"help/index.html"_s);
    QTest::keyClick(window.get(), Qt::Key_F1);
    ASSERT_EQ(dialogs->errors.size(), 1);
    EXPECT_TRUE(dialogs->errors.first().contains(index)) << dialogs->errors.first().toStdString();
    EXPECT_TRUE(dialogs->opened.isEmpty());

    QDir(Program()).mkpath(u"help"_s);
    QFile page(index);
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.close();
    window->Action(u"HelpAct"_s)->trigger(); // Help > Contents
    EXPECT_EQ(dialogs->opened, QStringList{index});
    EXPECT_EQ(dialogs->errors.size(), 1);
}

TEST_F(GuideTest, GermanTextsOpenTheGermanGuideWhenThereIsOne)
{
    QDir(Program()).mkpath(u"help/de"_s);
    for (const char *page : {"help/index.html", "help/de/index.html"}) {
        QFile file(QDir(Program()).filePath(QLatin1StringView(page)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    settings.WriteInteger(u"Dialogs"_s, u"Language"_s, 7);
    Start({});
    window->Action(u"HelpAct"_s)->trigger();
    EXPECT_EQ(dialogs->opened, QStringList{QDir(Program()).filePath(u"help/de/index.html"_s)});
}

TEST_F(GuideTest, EveryToolBarButtonNamesItsCommandAndKey)
{
    Start({{u"Alien"_s, u"Horror"_s, 1979}});
    const auto checkBar = [this](const char *barName) {
        auto *bar = Child<QToolBar>(window.get(), barName);
        for (QToolButton *button : bar->findChildren<QToolButton *>()) {
            // Only the bar's own buttons (a search box's clear button is the box's).
            if (!button->isVisible() || button->parentWidget() != bar
                || button->objectName() == u"qt_toolbar_ext_button"_s)
                continue;
            EXPECT_FALSE(button->toolTip().isEmpty())
                << barName << " " << button->text().toStdString();
            const QAction *action = button->defaultAction();
            if (action && !action->shortcut().isEmpty()) {
                EXPECT_TRUE(button->toolTip().contains(
                    action->shortcut().toString(QKeySequence::NativeText)))
                    << button->toolTip().toStdString();
            }
        }
    };
    checkBar("MainToolBar");
    checkBar("FilterBar");
    QAction *newMovie = window->Action(u"NewVidAct"_s);
    EXPECT_EQ(newMovie->toolTip(), u"New (Ctrl+N)"_s);
    // The hints follow the captions through mode and language changes.
    window->SetMode(TRecordKind::Person);
    EXPECT_EQ(window->Action(u"dbModeAct"_s)->toolTip(), u"Switch to movies"_s);
}

// Fusion with a dark palette, as a dark desktop theme gives it.
class DarkPaletteTest : public GuideTest
{
protected:
    void SetUp() override
    {
        GuideTest::SetUp();
        m_style = QApplication::style()->name();
        m_palette = QApplication::palette();
        QApplication::setStyle(QStyleFactory::create(u"Fusion"_s));
        QPalette dark;
        dark.setColor(QPalette::Window, QColor(53, 53, 53));
        dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
        dark.setColor(QPalette::Base, QColor(42, 42, 42));
        dark.setColor(QPalette::AlternateBase, QColor(66, 66, 66));
        dark.setColor(QPalette::Text, QColor(230, 230, 230));
        dark.setColor(QPalette::Button, QColor(53, 53, 53));
        dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
        dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
        dark.setColor(QPalette::HighlightedText, QColor(255, 255, 255));
        dark.setColor(QPalette::Link, QColor(42, 130, 218));
        QApplication::setPalette(dark);
    }
    void TearDown() override
    {
        GuideTest::TearDown();
        QApplication::setStyle(QStyleFactory::create(m_style));
        QApplication::setPalette(m_palette);
    }
    // The strongest contrast of any pixel of a row's title cell against the cell's colour at
    // its right end (past the short title): the text's ink where it is drawn solid.
    double RowContrast(const QModelIndex &row, const QImage &image) const
    {
        const QRect cell = Movies()->visualRect(row).adjusted(2, 3, -3, -3);
        const QColor ground = image.pixelColor(cell.right(), cell.center().y());
        double best = 1;
        for (int y = cell.top(); y <= cell.bottom(); ++y) {
            for (int x = cell.left(); x < cell.right(); ++x)
                best = std::max(best, ContrastRatio(ground, image.pixelColor(x, y)));
        }
        return best;
    }

private:
    QString m_style;
    QPalette m_palette;
};

TEST_F(DarkPaletteTest, EveryRowStateReadsAtLeast4_5To1)
{
    // One row per state of the colour table, with the default colours.
    prepare = [](TVideoDatabase &db) {
        const auto add = [&db](const QString &title) {
            auto *movie = static_cast<TMovie *>(db.AddRecord(0));
            movie->SetTitle(title);
            movie->SetViewed(true);
            return movie;
        };
        add(u"Ab"_s);                                // plain
        add(u"Bb"_s)->SetBookmark(true);             // bookmarked
        add(u"Cb"_s)->SetViewed(false);              // not seen
        add(u"Db"_s)->Lend(u"Ann"_s);                // lent
        add(u"Eb"_s)->SetWish(true);                 // wished
        add(u"Fb"_s)->AddEpisode()->SetViewed(true); // a series and its episode
    };
    for (const bool listColors : {true, false}) {
        settings.WriteBool(u"Colors"_s, u"DoListColors"_s, listColors);
        QFile::remove(root.filePath(u"lists.rkd"_s)); // the catalog is made anew
        StartActive({});
        Movies()->expandAll();
        QList<QModelIndex> rows;
        for (QModelIndex row = Model()->index(0, 2); row.isValid(); row = Movies()->indexBelow(row))
            rows.append(row);
        ASSERT_EQ(rows.size(), 7);
        for (const bool selected : {false, true}) {
            for (const bool focused : {true, false}) {
                if (selected)
                    Movies()->selectAll();
                else
                    Movies()->clearSelection();
                if (focused)
                    Movies()->setFocus();
                else
                    Child<QLineEdit>(window.get(), "SearchEdit")->setFocus();
                const QImage image = Movies()->viewport()->grab().toImage();
                for (const QModelIndex &row : std::as_const(rows)) {
                    EXPECT_GE(RowContrast(row, image), MinTextContrast)
                        << "colours " << listColors << " selected " << selected << " focused "
                        << focused << " row " << row.data().toString().toStdString();
                }
            }
        }
        window.reset();
    }
}

TEST_F(DarkPaletteTest, DefaultColoursFollowThePaletteChosenOnesStay)
{
    const QColor chosen(200, 255, 200);
    settings.WriteInteger(u"Colors"_s, u"Color2"_s, WindowsFromColor(chosen)); // not seen
    Start({{u"Alien"_s, u"Horror"_s, 1979}});
    const auto colour = [this](int n) {
        return ColorFromWindows(Movies()->Delegate()->Look().Colors[size_t(n)]);
    };
    EXPECT_EQ(colour(0), QColor(42, 42, 42));
    EXPECT_EQ(colour(6), QColor(42, 130, 218));
    EXPECT_EQ(colour(2), chosen);
    EXPECT_LT(RelativeLuminance(colour(1)), 0.3); // a dimmed yellow for bookmarks
    EXPECT_EQ(MovieCard()->Settings().CardColor, QColor(42, 42, 42));
    // A switch to a light desktop brings the stored colours back.
    QApplication::setPalette(QApplication::style()->standardPalette());
    QCoreApplication::processEvents();
    EXPECT_EQ(colour(0), QColor(Qt::white));
    EXPECT_EQ(MovieCard()->Settings().CardColor, QColor(Qt::white));
}

TEST_F(DarkPaletteTest, CardTextAndLinksStayReadable)
{
    for (const bool cardColors : {true, false}) {
        settings.WriteBool(u"Colors"_s, u"DoMovieColors"_s, cardColors);
        Start({});
        // The welcome's message and link as drawn on the card: the strongest ink against the
        // label's right end, past its text.
        for (const char *name : {"MessageLbl", "WelcomeNewLink"}) {
            const QImage image = Child<QLabel>(MovieCard(), name)->grab().toImage();
            const QColor ground = image.pixelColor(image.width() - 2, image.height() / 2);
            double best = 1;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x)
                    best = std::max(best, ContrastRatio(ground, image.pixelColor(x, y)));
            }
            EXPECT_GE(best, MinTextContrast) << name << " colours " << cardColors;
        }
        // Every field of a movie being edited, whatever pane it sits on.
        Trigger("NewVidAct");
        Movies()->FlushFocus();
        int checked = 0;
        for (QWidget *field : MovieCard()->widget()->findChildren<QWidget *>()) {
            if (!field->isVisible())
                continue;
            const QPalette colors = field->palette();
            const auto expectReadable = [&](QPalette::ColorRole ground, QPalette::ColorRole ink) {
                EXPECT_GE(ContrastRatio(colors.color(ground), colors.color(ink)), MinTextContrast)
                    << field->objectName().toStdString() << " colours " << cardColors;
            };
            if (qobject_cast<QLineEdit *>(field) || qobject_cast<QPlainTextEdit *>(field)) {
                expectReadable(QPalette::Base, QPalette::Text);
            } else if (qobject_cast<QLabel *>(field) || qobject_cast<QCheckBox *>(field)) {
                expectReadable(QPalette::Window, QPalette::WindowText);
            } else if (qobject_cast<TLinkText *>(field)) {
                expectReadable(QPalette::Window, QPalette::WindowText);
                expectReadable(QPalette::Window, QPalette::Link);
            } else {
                continue;
            }
            ++checked;
        }
        EXPECT_GT(checked, 20);
        window.reset();
    }
}

} // namespace
