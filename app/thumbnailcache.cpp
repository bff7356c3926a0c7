#include "app/thumbnailcache.h"

#include <algorithm>
#include <array>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <QtEndian>

#include "catalog/dbitem.h"
#include "catalog/image.h"
#include "catalog/jpegcodec.h"
#include "views/imageqt.h"

using namespace Qt::StringLiterals;

namespace {

// Pixmaps kept in memory, in KiB: a few screens of the largest thumbnails.
constexpr int MemoryLimitKiB = 64 * 1024;
// Pictures bigger than this are no posters; they are not read.
constexpr qint64 MaxPictureBytes = 64 * 1024 * 1024;
constexpr int ThumbnailQuality = 85;

// A cache file: magic, version, side, payload size, SHA-1 of the payload, then the JPEG.
constexpr char Magic[4] = {'R', 'K', 'T', 'H'};
constexpr quint32 FileVersion = 1;
constexpr int HashSize = 20;
constexpr int HeaderSize = 4 + 4 + 4 + 4 + HashSize;
// A thumbnail of at most 300 x 300 pixels never needs more.
constexpr quint32 MaxPayload = 1024 * 1024;

QSize BoxOf(int side)
{
    return QSize(std::max(1, side * 2 / 3), std::max(1, side));
}

QString CacheFile(const QString &folder, const QByteArray &bytes, int side)
{
    const QByteArray hash = QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex();
    return folder + QString::fromLatin1(hash) + u'-' + QString::number(side) + u".thumb"_s;
}

// The thumbnail a cache file holds; null when the file is missing or does not hold
// exactly what it claims.
TImage ReadCacheFile(const QString &path, int side)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < HeaderSize
        || file.size() > HeaderSize + qint64(MaxPayload)) {
        return {};
    }
    const QByteArray data = file.readAll();
    if (data.size() < HeaderSize || !data.startsWith(QByteArrayView(Magic, 4)))
        return {};
    const auto *header = reinterpret_cast<const uchar *>(data.constData());
    const quint32 version = qFromLittleEndian<quint32>(header + 4);
    const quint32 storedSide = qFromLittleEndian<quint32>(header + 8);
    const quint32 payloadSize = qFromLittleEndian<quint32>(header + 12);
    if (version != FileVersion || storedSide != quint32(side)
        || payloadSize != quint32(data.size() - HeaderSize)) {
        return {};
    }
    const QByteArray payload = data.mid(HeaderSize);
    if (QCryptographicHash::hash(payload, QCryptographicHash::Sha1) != data.mid(16, HashSize))
        return {};
    TImage image = ReadJpeg(payload);
    const QSize box = BoxOf(side);
    if (image.Width() > box.width() || image.Height() > box.height())
        return {};
    return image;
}

void WriteCacheFile(const QString &path, const TImage &image, int side)
{
    const QByteArray payload = WriteJpeg(image, ThumbnailQuality);
    if (payload.isEmpty())
        return;
    std::array<uchar, 16> header{};
    std::copy(std::begin(Magic), std::end(Magic), header.begin());
    qToLittleEndian<quint32>(FileVersion, header.data() + 4);
    qToLittleEndian<quint32>(quint32(side), header.data() + 8);
    qToLittleEndian<quint32>(quint32(payload.size()), header.data() + 12);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(reinterpret_cast<const char *>(header.data()), qint64(header.size()));
    file.write(QCryptographicHash::hash(payload, QCryptographicHash::Sha1));
    file.write(payload);
    file.commit();
}

// The picture fitted into the box, never enlarged.
TImage Fitted(const TImage &picture, const QSize &box)
{
    if (picture.Width() <= box.width() && picture.Height() <= box.height())
        return picture;
    QSize size(picture.Width(), picture.Height());
    size.scale(box, Qt::KeepAspectRatio);
    return picture.Scaled(std::max(1, size.width()), std::max(1, size.height()));
}

} // namespace

TThumbnailCache::TThumbnailCache(const QString &folder, QObject *parent)
    : QObject(parent)
    , m_folder(folder)
{
    if (!m_folder.isEmpty() && !m_folder.endsWith(u'/'))
        m_folder += u'/';
    m_memory.setMaxCost(MemoryLimitKiB);
}

TThumbnailCache::~TThumbnailCache()
{
    m_pool.clear();
    m_pool.waitForDone();
}

QString TThumbnailCache::DefaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
           + u"/Reelkeep/thumbnails/"_s;
}

int TThumbnailCache::Bucket(int side)
{
    static constexpr int Steps[] = {80, 120, 160, 200, 240, 300};
    for (int step : Steps) {
        if (side <= step)
            return step;
    }
    return Steps[std::size(Steps) - 1];
}

void TThumbnailCache::BeginFrame()
{
    m_wanted.clear();
    m_pendingInFrame = 0;
}

