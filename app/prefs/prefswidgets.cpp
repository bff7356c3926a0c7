#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>

#include "app/prefs/prefswidgets_p.h"
#include "views/translate.h"

using namespace Qt::StringLiterals;

namespace Prefs {

QString Str(const char16_t *text)
{
    return QString::fromUtf16(text);
}

void SetTag(QObject *object, int tag)
{
    object->setProperty(TagProperty, tag);
}

QLabel *NewLabel(QWidget *parent, int tag, const QString &text)
{
    auto *label = new QLabel(text, parent);
    SetTag(label, tag);
    return label;
}

QCheckBox *NewCheck(QWidget *parent, const QString &name, int tag, const QString &text)
{
    auto *box = new QCheckBox(text, parent);
    box->setObjectName(name);
    SetTag(box, tag);
    return box;
}

// Enter in an edit must not close the window, so no button is a default button.
QPushButton *NewButton(QWidget *parent, const QString &name, int tag, const QString &text)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    if (tag != 0)
        SetTag(button, tag);
    return button;
}

QPushButton *NewBrowseButton(QWidget *parent, const QString &name)
{
    QPushButton *button = NewButton(parent, name, 0, u"..."_s);
    button->setMaximumWidth(button->fontMetrics().horizontalAdvance(u"......"_s) + 16);
    return button;
}

QSpinBox *NewSpin(QWidget *parent, const QString &name, int minimum, int maximum)
{
    auto *spin = new QSpinBox(parent);
    spin->setObjectName(name);
    spin->setRange(minimum, maximum);
    return spin;
}

QComboBox *NewCombo(QWidget *parent, const QString &name, int tag, const QStringList &items)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->addItems(items);
    SetTag(combo, tag);
    return combo;
}

QListWidget *NewCheckList(QWidget *parent, const QString &name, int tag, const QStringList &items)
{
    auto *list = new QListWidget(parent);
    list->setObjectName(name);
    for (const QString &text : items) {
        auto *item = new QListWidgetItem(text, list);
        item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Unchecked);
    }
    SetTag(list, tag);
    return list;
}

void SetChecked(QListWidgetItem *item, bool checked)
{
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

bool IsChecked(const QListWidgetItem *item)
{
    return item->checkState() == Qt::Checked;
}

void MoveCurrentRow(QListWidget *list, int delta)
{
    const int row = list->currentRow();
    const int target = row + delta;
    if (row < 0 || target < 0 || target >= list->count())
        return;
    QListWidgetItem *item = list->takeItem(row);
    list->insertItem(target, item);
    list->setCurrentRow(target);
}

void MoveCurrentRow(QTreeWidget *tree, int delta)
{
    QTreeWidgetItem *item = tree->currentItem();
    const int row = item ? tree->indexOfTopLevelItem(item) : -1;
    const int target = row + delta;
    if (row < 0 || target < 0 || target >= tree->topLevelItemCount())
        return;
    tree->takeTopLevelItem(row);
    tree->insertTopLevelItem(target, item);
    tree->setCurrentItem(item);
}

} // namespace Prefs
