#include "components/KorvexError.h"
#include "components/Mp3Pieces.h"
#include "components/PacketCopier.h"
#include "components/SourceCopier.h"
#include "support/AudioFixtures.h"
#include "support/CoreFixture.h"
#include "support/ExternalTools.h"
#include "support/TempDir.h"

#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace korvex;
using namespace korvex::test;

namespace {

// A sweep through the audible range: no two stretches of it look alike, so a
// piece lines up with its source at one lag only, and codecs code it without
// the noise substitution whose random fill a decoder started elsewhere
// cannot repeat.
QList<float> sweepSamples(int rate, int channels, qint64 frames)
{
    QList<float> samples;
    samples.reserve(frames * channels);
    for (qint64 i = 0; i < frames; ++i) {
        const double t = double(i) / rate;
        for (int c = 0; c < channels; ++c)
            samples.append(float(0.4 * std::sin(2 * M_PI * (200.0 + 60.0 * (c + 1) * t) * t)));
    }
    return samples;
}

// The frames [first, end) of a decode.
QList<float> slice(const DecodedAudio &audio, qint64 first, qint64 end)
{
    return audio.samples.mid(first * audio.channels, (end - first) * audio.channels);
}

// How many frames of `piece` come before the source's frame `first`: the
// lead that makes the two agree best over a stretch after it.
qint64 leadIn(const DecodedAudio &whole, const DecodedAudio &piece, qint64 first, qint64 longest)
{
    constexpr qint64 Stretch = 2000;
    qint64 best = -1;
    float bestDifference = 0;
    for (qint64 lead = 0; lead <= longest && (lead + Stretch) * piece.channels <= piece.samples.size(); ++lead) {
        const float difference = maxDifference(whole.samples.constData() + first * whole.channels,
                                               piece.samples.constData() + lead * piece.channels,
                                               Stretch * piece.channels);
        if (best < 0 || difference < bestDifference) {
            best = lead;
            bestDifference = difference;
        }
    }
    return best;
}

QString decodeErrors(const QString &path)
{
    return RunTool(QStringLiteral("ffmpeg"), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), path,
                                              QStringLiteral("-f"), QStringLiteral("null"), QStringLiteral("-")})
        .errors.trimmed();
}

class CopyCutsMp3 : public ::testing::Test
{
protected:
    QString source(const QString &name, const AudioSpec &made)
    {
        const QString path = m_folder.file(name);
        writeAudioFile(path, made);
        return path;
    }
    QString cut(const QString &path, qint64 first, qint64 end)
    {
        const QString out = m_folder.file(QStringLiteral("piece_%1_%2.mp3").arg(first).arg(end));
        SourceCopier().copy({PacketRange{path, first, end}}, out);
        return out;
    }

    TestFolder m_folder;
};

TEST_F(CopyCutsMp3, PiecesDecodeToTheSourceRangeSampleForSample)
{
    AudioSpec stereo = noiseSpec(44100, 2, 5 * 44100);
    stereo.bitRate = 128000;
    // MPEG-2 frames hold one granule each, so the lead-in they need is two frames.
    AudioSpec mono = noiseSpec(22050, 1, 5 * 22050, 0.3f, 11);
    mono.bitRate = 32000;
    for (const auto &[name, made] : {std::pair{QStringLiteral("stereo.mp3"), stereo},
                                     std::pair{QStringLiteral("mono22.mp3"), mono}}) {
        const QString path = source(name, made);
        const DecodedAudio whole = decodeFile(path);
        ASSERT_EQ(whole.frames(), made.frames);
        const qint64 length = whole.frames();
        const QList<std::pair<qint64, qint64>> ranges = {
            {0, 1000}, {1, 1153}, {33333, 77777}, {length / 2, length}, {1152 * 7, 1152 * 9}, {0, length}};
        for (const auto &[first, end] : ranges) {
            const DecodedAudio piece = decodeFile(cut(path, first, end));
            ASSERT_EQ(piece.frames(), end - first) << name.toStdString() << " " << first << "-" << end;
            EXPECT_EQ(piece.samples, slice(whole, first, end)) << name.toStdString() << " " << first << "-" << end;
        }
    }
}

