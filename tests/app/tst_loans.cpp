// Loans: the history file's lines and readers, and the loan command and history window with
// the borrower dialog answered by the test.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "app/historyform.h"
#include "app/loancontroller.h"
#include "app/loandlg.h"
#include "catalog/daycount.h"
#include "logic/loanhistory.h"
#include "tests/support/commandfixture.h"
#include "tests/support/widgettest.h"

namespace {

QString ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

TEST(LoanHistory, LinesNameTheMovieAndItsDifferingOriginalTitle)
{
    const std::unique_ptr<TMovie> heat = TMovie::Create(nullptr);
    heat->SetTitle(u"Heat"_s);
    EXPECT_EQ(HistoryLine(u"movies.rkd"_s, false, 39421.5, u"Ann"_s, heat.get()),
              u"movies.rkd|>39421,5$Ann##Heat##"_s);

    const std::unique_ptr<TMovie> solaris = TMovie::Create(nullptr);
    solaris->SetTitle(u"Solaris"_s);
    solaris->SetOrigtitle(u"SOLARIS"_s); // same ignoring case: left out
    EXPECT_EQ(HistoryLine(u"m.rkd"_s, true, 2, u"Bob"_s, solaris.get()),
              u"m.rkd|<2$Bob##Solaris"_s);
    solaris->SetOrigtitle(u"Солярис"_s);
    EXPECT_EQ(HistoryLine(u"m.rkd"_s, true, 2, u"Bob"_s, solaris.get()),
              u"m.rkd|<2$Bob##Solaris##Солярис"_s);
    // A line break in a name would split the event in two.
    EXPECT_EQ(HistoryLine(u"m.rkd"_s, false, 1, u"A\r\nB"_s, nullptr), u"m.rkd|>1$A  B"_s);
}

TEST(LoanHistory, RecentBorrowersAreDistinctNewestFirstAndOfThisCatalog)
{
    const QString text = u"\uFEFFmovies.rkd|>1$Old##X\r\n"
                         "movies.rkd|>2$Ann##X\r\n"
                         "other.rkd|>3$Stranger##X\r\n"
                         "movies.rkd|>4$Bob\r\n"
                         "\r\n"
                         "garbage without bar\r\n"
                         "MOVIES.RKD|<5$Cid##Y##\r\n"
                         "movies.rkd|>6$Ann##Z\r\n"
                         "movies.rkd|>7$Dan##Z\r\n"
                         "movies.rkd|>8$Eve##Z\r\n"
                         "movies.rkd|>9$Fay##Z\r\n"_s;
    EXPECT_EQ(RecentBorrowers(text, u"movies.rkd"_s, 5),
              (QStringList{u"Fay"_s, u"Eve"_s, u"Dan"_s, u"Ann"_s, u"Cid"_s}));
    EXPECT_EQ(RecentBorrowers(text, u"movies.rkd"_s, 7).last(), u"Old"_s);
    EXPECT_EQ(RecentBorrowers(text, u"other.rkd"_s, 5), QStringList{u"Stranger"_s});
    EXPECT_TRUE(RecentBorrowers(QString(), u"movies.rkd"_s, 5).isEmpty());

    // The window's rows: newest first, "title / original title", unreadable times empty.
    const QList<THistoryEntry> rows = HistoryEntries(text, u"movies.rkd"_s);
    ASSERT_EQ(rows.size(), 8);
    EXPECT_EQ(rows.at(0).borrower, u"Fay"_s);
    EXPECT_EQ(rows.at(4).movie, u"Y / "_s);
    EXPECT_TRUE(rows.at(4).returned);
    EXPECT_FALSE(rows.at(5).returned);
    EXPECT_EQ(rows.at(5).movie, QString());
    EXPECT_EQ(rows.at(0).when, 9.0);
    EXPECT_FALSE(HistoryEntries(u"m.rkd|>4.5$A"_s, u"m.rkd"_s).at(0).when);
}

TEST(LoanHistory, AppendingAddsUtf8LinesAndReportsAnUnwritableFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"sub/history.txt"_s);
    ASSERT_TRUE(AppendHistoryLine(path, u"a.rkd|>1$Zoë"_s).Ok());
    // An earlier version's file readable by everyone is made private at the next line.
    QFile(path).setPermissions(QFileDevice::Permissions(0x6644));
    ASSERT_TRUE(AppendHistoryLine(path, u"a.rkd|<2$Zoë"_s).Ok());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "a.rkd|>1$Zo\xc3\xab\r\na.rkd|<2$Zo\xc3\xab\r\n");
    // Owner, group and other bits: the file is the user's alone.
    EXPECT_EQ(int(file.permissions() & 0x7077),
              int(QFileDevice::ReadOwner | QFileDevice::WriteOwner));

    // A folder where the file should be cannot be opened for writing.
    QDir(dir.path()).mkpath(u"blocked/history.txt"_s);
    const Status status = AppendHistoryLine(dir.filePath(u"blocked/history.txt"_s), u"x"_s);
    EXPECT_FALSE(status.Ok());
    EXPECT_FALSE(status.Error().isEmpty());
}

