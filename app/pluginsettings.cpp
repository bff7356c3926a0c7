#include "app/pluginsettings.h"

#include "logic/settings.h"

using namespace Qt::StringLiterals;

namespace {

// The plug-in type whose DefaultType key this is, or -1.
int DefaultType(const QString &key)
{
    for (int type = 0; type < TSettings::PluginTypeCount; ++type) {
        if (key.compare(TPluginRegistry::DefaultTypeKey(type), Qt::CaseInsensitive) == 0)
            return type;
    }
    return -1;
}

} // namespace

QString TSettingsPluginKeys::Value(const QString &key) const
{
    if (const int type = DefaultType(key); type >= 0)
        return m_settings.DefaultPlugin[size_t(type)];
    if (key.compare("SilentMode"_L1, Qt::CaseInsensitive) == 0)
        return m_settings.SilentMode ? u"1"_s : u"0"_s;
    if (key.compare("AutoAddPeople"_L1, Qt::CaseInsensitive) == 0)
        return m_settings.AutoAddPeople ? u"1"_s : u"0"_s;
    const auto it = m_settings.PluginFields.constFind(key);
    return it == m_settings.PluginFields.cend() ? QString() : QString::number(*it);
}

void TSettingsPluginKeys::SetValue(const QString &key, const QString &value)
{
    if (const int type = DefaultType(key); type >= 0)
        m_settings.DefaultPlugin[size_t(type)] = value;
    else if (key.compare("SilentMode"_L1, Qt::CaseInsensitive) == 0)
        m_settings.SilentMode = value.trimmed().toInt() != 0;
    else if (key.compare("AutoAddPeople"_L1, Qt::CaseInsensitive) == 0)
        m_settings.AutoAddPeople = value.trimmed().toInt() != 0;
    else if (!key.isEmpty())
        m_settings.PluginFields.insert(key, value.trimmed().toInt());
}
