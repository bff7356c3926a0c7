#include "views/storablepicture.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>

#include "catalog/image.h"
#include "catalog/imagestore.h"
#include "views/imageqt.h"

using namespace Qt::StringLiterals;

namespace {

// What Qt's readers call the formats the catalog reads by name.
bool SameFormat(TImageFormat byName, const QByteArray &content)
{
    switch (byName) {
    case TImageFormat::Jpeg:
        return content == "jpeg" || content == "jpg";
    case TImageFormat::Bmp:
        return content == "bmp";
    case TImageFormat::None:
        break;
    }
    return false;
}

} // namespace

bool TStorablePicture::IsAccepted(const QString &path)
{
    return TImage::FormatOfName(path) != TImageFormat::None
           || !QImageReader::imageFormat(path).isEmpty();
}

QStringList TStorablePicture::Suffixes()
{
    QStringList suffixes{u"jpg"_s, u"jpeg"_s, u"bmp"_s};
    for (const QByteArray &format : QImageReader::supportedImageFormats()) {
        const QString suffix = QString::fromLatin1(format).toLower();
        if (!suffixes.contains(suffix))
            suffixes.append(suffix);
    }
    return suffixes;
}

TStorablePicture::TStorablePicture(const QString &path)
{
    const TImageFormat byName = TImage::FormatOfName(path);
    const QByteArray content = QImageReader::imageFormat(path);
    // Content Qt cannot name is left to the catalog's own reader, which reports it.
    if (byName != TImageFormat::None && (content.isEmpty() || SameFormat(byName, content))) {
        m_path = path;
        return;
    }
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QImage read = reader.read();
    if (read.isNull())
        return;
    // Transparent parts show white, as on the page a poster is printed on.
    QImage flat(read.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    {
        QPainter painter(&flat);
        painter.drawImage(0, 0, read);
    }
    const TImage image = ToTImage(flat);
    if (image.IsNull())
        return;
    auto dir = std::make_unique<QTemporaryDir>();
    QString name = QFileInfo(path).completeBaseName();
    if (name.isEmpty())
        name = u"picture"_s;
    const QString target = dir->filePath(name + u".jpg"_s);
    if (!dir->isValid() || !WriteFileQuiet(target, image.ToJpeg(Quality)))
        return;
    m_dir = std::move(dir);
    m_path = target;
}

TStorablePicture::~TStorablePicture() = default;
TStorablePicture::TStorablePicture(TStorablePicture &&) noexcept = default;
TStorablePicture &TStorablePicture::operator=(TStorablePicture &&) noexcept = default;
