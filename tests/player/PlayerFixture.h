#pragma once

#include "components/SdlAudioPlayer.h"
#include "support/AudioFixtures.h"
#include "support/CoreFixture.h"

#include <functional>

namespace korvex::test {

// The SDL player comes first, so that it outlives the core whose preview
// player plays through it.
struct SdlOutput
{
    SdlAudioPlayer m_output;
};

// A session's core with the preview player attached to a real SDL player
// (the dummy driver under ctest, which plays in real time into nowhere), the
// seams recorded and generated audio in a temporary folder. The user's slider
// drags arrive through the skin's core side, as the window reports them.
class PlayerTest : protected SdlOutput, public CoreTest
{
protected:
    PlayerTest();

    PreviewPlayer &preview() { return *m_preview; }
    PlayerState &state() { return bench().player(); }
    SkinFace &skin() { return bench().skin(); }

    // A generated file; 8 kHz mono WAV unless told otherwise (quick to make
    // and to measure, exact in length).
    QString makeFile(const QString &name, int seconds, int rate = 8000, int channels = 1)
    {
        return makeTone(name, seconds, rate, channels);
    }
    // Clicks as the user gives them on the two lists.
    void clickFile(int row);
    void clickSegment(int row);

    int sliderPosition() { return skin().position(QStringLiteral("pb")); }
    int positionMax() { return skin().maxPosition(QStringLiteral("pb")); }
    void setSlider(int position) { skin().setPosition(QStringLiteral("pb"), position); }
    QString caption() { return skin().text(QStringLiteral("timecaption")); }

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
    // Until `count` blocks in all have been handed to the player: they are
    // read on the preview's own thread and arrive through the event loop.
    bool waitForBlocks(qsizetype count);
    // Asks for block after block, as the player does when its queue runs
    // low, until the empty one that ends the stretch has been handed over
    // (among the blocks from `from` on).
    bool askUntilTheEmptyBlock(qsizetype from);

    struct Queued
    {
        qint64 firstFrame;
        SampleArray block;
    };
    QList<Queued> queued;    // every block handed to the player
    QStringList captions;    // every text shown on "timecaption"

private:
    PreviewPlayer *m_preview = nullptr;
    int m_ticks = 0;
};

} // namespace korvex::test