TEST_F(CopyCutsMp3, PiecesLaidEndToEndGiveTheWholeSource)
{
    AudioSpec made = noiseSpec(48000, 2, 4 * 48000, 0.4f, 3);
    made.bitRate = 96000;
    const QString path = source(QStringLiteral("album.mp3"), made);
    const DecodedAudio whole = decodeFile(path);
    QList<float> joined;
    const QList<qint64> cuts = {0, 12345, 48000, 100000, whole.frames()};
    for (qsizetype k = 0; k + 1 < cuts.size(); ++k)
        joined.append(decodeFile(cut(path, cuts[k], cuts[k + 1])).samples);
    EXPECT_EQ(joined, whole.samples);
}

// Frame-accurate but naive: the frames from the one before the cut on, as
// they are. Where that frame's data begins in an earlier frame, a decoder
// has nothing to take it from.
void writeNaiveCut(const Mp3Source &index, qsizetype frame, const QString &out)
{
    QFile in(index.path);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    ASSERT_TRUE(in.seek(index.positions.at(frame)));
    QFile file(out);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(in.readAll());
}

TEST_F(CopyCutsMp3, PiecesStartWithoutADecoderErrorWhereTheReservoirReachesBack)
{
    AudioSpec made = noiseSpec(44100, 2, 3 * 44100);
    made.bitRate = 128000;
    const QString path = source(QStringLiteral("reservoir.mp3"), made);
    const Mp3Source index = IndexMp3Source(path);
    const DecodedAudio whole = decodeFile(path);
    int reachingBack = 0;
    for (const qsizetype wanted : {20, 41, 77, 100}) {
        const qsizetype first = wanted - 1;  // the frame a piece starting in `wanted` begins with
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        ASSERT_TRUE(file.seek(index.positions.at(first)));
        const QByteArray head = file.read(8);
        if (Mp3MainDataBegin(index.format, head.constData()) == 0)
            continue;
        ++reachingBack;
        // The naive cut decodes its first wanted frame wrong...
        const QString naive = m_folder.file(QStringLiteral("naive_%1.mp3").arg(wanted));
        writeNaiveCut(index, first, naive);
        const DecodedAudio bad = decodeFile(naive);
        const qint64 sample = wanted * 1152 - index.startSkip;
        ASSERT_GE(bad.frames(), 2 * 1152);
        const QList<float> expected = slice(whole, sample, sample + 1152);
        EXPECT_GT(maxDifference(slice(bad, 1152, 2 * 1152).constData(), expected.constData(), expected.size()), 0.01f);
        // ...the piece gives it as the source does, without a decoder error.
        const QString piece = cut(path, sample, sample + 44100);
        EXPECT_EQ(decodeErrors(piece), QString());
        EXPECT_EQ(slice(decodeFile(piece), 0, 1152), expected);
    }
    EXPECT_GT(reachingBack, 0) << "no cut fell where the bit reservoir reaches back";
}

TEST_F(CopyCutsMp3, AJoinGivesEachPartWholeWithTheirLeadBetween)
{
    AudioSpec first = noiseSpec(44100, 2, 2 * 44100, 0.4f, 5);
    AudioSpec second = sineSpec(44100, 2, 44100 + 777);
    first.bitRate = second.bitRate = 128000;
    const QString a = source(QStringLiteral("a.mp3"), first);
    const QString b = source(QStringLiteral("b.mp3"), second);
    const DecodedAudio partA = decodeFile(a);
    const DecodedAudio partB = decodeFile(b);
    const QString out = m_folder.file(QStringLiteral("joined.mp3"));
    SourceCopier().copy({PacketRange{a, 0, partA.frames()}, PacketRange{b, 0, partB.frames()}}, out);
    EXPECT_EQ(decodeErrors(out), QString());
    const DecodedAudio joined = decodeFile(out);
    // Whole frames only: what the first part's last frame holds past its end
    // and the second part's encoder delay stay between them.
    const qint64 seam = joined.frames() - partA.frames() - partB.frames();
    EXPECT_GE(seam, 0);
    EXPECT_LT(seam, 2 * 1152);
    EXPECT_EQ(slice(joined, 0, partA.frames()), partA.samples);
    EXPECT_EQ(slice(joined, joined.frames() - partB.frames(), joined.frames()), partB.samples);
}

