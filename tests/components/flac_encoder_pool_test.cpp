#include "components/EncodedWriter.h"
#include "components/EncoderSetup.h"
#include "components/FlacEncoderPool.h"
#include "components/FlacFrames.h"
#include "components/KorvexError.h"
#include "support/AudioFixtures.h"
#include "support/ExternalTools.h"
#include "support/TempDir.h"

#include <QCryptographicHash>
#include <QFile>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace korvex;
using namespace korvex::test;

namespace {

constexpr int Rate = 44100;

OutputEncoding flacEncoding(int sourceBits = 0)
{
    OutputEncoding encoding;
    encoding.codec = EncodedCodec::Flac;
    encoding.sourceBits = sourceBits;
    return encoding;
}

CodecContextPtr openFlac(int channels)
{
    return OpenEncoder(flacEncoding(), Rate, channels, false);
}

// Noise in 16-bit samples, interleaved: audio no predictor codes away.
std::vector<int16_t> noise16(int channels, qint64 frames)
{
    const QList<float> samples = generateSamples(noiseSpec(Rate, channels, frames));
    std::vector<int16_t> out(size_t(samples.size()));
    std::transform(samples.begin(), samples.end(), out.begin(),
                   [](float sample) { return int16_t(std::lround(sample * 32767.0f)); });
    return out;
}

QByteArray bytesOf(const AVPacket &packet)
{
    return QByteArray(reinterpret_cast<const char *>(packet.data), packet.size);
}

// One encoder, frame after frame: the packets as a single pass makes them.
QList<QByteArray> encodeInOnePass(AVCodecContext &encoder, const int16_t *samples, int channels, int blocks)
{
    QList<QByteArray> packets;
    FramePtr frame = makeFrame();
    PacketPtr packet = makePacket();
    for (int block = 0; block < blocks; ++block) {
        av_frame_unref(frame.get());
        frame->nb_samples = encoder.frame_size;
        frame->format = encoder.sample_fmt;
        frame->sample_rate = encoder.sample_rate;
        av_channel_layout_copy(&frame->ch_layout, &encoder.ch_layout);
        EXPECT_GE(av_frame_get_buffer(frame.get(), 0), 0);
        std::copy_n(samples + size_t(block) * size_t(encoder.frame_size * channels), encoder.frame_size * channels,
                    reinterpret_cast<int16_t *>(frame->data[0]));
        frame->pts = qint64(block) * encoder.frame_size;
        EXPECT_GE(avcodec_send_frame(&encoder, frame.get()), 0);
        while (avcodec_receive_packet(&encoder, packet.get()) >= 0) {
            packets.append(bytesOf(*packet));
            av_packet_unref(packet.get());
        }
    }
    return packets;
}

PacketPtr packetOf(const QByteArray &bytes)
{
    PacketPtr packet = makePacket();
    EXPECT_GE(av_new_packet(packet.get(), int(bytes.size())), 0);
    std::copy(bytes.begin(), bytes.end(), packet->data);
    return packet;
}

// What FFmpeg's FLAC decoder makes of one frame when it checks both
// checksums and refuses any mismatch; empty when it refuses.
QByteArray decodeCheckedFrame(const QByteArray &frameBytes, int channels)
{
    CodecContextPtr decoder(avcodec_alloc_context3(avcodec_find_decoder(AV_CODEC_ID_FLAC)));
    decoder->err_recognition = AV_EF_CRCCHECK | AV_EF_EXPLODE;
    decoder->ch_layout = defaultLayout(channels);
    decoder->sample_rate = Rate;
    if (avcodec_open2(decoder.get(), decoder->codec, nullptr) < 0)
        return {};
    PacketPtr packet = packetOf(frameBytes);
    FramePtr frame = makeFrame();
    if (avcodec_send_packet(decoder.get(), packet.get()) < 0 || avcodec_receive_frame(decoder.get(), frame.get()) < 0)
        return {};
    return QByteArray(reinterpret_cast<const char *>(frame->data[0]),
                      frame->nb_samples * channels * av_get_bytes_per_sample(AVSampleFormat(frame->format)));
}

} // namespace

