#include <cstdio>

#include <QCoreApplication>
#include <QTextStream>

#include "cli/commands.h"

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("reelkeep-cli"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    SetKeepCatalogAtExit(true);
    return RunCommandLine(args, out, err);
}
