#pragma once

#include <functional>

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into a call in the event loop, where the window can end
// in order: the handler only writes the signal's number to a socket pair (all a signal
// handler may safely do) and a socket notifier reads it. One instance at a time; the
// previous handlers come back when it goes.
class TShutdownSignals : public QObject
{
public:
    explicit TShutdownSignals(std::function<void(int signal)> onSignal, QObject *parent = nullptr);
    ~TShutdownSignals() override;
    TShutdownSignals(const TShutdownSignals &) = delete;
    TShutdownSignals &operator=(const TShutdownSignals &) = delete;

    // False when the socket pair or a handler could not be set up (the signals then keep
    // their previous handling).
    bool Active() const { return m_active; }

private:
    void ReadSignals();

    std::function<void(int)> m_onSignal;
    QSocketNotifier *m_notifier = nullptr;
    bool m_active = false;
};
