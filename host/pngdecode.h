#pragma once

#include <QByteArrayView>

#include "catalog/image.h"

// True when the bytes start with the 8-byte PNG signature.
bool IsPng(QByteArrayView bytes);

// Any valid PNG (palette, grayscale, 1- to 16-bit, with or without alpha, interlaced or
// not) as 8-bit RGB; transparency is composited onto white, as a poster shows on a white
// page. A null image for a broken or truncated file, one over the TImage size limits or
// one whose header promises more pixels than its bytes can hold. Nothing is printed.
TImage DecodePng(QByteArrayView bytes);
