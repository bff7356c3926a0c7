#include "catalog/bmpcodec.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include <QtEndian>

namespace {

constexpr qint64 FileHeaderSize = 14;
constexpr qint64 CoreHeaderSize = 12;
constexpr qint64 InfoHeaderSize = 40;
constexpr qint64 MasksOffset = FileHeaderSize + InfoHeaderSize;

enum Compression : quint32 {
    BiRgb = 0,
    BiBitfields = 3,
    BiAlphaBitfields = 6,
};

// Every read goes through Has() first; nothing in the file is trusted.
class TBytes
{
public:
    explicit TBytes(QByteArrayView bytes)
        : m_data(reinterpret_cast<const uchar *>(bytes.data()))
        , m_size(bytes.size())
    {}
    bool Has(qint64 offset, qint64 length) const
    {
        return offset >= 0 && length >= 0 && offset <= m_size && length <= m_size - offset;
    }
    const uchar *At(qint64 offset) const { return m_data + offset; }
    quint16 U16(qint64 offset) const { return qFromLittleEndian<quint16>(m_data + offset); }
    quint32 U32(qint64 offset) const { return qFromLittleEndian<quint32>(m_data + offset); }
    qint32 I32(qint64 offset) const { return qFromLittleEndian<qint32>(m_data + offset); }

private:
    const uchar *m_data;
    qint64 m_size;
};

// One colour channel of a 16- or 32-bit pixel, widened to 8 bits.
struct TChannel
{
    quint32 Mask = 0;
    int Shift = 0;
    int Bits = 0;

    // False for a mask with holes, which no real writer produces.
    bool Set(quint32 mask)
    {
        Mask = mask;
        Shift = mask == 0 ? 0 : std::countr_zero(mask);
        const quint32 bits = mask >> Shift;
        Bits = std::popcount(bits);
        return (bits & (bits + 1)) == 0;
    }
    uchar Extract(quint32 pixel) const
    {
        const quint32 value = (pixel & Mask) >> Shift;
        if (Bits >= 8)
            return uchar(value >> (Bits - 8));
        if (Bits == 0)
            return 0;
        const quint32 max = (quint32(1) << Bits) - 1;
        return uchar((value * 255 + max / 2) / max);
    }
};

using TRgb = std::array<uchar, 3>;

struct TLayout
{
    int Width = 0;
    int Height = 0;
    bool TopDown = false;
    int Bits = 0;
    std::array<TChannel, 3> Channels; // 16 and 32 bits
    std::array<TRgb, 256> Palette{};  // 1 to 8 bits; missing entries stay black
    qint64 DataOffset = 0;
    qint64 Stride = 0;
};

bool ReadMasks(const TBytes &in, TLayout &layout)
{
    for (int i = 0; i < 3; ++i) {
        if (!layout.Channels[size_t(i)].Set(in.U32(MasksOffset + 4 * i)))
            return false;
    }
    return true;
}

bool DefaultMasks(TLayout &layout)
{
    if (layout.Bits == 16)
        return layout.Channels[0].Set(0x7C00) && layout.Channels[1].Set(0x03E0)
               && layout.Channels[2].Set(0x001F);
    if (layout.Bits == 32)
        return layout.Channels[0].Set(0xFF0000) && layout.Channels[1].Set(0xFF00)
               && layout.Channels[2].Set(0xFF);
    return layout.Bits == 1 || layout.Bits == 4 || layout.Bits == 8 || layout.Bits == 24;
}

// Fills the layout from the headers, or false when anything disagrees with the file.
bool ReadLayout(const TBytes &in, TLayout &layout)
{
    if (!in.Has(0, FileHeaderSize + 4) || in.At(0)[0] != 'B' || in.At(0)[1] != 'M')
        return false;
    const qint64 dataOffset = in.U32(10);
    const qint64 headerSize = in.U32(FileHeaderSize);
    if (!in.Has(FileHeaderSize, headerSize))
        return false;

    qint64 width = 0;
    qint64 height = 0;
    quint32 compression = BiRgb;
    qint64 colorsUsed = 0;
    qint64 entrySize = 4;
    qint64 paletteStart = FileHeaderSize + headerSize;
    if (headerSize == CoreHeaderSize) {
        // OS/2 and Windows 2 files: unsigned 16-bit sides, always bottom-up, RGB triples.
        width = in.U16(18);
        height = in.U16(20);
        layout.Bits = in.U16(24);
        entrySize = 3;
        if (layout.Bits != 1 && layout.Bits != 4 && layout.Bits != 8 && layout.Bits != 24)
            return false;
    } else if (headerSize == InfoHeaderSize || headerSize == 52 || headerSize == 56
               || headerSize == 108 || headerSize == 124) {
        width = in.I32(18);
        height = in.I32(22);
        layout.Bits = in.U16(28);
        compression = in.U32(30);
        colorsUsed = in.U32(46);
    } else {
        return false;
    }

    if (compression == BiBitfields || compression == BiAlphaBitfields) {
        if (layout.Bits != 16 && layout.Bits != 32)
            return false;
        // The masks follow a 40-byte header and sit inside the longer ones, at one offset.
        if (headerSize == InfoHeaderSize) {
            const qint64 maskBytes = compression == BiAlphaBitfields ? 16 : 12;
            if (!in.Has(MasksOffset, maskBytes))
                return false;
            paletteStart += maskBytes;
        }
        if (!ReadMasks(in, layout))
            return false;
    } else if (compression != BiRgb || !DefaultMasks(layout)) {
        // RLE, embedded JPEG/PNG and odd bit depths.
        return false;
    }

    // Negate in 64 bits: -INT_MIN does not fit an int.
    layout.TopDown = height < 0;
    height = height < 0 ? -height : height;
    if (width < 1 || height < 1 || width > TImage::MaxSide || height > TImage::MaxSide
        || width * height > TImage::MaxPixels) {
        return false;
    }
    layout.Width = int(width);
    layout.Height = int(height);

    if (dataOffset < paletteStart)
        return false;
    if (layout.Bits <= 8) {
        const qint64 maxColors = qint64(1) << layout.Bits;
        if (colorsUsed > maxColors)
            return false;
        // Writers that save a short palette say so in colorsUsed or only in the offset.
        const qint64 count = std::min((colorsUsed == 0 ? maxColors : colorsUsed),
                                      (dataOffset - paletteStart) / entrySize);
        if (!in.Has(paletteStart, count * entrySize))
            return false;
        for (qint64 i = 0; i < count; ++i) {
            const uchar *entry = in.At(paletteStart + i * entrySize);
            layout.Palette[size_t(i)] = {entry[2], entry[1], entry[0]};
        }
    }

    // Rows are padded to 4 bytes; the last row's padding may be missing.
    layout.Stride = (width * layout.Bits + 31) / 32 * 4;
    const qint64 lastRow = (width * layout.Bits + 7) / 8;
    layout.DataOffset = dataOffset;
    return in.Has(dataOffset, layout.Stride * (height - 1) + lastRow);
}

void ReadRow(const TLayout &layout, const uchar *src, uchar *out)
{
    const int width = layout.Width;
    switch (layout.Bits) {
    case 1:
    case 4:
    case 8: {
        const int perByte = 8 / layout.Bits;
        const int mask = (1 << layout.Bits) - 1;
        for (int x = 0; x < width; ++x) {
            const int shift = 8 - layout.Bits * (x % perByte + 1);
            const TRgb &color = layout.Palette[size_t((src[x / perByte] >> shift) & mask)];
            std::memcpy(out + qsizetype(x) * 3, color.data(), 3);
        }
        break;
    }
    case 24:
        for (int x = 0; x < width; ++x, src += 3, out += 3) {
            out[0] = src[2];
            out[1] = src[1];
            out[2] = src[0];
        }
        break;
    case 16:
    case 32: {
        const int bytes = layout.Bits / 8;
        for (int x = 0; x < width; ++x, src += bytes, out += 3) {
            const quint32 pixel =
                bytes == 4 ? qFromLittleEndian<quint32>(src) : qFromLittleEndian<quint16>(src);
            for (int c = 0; c < 3; ++c)
                out[c] = layout.Channels[size_t(c)].Extract(pixel);
        }
        break;
    }
    default:
        break;
    }
}

} // namespace