// The frame a range starts in, and whether its data begins in earlier frames.
bool reachesBack(const Mp3Source &index, qint64 first)
{
    const qsizetype frame = (first + index.startSkip) / index.samplesPerFrame();
    QFile file(index.path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(index.positions.at(frame)))
        return false;
    return Mp3MainDataBegin(index.format, file.read(8).constData()) > 0;
}

// Ranges cut inside frames of two MP3s, joined: every sample of the first is
// there as it decodes from its source; less than two frames stand between
// the two (what the seam's frames hold past the ranges); the second range is
// exact after its first frame, which the filter bank decodes overlapped with
// the frame before it. Its first frame reaches into the bit reservoir, and
// the join decodes without an error all the same.
TEST_F(CopyCutsMp3, AJoinOfRangesHoldsBothWithLessThanTwoFramesBetweenThem)
{
    AudioSpec madeA = noiseSpec(44100, 2, 3 * 44100, 0.4f, 5);
    AudioSpec madeB = noiseSpec(44100, 2, 3 * 44100, 0.3f, 12);
    madeA.bitRate = madeB.bitRate = 128000;
    const QString a = source(QStringLiteral("a.mp3"), madeA);
    const QString b = source(QStringLiteral("b.mp3"), madeB);
    const DecodedAudio wholeA = decodeFile(a);
    const DecodedAudio wholeB = decodeFile(b);
    const Mp3Source indexB = IndexMp3Source(b);
    qint64 firstB = 33333;
    while (!reachesBack(indexB, firstB) && firstB < 2 * 44100)
        firstB += 1152;
    ASSERT_TRUE(reachesBack(indexB, firstB)) << "no frame of the second part reaches back";
    const qint64 firstA = 1000;
    const qint64 endA = 77777;
    const qint64 endB = firstB + 66667;
    const QString out = m_folder.file(QStringLiteral("ranges.mp3"));
    SourceCopier().copy({PacketRange{a, firstA, endA}, PacketRange{b, firstB, endB}}, out);
    EXPECT_EQ(decodeErrors(out), QString());
    const DecodedAudio joined = decodeFile(out);
    const qint64 lengthA = endA - firstA;
    const qint64 seam = joined.frames() - lengthA - (endB - firstB);
    EXPECT_GE(seam, 0);
    EXPECT_LT(seam, 2 * 1152);
    EXPECT_EQ(slice(joined, 0, lengthA), slice(wholeA, firstA, endA));
    const qint64 afterFirstFrame = 1152;
    EXPECT_EQ(slice(joined, lengthA + seam + afterFirstFrame, joined.frames()),
              slice(wholeB, firstB + afterFirstFrame, endB));
}

// Where the audio frames FFmpeg's demuxer finds end in the file.
QList<qint64> demuxedFrameEnds(const QString &path)
{
    const OpenSource opened = OpenAudioSource(path);
    QList<qint64> ends;
    PacketPtr packet = makePacket();
    while (av_read_frame(opened.input.get(), packet.get()) >= 0) {
        if (packet->stream_index == opened.stream->index)
            ends.append(packet->pos + packet->size);
        av_packet_unref(packet.get());
    }
    return ends;
}

