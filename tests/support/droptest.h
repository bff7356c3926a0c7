// Dragging files onto a widget as a file manager does, for widget tests.
#pragma once

#include <QApplication>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QStringList>
#include <QUrl>
#include <QWidget>
#include <QWindow>

// Drags `files` (paths, or addresses with a scheme) to the centre of `target`. The events
// go to the target's window, which hands them to the widget under the point that takes
// drops, as the platform's do. Returns whether that spot accepted the drag; with `drop` the
// files are then released there, otherwise the drag leaves.
inline bool DragFiles(QWidget *target,
                      const QStringList &files,
                      bool drop,
                      Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction)
{
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString &file : files)
        urls.append(file.contains(QStringLiteral("://")) ? QUrl(file) : QUrl::fromLocalFile(file));
    mime.setUrls(urls);
    QWindow *window = target->window()->windowHandle();
    const QPoint at = target->mapTo(target->window(), target->rect().center());
    QDragEnterEvent enter(at, actions, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &enter);
    QDragMoveEvent move(at, actions, &mime, Qt::LeftButton, Qt::NoModifier);
    move.ignore();
    QApplication::sendEvent(window, &move);
    const bool accepted = move.isAccepted() && move.dropAction() != Qt::MoveAction;
    if (drop && accepted) {
        QDropEvent dropEvent(at, actions, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window, &dropEvent);
    } else {
        QDragLeaveEvent leave;
        QApplication::sendEvent(window, &leave);
    }
    return accepted;
}
