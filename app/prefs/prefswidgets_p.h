#pragma once

#include <cstddef>

#include <QString>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QObject;
class QPushButton;
class QSpinBox;
class QTreeWidget;
class QWidget;

// Small builders the preferences pages share. Every caption gets its number in the language
// table as a tag, so Translate can replace it.
namespace Prefs {

// Text numbers of captions used on several pages.
inline constexpr int TextAdd = 630;
inline constexpr int TextDelete = 632;
inline constexpr int TextUp = 633;
inline constexpr int TextDown = 634;

QString Str(const char16_t *text);

template <std::size_t N> QStringList Strings(const char16_t *const (&texts)[N])
{
    QStringList list;
    for (const char16_t *text : texts)
        list.append(Str(text));
    return list;
}

void SetTag(QObject *object, int tag);
QLabel *NewLabel(QWidget *parent, int tag, const QString &text);
QCheckBox *NewCheck(QWidget *parent, const QString &name, int tag, const QString &text);
// Tag 0: the caption is not translated.
QPushButton *NewButton(QWidget *parent, const QString &name, int tag, const QString &text);
QPushButton *NewBrowseButton(QWidget *parent, const QString &name);
QSpinBox *NewSpin(QWidget *parent, const QString &name, int minimum, int maximum);
QComboBox *NewCombo(QWidget *parent, const QString &name, int tag, const QStringList &items);
QListWidget *NewCheckList(QWidget *parent, const QString &name, int tag, const QStringList &items);
void SetChecked(QListWidgetItem *item, bool checked);
bool IsChecked(const QListWidgetItem *item);
// Moves the current row by `delta`; nothing when it would leave the list.
void MoveCurrentRow(QListWidget *list, int delta);
void MoveCurrentRow(QTreeWidget *tree, int delta);

} // namespace Prefs
