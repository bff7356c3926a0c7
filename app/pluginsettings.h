#pragma once

#include "host/pluginregistry.h"

struct TSettings;

// The Plugins section of the settings as the plug-in registry reads and writes it: the
// DefaultType keys, SilentMode, AutoAddPeople and one overwrite mask per plug-in file.
class TSettingsPluginKeys : public IPluginSettings
{
public:
    explicit TSettingsPluginKeys(TSettings &settings)
        : m_settings(settings)
    {}

    QString Value(const QString &key) const override;
    void SetValue(const QString &key, const QString &value) override;

private:
    TSettings &m_settings;
};
