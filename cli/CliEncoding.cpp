#include "cli/CliEncoding.h"

#include "settings/EncoderSettings.h"

namespace korvex::cli {

namespace {

[[noreturn]] void fail(const QString &text)
{
    throw UsageError(text);
}

bool anyQualityGiven(const CliOptions &options)
{
    return options.bitrate || options.vbr || options.quality || options.compression || options.bits;
}

void checkBitrate(int kbps, OutputFormat format, int lowest, int highest)
{
    if (kbps < lowest || kbps > highest)
        fail(QStringLiteral("--bitrate for %1 is %2 to %3 kbps, not %4")
                 .arg(outputFormatCaption(format)).arg(lowest).arg(highest).arg(kbps));
}

// Names the options given that `format` has no use for.
void refuseForeignOptions(const CliOptions &options, OutputFormat format)
{
    const auto refuse = [format](bool given, const char *option) {
        if (given)
            fail(QStringLiteral("--%1 does not apply to %2 output")
                     .arg(QLatin1String(option), outputFormatCaption(format)));
    };
    const bool usesBitrate = format == OutputFormat::Mp3 || format == OutputFormat::Opus || format == OutputFormat::Aac;
    refuse(options.bitrate && !usesBitrate, "bitrate");
    refuse(options.vbr && format != OutputFormat::Mp3, "vbr");
    refuse(options.quality && format != OutputFormat::OggVorbis, "quality");
    // a copy writes FLAC sources again, at this level
    refuse(options.compression && format != OutputFormat::Flac && format != OutputFormat::Copy, "compression");
    refuse(options.bits && format != OutputFormat::Wav, "bits");
}

} // namespace

void ApplyEncodingOptions(const CliOptions &options, Settings &settings, const SettingsFile &file)
{
    if (options.format)
        settings.Format = *options.format;
    if (!anyQualityGiven(options))
        return;
    const OutputFormat format = settings.Format;
    refuseForeignOptions(options, format);
    OutputEncoding qualities = ReadEncoderQualities(file);
    if (options.bitrate) {
        switch (format) {
        case OutputFormat::Mp3:
            checkBitrate(*options.bitrate, format, 32, 320);
            qualities.mp3Vbr = false;
            qualities.mp3Bitrate = *options.bitrate;
            break;
        case OutputFormat::Opus:
            checkBitrate(*options.bitrate, format, 6, 510);
            qualities.opusBitrate = *options.bitrate;
            break;
        default:
            checkBitrate(*options.bitrate, format, 32, 512);
            qualities.aacBitrate = *options.bitrate;
            break;
        }
    }
    if (options.vbr) {
        qualities.mp3Vbr = true;
        qualities.mp3VbrQuality = *options.vbr;
    }
    qualities.vorbisQuality = options.quality.value_or(qualities.vorbisQuality);
    qualities.flacCompression = options.compression.value_or(qualities.flacCompression);
    qualities.wavBits = options.bits.value_or(qualities.wavBits);
    settings.EncodingOverride = qualities;
}

QString RunOutputExtension(const CliOptions &options)
{
    if (options.format)
        return RunExtension(*options.format);
    const SettingsFile file(settingsFilePath());
    return RunExtension(ReadOutputFormat(file));
}

} // namespace korvex::cli
