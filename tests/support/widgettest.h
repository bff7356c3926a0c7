// Helpers for widget tests: finding parts by object name and answering modal dialogs.
#pragma once

#include <functional>

#include <QApplication>
#include <QString>
#include <QTest>
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

// A card's picture buttons after an Enter or Leave: with the card's hover delay set to 0 the
// hover timer fires on the next pass of the event loop. False when it never did.
inline bool SettleHover(QWidget *card)
{
    auto *timer = card->findChild<QTimer *>(QStringLiteral("ImgTimer"));
    return timer && QTest::qWaitFor([timer] { return !timer->isActive(); });
}
