#include "support/AudioFixtures.h"
#include "support/TempDir.h"
#include "components/AudioFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <gtest/gtest.h>

extern "C" {
#include <libavcodec/version.h>
}

using namespace korvex;
using namespace korvex::test;

namespace {

// The FFmpeg build the reference sums below were made with: another build's
// wmav2 may round differently, so the sums mean nothing there.
constexpr unsigned ReferenceAvcodec = AV_VERSION_INT(59, 37, 100);

struct PieceSums
{
    QStringList sums;
    QList<qint64> frames;
};

// Cuts the source into pieces of `pieceFrames` the way the split runs do: one
// reader open throughout, one output per piece, blocks of rate × channels
// frames, the writer's input in the source's format. Returns an MD5 of each
// piece's decoded samples.
PieceSums splitAndSum(const QString &source, const QString &folder, qint64 pieceFrames, int profile)
{
    PieceSums result;
    AudioFile reader;
    AudioFile writer;
    reader.openForRead(source, 0, 1);
    const int rate = reader.sampleRate();
    const int channels = reader.channelCount();
    writer.setOutputProfile(profile);
    for (qint64 start = 0, k = 0; start < reader.length(); start += pieceFrames, ++k) {
        const QString path = QStringLiteral("%1/piece%2.wma").arg(folder).arg(k);
        reader.seek(start, 3);
        writer.setDataFormat(rate, channels);
        writer.createForWrite(path, 0);
        const qint64 end = std::min(start + pieceFrames, reader.length());
        for (qint64 at = start; at < end;) {
            const SampleArray block = reader.readBlock(std::min<qint64>(qint64(rate) * channels, end - at));
            if (block.upperBound() < 1)
                break;
            writer.writeBlock(block);
            at += block.upperBound() / channels;
        }
        writer.close();
        const DecodedAudio decoded = decodeFile(path);
        const QByteArray bytes(reinterpret_cast<const char *>(decoded.samples.constData()),
                               decoded.samples.size() * qsizetype(sizeof(float)));
        result.sums.append(QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex()));
        result.frames.append(decoded.frames());
    }
    return result;
}

} // namespace

// Whatever is done to make the reader and writer cheaper, a split must decode
// to the very samples it did before: these sums were taken from pieces made by
// the earlier pipeline (a FIFO between decoder and blocks, a resampler pass and
// a copy per chunk before the encoder) with the same sources.
TEST(SplitOutput, PiecesDecodeToTheSameSamplesAsBefore)
{
    if (LIBAVCODEC_VERSION_INT != ReferenceAvcodec)
        GTEST_SKIP() << "reference sums were made with another FFmpeg build";
    TestFolder folder;
    struct Case
    {
        const char *name;
        AudioSpec audio;
        qint64 pieceFrames;
        int profile;
        QStringList expected;
    };
    AudioSpec music = noiseSpec(44100, 2, 44100 * 7 + 1234, 0.3f, 11);
    AudioSpec chord = sineSpec(44100, 2, 44100 * 6 + 99, 262.0, 0.4f);
    AudioSpec voice = sineSpec(22050, 1, 22050 * 5 + 77, 310.0, 0.6f);
    const QList<Case> cases{
        // Formats match the profile: decoded frames go straight to the encoder.
        {"music.mp3", music, 44100 * 3 - 5, 10,
         {"88306c0ae1a62565bb25c777750ba9f5", "2075783ad52879765faae9f56991646c", "ac4e8307ac9ec3d2fdd744674ba25dbb"}},
        // Rate and channels differ: the writer converts.
        {"voice.ogg", voice, 22050 * 2, 10,
         {"61c05cb595ae97db98ad00a8b5e48499", "f93be52c4507c785a92bc37951b5dd97", "22d803708ad633dfea4642a21fc0913f"}},
        // Same rate, more channels than the profile.
        {"chord-to-mono.mp3", chord, 44100 * 4, 16,
         {"2568425a221a1c0442e5e1d7be580668", "10ab5c78d2c1e7e21e35c9ed15af801b"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString source = folder.file(QString::fromLatin1(c.name));
        writeAudioFile(source, c.audio);
        const QString pieces = folder.file(QStringLiteral("pieces-") + QString::fromLatin1(c.name));
        QDir().mkpath(pieces);
        const PieceSums got = splitAndSum(source, pieces, c.pieceFrames, c.profile);
        EXPECT_EQ(got.sums.join(u' ').toStdString(), c.expected.join(u' ').toStdString());
    }
}
