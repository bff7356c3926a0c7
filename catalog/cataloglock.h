#pragma once

#include <chrono>
#include <memory>

#include <QString>

class QLockFile;

// Keeps a second program from writing a catalog this one has open: a lock file
// "NAME.lock" beside the catalog. A lock left by a process that is no longer running (on
// this machine) is taken over; a live holder keeps it however long it runs.
class TCatalogLock
{
public:
    enum class TState {
        Unlocked, // not tried yet, or released
        Held,     // this program holds the lock
        Busy,     // another program holds it: see Holder()
        NoLock,   // the lock file cannot be made (a read-only folder)
    };

    explicit TCatalogLock(const QString &catalogFile);
    ~TCatalogLock(); // releases a held lock
    TCatalogLock(const TCatalogLock &) = delete;
    TCatalogLock &operator=(const TCatalogLock &) = delete;

    // Tries to take the lock, waiting up to `wait` while another program holds it (zero:
    // one try); a missing catalog folder is made first. Returns the state reached.
    TState Lock(std::chrono::milliseconds wait);
    void Unlock();
    TState State() const { return m_state; }

    // After Busy: who holds the lock, as "program (process 1234)" with " on host" when the
    // holder runs on another machine; "another program" when the lock file says nothing.
    QString Holder() const;
    // The same in parts, for translated messages: 0, empty when unknown; the host only when
    // it is another machine.
    qint64 HolderProcess() const { return m_holderProcess; }
    QString HolderProgram() const { return m_holderProgram; }
    QString HolderHost() const { return m_holderHost; }
    QString LockFileName() const;

    static QString LockFileNameFor(const QString &catalogFile);

private:
    std::unique_ptr<QLockFile> m_file;
    QString m_fileName;
    TState m_state = TState::Unlocked;
    qint64 m_holderProcess = 0;
    QString m_holderProgram;
    QString m_holderHost;
};
