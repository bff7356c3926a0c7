#include "host/webpicture.h"

#include "host/pngdecode.h"

using namespace Qt::StringLiterals;

TWebPictureKind WebPictureKind(QByteArrayView bytes)
{
    if (bytes.startsWith("\xFF\xD8\xFF"))
        return TWebPictureKind::Jpeg;
    if (IsPng(bytes))
        return TWebPictureKind::Png;
    if (bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a"))
        return TWebPictureKind::Gif;
    if (bytes.size() >= 12 && bytes.startsWith("RIFF") && bytes.sliced(8, 4) == "WEBP")
        return TWebPictureKind::WebP;
    if (bytes.startsWith("BM"))
        return TWebPictureKind::Bmp;
    // SVG is XML: a declaration or comments may come before the root element.
    const QByteArrayView head = bytes.first(std::min<qsizetype>(bytes.size(), 1024));
    const QByteArrayView start = head.trimmed();
    if ((start.startsWith("<?xml") || start.startsWith("<svg") || start.startsWith("<!--"))
        && head.contains("<svg"))
        return TWebPictureKind::Svg;
    return TWebPictureKind::None;
}

QString WebPictureKindName(TWebPictureKind kind)
{
    switch (kind) {
    case TWebPictureKind::Jpeg:
        return u"JPEG"_s;
    case TWebPictureKind::Png:
        return u"PNG"_s;
    case TWebPictureKind::Gif:
        return u"GIF"_s;
    case TWebPictureKind::WebP:
        return u"WebP"_s;
    case TWebPictureKind::Svg:
        return u"SVG"_s;
    case TWebPictureKind::Bmp:
        return u"BMP"_s;
    case TWebPictureKind::None:
        break;
    }
    return {};
}

TImage DecodeWebPicture(const QByteArray &bytes)
{
    switch (WebPictureKind(bytes)) {
    case TWebPictureKind::Jpeg:
        return TImage::Decode(bytes, TImageFormat::Jpeg);
    case TWebPictureKind::Png:
        return DecodePng(bytes);
    default:
        return {};
    }
}
