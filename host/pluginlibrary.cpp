#include "host/pluginlibrary.h"

#include <dlfcn.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "catalog/ansi.h"

bool TPluginLibrary::Load(const QString &fileName)
{
    Unload();
    m_fileName = fileName;
    m_error.clear();
    // RTLD_LOCAL keeps one plug-in's symbols from answering another's lookups.
    m_handle = ::dlopen(QFile::encodeName(fileName).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) {
        const char *error = ::dlerror();
        m_error = error ? QString::fromLocal8Bit(error) : QStringLiteral("cannot load");
        return false;
    }
    return true;
}

void TPluginLibrary::Unload()
{
    if (m_handle)
        ::dlclose(m_handle);
    m_handle = nullptr;
}

void *TPluginLibrary::ResolveSymbol(const char *name) const
{
    return m_handle ? ::dlsym(m_handle, name) : nullptr;
}

QString FromPluginWide(const char16_t *text)
{
    return text ? QString::fromUtf16(text) : QString();
}

QString FromPluginAnsi(const char *text)
{
    return text ? FromAnsi(QByteArrayView(text)) : QString();
}

bool PluginAcceptsHost(TGetVersionSupportedFunc getVersionSupported,
                       TCheckRKDVerionFunc checkHostVersion,
                       int hostVersion)
{
    const int32_t wanted = getVersionSupported ? getVersionSupported() : 0;
    if (wanted != 0 && wanted < 4000)
        return false;
    if (checkHostVersion && checkHostVersion(hostVersion) == 0)
        return false;
    return true;
}

QString PluginTypeName(int type)
{
    if (type < 0 || type >= RK_PLUGIN_TYPE_COUNT)
        type = RK_PLUGIN_UNKNOWN;
    return QString::fromUtf16(RkPluginTypeNames[type]);
}

TDiscovery DiscoverPlugin(const QString &path, int language, int hostVersion, TPluginInfo &info)
{
    TPluginLibrary library(path);
    if (!library.IsLoaded())
        return TDiscovery::NotAPlugin;
    const auto getType = library.Resolve<TGetTypeFunc>("GetType");
    const auto getName = library.Resolve<TGetNameFunc>("GetName");
    const auto getDescription = library.Resolve<TGetDescriptionFunc>("GetDescription");
    const auto getVersionSupported =
        library.Resolve<TGetVersionSupportedFunc>("GetVersionSupported");
    if (!getType || !getName || !getDescription || !getVersionSupported)
        return TDiscovery::NotAPlugin;
    info = TPluginInfo();
    info.path = path;
    info.fileName = QFileInfo(path).fileName();
    info.versionSupported = getVersionSupported();
    const auto checkHost = library.Resolve<TCheckRKDVerionFunc>("CheckRKDVerion");
    // A refused plug-in is asked nothing more.
    if (!PluginAcceptsHost(getVersionSupported, checkHost, hostVersion))
        return TDiscovery::Refused;
    info.type = getType();
    info.name = FromPluginWide(getName(language));
    info.description = FromPluginWide(getDescription(language));
    if (const auto canConfig = library.Resolve<TCanConfigFunc>("CanConfig"))
        info.canConfig = (canConfig() & 0xFF) != 0;
    if (const auto getAbout = library.Resolve<TGetAboutFunc>("GetAbout"))
        info.about = FromPluginWide(getAbout(language));
    const auto getPluginVersion = library.Resolve<TGetPluginVersionFunc>("GetPluginVersion");
    info.pluginVersion =
        getPluginVersion ? FromPluginAnsi(getPluginVersion()) : QStringLiteral("0");
    if (const auto getLanguage = library.Resolve<TGetPluginLanguageFunc>("GetPluginLanguage"))
        info.language = getLanguage();
    return TDiscovery::Accepted;
}

QList<TPluginInfo>
DiscoverPlugins(const QString &folder, int language, int hostVersion, QList<TPluginInfo> *refused)
{
    QList<TPluginInfo> found;
    const QStringList files =
        QDir(folder).entryList({QStringLiteral("*.so")}, QDir::Files, QDir::Name);
    for (const QString &file : files) {
        TPluginInfo info;
        const TDiscovery result =
            DiscoverPlugin(QDir(folder).filePath(file), language, hostVersion, info);
        if (result == TDiscovery::Accepted)
            found.append(info);
        else if (result == TDiscovery::Refused && refused)
            refused->append(info);
    }
    return found;
}