// An encoder that started at a later block numbers its frames from 0; given
// their places again they are the very frames a single pass makes, and any
// number (one to five bytes long) passes the decoder's checksums.
TEST(FlacFrames, RenumberedFramesAreTheOnesASinglePassMakes)
{
    const int channels = 2;
    CodecContextPtr whole = openFlac(channels);
    const int blockSize = whole->frame_size;
    const std::vector<int16_t> samples = noise16(channels, qint64(blockSize) * 10);
    const QList<QByteArray> onePass = encodeInOnePass(*whole, samples.data(), channels, 10);
    ASSERT_EQ(onePass.size(), 10);

    CodecContextPtr later = openFlac(channels);
    const QList<QByteArray> fromFive = encodeInOnePass(*later, samples.data() + size_t(5 * blockSize * channels),
                                                       channels, 5);
    ASSERT_EQ(fromFive.size(), 5);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(FlacFrameNumber(reinterpret_cast<const uint8_t *>(fromFive[i].constData()), int(fromFive[i].size())), i);
        PacketPtr packet = packetOf(fromFive[i]);
        ASSERT_TRUE(RenumberFlacFrame(*packet, 5 + i));
        EXPECT_TRUE(bytesOf(*packet) == onePass[5 + i]);
    }

    const QByteArray expected = decodeCheckedFrame(onePass[7], channels);
    ASSERT_FALSE(expected.isEmpty());
    for (const qint64 number : {qint64(0), qint64(127), qint64(128), qint64(5000), qint64(70000), qint64(3000000),
                                qint64(0x7fffffff)}) {
        SCOPED_TRACE(number);
        PacketPtr packet = packetOf(onePass[7]);
        ASSERT_TRUE(RenumberFlacFrame(*packet, number));
        EXPECT_EQ(FlacFrameNumber(packet->data, packet->size), number);
        EXPECT_TRUE(decodeCheckedFrame(bytesOf(*packet), channels) == expected);
    }

    // what is not a frame is left alone
    PacketPtr notAFrame = packetOf(QByteArray("ID3\x04 not a frame at all", 24));
    EXPECT_FALSE(RenumberFlacFrame(*notAFrame, 3));
    EXPECT_EQ(bytesOf(*notAFrame), QByteArray("ID3\x04 not a frame at all", 24));
    EXPECT_EQ(FlacFrameNumber(notAFrame->data, notAFrame->size), -1);
}

// However many workers encode the chunks, the sink gets the same packets
// in the same order; a sink that fails stops the pool with its words, and
// nothing reaches it afterwards.
TEST(FlacEncoderPool, WorkersChangeNothingButWhoEncodes)
{
    const int channels = 2;
    const auto open = [] { return openFlac(2); };
    const int blockSize = openFlac(channels)->frame_size;
    // 9.5 chunks of 3 blocks: a short chunk and a short block last
    const std::vector<int16_t> samples = noise16(channels, qint64(blockSize) * 3 * 9 + blockSize * 3 / 2);
    const int frames = int(samples.size()) / channels;
    const auto encodeWith = [&](int workers) {
        QList<QByteArray> packets;
        FlacEncoderPool pool(open, workers, 3, [&packets](AVPacket *packet) { packets.append(bytesOf(*packet)); });
        // pushes of odd sizes, as a converter hands them on
        for (int at = 0; at < frames; at += 1234) {
            const int take = std::min(1234, frames - at);
            pool.push(reinterpret_cast<const uint8_t *>(samples.data() + size_t(at) * channels), take);
        }
        pool.finish();
        EXPECT_EQ(pool.facts().totalSamples, frames);
        return packets;
    };
    const QList<QByteArray> alone = encodeWith(0);
    ASSERT_EQ(alone.size(), 9 * 3 + 2);
    for (int i = 0; i < alone.size(); ++i)
        EXPECT_EQ(FlacFrameNumber(reinterpret_cast<const uint8_t *>(alone[i].constData()), int(alone[i].size())), i);
    EXPECT_TRUE(encodeWith(1) == alone);
    EXPECT_TRUE(encodeWith(3) == alone);

    int delivered = 0;
    FlacEncoderPool failing(open, 2, 1, [&delivered](AVPacket *) {
        if (++delivered == 3)
            throw KorvexError(QStringLiteral("The disk is full."));
    });
    try {
        for (int at = 0; at + blockSize <= frames; at += blockSize)
            failing.push(reinterpret_cast<const uint8_t *>(samples.data() + size_t(at) * channels), blockSize);
        failing.finish();
        ADD_FAILURE() << "the sink's failure was not thrown";
    } catch (const KorvexError &error) {
        EXPECT_EQ(error.text(), QStringLiteral("The disk is full."));
    }
    failing.abandon();
    EXPECT_EQ(delivered, 3);
}

