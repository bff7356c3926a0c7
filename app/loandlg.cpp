#include "app/loandlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "views/languagewide.h"

using namespace Qt::StringLiterals;

TLoanDlg::TLoanDlg(QWidget *parent, const QStringList &recentBorrowers, const TTextLookup &text)
    : QDialog(parent)
{
    const auto tr = [&text](int number, const QString &english) {
        return text ? text(number, english) : english;
    };
    setObjectName(u"LoanDlg"_s);
    setWindowTitle(tr(1770, u"Loan Movie to"_s));

    m_nameBox = new QComboBox(this);
    m_nameBox->setObjectName(u"NameCombo"_s);
    m_nameBox->setEditable(true);
    // Typing a new name must not add it to the suggestions of this run.
    m_nameBox->setInsertPolicy(QComboBox::NoInsert);
    m_nameBox->addItems(recentBorrowers);
    m_nameBox->setCurrentIndex(-1);
    m_nameBox->setMinimumWidth(220);
    auto *label = new QLabel(tr(1771, u"Name:"_s), this);
    label->setObjectName(u"NameLbl"_s);
    label->setBuddy(m_nameBox);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setObjectName(u"OKBtn"_s);
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(u"CancelBtn"_s);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // A blank name lends nothing, so OK waits for one.
    m_ok->setEnabled(false);
    connect(m_nameBox, &QComboBox::editTextChanged, this, [this](const QString &name) {
        m_ok->setEnabled(!name.trimmed().isEmpty());
    });

    auto *form = new QFormLayout;
    form->addRow(label, m_nameBox);
    auto *layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addLayout(form);
    layout->addWidget(buttons);
    m_nameBox->setFocus();
}

QString TLoanDlg::Borrower() const
{
    return m_nameBox->currentText().trimmed();
}

std::optional<QString>
TLoanDlg::Ask(QWidget *parent, const QStringList &recentBorrowers, const TWideLanguage *language)
{
    TTextLookup text;
    if (language) {
        text = [language](int number, const QString &english) {
            return language->Caption(number, english);
        };
    }
    // The parent may close during the nested event loop and take the dialog with it.
    QPointer<TLoanDlg> dialog = new TLoanDlg(parent, recentBorrowers, text);
    const bool accepted = dialog->exec() == QDialog::Accepted && dialog;
    std::optional<QString> name;
    if (accepted && !dialog->Borrower().isEmpty())
        name = dialog->Borrower();
    delete dialog.data();
    return name;
}
