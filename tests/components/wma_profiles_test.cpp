#include "components/ReadHelpers.h"
#include "support/AudioFixtures.h"
#include "support/TempDir.h"
#include "components/AudioFile.h"
#include "components/WmaProfiles.h"

#include <QSet>
#include <gtest/gtest.h>

using namespace korvex;
using namespace korvex::test;

namespace {

TEST(WmaProfileTable, NumbersOutsideTheTableGetTheDefaultProfile)
{
    for (const int number : {0, -1, 48, 1000, -2147483647})
        EXPECT_EQ(wmaProfile(number).number, 10) << number;
    EXPECT_STREQ(wmaProfile(10).name, "WMA9 44KHz, 128Kbps, Stereo, CBR");
    EXPECT_STREQ(wmaProfile(35).name, "WMA9 8KHz,  12Kbps, Stereo, CBR");
}

TEST(WmaProfileTable, EveryProfileIsSomethingTheEncoderAccepts)
{
    QSet<QString> names;
    for (int number = 1; number <= WmaProfileCount; ++number) {
        const WmaProfile &profile = wmaProfile(number);
        EXPECT_EQ(profile.number, number);
        names.insert(QString::fromLatin1(profile.name));
        EXPECT_GE(profile.bitRate, 24000) << number;
        EXPECT_LE(profile.sampleRate, 48000) << number;
        if (profile.nominalBitRate >= 24000) {
            EXPECT_EQ(profile.bitRate, profile.nominalBitRate) << number;
        }
    }
    // Profiles 21 and 23 carry the same text and still count as two.
    EXPECT_EQ(names.size(), WmaProfileCount - 1);
    EXPECT_STREQ(wmaProfile(21).name, wmaProfile(23).name);
}

// Full-scale noise is the hardest thing to fit into the small bitrates; every
// profile must still give a file FFmpeg decodes at the profile's format.
class EveryProfile : public ::testing::TestWithParam<int>
{
};

TEST_P(EveryProfile, EncodesNoiseThatDecodesAtTheProfilesFormat)
{
    const WmaProfile &profile = wmaProfile(GetParam());
    TestFolder folder;
    const QString path = folder.file(QStringLiteral("profile%1.wma").arg(profile.number));
    const QList<float> samples = generateSamples(noiseSpec(44100, 2, 44100 * 3 / 2, 1.0f, quint32(profile.number)));

    AudioFile writer;
    writer.setOutputProfile(profile.number);
    writer.setDataFormat(44100, 2);
    writer.createForWrite(path, 0);
    for (qsizetype at = 0; at < samples.size(); at += 44100)
        writer.writeBlock(SampleArray(samples.mid(at, 44100)));
    writer.close();

    const DecodedAudio decoded = decodeFile(path);
    EXPECT_EQ(decoded.sampleRate, profile.sampleRate);
    EXPECT_EQ(decoded.channels, profile.channels);
    const double expectedFrames = 1.5 * profile.sampleRate;
    EXPECT_GE(double(decoded.frames()), expectedFrames - 2);

    AudioFile reader;
    reader.openForRead(path);
    EXPECT_NEAR(double(reader.length()), expectedFrames, 2.0);
    EXPECT_EQ(readToEnd(reader, 20000).size(), reader.length() * profile.channels);
}

INSTANTIATE_TEST_SUITE_P(Profiles, EveryProfile, ::testing::Range(1, WmaProfileCount + 1));

} // namespace
