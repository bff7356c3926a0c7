#pragma once

#include <QSize>
#include <QString>

class TImage;

// Sizes, names and file steps shared by the pictures, covers and screenshots of records.
// File-system errors are swallowed here: a picture that cannot be written or deleted
// must never stop an edit.

// A landscape image (height below width) becomes `landscapeWidth` wide, any other
// `portraitHeight` high; the other side keeps the proportion (rounded down, at least 1).
QSize ThumbnailSize(int width, int height, int landscapeWidth, int portraitHeight);
// Cover thumbnails in the thumbnails folder and list thumbnails held in memory.
inline QSize CoverThumbnailSize(int width, int height)
{
    return ThumbnailSize(width, height, 318, 238);
}
inline QSize ListThumbnailSize(int width, int height)
{
    return ThumbnailSize(width, height, 78, 98);
}

// Writes a cover thumbnail of `source` (a ".jpg" or ".bmp" file) as a JPEG at
// `thumbPath` with its extension changed to ".jpg"; nothing for other files.
void MakeThumbnail(const QString &source, const QString &thumbPath);

// Deletes a file when it exists; folders and errors are ignored.
void RemoveFileQuiet(const QString &path);
// Writes bytes to a file (replacing it); false on any error.
bool WriteFileQuiet(const QString &path, const QByteArray &bytes);
// The file-name part of a path ("a/b.jpg" gives "b.jpg").
QString FileNamePart(const QString &path);
// The path with its extension (from the last dot of the file name on) replaced by `ext`.
QString ChangeExtension(const QString &path, const QString &ext);
