#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

#include "host/download.h"
#include "host/updatethread.h"

class TDownloadThread;

// The main window's network workers: at most one running download of the plug-in flows,
// the picture previews of the results dialog and the version check. Every worker is a
// child thread that reports through the signals here, on the main thread. Destroying the
// downloader terminates every worker and waits for them (each notices within ~20 ms).
class TDownloader : public QObject
{
    Q_OBJECT

public:
    explicit TDownloader(QObject *parent = nullptr);
    ~TDownloader() override;

    // The settings of the previews and the version check; a download brings its own.
    void SetConnection(const TConnectionSettings &connection) { m_connection = connection; }
    const TConnectionSettings &Connection() const { return m_connection; }

    // Terminates the running download without waiting for it and starts this one; only
    // the newest download ever reports.
    void Start(const TDownloadRequest &request);
    // The running download stops and reports nothing. Nothing happens when none runs.
    void Terminate();
    // A download was started and has neither reported nor been terminated.
    bool IsRunning() const { return !m_current.isNull(); }

    // One attempt for the picture of a results row, with the fixed preview User-Agent (the
    // program's own for the services UserAgentFor names) and the plug-in's referrer. Any
    // number may run at once.
    void StartPreview(const QByteArray &pictureUrl, const QByteArray &referrer, int row);

    // Fetches the version-information file from the site (see TUpdateThread).
    void StartUpdateCheck(bool silent,
                          const QString &siteAddress = QString::fromLatin1(UpdateSiteAddress));

signals:
    void DownloadDone(const TDownloadResult &result, const TDownloadRequest &request);
    void DownloadFailed(const QString &errorText);
    // `picture` holds the answer when it was a JPEG or PNG (content types 3 and 5), else it
    // is empty and the row stays without a picture.
    void PreviewDone(int row, const QByteArray &picture);
    // The row shows its reload picture; a click may call StartPreview again.
    void PreviewFailed(int row, const QString &errorText);
    void UpdateText(const QByteArray &text, bool silent);
    void UpdateFailed(const QString &errorText, bool silent);

private:
    QPointer<TDownloadThread> m_current;
    TConnectionSettings m_connection;
};
