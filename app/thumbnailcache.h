#pragma once

#include <deque>
#include <utility>

#include <QByteArray>
#include <QCache>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QSet>
#include <QString>
#include <QThreadPool>

class TDBItem;

// Poster and photo thumbnails for the covers view. Pictures are decoded on worker threads
// (JPEG scaled inside libjpeg) and kept twice: as pixmaps in memory, most recently used
// first, and as small files in a disk folder named by a hash of the picture's bytes and
// the size, so a changed picture never meets an old thumbnail. Cache files are checked
// before use; a bad one is deleted and made again.
//
// The view asks once per paint: BeginFrame, Lookup for each visible record, EndFrame.
// Only records looked up in the latest frame are decoded; Ready follows each one made.
class TThumbnailCache : public QObject
{
    Q_OBJECT

public:
    enum class TState { Ready, Pending, None };

    // `folder` holds the cache files (made when needed); empty keeps them in memory only.
    explicit TThumbnailCache(const QString &folder, QObject *parent = nullptr);
    ~TThumbnailCache() override;

    // $XDG_CACHE_HOME/Reelkeep/thumbnails/ or the platform's equivalent.
    static QString DefaultFolder();
    // The side a requested size is made at: a few steps between 80 and 300 pixels, so
    // every slider position does not make its own files.
    static int Bucket(int side);

    void BeginFrame();
    // The record's thumbnail for a poster box `side` high (and 2/3 as wide): Ready with
    // `pixmap` set, Pending while it is made, None when the record has no usable picture.
    TState Lookup(const TDBItem &record, int side, QPixmap &pixmap);
    void EndFrame();
    // The record's picture may have changed: its pixmaps are dropped (the disk files stay;
    // their names follow the bytes).
    void Forget(const TDBItem *record);
    void Clear();
    // Waits for the decodes in flight (tests, benchmarks).
    void WaitForIdle();
    int InFlight() const { return int(m_inFlight.size()); }
    // Lookups of the latest frame that found no thumbnail yet (benchmarks: a screen is
    // filled once a frame has none).
    int PendingInFrame() const { return m_pendingInFrame; }

    // Worker side, public for the tests: the thumbnail of a picture file's bytes fitting
    // `side` (null when the bytes are no picture), through the disk cache in `folder`.
    static QImage Make(const QByteArray &bytes, int side, const QString &folder);

signals:
    void Ready(const TDBItem *record);

private:
    using TKey = std::pair<const TDBItem *, int>;
    struct TEntry
    {
        QPixmap pixmap;
        bool none = false;
        // What the picture was when it was made: the held bytes' buffer and size, the file.
        const char *data = nullptr;
        qsizetype size = 0;
        QString file;
    };
    struct TRequest
    {
        TKey key;
        QByteArray bytes;
        QString file;
    };

    void Dispatch();
    void Finished(const TKey &key, const QImage &image, const TEntry &stamp);

    QString m_folder;
    QThreadPool m_pool;
    QCache<TKey, TEntry> m_memory;
    // Requests of the current frame, in paint order, and those being decoded.
    std::deque<TRequest> m_wanted;
    QHash<TKey, TEntry> m_inFlight;
    // Records forgotten while their decode ran: its result is stale.
    QSet<TKey> m_stale;
    int m_pendingInFrame = 0;
};
