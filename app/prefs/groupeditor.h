#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

class QListWidget;
class QPushButton;

// The grouping levels of a tree view: every field on the left (fixed order, so the language
// table can name them by position), the chosen levels in order on the right.
class TGroupEditor : public QWidget
{
public:
    // `tag` numbers the field names in the language table.
    TGroupEditor(const QString &name, int tag, const QStringList &fields, QWidget *parent);

    // Numbers outside the field table are dropped: no tree level could use them.
    void SetGroups(const QList<int> &groups);
    QList<int> Groups() const;
    // The chosen levels show the (possibly translated) names of the field list.
    void RefreshCaptions();

private:
    void AddField(int field);
    void AddCurrent();
    void RemoveCurrent();
    void UpdateButtons();

    QListWidget *m_available = nullptr;
    QListWidget *m_chosen = nullptr;
    QPushButton *m_add = nullptr;
    QPushButton *m_remove = nullptr;
    QPushButton *m_up = nullptr;
    QPushButton *m_down = nullptr;
};
