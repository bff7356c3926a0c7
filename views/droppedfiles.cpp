#include "views/droppedfiles.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

QStringList DroppedFiles(const QMimeData *mime)
{
    QStringList files;
    if (!mime || !mime->hasUrls())
        return files;
    for (const QUrl &url : mime->urls()) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            files.append(QFileInfo(url.toLocalFile()).absoluteFilePath());
    }
    return files;
}

bool AcceptAsCopy(QDropEvent *event)
{
    const Qt::DropActions offered = event->possibleActions();
    if (offered.testFlag(Qt::CopyAction)) {
        event->setDropAction(Qt::CopyAction);
    } else if (offered.testFlag(Qt::LinkAction)) {
        event->setDropAction(Qt::LinkAction);
    } else {
        event->ignore();
        return false;
    }
    event->accept();
    return true;
}
