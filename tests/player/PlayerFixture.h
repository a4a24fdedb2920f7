#pragma once

#include "components/AudioFile.h"
#include "components/AudioTransform.h"
#include "components/SdlAudioPlayer.h"
#include "core/Core.h"
#include "support/AudioFixtures.h"
#include "support/RecordingSeams.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>

// Readable QString values in gtest's failure messages.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace korvex::test {

// A session's core with the preview player attached to a real SDL player
// (the dummy driver under ctest, which plays in real time into nowhere), the
// seams recorded and generated audio in a temporary folder. The user's slider
// drags arrive through the skin's core side, as the window reports them.
class PlayerTest : public ::testing::Test
{
protected:
    PlayerTest();

    Core &bench() { return *m_bench; }
    PreviewPlayer &preview() { return *m_preview; }
    PlayerState &state() { return m_bench->player(); }
    SkinFace &skin() { return m_bench->skin(); }

    // A generated file; 8 kHz mono WAV unless told otherwise (quick to make
    // and to measure, exact in length).
    QString makeFile(const QString &name, int seconds, int rate = 8000, int channels = 1);
    // Adds the files as "Add File" does; every one must be accepted.
    void add(const QStringList &paths);
    // Clicks as the user gives them on the two lists.
    void clickFile(int row);
    void clickSegment(int row);

    int sliderPosition() { return skin().position(QStringLiteral("pb")); }
    int positionMax() { return skin().maxPosition(QStringLiteral("pb")); }
    void setSlider(int position) { skin().setPosition(QStringLiteral("pb"), position); }
    QString caption() { return skin().text(QStringLiteral("timecaption")); }
    QStringList statuses();

    // The user's drag of "pb": a press, the slider moved to the position,
    // then the release (each step optional, for tests that stop between).
    void pressSlider();
    void moveSlider(int position);
    void releaseSlider();

    // Runs the event loop until done() holds, waking with every redraw of the
    // skin (the player's ticks redraw "pb") and at least every 250 ms.
    bool waitFor(const std::function<bool()> &done, int timeoutMs = 30000);
    // Until the player's next tick has been shown.
    bool waitForTicks(int ticks);

    struct Queued
    {
        qint64 firstFrame;
        SampleArray block;
    };
    QList<Queued> queued;    // every block handed to the player
    QStringList captions;    // every text shown on "timecaption"

    TestFolder m_folder;
    RecordingSeams m_seams;
    AudioFile m_reader;
    AudioFile m_writer;
    AudioTransform m_transform;
    SdlAudioPlayer m_output;

private:
    std::unique_ptr<Core> m_bench;
    PreviewPlayer *m_preview = nullptr;
    int m_ticks = 0;
};

} // namespace korvex::test
