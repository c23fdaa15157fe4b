#include "PulseTestServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <csignal>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace {
bool canConnect(const QString& socketPath)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(socketPath);
    std::strncpy(address.sun_path, path.constData(), sizeof(address.sun_path) - 1);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    ::close(fd);
    return ok;
}
}

PulseTestServer::PulseTestServer() = default;

PulseTestServer::~PulseTestServer() { stop(); }

void PulseTestServer::forbidAutospawn(const QString& dir)
{
    const QString config = dir + "/client.conf";
    QFile file(config);
    if (file.open(QIODevice::WriteOnly)) file.write("autospawn = no\n");
    qputenv("PULSE_CLIENTCONFIG", QFile::encodeName(config));
}

bool PulseTestServer::start(int timeoutMs)
{
    if (!m_dir.isValid()) return false;
    const QString root = m_dir.path();
    QDir().mkpath(root + "/home");
    QDir().mkpath(root + "/run");
    QFile::setPermissions(root + "/run", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QString socket = root + "/native";

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", root + "/home");
    env.insert("XDG_RUNTIME_DIR", root + "/run");
    env.remove("PULSE_SERVER");
    m_process.setProcessEnvironment(env);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    // A test that crashes must not leave its server running.
    m_process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_process.start("pulseaudio", {"--daemonize=no", "--exit-idle-time=-1", "-n", "--use-pid-file=no", "-L",
                                   "module-native-protocol-unix socket=" + socket + " auth-anonymous=1", "-L",
                                   "module-null-sink sink_name=null", "-L",
                                   "module-sine-source source_name=sine frequency=440"});
    if (!m_process.waitForStarted(timeoutMs)) return false;

    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        if (m_process.state() != QProcess::Running) break;
        if (canConnect(socket)) {
            forbidAutospawn(root);
            qputenv("PULSE_SERVER", QFile::encodeName("unix:" + socket));
            return true;
        }
        QThread::msleep(20);
    }
    stop();
    return false;
}

bool PulseTestServer::suspend()
{
    return m_process.state() == QProcess::Running && ::kill(pid_t(m_process.processId()), SIGSTOP) == 0;
}

bool PulseTestServer::resume()
{
    return m_process.state() == QProcess::Running && ::kill(pid_t(m_process.processId()), SIGCONT) == 0;
}

void PulseTestServer::stop()
{
    if (m_process.state() != QProcess::NotRunning) {
        resume();  // a frozen server would not see the terminate
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    m_log += QString::fromLocal8Bit(m_process.readAll());
    qunsetenv("PULSE_SERVER");
}
