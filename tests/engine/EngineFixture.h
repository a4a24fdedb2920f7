#pragma once

#include "components/AudioFile.h"
#include "components/AudioTransform.h"
#include "components/MessagePump.h"
#include "core/Core.h"
#include "support/AudioFixtures.h"
#include "support/RecordingSeams.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

// Readable QString values in gtest's failure messages.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace korvex::test {

// A whole engine on real components, with the seams recorded, a settings file
// and an output folder inside a temporary folder.
class EngineTest : public ::testing::Test
{
protected:
    EngineTest();

    Core &bench() { return *m_bench; }
    Settings &settings() { return m_bench->settings(); }
    QString outputFolder() const { return m_output; }

    // A tone of `seconds` written as a WAV file (fast to make and exact).
    QString makeTone(const QString &name, double seconds, int rate = 44100, int channels = 2);
    // Adds the files as "Add File" does; every one must be accepted.
    void add(const QStringList &paths);
    // The files in the output folder, by name.
    QStringList outputNames() const;
    QString output(const QString &name) const { return m_output + name; }
    // Status words of lv_time, in row order.
    QStringList statuses();

    TestFolder m_folder;
    RecordingSeams m_seams;
    AudioFile m_reader;
    AudioFile m_writer;
    AudioTransform m_transform;

private:
    QString m_output;
    std::unique_ptr<Core> m_bench;
};

// Installs a message pump hook for one test: the hook stands where the window
// would handle a click during a run.
struct PumpHookScope
{
    explicit PumpHookScope(MessagePumpHook hook) { SetMessagePumpHook(std::move(hook)); }
    ~PumpHookScope() { SetMessagePumpHook({}); }
    PumpHookScope(const PumpHookScope &) = delete;
    PumpHookScope &operator=(const PumpHookScope &) = delete;
};

// Frames of a decoded file with a tolerance of one codec frame: the encoder
// works in frames of 2048 samples.
inline constexpr qint64 CodecFrame = 2048;

// The frames a file holds, as a reader that trims the encoder's padding
// delivers them (a plain decode of ASF keeps up to a codec frame of padding).
qint64 audioFrames(const QString &path);

// Root mean square of the first channel over frames [from, from + count).
double channelRms(const DecodedAudio &audio, qint64 from, qint64 count);

} // namespace korvex::test
