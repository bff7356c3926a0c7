#include "newlinkdlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// The dialog is a fresh object each time, but the user's last choice of type carries over.
int LastType = -1;

const QStringList TypeLabels = {u"ID"_s,
                                u"Original Title"_s,
                                u"Title"_s,
                                u"Name"_s,
                                u"Translated name"_s,
                                u"Year"_s,
                                u"Genre"_s,
                                u"Country"_s,
                                u"Tag"_s,
                                u"URL"_s,
                                u"Anchor"_s};

constexpr int IdType = 0;
constexpr int YearType = 5;
constexpr int UrlType = 9;

int PreselectedType(const QString &selection)
{
    if (selection.size() == 4) {
        bool number = false;
        selection.toInt(&number);
        return number ? YearType : IdType;
    }
    if (selection.contains(u"http://"_s) || selection.contains(u"www."_s))
        return UrlType;
    return LastType;
}

} // namespace

TNewLinkDlg::TNewLinkDlg(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(u"NewLinkDlg"_s);
    setWindowTitle(u"Create new link"_s);

    m_typeCombo = new QComboBox(this);
    m_typeCombo->setObjectName(u"TypeCombo"_s);
    m_typeCombo->addItems(TypeLabels);
    m_typeCombo->setCurrentIndex(-1);
    m_valEdit = new QLineEdit(this);
    m_valEdit->setObjectName(u"ValEdit"_s);
    m_textEdit = new QLineEdit(this);
    m_textEdit->setObjectName(u"TextEdit"_s);
    m_textLabel = new QLabel(u"Text:"_s, this);
    m_textLabel->setObjectName(u"TextLabel"_s);

    auto *form = new QFormLayout;
    form->addRow(new QLabel(u"Link type:"_s, this), m_typeCombo);
    form->addRow(new QLabel(u"Value:"_s, this), m_valEdit);
    form->addRow(m_textLabel, m_textEdit);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(u"&OK"_s, QDialogButtonBox::AcceptRole);
    ok->setObjectName(u"OKBtn"_s);
    ok->setDefault(true);
    buttons->addButton(u"&Cancel"_s, QDialogButtonBox::RejectRole)->setObjectName(u"CancelBtn"_s);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_typeCombo, &QComboBox::currentIndexChanged, this, &TNewLinkDlg::TypeChanged);
}

const QStringList &TNewLinkDlg::Attributes()
{
    static const QStringList names = {u"id"_s,
                                      u"otitle"_s,
                                      u"title"_s,
                                      u"name"_s,
                                      u"tname"_s,
                                      u"year"_s,
                                      u"genre"_s,
                                      u"country"_s,
                                      u"tag"_s,
                                      u"url"_s,
                                      u"anchor"_s};
    return names;
}

int TNewLinkDlg::TypeIndex() const
{
    return m_typeCombo->currentIndex();
}

void TNewLinkDlg::SetTypeIndex(int index)
{
    m_typeCombo->setCurrentIndex(index >= 0 && index < m_typeCombo->count() ? index : -1);
}

QString TNewLinkDlg::Value() const
{
    return m_valEdit->text();
}

void TNewLinkDlg::SetValue(const QString &value)
{
    m_valEdit->setText(value);
}

QString TNewLinkDlg::Text() const
{
    return m_textEdit->text();
}

void TNewLinkDlg::SetText(const QString &text)
{
    m_textEdit->setText(text);
}

QString TNewLinkDlg::Markup() const
{
    const int type = TypeIndex();
    if (type < 0)
        return {};
    return u"<link "_s + Attributes().at(type) + u"=\""_s + Value() + u"\">"_s + Text()
           + u"</link>"_s;
}

void TNewLinkDlg::showEvent(QShowEvent *event)
{
    PrepareShow();
    QDialog::showEvent(event);
}

void TNewLinkDlg::PrepareShow()
{
    if (TypeIndex() < 0)
        SetTypeIndex(IdType);
}

void TNewLinkDlg::TypeChanged(int index)
{
    const bool anchor = index == AnchorType;
    if (anchor)
        m_textEdit->clear();
    m_textEdit->setEnabled(!anchor);
    m_textLabel->setEnabled(!anchor);
}

std::optional<QString> TNewLinkDlg::Run(QWidget *memo,
                                        const std::function<bool(TNewLinkDlg &)> &answer)
{
    auto *plain = qobject_cast<QPlainTextEdit *>(memo);
    auto *rich = qobject_cast<QTextEdit *>(memo);
    if ((!plain && !rich) || (plain && plain->isReadOnly()) || (rich && rich->isReadOnly()))
        return std::nullopt;
    QTextCursor cursor = plain ? plain->textCursor() : rich->textCursor();
    // The document marks line breaks inside a selection with paragraph separators.
    QString selection = cursor.selectedText();
    selection.replace(QChar::ParagraphSeparator, u'\n').replace(QChar::LineSeparator, u'\n');

    TNewLinkDlg dialog(memo->window());
    dialog.SetValue(selection);
    dialog.SetText(selection);
    dialog.SetTypeIndex(PreselectedType(selection));
    bool accepted = false;
    if (answer) {
        dialog.PrepareShow();
        accepted = answer(dialog);
    } else {
        accepted = dialog.exec() == QDialog::Accepted;
    }
    LastType = dialog.TypeIndex();
    const QString markup = dialog.Markup();
    if (!accepted || markup.isEmpty())
        return std::nullopt;
    cursor.insertText(markup);
    if (plain)
        plain->setTextCursor(cursor);
    else
        rich->setTextCursor(cursor);
    return markup;
}

QString AddMovieLinkLine(const QString &memoText,
                         const QString &placeholder,
                         const QString &origTitle,
                         const QString &shownTitle)
{
    if (origTitle.isEmpty())
        return memoText;
    QStringList lines = memoText.split(u'\n');
    if (lines.last().trimmed().isEmpty())
        lines.removeLast();
    const QString text = lines.join(u'\n');
    const QString link = u"<link=\""_s + origTitle + u"\">"_s + shownTitle + u"</link>"_s;
    if (text.isEmpty() || text == placeholder)
        return link;
    return text + u'\n' + link;
}