// The index follows the frame headers itself, and leaves the file to FFmpeg's
// demuxer where bytes stand between frames (the demuxer's packet then starts
// with them; the index does not); either way it finds the frames the demuxer
// finds, and pieces cut with it are exact.
TEST_F(CopyCutsMp3, TheFrameIndexFindsTheFramesTheDemuxerFinds)
{
    AudioSpec made = noiseSpec(44100, 2, 5 * 44100);
    made.bitRate = 128000;
    const QString tagged = source(QStringLiteral("tagged.mp3"), made);
    {
        QFile file(tagged);
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write(QByteArray("TAG") + QByteArray(125, 'x'));  // ID3v1 after the last frame
    }
    const QString junk = m_folder.file(QStringLiteral("junk.mp3"));
    {
        QFile in(tagged);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        QByteArray bytes = in.readAll();
        bytes.insert(IndexMp3Source(tagged).positions.at(60), QByteArray(700, '\x55'));
        QFile out(junk);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
    }
    for (const QString &path : {tagged, junk}) {
        const Mp3Source index = IndexMp3Source(path);
        ASSERT_EQ(index.sizes.size(), index.positions.size());
        QList<qint64> ends;
        for (qsizetype k = 0; k < index.positions.size(); ++k)
            ends.append(index.positions.at(k) + index.sizes.at(k));
        EXPECT_EQ(ends, demuxedFrameEnds(path)) << path.toStdString();
        // A decoder drops the frame the junk stands before, so the source's
        // own decode is compared with before it; a piece over it holds the
        // frame and no junk.
        const DecodedAudio whole = decodeFile(path);
        const qint64 first = path == junk ? 1152 * 20 + 77 : 1152 * 58 + 77;
        const qint64 end = path == junk ? 1152 * 50 : 1152 * 90;
        EXPECT_EQ(decodeFile(cut(path, first, end)).samples, slice(whole, first, end)) << path.toStdString();
        EXPECT_EQ(decodeErrors(cut(path, 1152 * 55, 1152 * 65)), QString()) << path.toStdString();
    }
}

// Ogg Vorbis, AAC in M4A and WMA: whole packets, from the one before the
// first wanted sample to two past the last.
TEST(CopyCutsPackets, PiecesHoldTheSourceRangeAfterTheirLeadIn)
{
    TestFolder folder;
    struct Case
    {
        const char *name;
        qint64 packet;   // samples a packet decodes to
    };
    for (const Case &format : {Case{"sweep.ogg", 2048}, Case{"sweep.m4a", 1024}, Case{"sweep.wma", 2048}}) {
        const QString path = folder.file(QString::fromLatin1(format.name));
        writeAudioSamples(path, 44100, 2, sweepSamples(44100, 2, 6 * 44100));
        const DecodedAudio whole = decodeFile(path);
        const qint64 first = 100000;
        const qint64 end = 200000;
        const QString out = folder.file(QStringLiteral("piece_") + QString::fromLatin1(format.name));
        SourceCopier().copy({PacketRange{path, first, end}}, out);
        EXPECT_EQ(decodeErrors(out), QString()) << format.name;
        const DecodedAudio piece = decodeFile(out);
        const qint64 lead = leadIn(whole, piece, first, 4 * format.packet);
        const qint64 startInSource = first - lead;
        ASSERT_GE(lead, 0) << format.name << " starts after the cut";
        EXPECT_LE(lead, 2 * format.packet + 1024) << format.name;
        ASSERT_GE(startInSource + piece.frames(), end) << format.name << " ends before the cut";
        EXPECT_LE(startInSource + piece.frames(), end + 3 * format.packet) << format.name;
        const QList<float> wanted = slice(whole, first, end);
        const QList<float> held = slice(piece, lead, lead + (end - first));
        EXPECT_LE(maxDifference(wanted.constData(), held.constData(), wanted.size()), 1e-5f) << format.name;
    }
}

