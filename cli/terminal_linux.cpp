#include <cerrno>
#include <cstdio>

#include <termios.h>
#include <unistd.h>

#include <QByteArray>

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
    if (haveTerminal) {
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
    if (haveTerminal)
        ::tcsetattr(STDIN_FILENO, TCSANOW, &old);
    if (line.endsWith('\r'))
        line.chop(1);
    if (ended && line.isEmpty())
        return std::nullopt;
    return QString::fromUtf8(line);
}
