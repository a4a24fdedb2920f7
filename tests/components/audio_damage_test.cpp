#include "components/ReadHelpers.h"
#include "support/AudioFixtures.h"
#include "support/TempDir.h"
#include "components/AudioFile.h"
#include "components/KorvexError.h"

#include <QFile>
#include <gtest/gtest.h>
#include <random>

using namespace korvex;
using namespace korvex::test;

namespace {

// A broken source either refuses to open with an error that names it, or
// opens and then behaves: reads, seeks and the end agree with length().
void expectErrorOrConsistentReads(const QString &path)
{
    AudioFile file;
    try {
        file.openForRead(path, 0, 1);
    } catch (const KorvexError &error) {
        EXPECT_TRUE(error.text().contains(path)) << error.text().toStdString();
        return;
    }
    const qint64 length = file.length();
    const int channels = file.channelCount();
    ASSERT_GT(channels, 0);
    ASSERT_GE(length, 0);
    EXPECT_EQ(readToEnd(file, 30000).size(), length * channels);
    for (const qint64 target : {length / 2, qint64(0), length - 1, length / 5}) {
        if (target < 0)
            continue;
        file.seek(target, 3);
        const qint64 expected = std::min<qint64>(4000, length - target);
        EXPECT_EQ(file.readBlock(4000).upperBound(), expected * channels);
    }
}

QByteArray makeBytes(const TestFolder &folder, const QString &name)
{
    const QString path = folder.file(name);
    const int rate = name.endsWith(QLatin1String(".opus")) ? 48000 : 44100;
    writeAudioFile(path, noiseSpec(rate, 2, rate * 4));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

class HostileInputDamagedSources : public ::testing::TestWithParam<const char *>
{
};

TEST_P(HostileInputDamagedSources, TruncatedCopiesNeverCrash)
{
    TestFolder folder;
    const QString extension = QLatin1String(GetParam());
    const QByteArray whole = makeBytes(folder, QStringLiteral("whole") + extension);
    for (const double share : {0.0, 0.001, 0.02, 0.3, 0.5, 0.97}) {
        SCOPED_TRACE(share);
        const QString path = folder.file(QStringLiteral("cut%1%2").arg(int(share * 1000)).arg(extension));
        writeBytes(path, whole.left(qsizetype(whole.size() * share)));
        expectErrorOrConsistentReads(path);
    }
}

TEST_P(HostileInputDamagedSources, OverwrittenBytesNeverCrash)
{
    TestFolder folder;
    const QString extension = QLatin1String(GetParam());
    const QByteArray whole = makeBytes(folder, QStringLiteral("whole") + extension);
    std::mt19937 random(5);
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        QByteArray damaged = whole;
        std::uniform_int_distribution<qsizetype> where(round == 0 ? 0 : damaged.size() / 10, damaged.size() - 1);
        for (int i = 0; i < 200 * (round + 1); ++i)
            damaged[where(random)] = char(random() & 0xff);
        const QString path = folder.file(QStringLiteral("damaged%1%2").arg(round).arg(extension));
        writeBytes(path, damaged);
        expectErrorOrConsistentReads(path);
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, HostileInputDamagedSources,
                         ::testing::Values(".wma", ".mp3", ".ogg", ".flac", ".wav", ".m4a", ".opus"));

TEST(HostileInputNonAudio, FilesWithoutAudioRaiseAnErrorNamingThem)
{
    TestFolder folder;
    const QString missing = folder.file(QStringLiteral("missing.mp3"));
    const QString empty = folder.file(QStringLiteral("empty.wma"));
    const QString text = folder.file(QStringLiteral("notes.mp3"));
    const QString image = folder.file(QStringLiteral("picture.ogg"));
    writeBytes(empty, {});
    writeBytes(text, QByteArray("These are not the sounds you are looking for.\n").repeated(40));
    // A PNG signature and header: FFmpeg sees a picture, not audio.
    writeBytes(image, QByteArray::fromHex("89504e470d0a1a0a0000000d4948445200000010000000100806000000"
                                          "1ff3ff610000000a49444154789c6300010000050001"));
    for (const QString &path : {missing, empty, text, image}) {
        SCOPED_TRACE(path.toStdString());
        AudioFile file;
        try {
            file.openForRead(path, 0, 1);
            ADD_FAILURE() << "opened a file without audio";
        } catch (const KorvexError &error) {
            EXPECT_TRUE(error.text().contains(path)) << error.text().toStdString();
        }
        EXPECT_EQ(file.isOpen(), 0);
        EXPECT_THROW(file.readBlock(10), KorvexError);
    }
}

} // namespace
