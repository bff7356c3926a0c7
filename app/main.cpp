// The window program: one main window over the catalog named on the command line or in the
// settings.

#include <cstdio>

#include <QApplication>
#include <QDir>
#include <QIcon>

#include "app/mainwindow.h"
#include "catalog/version.h"
#include "logic/settings.h"

namespace {

QStringList ArgumentsOf(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

// Help and version need no display: they are answered before the window system is touched.
int AnswerWithoutWindow(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const TCommandLine line = ParseCommandLine(ArgumentsOf(argc, argv));
    if (line.ShowHelp) {
        std::fputs(qUtf8Printable(line.HelpText), stdout);
        return 0;
    }
    std::printf("reelkeep %s\n", qUtf8Printable(QString::fromUtf16(ProgramVersionText)));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    {
        const TCommandLine early = ParseCommandLine(ArgumentsOf(argc, argv));
        if (early.ShowHelp || early.ShowVersion)
            return AnswerWithoutWindow(argc, argv);
    }

    // QApplication takes its own options (-platform, -style, ...) out of the list first.
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Reelkeep"));
    QApplication::setOrganizationName(QStringLiteral("Reelkeep"));
    QApplication::setApplicationVersion(QString::fromUtf16(ProgramVersionText));
    // The desktop file's name lets Wayland compositors and task bars match the window to it.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.reelkeep.Reelkeep"));
    QIcon icon;
    for (const char *size : {"48x48", "128x128", "256x256"})
        icon.addFile(
            QStringLiteral(":/icons/%1/org.reelkeep.Reelkeep.png").arg(QLatin1StringView(size)));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.reelkeep.Reelkeep"), icon));

    const QStringList arguments = QCoreApplication::arguments().mid(1);
    const TCommandLine line = ParseCommandLine(arguments, QDir::currentPath());
    if (!line.Error.isEmpty()) {
        std::fprintf(stderr,
                     "reelkeep: %s\n\n%s",
                     qUtf8Printable(line.Error),
                     qUtf8Printable(line.HelpText));
        return 1;
    }

    TMainOptions options;
    options.programFolder = QCoreApplication::applicationDirPath();
    options.arguments = arguments;
    options.workingFolder = QDir::currentPath();
    TMain window(options);
    // Signals and the session's end close in order instead of dropping unsaved changes.
    window.CatchSessionEnd();
    window.show();
    return QApplication::exec();
}
