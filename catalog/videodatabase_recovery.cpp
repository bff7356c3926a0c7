// The recovery copy of a catalog that could not be saved when the program had to end.

#include <QFileInfo>

#include "catalog/videodatabase.h"

using namespace Qt::StringLiterals;

QString TVideoDatabase::RecoveryFileName() const
{
    if (m_fileName.isEmpty())
        return {};
    // Beside the catalog, so that the relative image folders in its header still hold.
    const QFileInfo info(m_fileName);
    return info.absolutePath() + u'/' + info.completeBaseName() + u".recovery.rkd"_s;
}

Status TVideoDatabase::WriteRecoveryCopy()
{
    const QString name = RecoveryFileName();
    if (name.isEmpty())
        return Status::Failure(u"The catalog has no file name"_s);
    // Protected as the catalog is: WriteFile applies its protection.
    return WriteFile(name);
}

TLoadResult TVideoDatabase::OpenRecoveryCopy(IPasswordPrompt *prompt)
{
    const QString name = RecoveryFileName();
    // A missing file would read as an empty catalog, which a save would write over the file.
    if (name.isEmpty() || !QFileInfo(name).isFile()) {
        TLoadResult missing;
        missing.error = u"Cannot read %1"_s.arg(name);
        return missing;
    }
    TLoadResult result = Load(name, prompt);
    if (!result.ok)
        return result;
    Upgrade(true);
    SetModified(true);
    return result;
}
