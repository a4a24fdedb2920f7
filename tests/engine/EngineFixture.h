#pragma once

#include "components/MessagePump.h"
#include "support/AudioFixtures.h"
#include "support/CoreFixture.h"

#include <functional>

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
    // Splits the list into pieces of two seconds. At the check after the
    // first piece is written `behind` changes what it likes without telling
    // the run; after the second, `handed` changes it and hands it over
    // through the core. Returns the outcome; the checkpoint is gone after.
    RunControl::Outcome splitChangedBetweenPieces(const std::function<void()> &behind,
                                                  const std::function<void()> &handed);
    // A second output folder "moved/" in the first, made empty.
    QString movedFolder() const;

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
