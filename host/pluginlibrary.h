#pragma once

#include <optional>

#include <QList>
#include <QString>

#include "plugin_api/importu.h"

// One plug-in library, loaded for as long as the object lives. Everything a plug-in hands
// out must be copied before the library is unloaded (see the string helpers below).
class TPluginLibrary
{
public:
    TPluginLibrary() = default;
    explicit TPluginLibrary(const QString &fileName) { Load(fileName); }
    ~TPluginLibrary() { Unload(); }
    TPluginLibrary(const TPluginLibrary &) = delete;
    TPluginLibrary &operator=(const TPluginLibrary &) = delete;

    // Unloads a previous library first. False, with ErrorString, when it cannot be loaded.
    bool Load(const QString &fileName);
    void Unload();
    bool IsLoaded() const { return m_handle != nullptr; }
    const QString &FileName() const { return m_fileName; }
    const QString &ErrorString() const { return m_error; }

    // The export of that name as a function pointer of type F; nullptr when missing.
    template <typename F> F Resolve(const char *name) const
    {
        return reinterpret_cast<F>(ResolveSymbol(name));
    }

private:
    void *ResolveSymbol(const char *name) const;

    void *m_handle = nullptr;
    QString m_fileName;
    QString m_error;
};

// Copies of strings a plug-in returned (null gives empty text).
QString FromPluginWide(const char16_t *text);
QString FromPluginAnsi(const char *text);

// The version handshake: a plug-in written for a host before 4000 is refused (0 means it
// does not say); otherwise CheckRKDVerion, when exported, decides.
bool PluginAcceptsHost(TGetVersionSupportedFunc getVersionSupported,
                       TCheckRKDVerionFunc checkHostVersion,
                       int hostVersion);

// What discovery learns of a plug-in library.
struct TPluginInfo
{
    QString fileName; // the file name only ("catimport.so")
    QString path;
    int type = 0;
    QString name;
    QString description;
    int versionSupported = 0;
    QString pluginVersion; // "0" when the plug-in does not say
    int language = RK_LANG_ENGLISH;
    bool canConfig = false;
    QString about;
};

// The type's display name ("General Import"); "Unknown" for codes out of range.
QString PluginTypeName(int type);

enum class TDiscovery { Accepted, NotAPlugin, Refused };

// Loads a library, asks it what it is and unloads it again. A library that does not load
// or lacks one of GetType, GetName, GetDescription and GetVersionSupported is not a
// plug-in; one that refuses the host version is Refused.
TDiscovery DiscoverPlugin(const QString &path, int language, int hostVersion, TPluginInfo &info);
// Every "*.so" of a folder, in file-name order; `refused` collects the refused ones.
QList<TPluginInfo> DiscoverPlugins(const QString &folder,
                                   int language,
                                   int hostVersion,
                                   QList<TPluginInfo> *refused = nullptr);
