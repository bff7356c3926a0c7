#include "translate.h"

#include <algorithm>

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>

#include "views/languagewide.h"

namespace {

const QString HintMark = QStringLiteral("{HINT}");

int TagOf(const QObject *object)
{
    const QVariant tag = object->property(TagProperty);
    bool ok = false;
    const int value = tag.toInt(&ok);
    return ok ? value : 0;
}

class TWalker
{
public:
    explicit TWalker(const TWideLanguage &language)
        : m_language(language)
    {}

    // False when the walk had to stop on a broken text.
    bool Walk(QObject *parent);

private:
    bool SetHint(QObject *object, int tag);
    void SetCaption(QObject *object, int tag);
    bool InExcludedMenu(const QAction *action) const;
    void SetHeader(QAbstractItemModel *model, Qt::Orientation orientation, int tag);

    const TWideLanguage &m_language;
};

bool IsToolBarAction(const QAction *action)
{
    const QList<QObject *> users = action->associatedObjects();
    return std::any_of(users.begin(), users.end(), [](QObject *user) {
        return qobject_cast<QToolBar *>(user) != nullptr;
    });
}

bool TWalker::Walk(QObject *parent)
{
    // A copy: setting a rich text may give a label new children while we walk.
    const QObjectList children = parent->children();
    for (QObject *child : children) {
        // Other dialogs are translated on their own after they are created.
        const bool ownWindow = qobject_cast<QDialog *>(child) != nullptr
                               && qobject_cast<QFileDialog *>(child) == nullptr;
        if (ownWindow)
            continue;
        const int tag = TagOf(child);
        if (tag != 0 && !m_language.IsExcluded(child)) {
            const bool isControl = child->isWidgetType()
                                   || (qobject_cast<QAction *>(child)
                                       && IsToolBarAction(qobject_cast<QAction *>(child)));
            if (isControl && !SetHint(child, tag))
                return false;
            SetCaption(child, tag);
        }
        // A file dialog's own parts carry no tags; everything else may hold tagged parts.
        if (qobject_cast<QFileDialog *>(child) == nullptr && !Walk(child))
            return false;
    }
    return true;
}

bool TWalker::SetHint(QObject *object, int tag)
{
    const QString raw = m_language.RawText(tag);
    QString hint;
    const qsizetype mark = raw.indexOf(HintMark);
    if (mark >= 0) {
        bool ok = false;
        const int number = QStringView(raw).mid(mark + HintMark.size()).trimmed().toInt(&ok);
        if (!ok) {
            m_language.ReportReadError();
            return false;
        }
        hint = m_language.Text(number);
    }
    if (auto *action = qobject_cast<QAction *>(object))
        action->setToolTip(hint);
    else if (auto *widget = qobject_cast<QWidget *>(object))
        widget->setToolTip(hint);
    return true;
}

bool TWalker::InExcludedMenu(const QAction *action) const
{
    // Climb from every menu showing the action to its top-level menu or menu bar.
    for (QObject *user : action->associatedObjects()) {
        QWidget *widget = qobject_cast<QMenu *>(user);
        if (!widget)
            continue;
        QWidget *top = widget;
        for (QWidget *up = widget; up; up = up->parentWidget()) {
            if (m_language.IsExcluded(up))
                return true;
            if (qobject_cast<QMenu *>(up) || qobject_cast<QMenuBar *>(up))
                top = up;
            else
                break;
        }
        if (m_language.IsExcluded(top))
            return true;
    }
    return false;
}

void TWalker::SetHeader(QAbstractItemModel *model, Qt::Orientation orientation, int tag)
{
    if (!model)
        return;
    const int count = orientation == Qt::Horizontal ? model->columnCount() : model->rowCount();
    for (int i = 0; i < count; ++i) {
        const QString current = model->headerData(i, orientation).toString();
        model->setHeaderData(i, orientation, m_language.Caption(tag + i, current));
    }
}

void TWalker::SetCaption(QObject *object, int tag)
{
    const TWideLanguage &lang = m_language;
    if (auto *action = qobject_cast<QAction *>(object)) {
        if (!InExcludedMenu(action))
            action->setText(lang.Caption(tag, action->text()));
    } else if (auto *menu = qobject_cast<QMenu *>(object)) {
        if (!InExcludedMenu(menu->menuAction()))
            menu->setTitle(lang.Caption(tag, menu->title()));
    } else if (auto *fileDialog = qobject_cast<QFileDialog *>(object)) {
        fileDialog->setWindowTitle(lang.Caption(tag, fileDialog->windowTitle()));
    } else if (auto *label = qobject_cast<QLabel *>(object)) {
        label->setText(lang.Caption(tag, label->text()));
    } else if (auto *group = qobject_cast<QGroupBox *>(object)) {
        group->setTitle(lang.Caption(tag, group->title()));
    } else if (auto *button = qobject_cast<QAbstractButton *>(object)) {
        // Push, tool, check and radio buttons alike.
        button->setText(lang.Caption(tag, button->text()));
    } else if (auto *tabs = qobject_cast<QTabWidget *>(object)) {
        for (int i = 0; i < tabs->count(); ++i)
            tabs->setTabText(i, lang.Caption(tag + i, tabs->tabText(i)));
    } else if (auto *combo = qobject_cast<QComboBox *>(object)) {
        for (int i = 0; i < combo->count(); ++i)
            combo->setItemText(i, lang.Caption(tag + i, combo->itemText(i)));
    } else if (auto *list = qobject_cast<QListWidget *>(object)) {
        for (int i = 0; i < list->count(); ++i)
            list->item(i)->setText(lang.Caption(tag + i, list->item(i)->text()));
    } else if (auto *tree = qobject_cast<QTreeWidget *>(object)) {
        if (tree->isHeaderHidden()) {
            // A tree without header is a tree of nodes: numbered in pre-order.
            int index = 0;
            for (QTreeWidgetItemIterator it(tree); *it; ++it, ++index)
                (*it)->setText(0, lang.Caption(tag + index, (*it)->text(0)));
        } else {
            QTreeWidgetItem *header = tree->headerItem();
            for (int i = 0; i < header->columnCount(); ++i)
                header->setText(i, lang.Caption(tag + i, header->text(i)));
        }
    } else if (auto *header = qobject_cast<QHeaderView *>(object)) {
        SetHeader(header->model(), header->orientation(), tag);
    } else if (auto *view = qobject_cast<QTreeView *>(object)) {
        SetHeader(view->model(), Qt::Horizontal, tag);
    } else if (auto *table = qobject_cast<QTableView *>(object)) {
        SetHeader(table->model(), Qt::Horizontal, tag);
    }
}

} // namespace

void Translate(const TWideLanguage &language, QObject *component)
{
    if (!component || !language.IsLoaded() || language.LanguageIndex() < 0)
        return;
    const int tag = TagOf(component);
    auto *widget = qobject_cast<QWidget *>(component);
    if (widget && widget->isWindow() && tag != 0 && !language.IsExcluded(component))
        widget->setWindowTitle(language.RawText(tag));

    if (auto *toolBar = qobject_cast<QToolBar *>(component)) {
        for (QAction *action : toolBar->actions()) {
            const int buttonTag = TagOf(action);
            if (buttonTag != 0)
                action->setToolTip(language.Hint(buttonTag));
        }
        return;
    }
    TWalker walker(language);
    walker.Walk(component);
}
