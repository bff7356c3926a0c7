#pragma once

#include "app/prefs/prefspagebase.h"

class TGroupEditor;

// Tree View Nodes: the grouping levels and the "Undefined" group.
class TTreePage : public TPrefsPageBase
{
public:
    TTreePage(TPrefsSubject subject, QWidget *parent);

    void Load(const TSettings &settings, const TPrefsContext &context) override;
    void Store(TSettings &settings) override;
    void Refresh() override;

private:
    TGroupEditor *m_groups = nullptr;
    QList<int> TSettings::*m_key = nullptr;
};
