#pragma once

#include "app/prefs/prefspagebase.h"

// Miscellaneous: external posters, deleting and lending rules, automatic IDs and saving.
class TMiscPage : public TPrefsPageBase
{
public:
    explicit TMiscPage(QWidget *parent);

private:
    void BuildAutoId(int tag);
    void BuildAutoSave();
};
