#pragma once

#include <functional>

#include <QString>
#include <QStringList>

class QTimer;

// The recent-file list of the File menu: at most five catalog names, most recent first,
// each kept relative to the program folder (a Windows absolute name stays as it is).
class TRecentFiles
{
public:
    static constexpr int MaxCount = 5;

    // As stored in the settings; taken over unchanged.
    void Load(const QStringList &names) { m_names = names; }
    QStringList Store() const { return m_names; }
    const QStringList &Names() const { return m_names; }

    // Called on every change of the open catalog; an empty name means none. The opened
    // name leaves the list; the closed one goes to the front when new (dropping the oldest
    // beyond five) or trades places with the last entry when already listed.
    void Change(const QString &closing, const QString &opening, const QString &programFolder);
    // Menu captions, one per entry in list order.
    QStringList Captions() const;
    // Entry `index` as an absolute name; empty for an index outside the list.
    QString Expand(int index, const QString &programFolder) const;

private:
    QStringList m_names;
};

// True when the file's owner may not write it; false for a missing file.
bool FileWriteProtected(const QString &path);

// Whether a just-opened catalog is shown read-only. A write-protected existing file decides
// at once; otherwise a catalog from a newer program version asks `askReadOnly` (true for
// Yes), and only then; a failed read makes it read-only in any case.
bool ReadOnlyDecision(bool fileExists,
                      bool writeProtected,
                      int fileVersion,
                      int programVersion,
                      bool loadFailed,
                      const std::function<bool()> &askReadOnly);

// The main window's caption. `text298`, `text299` and `text1867` are the translated texts
// for people mode, movie mode and read-only mode.
QString TitleBarText(const QString &fileName,
                     bool peopleMode,
                     bool readOnly,
                     bool modified,
                     const QString &text298,
                     const QString &text299,
                     const QString &text1867);

// The single timer auto-save runs on, so the state machine can be driven without waiting.
class TAutoSaveTimer
{
public:
    virtual ~TAutoSaveTimer() = default;
    // (Re)starts the timer to fire every `milliseconds`.
    virtual void Start(int milliseconds) = 0;
    virtual void Stop() = 0;
};

// Drives a QTimer owned elsewhere (its parent); the window connects its timeout itself.
class TQtAutoSaveTimer : public TAutoSaveTimer
{
public:
    explicit TQtAutoSaveTimer(QTimer *timer)
        : m_timer(timer)
    {}
    void Start(int milliseconds) override;
    void Stop() override;

private:
    QTimer *m_timer;
};

enum class TAutoSaveAction { None, Save };

// The armed flag of auto-save. The window reports idle moments, timer ticks and the
// catalog turning unmodified; a tick answers Save when the catalog is to be saved now.
class TAutoSaveState
{
public:
    // Delay while a record is being edited, in milliseconds.
    static constexpr int EditingRetryMs = 60 * 1000;

    explicit TAutoSaveState(TAutoSaveTimer &timer)
        : m_timer(timer)
    {}

    bool Armed() const { return m_armed; }
    // `intervalMinutes` is the AutoSaveInterval setting.
    void OnIdle(bool autoSaveOn, bool modified, int intervalMinutes);
    TAutoSaveAction OnTimer(bool editing);
    void OnNotModified();

private:
    TAutoSaveTimer &m_timer;
    bool m_armed = false;
};

// The background check for new program and plug-in versions. The window program starts it
// on an idle moment; until a checker is registered the trigger does nothing visible.
class IVersionCheck
{
public:
    virtual ~IVersionCheck() = default;
    virtual void StartVersionCheck() = 0;
};
// Registers the process-wide checker (nullptr: none); the caller keeps it alive.
void SetVersionCheck(IVersionCheck *check);
IVersionCheck *RegisteredVersionCheck();

// Whether an idle moment starts a version check: checks are on, the last successful one is
// at least seven whole days old and the last attempt at least one whole minute. All times
// are day counts.
bool VersionCheckDue(bool doUpdates, double lastUpdate, double lastAttempt, double now);
// Milliseconds from `now` until VersionCheckDue turns true, at least 1 and at most an hour
// (the day counts follow the wall clock, which may jump while the process waits); -1 when
// checks are off.
int MsUntilVersionCheckDue(bool doUpdates, double lastUpdate, double lastAttempt, double now);

// The Windows primary language identifier of a Qt language (9 English, 7 German, 25
// Russian, ...); 0 for a language without one.
int WindowsLanguageId(int qtLanguage);
