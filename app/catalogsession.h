#pragma once

#include <functional>
#include <memory>

#include <QObject>
#include <QString>
#include <QStringList>

#include "logic/mainlogic.h"

class IMainDialogs;
class IPasswordPrompt;
class QTimer;
class QWidget;
class TCatalogLock;
class TVideoDatabase;
struct TAppFolders;
struct TLoadResult;
struct TSettings;
enum class TOpenMode;

// What the session needs of the window around it. The session owns the catalog and its file;
// everything shown about it (lists, cards, title, actions, menus) belongs to the host, which
// hears here when to follow.
class ISessionHost
{
public:
    virtual ~ISessionHost() = default;

    // A catalog object for `fileName`, not read yet, observed by the lists and with the
    // window's text rules and log.
    virtual std::unique_ptr<TVideoDatabase> MakeCatalog(const QString &fileName) = 0;
    virtual void Log(const QString &line) = 0;
    // The status bar's message panel; an empty text clears it.
    virtual void ShowStatusText(const QString &text) = 0;
    // The card's input goes into the record being edited, if any.
    virtual void StoreEdits() = 0;
    // A record is being edited or an import or export runs: an auto-save waits.
    virtual bool WorkInProgress() const = 0;
    // The dialogs' start folder of a slot (0: catalogs), and the folder a dialog confirmed.
    virtual QString InitialFolder(int slot) const = 0;
    virtual void RememberFolder(int slot, const QString &folder) = 0;

    // The open catalog goes next: nothing may keep pointers into its records.
    virtual void CatalogClosing() = 0;
    // A catalog was read: its events and the lists follow it; read-only is not decided yet.
    virtual void CatalogRead() = 0;
    // The read-only decision was made (after opening, and after Save As).
    virtual void ReadOnlyDecided() = 0;
    // The opening's messages about the file are out; the web plug-ins may use the catalog.
    virtual void CatalogOpened() = 0;
    // The open command put another catalog in place of the previous one.
    virtual void CatalogReplaced() = 0;
    virtual void RecentChanged() = 0;
    // The password protection changed, or a catalog was opened.
    virtual void ProtectionChanged() = 0;
    // Another catalog's records are about to be appended; RecordsAppended follows.
    virtual void AppendStarting() = 0;
    virtual void RecordsAppended() = 0;
};

// The open catalog and its file: opening (lock, recovery copy, read-only decision), the
// File menu's commands, the recent files, auto-save and keeping changes when the program ends.
// Each command asks its questions through the dialogs.
class TCatalogSession : public QObject
{
    Q_OBJECT

public:
    using TTextFunction = std::function<QString(int number, const QString &defaultText)>;

    // `dialogParent` (may be null) parents the dialogs; while it is hidden a load failure is
    // told once the event loop runs.
    TCatalogSession(ISessionHost &host,
                    IMainDialogs &dialogs,
                    IPasswordPrompt &passwords,
                    TSettings &settings,
                    const TAppFolders &folders,
                    TTextFunction text,
                    QWidget *dialogParent);
    ~TCatalogSession() override;

    TVideoDatabase *Database() const { return m_db.get(); }
    bool ReadOnly() const { return m_readOnly; }
    // Whether Save As may keep what was read (also a damaged file's part).
    bool LoadOk() const { return m_loadOk; }

    const TRecentFiles &Recent() const { return m_recent; }
    // The recent files as the settings hold them (absolute names outside portable mode).
    void LoadRecent(const QStringList &names) { m_recent.Load(names); }

    // At start-up: the catalog `named` on the command line, else the last one of the
    // settings, which the recent files record.
    void OpenAtStart(const QString &named);
    void NewCatalog();
    void OpenCatalogDialog();
    // Opens `fileName` in place of the open catalog; false when it stays (same name, a
    // foreign file, or the old catalog could not be saved).
    bool OpenCatalog(const QString &fileName, bool asNew = false);
    bool SaveCatalog();
    bool SaveCatalogAs();
    void AppendCatalog();
    void ProtectCatalog();

    // An idle moment arms auto-save; the timer's tick saves once armed.
    void OnIdle();
    void OnAutoSaveTimer();
    // The catalog turned unmodified.
    void OnNotModified();
    void StopAutoSave();

    // Ending in order: stores the card's input and keeps a modified catalog without asking,
    // saved or in its recovery copy; false (and a warning on stderr) when neither worked.
    bool KeepChanges();
    // The catalog goes now, while the lists it feeds still exist.
    void Release();

private:
    // The file name for a new catalog (New, Save As); its folder is remembered.
    std::optional<QString> AskNewCatalogFile(const QString &caption);
    QString Text(int number, const QString &defaultText) const
    {
        return m_text(number, defaultText);
    }
    QString CatalogFilter() const;
    void OpenDatabase(const QString &fileName, bool asNew);
    // Reads the new catalog, or its recovery copy when one is there and the user takes it.
    TLoadResult ReadCatalog(TOpenMode mode);
    // After a recovery copy was read: saves the catalog with it and removes the copy.
    void FinishRecovery();
    void DecideReadOnly(const TLoadResult &load);
    // The message for a file that held no catalog or only part of one; else the load's own.
    QString LoadFailureText(const TLoadResult &load, const QString &fileName) const;
    // The message about a catalog another program holds: on opening it or saving as it.
    QString LockedText(const TCatalogLock &lock, const QString &fileName, bool opening) const;
    bool SaveBeforeClosing();

    ISessionHost &m_host;
    IMainDialogs &m_dialogs;
    IPasswordPrompt &m_passwords;
    TSettings &m_settings;
    const TAppFolders &m_folders;
    TTextFunction m_text;
    QWidget *m_dialogParent;

    TRecentFiles m_recent;
    // The open catalog's lock against a second program; its state says whether another one
    // holds it (then the catalog is read-only here). Null for a catalog without a file.
    std::unique_ptr<TCatalogLock> m_lock;
    std::unique_ptr<TVideoDatabase> m_db;
    bool m_loadOk = false;
    bool m_readOnly = false;
    // The recovery copy the open catalog was read from, until it is saved.
    QString m_recoveredFrom;

    QTimer *m_autoSaveTimer;
    TQtAutoSaveTimer m_autoSaveTimerAdapter;
    TAutoSaveState m_autoSave;
};
