#pragma once

#include <memory>

#include <QList>
#include <QPointer>
#include <QString>

#include "host/pluginmenu.h"

class ICommandHost;
class QAction;
class QMenu;
class QMenuBar;
class QToolBar;
class QWidget;
class TPluginRegistry;
class TWideLanguage;
struct TImportSummary;
struct TSettings;

// What the import and export runs need of the window beyond its command host: the folders
// of the file dialogs, and the web flow for the web plug-ins that share the Import menu and
// the import button. The window implements it; the controller owns the implementation.
class ITransferHost
{
public:
    virtual ~ITransferHost() = default;

    // Slot 5 is the import files' folder, slot 4 the export files'.
    virtual QString InitialFolder(int slot) const = 0;
    virtual void RememberFolder(int slot, const QString &folder) = 0;
    // Runs web plug-in `index` of the registry on the focused record.
    virtual void RunWebPlugin(int index) = 0;
    // The plug-in list changed: the movie card's web buttons follow.
    virtual void UpdateCardButtons() = 0;
};

// The import and export plug-ins: the Import and Export menus, their tool buttons and the
// welcome's import link, and the runs of import (type 3) and export (type 7) plug-ins over
// the open catalog. It owns the menus' plug-in state, which the web commands read too.
class TTransferController
{
public:
    // The references outlive the controller.
    TTransferController(ICommandHost &commands,
                        std::unique_ptr<ITransferHost> host,
                        TPluginRegistry &registry,
                        const TSettings &settings,
                        TWideLanguage &language);
    ~TTransferController();

    TPluginMenu &PluginMenu() { return m_pluginMenu; }
    const TPluginMenu &PluginMenu() const { return m_pluginMenu; }

    // Files of other programs that the command line and drops offer to import.
    static bool IsImportFile(const QString &fileName);

    // The frame's parts: the Import and Export menus on the menu bar, and the tool buttons
    // of the default import and export plug-ins (their texts come from the plug-ins).
    void CreateMenus(QMenuBar *bar);
    void CreateToolButtons(QToolBar *bar, QAction *importAction, QAction *exportAction);
    // The menus' items again from the registry (new list, language, default).
    void RebuildMenus();
    // The items and buttons follow the shown list's selection and the read-only state.
    void UpdateActions(bool hasRecords);

    // Runs import plug-in `index` of the registry (type 3) or export plug-in (type 7).
    // `fileName` skips the plug-in's file question.
    void RunImportPlugin(int index, const QString &fileName = QString());
    void RunExportPlugin(int index);
    // After an import: the lists in order, the first imported record of the shown kind
    // focused (the other kind shown when only it came), and `text` in the status bar.
    void ShowImported(const TImportSummary &summary, const QString &text);
    // Asks whether the foreign catalog `fileName` is imported into the open catalog and runs
    // the import plug-in that reads it.
    void OfferImport(const QString &fileName);

    // The import plug-ins the welcome of an empty catalog offers: those that read another
    // program's catalog file.
    QList<int> WelcomeImports() const;
    // The welcome's import link was followed: the one plug-in runs, or the user picks one
    // from a menu shown below `link` (at the mouse without it).
    void ChooseWelcomeImport(const QWidget *link);

private:
    void UpdateItems();

    ICommandHost &m_commands;
    std::unique_ptr<ITransferHost> m_host;
    TPluginRegistry &m_registry;
    const TSettings &m_settings;
    TWideLanguage &m_language;
    TPluginMenu m_pluginMenu;

    QPointer<QMenu> m_importMenu;
    QPointer<QMenu> m_exportMenu;
    QPointer<QMenu> m_welcomeImportMenu;
    QPointer<QAction> m_importAction;
    QPointer<QAction> m_exportAction;
};
