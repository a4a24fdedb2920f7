#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <cstdint>

extern "C" {
#include <libavutil/md5.h>
#include <libavutil/mem.h>
}

#include <memory>

struct AVPacket;

namespace korvex {

// FLAC frames encoded apart from each other (each chunk of a file by an
// encoder of its own) carry the frame numbers their encoder counted. A
// stream of fixed-size blocks numbers its frames from 0, and every reader
// that seeks or checks the stream relies on it, so each frame is given its
// place in the whole file again.

// Rewrites `packet`, one whole FLAC frame of a stream of fixed-size blocks,
// to carry `frameNumber`: the header's coded number, its CRC-8 and the
// frame's closing CRC-16 (the number's length may change, so the packet may
// grow or shrink). Returns false, leaving the packet as it was, for data
// that is no such frame.
bool RenumberFlacFrame(AVPacket &packet, qint64 frameNumber);

// The frame number a FLAC frame carries, -1 for data that is no frame
// (what readers of our files look at; the tests check renumbered frames).
qint64 FlacFrameNumber(const uint8_t *frame, int size);

// What a FLAC file's STREAMINFO block says about the frames after it, as
// the writer of those frames counts them.
struct FlacStreamFacts
{
    int minFrameBytes = 0;   // 0: no frame written
    int maxFrameBytes = 0;
    qint64 totalSamples = 0;  // per channel
    QByteArray md5;          // 16 bytes over the samples as FLAC orders them
};

// `streamInfo`, the 34 bytes of an encoder's STREAMINFO (its extradata),
// with the frame sizes, sample count and MD5 of `facts` written into it.
QByteArray PatchedStreamInfo(const QByteArray &streamInfo, const FlacStreamFacts &facts);

// The MD5 FLAC keeps of its input: over every sample, interleaved, signed
// little-endian in as many whole bytes as the stream's bits per sample.
class FlacSampleMd5
{
public:
    // `samples32` for 32-bit samples holding `bitsPerSample` (24) in their
    // top bits, as FFmpeg's encoder takes them; otherwise 16-bit samples.
    FlacSampleMd5(bool samples32, int bitsPerSample);
    void add(const uint8_t *interleaved, qint64 sampleCount);
    QByteArray result();  // once, after the last add()

private:
    struct Freer { void operator()(AVMD5 *p) const { av_free(p); } };
    std::unique_ptr<AVMD5, Freer> m_md5;
    const bool m_samples32;
    const int m_shift;
    QByteArray m_packed;  // 24-bit samples packed into 3 bytes, reused
};

} // namespace korvex
