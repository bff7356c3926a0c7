#pragma once

#include <cstdint>
#include <functional>

#include <QList>
#include <QString>

#include "catalog/version.h"
#include "host/plugintexts.h"
#include "plugin_api/importu.h"

class IMessageSink;

// One accepted plug-in, as discovery found it. Its index in the registry is also the tag of
// its menu item.
struct TPlugin
{
    QString FileName;               // inside the Plugins folder ("webinfoa.so")
    QString Name;                   // GetName in the current user-interface language
    QString Description;            // GetDescription; the caption of its menu item
    int Language = RK_LANG_ENGLISH; // GetPluginLanguage
    // Bit i: the web flow may overwrite a non-empty field of overwrite index i (types 2, 6).
    uint32_t OverwriteMask = 0;
    int PluginType = RK_PLUGIN_UNKNOWN; // GetType, kept whole so odd codes never alias 0..7
    bool IsDefault = false;             // at most one per type
    bool CanConfig = false;
    QString About;   // empty when GetAbout is missing
    QString Version; // GetPluginVersion, "0" when missing
};

// The "Plugins" section of the settings file, seen as text values by key.
class IPluginSettings
{
public:
    virtual ~IPluginSettings() = default;
    // Empty when the key is absent.
    virtual QString Value(const QString &key) const = 0;
    virtual void SetValue(const QString &key, const QString &value) = 0;
};

// The plug-ins found at start-up, in discovery order, with their per plug-in settings.
// Libraries are loaded only while the registry asks them something.
class TPluginRegistry
{
public:
    explicit TPluginRegistry(IMessageSink *messages = nullptr, TPluginTextSource texts = {});

    // Rebuilds the list from the "*.so" files of `folder` in file-name order, asking each in
    // `language`. A refused version is reported once per library through the message sink;
    // other failures are skipped silently. Every plug-in starts with no default.
    void Discover(const QString &folder, int language, int hostVersion = ProgramVersionNumber);
    const QString &Folder() const { return m_folder; }
    int Language() const { return m_language; }

    int Count() const { return static_cast<int>(m_plugins.size()); }
    // A copy of the plug-in; a default TPlugin for an index out of range.
    TPlugin Get(int index) const;
    const QList<TPlugin> &Plugins() const { return m_plugins; }
    // Full path of the plug-in's library, for the flows that load it for one command.
    QString LibraryPath(int index) const;

    bool HasType(int type) const;
    // The default plug-in of the type, else the first of the type, else -1.
    int DefaultIndex(int type) const;
    // The default plug-in of the type, else the last of the type, else -1 (the card buttons).
    int DefaultOrLastIndex(int type) const;
    void SetDefault(int index);
    // The first plug-in of the type in the current language becomes its default; without
    // one the type has no default.
    void ChooseDefaultByLanguage(int type);

    // Deletes the library file and removes the plug-in from the list (also when the file
    // stays; it comes back at the next start). False when nothing was deleted; `error`
    // then says why.
    bool Uninstall(int index, QString *error = nullptr);

    // Bit `field` of the plug-in's overwrite mask; false out of range.
    bool AllowsOverwrite(int index, int field) const;
    void SetOverwriteMask(int index, uint32_t mask);

    // Reloads every library and asks its texts again in `language` (a library that no
    // longer loads keeps its old texts).
    void RefreshTexts(int language);

    // Runs the plug-in's own configuration dialog when it has one; false when it has none
    // or its library does not load.
    bool Configure(int index, void *ownerWindow) const;

    bool SilentMode() const { return m_silentMode; }
    void SetSilentMode(bool on) { m_silentMode = on; }
    bool AutoAddPeople() const { return m_autoAddPeople; }
    void SetAutoAddPeople(bool on) { m_autoAddPeople = on; }

    // Reads the masks (types 2 and 6), the default of each type 0..7 and the two Booleans.
    // Run after Discover.
    void ReadSettings(const IPluginSettings &settings);
    void WriteSettings(IPluginSettings &settings) const;

    // Called after every change the menus and tool buttons show (defaults, list, texts).
    void SetChangedHandler(std::function<void()> handler) { m_changed = std::move(handler); }

    // Key names of the "Plugins" section.
    static QString DefaultTypeKey(int type);
    static bool HasOverwriteMask(int type);

private:
    bool IsValid(int index) const { return index >= 0 && index < m_plugins.size(); }
    void ClearDefault(int type);
    void NotifyChanged() const;

    IMessageSink *m_messages = nullptr;
    TPluginTextSource m_texts;
    QString m_folder;
    int m_language = RK_LANG_ENGLISH;
    QList<TPlugin> m_plugins;
    bool m_silentMode = false;
    bool m_autoAddPeople = false;
    std::function<void()> m_changed;
};
