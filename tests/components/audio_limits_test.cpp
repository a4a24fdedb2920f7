#include "support/AudioFixtures.h"
#include "support/TempDir.h"
#include "components/AudioFile.h"
#include "components/AudioLimits.h"
#include "components/AudioWriter.h"
#include "components/KorvexError.h"
#include "components/SdlAudioPlayer.h"
#include "components/WmaProfiles.h"

#include <QFileInfo>
#include <gtest/gtest.h>

using namespace korvex;
using namespace korvex::test;

namespace {

// The reader, the writer and the player take the same formats: each works in
// the largest, and each refuses one channel or one hertz more, so a format one
// component delivers is never one the next refuses.
TEST(AudioLimits, ReaderWriterAndPlayerShareTheEdges)
{
    TestFolder folder;
    const QString source = folder.file(QStringLiteral("source.wav"));
    writeAudioFile(source, sineSpec(44100, 2, 4410));
    AudioFile reader;
    reader.openForRead(source, 0, 1);
    EXPECT_NO_THROW(reader.setDataFormat(MaxAudioRate, MaxAudioChannels));
    EXPECT_THROW(reader.setDataFormat(MaxAudioRate + 1, 2), KorvexError);
    EXPECT_THROW(reader.setDataFormat(44100, MaxAudioChannels + 1), KorvexError);

    const QString output = folder.file(QStringLiteral("widest.wma"));
    AudioWriter writer(output, wmaProfile(DefaultWmaProfile), MaxAudioRate, MaxAudioChannels);
    EXPECT_THROW(writer.setInputFormat(MaxAudioRate + 1, 2), KorvexError);
    EXPECT_THROW(writer.setInputFormat(44100, MaxAudioChannels + 1), KorvexError);
    writer.write(SampleArray(generateSamples(sineSpec(MaxAudioRate, MaxAudioChannels, 4800))));
    writer.finish();
    EXPECT_TRUE(QFileInfo(output).size() > 0);

    SdlAudioPlayer player(QStringList{QStringLiteral("dummy")}, nullptr);
    EXPECT_NO_THROW(player.setDataFormat(44100, MaxAudioChannels));
    EXPECT_THROW(player.setDataFormat(MaxAudioRate + 1, 2), KorvexError);
    EXPECT_THROW(player.setDataFormat(44100, MaxAudioChannels + 1), KorvexError);
}

} // namespace
