#include "support/AudioFixtures.h"
#include "components/KorvexError.h"
#include "components/WmaEncoderPool.h"

#include <gtest/gtest.h>

using namespace korvex;
using namespace korvex::test;

namespace {

struct Packet
{
    qint64 pts = 0;
    QByteArray bytes;
    bool operator==(const Packet &) const = default;
};

struct Encoded
{
    std::vector<Packet> packets;
    qint64 cuts = 0;
};

struct Layout
{
    int workers = 1;
    int chunkFrames = 1 << 20;
    bool ownerEncodes = false;
};

// Pushes the audio as the writer does, block after block, with a stretch of
// silence after the first 20000 frames; blocks are ranges of one shared list.
Encoded encode(const QList<float> &samples, Layout layout, qint64 blockFrames = 20000)
{
    Encoded encoded;
    WmaEncoderPool pool(wmaProfile(10), layout.workers, layout.chunkFrames, layout.ownerEncodes,
                        [&encoded](AVPacket *packet) {
                            encoded.packets.push_back(
                                {packet->pts, QByteArray(reinterpret_cast<const char *>(packet->data), packet->size)});
                        });
    auto pushRange = [&pool, &samples, blockFrames](qint64 from, qint64 to) {
        for (qint64 at = from; at < to; at += blockFrames)
            pool.pushInterleaved(samples, at, std::min(blockFrames, to - at));
    };
    const qint64 frames = samples.size() / 2;
    pushRange(0, 20000);
    pool.pushSilence(3000);
    pushRange(20000, frames);
    pool.finish();
    encoded.cuts = pool.cuts();
    return encoded;
}

} // namespace

// An idle encoder takes over the second half of what another has left of its
// chunk; the packets must still be the very ones a single encoder makes, in
// order, with the same timestamps.
TEST(WmaEncoderPool, ChunksCutWhileEncodedGiveThePacketsOfOnePass)
{
    const QList<float> samples = generateSamples(noiseSpec(44100, 2, 600000, 0.5f, 3));
    const Encoded single = encode(samples, {});
    ASSERT_GT(single.packets.size(), 290u);
    EXPECT_EQ(single.cuts, 0);
    for (qsizetype i = 1; i < qsizetype(single.packets.size()); ++i)
        ASSERT_EQ(single.packets[i].pts - single.packets[i - 1].pts, 2048) << i;
    // Whether a chunk is cut depends on timing: a few tries make sure one is.
    qint64 cuts = 0;
    for (int attempt = 0; attempt < 20 && cuts == 0; ++attempt) {
        const Encoded shared = encode(samples, {1, 1 << 20, true});
        ASSERT_EQ(shared.packets.size(), single.packets.size());
        EXPECT_TRUE(shared.packets == single.packets) << "attempt " << attempt << ", " << shared.cuts << " cuts";
        cuts += shared.cuts;
    }
    EXPECT_GT(cuts, 0) << "no chunk was ever cut";
}

// Blocks of any length, down to a frame at a time, and chunks of a few
// frames: the frames are assembled across block and chunk edges.
TEST(WmaEncoderPool, BlockAndChunkEdgesDoNotShowInThePackets)
{
    const QList<float> samples = generateSamples(noiseSpec(44100, 2, 50000, 0.5f, 9));
    const Encoded single = encode(samples, {});
    for (const qint64 blockFrames : {1LL, 777LL, 2048LL, 44100LL}) {
        SCOPED_TRACE(blockFrames);
        EXPECT_TRUE(encode(samples, {2, 3, true}, blockFrames).packets == single.packets);
    }
}

TEST(WmaEncoderPool, ARangeOutsideItsBlockIsRefused)
{
    const QList<float> samples(2000, 0.1f);
    WmaEncoderPool pool(wmaProfile(10), 1, 8, false, [](AVPacket *) {});
    EXPECT_THROW(pool.pushInterleaved(samples, 900, 101), KorvexError);
    EXPECT_THROW(pool.pushInterleaved(samples, -1, 10), KorvexError);
    pool.pushInterleaved(samples, 900, 100);
    EXPECT_EQ(pool.framesPushed(), 100);
    pool.finish();
}

// A sink that fails stops the encoders; finish() reports it instead of
// waiting for packets that will never be taken.
TEST(WmaEncoderPool, ASinkThatFailsEndsTheEncodingWithItsReason)
{
    const QList<float> samples = generateSamples(noiseSpec(44100, 2, 200000, 0.5f, 5));
    int taken = 0;
    WmaEncoderPool pool(wmaProfile(10), 2, 4, true, [&taken](AVPacket *) {
        if (++taken == 10)
            throw KorvexError(QStringLiteral("The disk is full."));
    });
    try {
        for (qint64 at = 0; at < 100000; at += 10000)
            pool.pushInterleaved(samples, at, 10000);
        pool.finish();
        FAIL() << "the failure was not reported";
    } catch (const KorvexError &error) {
        EXPECT_EQ(error.text(), QStringLiteral("The disk is full."));
    }
    EXPECT_EQ(taken, 10);
}
