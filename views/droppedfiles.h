#pragma once

#include <QStringList>

class QDropEvent;
class QMimeData;

// Files dragged in from the desktop (a file manager): the local files among the drag's
// addresses, in order, as absolute paths. Web addresses and remote files are left out, so a
// drop never starts a download.
QStringList DroppedFiles(const QMimeData *mime);

// Accepts a drag or drop as a copy (a link when the source offers no copy); false, and the
// event ignored, when it offers neither. A move is never taken: the source would delete
// the file we keep a path to.
bool AcceptAsCopy(QDropEvent *event);
