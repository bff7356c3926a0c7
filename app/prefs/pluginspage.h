#pragma once

#include <memory>

#include "app/prefs/prefspagebase.h"

class QCheckBox;
class QGroupBox;
class QListWidget;
class QPushButton;
class QTreeWidget;
class TPluginsFrame;

// Plugins: the installed plug-ins, the default per type, their overwrite masks and the
// silent and add-people switches. Set as default and Uninstall act at once; the masks and
// switches reach the registry only in Store.
class TPluginsPage : public TPrefsPageBase
{
public:
    explicit TPluginsPage(QWidget *parent);
    ~TPluginsPage() override;

    void Load(const TSettings &settings, const TPrefsContext &context) override;
    void Store(TSettings &settings) override;
    // The default button's caption follows the selected plug-in and the language.
    void Refresh() override;

private:
    QGroupBox *AddOverwriteGroup(const QString &name,
                                 const QString &listName,
                                 const QString &suffix,
                                 QListWidget *&list);
    void ConnectButtons();
    void FillRows();
    void RefreshFonts();
    void ShowSelection();
    void FillOverwriteList(QListWidget *list);

    TPrefsContext m_context;
    // Declared before m_plugins, which holds a reference to it.
    std::unique_ptr<IYesNoQuestion> m_boxQuestion;
    std::unique_ptr<TPluginsFrame> m_plugins;
    // Set while rows are filled, so change handlers do not take the fill for user input.
    bool m_filling = false;

    QTreeWidget *m_plugsList = nullptr;
    QGroupBox *m_miGroup = nullptr;
    QGroupBox *m_piGroup = nullptr;
    QListWidget *m_overwriteList = nullptr;
    QListWidget *m_overwriteList2 = nullptr;
    QPushButton *m_defBtn = nullptr;
    QPushButton *m_configBtn = nullptr;
    QPushButton *m_delPlugBtn = nullptr;
    QCheckBox *m_silentCheck = nullptr;
    QCheckBox *m_addPeopleCheck = nullptr;
};
