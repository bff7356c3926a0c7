#pragma once

#include <QList>
#include <QString>

class TPluginRegistry;

enum class TPluginMenuKind { Import, Export };
// Which list the main window shows.
enum class TListMode { Movies, People };
// Which flow a plug-in command runs: the web flow (types 2, 4, 5, 6) or file import and
// export (types 3 and 7).
enum class TPluginFlow { None, WebInformation, ImportExport };
// The movie card's buttons that run a plug-in directly.
enum class TCardButton { Information, Poster, Cover };

// One menu item of a plug-in. Its tag is the plug-in's index in the registry.
struct TPluginMenuItem
{
    TPluginMenuKind menu = TPluginMenuKind::Import;
    int tag = -1;
    QString caption;
    int pluginType = 0;
    bool visible = true;
    bool enabled = true;
};

// A tool button bound to a plug-in; pressing it runs the menu item of the same tag.
struct TPluginToolButton
{
    int tag = -1;
    bool enabled = false;
    QString hint;
};

// The Import and Export menus, their tool buttons and the card buttons as data the window
// program binds to. Everything is computed from the registry and the window's state, so
// a change of the list (uninstall, new language, new default) shows after a rebind.
class TPluginMenu
{
public:
    explicit TPluginMenu(const TPluginRegistry &registry)
        : m_registry(registry)
    {}

    void SetMode(TListMode mode) { m_mode = mode; }
    TListMode Mode() const { return m_mode; }
    // Whether the current list shows any record.
    void SetHasRecords(bool on) { m_hasRecords = on; }
    void SetReadOnly(bool on) { m_readOnly = on; }

    // The items of both menus in registry order; types 0, 1 and unknown codes have none.
    QList<TPluginMenuItem> Items() const;
    // The item of that tag; tag -1 when the plug-in has no item.
    TPluginMenuItem Item(int tag) const;
    TPluginToolButton ImportButton() const;
    TPluginToolButton ExportButton() const;

    // The plug-in a card button runs, or -1: none of the type, or both title boxes empty.
    // The caller clears the web flow's cancel flag before running it.
    int CardButtonTarget(TCardButton button, const QString &title, const QString &origTitle) const;

    static TPluginFlow FlowOf(int pluginType);

private:
    TPluginToolButton Button(int type) const;

    const TPluginRegistry &m_registry;
    TListMode m_mode = TListMode::Movies;
    bool m_hasRecords = false;
    bool m_readOnly = false;
};
