#include "support/PulseNullSink.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

#include <cstring>
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
    m_recorder.stop();
    m_server.stop();
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
    // -n: no default configuration, only these two modules. As root the
    // server warns and runs. It never outlives the test (see SpawnedProcess).
    // norewinds: a stream that joins makes a sink rewind and mix its first
    // frames into what it had rendered ahead, but the monitor has already
    // handed that to the recorder, so up to the server's buffer of them would
    // reach the sink and never the recording. Without rewinds the stream
    // starts after what was rendered, and the recording holds every frame.
    if (!m_server.start(QStringLiteral("pulseaudio"),
                        {QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                         QStringLiteral("--use-pid-file=no"), QStringLiteral("--log-level=error"),
                         QStringLiteral("-L"),
                         QStringLiteral("module-null-sink sink_name=%1 rate=%2 channels=%3 format=float32le norewinds=1")
                             .arg(QLatin1String(SinkName)).arg(Rate).arg(Channels),
                         QStringLiteral("-L"),
                         QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=%1").arg(socket)},
                        environment))
        return QStringLiteral("pulseaudio did not start");
    if (!waitUntil([&] { return QFileInfo::exists(socket) || !m_server.running(); }, 10000) || !m_server.running())
        return QStringLiteral("pulseaudio did not come up");
    const QByteArray server = "unix:" + socket.toLocal8Bit();
    environment.insert(QStringLiteral("PULSE_SERVER"), QString::fromLocal8Bit(server));
    m_environment = environment;
    // The socket is there before the server answers on it.
    const auto answers = [&environment] {
        SpawnedProcess info;
        return info.start(QStringLiteral("pactl"), {QStringLiteral("info")}, environment) && info.waitForExit(5000) == 0;
    };
    if (!waitUntil(answers, 10000))
        return QStringLiteral("pulseaudio does not answer");
    qputenv("PULSE_SERVER", server);
    return QString();
}

bool PulseNullSink::startRecording()
{
    m_recording = m_runtime.filePath(QStringLiteral("monitor.raw"));
    return m_recorder.start(QStringLiteral("parec"),
                            {QStringLiteral("--device=%1.monitor").arg(QLatin1String(SinkName)), QStringLiteral("--raw"),
                             QStringLiteral("--format=float32le"), QStringLiteral("--rate=%1").arg(Rate),
                             QStringLiteral("--channels=%1").arg(Channels), QStringLiteral("--latency-msec=20")},
                            m_environment, m_recording)
        && recordFurther(Rate / 10, 10000);
}

qint64 PulseNullSink::recordedBytes() const
{
    return QFileInfo(m_recording).size();
}

qint64 PulseNullSink::recordedFrames() const
{
    return recordedBytes() / (Channels * qint64(sizeof(float)));
}

bool PulseNullSink::recordFurther(qint64 frames, int timeoutMs)
{
    const qint64 target = recordedBytes() + frames * Channels * qint64(sizeof(float));
    return waitUntil([&] { return recordedBytes() >= target; }, timeoutMs);
}

QList<float> PulseNullSink::stopRecording()
{
    m_recorder.stop();
    QFile file(m_recording);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    QList<float> samples(bytes.size() / qsizetype(sizeof(float)));
    std::memcpy(samples.data(), bytes.constData(), size_t(samples.size()) * sizeof(float));
    return samples;
}

} // namespace korvex::test
