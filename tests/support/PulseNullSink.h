#pragma once

#include "support/SpawnedProcess.h"

#include <QList>
#include <QString>
#include <QTemporaryDir>

namespace korvex::test {

// A PulseAudio server of the test's own, in a private runtime folder, whose
// only sink plays into nothing at 44.1 kHz stereo float and never rewinds,
// and a recorder of that sink's monitor: what the sink is given, sample by
// sample, from a stream's first frame on. This
// process's PulseAudio clients (SDL among them) talk to it once it runs.
class PulseNullSink
{
public:
    static constexpr int Rate = 44100;
    static constexpr int Channels = 2;

    PulseNullSink();
    ~PulseNullSink();

    // Empty when the server runs; otherwise why it does not (no pulseaudio
    // or parec installed, or the server did not come up).
    QString start();
    // Starts recording the monitor and returns once it delivers.
    bool startRecording();
    // Until `frames` more have been recorded (the sink's clock runs in real
    // time); false after the timeout.
    bool recordFurther(qint64 frames, int timeoutMs);
    // Ends the recording and returns it, interleaved.
    QList<float> stopRecording();
    // Frames recorded so far: the sink's clock, a recorder's latency late.
    qint64 recordedFrames() const;

private:
    qint64 recordedBytes() const;

    QTemporaryDir m_runtime;
    SpawnedProcess m_server;
    SpawnedProcess m_recorder;
    QProcessEnvironment m_environment;
    QString m_recording;
};

} // namespace korvex::test
