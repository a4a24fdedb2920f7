#include "player/PlayerFixture.h"

#include "joblist/SegmentMarker.h"

#include <QElapsedTimer>
#include <QSignalSpy>

#include <cmath>

namespace korvex::test {

PlayerTest::PlayerTest()
    : m_bench(std::make_unique<Core>(RunAudio{m_reader, m_writer, m_transform}, m_seams.seams()))
{
    m_preview = &m_bench->attachPreview(m_output);
    QObject::connect(m_preview, &PreviewPlayer::blockQueued, m_preview,
                     [this](qint64 first, const SampleArray &block) { queued.append({first, block}); });
    QObject::connect(&m_bench->skin(), &SkinFace::redrawRequested, m_preview, [this](const QString &name) {
        if (name == QLatin1String("timecaption"))
            captions.append(caption());
    });
    // connected after the player's own handler: counts ticks it has shown
    QObject::connect(&m_output, &IAudioPlayer2::OnTimer, m_preview, [this] { ++m_ticks; });
}

QString PlayerTest::makeFile(const QString &name, int seconds, int rate, int channels)
{
    AudioSpec tone = sineSpec(rate, channels, qint64(seconds) * rate);
    const QString path = m_folder.file(name);
    writeAudioFile(path, tone);
    return path;
}

void PlayerTest::add(const QStringList &paths)
{
    const int before = m_bench->jobs().rowCount();
    m_seams.dialogs.openAnswer = paths;
    m_bench->adder().AddFiles();
    ASSERT_EQ(m_bench->jobs().rowCount(), before + paths.size())
        << m_seams.messages.errors.join(QLatin1Char('\n')).toStdString();
}

void PlayerTest::clickFile(int row)
{
    m_bench->jobs().selectFileRow(row);
    m_bench->editor().lvClick();
}

void PlayerTest::clickSegment(int row)
{
    m_bench->jobs().selectSegmentRow(row);
    m_bench->marker().lv_timeClick();
}

QStringList PlayerTest::statuses()
{
    QStringList words;
    const SegmentListModel &rows = *m_bench->jobs().segmentModel();
    for (int row = 0; row < rows.rowCount(); ++row)
        words.append(rows.status(row));
    return words;
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
        QSignalSpy redraws(&m_bench->skin(), &SkinFace::redrawRequested);
        redraws.wait(250);
    }
    return true;
}

bool PlayerTest::waitForTicks(int ticks)
{
    const int until = m_ticks + ticks;
    return waitFor([this, until] { return m_ticks >= until; });
}

} // namespace korvex::test
