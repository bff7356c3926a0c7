#include "host/downloader.h"

#include "host/downloadthread.h"

TDownloader::TDownloader(QObject *parent)
    : QObject(parent)
{}

TDownloader::~TDownloader()
{
    // All stop at once; each child's destructor then waits for its own thread.
    for (TDownloadThread *worker : findChildren<TDownloadThread *>(Qt::FindDirectChildrenOnly))
        worker->Terminate();
}

void TDownloader::Start(const TDownloadRequest &request)
{
    Terminate();
    auto *worker = new TDownloadThread(request, this);
    m_current = worker;
    connect(worker,
            &TDownloadThread::Done,
            this,
            [this](const TDownloadResult &result, const TDownloadRequest &finished) {
                m_current = nullptr;
                emit DownloadDone(result, finished);
            });
    connect(worker, &TDownloadThread::Failed, this, [this](const QString &errorText) {
        m_current = nullptr;
        emit DownloadFailed(errorText);
    });
    worker->start();
}

void TDownloader::Terminate()
{
    if (m_current)
        m_current->Terminate();
    m_current = nullptr;
}

void TDownloader::StartPreview(const QByteArray &pictureUrl, const QByteArray &referrer, int row)
{
    TDownloadRequest request;
    request.Url = pictureUrl;
    request.Referrer = referrer;
    request.Connection = m_connection;
    request.Connection.UserAgent = UserAgentFor(pictureUrl, QString::fromLatin1(DefaultUserAgent));
    request.Connection.Retries = 0;
    auto *worker = new TDownloadThread(request, this);
    connect(worker, &TDownloadThread::Done, this, [this, row](const TDownloadResult &result) {
        // JPEG and PNG: the pictures a preview shows.
        const bool picture = result.ContentType == 3 || result.ContentType == 5;
        emit PreviewDone(row, picture ? result.Body : QByteArray());
    });
    connect(worker, &TDownloadThread::Failed, this, [this, row](const QString &errorText) {
        emit PreviewFailed(row, errorText);
    });
    worker->start();
}

void TDownloader::StartUpdateCheck(bool silent, const QString &siteAddress)
{
    auto *worker = new TUpdateThread(m_connection, silent, siteAddress, this);
    connect(worker, &TUpdateThread::UpdateText, this, &TDownloader::UpdateText);
    connect(worker, &TUpdateThread::UpdateFailed, this, &TDownloader::UpdateFailed);
    worker->start();
}
