#include "app/catalogsession.h"

#include <chrono>
#include <utility>

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTimer>
#include <QWidget>

#include "app/maindialogs.h"
#include "catalog/cataloglock.h"
#include "catalog/version.h"
#include "catalog/videodatabase.h"
#include "logic/settings.h"

using namespace Qt::StringLiterals;

TCatalogSession::TCatalogSession(ISessionHost &host,
                                 IMainDialogs &dialogs,
                                 IPasswordPrompt &passwords,
                                 TSettings &settings,
                                 const TAppFolders &folders,
                                 TTextFunction text,
                                 QWidget *dialogParent)
    : m_host(host)
    , m_dialogs(dialogs)
    , m_passwords(passwords)
    , m_settings(settings)
    , m_folders(folders)
    , m_text(std::move(text))
    , m_dialogParent(dialogParent)
    , m_autoSaveTimer(new QTimer(this))
    , m_autoSaveTimerAdapter(m_autoSaveTimer)
    , m_autoSave(m_autoSaveTimerAdapter)
{
    connect(m_autoSaveTimer, &QTimer::timeout, this, [this] { OnAutoSaveTimer(); });
}

TCatalogSession::~TCatalogSession() = default;

QString TCatalogSession::CatalogFilter() const
{
    return Text(1850, u"Reelkeep catalogs (*.rkd);;All files (*)"_s);
}

// ----- opening -------------------------------------------------------------------------------

void TCatalogSession::OpenAtStart(const QString &named)
{
    OpenDatabase(named.isEmpty() ? m_settings.FileName : named, false);
    m_recent.Change(named.isEmpty() ? QString() : m_settings.FileName,
                    named.isEmpty() ? m_settings.FileName : named,
                    m_folders.StoreBase());
    m_host.RecentChanged();
}

void TCatalogSession::OpenDatabase(const QString &fileName, bool asNew)
{
    // Locked before reading, so what is read is what this window may write back.
    m_lock.reset();
    if (!fileName.isEmpty()) {
        m_lock = std::make_unique<TCatalogLock>(fileName);
        m_lock->Lock(std::chrono::milliseconds(0));
    }
    m_db = m_host.MakeCatalog(fileName);
    // A catalog this window will not write is only read: opening it touches no file.
    const bool writable = !(m_lock && m_lock->State() == TCatalogLock::TState::Busy)
                          && !(QFileInfo::exists(fileName) && FileWriteProtected(fileName));
    const TLoadResult load = ReadCatalog(writable ? TOpenMode::Write : TOpenMode::Read);
    // What a damaged file held can still be kept under another name.
    m_loadOk = load.ok || load.failure == TLoadFailure::Damaged;
    if (!load.ok && !load.error.isEmpty())
        m_host.Log(load.error);
    if (asNew)
        m_db->SetVersion(ProgramVersionNumber);
    m_host.CatalogRead();
    DecideReadOnly(load);
    FinishRecovery();
    if (m_lock && m_lock->State() == TCatalogLock::TState::Busy)
        m_dialogs.ShowMessage(m_dialogParent,
                              TMessageKind::Warning,
                              Text(1801, u"Warning"_s),
                              LockedText(*m_lock, fileName, true));
    m_host.CatalogOpened();
    if (!load.ok && !load.error.isEmpty()) {
        const QString message = LoadFailureText(load, fileName);
        if (m_dialogParent && m_dialogParent->isVisible()) {
            m_dialogs.ShowError(m_dialogParent, Text(1802, u"Error"_s), message);
        } else {
            // At start-up: told once the window is up; an empty window alone would look
            // like a catalog that lost its records.
            QMetaObject::invokeMethod(
                this,
                [this, message] {
                    m_dialogs.ShowError(m_dialogParent, Text(1802, u"Error"_s), message);
                },
                Qt::QueuedConnection);
        }
    }
    m_host.ProtectionChanged();
}

