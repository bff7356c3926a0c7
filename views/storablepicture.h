#pragma once

#include <memory>

#include <QString>
#include <QStringList>

class QTemporaryDir;

// A picture file as a card's slot stores it. The catalog keeps JPEG and BMP files as they
// are; any other picture Qt reads (PNG, GIF, TIFF, WebP with its plug-in, ...) is converted
// once into a JPEG "<base name>.jpg" in a temporary folder that lives as long as this
// object, so the slot copies or reads a file of a kind the catalog keeps and the copy gets
// a sensible name.
class TStorablePicture
{
public:
    // Whether a drop may offer `path`: a ".jpg", ".jpeg" or ".bmp" name, or any picture Qt
    // recognises by its first bytes. Does not decode the picture.
    static bool IsAccepted(const QString &path);
    // The extensions of the pictures offered for browsing, lower case without a dot: jpg,
    // jpeg and bmp first, then what Qt's image readers take.
    static QStringList Suffixes();

    // Converts `path` when the catalog does not keep its kind (judged by its content, so a
    // WebP named ".jpg" is converted too).
    explicit TStorablePicture(const QString &path);
    ~TStorablePicture();
    TStorablePicture(TStorablePicture &&) noexcept;
    TStorablePicture &operator=(TStorablePicture &&) noexcept;

    // The file to store: `path` itself or its JPEG copy; empty when the picture cannot be
    // read or converted.
    const QString &Path() const { return m_path; }
    // True when Path() is a temporary copy, which must not be referenced after this object.
    bool IsCopy() const { return m_dir != nullptr; }

    // JPEG quality of the copies.
    static constexpr int Quality = 90;

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};
