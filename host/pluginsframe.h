#pragma once

#include <cstdint>

#include <QList>
#include <QString>
#include <QStringList>

#include "host/plugintexts.h"

class IMessageSink;
class TPluginRegistry;

// A yes/no question with a question icon; the window program shows a message box, tests
// give the answer.
class IYesNoQuestion
{
public:
    virtual ~IYesNoQuestion() = default;
    virtual bool AskYesNo(const QString &caption, const QString &text) = 0;
};

// One row of the plug-in list of the preferences page.
struct TPluginsFrameRow
{
    QString name;
    QString typeName;
    QString description;
    QString version;
    int pluginType = 0;
    uint32_t workingMask = 0; // edited here, copied back on Accept
    bool bold = false;        // the default plug-in of its type
};

// Which overwrite list the page shows for the selected row.
enum class TOverwriteGroup { None, Movie, Person };

// The logic of the plug-in page of the preferences window (TPluginsFrame): rows with working
// copies of the overwrite masks, the overwrite lists, default, configure and uninstall. The
// page binds its widgets to this; nothing reaches the registry's masks and Booleans before
// Accept.
class TPluginsFrame
{
public:
    TPluginsFrame(TPluginRegistry &registry,
                  IYesNoQuestion &question,
                  IMessageSink *messages = nullptr,
                  TPluginTextSource texts = {});

    // Fills the rows and the two Booleans from the registry; no row selected.
    void Load();
    const QList<TPluginsFrameRow> &Rows() const { return m_rows; }

    void Select(int row);
    int Selected() const { return m_selected; }
    // DefBtn: its caption names the selected row's type; empty (keep the page's own caption)
    // and disabled without a selection.
    QString DefaultButtonCaption() const;
    bool DefaultButtonEnabled() const { return IsValid(m_selected); }
    bool ConfigureEnabled() const;
    bool UninstallEnabled() const { return IsValid(m_selected); }
    TOverwriteGroup VisibleGroup() const;
    // The captions of the visible overwrite list in bit order, with their check marks.
    QStringList OverwriteItems() const;
    QList<bool> OverwriteChecks() const;

    void SetOverwriteChecked(int bit, bool checked);
    // AllBtn/NoneBtn: every box of the visible list; bits beyond the list are kept.
    void CheckAll(bool checked);

    // DefBtn: takes effect at once, also when the preferences are cancelled.
    void SetDefault();
    // ConfigBtn.
    bool Configure(void *ownerWindow);
    // DelPlugBtn: asks first; on Yes the plug-in leaves the registry and its row goes. A
    // file that cannot be deleted is reported. False when nothing was uninstalled.
    bool Uninstall();

    bool SilentMode() const { return m_silentMode; }
    void SetSilentMode(bool on) { m_silentMode = on; }
    bool AutoAddPeople() const { return m_autoAddPeople; }
    void SetAutoAddPeople(bool on) { m_autoAddPeople = on; }

    // The preferences were accepted: masks of type-2 and type-6 rows and the Booleans go back
    // into the registry.
    void Accept();

    static QStringList MovieOverwriteFields();
    static QStringList PersonOverwriteFields();

private:
    bool IsValid(int row) const { return row >= 0 && row < m_rows.size(); }
    int VisibleFieldCount() const;
    void RefreshBold();

    TPluginRegistry &m_registry;
    IYesNoQuestion &m_question;
    IMessageSink *m_messages = nullptr;
    TPluginTextSource m_texts;
    QList<TPluginsFrameRow> m_rows;
    int m_selected = -1;
    bool m_silentMode = false;
    bool m_autoAddPeople = false;
};
