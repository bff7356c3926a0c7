// Ending in order: a signal or the session's end keeps the catalog's changes without asking
// (saved, or in the recovery copy beside the catalog), and opening the catalog again offers
// that copy.
#include <utility>

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QSessionManager>
#include <QTimer>

#include "app/logform.h"
#include "app/mainwindow.h"
#include "app/shutdownsignals.h"
#include "catalog/videodatabase.h"

using namespace Qt::StringLiterals;

void TMain::CatchSessionEnd()
{
    if (m_shutdownSignals)
        return;
    m_shutdownSignals = new TShutdownSignals([this](int) { CloseOrderly(); }, this);
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &) {
        CommitData();
    });
}

void TMain::CloseOrderly()
{
    m_orderlyClose = true;
    if (m_busy && !m_closing) {
        // An import or export is running: the close follows once it is over.
        QTimer::singleShot(200, this, [this] { CloseOrderly(); });
        return;
    }
    close();
    // Also ends the loops of open dialogs, and windows of the program other than this one.
    QCoreApplication::exit(0);
}

void TMain::CommitData()
{
    if (m_closing || m_busy)
        return;
    KeepChanges();
    SaveSettings();
}

bool TMain::KeepChanges()
{
    if (m_editState == TEditState::Editing)
        StoreCardInput();
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

TLoadResult TMain::ReadCatalog(TOpenMode mode)
{
    m_recoveredFrom.clear();
    const QString copy = m_db->RecoveryFileName();
    const QFileInfo info(copy);
    if (copy.isEmpty() || !info.isFile()
        || !m_dialogs->AskYesNo(
            this,
            Text(1801, u"Warning"_s),
            Text(3860,
                 u"%1 had changes that could not be saved when Reelkeep ended; they were kept "
                 u"in %2 (%3).#13#13Restore them? The catalog is saved with them at once. No "
                 u"leaves the copy where it is."_s)
                .arg(m_db->FileName(),
                     copy,
                     QLocale().toString(info.lastModified(), QLocale::ShortFormat)))) {
        return m_db->Open(m_passwords.get(), mode);
    }
    const TLoadResult restored = m_db->OpenRecoveryCopy(m_passwords.get());
    if (restored.ok) {
        m_recoveredFrom = copy;
        return restored;
    }
    m_dialogs->ShowError(this,
                         Text(1802, u"Error"_s),
                         Text(3861,
                              u"The recovery copy %1 cannot be read; the catalog is opened "
                              u"from its file.#13%2"_s)
                             .arg(copy, restored.error));
    // Whatever the copy left behind goes: the catalog is read afresh from its own file.
    const QString fileName = m_db->FileName();
    m_db.reset();
    m_db = NewCatalog(fileName);
    return m_db->Open(m_passwords.get(), mode);
}

void TMain::FinishRecovery()
{
    if (m_recoveredFrom.isEmpty() || !m_db)
        return;
    const QString copy = std::exchange(m_recoveredFrom, QString());
    const QString fileName = m_db->FileName();
    if (m_readOnly) {
        // Nothing may be written here: the changes are shown, the copy stays for later.
        m_db->SetModified(false);
        m_dialogs->ShowMessage(this,
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
    m_dialogs->ShowError(
        this,
        Text(1802, u"Error"_s),
        Text(3863, u"The recovered changes could not be saved; %1 stays.#13%2"_s).arg(copy, error));
}
