#include "host/pluginsframe.h"

#include "host/messagesink.h"
#include "host/pluginlibrary.h"
#include "host/pluginregistry.h"

using namespace Qt::StringLiterals;

TPluginsFrame::TPluginsFrame(TPluginRegistry &registry,
                             IYesNoQuestion &question,
                             IMessageSink *messages,
                             TPluginTextSource texts)
    : m_registry(registry)
    , m_question(question)
    , m_messages(messages)
    , m_texts(std::move(texts))
{}

QStringList TPluginsFrame::MovieOverwriteFields()
{
    return {u"Title"_s,    u"OrigTitle"_s,   u"Also known as"_s, u"Year"_s,   u"Genre"_s,
            u"Director"_s, u"Producer"_s,    u"Scenario"_s,      u"Music"_s,  u"Actors"_s,
            u"Country"_s,  u"Studio"_s,      u"MPAA"_s,          u"Rating"_s, u"Tags"_s,
            u"Tagline"_s,  u"Description"_s, u"Duration"_s,      u"Awards"_s, u"Links"_s,
            u"Features"_s};
}

QStringList TPluginsFrame::PersonOverwriteFields()
{
    return {u"Name"_s,
            u"Translated name"_s,
            u"Alternative names"_s,
            u"Birthday"_s,
            u"Birthplace"_s,
            u"Genre"_s,
            u"Career"_s,
            u"Biography"_s,
            u"Filmography"_s,
            u"Awards"_s};
}

void TPluginsFrame::Load()
{
    m_rows.clear();
    for (const TPlugin &plugin : m_registry.Plugins()) {
        TPluginsFrameRow row;
        row.name = plugin.Name;
        row.typeName = PluginTypeName(plugin.PluginType);
        row.description = plugin.Description;
        row.version = plugin.Version;
        row.pluginType = plugin.PluginType;
        row.workingMask = plugin.OverwriteMask;
        row.bold = plugin.IsDefault;
        m_rows.append(row);
    }
    m_selected = -1;
    m_silentMode = m_registry.SilentMode();
    m_autoAddPeople = m_registry.AutoAddPeople();
}

void TPluginsFrame::Select(int row)
{
    m_selected = IsValid(row) ? row : -1;
}

QString TPluginsFrame::DefaultButtonCaption() const
{
    if (!IsValid(m_selected))
        return {};
    return PluginText(m_texts, PluginTextSetDefault, m_rows[m_selected].typeName);
}

bool TPluginsFrame::ConfigureEnabled() const
{
    return IsValid(m_selected) && m_registry.Get(m_selected).CanConfig;
}

TOverwriteGroup TPluginsFrame::VisibleGroup() const
{
    if (!IsValid(m_selected))
        return TOverwriteGroup::None;
    switch (m_rows[m_selected].pluginType) {
    case RK_PLUGIN_MOVIE_INFO:
        return TOverwriteGroup::Movie;
    case RK_PLUGIN_PEOPLE_IMPORT:
        return TOverwriteGroup::Person;
    default:
        return TOverwriteGroup::None;
    }
}

QStringList TPluginsFrame::OverwriteItems() const
{
    switch (VisibleGroup()) {
    case TOverwriteGroup::Movie:
        return MovieOverwriteFields();
    case TOverwriteGroup::Person:
        return PersonOverwriteFields();
    case TOverwriteGroup::None:
        break;
    }
    return {};
}

int TPluginsFrame::VisibleFieldCount() const
{
    return static_cast<int>(OverwriteItems().size());
}

QList<bool> TPluginsFrame::OverwriteChecks() const
{
    QList<bool> checks;
    const int count = VisibleFieldCount();
    for (int bit = 0; bit < count; ++bit)
        checks.append((m_rows[m_selected].workingMask >> bit) & 1U);
    return checks;
}

void TPluginsFrame::SetOverwriteChecked(int bit, bool checked)
{
    if (bit < 0 || bit >= VisibleFieldCount())
        return;
    uint32_t &mask = m_rows[m_selected].workingMask;
    if (checked)
        mask |= 1U << bit;
    else
        mask &= ~(1U << bit);
}

void TPluginsFrame::CheckAll(bool checked)
{
    const int count = VisibleFieldCount();
    for (int bit = 0; bit < count; ++bit)
        SetOverwriteChecked(bit, checked);
}

void TPluginsFrame::RefreshBold()
{
    const QList<TPlugin> &plugins = m_registry.Plugins();
    for (int i = 0; i < m_rows.size() && i < plugins.size(); ++i)
        m_rows[i].bold = plugins[i].IsDefault;
}

void TPluginsFrame::SetDefault()
{
    if (!IsValid(m_selected))
        return;
    m_registry.SetDefault(m_selected);
    RefreshBold();
}

bool TPluginsFrame::Configure(void *ownerWindow)
{
    return ConfigureEnabled() && m_registry.Configure(m_selected, ownerWindow);
}

bool TPluginsFrame::Uninstall()
{
    if (!IsValid(m_selected))
        return false;
    if (!m_question.AskYesNo(PluginText(m_texts, PluginTextConfirmCaption),
                             PluginText(m_texts, PluginTextUninstallQuestion)))
        return false;
    const QString fileName = m_registry.Get(m_selected).FileName;
    QString error;
    const bool deleted = m_registry.Uninstall(m_selected, &error);
    // The registry drops the plug-in either way; keeping its row would shift every later
    // row onto the wrong plug-in.
    m_rows.removeAt(m_selected);
    m_selected = -1;
    if (!deleted && m_messages) {
        m_messages->ShowMessage(
            TMessageKind::Error,
            PluginText(m_texts, PluginTextWarningCaption),
            u"The plug-in file \"%1\" could not be deleted: %2"_s.arg(fileName, error));
    }
    return true;
}

void TPluginsFrame::Accept()
{
    for (int i = 0; i < m_rows.size(); ++i) {
        if (TPluginRegistry::HasOverwriteMask(m_rows[i].pluginType))
            m_registry.SetOverwriteMask(i, m_rows[i].workingMask);
    }
    m_registry.SetSilentMode(m_silentMode);
    m_registry.SetAutoAddPeople(m_autoAddPeople);
}
