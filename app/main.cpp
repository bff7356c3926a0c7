// The window program: one main window over the catalog named in the settings.

#include <QApplication>

#include "app/mainwindow.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Reelkeep"));
    QApplication::setOrganizationName(QStringLiteral("Reelkeep"));

    TMainOptions options;
    options.programFolder = QCoreApplication::applicationDirPath();
    options.arguments = QCoreApplication::arguments().mid(1);
    TMain window(options);
    window.show();
    return QApplication::exec();
}