TLoadResult TCatalogSession::ReadCatalog(TOpenMode mode)
{
    m_recoveredFrom.clear();
    const QString copy = m_db->RecoveryFileName();
    const QFileInfo info(copy);
    if (copy.isEmpty() || !info.isFile()
        || !m_dialogs.AskYesNo(
            m_dialogParent,
            Text(1801, u"Warning"_s),
            Text(3860,
                 u"%1 had changes that could not be saved when Reelkeep ended; they were kept "
                 u"in %2 (%3).#13#13Restore them? The catalog is saved with them at once. No "
                 u"leaves the copy where it is."_s)
                .arg(m_db->FileName(),
                     copy,
                     QLocale().toString(info.lastModified(), QLocale::ShortFormat)))) {
        return m_db->Open(&m_passwords, mode);
    }
    const TLoadResult restored = m_db->OpenRecoveryCopy(&m_passwords);
    if (restored.ok) {
        m_recoveredFrom = copy;
        return restored;
    }
    m_dialogs.ShowError(m_dialogParent,
                        Text(1802, u"Error"_s),
                        Text(3861,
                             u"The recovery copy %1 cannot be read; the catalog is opened "
                             u"from its file.#13%2"_s)
                            .arg(copy, restored.error));
    // Whatever the copy left behind goes: the catalog is read afresh from its own file.
    const QString fileName = m_db->FileName();
    m_db.reset();
    m_db = m_host.MakeCatalog(fileName);
    return m_db->Open(&m_passwords, mode);
}

void TCatalogSession::FinishRecovery()
{
    if (m_recoveredFrom.isEmpty() || !m_db)
        return;
    const QString copy = std::exchange(m_recoveredFrom, QString());
    const QString fileName = m_db->FileName();
    if (m_readOnly) {
        // Nothing may be written here: the changes are shown, the copy stays for later.
        m_db->SetModified(false);
        m_dialogs.ShowMessage(m_dialogParent,
                              TMessageKind::Warning,
                              Text(1801, u"Warning"_s),
                              Text(3862,
                                   u"%1 is open read-only: the recovered changes are shown but "
                                   u"not saved, and %2 stays."_s)
                                  .arg(fileName, copy));
        return;
    }
    const Result<TSaveOutcome> saved = m_db->Save(false);
    if (saved.Ok() && saved.Value() == TSaveOutcome::Saved) {
        QFile::remove(copy);
        return;
    }
    const QString error =
        saved.Ok() ? Text(3864, u"%1 is write-protected."_s).arg(fileName) : saved.Error();
    m_dialogs.ShowError(
        m_dialogParent,
        Text(1802, u"Error"_s),
        Text(3863, u"The recovered changes could not be saved; %1 stays.#13%2"_s).arg(copy, error));
}

void TCatalogSession::DecideReadOnly(const TLoadResult &load)
{
    const QString fileName = m_db->FileName();
    const bool exists = QFileInfo::exists(fileName);
    // Another program writing the same file would lose one side's changes: no question.
    const bool locked = m_lock && m_lock->State() == TCatalogLock::TState::Busy;
    const bool readOnly = ReadOnlyDecision(
        exists || locked,
        locked || (exists && FileWriteProtected(fileName)),
        load.version,
        ProgramVersionNumber,
        !load.ok,
        [this] {
            return m_dialogs.AskYesNo(m_dialogParent,
                                      Text(1801, u"Warning"_s),
                                      Text(1820,
                                           u"This catalog was written by a newer version "
                                           u"of Reelkeep. Open it read-only?"_s));
        });
    m_readOnly = readOnly;
    m_db->SetReadOnly(readOnly);
    // A window that never writes the file keeps no other program out of it.
    if (readOnly && m_lock && m_lock->State() == TCatalogLock::TState::Held)
        m_lock->Unlock();
    m_host.ReadOnlyDecided();
}

QString
TCatalogSession::LockedText(const TCatalogLock &lock, const QString &fileName, bool opening) const
{
    const QString file = QDir::toNativeSeparators(fileName);
    QString holder = lock.HolderProcess() == 0
                         ? Text(3842, u"another program"_s)
                         : Text(3843, u"%1 (process %2)"_s)
                               .arg(lock.HolderProgram(), QString::number(lock.HolderProcess()));
    if (!lock.HolderHost().isEmpty())
        holder = Text(3844, u"%1 on %2"_s).arg(holder, lock.HolderHost());
    if (opening)
        return Text(3840,
                    u"%1 is open in %2. It is opened read-only here, so that neither program "
                    u"overwrites the other's changes; Save As saves a copy."_s)
            .arg(file, holder);
    return Text(3841, u"%1 is open in %2. Choose another name."_s).arg(file, holder);
}

