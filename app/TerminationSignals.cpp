#include "app/TerminationSignals.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

// The pipe the handler writes to; one per process, as signal handlers are.
int g_pipe[2] = {-1, -1};

extern "C" void onTerminationSignal(int signal)
{
    const int savedErrno = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    // A full pipe already holds a request to end: this one may be dropped.
    (void)!::write(g_pipe[1], &number, 1);
    errno = savedErrno;
}

bool ignoredAtStart(int signal)
{
    struct sigaction current {};
    return ::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}
}  // namespace

TerminationSignals::TerminationSignals()
{
    if (g_pipe[0] >= 0 || ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_notifier = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &TerminationSignals::readPending);
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (int signal : kSignals)
        if (!ignoredAtStart(signal))
            ::sigaction(signal, &action, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    if (!m_notifier)
        return;
    for (int signal : kSignals)
        if (!ignoredAtStart(signal))
            std::signal(signal, SIG_DFL);
    m_notifier.reset();
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void TerminationSignals::readPending()
{
    unsigned char number = 0;
    while (::read(g_pipe[0], &number, 1) == 1)
        if (m_receiver)
            m_receiver(number);
}

const char* TerminationSignals::Name(int signal)
{
    switch (signal) {
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    case SIGINT: return "SIGINT";
    default: return "a signal";
    }
}
