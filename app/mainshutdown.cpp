// Ending in order: a signal or the session's end keeps the catalog's changes without asking
// (saved, or in the recovery copy beside the catalog; see TCatalogSession::KeepChanges).
#include <QGuiApplication>
#include <QSessionManager>
#include <QTimer>

#include "app/catalogsession.h"
#include "app/mainwindow_p.h"
#include "app/shutdownsignals.h"

using namespace Qt::StringLiterals;

void TMainPrivate::CatchSessionEnd()
{
    if (m_shutdownSignals)
        return;
    m_shutdownSignals = new TShutdownSignals([this](int) { CloseOrderly(); }, &q);
    QObject::connect(qGuiApp, &QGuiApplication::commitDataRequest, &q, [this](QSessionManager &) {
        CommitData();
    });
}

void TMainPrivate::CloseOrderly()
{
    m_orderlyClose = true;
    if (m_busy && !m_closing) {
        // An import or export is running: the close follows once it is over.
        QTimer::singleShot(200, &q, [this] { CloseOrderly(); });
        return;
    }
    q.close();
    // Also ends the loops of open dialogs, and windows of the program other than this one.
    QCoreApplication::exit(0);
}

void TMainPrivate::CommitData()
{
    if (m_closing || m_busy)
        return;
    m_session->KeepChanges();
    SaveSettings();
}
