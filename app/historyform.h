#pragma once

#include <QList>
#include <QWidget>

#include "app/loandlg.h"
#include "logic/loanhistory.h"

class QPushButton;
class QTreeWidget;

// "Loan history": the loans and returns of the open catalog, newest first, with the date,
// the action, the borrower and the movie.
class THistoryForm : public QWidget
{
public:
    explicit THistoryForm(QWidget *parent = nullptr);

    // Takes the captions (and the action texts of later rows) from `text`.
    void SetTexts(const TTextLookup &text);
    // Replaces the rows; dates are shown in the locale's short format.
    void ShowEntries(const QList<THistoryEntry> &entries);
    QTreeWidget *List() const { return m_list; }

private:
    QTreeWidget *m_list = nullptr;
    QPushButton *m_close = nullptr;
    QString m_returned;
    QString m_lent;
};
