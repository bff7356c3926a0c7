#include <cerrno>
#include <csignal>
#include <cstdio>
#include <iterator>

#include <termios.h>
#include <unistd.h>

#include <QByteArray>

namespace {

// The terminal's settings while the echo is off, for a signal that ends the program then.
termios SavedTerminal;
constexpr int EndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// Gives the echo back before the signal does what it would have done.
void RestoreAndRaise(int signal)
{
    ::tcsetattr(STDIN_FILENO, TCSANOW, &SavedTerminal);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

} // namespace

#include "cli/terminal.h"

bool InputIsTerminal()
{
    return ::isatty(STDIN_FILENO) == 1;
}

std::optional<QString> ReadHiddenLine(const QString &question)
{
    std::fputs(question.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
    termios old{};
    const bool haveTerminal = ::tcgetattr(STDIN_FILENO, &old) == 0;
    struct sigaction previous[std::size(EndingSignals)];
    if (haveTerminal) {
        SavedTerminal = old;
        struct sigaction restore
        {};
        restore.sa_handler = RestoreAndRaise;
        sigemptyset(&restore.sa_mask);
        for (size_t i = 0; i < std::size(EndingSignals); ++i)
            ::sigaction(EndingSignals[i], &restore, &previous[i]);
        termios hidden = old;
        hidden.c_lflag &= ~tcflag_t(ECHO);
        // The line break still echoes, so the next output starts on a new line.
        hidden.c_lflag |= ECHONL;
        ::tcsetattr(STDIN_FILENO, TCSANOW, &hidden);
    }
    QByteArray line;
    bool ended = false;
    for (;;) {
        char c = 0;
        const ssize_t got = ::read(STDIN_FILENO, &c, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            ended = true;
            break;
        }
        if (c == '\n')
            break;
        line += c;
    }
    if (haveTerminal) {
        ::tcsetattr(STDIN_FILENO, TCSANOW, &old);
        for (size_t i = 0; i < std::size(EndingSignals); ++i)
            ::sigaction(EndingSignals[i], &previous[i], nullptr);
    }
    if (line.endsWith('\r'))
        line.chop(1);
    if (ended && line.isEmpty())
        return std::nullopt;
    return QString::fromUtf8(line);
}
