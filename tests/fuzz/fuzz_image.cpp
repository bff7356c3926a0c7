// Fuzz entry point for the picture readers: arbitrary bytes read as BMP and as JPEG give a
// picture or none, never a crash, hang, leak or huge allocation. Any picture must scale
// (to a size taken from the input, so enlarging is covered too), and the scaled picture
// must read back from its BMP encoding pixel for pixel.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include <QByteArray>

#include "catalog/image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const int width = size > 0 ? 1 + data[size - 1] % 48 : 1;
    const int height = size > 1 ? 1 + data[size - 2] % 48 : 1;
    for (const TImageFormat format : {TImageFormat::Bmp, TImageFormat::Jpeg}) {
        const TImage image = TImage::Decode(bytes, format);
        if (image.IsNull())
            continue;
        const TImage small = image.Scaled(width, height);
        if (small.IsNull())
            __builtin_trap();
        const TImage back = TImage::Decode(small.ToBmp(), TImageFormat::Bmp);
        if (back.Width() != width || back.Height() != height
            || std::memcmp(back.Bits(), small.Bits(), size_t(small.BytesPerLine()) * height) != 0) {
            __builtin_trap();
        }
    }
    return 0;
}
