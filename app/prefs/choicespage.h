#pragma once

#include <QStringList>

#include "app/prefs/prefspagebase.h"

class TListEditor;

// One of the Lists pages: the choices a card offers for one field.
class TChoicesPage : public TPrefsPageBase
{
public:
    // `name` names the list editor; the page is `name` + "Page".
    TChoicesPage(const QString &name, QStringList TSettings::*key, QWidget *parent);

    void Load(const TSettings &settings, const TPrefsContext &context) override;
    void Store(TSettings &settings) override;

private:
    TListEditor *m_editor = nullptr;
    QStringList TSettings::*m_key;
};
