#include "components/SourceCopier.h"

#include "components/FfmpegSupport.h"
#include "components/KorvexError.h"

#include <QFile>

namespace korvex {

namespace {

bool isMp3(const CodedFormat &format)
{
    return format.codec == QLatin1String("mp3");
}

} // namespace

CodedFormat ProbeCodedFormat(const QString &path)
{
    const OpenSource source = OpenAudioSource(path);
    const AVCodecParameters &codec = *source.stream->codecpar;
    CodedFormat format;
    format.path = path;
    format.codec = QString::fromLatin1(avcodec_get_name(codec.codec_id));
    format.sampleRate = codec.sample_rate;
    format.channels = codec.ch_layout.nb_channels;
    format.setup = QByteArray(reinterpret_cast<const char *>(codec.extradata), codec.extradata_size);
    format.container = isMp3(format) ? QStringLiteral("mp3") : CopyMuxerFor(*source.input, codec.codec_id);
    const QString container = QString::fromLatin1(source.input->iformat->name);
    if (format.container.isEmpty()) {
        format.recoded = LosslessEncodingOf(codec, container);
        if (format.recoded) {
            // FLAC's header holds the file's own length and checksum; what
            // must agree for a join is the sample format
            format.container = container;
            format.setup = QByteArray::number(format.recoded->sourceBits) + " bits";
        }
    }
    return format;
}

QString CopyRefusal(const CodedFormat &format)
{
    if (!format.container.isEmpty())
        return {};
    return QStringLiteral("'%1' holds %2 audio, which Korvex cannot cut without re-encoding (it copies MP3, AAC "
                          "in MP4/M4A, Vorbis and Opus in Ogg, and WMA, and writes FLAC and WAV of up to 24 bits "
                          "or 32-bit floats again without loss). Choose an output format to encode it.")
        .arg(format.path, format.codec);
}

QString JoinCopyRefusal(const QList<CodedFormat> &parts)
{
    for (const CodedFormat &part : parts) {
        if (const QString refusal = CopyRefusal(part); !refusal.isEmpty())
            return refusal;
    }
    if (parts.isEmpty())
        return {};
    const CodedFormat &first = parts.first();
    for (const CodedFormat &part : parts) {
        QString differs;
        if (part.codec != first.codec || part.container != first.container)
            differs = QStringLiteral("it holds %1 audio, '%2' holds %3").arg(part.codec, first.path, first.codec);
        else if (part.sampleRate != first.sampleRate)
            differs = QStringLiteral("its sample rate is %1 Hz, that of '%2' %3 Hz")
                          .arg(part.sampleRate).arg(first.path).arg(first.sampleRate);
        else if (part.channels != first.channels)
            differs = QStringLiteral("it has %1 channels, '%2' has %3")
                          .arg(part.channels).arg(first.path).arg(first.channels);
        else if (part.recoded && first.recoded && part.setup != first.setup)
            differs = QStringLiteral("its samples are of %1, those of '%2' of %3")
                          .arg(QString::fromLatin1(part.setup), first.path, QString::fromLatin1(first.setup));
        else if (part.setup != first.setup)
            differs = QStringLiteral("its codec setup differs from that of '%1'").arg(first.path);
        if (!differs.isEmpty())
            return QStringLiteral("'%1' cannot be joined to the others without re-encoding: %2. "
                                  "Choose an output format to encode the join.")
                .arg(part.path, differs);
    }
    return {};
}

const Mp3Source &SourceCopier::mp3(const QString &path)
{
    auto found = m_mp3.find(path);
    if (found == m_mp3.end())
        found = m_mp3.insert(path, IndexMp3Source(path));
    return *found;
}

const CodedFormat &SourceCopier::format(const QString &path)
{
    auto found = m_formats.find(path);
    if (found == m_formats.end())
        found = m_formats.insert(path, ProbeCodedFormat(path));
    return *found;
}

bool SourceCopier::copy(const QList<PacketRange> &ranges, const QString &outputPath,
                        const std::function<void(qint64 done, qint64 total)> &progress, const MuxedComments &comments)
{
    if (ranges.isEmpty())
        return false;
    const CodedFormat &coded = format(ranges.first().path);
    if (const QString refusal = CopyRefusal(coded); !refusal.isEmpty())
        throw KorvexError(refusal);
    if (coded.recoded) {
        OutputEncoding encoding = *coded.recoded;
        encoding.flacCompression = m_flacCompression;
        RecodeRanges(ranges, outputPath, encoding, progress);
        return false;
    }
    if (!isMp3(coded)) {
        CopyPacketRanges(ranges, outputPath, progress, comments);
        return coded.container == QLatin1String("ogg");
    }
    QList<Mp3Range> pieces;
    for (const PacketRange &range : ranges)
        pieces.append(Mp3Range{&mp3(range.path), range.first, range.end});
    WriteMp3Ranges(pieces, outputPath, progress);
    return false;
}

} // namespace korvex
