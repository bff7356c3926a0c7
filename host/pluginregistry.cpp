#include "host/pluginregistry.h"

#include <QDir>
#include <QFile>

#include "host/messagesink.h"
#include "host/pluginlibrary.h"

using namespace Qt::StringLiterals;

namespace {

QString BoolText(bool value)
{
    return value ? u"1"_s : u"0"_s;
}

bool ReadBool(const QString &text)
{
    const QString value = text.trimmed();
    if (value.compare(u"true"_s, Qt::CaseInsensitive) == 0)
        return true;
    return value.toLongLong() != 0;
}

// Decimal as written by the settings file, which stores 32-bit signed integers; an unsigned
// spelling is accepted too. Anything else is the default 0.
uint32_t ReadMask(const QString &text)
{
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok);
    if (!ok || value < INT32_MIN || value > UINT32_MAX)
        return 0;
    return static_cast<uint32_t>(value);
}

} // namespace

TPluginRegistry::TPluginRegistry(IMessageSink *messages, TPluginTextSource texts)
    : m_messages(messages)
    , m_texts(std::move(texts))
{}

void TPluginRegistry::Discover(const QString &folder, int language, int hostVersion)
{
    m_folder = folder;
    m_language = language;
    m_plugins.clear();
    const QDir dir(folder);
    // Hidden files too: the original accepted every file attribute.
    const QStringList files =
        dir.entryList({u"*.so"_s}, QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString &file : files) {
        TPluginInfo info;
        const TDiscovery result = DiscoverPlugin(dir.filePath(file), language, hostVersion, info);
        if (result == TDiscovery::Refused) {
            if (m_messages) {
                m_messages->ShowMessage(TMessageKind::Warning,
                                        PluginText(m_texts, PluginTextWarningCaption),
                                        PluginText(m_texts, PluginTextRefusedVersion, file));
            }
            continue;
        }
        if (result != TDiscovery::Accepted)
            continue;
        TPlugin plugin;
        plugin.FileName = file;
        plugin.Name = info.name;
        plugin.Description = info.description;
        plugin.Language = info.language;
        plugin.PluginType = info.type;
        plugin.CanConfig = info.canConfig;
        plugin.About = info.about;
        plugin.Version = info.pluginVersion;
        m_plugins.append(plugin);
    }
    NotifyChanged();
}

TPlugin TPluginRegistry::Get(int index) const
{
    return IsValid(index) ? m_plugins[index] : TPlugin();
}

QString TPluginRegistry::LibraryPath(int index) const
{
    return IsValid(index) ? QDir(m_folder).filePath(m_plugins[index].FileName) : QString();
}

bool TPluginRegistry::HasType(int type) const
{
    return std::any_of(m_plugins.cbegin(), m_plugins.cend(), [type](const TPlugin &plugin) {
        return plugin.PluginType == type;
    });
}

int TPluginRegistry::DefaultIndex(int type) const
{
    int first = -1;
    for (int i = 0; i < Count(); ++i) {
        if (m_plugins[i].PluginType != type)
            continue;
        if (m_plugins[i].IsDefault)
            return i;
        if (first < 0)
            first = i;
    }
    return first;
}

int TPluginRegistry::DefaultOrLastIndex(int type) const
{
    int last = -1;
    for (int i = 0; i < Count(); ++i) {
        if (m_plugins[i].PluginType != type)
            continue;
        if (m_plugins[i].IsDefault)
            return i;
        last = i;
    }
    return last;
}

void TPluginRegistry::ClearDefault(int type)
{
    for (TPlugin &plugin : m_plugins) {
        if (plugin.PluginType == type)
            plugin.IsDefault = false;
    }
}

void TPluginRegistry::SetDefault(int index)
{
    if (!IsValid(index))
        return;
    ClearDefault(m_plugins[index].PluginType);
    m_plugins[index].IsDefault = true;
    NotifyChanged();
}

void TPluginRegistry::ChooseDefaultByLanguage(int type)
{
    ClearDefault(type);
    for (int i = 0; i < Count(); ++i) {
        if (m_plugins[i].PluginType == type && m_plugins[i].Language == m_language) {
            SetDefault(i);
            return;
        }
    }
    NotifyChanged();
}

