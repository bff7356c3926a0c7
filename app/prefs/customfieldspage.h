#pragma once

#include "app/prefs/prefspagebase.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// Custom items: the catalog's custom fields, editable while a catalog is open and not
// read-only. Changes reach the catalog only in Store.
class TCustomFieldsPage : public TPrefsPageBase
{
public:
    explicit TCustomFieldsPage(QWidget *parent);

    void Load(const TSettings &settings, const TPrefsContext &context) override;
    void Store(TSettings &settings) override;

private:
    void Connect();
    void LoadFields();
    void UpdateButtons();
    bool Editable() const;

    TVideoDatabase *m_database = nullptr;
    bool m_readOnly = false;
    QListWidget *m_list = nullptr;
    QLineEdit *m_edit = nullptr;
    QPushButton *m_add = nullptr;
    QPushButton *m_rename = nullptr;
    QPushButton *m_delete = nullptr;
    QLabel *m_note = nullptr;
};