TEST(LoanDialog, OffersTheRecentBorrowersAndTrimsTheName)
{
    TLoanDlg dialog(nullptr, {u"Ann"_s, u"Bob"_s});
    auto *names = Child<QComboBox>(&dialog, "NameCombo");
    auto *ok = Child<QPushButton>(&dialog, "OKBtn");
    ASSERT_TRUE(names && ok);
    EXPECT_EQ(names->count(), 2);
    EXPECT_TRUE(names->currentText().isEmpty());
    EXPECT_FALSE(ok->isEnabled());
    names->setEditText(u"   "_s);
    EXPECT_FALSE(ok->isEnabled());
    names->setEditText(u"  Cid "_s);
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_EQ(dialog.Borrower(), u"Cid"_s);
}

const QList<std::tuple<QString, QString, int>> Shelf = {
    {u"Alien"_s, u"Horror"_s, 1979},
    {u"Brazil"_s, u"Comedy"_s, 1985},
    {u"Clerks"_s, u"Comedy"_s, 1994},
    {u"Dogma"_s, u"Comedy"_s, 1999},
};

class LoansTest : public CommandFixture
{
protected:
    void SetUp() override { CommandFixture::SetUp(); }
    // The controller is made before the catalog; it reaches it through the host.
    void Begin(const QList<std::tuple<QString, QString, int>> &movies)
    {
        Start(movies);
        db->SetClock([] { return 39421.5; });
        loans = std::make_unique<TLoanController>(*host, folders, settings);
        db->OnLoanChanged = [this](bool returned, const QString &borrower, TBaseMovie *movie) {
            loans->OnLoanChanged(returned, borrower, movie);
        };
    }
    QString History() const { return root.filePath(u"history.txt"_s); }

    std::unique_ptr<TLoanController> loans;
};

TEST_F(LoansTest, LendingAndReturningTheSelectionWritesTheHistory)
{
    {
        QFile file(History());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("lists.rkd|>1$Ann##X\r\nelse.rkd|>2$Zed##X\r\nlists.rkd|<3$Bob##X\r\n");
    }
    Begin(Shelf);
    Focus(MovieTitled(u"Brazil"_s));
    AddToSelection(MovieTitled(u"Dogma"_s));
    dialogs.borrowerAnswers.push_back(u"Cid"_s);
    loans->LoanMovies();
    ASSERT_EQ(dialogs.borrowerLists.size(), 1);
    EXPECT_EQ(dialogs.borrowerLists.first(), (QStringList{u"Bob"_s, u"Ann"_s}));
    EXPECT_EQ(MovieTitled(u"Brazil"_s)->Loan(), u"Cid"_s);
    EXPECT_EQ(MovieTitled(u"Dogma"_s)->Loan(), u"Cid"_s);
    EXPECT_TRUE(MovieTitled(u"Clerks"_s)->Loan().isEmpty());
    const QString lent = u"lists.rkd|>39421,5$Cid##Brazil##\r\n"
                         "lists.rkd|>39421,5$Cid##Dogma##\r\n"_s;
    EXPECT_TRUE(ReadAll(History()).endsWith(lent));

    // Returning, with a movie at home in the selection: only the lent ones write a line.
    Focus(MovieTitled(u"Dogma"_s));
    AddToSelection(MovieTitled(u"Alien"_s));
    loans->LoanMovies();
    EXPECT_EQ(dialogs.borrowerLists.size(), 1); // no question for a return
    EXPECT_TRUE(MovieTitled(u"Dogma"_s)->Loan().isEmpty());
    EXPECT_EQ(MovieTitled(u"Brazil"_s)->Loan(), u"Cid"_s);
    EXPECT_TRUE(ReadAll(History()).endsWith(lent + u"lists.rkd|<39421,5$Cid##Dogma##\r\n"_s));

    // Cancel lends nothing.
    Focus(MovieTitled(u"Clerks"_s));
    loans->LoanMovies();
    EXPECT_TRUE(MovieTitled(u"Clerks"_s)->Loan().isEmpty());

    // The history window lists this catalog's events, newest first.
    loans->ShowLoanHistory();
    auto *form = static_cast<THistoryForm *>(host->window.findChild<QWidget *>(u"LHForm"_s));
    ASSERT_TRUE(form && form->isVisible());
    QTreeWidget *list = form->List();
    ASSERT_EQ(list->topLevelItemCount(), 5);
    EXPECT_EQ(list->topLevelItem(0)->text(1), u"Returned"_s);
    EXPECT_EQ(list->topLevelItem(0)->text(3), u"Dogma / "_s);
    EXPECT_EQ(list->topLevelItem(1)->text(1), u"Lent"_s);
    EXPECT_EQ(list->topLevelItem(1)->text(0),
              QLocale().toString(QDate(2007, 12, 5), QLocale::ShortFormat));
    EXPECT_EQ(list->topLevelItem(4)->text(2), u"Ann"_s);
}

