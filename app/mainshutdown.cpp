// Ending in order: a signal or the session's end keeps the catalog's changes without asking
// (saved, or in the recovery copy beside the catalog; see TCatalogSession::KeepChanges).
#include <QGuiApplication>
#include <QSessionManager>
#include <QTimer>

#include "app/catalogsession.h"
#include "app/mainwindow.h"
#include "app/shutdownsignals.h"

using namespace Qt::StringLiterals;

void TMain::CatchSessionEnd()
{
    if (m_shutdownSignals)
        return;
    m_shutdownSignals = new TShutdownSignals([this](int) { CloseOrderly(); }, this);
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &) {
        CommitData();
    });
}

void TMain::CloseOrderly()
{
    m_orderlyClose = true;
    if (m_busy && !m_closing) {
        // An import or export is running: the close follows once it is over.
        QTimer::singleShot(200, this, [this] { CloseOrderly(); });
        return;
    }
    close();
    // Also ends the loops of open dialogs, and windows of the program other than this one.
    QCoreApplication::exit(0);
}

void TMain::CommitData()
{
    if (m_closing || m_busy)
        return;
    m_session->KeepChanges();
    SaveSettings();
}
