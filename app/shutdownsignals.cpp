#include "app/shutdownsignals.h"

#include <array>
#include <cerrno>
#include <csignal>

#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace {

constexpr std::array<int, 3> Caught{SIGTERM, SIGINT, SIGHUP};

// [0] is written by the handler, [1] read in the event loop.
int g_sockets[2] = {-1, -1};
struct sigaction g_previous[Caught.size()];

extern "C" void WriteSignal(int signal)
{
    const int savedErrno = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    // A full socket drops the byte: the earlier ones already ask for the same close.
    [[maybe_unused]] const ssize_t written = ::write(g_sockets[0], &number, 1);
    errno = savedErrno;
}

} // namespace

TShutdownSignals::TShutdownSignals(std::function<void(int signal)> onSignal, QObject *parent)
    : QObject(parent)
    , m_onSignal(std::move(onSignal))
{
    if (g_sockets[0] != -1)
        return;
    // Non-blocking, so that the handler never waits on a reader that is busy.
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, g_sockets) != 0) {
        g_sockets[0] = g_sockets[1] = -1;
        return;
    }
    m_notifier = new QSocketNotifier(g_sockets[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { ReadSignals(); });
    struct sigaction action = {};
    action.sa_handler = WriteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    m_active = true;
    for (size_t i = 0; i < Caught.size(); ++i)
        m_active = ::sigaction(Caught[i], &action, &g_previous[i]) == 0 && m_active;
}

TShutdownSignals::~TShutdownSignals()
{
    if (!m_notifier)
        return;
    for (size_t i = 0; i < Caught.size(); ++i)
        ::sigaction(Caught[i], &g_previous[i], nullptr);
    delete m_notifier;
    ::close(g_sockets[0]);
    ::close(g_sockets[1]);
    g_sockets[0] = g_sockets[1] = -1;
}

void TShutdownSignals::ReadSignals()
{
    unsigned char numbers[16];
    const ssize_t count = ::read(g_sockets[1], numbers, sizeof numbers);
    for (ssize_t i = 0; i < count; ++i)
        m_onSignal(numbers[i]);
}