QString TCatalogSession::LoadFailureText(const TLoadResult &load, const QString &fileName) const
{
    const QString file = QDir::toNativeSeparators(fileName);
    if (load.failure == TLoadFailure::Foreign) {
        return Text(3800,
                    u"%1 is not a Reelkeep catalog. It was not opened, and nothing was written "
                    u"to it."_s)
            .arg(file);
    }
    if (load.failure == TLoadFailure::Damaged && m_db) {
        return Text(3801,
                    u"%1 looks damaged: only part of it could be read (%2 movies, %3 people). It "
                    u"is open read-only, so that nothing more is lost; Save As keeps what was "
                    u"read in another file."_s)
            .arg(file)
            .arg(m_db->MovieCount())
            .arg(m_db->PersonCount());
    }
    return load.error + u"\n\n"_s
           + Text(3865, u"The catalog was not opened, and nothing was written to it."_s);
}

// ----- the File menu -------------------------------------------------------------------------

bool TCatalogSession::SaveBeforeClosing()
{
    if (!m_db || !m_db->Modified() || m_readOnly)
        return true;
    m_host.ShowStatusText(Text(1895, u"Saving..."_s));
    const Result<TSaveOutcome> saved = m_db->Save(false);
    m_host.ShowStatusText(QString());
    if (saved.Ok())
        return true;
    // Closing the catalog now would lose the changes: it stays open.
    m_dialogs.ShowError(m_dialogParent, Text(1802, u"Error"_s), saved.Error());
    return false;
}

bool TCatalogSession::OpenCatalog(const QString &fileName, bool asNew)
{
    const QString name = QFileInfo(fileName).absoluteFilePath();
    if (m_db && name == m_db->FileName())
        return false;
    // A text file or a picture is refused before the open catalog is closed.
    if (const TLoadResult check = TVideoDatabase::CheckFile(name);
        check.failure == TLoadFailure::Foreign) {
        m_dialogs.ShowError(m_dialogParent, Text(1802, u"Error"_s), LoadFailureText(check, name));
        return false;
    }
    m_host.StoreEdits();
    if (!SaveBeforeClosing())
        return false;
    const QString oldName = m_db ? m_db->FileName() : QString();
    m_recent.Change(oldName, name, m_folders.StoreBase());
    m_host.RecentChanged();
    m_host.CatalogClosing();
    m_db.reset();
    OpenDatabase(name, asNew);
    m_settings.FileName = name;
    m_host.CatalogReplaced();
    return true;
}

std::optional<QString> TCatalogSession::AskNewCatalogFile(const QString &caption)
{
    const std::optional<QString> name = m_dialogs.AskSaveFile(
        m_dialogParent, caption, m_host.InitialFolder(0), u"Reelkeep Files (*.rkd)"_s, u"rkd"_s);
    if (name)
        m_host.RememberFolder(0, QFileInfo(*name).absolutePath());
    return name;
}

void TCatalogSession::NewCatalog()
{
    if (const std::optional<QString> name = AskNewCatalogFile(Text(171, u"New catalog"_s)))
        OpenCatalog(*name, true);
}

void TCatalogSession::OpenCatalogDialog()
{
    const std::optional<QString> name = m_dialogs.AskOpenFile(
        m_dialogParent, Text(172, u"Open catalog"_s), m_host.InitialFolder(0), CatalogFilter());
    if (!name)
        return;
    m_host.RememberFolder(0, QFileInfo(*name).absolutePath());
    OpenCatalog(*name);
}

bool TCatalogSession::SaveCatalog()
{
    if (!m_db || m_readOnly)
        return false;
    if (m_db->FileName().isEmpty())
        return SaveCatalogAs();
    m_host.ShowStatusText(Text(1895, u"Saving..."_s));
    const Result<TSaveOutcome> saved = m_db->Save(false);
    m_host.ShowStatusText(QString());
    if (!saved.Ok()) {
        m_dialogs.ShowError(m_dialogParent, Text(1802, u"Error"_s), saved.Error());
        return false;
    }
    return true;
}

