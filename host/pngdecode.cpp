#include "host/pngdecode.h"

#include <cstring>

#include <png.h>

namespace {

constexpr uchar Signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// Deflate turns one byte into at most 1032; a header whose pixels (at one bit each)
// need more than that from the whole file cannot be honest, and refusing it keeps a few
// bytes from making us allocate a huge picture.
constexpr qint64 MaxDeflateRatio = 1032;

// libpng's simplified reader keeps errors and warnings in the png_image instead of
// printing them; this frees its state on every path.
struct TPngReader
{
    TPngReader()
    {
        std::memset(&Image, 0, sizeof Image);
        Image.version = PNG_IMAGE_VERSION;
    }
    ~TPngReader() { png_image_free(&Image); }
    TPngReader(const TPngReader &) = delete;
    TPngReader &operator=(const TPngReader &) = delete;

    png_image Image;
};

} // namespace

bool IsPng(QByteArrayView bytes)
{
    return bytes.size() >= qsizetype(sizeof Signature)
           && std::memcmp(bytes.data(), Signature, sizeof Signature) == 0;
}

TImage DecodePng(QByteArrayView bytes)
{
    if (!IsPng(bytes))
        return {};
    TPngReader reader;
    png_image &info = reader.Image;
    if (png_image_begin_read_from_memory(&info, bytes.data(), size_t(bytes.size())) == 0)
        return {};
    const qint64 width = info.width;
    const qint64 height = info.height;
    if (width < 1 || height < 1 || width > TImage::MaxSide || height > TImage::MaxSide
        || width * height > TImage::MaxPixels
        || (width + 7) / 8 * height > qint64(bytes.size()) * MaxDeflateRatio) {
        return {};
    }
    TImage image(static_cast<int>(width), static_cast<int>(height));
    if (image.IsNull())
        return {};
    info.format = PNG_FORMAT_RGB;
    const png_color white{255, 255, 255};
    if (png_image_finish_read(
            &info, &white, image.Bits(), png_int_32(image.BytesPerLine()), nullptr)
        == 0) {
        return {};
    }
    return image;
}
