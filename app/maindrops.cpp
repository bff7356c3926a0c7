// Files dragged in from the desktop: catalogs anywhere on the window, media files on the
// movie card (the card itself takes pictures on its picture slots).
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QTimer>

#include "app/catalogsession.h"
#include "app/mainui_p.h"
#include "app/mainwindow_p.h"
#include "app/transfercontroller.h"
#include "app/webcontroller.h"
#include "catalog/basemovie.h"
#include "catalog/videodatabase.h"
#include "views/droppedfiles.h"
#include "views/mvframe.h"

using namespace Qt::StringLiterals;

namespace {

bool HasSuffix(const QString &file, QLatin1StringView suffix)
{
    return QFileInfo(file).suffix().compare(suffix, Qt::CaseInsensitive) == 0;
}

bool IsMediaFile(const QString &file)
{
    const QString suffix = QFileInfo(file).suffix();
    return !suffix.isEmpty()
           && MediaExtensions.split(u';').contains(u'.' + suffix, Qt::CaseInsensitive);
}

} // namespace

// Anywhere on the window the first catalog (.rkd) opens in place of the open one, or else the
// first foreign catalog is offered for import; on the movie card media files join the shown
// movie's files and are read as the browse button does.
bool TMainPrivate::TakeDrop(const QStringList &files, bool onMovieCard, bool drop)
{
    if (!Database() || m_busy || m_closing)
        return false;
    QStringList existing;
    for (const QString &file : files) {
        if (QFileInfo(file).isFile())
            existing.append(file);
    }

    // A catalog wins over everything else dropped with it; the open one changes nothing.
    for (const QString &file : existing) {
        if (!HasSuffix(file, "rkd"_L1))
            continue;
        if (file == Database()->FileName())
            return false;
        if (drop)
            QTimer::singleShot(0, &q, [this, file] { m_session->OpenCatalog(file); });
        return true;
    }
    for (const QString &file : existing) {
        if (!HasSuffix(file, "amc"_L1))
            continue;
        if (drop)
            QTimer::singleShot(0, &q, [this, file] { m_transfers->OfferImport(file); });
        return true;
    }

    TBaseMovie *movie = onMovieCard && m_ui->MovieFrame ? m_ui->MovieFrame->Movie() : nullptr;
    if (!movie || ReadOnly())
        return false;
    QStringList media;
    for (const QString &file : existing) {
        if (IsMediaFile(file))
            media.append(file);
    }
    if (media.isEmpty())
        return false;
    if (drop) {
        // Read after the drop: several files show a progress window, which must not hold
        // the file manager's drag.
        QTimer::singleShot(0, &q, [this, movie, media] {
            if (ReadOnly() || m_busy || m_ui->MovieFrame->Movie() != movie)
                return;
            // What the user typed counts, as with the browse button.
            m_ui->MovieFrame->StoreEdits(movie);
            m_web->AddMediaFiles(movie, media, !movie->Path().isEmpty());
        });
    }
    return true;
}

void TMain::dragEnterEvent(QDragEnterEvent *event)
{
    if (!d->TakeDrop(DroppedFiles(event->mimeData()), false, false) || !AcceptAsCopy(event))
        event->ignore();
}

void TMain::dragMoveEvent(QDragMoveEvent *event)
{
    if (!d->TakeDrop(DroppedFiles(event->mimeData()), false, false) || !AcceptAsCopy(event))
        event->ignore();
}

void TMain::dropEvent(QDropEvent *event)
{
    const QStringList files = DroppedFiles(event->mimeData());
    if (!d->TakeDrop(files, false, false) || !AcceptAsCopy(event)) {
        event->ignore();
        return;
    }
    d->TakeDrop(files, false, true);
}
