// Loans: lending and returning the selected movies, the history file every loan event is
// appended to, the borrower suggestions and the loan history window.
#include "app/loancontroller.h"

#include <utility>

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include "app/cardedit.h"
#include "app/catalogview.h"
#include "app/commandhost.h"
#include "app/grouping.h"
#include "app/historyform.h"
#include "app/listcontroller.h"
#include "app/listmodel.h"
#include "app/maindialogs.h"
#include "app/undocontroller.h"
#include "catalog/basemovie.h"
#include "catalog/daycount.h"
#include "catalog/movie.h"
#include "catalog/videodatabase.h"
#include "logic/filters.h"
#include "logic/loanhistory.h"
#include "logic/settings.h"

using namespace Qt::StringLiterals;

namespace {

// The tree view's grouping field of the borrower.
constexpr int BorrowerGroupField = 19;
// The dialog offers this many recent borrowers.
constexpr int SuggestedBorrowers = 5;

// Whether the loan filter (1: lent movies only, 2: movies at home only) leaves a movie out.
bool LeftOutByLoanFilter(int loanFilter, const TBaseMovie &movie)
{
    const bool lent = !movie.Loan().isEmpty();
    return (loanFilter == 1 && !lent) || (loanFilter == 2 && lent);
}

} // namespace

TLoanController::TLoanController(ICommandHost &host,
                                 const TAppFolders &folders,
                                 const TSettings &settings)
    : m_host(host)
    , m_folders(folders)
    , m_settings(settings)
{}

TLoanController::~TLoanController() = default;

QString TLoanController::CatalogName() const
{
    return m_host.Database() ? QFileInfo(m_host.Database()->FileName()).fileName() : QString();
}

QStringList TLoanController::RecentBorrowers(int count) const
{
    if (!m_host.Database())
        return {};
    return ::RecentBorrowers(ReadHistoryText(HistoryPath(m_folders)), CatalogName(), count);
}

void TLoanController::OnLoanChanged(bool returned, const QString &borrower, TBaseMovie *movie)
{
    const QString path = HistoryPath(m_folders);
    const Status written = AppendHistoryLine(
        path,
        HistoryLine(CatalogName(), returned, movie ? movie->Now() : NowDays(), borrower, movie));
    if (written)
        return;
    // The loan itself is already stored in the movie; only its record in the history is lost.
    const QString message = m_host.Text(1778, u"The loan history could not be written to %1:\n%2"_s)
                                .arg(QDir::toNativeSeparators(path), written.Error());
    if (m_loanCommand) {
        // One message per command, not one per movie.
        if (m_historyError.isEmpty())
            m_historyError = message;
        return;
    }
    m_host.Dialogs().ShowError(m_host.Window(), m_host.Text(1802, u"Error"_s), message);
}

void TLoanController::LoanOne(TBaseMovie *movie,
                              bool returning,
                              const QString &borrower,
                              bool rebuild)
{
    const QString before = movie->Loan();
    if (returning)
        movie->ReturnLoan();
    else
        movie->Lend(borrower);
    if (movie->Loan() == before)
        return;
    // In a tree grouped by borrower the movie moves to the group of its new borrower.
    TListModel *model = m_host.Lists(TRecordKind::Movie).Model();
    if (rebuild && movie->Kind() == TRecordKind::Movie && movie->Shown())
        model->Reshow(*movie);
    else
        model->RecordChanged(movie);
}

void TLoanController::LoanMovies()
{
    TVideoDatabase *db = m_host.Database();
    if (m_host.PeopleMode() || m_host.ReadOnly() || !db)
        return;
    // A pending card edit is stored first; showing the card again would drop it.
    if (m_host.Edit().EditState() == TEditState::Editing)
        m_host.Edit().ApplyEdits();
    TListController &movies = m_host.Lists(TRecordKind::Movie);
    auto *current = static_cast<TBaseMovie *>(movies.Current());
    if (!current)
        return;
    const bool returning = !current->Loan().isEmpty();
    QString borrower;
    if (!returning) {
        const std::optional<QString> name =
            m_host.Dialogs().AskBorrower(m_host.Window(), RecentBorrowers(SuggestedBorrowers));
        if (!name || name->trimmed().isEmpty() || !m_host.Database())
            return;
        borrower = name->trimmed();
    }

    QList<TDBItem *> records = movies.SelectedRecordsBelowGroups();
    if (records.isEmpty())
        records.append(current);
    const bool rebuild = movies.Grouped() && movies.Groups().Levels().contains(BorrowerGroupField);
    const bool byLabel = m_settings.LoanMediaLabel;
    const bool byId = m_settings.LoanID;
    TUndoScope step(
        m_host.Undo(),
        (returning ? m_host.Text(1853, u"&Return"_s) : m_host.Text(1852, u"&Loan"_s)).remove(u'&'));
    QSet<TBaseMovie *> done;
    QList<TBaseMovie *> changed;
    const auto handle = [&](TBaseMovie *movie) {
        if (done.contains(movie))
            return;
        done.insert(movie);
        changed.append(movie);
        step.Touch(movie);
        LoanOne(movie, returning, borrower, rebuild);
    };

    m_loanCommand = true;
    m_historyError.clear();
    for (TDBItem *record : std::as_const(records)) {
        if (record->Kind() == TRecordKind::Person)
            continue;
        auto *movie = static_cast<TBaseMovie *>(record);
        handle(movie);
        // Movies on the same disc or under the same ID go along with it.
        const QString label = movie->Label();
        const int id = movie->Num();
        const bool sameLabel = byLabel && !label.isEmpty();
        const bool sameId = byId && id >= 0;
        if (!sameLabel && !sameId)
            continue;
        for (int i = 0; i < db->MovieCount(); ++i) {
            TMovie *other = db->Movie(i);
            if (other != movie
                && ((sameLabel && other->Label() == label) || (sameId && other->Num() == id)))
                handle(other);
        }
    }
    m_loanCommand = false;
    step.Finish();

    // Every movie the command changed leaves a list that the loan filter no longer lets it
    // into, not only the current one.
    for (TBaseMovie *movie : std::as_const(changed)) {
        if (movie->Kind() == TRecordKind::Movie && movie->Shown()
            && LeftOutByLoanFilter(m_host.Filter().Loan, *movie))
            movie->SetShown(false);
    }

    movies.ApplySort();
    TCatalogList *list = movies.List();
    if (current->Shown()) {
        if (movies.Model()->RecordOf(list->currentIndex()) != current)
            list->SelectRecord(current);
    } else if (movies.Model()->rowCount() > 0) {
        list->SelectFirst();
        list->FlushFocus();
    } else {
        movies.SetCurrent(nullptr);
        m_host.Edit().SetEditState(TEditState::Empty);
    }
    m_host.Edit().ShowCurrent();
    m_host.CommandUpdate();

    if (!m_historyError.isEmpty()) {
        m_host.Dialogs().ShowError(
            m_host.Window(), m_host.Text(1802, u"Error"_s), std::exchange(m_historyError, {}));
    }
}

void TLoanController::ShowLoanHistory()
{
    if (!m_historyForm)
        m_historyForm = new THistoryForm(m_host.Window());
    // Texts and rows are read again each time: the language or the catalog may have changed.
    m_historyForm->SetTexts(
        [this](int number, const QString &english) { return m_host.Text(number, english); });
    QList<THistoryEntry> entries;
    if (m_host.Database())
        entries = HistoryEntries(ReadHistoryText(HistoryPath(m_folders)), CatalogName());
    m_historyForm->ShowEntries(entries);
    m_historyForm->show();
    m_historyForm->raise();
    m_historyForm->activateWindow();
}
