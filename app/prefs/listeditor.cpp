#include "app/prefs/listeditor.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/prefs/prefswidgets_p.h"

using namespace Qt::StringLiterals;
using namespace Prefs;

namespace {

constexpr int TextChange = 631;

} // namespace

TListEditor::TListEditor(const QString &name, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(name);
    m_list = new QListWidget(this);
    m_list->setObjectName(u"ItemList"_s);
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(u"ItemEdit"_s);
    m_add = NewButton(this, u"AddBtn"_s, TextAdd, u"&Add"_s);
    m_change = NewButton(this, u"ChangeBtn"_s, TextChange, u"&Change"_s);
    m_delete = NewButton(this, u"DeleteBtn"_s, TextDelete, u"&Delete"_s);
    m_up = NewButton(this, u"UpBtn"_s, TextUp, u"Move &up"_s);
    m_down = NewButton(this, u"DownBtn"_s, TextDown, u"Move &down"_s);

    auto *buttons = new QVBoxLayout;
    for (QPushButton *button : {m_add, m_change, m_delete, m_up, m_down})
        buttons->addWidget(button);
    buttons->addStretch();
    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list, 0, 0);
    layout->addLayout(buttons, 0, 1);
    layout->addWidget(m_edit, 1, 0);

    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            m_edit->setText(m_list->item(row)->text());
        UpdateButtons();
    });
    connect(m_edit, &QLineEdit::textChanged, this, [this] { UpdateButtons(); });
    connect(m_edit, &QLineEdit::returnPressed, this, [this] {
        if (m_add->isEnabled())
            Add();
    });
    connect(m_add, &QPushButton::clicked, this, [this] { Add(); });
    connect(m_change, &QPushButton::clicked, this, [this] {
        if (QListWidgetItem *item = m_list->currentItem(); item && !EditText().isEmpty())
            item->setText(EditText());
    });
    connect(m_delete, &QPushButton::clicked, this, [this] {
        delete m_list->takeItem(m_list->currentRow());
        UpdateButtons();
    });
    connect(m_up, &QPushButton::clicked, this, [this] { MoveCurrentRow(m_list, -1); });
    connect(m_down, &QPushButton::clicked, this, [this] { MoveCurrentRow(m_list, 1); });
    UpdateButtons();
}

void TListEditor::SetItems(const QStringList &items)
{
    m_list->clear();
    m_list->addItems(items);
    m_edit->clear();
    UpdateButtons();
}

QStringList TListEditor::Items() const
{
    QStringList items;
    for (int i = 0; i < m_list->count(); ++i)
        items.append(m_list->item(i)->text());
    return items;
}

QString TListEditor::EditText() const
{
    return m_edit->text().trimmed();
}

void TListEditor::Add()
{
    if (EditText().isEmpty())
        return;
    m_list->addItem(EditText());
    m_list->setCurrentRow(m_list->count() - 1);
    m_edit->clear();
}

void TListEditor::UpdateButtons()
{
    const int row = m_list->currentRow();
    const bool hasText = !EditText().isEmpty();
    m_add->setEnabled(hasText);
    m_change->setEnabled(row >= 0 && hasText);
    m_delete->setEnabled(row >= 0);
    m_up->setEnabled(row > 0);
    m_down->setEnabled(row >= 0 && row < m_list->count() - 1);
}