bool TPluginRegistry::Uninstall(int index, QString *error)
{
    if (!IsValid(index)) {
        if (error)
            *error = u"no plug-in at index %1"_s.arg(index);
        return false;
    }
    QFile file(LibraryPath(index));
    const bool removed = file.remove();
    if (!removed && error)
        *error = file.errorString();
    m_plugins.removeAt(index);
    NotifyChanged();
    return removed;
}

bool TPluginRegistry::AllowsOverwrite(int index, int field) const
{
    if (!IsValid(index) || field < 0 || field >= 32)
        return false;
    return (m_plugins[index].OverwriteMask >> field) & 1U;
}

void TPluginRegistry::SetOverwriteMask(int index, uint32_t mask)
{
    if (IsValid(index))
        m_plugins[index].OverwriteMask = mask;
}

void TPluginRegistry::RefreshTexts(int language)
{
    m_language = language;
    for (int i = 0; i < Count(); ++i) {
        TPluginLibrary library(LibraryPath(i));
        if (!library.IsLoaded())
            continue;
        TPlugin &plugin = m_plugins[i];
        if (const auto getName = library.Resolve<TGetNameFunc>("GetName"))
            plugin.Name = FromPluginWide(getName(language));
        if (const auto getDescription = library.Resolve<TGetDescriptionFunc>("GetDescription"))
            plugin.Description = FromPluginWide(getDescription(language));
        if (const auto getAbout = library.Resolve<TGetAboutFunc>("GetAbout"))
            plugin.About = FromPluginWide(getAbout(language));
    }
    NotifyChanged();
}

bool TPluginRegistry::Configure(int index, void *ownerWindow) const
{
    if (!IsValid(index) || !m_plugins[index].CanConfig)
        return false;
    TPluginLibrary library(LibraryPath(index));
    const auto configure = library.Resolve<TConfigureFunc>("Configure");
    if (!configure)
        return false;
    configure(m_language, ownerWindow);
    return true;
}

void TPluginRegistry::ReadSettings(const IPluginSettings &settings)
{
    for (TPlugin &plugin : m_plugins) {
        if (HasOverwriteMask(plugin.PluginType))
            plugin.OverwriteMask = ReadMask(settings.Value(plugin.FileName));
    }
    for (int type = 0; type < RK_PLUGIN_TYPE_COUNT; ++type) {
        const QString fileName = settings.Value(DefaultTypeKey(type));
        if (fileName.isEmpty()) {
            ChooseDefaultByLanguage(type);
            continue;
        }
        // Only a plug-in of this type may answer the key: a file of another type named here
        // must not take over that other type's default.
        ClearDefault(type);
        for (int i = 0; i < Count(); ++i) {
            if (m_plugins[i].PluginType == type && m_plugins[i].FileName == fileName) {
                m_plugins[i].IsDefault = true;
                break;
            }
        }
    }
    m_silentMode = ReadBool(settings.Value(u"SilentMode"_s));
    m_autoAddPeople = ReadBool(settings.Value(u"AutoAddPeople"_s));
    NotifyChanged();
}

void TPluginRegistry::WriteSettings(IPluginSettings &settings) const
{
    for (const TPlugin &plugin : m_plugins) {
        if (HasOverwriteMask(plugin.PluginType)) {
            settings.SetValue(plugin.FileName,
                              QString::number(static_cast<int32_t>(plugin.OverwriteMask)));
        }
    }
    for (int type = 0; type < RK_PLUGIN_TYPE_COUNT; ++type) {
        int index = -1;
        for (int i = 0; i < Count() && index < 0; ++i) {
            if (m_plugins[i].PluginType == type && m_plugins[i].IsDefault)
                index = i;
        }
        // An empty value rather than none: a stale name (an uninstalled default) would
        // otherwise leave the type without a default at every later start.
        settings.SetValue(DefaultTypeKey(type), index >= 0 ? m_plugins[index].FileName : QString());
    }
    settings.SetValue(u"SilentMode"_s, BoolText(m_silentMode));
    settings.SetValue(u"AutoAddPeople"_s, BoolText(m_autoAddPeople));
}

QString TPluginRegistry::DefaultTypeKey(int type)
{
    return u"DefaultType%1"_s.arg(type);
}

bool TPluginRegistry::HasOverwriteMask(int type)
{
    return type == RK_PLUGIN_MOVIE_INFO || type == RK_PLUGIN_PEOPLE_IMPORT;
}

void TPluginRegistry::NotifyChanged() const
{
    if (m_changed)
        m_changed();
}
