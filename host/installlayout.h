#pragma once

#include <QString>

// Where the program's own files live, worked out from the folder of the running executable.
// Two layouts exist: the build tree keeps everything beside the executable (build/bin/lang.txt,
// build/bin/Plugins/, build/bin/help/); an installed program keeps its plug-ins in
// <prefix>/lib/reelkeep/Plugins/ and its texts and help in <prefix>/share/reelkeep/, with the
// executable in <prefix>/bin/. Every folder ends in "/".
struct TInstallLayout
{
    QString ProgramFolder; // the executable's folder (portable mode keeps settings here)
    QString PluginFolder;
    QString ShareFolder; // lang.txt and help/
    bool Installed = false;

    QString LangFile() const { return ShareFolder + QStringLiteral("lang.txt"); }
    QString HelpFolder() const { return ShareFolder + QStringLiteral("help/"); }

    // lang.txt beside the executable means the build tree (or a portable copy); otherwise
    // the installed layout is taken when its lang.txt exists. When neither is found the
    // build-tree layout is answered, so error messages name the folder beside the program.
    static TInstallLayout ForProgram(const QString &programFolder);
};
