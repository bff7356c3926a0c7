#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include "catalog/image.h"

// Windows bitmaps: BITMAPCOREHEADER, BITMAPINFOHEADER and its V2-V5 extensions; 1, 4 and
// 8 bits with a palette, 16 and 32 bits plain or with bit fields, 24 bits; bottom-up and
// top-down. Compressed files (RLE, embedded JPEG/PNG) give a null image, as does any
// field that disagrees with the size of the file.
TImage ReadBmp(QByteArrayView bytes);
// 24-bit bottom-up file with a BITMAPINFOHEADER; empty for a null image.
QByteArray WriteBmp(const TImage &image);