bool TCatalogSession::SaveCatalogAs()
{
    if (!m_db || !m_loadOk)
        return false;
    const std::optional<QString> chosen = AskNewCatalogFile(Text(173, u"Save catalog as"_s));
    if (!chosen)
        return false;
    const QString name = QFileInfo(*chosen).absoluteFilePath();
    if (name == m_db->FileName())
        return false;
    const QString oldName = m_db->FileName();
    auto lock = std::make_unique<TCatalogLock>(name);
    if (lock->Lock(std::chrono::milliseconds(0)) == TCatalogLock::TState::Busy) {
        m_dialogs.ShowError(m_dialogParent, Text(1802, u"Error"_s), LockedText(*lock, name, false));
        return false;
    }
    m_host.ShowStatusText(Text(1895, u"Saving..."_s));
    const Result<TSaveOutcome> saved = m_db->SaveAs(name);
    m_host.ShowStatusText(QString());
    if (!saved.Ok()) {
        m_dialogs.ShowError(m_dialogParent, Text(1802, u"Error"_s), saved.Error());
        return false;
    }
    m_lock = std::move(lock);
    m_recent.Change(oldName, name, m_folders.StoreBase());
    m_host.RecentChanged();
    m_settings.FileName = name;
    m_db->SetVersion(ProgramVersionNumber);
    TLoadResult decided;
    decided.ok = true;
    decided.version = ProgramVersionNumber;
    DecideReadOnly(decided);
    return true;
}

void TCatalogSession::AppendCatalog()
{
    if (!m_db || m_readOnly)
        return;
    const std::optional<QString> name = m_dialogs.AskOpenFile(
        m_dialogParent, Text(174, u"Append catalog"_s), m_host.InitialFolder(0), CatalogFilter());
    if (!name)
        return;
    m_host.RememberFolder(0, QFileInfo(*name).absolutePath());
    m_host.AppendStarting();
    const TLoadResult load = m_db->Append(*name, &m_passwords);
    if (!load.ok && !load.error.isEmpty()) {
        m_dialogs.ShowError(m_dialogParent,
                            Text(1802, u"Error"_s),
                            load.failure == TLoadFailure::Foreign ? LoadFailureText(load, *name)
                                                                  : load.error);
    }
    m_host.RecordsAppended();
}

void TCatalogSession::ProtectCatalog()
{
    if (!m_db || m_readOnly)
        return;
    const std::optional<TNewPassword> answer =
        m_dialogs.AskNewPassword(m_dialogParent, m_db->Protection());
    if (!answer)
        return;
    // Deriving a strong key takes about a second.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Status set = m_db->SetPassword(answer->password, answer->protection);
    QApplication::restoreOverrideCursor();
    if (!set) {
        m_dialogs.ShowError(m_dialogParent, Text(1802, u"Error"_s), set.Error());
        return;
    }
    m_db->SetModified(true);
    m_host.ProtectionChanged();
}

// ----- auto-save and ending ------------------------------------------------------------------

void TCatalogSession::OnIdle()
{
    if (m_db && !m_readOnly)
        m_autoSave.OnIdle(m_settings.AutoSave, m_db->Modified(), m_settings.AutoSaveInterval);
}

void TCatalogSession::OnAutoSaveTimer()
{
    if (m_autoSave.OnTimer(m_host.WorkInProgress()) == TAutoSaveAction::Save)
        SaveCatalog();
}

void TCatalogSession::OnNotModified()
{
    m_autoSave.OnNotModified();
}

void TCatalogSession::StopAutoSave()
{
    m_autoSaveTimer->stop();
}

bool TCatalogSession::KeepChanges()
{
    m_host.StoreEdits();
    if (!m_db || !m_db->Modified())
        return true;
    const QString fileName = m_db->FileName();
    QString why = u"the catalog is open read-only"_s;
    if (!m_readOnly) {
        const Result<TSaveOutcome> saved = m_db->Save(false);
        if (saved.Ok() && saved.Value() == TSaveOutcome::Saved)
            return true;
        why = saved.Ok() ? u"the file is write-protected"_s : saved.Error();
    }
    const Status copy = m_db->WriteRecoveryCopy();
    if (copy) {
        qWarning("Reelkeep: %s could not be saved (%s); the changes are kept in %s",
                 qUtf8Printable(fileName),
                 qUtf8Printable(why),
                 qUtf8Printable(m_db->RecoveryFileName()));
        return true;
    }
    qWarning("Reelkeep: %s could not be saved (%s), nor its recovery copy (%s); the changes are "
             "lost",
             qUtf8Printable(fileName),
             qUtf8Printable(why),
             qUtf8Printable(copy.Error()));
    return false;
}

void TCatalogSession::Release()
{
    m_db.reset();
}
