// The preview's reader thread: what it hands over, in which order, and that
// nothing of an earlier start comes after a new one or after a close.
#include "player/PreviewReader.h"

#include "support/AudioFixtures.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace korvex;
using namespace korvex::test;

namespace {

constexpr int Rate = 8000;
constexpr qint64 Block = 4 * Rate;

class PreviewReaderTest : public ::testing::Test
{
protected:
    PreviewReaderTest()
    {
        m_path = m_folder.file(QStringLiteral("noise.flac"));
        writeAudioFile(m_path, noiseSpec(Rate, 2, 11 * Rate));
        m_straight = decodeFile(m_path);
        QObject::connect(&m_reader, &PreviewReader::blockRead, &m_reader,
                         [this](qint64 first, const SampleArray &block) { m_blocks.append({first, block}); });
        QObject::connect(&m_reader, &PreviewReader::readFailed, &m_reader,
                         [this](const QString &text) { m_failures.append(text); });
    }

    // Until `count` blocks have come in all.
    bool waitForBlocks(qsizetype count)
    {
        QSignalSpy arrivals(&m_reader, &PreviewReader::blockRead);
        while (m_blocks.size() < count) {
            if (!arrivals.wait(10000))
                return false;
        }
        return true;
    }

    struct Arrival
    {
        qint64 firstFrame;
        SampleArray block;
    };

    // Asks block after block until the empty one comes; the blocks before it.
    QList<Arrival> blocksOfTheStretch()
    {
        const qsizetype before = m_blocks.size();
        do {
            const qsizetype wanted = m_blocks.size() + 1;
            m_reader.request();
            if (!waitForBlocks(wanted))
                return {};
        } while (!m_blocks.last().block.isEmpty());
        return m_blocks.mid(before, m_blocks.size() - before - 1);
    }

    static void expectJoinedUp(const QList<Arrival> &blocks, qint64 first)
    {
        for (const Arrival &arrival : blocks) {
            EXPECT_EQ(arrival.firstFrame, first);
            first += arrival.block.frameCount(2);
        }
    }

    static QList<float> handedSamples(const QList<Arrival> &blocks)
    {
        QList<float> samples;
        for (const Arrival &arrival : blocks)
            samples += arrival.block.samples();
        return samples;
    }

    QList<float> straightFrames(qint64 first, qint64 frames) const
    {
        return m_straight.samples.mid(first * 2, frames * 2);
    }

    TestFolder m_folder;
    QString m_path;
    DecodedAudio m_straight;
    PreviewReader m_reader{Block};
    QList<Arrival> m_blocks;
    QStringList m_failures;
};

// Asked for more than there is: the blocks join up, stop at the stretch's
// end frame, and one empty block says that nothing more comes.
TEST_F(PreviewReaderTest, HandsOverTheStretchInBlocksUpToItsEndThenOneEmptyBlock)
{
    m_reader.open(m_path);
    ASSERT_EQ(m_reader.length(), 11 * Rate);
    ASSERT_EQ(m_straight.frames(), 11 * Rate);
    const qint64 first = Rate / 2;
    const qint64 end = 10 * Rate + 123;
    m_reader.start(first, end);
    const QList<Arrival> stretch = blocksOfTheStretch();
    ASSERT_GE(stretch.size(), 4);
    expectJoinedUp(stretch, first);
    EXPECT_EQ(stretch[0].block.frameCount(2), Block / PreviewReader::FirstBlockDivisor) << "a short first block";
    EXPECT_EQ(stretch[1].block.frameCount(2), stretch[0].block.frameCount(2) * PreviewReader::BlockGrowth);
    for (const Arrival &arrival : stretch)
        EXPECT_LE(arrival.block.frameCount(2), Block);
    EXPECT_TRUE(handedSamples(stretch) == straightFrames(first, end - first));
    m_reader.request();
    QCoreApplication::processEvents();
    EXPECT_EQ(m_blocks.size(), stretch.size() + 1) << "nothing after the empty block";

    // to the file's end: the last block is short, the empty one follows
    m_blocks.clear();
    m_reader.start(9 * Rate);
    const QList<Arrival> toTheEnd = blocksOfTheStretch();
    expectJoinedUp(toTheEnd, 9 * Rate);
    EXPECT_TRUE(handedSamples(toTheEnd) == straightFrames(9 * Rate, 2 * Rate));
    EXPECT_TRUE(m_failures.isEmpty());
}

// The worker reads ahead of what was asked for; a new start (a seek) throws
// that away, and a close lets go of the file with nothing left to arrive.
TEST_F(PreviewReaderTest, NothingOfAnEarlierStartArrivesAfterANewStartOrAClose)
{
    m_reader.open(m_path);
    m_reader.start(0);
    m_reader.request();
    ASSERT_TRUE(waitForBlocks(1));
    EXPECT_EQ(m_blocks[0].firstFrame, 0);

    m_reader.start(5 * Rate);
    m_reader.request();
    ASSERT_TRUE(waitForBlocks(2));
    EXPECT_EQ(m_blocks[1].firstFrame, 5 * Rate);
    ASSERT_GT(m_blocks[1].block.frameCount(2), 0);
    EXPECT_TRUE(m_blocks[1].block.samples() == straightFrames(5 * Rate, m_blocks[1].block.frameCount(2)));

    // asked and closed at once: a block read ahead may be handed over at
    // once, but the read that was under way is dropped
    m_reader.start(Rate);
    m_reader.request();
    m_reader.request();
    m_reader.close();
    const qsizetype atClose = m_blocks.size();
    EXPECT_FALSE(m_reader.isOpen());
    QCoreApplication::processEvents();
    EXPECT_EQ(m_blocks.size(), atClose);
    EXPECT_TRUE(m_failures.isEmpty());

    // and it opens again afterwards
    m_reader.open(m_path);
    m_reader.start(2 * Rate, 3 * Rate);
    const QList<Arrival> again = blocksOfTheStretch();
    expectJoinedUp(again, 2 * Rate);
    EXPECT_TRUE(handedSamples(again) == straightFrames(2 * Rate, Rate));
}

} // namespace
