#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

namespace korvex {

// The fields of an MPEG audio Layer III frame header that cutting without
// re-encoding needs: how long the frame is, how many samples it decodes to,
// where its side information ends and how far back into earlier frames its
// main data begins (the bit reservoir).
struct Mp3FrameHeader
{
    quint32 word = 0;
    bool mpeg1 = true;
    int sampleRate = 0;
    int bitrateIndex = 0;
    bool padded = false;
    bool hasCrc = false;
    bool mono = false;

    int samplesPerFrame() const { return mpeg1 ? 1152 : 576; }
    int sideInfoBytes() const;
    // Header, checksum and side information: where the main data area starts.
    int payloadOffset() const { return 4 + (hasCrc ? 2 : 0) + sideInfoBytes(); }
    int frameBytes() const;
};

// The header at the start of `frame`, when it is a Layer III header with a
// known bitrate (free-format frames cannot be told apart without a scan).
std::optional<Mp3FrameHeader> ParseMp3Header(const char *frame, qsizetype size);

// The bytes of earlier frames the main data of `frame` begins in.
int Mp3MainDataBegin(const Mp3FrameHeader &header, const char *frame);

// The bytes of main data the frame's granules use (their part2_3_length bits).
int Mp3MainDataBytes(const Mp3FrameHeader &header, const char *frame);

// `frame` made to hold its own main data: no reach into earlier frames, its
// `mainData` (that of the frame, gathered from wherever it began) at the start
// of its main data area, and `reservoir` at the end for the frame after it to
// reach back into. Of the same format at the smallest bitrate that holds them
// (a stream may change bitrate from frame to frame); it decodes as the frame
// did. Empty where no bitrate holds them.
QByteArray SelfContainedMp3Frame(const Mp3FrameHeader &header, const char *frame, const QByteArray &mainData,
                                 const QByteArray &reservoir);

// A frame of the same stream format that decodes to silence and carries
// `reservoir` at the end of its main data area, for the frame after it to
// reach back into. The smallest bitrate whose frame holds it is taken.
QByteArray SilentMp3Frame(const Mp3FrameHeader &like, const QByteArray &reservoir);

// What the "Info"/"Xing" frame at the start of a piece says.
struct Mp3InfoFields
{
    quint32 frames = 0;          // audio frames after this one
    quint32 streamBytes = 0;     // this frame and all audio frames
    int encoderDelay = 0;        // samples the decoder drops at the start, less its own 529
    int padding = 0;             // samples at the end that are not audio, plus 529
    bool constantBitrate = true;
    QByteArray toc;              // 100 entries: the byte position of each percent of time, in 1/256
};

// The first frame of a piece: silent, of the stream's format, holding the
// frame count, byte count, seek table and the encoder delay and padding that
// make a decoder give exactly the piece's samples.
QByteArray Mp3InfoFrame(const Mp3FrameHeader &like, const Mp3InfoFields &fields);

} // namespace korvex