TEST(CopyJoinRefusal, NamesThePartAndWhatDiffers)
{
    const auto part = [](const QString &path, const QString &codec, int rate, int channels, QByteArray setup = {}) {
        return CodedFormat{path, codec, QStringLiteral("ogg"), rate, channels, std::move(setup), std::nullopt};
    };
    const CodedFormat first = part(QStringLiteral("/a.ogg"), QStringLiteral("vorbis"), 44100, 2, "setup");
    EXPECT_EQ(JoinCopyRefusal({first, part(QStringLiteral("/b.ogg"), QStringLiteral("vorbis"), 44100, 2, "setup")}),
              QString());
    const QString rate = JoinCopyRefusal({first, part(QStringLiteral("/b.ogg"), QStringLiteral("vorbis"), 48000, 2, "setup")});
    EXPECT_TRUE(rate.contains(QStringLiteral("'/b.ogg'")) && rate.contains(QStringLiteral("48000 Hz"))) << rate.toStdString();
    const QString channels = JoinCopyRefusal({first, part(QStringLiteral("/c.ogg"), QStringLiteral("vorbis"), 44100, 1, "setup")});
    EXPECT_TRUE(channels.contains(QStringLiteral("1 channels"))) << channels.toStdString();
    const QString setup = JoinCopyRefusal({first, part(QStringLiteral("/d.ogg"), QStringLiteral("vorbis"), 44100, 2, "other")});
    EXPECT_TRUE(setup.contains(QStringLiteral("codec setup"))) << setup.toStdString();
    const QString codec = JoinCopyRefusal({first, part(QStringLiteral("/e.ogg"), QStringLiteral("opus"), 44100, 2)});
    EXPECT_TRUE(codec.contains(QStringLiteral("opus"))) << codec.toStdString();
}

// A FLAC or WAV source in FFmpeg's own hands: `codec` and `sampleFormat`
// as ffmpeg's options name them.
QString losslessSource(const TestFolder &folder, const QString &name, const QString &codec,
                       const QString &sampleFormat)
{
    const QString path = folder.file(name);
    const ToolResult made = RunTool(
        QStringLiteral("ffmpeg"),
        {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-f"), QStringLiteral("lavfi"),
         QStringLiteral("-i"), QStringLiteral("anoisesrc=r=44100:a=0.5:d=3:c=pink"), QStringLiteral("-ac"),
         QStringLiteral("2"), QStringLiteral("-c:a"), codec, QStringLiteral("-sample_fmt"), sampleFormat, path});
    EXPECT_TRUE(QFile::exists(path)) << made.errors.toStdString();
    return path;
}

QString streamFormat(const QString &path)
{
    return RunTool(QStringLiteral("ffprobe"),
                   {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                    QStringLiteral("stream=codec_name,sample_fmt,bits_per_raw_sample,sample_rate,channels"),
                    QStringLiteral("-of"), QStringLiteral("csv=p=0"), path})
        .output.trimmed();
}

// FLAC and WAV are written again in their own codec and sample format: the
// pieces hold exactly the range's samples, and the pieces of a cut laid end
// to end are the source.
TEST(CopyCutsLossless, FlacAndWavPiecesHoldTheRangeInTheSourcesOwnFormat)
{
    TestFolder folder;
    struct Case
    {
        const char *name;
        const char *codec;
        const char *sampleFormat;
    };
    const Case cases[] = {{"16.flac", "flac", "s16"},      {"24.flac", "flac", "s32"},
                          {"16.wav", "pcm_s16le", "s16"},  {"24.wav", "pcm_s24le", "s32"},
                          {"8.wav", "pcm_u8", "u8"},       {"float.wav", "pcm_f32le", "flt"}};
    for (const Case &format : cases) {
        const QString name = QString::fromLatin1(format.name);
        const QString path = losslessSource(folder, name, QString::fromLatin1(format.codec),
                                            QString::fromLatin1(format.sampleFormat));
        const DecodedAudio whole = decodeFile(path);
        ASSERT_EQ(whole.frames(), 3 * 44100) << format.name;
        const QList<qint64> cuts = {0, 12345, 70001, whole.frames()};
        QList<float> joined;
        for (qsizetype k = 0; k + 1 < cuts.size(); ++k) {
            const QString out = folder.file(QStringLiteral("piece%1_").arg(k) + name);
            SourceCopier().copy({PacketRange{path, cuts[k], cuts[k + 1]}}, out);
            EXPECT_EQ(streamFormat(out), streamFormat(path)) << format.name;
            const DecodedAudio piece = decodeFile(out);
            EXPECT_EQ(piece.samples, slice(whole, cuts[k], cuts[k + 1])) << format.name << " piece " << k;
            joined.append(piece.samples);
        }
        EXPECT_EQ(joined, whole.samples) << format.name;
    }
}

