#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A private PulseAudio server with no sound card: a null sink and a 440 Hz
// sine source as the default input. start() points this process's clients
// at it (PULSE_SERVER) and forbids autospawning another server.
class PulseTestServer {
public:
    PulseTestServer();
    ~PulseTestServer();

    PulseTestServer(const PulseTestServer&) = delete;
    PulseTestServer& operator=(const PulseTestServer&) = delete;

    bool start(int timeoutMs = 10000);
    void stop();
    // Freezes the server (SIGSTOP) as a hung one would be, and thaws it.
    bool suspend();
    bool resume();
    QString log() const { return m_log; }
    // The server's process, for a signal from another thread.
    qint64 processId() const { return m_process.processId(); }
    // Writes a client configuration without autospawn and sets
    // PULSE_CLIENTCONFIG to it, so a missing server is not started for us.
    static void forbidAutospawn(const QString& dir);

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_log;
};
