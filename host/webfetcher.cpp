#include "host/webfetcher.h"

#include "host/downloader.h"

TDownloaderFetcher::TDownloaderFetcher(TDownloader &downloader,
                                       std::function<TConnectionSettings()> connection,
                                       QObject *parent)
    : QObject(parent)
    , m_downloader(downloader)
    , m_connection(std::move(connection))
{
    // The downloader reports only its newest download, so the callbacks kept here always
    // belong to the fetch that reports.
    connect(&m_downloader,
            &TDownloader::DownloadDone,
            this,
            [this](const TDownloadResult &result, const TDownloadRequest &) {
                TDone done = std::exchange(m_done, {});
                m_failed = {};
                if (done)
                    done(TWebPage{result.Body,
                                  result.CookiesAfter,
                                  result.FinalUrl,
                                  result.ContentType,
                                  result.ContentTypeHeader});
            });
    connect(&m_downloader, &TDownloader::DownloadFailed, this, [this](const QString &error) {
        TFailed failed = std::exchange(m_failed, {});
        m_done = {};
        if (failed)
            failed(error);
    });
}

void TDownloaderFetcher::Start(const TWebFetch &fetch, TDone done, TFailed failed)
{
    TDownloadRequest request;
    request.Url = fetch.url;
    request.Connection = m_connection ? m_connection() : TConnectionSettings();
    request.Connection.UserAgent = UserAgentFor(fetch.url, request.Connection.UserAgent);
    request.LoginUrl = fetch.loginUrl;
    request.PostBody = fetch.postBody;
    request.Referrer = fetch.referrer;
    request.Cookies = fetch.cookies;
    m_done = std::move(done);
    m_failed = std::move(failed);
    m_downloader.Start(request);
}

void TDownloaderFetcher::Stop()
{
    m_done = {};
    m_failed = {};
    m_downloader.Terminate();
}
