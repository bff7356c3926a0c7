#include "catalog/cataloglock.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>

using namespace Qt::StringLiterals;

TCatalogLock::TCatalogLock(const QString &catalogFile)
    : m_file(std::make_unique<QLockFile>(LockFileNameFor(catalogFile)))
    , m_fileName(LockFileNameFor(catalogFile))
{
    // A catalog stays open for hours: only a holder that is gone makes a lock stale, never
    // its age.
    m_file->setStaleLockTime(0);
}

TCatalogLock::~TCatalogLock()
{
    Unlock();
}

QString TCatalogLock::LockFileNameFor(const QString &catalogFile)
{
    return catalogFile + u".lock"_s;
}

QString TCatalogLock::LockFileName() const
{
    return m_fileName;
}

TCatalogLock::TState TCatalogLock::Lock(std::chrono::milliseconds wait)
{
    if (m_state == TState::Held)
        return m_state;
    m_holderProcess = 0;
    m_holderProgram.clear();
    m_holderHost.clear();
    // A new catalog in a folder not made yet (the first start): the writer makes the folder
    // anyway, and without it two programs could both create the catalog unlocked.
    QDir().mkpath(QFileInfo(m_fileName).absolutePath());
    if (m_file->tryLock(wait)) {
        m_state = TState::Held;
        return m_state;
    }
    if (m_file->error() != QLockFile::LockFailedError) {
        m_state = TState::NoLock;
        return m_state;
    }
    m_state = TState::Busy;
    QString host;
    if (m_file->getLockInfo(&m_holderProcess, &host, &m_holderProgram)
        && host != QSysInfo::machineHostName())
        m_holderHost = host;
    return m_state;
}

QString TCatalogLock::Holder() const
{
    if (m_holderProcess == 0)
        return u"another program"_s;
    QString text =
        u"%1 (process %2)"_s.arg(m_holderProgram.isEmpty() ? u"a program"_s : m_holderProgram,
                                 QString::number(m_holderProcess));
    if (!m_holderHost.isEmpty())
        text += u" on "_s + m_holderHost;
    return text;
}

void TCatalogLock::Unlock()
{
    if (m_state == TState::Held)
        m_file->unlock();
    m_state = TState::Unlocked;
}
