#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include "catalog/image.h"

// Baseline, progressive and arithmetic JPEG in grayscale, YCbCr, RGB, CMYK or YCCK, turned
// into RGB. A null image for a broken or truncated file, one over the TImage size limits,
// one whose header promises far more blocks than its bytes can hold, or one with an
// absurd number of scans. libjpeg's warnings are never printed.
TImage ReadJpeg(QByteArrayView bytes);
// The same picture decoded at the smallest of 1/8, 2/8 .. 8/8 of its size that is no smaller
// than the picture fitted into a boxWidth x boxHeight box (the full size when even that is
// smaller): for thumbnails, which then scale the rest of the way.
TImage ReadJpegScaled(QByteArrayView bytes, int boxWidth, int boxHeight);
// Baseline JPEG with 2x2 chroma subsampling; quality 1..100 (clamped). Empty for a null
// image or when libjpeg fails.
QByteArray WriteJpeg(const TImage &image, int quality);
