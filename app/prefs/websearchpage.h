#pragma once

#include "app/prefs/prefspagebase.h"

class QTreeWidget;
class QTreeWidgetItem;

// Web search: the search engines of the search menu, name and address, in order.
class TWebSearchPage : public TPrefsPageBase
{
public:
    explicit TWebSearchPage(QWidget *parent);

    void Load(const TSettings &settings, const TPrefsContext &context) override;
    void Store(TSettings &settings) override;

private:
    QTreeWidgetItem *AddRow(const QString &name, const QString &url);

    QTreeWidget *m_list = nullptr;
};
