#pragma once

#include "components/MessagePump.h"
#include "support/AudioFixtures.h"
#include "support/CoreFixture.h"

namespace korvex::test {

// A whole engine on real components, with the seams recorded, a settings file
// and an output folder inside a temporary folder; one encoder thread.
class EngineTest : public CoreTest
{
protected:
    EngineTest();

    Settings &settings() { return bench().settings(); }
    QString outputFolder() const { return m_output; }

    // The files in the output folder, by name.
    QStringList outputNames() const;
    QString output(const QString &name) const { return m_output + name; }

private:
    QString m_output;
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
