#pragma once

#include <functional>

#include <QObject>

#include "host/download.h"
#include "host/webflow.h"

class TDownloader;

// The web flows' fetches through the window's downloader: one download at a time, the
// connection settings read afresh for every fetch.
class TDownloaderFetcher : public QObject, public IWebFetcher
{
    Q_OBJECT

public:
    TDownloaderFetcher(TDownloader &downloader,
                       std::function<TConnectionSettings()> connection,
                       QObject *parent = nullptr);

    void Start(const TWebFetch &fetch, TDone done, TFailed failed) override;
    void Stop() override;

private:
    TDownloader &m_downloader;
    std::function<TConnectionSettings()> m_connection;
    TDone m_done;
    TFailed m_failed;
};
