#include "MonitorCapture.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cstring>

MonitorCapture::MonitorCapture(int rate, const char* monitor) : m_rate(rate), m_monitor(monitor) {}

MonitorCapture::~MonitorCapture() { Stop(); }

QString MonitorCapture::recordingPath() const { return m_dir.filePath("monitor.raw"); }

bool MonitorCapture::Start(int timeoutMs)
{
    if (!m_dir.isValid())
        return false;
    m_parec.setStandardOutputFile(recordingPath(), QIODevice::Truncate);
    m_parec.start("parec", {"--latency-msec=5", "-d", m_monitor, "--raw", "--format=s16le",
                            "--rate=" + QString::number(m_rate), "--channels=1"});
    if (!m_parec.waitForStarted(timeoutMs))
        return false;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs && m_parec.state() == QProcess::Running) {
        if (QFileInfo(recordingPath()).size() > 0)
            return true;
        QThread::msleep(10);
    }
    return false;
}

std::vector<std::int16_t> MonitorCapture::Stop()
{
    if (m_parec.state() == QProcess::NotRunning)
        return {};
    m_parec.terminate();
    if (!m_parec.waitForFinished(3000)) {
        m_parec.kill();
        m_parec.waitForFinished(3000);
    }
    QFile file(recordingPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    std::vector<std::int16_t> samples(std::size_t(bytes.size()) / 2);
    std::memcpy(samples.data(), bytes.constData(), samples.size() * 2);
    return samples;
}
