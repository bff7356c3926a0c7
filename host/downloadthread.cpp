#include "host/downloadthread.h"

#include <utility>

TDownloadThread::TDownloadThread(TDownloadRequest request, QObject *parent)
    : QThread(parent)
    , m_request(std::move(request))
{
    connect(this, &QThread::finished, this, &QObject::deleteLater);
}

TDownloadThread::~TDownloadThread()
{
    m_terminated = true;
    wait();
}

void TDownloadThread::Terminate()
{
    m_terminated = true;
}

void TDownloadThread::run()
{
    TDownloadResult result = Download(m_request, &m_terminated);
    // The flag is read again on the creating thread, where Terminate() is called, so a
    // transfer terminated after it finished still reports nothing. The call is queued
    // before the thread ends, so it runs before the deleteLater() of finished().
    QMetaObject::invokeMethod(
        this,
        [this, result = std::move(result)] {
            if (m_terminated)
                return;
            // A receiver may delete this object; keep what the later receivers get.
            const TDownloadRequest request = m_request;
            if (result.Ok)
                emit Done(result, request);
            else
                emit Failed(result.ErrorText);
        },
        Qt::QueuedConnection);
}
