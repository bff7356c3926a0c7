#include "passdlg.h"

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "catalog/cipher.h"
#include "views/languagewide.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int FirstCaptionText = 1872;
constexpr int RetryCaptionText = 1871;
constexpr int StrongText = 3900;
constexpr int SimpleText = 3901;
constexpr int StrongNoteText = 3902;
constexpr int SimpleNoteText = 3903;
constexpr int SimpleRefusedText = 3904;
constexpr int CatalogText = 3866;
// Client height of the single mode; the confirmation mode is as tall as its notes need.
constexpr int SingleHeight = 89;

QString CaptionText(const TWideLanguage *language, int number, const QString &english)
{
    return language ? language->Caption(number, english) : english;
}

// The dialog is parented to a window that may close while it runs (a nested event loop),
// so it is reached through a QPointer and deleted only if it still exists.
std::optional<TNewPassword> RunDialog(QWidget *parent,
                                      TPassDlg::TMode mode,
                                      const QString &caption,
                                      const TWideLanguage *language = nullptr,
                                      TProtection current = TProtection::None,
                                      const QString &message = {})
{
    QPointer<TPassDlg> dialog = new TPassDlg(mode, parent, language, current);
    std::optional<TNewPassword> answer;
    if (std::optional<QString> password = dialog->Ask(caption, message); password && dialog)
        answer = TNewPassword(*password, dialog->Protection());
    delete dialog.data();
    return answer;
}

} // namespace

const QString TPasswordPrompt::DefaultFirstCaption = QStringLiteral("Enter Password");
const QString TPasswordPrompt::DefaultRetryCaption = QStringLiteral("Wrong password, try again");

TPassDlg::TPassDlg(TMode mode, QWidget *parent, const TWideLanguage *language, TProtection current)
    : QDialog(parent)
    , m_mode(mode)
    , m_language(language)
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
    if (mode == TMode::Confirm) {
        m_strongRadio = new QRadioButton(
            Tr(StrongText, u"&Strong protection (encrypts the whole catalog)"_s), this);
        m_strongRadio->setObjectName(u"StrongRadio"_s);
        m_simpleRadio = new QRadioButton(
            Tr(SimpleText,
               u"S&imple protection (hides the catalog from casual readers; not encryption)"_s),
            this);
        m_simpleRadio->setObjectName(u"SimpleRadio"_s);
        (current == TProtection::Simple ? m_simpleRadio : m_strongRadio)->setChecked(true);
        m_noteLabel = new QLabel(this);
        m_noteLabel->setObjectName(u"NoteLabel"_s);
        m_noteLabel->setWordWrap(true);
        connect(m_strongRadio, &QRadioButton::toggled, this, [this] { UpdateOk(); });
        layout->addWidget(m_strongRadio);
        layout->addWidget(m_simpleRadio);
        layout->addWidget(m_noteLabel);
    }
    layout->addLayout(buttons);

    UpdateOk();
    if (mode == TMode::Confirm) {
        resize(440, 0);
        resize(440, heightForWidth(440) > 0 ? heightForWidth(440) : sizeHint().height());
    } else {
        resize(300, SingleHeight);
    }
}

QString TPassDlg::Tr(int number, const QString &english) const
{
    return m_language ? m_language->Caption(number, english) : english;
}

TProtection TPassDlg::Protection() const
{
    return m_simpleRadio && m_simpleRadio->isChecked() ? TProtection::Simple : TProtection::Strong;
}

QString TPassDlg::Password() const
{
    return m_pEdit->text();
}

std::optional<QString> TPassDlg::Ask(const QString &caption, const QString &message)
{
    setWindowTitle(caption);
    if (!message.isEmpty()) {
        if (!m_messageLabel) {
            m_messageLabel = new QLabel(this);
            m_messageLabel->setObjectName(u"MessageLabel"_s);
            m_messageLabel->setWordWrap(true);
            m_messageLabel->setTextFormat(Qt::PlainText);
            static_cast<QVBoxLayout *>(layout())->insertWidget(0, m_messageLabel);
        }
        m_messageLabel->setText(message);
        resize(360, heightForWidth(360) > 0 ? heightForWidth(360) : sizeHint().height());
    }
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
    if (m_mode != TMode::Confirm) {
        m_okButton->setEnabled(!m_pEdit->text().isEmpty());
        return;
    }
    // Refused here rather than turned into "?" on saving.
    const bool simple = Protection() == TProtection::Simple;
    const bool refused = simple && !SimpleCipherAccepts(m_pEdit->text());
    m_okButton->setEnabled(!refused && m_pEdit->text() == m_confEdit->text());
    if (refused) {
        m_noteLabel->setText(Tr(SimpleRefusedText,
                                u"Simple protection takes only Western European (Windows-1252) "
                                u"characters: choose strong protection or another password."_s));
    } else if (simple) {
        m_noteLabel->setText(
            Tr(SimpleNoteText,
               u"Other programs that read this catalog format can open it with the password. It "
               u"only keeps casual readers out: anyone with a little skill can read the password "
               u"from the file."_s));
    } else {
        m_noteLabel->setText(
            Tr(StrongNoteText,
               u"Picture files kept beside the catalog (the posters, covers and screenshots "
               u"folders) are not encrypted: anyone who can read those folders can see them. "
               u"Pictures stored inside the catalog file are encrypted with it. A lost password "
               u"cannot be recovered."_s));
    }
}

TPasswordPrompt::TPasswordPrompt(QWidget *parent, const TWideLanguage *language)
    : m_parent(parent)
    , m_language(language)
{}

std::optional<QString> TPasswordPrompt::AskPassword(const QString &fileName, bool first)
{
    const QString caption = first ? CaptionText(m_language, FirstCaptionText, DefaultFirstCaption)
                                  : CaptionText(m_language, RetryCaptionText, DefaultRetryCaption);
    // The title alone is cut off on narrow windows: the body names the file and, after a
    // wrong password, says so.
    QString message = CaptionText(m_language, CatalogText, u"Catalog: %1"_s)
                          .arg(QDir::toNativeSeparators(fileName));
    if (!first)
        message += u"\n\n"_s + caption;
    std::optional<TNewPassword> answer = RunDialog(
        m_parent, TPassDlg::TMode::Single, caption, m_language, TProtection::None, message);
    if (!answer)
        return std::nullopt;
    return std::move(answer->password);
}

std::optional<TNewPassword>
TPasswordPrompt::AskNewPassword(QWidget *parent, const TWideLanguage *language, TProtection current)
{
    return RunDialog(parent,
                     TPassDlg::TMode::Confirm,
                     CaptionText(language, FirstCaptionText, DefaultFirstCaption),
                     language,
                     current);
}
