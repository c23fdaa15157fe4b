#pragma once

#include <QObject>
#include <functional>
#include <memory>

class QSocketNotifier;

// SIGTERM (logout), SIGHUP (a closed terminal) and SIGINT (Ctrl+C) as calls
// on the GUI thread. The handler only writes the signal's number into a
// pipe; the event loop reads it and calls the receiver there. A signal that
// was ignored when the program started (nohup) stays ignored, and a second
// one of a kind takes its default action, so a program stuck on the way out
// can still be ended.
class TerminationSignals : public QObject {
public:
    TerminationSignals();
    ~TerminationSignals() override;

    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // Who is told; an empty function lets signals wait unanswered.
    void Deliver(std::function<void(int)> receiver) { m_receiver = std::move(receiver); }

    // "SIGTERM" and the like.
    static const char* Name(int signal);

private:
    void readPending();

    std::function<void(int)> m_receiver;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
