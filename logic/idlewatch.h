#pragma once

#include <functional>

#include <QObject>

// Calls back once each time the thread's event loop goes quiet after work. Qt has no idle
// message; the dispatcher reports every wait, including the one right after the callback's
// own turn, so answering each report would keep the loop turning for ever. Any event
// delivered in the thread counts as work, except the watch's own call and what the callback
// sends while it runs. Work with a deadline keeps a timer of its own: its tick is work.
class TIdleWatch : public QObject
{
public:
    explicit TIdleWatch(std::function<void()> onIdle, QObject *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void LoopAboutToWait();
    void RunIdle();

    std::function<void()> m_onIdle;
    // The first quiet moment after start is an idle moment too.
    bool m_worked = true;
    bool m_queued = false;
    bool m_running = false;
};
