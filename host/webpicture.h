#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include "catalog/image.h"

// Pictures as the web sites send them. The Content-Type a site names is not always the
// file it sends (a scaled Commons file keeps the type of its original), so the first
// bytes decide.
enum class TWebPictureKind { None, Jpeg, Png, Gif, WebP, Svg, Bmp };

TWebPictureKind WebPictureKind(QByteArrayView bytes);
// The format's common name ("GIF"); empty for None.
QString WebPictureKindName(TWebPictureKind kind);
// JPEG or PNG (composited onto white) as a picture to store; null for any other kind and
// for broken files. A PNG keeps no encoded bytes: storing it writes a JPEG.
TImage DecodeWebPicture(const QByteArray &bytes);
