#pragma once

#include "components/LosslessCopy.h"
#include "components/Mp3Pieces.h"
#include "components/PacketCopier.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <functional>
#include <optional>

namespace korvex {

// What a source's audio is coded as, for telling whether parts can be joined
// without re-encoding.
struct CodedFormat
{
    QString path;
    QString codec;        // FFmpeg's name: "mp3", "vorbis", "opus", "aac", "wmav2", ...
    QString container;    // the muxer a copy is written with; empty when none
    int sampleRate = 0;
    int channels = 0;
    QByteArray setup;     // the codec's setup data (extradata); empty where the audio is written again
    // FLAC and WAV: written again losslessly in this encoding, not copied
    std::optional<OutputEncoding> recoded;
};

// Throws KorvexError naming the file when it cannot be read.
CodedFormat ProbeCodedFormat(const QString &path);

// Why the file cannot be cut without re-encoding; empty when it can.
QString CopyRefusal(const CodedFormat &format);
// Why these parts cannot be joined without re-encoding (another codec, rate,
// channel count or codec setup than the first part's); empty when they can.
QString JoinCopyRefusal(const QList<CodedFormat> &parts);

// Cuts ranges of sources into new files without re-encoding: MP3 frame by
// frame with the exact samples (Mp3Pieces), FLAC and WAV decoded and written
// again without loss (LosslessCopy), the other codecs packet by packet
// (PacketCopier). What a source is coded as and an MP3 source's frame index
// are found once and kept until forget(), so the many pieces of one file do
// not read it again; the caller checks that the file is unchanged between
// pieces, and a frame of an MP3 that changed anyway is noticed as it is copied.
class SourceCopier
{
public:
    // True when the output is Ogg, whose comment header was written with
    // `comments`; other outputs are tagged afterwards.
    bool copy(const QList<PacketRange> &ranges, const QString &outputPath,
              const std::function<void(qint64 done, qint64 total)> &progress = {},
              const MuxedComments &comments = {});
    // The FLAC compression level (0 to 8) FLAC sources are written again with.
    void setFlacCompression(int level) { m_flacCompression = level; }
    void forget()
    {
        m_mp3.clear();
        m_formats.clear();
    }

private:
    const Mp3Source &mp3(const QString &path);
    const CodedFormat &format(const QString &path);

    QHash<QString, Mp3Source> m_mp3;
    QHash<QString, CodedFormat> m_formats;
    int m_flacCompression = OutputEncoding().flacCompression;
};

} // namespace korvex
