#include "player/PlayerFixture.h"

#include "joblist/SegmentMarker.h"

#include <QElapsedTimer>
#include <QSignalSpy>

#include <algorithm>

namespace korvex::test {

PlayerTest::PlayerTest()
{
    m_preview = &bench().attachPreview(m_output);
    QObject::connect(m_preview, &PreviewPlayer::blockQueued, m_preview,
                     [this](qint64 first, const SampleArray &block) { queued.append({first, block}); });
    QObject::connect(&bench().skin(), &SkinFace::redrawRequested, m_preview, [this](const QString &name) {
        if (name == QLatin1String("timecaption"))
            captions.append(caption());
    });
    // connected after the player's own handler: counts ticks it has shown
    QObject::connect(&m_output, &IAudioPlayer2::OnTimer, m_preview, [this] { ++m_ticks; });
}

void PlayerTest::clickFile(int row)
{
    bench().jobs().selectFileRow(row);
    bench().editor().lvClick();
}

void PlayerTest::clickSegment(int row)
{
    bench().jobs().selectSegmentRow(row);
    bench().marker().lv_timeClick();
}

void PlayerTest::pressSlider()
{
    skin().reportMouseDown(QStringLiteral("pb"), Qt::LeftButton, 0, 0);
}

void PlayerTest::moveSlider(int position)
{
    setSlider(position);
    skin().reportScrollTrack(QStringLiteral("pb"), position);
}

void PlayerTest::releaseSlider()
{
    skin().reportMouseUp(QStringLiteral("pb"), Qt::LeftButton, 0, 0);
}

bool PlayerTest::waitFor(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QSignalSpy redraws(&bench().skin(), &SkinFace::redrawRequested);
        redraws.wait(250);
    }
    return true;
}

bool PlayerTest::waitForBlocks(qsizetype count)
{
    QSignalSpy blocks(m_preview, &PreviewPlayer::blockQueued);
    QElapsedTimer clock;
    clock.start();
    while (queued.size() < count) {
        if (clock.elapsed() > 30000)
            return false;
        blocks.wait(250);
    }
    return true;
}

bool PlayerTest::askUntilTheEmptyBlock(qsizetype from)
{
    const auto ended = [this, from] {
        return std::any_of(queued.cbegin() + std::min(from, queued.size()), queued.cend(),
                           [](const Queued &arrival) { return arrival.block.isEmpty(); });
    };
    while (!ended()) {
        const qsizetype before = queued.size();
        preview().AudioPlayer21RequestOnLoadArray();
        if (!waitForBlocks(before + 1))
            return false;
    }
    return true;
}

bool PlayerTest::waitForTicks(int ticks)
{
    const int until = m_ticks + ticks;
    return waitFor([this, until] { return m_ticks >= until; });
}

} // namespace korvex::test
