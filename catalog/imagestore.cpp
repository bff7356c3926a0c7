#include "catalog/imagestore.h"

#include <algorithm>
#include <cmath>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "catalog/image.h"

QSize ThumbnailSize(int width, int height, int landscapeWidth, int portraitHeight)
{
    if (width <= 0 || height <= 0)
        return {};
    // The proportion is taken in percent first, in extended precision.
    if (height < width) {
        const long double ratio = static_cast<long double>(height) * 100 / width / 100;
        const int h = static_cast<int>(std::floor(ratio * landscapeWidth));
        return {landscapeWidth, std::max(h, 1)};
    }
    const long double ratio = static_cast<long double>(width) * 100 / height / 100;
    const int w = static_cast<int>(std::floor(ratio * portraitHeight));
    return {std::max(w, 1), portraitHeight};
}

void MakeThumbnail(const QString &source, const QString &thumbPath)
{
    const QString ext = QFileInfo(source).suffix().toLower();
    if (ext != u"jpg" && ext != u"bmp")
        return;
    if (!QFileInfo(source).isFile())
        return;
    const TImage image = TImage::Load(source);
    if (image.IsNull())
        return;
    const QSize size = CoverThumbnailSize(image.Width(), image.Height());
    const TImage thumb = image.Scaled(size.width(), size.height());
    if (thumb.IsNull())
        return;
    const QString target = ChangeExtension(thumbPath, QStringLiteral(".jpg"));
    QDir().mkpath(QFileInfo(target).absolutePath());
    WriteFileQuiet(target, thumb.ToJpeg());
}

void RemoveFileQuiet(const QString &path)
{
    if (!path.isEmpty() && QFileInfo(path).isFile())
        QFile::remove(path);
}

bool WriteFileQuiet(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes) == bytes.size() && file.flush();
}

QString FileNamePart(const QString &path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

QString ChangeExtension(const QString &path, const QString &ext)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    const qsizetype dot = path.lastIndexOf(u'.');
    return (dot > slash ? path.left(dot) : path) + ext;
}
