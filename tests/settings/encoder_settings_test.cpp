#include "settings/EncoderSettings.h"
#include "support/TempDir.h"
#include "support/TextFiles.h"

#include <gtest/gtest.h>

using namespace korvex;

TEST(EncoderSettings, QualitiesRoundTripAndHandEditedOnesComeBackInRange)
{
    test::TestFolder folder;
    const QString ini = folder.path() + QStringLiteral("/Korvex.ini");
    SettingsFile file(ini);
    // nothing stored: the defaults
    const OutputEncoding defaults = ReadEncoderQualities(file);
    EXPECT_FALSE(defaults.mp3Vbr);
    EXPECT_EQ(defaults.mp3Bitrate, 192);
    EXPECT_EQ(defaults.wavBits, 16);

    OutputEncoding chosen;
    chosen.mp3Vbr = true;
    chosen.mp3VbrQuality = 0;
    chosen.vorbisQuality = -1;
    chosen.opusBitrate = 510;
    chosen.flacCompression = 8;
    chosen.aacBitrate = 96;
    chosen.wavBits = 24;
    WriteEncoderQualities(file, chosen);
    const OutputEncoding read = ReadEncoderQualities(SettingsFile(ini));
    EXPECT_TRUE(read.mp3Vbr);
    EXPECT_EQ(read.mp3VbrQuality, 0);
    EXPECT_EQ(read.vorbisQuality, -1);
    EXPECT_EQ(read.opusBitrate, 510);
    EXPECT_EQ(read.flacCompression, 8);
    EXPECT_EQ(read.aacBitrate, 96);
    EXPECT_EQ(read.wavBits, 24);

    ASSERT_TRUE(test::writeTextFile(ini, "[Encoding]\nMp3Bitrate=1000\nMp3Quality=-3\nOpusBitrate=2\n"
                                         "FlacLevel=12\nWavBits=20\nVorbisQuality=x\n"));
    const OutputEncoding edited = ReadEncoderQualities(SettingsFile(ini));
    EXPECT_EQ(edited.mp3Bitrate, 320);
    EXPECT_EQ(edited.mp3VbrQuality, 0);
    EXPECT_EQ(edited.opusBitrate, 6);
    EXPECT_EQ(edited.flacCompression, 8);
    EXPECT_EQ(edited.wavBits, 16);
    EXPECT_EQ(edited.vorbisQuality, 5);
}

TEST(EncoderSettings, EachFormatEncodesWithItsCodecAndARunTakesTheOverride)
{
    EXPECT_EQ(CodecOfFormat(OutputFormat::Wma), EncodedCodec::Wma);
    EXPECT_EQ(CodecOfFormat(OutputFormat::Mp3), EncodedCodec::Mp3);
    EXPECT_EQ(CodecOfFormat(OutputFormat::OggVorbis), EncodedCodec::Vorbis);
    EXPECT_EQ(CodecOfFormat(OutputFormat::Opus), EncodedCodec::Opus);
    EXPECT_EQ(CodecOfFormat(OutputFormat::Flac), EncodedCodec::Flac);
    EXPECT_EQ(CodecOfFormat(OutputFormat::Aac), EncodedCodec::Aac);
    EXPECT_EQ(CodecOfFormat(OutputFormat::Wav), EncodedCodec::Wav);
    EXPECT_EQ(RunExtension(OutputFormat::Opus), QStringLiteral("opus"));
    EXPECT_EQ(RunExtension(OutputFormat::Aac), QStringLiteral("m4a"));

    test::TestFolder folder;
    SettingsFile file(folder.path() + QStringLiteral("/Korvex.ini"));
    OutputEncoding stored;
    stored.flacCompression = 2;
    WriteEncoderQualities(file, stored);
    Settings settings;
    settings.Format = OutputFormat::Flac;
    EXPECT_EQ(RunEncoding(settings, file).codec, EncodedCodec::Flac);
    EXPECT_EQ(RunEncoding(settings, file).flacCompression, 2);
    OutputEncoding override;
    override.flacCompression = 7;
    settings.EncodingOverride = override;
    EXPECT_EQ(RunEncoding(settings, file).flacCompression, 7);
    EXPECT_EQ(EncodingSummary(RunEncoding(settings, file)), QStringLiteral("FLAC level 7"));
}
