#include "host/installlayout.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

QString AsFolder(const QString &path)
{
    const QString clean = QDir::cleanPath(QDir(path).absolutePath());
    return clean.endsWith(u'/') ? clean : clean + u'/';
}

} // namespace

TInstallLayout TInstallLayout::ForProgram(const QString &programFolder)
{
    TInstallLayout layout;
    layout.ProgramFolder = AsFolder(programFolder);
    layout.PluginFolder = layout.ProgramFolder + u"Plugins/"_s;
    layout.ShareFolder = layout.ProgramFolder;
    if (QFileInfo::exists(layout.LangFile()))
        return layout;

    // Kept in step with the install rules in dist/CMakeLists.txt.
    const QString prefix = AsFolder(layout.ProgramFolder + u".."_s);
    const QString share = prefix + u"share/reelkeep/"_s;
    if (!QFileInfo::exists(share + u"lang.txt"_s))
        return layout;
    layout.Installed = true;
    layout.PluginFolder = prefix + u"lib/reelkeep/Plugins/"_s;
    layout.ShareFolder = share;
    return layout;
}