TThumbnailCache::TState TThumbnailCache::Lookup(const TDBItem &record, int side, QPixmap &pixmap)
{
    const QByteArray &bytes = record.PictureBytes();
    // Only a separately stored picture has a file; working its path out costs string work.
    const QString file = record.Coverformat() == CoverFile ? record.PictureFile() : QString();
    if (bytes.isEmpty() && file.isEmpty())
        return TState::None;
    const TKey key{&record, Bucket(side)};
    if (const TEntry *entry = m_memory.object(key)) {
        if (entry->data == bytes.constData() && entry->size == bytes.size()
            && entry->file == file) {
            if (entry->none)
                return TState::None;
            pixmap = entry->pixmap;
            return TState::Ready;
        }
        m_memory.remove(key);
    }
    if (!m_inFlight.contains(key))
        m_wanted.push_back({key, bytes, file});
    ++m_pendingInFrame;
    return TState::Pending;
}

void TThumbnailCache::EndFrame()
{
    Dispatch();
}

void TThumbnailCache::Dispatch()
{
    // A couple of jobs per thread keeps the workers busy without queueing what a scroll
    // will have moved past.
    const int limit = std::max(2, m_pool.maxThreadCount() * 2);
    while (int(m_inFlight.size()) < limit && !m_wanted.empty()) {
        TRequest request = std::move(m_wanted.front());
        m_wanted.pop_front();
        if (m_inFlight.contains(request.key))
            continue;
        TEntry stamp;
        stamp.data = request.bytes.constData();
        stamp.size = request.bytes.size();
        stamp.file = request.file;
        m_inFlight.insert(request.key, stamp);
        const QString folder = m_folder;
        m_pool.start([this, request = std::move(request), stamp, folder] {
            QByteArray bytes = request.bytes;
            if (!request.file.isEmpty()) {
                // A separate picture file wins over held bytes, as on the card.
                QFile file(request.file);
                if (file.open(QIODevice::ReadOnly) && file.size() <= MaxPictureBytes)
                    bytes = file.readAll();
            }
            const QImage image = Make(bytes, request.key.second, folder);
            QMetaObject::invokeMethod(
                this,
                [this, key = request.key, image, stamp] { Finished(key, image, stamp); },
                Qt::QueuedConnection);
        });
    }
}

void TThumbnailCache::Finished(const TKey &key, const QImage &image, const TEntry &stamp)
{
    m_inFlight.remove(key);
    if (!m_stale.remove(key)) {
        auto *entry = new TEntry(stamp);
        entry->none = image.isNull();
        if (!entry->none)
            entry->pixmap = QPixmap::fromImage(image);
        const qint64 cost = qint64(image.width()) * image.height() * 4 / 1024;
        m_memory.insert(key, entry, int(std::max<qint64>(1, cost)));
        emit Ready(key.first);
    }
    Dispatch();
}

void TThumbnailCache::Forget(const TDBItem *record)
{
    const QList<TKey> keys = m_memory.keys();
    for (const TKey &key : keys) {
        if (key.first == record)
            m_memory.remove(key);
    }
    for (auto it = m_inFlight.cbegin(); it != m_inFlight.cend(); ++it) {
        if (it.key().first == record)
            m_stale.insert(it.key());
    }
}

void TThumbnailCache::Clear()
{
    m_memory.clear();
    m_wanted.clear();
    for (auto it = m_inFlight.cbegin(); it != m_inFlight.cend(); ++it)
        m_stale.insert(it.key());
}

void TThumbnailCache::WaitForIdle()
{
    while (!m_inFlight.isEmpty()) {
        m_pool.waitForDone();
        QCoreApplication::sendPostedEvents(this);
    }
}

QImage TThumbnailCache::Make(const QByteArray &bytes, int side, const QString &folder)
{
    if (bytes.isEmpty() || bytes.size() > MaxPictureBytes)
        return {};
    QString path;
    if (!folder.isEmpty()) {
        path = CacheFile(folder, bytes, side);
        const TImage cached = ReadCacheFile(path, side);
        if (!cached.IsNull())
            return ToQImage(cached);
        // Missing or spoilt; a spoilt one is replaced below.
    }
    const QSize box = BoxOf(side);
    TImage picture;
    if (bytes.startsWith("\xFF\xD8"))
        picture = ReadJpegScaled(bytes, box.width(), box.height());
    else if (bytes.startsWith("BM"))
        picture = TImage::Decode(bytes, TImageFormat::Bmp);
    if (picture.IsNull())
        return {};
    const TImage thumbnail = Fitted(picture, box);
    if (!path.isEmpty() && QDir().mkpath(folder))
        WriteCacheFile(path, thumbnail, side);
    return ToQImage(thumbnail);
}
