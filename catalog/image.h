#pragma once

#include <QByteArray>
#include <QString>

// The numbers are stored in catalog files; never renumber.
enum class TImageFormat : quint8 { None = 0, Bmp = 1, Jpeg = 2 };

// A small 8-bit RGB picture for posters, photos, covers and thumbnails: 3 bytes per pixel
// (R, G, B), rows top-down and tightly packed. Copies share their pixels until written.
//
// A decoded picture keeps the file it came from, so it can be written back unchanged.
// Changing pixels through Bits() does not drop those bytes: after editing a decoded
// picture, call SetEncoded({}, TImageFormat::None) so ToJpeg()/ToBmp() encode the edit.
class TImage
{
public:
    static constexpr int MaxSide = 20000;
    static constexpr qint64 MaxPixels = 100'000'000;

    TImage() = default;
    // Black; a null image when a side is < 1 or the size is over MaxSide/MaxPixels (or
    // memory runs out).
    TImage(int width, int height);

    bool IsNull() const { return m_width == 0; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // Null for a null image.
    const uchar *Bits() const;
    uchar *Bits();
    qsizetype BytesPerLine() const { return qsizetype(m_width) * 3; }

    const QByteArray &Encoded() const { return m_encoded; }
    TImageFormat Format() const { return m_format; }
    void SetEncoded(QByteArray bytes, TImageFormat format);

    // A null image for None, unknown formats and any broken, truncated or oversized file.
    static TImage Decode(const QByteArray &bytes, TImageFormat format);
    // By extension: .jpg/.jpeg as JPEG, .bmp as BMP (any case); null for others and for
    // unreadable files.
    static TImage Load(const QString &fileName);
    // The format Load reads a file name as; None for other extensions.
    static TImageFormat FormatOfName(const QString &fileName);

    // Exactly width x height; each target pixel is the area-weighted mean of the source
    // pixels it covers (a box filter, also when enlarging). Null for a null image or a
    // size the constructor refuses.
    TImage Scaled(int width, int height) const;

    // Encoded() when it holds this format, else a fresh file; empty for a null image.
    // quality is libjpeg's 1..100 and only matters when encoding.
    QByteArray ToJpeg(int quality = 75) const;
    // 24-bit bottom-up BMP with a BITMAPINFOHEADER.
    QByteArray ToBmp() const;
    // Writes ToJpeg()/ToBmp() atomically; false for a null image, TImageFormat::None or
    // any I/O error.
    bool Save(const QString &fileName, TImageFormat format) const;

private:
    int m_width = 0;
    int m_height = 0;
    QByteArray m_pixels;
    QByteArray m_encoded;
    TImageFormat m_format = TImageFormat::None;
};
