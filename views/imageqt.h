#pragma once

#include <cstring>

#include <QImage>

#include "catalog/image.h"

// The catalog's pictures as Qt draws them, and back. Header-only, so the list views can use
// it without linking the card library.

// The pixels seen as a QImage without copying: valid only while `image` lives unchanged.
inline QImage ImageView(const TImage &image)
{
    if (image.IsNull())
        return {};
    return QImage(
        image.Bits(), image.Width(), image.Height(), image.BytesPerLine(), QImage::Format_RGB888);
}

// An independent copy.
inline QImage ToQImage(const TImage &image)
{
    return ImageView(image).copy();
}

// A Qt picture as a catalog picture (null when it cannot be held).
inline TImage ToTImage(const QImage &picture)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    TImage image(rgb.width(), rgb.height());
    if (image.IsNull())
        return image;
    for (int y = 0; y < rgb.height(); ++y)
        std::memcpy(image.Bits() + y * image.BytesPerLine(),
                    rgb.constScanLine(y),
                    size_t(image.BytesPerLine()));
    return image;
}
