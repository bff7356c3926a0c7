#pragma once

#include <functional>

#include <QString>

#include "logic/maintenance.h"

class ICommandHost;
struct TSettings;

// The maintenance tools: removing duplicate records and dead file locations (behind the
// wait window, with its progress bar and Cancel), and editing the selected movies together.
class TToolsController
{
public:
    TToolsController(ICommandHost &host, const TSettings &settings);

    void RunRemoveDuplicates();
    void RunRemoveBadFiles();
    // Edit with several movie rows or a group row selected.
    void EditMultipleMovies();
    // Whether Edit opens the multiple-movie editor.
    bool MultiEditSelection() const;

private:
    // Runs `work` behind the wait window with its progress bar and Cancel.
    void RunWithWaitWindow(const std::function<void(const TMaintenanceProgress &)> &work);
    // What a tool did, in the status bar and a message box; `cancelled` says that the
    // Cancel button stopped it and what was done stays.
    void ShowToolSummary(const QString &caption, const QString &done, bool cancelled);

    ICommandHost &m_host;
    const TSettings &m_settings;
    // The bad-file dialog keeps its options between uses.
    TBadFileOptions m_badFileOptions;
};