namespace {

QString toolOutput(const QString &program, const QStringList &arguments)
{
    const ToolResult result = RunTool(program, arguments);
    EXPECT_EQ(result.exitCode, 0) << qPrintable(program) << ": " << qPrintable(result.errors);
    return result.output.trimmed();
}

// The MD5 of the file's samples as ffmpeg decodes them, in FLAC's order.
// ffmpeg writes them to a file beside it: a QProcess here would blind
// ThreadSanitizer to this thread's locks for the rest of the test.
QString decodedMd5(const QString &path, const char *rawFormat)
{
    const QString raw = path + QStringLiteral(".raw");
    const ToolResult decode = RunTool(QStringLiteral("ffmpeg"), {"-v", "error", "-y", "-i", path, "-f", rawFormat, raw});
    EXPECT_EQ(decode.exitCode, 0) << qPrintable(decode.errors);
    QFile samples(raw);
    EXPECT_TRUE(samples.open(QIODevice::ReadOnly));
    return QString::fromLatin1(QCryptographicHash::hash(samples.readAll(), QCryptographicHash::Md5).toHex());
}

// The smallest and largest packet ffprobe finds: the frame sizes.
std::pair<int, int> probedFrameSizes(const QString &path)
{
    const QStringList sizes = toolOutput(QStringLiteral("ffprobe"), {"-v", "error", "-show_entries", "packet=size",
                                                                     "-of", "csv=p=0", path})
                                  .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    int least = 0;
    int most = 0;
    for (const QString &size : sizes) {
        least = least == 0 ? size.toInt() : std::min(least, size.toInt());
        most = std::max(most, size.toInt());
    }
    return {least, most};
}

void writeNoise(const QString &path, const OutputEncoding &encoding, int channels, int seconds, QList<float> *written)
{
    EncodedWriter writer(path, encoding, Rate, channels);
    *written = generateSamples(noiseSpec(Rate, channels, qint64(Rate) * seconds, 0.7f));
    // blocks of a third of a second, as a run hands them over
    const qsizetype step = qsizetype(Rate / 3) * channels;
    for (qsizetype at = 0; at < written->size(); at += step)
        writer.write(SampleArray(written->mid(at, step)));
    writer.finish();
}

} // namespace

// A file encoded in chunks is one valid stream: the reference tool finds
// every frame and its checksums sound and the MD5 of its samples the one
// STREAMINFO holds, the frame sizes and sample count are the stream's, and
// it decodes to what was written.
TEST(FlacEncoderPool, AFileEncodedInChunksIsOneValidStream)
{
    TestFolder folder;
    struct Case
    {
        int sourceBits;
        int channels;
        const char *rawFormat;
        float tolerance;
    };
    for (const Case &c : {Case{0, 2, "s16le", 1.0f / 32768}, Case{24, 1, "s24le", 1.0f / 8388608}}) {
        SCOPED_TRACE(c.sourceBits);
        const QString path = folder.file(QStringLiteral("noise%1.flac").arg(c.sourceBits));
        const int seconds = c.sourceBits ? 6 : 40;
        QList<float> written;
        writeNoise(path, flacEncoding(c.sourceBits), c.channels, seconds, &written);

        const ToolResult test = RunTool(QStringLiteral("flac"), {"-t", "-s", path});
        EXPECT_EQ(test.exitCode, 0) << qPrintable(test.errors);
        EXPECT_TRUE(test.errors.trimmed().isEmpty()) << qPrintable(test.errors);
        const QString md5 = toolOutput(QStringLiteral("metaflac"), {"--show-md5sum", path});
        EXPECT_NE(md5, QStringLiteral("00000000000000000000000000000000"));
        EXPECT_EQ(md5, decodedMd5(path, c.rawFormat));
        EXPECT_EQ(toolOutput(QStringLiteral("metaflac"), {"--show-total-samples", path}).toLongLong(),
                  qint64(Rate) * seconds);
        const auto [least, most] = probedFrameSizes(path);
        EXPECT_EQ(toolOutput(QStringLiteral("metaflac"), {"--show-min-framesize", path}).toInt(), least);
        EXPECT_EQ(toolOutput(QStringLiteral("metaflac"), {"--show-max-framesize", path}).toInt(), most);

        const DecodedAudio decoded = decodeFile(path);
        ASSERT_EQ(decoded.samples.size(), written.size());
        EXPECT_LE(maxDifference(decoded.samples.constData(), written.constData(), written.size()), c.tolerance);
    }
}