// Peaks beyond full scale in a float WAV are audio the file holds: a copy
// keeps them as they are, where a clip would flatten every one.
TEST(CopyCutsLossless, FloatWavPiecesKeepPeaksBeyondFullScale)
{
    TestFolder folder;
    const QString path = folder.file(QStringLiteral("loud.wav"));
    const ToolResult made = RunTool(
        QStringLiteral("ffmpeg"),
        {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-f"), QStringLiteral("lavfi"),
         QStringLiteral("-i"), QStringLiteral("aevalsrc=1.7*sin(2*PI*440*t)|0.9*sin(2*PI*660*t):s=44100:d=2"),
         QStringLiteral("-c:a"), QStringLiteral("pcm_f32le"), path});
    ASSERT_TRUE(QFile::exists(path)) << made.errors.toStdString();
    const DecodedAudio whole = decodeFile(path);
    const QString out = folder.file(QStringLiteral("piece.wav"));
    SourceCopier().copy({PacketRange{path, 1000, 60000}}, out);
    EXPECT_EQ(streamFormat(out), streamFormat(path));
    const DecodedAudio piece = decodeFile(out);
    const QList<float> wanted = slice(whole, 1000, 60000);
    EXPECT_GT(*std::max_element(wanted.cbegin(), wanted.cend()), 1.6f);
    EXPECT_EQ(piece.samples, wanted);
}

// Samples that would not come back whole through 32-bit floats are refused
// with the reason, and nothing is written.
TEST(CopyRefusalOfSources, WavOfMoreBitsThanAFloatHoldsIsNotCopied)
{
    TestFolder folder;
    const QString wav = losslessSource(folder, QStringLiteral("wide.wav"), QStringLiteral("pcm_s32le"),
                                       QStringLiteral("s32"));
    const QString refusal = CopyRefusal(ProbeCodedFormat(wav));
    EXPECT_TRUE(refusal.contains(QStringLiteral("pcm_s32le"))) << refusal.toStdString();
    const QString out = folder.file(QStringLiteral("x.wav"));
    EXPECT_THROW(SourceCopier().copy({PacketRange{wav, 0, 100}}, out), KorvexError);
    EXPECT_FALSE(QFile::exists(out));
    const QString plain = losslessSource(folder, QStringLiteral("plain.wav"), QStringLiteral("pcm_s16le"),
                                         QStringLiteral("s16"));
    EXPECT_EQ(CopyRefusal(ProbeCodedFormat(plain)), QString());
}

// A FLAC join needs the same sample format in every part, not the same
// header: each file's own holds its length and checksum.
TEST(CopyJoinRefusal, FlacPartsOfOneSampleFormatJoinAndOthersAreRefused)
{
    TestFolder folder;
    const QString a = losslessSource(folder, QStringLiteral("a.flac"), QStringLiteral("flac"), QStringLiteral("s16"));
    const QString b = losslessSource(folder, QStringLiteral("b.flac"), QStringLiteral("flac"), QStringLiteral("s16"));
    const QString wide = losslessSource(folder, QStringLiteral("c.flac"), QStringLiteral("flac"), QStringLiteral("s32"));
    EXPECT_EQ(JoinCopyRefusal({ProbeCodedFormat(a), ProbeCodedFormat(b)}), QString());
    const QString refusal = JoinCopyRefusal({ProbeCodedFormat(a), ProbeCodedFormat(wide)});
    EXPECT_TRUE(refusal.contains(QStringLiteral("24 bits")) && refusal.contains(QStringLiteral("16 bits")))
        << refusal.toStdString();
    const QString out = folder.file(QStringLiteral("ab.flac"));
    SourceCopier().copy({PacketRange{a, 1000, 50000}, PacketRange{b, 0, 30000}}, out);
    QList<float> wanted = slice(decodeFile(a), 1000, 50000);
    wanted.append(slice(decodeFile(b), 0, 30000));
    EXPECT_EQ(decodeFile(out).samples, wanted);
}

} // namespace
