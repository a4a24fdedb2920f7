#include "support/PulseNullSink.h"

#include "support/SpawnedProgram.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

#include <QProcessEnvironment>

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
    m_recorder.reset();
    if (m_server && m_server->running()) {
        m_server->terminate();
        m_server->waitForFinished(5000);
    }
    // what still runs is killed as the programs go
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
    // The server and its clients start through posix_spawn (SpawnedProgram):
    // a QProcess would blind ThreadSanitizer to this thread's locks. The
    // server must never outlive a test that dies (a sanitizer halts it):
    // setpriv makes it go with its parent, and it holds none of the test's
    // output pipes, which the test runner waits on. -n: no default
    // configuration, only these two modules. As root the server warns and runs.
    m_server = std::make_unique<SpawnedProgram>();
    if (!m_server->start(QStringLiteral("setpriv"),
                         {QStringLiteral("--pdeathsig"), QStringLiteral("TERM"), QStringLiteral("pulseaudio"),
                          QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
                          QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--use-pid-file=no"),
                          QStringLiteral("--log-level=error"), QStringLiteral("-L"),
                          QStringLiteral("module-null-sink sink_name=%1 rate=%2 channels=%3 format=float32le")
                              .arg(QLatin1String(SinkName))
                              .arg(Rate)
                              .arg(Channels),
                          QStringLiteral("-L"),
                          QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=%1").arg(socket)},
                         environment.toStringList()))
        return QStringLiteral("pulseaudio did not start");
    if (!waitUntil([&] { return QFileInfo::exists(socket) || !m_server->running(); }, 10000) || !m_server->running())
        return QStringLiteral("pulseaudio did not come up: %1").arg(m_server->errors());
    const QByteArray server = "unix:" + socket.toLocal8Bit();
    environment.insert(QStringLiteral("PULSE_SERVER"), QString::fromLocal8Bit(server));
    m_clientEnvironment = environment.toStringList();
    // The socket is there before the server answers on it.
    const auto answers = [this] {
        SpawnedProgram info;
        return info.start(QStringLiteral("pactl"), {QStringLiteral("info")}, m_clientEnvironment)
            && info.waitForFinished(5000) && info.exitedNormally() && info.exitCode() == 0;
    };
    if (!waitUntil(answers, 10000))
        return QStringLiteral("pulseaudio does not answer");
    qputenv("PULSE_SERVER", server);
    return QString();
}

bool PulseNullSink::startRecording()
{
    m_recording = m_runtime.filePath(QStringLiteral("monitor.raw"));
    m_recorder = std::make_unique<SpawnedProgram>();
    // parec writes raw samples into the file it is given
    return m_recorder->start(QStringLiteral("parec"),
                             {QStringLiteral("--device=%1.monitor").arg(QLatin1String(SinkName)),
                              QStringLiteral("--raw"), QStringLiteral("--format=float32le"),
                              QStringLiteral("--rate=%1").arg(Rate), QStringLiteral("--channels=%1").arg(Channels),
                              QStringLiteral("--latency-msec=20"), m_recording},
                             m_clientEnvironment)
        && recordFurther(Rate / 10, 10000);
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
    if (m_recorder) {
        m_recorder->terminate();
        m_recorder->waitForFinished(5000);
    }
    QFile file(m_recording);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    QList<float> samples(bytes.size() / qsizetype(sizeof(float)));
    std::memcpy(samples.data(), bytes.constData(), size_t(samples.size()) * sizeof(float));
    return samples;
}

} // namespace korvex::test
