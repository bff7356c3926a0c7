#include "app/prefs/groupeditor.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/prefs/prefswidgets_p.h"

using namespace Qt::StringLiterals;
using namespace Prefs;

namespace {

constexpr int TextAvailable = 670;
constexpr int TextChosen = 671;

} // namespace

TGroupEditor::TGroupEditor(const QString &name, int tag, const QStringList &fields, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(name);
    m_available = new QListWidget(this);
    m_available->setObjectName(u"AvailableList"_s);
    m_available->addItems(fields);
    SetTag(m_available, tag);
    m_chosen = new QListWidget(this);
    m_chosen->setObjectName(u"GroupList"_s);
    m_add = NewButton(this, u"AddBtn"_s, TextAdd, u"&Add"_s);
    m_remove = NewButton(this, u"RemoveBtn"_s, TextDelete, u"&Delete"_s);
    m_up = NewButton(this, u"UpBtn"_s, TextUp, u"Move &up"_s);
    m_down = NewButton(this, u"DownBtn"_s, TextDown, u"Move &down"_s);

    auto *buttons = new QVBoxLayout;
    buttons->addStretch();
    for (QPushButton *button : {m_add, m_remove, m_up, m_down})
        buttons->addWidget(button);
    buttons->addStretch();
    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(NewLabel(this, TextAvailable, u"Available fields:"_s), 0, 0);
    layout->addWidget(NewLabel(this, TextChosen, u"Grouping levels, in order:"_s), 0, 2);
    layout->addWidget(m_available, 1, 0);
    layout->addLayout(buttons, 1, 1);
    layout->addWidget(m_chosen, 1, 2);

    connect(m_add, &QPushButton::clicked, this, [this] { AddCurrent(); });
    connect(m_available, &QListWidget::itemDoubleClicked, this, [this] { AddCurrent(); });
    connect(m_remove, &QPushButton::clicked, this, [this] { RemoveCurrent(); });
    connect(m_chosen, &QListWidget::itemDoubleClicked, this, [this] { RemoveCurrent(); });
    connect(m_up, &QPushButton::clicked, this, [this] { MoveCurrentRow(m_chosen, -1); });
    connect(m_down, &QPushButton::clicked, this, [this] { MoveCurrentRow(m_chosen, 1); });
    connect(m_available, &QListWidget::currentRowChanged, this, [this] { UpdateButtons(); });
    connect(m_chosen, &QListWidget::currentRowChanged, this, [this] { UpdateButtons(); });
    UpdateButtons();
}

void TGroupEditor::SetGroups(const QList<int> &groups)
{
    m_chosen->clear();
    for (int i = 0; i < m_available->count(); ++i)
        m_available->item(i)->setHidden(false);
    for (const int field : groups) {
        if (field >= 0 && field < m_available->count())
            AddField(field);
    }
    m_available->setCurrentRow(-1);
    UpdateButtons();
}

QList<int> TGroupEditor::Groups() const
{
    QList<int> groups;
    for (int i = 0; i < m_chosen->count(); ++i)
        groups.append(m_chosen->item(i)->data(Qt::UserRole).toInt());
    return groups;
}

void TGroupEditor::RefreshCaptions()
{
    for (int i = 0; i < m_chosen->count(); ++i) {
        QListWidgetItem *item = m_chosen->item(i);
        item->setText(m_available->item(item->data(Qt::UserRole).toInt())->text());
    }
}

void TGroupEditor::AddField(int field)
{
    auto *item = new QListWidgetItem(m_available->item(field)->text(), m_chosen);
    item->setData(Qt::UserRole, field);
    m_available->item(field)->setHidden(true);
}

void TGroupEditor::AddCurrent()
{
    const int field = m_available->currentRow();
    if (field < 0 || m_available->item(field)->isHidden())
        return;
    AddField(field);
    m_chosen->setCurrentRow(m_chosen->count() - 1);
    // The next visible field becomes current, so Add can be pressed repeatedly.
    int next = -1;
    for (int i = field + 1; i < m_available->count() && next < 0; ++i) {
        if (!m_available->item(i)->isHidden())
            next = i;
    }
    m_available->setCurrentRow(next);
    UpdateButtons();
}

void TGroupEditor::RemoveCurrent()
{
    const int row = m_chosen->currentRow();
    if (row < 0)
        return;
    const int field = m_chosen->item(row)->data(Qt::UserRole).toInt();
    delete m_chosen->takeItem(row);
    if (!Groups().contains(field))
        m_available->item(field)->setHidden(false);
    UpdateButtons();
}

void TGroupEditor::UpdateButtons()
{
    const int available = m_available->currentRow();
    const int chosen = m_chosen->currentRow();
    m_add->setEnabled(available >= 0 && !m_available->item(available)->isHidden());
    m_remove->setEnabled(chosen >= 0);
    m_up->setEnabled(chosen > 0);
    m_down->setEnabled(chosen >= 0 && chosen < m_chosen->count() - 1);
}
