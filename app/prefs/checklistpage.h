#pragma once

#include "app/prefs/prefspagebase.h"

class QListWidget;

// A list of check boxes: the grid view's columns or the card's visible items.
class TCheckListPage : public TPrefsPageBase
{
public:
    enum class TKind { MovieColumns, MovieItems, PeopleColumns, PeopleItems };

    TCheckListPage(TKind kind, QWidget *parent);

    void Load(const TSettings &settings, const TPrefsContext &context) override;
    void Store(TSettings &settings) override;

private:
    TKind m_kind;
    QListWidget *m_list = nullptr;
};
