#pragma once

#include <functional>
#include <optional>

#include <QDialog>
#include <QString>
#include <QStringList>

class QComboBox;
class QPushButton;
class TWideLanguage;

// A translated text by number, or the given English text when the number has none.
using TTextLookup = std::function<QString(int number, const QString &english)>;

// "Loan Movie to": the borrower's name, typed or picked from the recent borrowers.
class TLoanDlg : public QDialog
{
public:
    TLoanDlg(QWidget *parent, const QStringList &recentBorrowers, const TTextLookup &text = {});

    // The typed name without surrounding blanks.
    QString Borrower() const;

    // Runs the dialog modally; nothing on Cancel, when the name is blank or when `parent`
    // closed meanwhile. `language` (may be null) gives the texts.
    static std::optional<QString>
    Ask(QWidget *parent, const QStringList &recentBorrowers, const TWideLanguage *language);

private:
    QComboBox *m_nameBox = nullptr;
    QPushButton *m_ok = nullptr;
};
