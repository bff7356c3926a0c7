#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>

class ICommandHost;
class TBaseMovie;
class THistoryForm;
struct TAppFolders;
struct TSettings;

// Lending and returning the selected movies, the history file every loan event is appended
// to, the borrower suggestions and the loan history window.
class TLoanController
{
public:
    TLoanController(ICommandHost &host, const TAppFolders &folders, const TSettings &settings);
    ~TLoanController();

    // Lends or returns the selected movies (a group row stands for every record below it);
    // movies with the same ID or label go along as the settings say.
    void LoanMovies();
    void ShowLoanHistory();
    // The most recent distinct borrowers of the open catalog, newest first, at most `count`.
    QStringList RecentBorrowers(int count) const;
    // The catalog lent or returned a movie: the event goes to the history file.
    void OnLoanChanged(bool returned, const QString &borrower, TBaseMovie *movie);

private:
    void LoanOne(TBaseMovie *movie, bool returning, const QString &borrower, bool rebuild);
    QString CatalogName() const;

    ICommandHost &m_host;
    const TAppFolders &m_folders;
    const TSettings &m_settings;
    QPointer<THistoryForm> m_historyForm;
    // While the loan command runs, a failed history write is reported once, at its end.
    bool m_loanCommand = false;
    QString m_historyError;
};
