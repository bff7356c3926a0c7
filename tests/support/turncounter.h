#pragma once

// Counts the turns of the event loop: each turn delivers the one event the turn before it
// posted (events posted while posted events are delivered wait for the next turn).

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

class TTurnCounter : public QObject
{
public:
    TTurnCounter() { QCoreApplication::postEvent(this, new QEvent(QEvent::User)); }
    int turns = 0;

protected:
    bool event(QEvent *event) override
    {
        if (event->type() != QEvent::User)
            return QObject::event(event);
        ++turns;
        QCoreApplication::postEvent(this, new QEvent(QEvent::User));
        return true;
    }
};
