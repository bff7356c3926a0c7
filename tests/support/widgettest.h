// Helpers for widget tests: finding parts by object name and answering modal dialogs.
#pragma once

#include <functional>

#include <QApplication>
#include <QString>
#include <QTimer>
#include <QWidget>

template <typename T> T *Child(QWidget *parent, const char *name)
{
    return parent->findChild<T *>(QString::fromLatin1(name));
}

// Runs `action` on the modal dialog once a blocking exec() has shown it; polling, because
// the dialog only becomes the active modal widget inside its own event loop.
inline void WhenModal(std::function<void(QWidget *)> action)
{
    auto *timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        action(modal);
    });
    timer->start();
}
