#include "host/pluginmenu.h"

#include "host/pluginregistry.h"

TPluginMenuItem TPluginMenu::Item(int tag) const
{
    const TPlugin plugin = m_registry.Get(tag);
    const int type = plugin.PluginType;
    if (tag < 0 || tag >= m_registry.Count() || type < RK_PLUGIN_MOVIE_INFO
        || type > RK_PLUGIN_EXPORT_TYPE)
        return {};
    TPluginMenuItem item;
    item.tag = tag;
    item.caption = plugin.Description;
    item.pluginType = type;
    if (type == RK_PLUGIN_EXPORT_TYPE) {
        item.menu = TPluginMenuKind::Export;
        item.enabled = m_hasRecords;
        return item;
    }
    item.menu = TPluginMenuKind::Import;
    const bool people = type == RK_PLUGIN_PEOPLE_IMPORT;
    item.visible = people == (m_mode == TListMode::People);
    // An empty list can still be filled from a foreign catalog, but not from the web.
    item.enabled = !m_readOnly && (m_hasRecords || type == RK_PLUGIN_GENERAL_IMPORT);
    return item;
}

QList<TPluginMenuItem> TPluginMenu::Items() const
{
    QList<TPluginMenuItem> items;
    for (int i = 0; i < m_registry.Count(); ++i) {
        const TPluginMenuItem item = Item(i);
        if (item.tag >= 0)
            items.append(item);
    }
    return items;
}

TPluginToolButton TPluginMenu::Button(int type) const
{
    TPluginToolButton button;
    button.tag = m_registry.DefaultIndex(type);
    if (button.tag < 0)
        return button;
    const TPluginMenuItem item = Item(button.tag);
    // Running a disabled menu item does nothing, so the button that runs it is disabled too.
    button.enabled = item.enabled;
    button.hint = item.caption;
    return button;
}

TPluginToolButton TPluginMenu::ImportButton() const
{
    return Button(m_mode == TListMode::People ? RK_PLUGIN_PEOPLE_IMPORT : RK_PLUGIN_MOVIE_INFO);
}

TPluginToolButton TPluginMenu::ExportButton() const
{
    return Button(RK_PLUGIN_EXPORT_TYPE);
}

int TPluginMenu::CardButtonTarget(TCardButton button,
                                  const QString &title,
                                  const QString &origTitle) const
{
    if (title.isEmpty() && origTitle.isEmpty())
        return -1;
    switch (button) {
    case TCardButton::Information:
        return m_registry.DefaultOrLastIndex(RK_PLUGIN_MOVIE_INFO);
    case TCardButton::Poster:
        return m_registry.DefaultOrLastIndex(RK_PLUGIN_POSTER_IMPORT);
    case TCardButton::Cover:
        return m_registry.DefaultOrLastIndex(RK_PLUGIN_COVER_IMPORT);
    }
    return -1;
}

TPluginFlow TPluginMenu::FlowOf(int pluginType)
{
    switch (pluginType) {
    case RK_PLUGIN_MOVIE_INFO:
    case RK_PLUGIN_POSTER_IMPORT:
    case RK_PLUGIN_COVER_IMPORT:
    case RK_PLUGIN_PEOPLE_IMPORT:
        return TPluginFlow::WebInformation;
    case RK_PLUGIN_GENERAL_IMPORT:
    case RK_PLUGIN_EXPORT_TYPE:
        return TPluginFlow::ImportExport;
    default:
        return TPluginFlow::None;
    }
}
