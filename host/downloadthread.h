#pragma once

#include <atomic>

#include <QThread>

#include "host/download.h"

// One Download() on a thread of its own. The result comes back as a signal on the thread
// that created the object (the main thread), queued there by the worker; the worker
// never waits for the main thread and shares nothing with it but the terminate flag.
// The object deletes itself once the thread has ended; deleting it earlier (a parent
// going away) terminates the transfer and waits for it.
class TDownloadThread : public QThread
{
    Q_OBJECT

public:
    explicit TDownloadThread(TDownloadRequest request, QObject *parent = nullptr);
    ~TDownloadThread() override;

    const TDownloadRequest &Request() const { return m_request; }

    // Asks the transfer to stop and returns at once. From then on neither Done nor Failed
    // is emitted, even for a result already on its way. Call it on the creating thread.
    void Terminate();
    bool IsTerminated() const { return m_terminated.load(); }

signals:
    void Done(const TDownloadResult &result, const TDownloadRequest &request);
    void Failed(const QString &errorText);

protected:
    void run() override;

private:
    const TDownloadRequest m_request;
    std::atomic<bool> m_terminated{false};
};
