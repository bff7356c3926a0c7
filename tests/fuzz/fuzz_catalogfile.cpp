// Fuzz entry point for loading a catalog file: arbitrary bytes must load into what they
// can (never crash or hang), and whatever loads must save and load again.
#include <cstddef>
#include <cstdint>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "catalog/videodatabase.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/rk-fuzz-XXXXXX"));
    const QString path = dir.filePath(QStringLiteral("fuzz.rkd"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size));
    }
    TVideoDatabase db(path);
    if (db.Open().ok)
        (void)db.Save(true);
    db.SetModified(false);
    return 0;
}
