// The main window's loans: lending and returning the selected movies, the history file
// every loan event is appended to, the borrower suggestions and the loan history window.
#include <utility>

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include "app/catalogview.h"
#include "app/grouping.h"
#include "app/historyform.h"
#include "app/listmodel.h"
#include "app/mainwindow.h"
#include "catalog/basemovie.h"
#include "catalog/daycount.h"
#include "catalog/movie.h"
#include "catalog/videodatabase.h"
#include "logic/loanhistory.h"

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

QString TMain::CatalogName() const
{
    return m_db ? QFileInfo(m_db->FileName()).fileName() : QString();
}

QStringList TMain::RecentBorrowers(int count) const
{
    if (!m_db)
        return {};
    return ::RecentBorrowers(ReadHistoryText(HistoryPath(m_folders)), CatalogName(), count);
}

void TMain::OnLoanChanged(bool returned, const QString &borrower, TBaseMovie *movie)
{
    const QString path = HistoryPath(m_folders);
    const Status written =
        AppendHistoryLine(path, HistoryLine(CatalogName(), returned, NowDays(), borrower, movie));
    if (written)
        return;
    // The loan itself is already stored in the movie; only its record in the history is lost.
    const QString message = Text(1778, u"The loan history could not be written to %1:\n%2"_s)
                                .arg(QDir::toNativeSeparators(path), written.Error());
    if (m_loanCommand) {
        // One message per command, not one per movie.
        if (m_historyError.isEmpty())
            m_historyError = message;
        return;
    }
    m_dialogs->ShowError(this, Text(1802, u"Error"_s), message);
}

void TMain::LoanOne(TBaseMovie *movie, bool returning, const QString &borrower, bool rebuild)
{
    const QString before = movie->Loan();
    if (returning)
        movie->ReturnLoan();
    else
        movie->Lend(borrower);
    if (movie->Loan() == before)
        return;
    // In a tree grouped by borrower the movie moves to the group of its new borrower.
    if (rebuild && movie->Kind() == TRecordKind::Movie && movie->Shown()) {
        m_movieModel->Reshow(*movie);
    } else {
        m_movieModel->RecordChanged(movie);
    }
}

void TMain::LoanMovies()
{
    if (m_peopleMode || m_readOnly || !m_db)
        return;
    // A pending card edit is stored first; showing the card again would drop it.
    if (m_editState == TEditState::Editing)
        ApplyEdits();
    auto *current = static_cast<TBaseMovie *>(CurrentRecord(false));
    if (!current)
        return;
    const bool returning = !current->Loan().isEmpty();
    QString borrower;
    if (!returning) {
        const std::optional<QString> name =
            m_dialogs->AskBorrower(this, RecentBorrowers(SuggestedBorrowers));
        if (!name || name->trimmed().isEmpty() || !m_db)
            return;
        borrower = name->trimmed();
    }

    QList<TDBItem *> records = SelectedRecordsBelowGroups();
    if (records.isEmpty())
        records.append(current);
    const bool rebuild =
        ListView(false) == TViewMode::Tree && m_movieGroups->Levels().contains(BorrowerGroupField);
    const bool byLabel = m_settings.LoanMediaLabel;
    const bool byId = m_settings.LoanID;
    QSet<TBaseMovie *> done;
    QList<TBaseMovie *> changed;
    const auto handle = [&](TBaseMovie *movie) {
        if (done.contains(movie))
            return;
        done.insert(movie);
        changed.append(movie);
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
        for (int i = 0; i < m_db->MovieCount(); ++i) {
            TMovie *other = m_db->Movie(i);
            if (other != movie
                && ((sameLabel && other->Label() == label) || (sameId && other->Num() == id)))
                handle(other);
        }
    }
    m_loanCommand = false;

    // Every movie the command changed leaves a list that the loan filter no longer lets it
    // into, not only the current one.
    for (TBaseMovie *movie : std::as_const(changed)) {
        if (movie->Kind() == TRecordKind::Movie && movie->Shown()
            && LeftOutByLoanFilter(m_filter.Loan, *movie))
            movie->SetShown(false);
    }

    ApplySort(false);
    if (current->Shown()) {
        if (m_movieModel->RecordOf(m_movieList->currentIndex()) != current)
            m_movieList->SelectRecord(current);
    } else if (m_movieModel->rowCount() > 0) {
        m_movieList->SelectFirst();
        m_movieList->FlushFocus();
    } else {
        SetCurrentRecord(false, nullptr);
        SetEditState(TEditState::Empty);
    }
    ShowCurrent();
    CommandUpdate();

    if (!m_historyError.isEmpty())
        m_dialogs->ShowError(this, Text(1802, u"Error"_s), std::exchange(m_historyError, {}));
}

void TMain::ShowLoanHistory()
{
    if (!m_historyForm)
        m_historyForm = new THistoryForm(this);
    // Texts and rows are read again each time: the language or the catalog may have changed.
    m_historyForm->SetTexts(
        [this](int number, const QString &english) { return Text(number, english); });
    QList<THistoryEntry> entries;
    if (m_db)
        entries = HistoryEntries(ReadHistoryText(HistoryPath(m_folders)), CatalogName());
    m_historyForm->ShowEntries(entries);
    m_historyForm->show();
    m_historyForm->raise();
    m_historyForm->activateWindow();
}