TImage ReadBmp(QByteArrayView bytes)
{
    const TBytes in(bytes);
    TLayout layout;
    if (!ReadLayout(in, layout))
        return {};
    TImage image(layout.Width, layout.Height);
    if (image.IsNull())
        return {};
    uchar *bits = image.Bits();
    for (int y = 0; y < layout.Height; ++y) {
        const int fileRow = layout.TopDown ? y : layout.Height - 1 - y;
        ReadRow(layout,
                in.At(layout.DataOffset + layout.Stride * fileRow),
                bits + image.BytesPerLine() * y);
    }
    return image;
}

QByteArray WriteBmp(const TImage &image)
{
    if (image.IsNull())
        return {};
    const qint64 headers = FileHeaderSize + InfoHeaderSize;
    const qint64 stride = (image.BytesPerLine() + 3) / 4 * 4;
    // At most 4 * MaxPixels + 54 bytes, well inside the 32-bit size fields.
    const qint64 imageSize = stride * image.Height();
    QByteArray file(headers + imageSize, '\0');
    uchar *out = reinterpret_cast<uchar *>(file.data());
    out[0] = 'B';
    out[1] = 'M';
    qToLittleEndian<quint32>(quint32(headers + imageSize), out + 2);
    qToLittleEndian<quint32>(quint32(headers), out + 10);
    qToLittleEndian<quint32>(quint32(InfoHeaderSize), out + 14);
    qToLittleEndian<qint32>(image.Width(), out + 18);
    qToLittleEndian<qint32>(image.Height(), out + 22);
    qToLittleEndian<quint16>(1, out + 26);
    qToLittleEndian<quint16>(24, out + 28);
    qToLittleEndian<quint32>(BiRgb, out + 30);
    qToLittleEndian<quint32>(quint32(imageSize), out + 34);
    const uchar *bits = image.Bits();
    for (int y = 0; y < image.Height(); ++y) {
        const uchar *src = bits + image.BytesPerLine() * (image.Height() - 1 - y);
        uchar *dst = out + headers + stride * y;
        for (int x = 0; x < image.Width(); ++x, src += 3, dst += 3) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
    }
    return file;
}
