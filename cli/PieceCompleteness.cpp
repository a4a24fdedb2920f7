#include "cli/PieceCompleteness.h"

#include "components/FilePublishing.h"
#include "components/IAudioFile2.h"
#include "components/KorvexError.h"
#include "engine/CopyNames.h"
#include "engine/SplitRuns.h"

#include <QFileInfo>

#include <cmath>

namespace korvex::cli {

namespace {

// The longest frame each encoder writes, in samples at the piece's rate.
qint64 codecFrameSamples(OutputFormat format)
{
    switch (format) {
    case OutputFormat::Mp3:
        return 1152;
    case OutputFormat::Opus:
        return 960;  // 20 ms at 48 kHz, Opus's only output rate
    case OutputFormat::Flac:
        return 4608;
    case OutputFormat::Aac:
        return 1024;
    case OutputFormat::Wav:
        return 1;
    case OutputFormat::Wma:
    case OutputFormat::OggVorbis:
    case OutputFormat::Copy:
        break;
    }
    return 2048;
}

// A copy keeps up to two packets more at each end, Vorbis's and WMA's of up
// to 2048 samples the longest of them.
constexpr qint64 CopySlackSamples = 2 * 2 * 2048;

} // namespace

double LengthSlackSeconds(OutputFormat format, const QString &sourceFile, int outputRate, int sourceRate)
{
    if (outputRate <= 0 || sourceRate <= 0)
        return 0.0;
    if (format == OutputFormat::Copy) {
        const qint64 samples = SourceExtension(sourceFile) == QLatin1String("mp3") ? 0 : CopySlackSamples;
        // half a sample either way: the lengths compared are rounded to whole samples
        return (double(samples) + 0.5) / outputRate;
    }
    return double(codecFrameSamples(format)) / outputRate + double(CustomPieceSlack) / sourceRate;
}

bool PieceComplete(const QString &path, double plannedSeconds, OutputFormat format, const QString &sourceFile,
                   int sourceRate, IAudioFile2 &probe)
{
    if (!QFileInfo(path).isFile() || QFileInfo::exists(TemporaryPathFor(path, 1)))
        return false;
    try {
        probe.openForRead(path, 0, 1);
        const qint64 frames = probe.length();
        const int rate = probe.sampleRate();
        probe.close();
        if (rate <= 0 || frames <= 0)
            return false;
        const double seconds = double(frames) / rate;
        return std::abs(seconds - plannedSeconds) <= LengthSlackSeconds(format, sourceFile, rate, sourceRate);
    } catch (const KorvexError &) {
        if (probe.isOpen())
            probe.close();
        return false;
    }
}

} // namespace korvex::cli
