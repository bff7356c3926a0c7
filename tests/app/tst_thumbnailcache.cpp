// Thumbnails of posters: made to fit their box, kept on disk under the picture's hash,
// made again when a poster changes or a cache file is spoilt; broken pictures give none.
#include <cstdlib>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "app/thumbnailcache.h"
#include "catalog/dbitem.h"
#include "catalog/image.h"
#include "catalog/movie.h"
#include "catalog/videodatabase.h"

using namespace Qt::StringLiterals;

namespace {

QByteArray Jpeg(int width, int height, uchar red)
{
    TImage image(width, height);
    uchar *bits = image.Bits();
    for (qsizetype i = 0; i < image.BytesPerLine() * height; i += 3)
        bits[i] = red;
    return image.ToJpeg(90);
}

class ThumbnailCacheTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(db.Open().ok); }

    TMovie *MovieWith(const QByteArray &bytes)
    {
        auto *movie = static_cast<TMovie *>(db.AddRecord(0));
        TImage holder(1, 1);
        holder.SetEncoded(bytes, TImageFormat::Jpeg);
        movie->SetPicture(&holder, TImageFormat::Jpeg, {}, CoverJpeg);
        return movie;
    }
    // The record's thumbnail once it is made; a null pixmap when it has none.
    QPixmap Settled(TThumbnailCache &cache, const TDBItem &record, int side)
    {
        QPixmap pixmap;
        for (int i = 0; i < 3; ++i) {
            cache.BeginFrame();
            const auto state = cache.Lookup(record, side, pixmap);
            cache.EndFrame();
            if (state != TThumbnailCache::TState::Pending)
                return pixmap;
            cache.WaitForIdle();
        }
        ADD_FAILURE() << "still pending";
        return {};
    }
    QString Thumbs() const { return folder.filePath(u"thumbs/"_s); }
    QStringList CacheFiles() const { return QDir(Thumbs()).entryList(QDir::Files); }

    QTemporaryDir folder;
    TVideoDatabase db{folder.filePath(u"c.rkd"_s)};
};

TEST_F(ThumbnailCacheTest, FitsTheBoxWithoutEnlarging)
{
    struct TCase
    {
        int width, height, side;
        QSize expected;
    };
    const TCase cases[] = {
        {600, 900, 160, {106, 160}},
        {900, 600, 160, {106, 70}},
        {600, 900, 300, {200, 300}},
        {50, 60, 300, {50, 60}},
    };
    for (const TCase &c : cases) {
        const QImage image = TThumbnailCache::Make(Jpeg(c.width, c.height, 200), c.side, {});
        // The scaled decode may round a pixel away.
        EXPECT_LE(std::abs(image.width() - c.expected.width()), 1) << c.width << " at " << c.side;
        EXPECT_LE(std::abs(image.height() - c.expected.height()), 1)
            << c.height << " at " << c.side;
        EXPECT_LE(image.width(), c.side * 2 / 3);
    }
    EXPECT_TRUE(TThumbnailCache::Make("\xFF\xD8 not a picture", 160, {}).isNull());
    EXPECT_TRUE(TThumbnailCache::Make({}, 160, {}).isNull());
}

TEST_F(ThumbnailCacheTest, SpoiltCacheFilesAreMadeAgain)
{
    const QByteArray poster = Jpeg(600, 900, 255);
    const QImage fresh = TThumbnailCache::Make(poster, 160, Thumbs());
    ASSERT_EQ(CacheFiles().size(), 1);
    const QString path = Thumbs() + CacheFiles().constFirst();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray good = file.readAll();
    file.close();

    const auto flipped = [](QByteArray bytes, qsizetype at) {
        bytes[at] = char(bytes[at] ^ 0x55);
        return bytes;
    };
    const QByteArray spoilt[] = {
        {},
        good.left(30),
        flipped(good, 0),                // magic
        flipped(good, 8),                // side
        flipped(good, good.size() - 20), // payload, caught by its hash
        good + "more",
        QByteArray(200, 'x'),
    };
    for (const QByteArray &bytes : spoilt) {
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        const QImage again = TThumbnailCache::Make(poster, 160, Thumbs());
        EXPECT_EQ(again.size(), fresh.size()) << bytes.size();
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), good) << "rewritten";
        file.close();
    }
}

TEST_F(ThumbnailCacheTest, ChangedPosterGivesANewThumbnail)
{
    TThumbnailCache cache(Thumbs());
    TMovie *movie = MovieWith(Jpeg(600, 900, 255));
    QPixmap pixmap;
    cache.BeginFrame();
    EXPECT_EQ(cache.Lookup(*movie, 160, pixmap), TThumbnailCache::TState::Pending);
    cache.EndFrame();
    const QPixmap red = Settled(cache, *movie, 160);
    ASSERT_FALSE(red.isNull());
    EXPECT_GT(qRed(red.toImage().pixel(10, 10)), 200);

    TImage holder(1, 1);
    holder.SetEncoded(Jpeg(900, 600, 0), TImageFormat::Jpeg);
    movie->SetPicture(&holder, TImageFormat::Jpeg, {}, CoverJpeg);
    const QPixmap black = Settled(cache, *movie, 160);
    ASSERT_FALSE(black.isNull());
    EXPECT_EQ(black.size(), QSize(106, 70));
    EXPECT_LT(qRed(black.toImage().pixel(10, 10)), 50);
    // One file per picture: the old one is never read for the new poster.
    EXPECT_EQ(CacheFiles().size(), 2) << CacheFiles().join(u' ').toStdString();
}

TEST_F(ThumbnailCacheTest, NoOrBrokenPictureHasNone)
{
    TThumbnailCache cache(Thumbs());
    auto *bare = static_cast<TMovie *>(db.AddRecord(0));
    QPixmap pixmap;
    EXPECT_EQ(cache.Lookup(*bare, 160, pixmap), TThumbnailCache::TState::None);
    TMovie *broken = MovieWith(QByteArray("\xFF\xD8\xFF\xE0 truncated", 14));
    EXPECT_TRUE(Settled(cache, *broken, 160).isNull());
    EXPECT_EQ(cache.Lookup(*broken, 160, pixmap), TThumbnailCache::TState::None);
}

} // namespace