TEST_F(LoansTest, SameIdAndLabelGoAlongAndTheLoanFilterHidesLentMovies)
{
    settings.LoanID = true;
    settings.LoanMediaLabel = true;
    prepare = [](TVideoDatabase &db) {
        for (int i = 0; i < db.MovieCount(); ++i) {
            TMovie *movie = db.Movie(i);
            if (movie->Title() == u"Alien"_s || movie->Title() == u"Clerks"_s)
                movie->SetNum(12);
            if (movie->Title() == u"Dogma"_s)
                movie->SetLabel(u"Disc 1"_s);
        }
    };
    Begin(Shelf);
    host->filter.Loan = 2; // movies at home only
    host->Shown().Refilter();
    // Without an ID (-1) and without a label, Brazil lends nothing else.
    Focus(MovieTitled(u"Brazil"_s));
    dialogs.borrowerAnswers.push_back(u"Ann"_s);
    loans->LoanMovies();
    EXPECT_EQ(MovieTitled(u"Brazil"_s)->Loan(), u"Ann"_s);
    EXPECT_TRUE(MovieTitled(u"Alien"_s)->Loan().isEmpty());
    EXPECT_TRUE(MovieTitled(u"Dogma"_s)->Loan().isEmpty());
    EXPECT_FALSE(MovieTitled(u"Brazil"_s)->Shown());
    EXPECT_NE(MovieLists().Current(), MovieTitled(u"Brazil"_s));

    // Alien takes Clerks (same ID) along; both leave the list of movies at home.
    Focus(MovieTitled(u"Alien"_s));
    dialogs.borrowerAnswers.push_back(u"Bob"_s);
    loans->LoanMovies();
    EXPECT_EQ(MovieTitled(u"Clerks"_s)->Loan(), u"Bob"_s);
    EXPECT_FALSE(MovieTitled(u"Clerks"_s)->Shown());
    EXPECT_EQ(TopRows(), QStringList{u"Dogma"_s});
}

TEST_F(LoansTest, TreeGroupedByBorrowerMovesTheMovie)
{
    settings.MovieGroups = {19};
    settings.MovieViewMode = 1;
    Begin(Shelf);
    ASSERT_EQ(TopRows(), QStringList{u"Undefined"_s});
    Focus(MovieTitled(u"Clerks"_s));
    dialogs.borrowerAnswers.push_back(u"Ann"_s);
    loans->LoanMovies();
    QStringList groups = TopRows();
    groups.sort();
    EXPECT_EQ(groups, (QStringList{u"Ann"_s, u"Undefined"_s}));
    TViewNode *node = Model()->FirstNodeOf(MovieTitled(u"Clerks"_s));
    EXPECT_EQ(Model()->IndexOf(node->Parent(), 2).data().toString(), u"Ann"_s);
    EXPECT_EQ(MovieLists().Current(), MovieTitled(u"Clerks"_s));
}

TEST_F(LoansTest, AnUnwritableHistoryIsReportedOnceAndTheLoansStay)
{
    ASSERT_TRUE(QDir(root.path()).mkpath(u"history.txt"_s));
    Begin(Shelf);
    Focus(MovieTitled(u"Alien"_s));
    AddToSelection(MovieTitled(u"Brazil"_s));
    dialogs.borrowerAnswers.push_back(u"Ann"_s);
    loans->LoanMovies();
    EXPECT_EQ(MovieTitled(u"Alien"_s)->Loan(), u"Ann"_s);
    EXPECT_EQ(MovieTitled(u"Brazil"_s)->Loan(), u"Ann"_s);
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors.first().contains(u"history.txt"_s));
}

} // namespace
