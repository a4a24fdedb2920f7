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

    QList<float> straightFrames(qint64 first, qint64 frames) const
    {
        return m_straight.samples.mid(first * 2, frames * 2);
    }

    struct Arrival
    {
        qint64 firstFrame;
        SampleArray block;
    };

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
    for (int i = 0; i < 6; ++i)
        m_reader.request();
    ASSERT_TRUE(waitForBlocks(4));
    QCoreApplication::processEvents();
    ASSERT_EQ(m_blocks.size(), 4) << "nothing after the empty block";
    EXPECT_EQ(m_blocks[0].firstFrame, first);
    EXPECT_EQ(m_blocks[1].firstFrame, first + Block);
    EXPECT_EQ(m_blocks[2].firstFrame, first + 2 * Block);
    EXPECT_EQ(m_blocks[2].block.frameCount(2), end - first - 2 * Block);
    EXPECT_TRUE(m_blocks[3].block.isEmpty());
    const QList<float> handed = m_blocks[0].block.samples() + m_blocks[1].block.samples() + m_blocks[2].block.samples();
    EXPECT_TRUE(handed == straightFrames(first, end - first));

    // to the file's end: the last block is short, the empty one follows
    m_blocks.clear();
    m_reader.start(9 * Rate);
    m_reader.request();
    m_reader.request();
    ASSERT_TRUE(waitForBlocks(2));
    EXPECT_TRUE(m_blocks[0].block.samples() == straightFrames(9 * Rate, 2 * Rate));
    EXPECT_TRUE(m_blocks[1].block.isEmpty());
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
    EXPECT_TRUE(m_blocks[1].block.samples() == straightFrames(5 * Rate, Block));

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
    m_reader.request();
    ASSERT_TRUE(waitForBlocks(atClose + 1));
    EXPECT_TRUE(m_blocks.last().block.samples() == straightFrames(2 * Rate, Rate));
}

} // namespace
