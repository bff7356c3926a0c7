// Fuzz entry point for the PNG reader: arbitrary bytes give a picture or none, never a
// crash, hang, leak or huge allocation. A picture must be within the size limits and
// hold as many pixel bytes as its size says.
#include <cstddef>
#include <cstdint>

#include <zlib.h>

#include <QByteArray>
#include <QtEndian>

#include "host/pngdecode.h"

namespace {

// The input with every complete chunk's CRC recomputed: without this, nearly every
// mutation stops at libpng's CRC check and the decoder behind it is never reached.
QByteArray WithFixedCrcs(QByteArray png)
{
    qsizetype at = 8;
    while (png.size() - at >= 12) {
        const quint32 length = qFromBigEndian<quint32>(png.constData() + at);
        if (length > quint64(png.size() - at - 12))
            break;
        const auto *typeAndData = reinterpret_cast<const Bytef *>(png.constData() + at + 4);
        const auto crc = quint32(crc32(0, typeAndData, uInt(length) + 4));
        qToBigEndian(crc, png.data() + at + 8 + length);
        at += 12 + qsizetype(length);
    }
    return png;
}

void Check(const TImage &image)
{
    if (image.IsNull())
        return;
    if (image.Width() > TImage::MaxSide || image.Height() > TImage::MaxSide
        || qint64(image.Width()) * image.Height() > TImage::MaxPixels) {
        __builtin_trap();
    }
    // Reading the last pixel shows a short buffer to the address sanitizer.
    const uchar *last =
        image.Bits() + image.BytesPerLine() * (image.Height() - 1) + (image.Width() - 1) * 3;
    volatile uchar sink = last[2];
    (void)sink;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    Check(DecodePng(bytes));
    Check(DecodePng(WithFixedCrcs(bytes)));
    return 0;
}
