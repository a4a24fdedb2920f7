#include "support/PulseNullSink.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

#include <csignal>
#include <cstring>
#include <sys/prctl.h>
#include <functional>

namespace korvex::test {

namespace {

const char *const SinkName = "korvex_null";

// Waits for something another process does; the event loop runs meanwhile.
bool waitUntil(const std::function<bool()> &done, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(10);
    }
    return true;
}

} // namespace

PulseNullSink::PulseNullSink() = default;

PulseNullSink::~PulseNullSink()
{
    for (QProcess *process : {&m_recorder, &m_server}) {
        if (process->state() == QProcess::NotRunning)
            continue;
        process->terminate();
        if (!process->waitForFinished(5000)) {
            process->kill();
            process->waitForFinished(5000);
        }
    }
}

QString PulseNullSink::start()
{
    for (const char *program : {"pulseaudio", "parec"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty())
            return QStringLiteral("%1 is not installed (Debian: pulseaudio, pulseaudio-utils)").arg(program);
    }
    if (!m_runtime.isValid())
        return QStringLiteral("no temporary folder");
    const QString socket = m_runtime.filePath(QStringLiteral("native"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
    environment.insert(QStringLiteral("HOME"), m_runtime.path());
    environment.remove(QStringLiteral("PULSE_SERVER"));
    m_server.setProcessEnvironment(environment);
    // The server must never outlive a test that dies (a sanitizer halts it):
    // it goes with its parent, and holds none of the test's output pipes,
    // which the test runner waits on.
    m_server.setStandardOutputFile(QProcess::nullDevice());
    m_server.setStandardErrorFile(QProcess::nullDevice());
    m_server.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    // -n: no default configuration, only these two modules. As root the
    // server warns and runs.
    m_server.start(QStringLiteral("pulseaudio"),
                   {QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                    QStringLiteral("--use-pid-file=no"), QStringLiteral("--log-level=error"),
                    QStringLiteral("-L"),
                    QStringLiteral("module-null-sink sink_name=%1 rate=%2 channels=%3 format=float32le")
                        .arg(QLatin1String(SinkName)).arg(Rate).arg(Channels),
                    QStringLiteral("-L"),
                    QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=%1").arg(socket)});
    if (!m_server.waitForStarted(5000))
        return QStringLiteral("pulseaudio did not start: %1").arg(m_server.errorString());
    if (!waitUntil([&] { return QFileInfo::exists(socket) || m_server.state() == QProcess::NotRunning; }, 10000)
        || m_server.state() == QProcess::NotRunning)
        return QStringLiteral("pulseaudio did not come up");
    const QByteArray server = "unix:" + socket.toLocal8Bit();
    environment.insert(QStringLiteral("PULSE_SERVER"), QString::fromLocal8Bit(server));
    m_recorder.setProcessEnvironment(environment);
    // The socket is there before the server answers on it.
    const auto answers = [&environment] {
        QProcess info;
        info.setProcessEnvironment(environment);
        info.start(QStringLiteral("pactl"), {QStringLiteral("info")});
        return info.waitForFinished(5000) && info.exitStatus() == QProcess::NormalExit && info.exitCode() == 0;
    };
    if (!waitUntil(answers, 10000))
        return QStringLiteral("pulseaudio does not answer");
    qputenv("PULSE_SERVER", server);
    return QString();
}

bool PulseNullSink::startRecording()
{
    m_recording = m_runtime.filePath(QStringLiteral("monitor.raw"));
    m_recorder.setStandardOutputFile(m_recording);
    m_recorder.setProcessChannelMode(QProcess::SeparateChannels);
    m_recorder.start(QStringLiteral("parec"),
                     {QStringLiteral("--device=%1.monitor").arg(QLatin1String(SinkName)), QStringLiteral("--raw"),
                      QStringLiteral("--format=float32le"), QStringLiteral("--rate=%1").arg(Rate),
                      QStringLiteral("--channels=%1").arg(Channels), QStringLiteral("--latency-msec=20")});
    return m_recorder.waitForStarted(5000) && recordFurther(Rate / 10, 10000);
}

qint64 PulseNullSink::recordedBytes() const
{
    return QFileInfo(m_recording).size();
}

bool PulseNullSink::recordFurther(qint64 frames, int timeoutMs)
{
    const qint64 target = recordedBytes() + frames * Channels * qint64(sizeof(float));
    return waitUntil([&] { return recordedBytes() >= target; }, timeoutMs);
}

QList<float> PulseNullSink::stopRecording()
{
    m_recorder.terminate();
    m_recorder.waitForFinished(5000);
    QFile file(m_recording);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    QList<float> samples(bytes.size() / qsizetype(sizeof(float)));
    std::memcpy(samples.data(), bytes.constData(), size_t(samples.size()) * sizeof(float));
    return samples;
}

} // namespace korvex::test
