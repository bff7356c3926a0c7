#include "logic/idlewatch.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>

TIdleWatch::TIdleWatch(std::function<void()> onIdle, QObject *parent)
    : QObject(parent)
    , m_onIdle(std::move(onIdle))
{
    // The application object's filter sees every event of this thread, timers included.
    QCoreApplication::instance()->installEventFilter(this);
    if (QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] {
            LoopAboutToWait();
        });
}

bool TIdleWatch::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != this && !m_running)
        m_worked = true;
    return QObject::eventFilter(watched, event);
}

void TIdleWatch::LoopAboutToWait()
{
    if (!m_worked || m_queued)
        return;
    m_worked = false;
    m_queued = true;
    // Queued so nothing heavy runs inside the dispatcher's callback.
    QMetaObject::invokeMethod(
        this, [this] { RunIdle(); }, Qt::QueuedConnection);
}

void TIdleWatch::RunIdle()
{
    m_queued = false;
    m_running = true;
    m_onIdle();
    m_running = false;
}
