#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

class QLineEdit;
class QListWidget;
class QPushButton;

// A list of texts with an edit line to add, change, delete and move items.
class TListEditor : public QWidget
{
public:
    TListEditor(const QString &name, QWidget *parent);

    void SetItems(const QStringList &items);
    QStringList Items() const;

private:
    QString EditText() const;
    void Add();
    void UpdateButtons();

    QListWidget *m_list = nullptr;
    QLineEdit *m_edit = nullptr;
    QPushButton *m_add = nullptr;
    QPushButton *m_change = nullptr;
    QPushButton *m_delete = nullptr;
    QPushButton *m_up = nullptr;
    QPushButton *m_down = nullptr;
};
