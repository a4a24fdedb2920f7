#include "EncoderSettings.h"

namespace korvex {

namespace {

const QString Section = QStringLiteral("Encoding");
const QString Mp3VbrKey = QStringLiteral("Mp3Vbr");
const QString Mp3BitrateKey = QStringLiteral("Mp3Bitrate");
const QString Mp3QualityKey = QStringLiteral("Mp3Quality");
const QString VorbisQualityKey = QStringLiteral("VorbisQuality");
const QString OpusBitrateKey = QStringLiteral("OpusBitrate");
const QString FlacLevelKey = QStringLiteral("FlacLevel");
const QString AacBitrateKey = QStringLiteral("AacBitrate");
const QString WavBitsKey = QStringLiteral("WavBits");

} // namespace

OutputEncoding ReadEncoderQualities(const SettingsFile &file)
{
    const OutputEncoding defaults;
    OutputEncoding read;
    read.mp3Vbr = file.readBool(Section, Mp3VbrKey, defaults.mp3Vbr);
    read.mp3Bitrate = file.readInteger(Section, Mp3BitrateKey, defaults.mp3Bitrate);
    read.mp3VbrQuality = file.readInteger(Section, Mp3QualityKey, defaults.mp3VbrQuality);
    read.vorbisQuality = file.readInteger(Section, VorbisQualityKey, defaults.vorbisQuality);
    read.opusBitrate = file.readInteger(Section, OpusBitrateKey, defaults.opusBitrate);
    read.flacCompression = file.readInteger(Section, FlacLevelKey, defaults.flacCompression);
    read.aacBitrate = file.readInteger(Section, AacBitrateKey, defaults.aacBitrate);
    read.wavBits = file.readInteger(Section, WavBitsKey, defaults.wavBits);
    return WithinRanges(read);
}

void WriteEncoderQualities(SettingsFile &file, const OutputEncoding &qualities)
{
    const OutputEncoding in = WithinRanges(qualities);
    file.writeBool(Section, Mp3VbrKey, in.mp3Vbr);
    file.writeInteger(Section, Mp3BitrateKey, in.mp3Bitrate);
    file.writeInteger(Section, Mp3QualityKey, in.mp3VbrQuality);
    file.writeInteger(Section, VorbisQualityKey, in.vorbisQuality);
    file.writeInteger(Section, OpusBitrateKey, in.opusBitrate);
    file.writeInteger(Section, FlacLevelKey, in.flacCompression);
    file.writeInteger(Section, AacBitrateKey, in.aacBitrate);
    file.writeInteger(Section, WavBitsKey, in.wavBits);
}

EncodedCodec CodecOfFormat(OutputFormat format)
{
    switch (format) {
    case OutputFormat::Mp3:
        return EncodedCodec::Mp3;
    case OutputFormat::OggVorbis:
        return EncodedCodec::Vorbis;
    case OutputFormat::Opus:
        return EncodedCodec::Opus;
    case OutputFormat::Flac:
        return EncodedCodec::Flac;
    case OutputFormat::Aac:
        return EncodedCodec::Aac;
    case OutputFormat::Wav:
        return EncodedCodec::Wav;
    case OutputFormat::Wma:
    case OutputFormat::Copy:
        break;
    }
    return EncodedCodec::Wma;
}

QString RunExtension(OutputFormat format)
{
    const QString extension = outputFormatExtension(format);
    return extension.isEmpty() ? QStringLiteral("wma") : extension;
}

OutputEncoding EncodingFor(OutputFormat format, const OutputEncoding &qualities)
{
    OutputEncoding encoding = WithinRanges(qualities);
    encoding.codec = CodecOfFormat(format);
    return encoding;
}

OutputEncoding RunEncoding(const Settings &settings, const SettingsFile &file)
{
    return EncodingFor(settings.Format, settings.EncodingOverride.value_or(ReadEncoderQualities(file)));
}

} // namespace korvex
