#pragma once

#include <memory>

#include <QString>
#include <QStringList>

class IMainDialogs;
class IPasswordPrompt;

// How the main window starts: the program folder (where lang.txt and Plugins/ live) and
// the command line. Tests give their own dialogs and a temporary program folder.
struct TMainOptions
{
    QString programFolder;
    QStringList arguments;
    QString workingFolder; // where a relative file name on the command line is taken
    std::shared_ptr<IMainDialogs> dialogs;      // message and file dialogs when null
    std::shared_ptr<IPasswordPrompt> passwords; // the password dialog when null
    bool useIdleEvents = true;                  // tests drive OnIdle themselves
};
