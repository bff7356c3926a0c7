#include "passdlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "views/languagewide.h"

namespace {

constexpr int FirstCaptionText = 1872;
constexpr int RetryCaptionText = 1871;
// Client heights of the two modes.
constexpr int SingleHeight = 89;
constexpr int ConfirmHeight = 139;

QString CaptionText(const TWideLanguage *language, int number, const QString &english)
{
    return language ? language->Caption(number, english) : english;
}

// The dialog is parented to a window that may close while it runs (a nested event loop),
// so it is reached through a QPointer and deleted only if it still exists.
std::optional<QString> RunDialog(QWidget *parent, TPassDlg::TMode mode, const QString &caption)
{
    QPointer<TPassDlg> dialog = new TPassDlg(mode, parent);
    std::optional<QString> answer = dialog->Ask(caption);
    delete dialog.data();
    return answer;
}

} // namespace

const QString TPasswordPrompt::DefaultFirstCaption = QStringLiteral("Enter Password");
const QString TPasswordPrompt::DefaultRetryCaption = QStringLiteral("Wrong password, try again");

TPassDlg::TPassDlg(TMode mode, QWidget *parent)
    : QDialog(parent)
    , m_mode(mode)
{
    setObjectName(QStringLiteral("TPassDlg"));
    setWindowTitle(TPasswordPrompt::DefaultFirstCaption);

    auto *grid = new QGridLayout;
    auto *pLabel = new QLabel(QStringLiteral("Password:"), this);
    pLabel->setObjectName(QStringLiteral("pLabel"));
    m_pEdit = new QLineEdit(this);
    m_pEdit->setObjectName(QStringLiteral("pEdit"));
    m_pEdit->setEchoMode(QLineEdit::Password);
    pLabel->setBuddy(m_pEdit);
    grid->addWidget(pLabel, 0, 0);
    grid->addWidget(m_pEdit, 0, 1);
    connect(m_pEdit, &QLineEdit::textChanged, this, [this] { UpdateOk(); });

    if (mode == TMode::Confirm) {
        auto *confLabel = new QLabel(QStringLiteral("Confirmation:"), this);
        confLabel->setObjectName(QStringLiteral("ConfLabel"));
        m_confEdit = new QLineEdit(this);
        m_confEdit->setObjectName(QStringLiteral("ConfEdit"));
        m_confEdit->setEchoMode(QLineEdit::Password);
        confLabel->setBuddy(m_confEdit);
        grid->addWidget(confLabel, 1, 0);
        grid->addWidget(m_confEdit, 1, 1);
        connect(m_confEdit, &QLineEdit::textChanged, this, [this] { UpdateOk(); });
    }

    m_okButton = new QPushButton(QStringLiteral("OK"), this);
    m_okButton->setObjectName(QStringLiteral("OKBtn"));
    m_okButton->setDefault(true);
    auto *cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("CancelBtn"));
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_okButton);
    buttons->addWidget(cancelButton);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    resize(300, mode == TMode::Confirm ? ConfirmHeight : SingleHeight);
    UpdateOk();
}

QString TPassDlg::Password() const
{
    return m_pEdit->text();
}

std::optional<QString> TPassDlg::Ask(const QString &caption)
{
    setWindowTitle(caption);
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return Password();
}

void TPassDlg::showEvent(QShowEvent *event)
{
    // A password typed for an earlier question must never be offered again.
    m_pEdit->clear();
    if (m_confEdit)
        m_confEdit->clear();
    UpdateOk();
    m_pEdit->setFocus();
    QDialog::showEvent(event);
}

void TPassDlg::UpdateOk()
{
    if (m_mode == TMode::Confirm)
        m_okButton->setEnabled(m_pEdit->text() == m_confEdit->text());
    else
        m_okButton->setEnabled(!m_pEdit->text().isEmpty());
}

TPasswordPrompt::TPasswordPrompt(QWidget *parent, const TWideLanguage *language)
    : m_parent(parent)
    , m_language(language)
{}

std::optional<QString> TPasswordPrompt::AskPassword(bool first)
{
    const QString caption = first ? CaptionText(m_language, FirstCaptionText, DefaultFirstCaption)
                                  : CaptionText(m_language, RetryCaptionText, DefaultRetryCaption);
    return RunDialog(m_parent, TPassDlg::TMode::Single, caption);
}

std::optional<QString> TPasswordPrompt::AskNewPassword(QWidget *parent,
                                                       const TWideLanguage *language)
{
    return RunDialog(parent,
                     TPassDlg::TMode::Confirm,
                     CaptionText(language, FirstCaptionText, DefaultFirstCaption));
}
