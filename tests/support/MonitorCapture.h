#pragma once

#include <QProcess>
#include <QTemporaryDir>

#include <cstdint>
#include <vector>

// Records what a sound server's sink plays, from its monitor, with parec
// at a 5 ms latency (a monitor misses the first latency's worth of a stream
// that starts), as mono 16-bit samples into a file of its own.
class MonitorCapture {
public:
    explicit MonitorCapture(int rate, const char* monitor = "null.monitor");
    ~MonitorCapture();

    MonitorCapture(const MonitorCapture&) = delete;
    MonitorCapture& operator=(const MonitorCapture&) = delete;

    // Starts recording and returns once samples arrive; false when parec
    // cannot record.
    bool Start(int timeoutMs = 5000);
    // Ends the recording and gives every sample recorded.
    std::vector<std::int16_t> Stop();

private:
    QString recordingPath() const;

    int m_rate;
    QString m_monitor;
    QTemporaryDir m_dir;
    QProcess m_parec;
};
