#pragma once

#include "components/OutputEncoding.h"

#include <QString>
#include <vector>

namespace korvex {

// What a failed EncodedWriter left at `path`, after its muxer finished the
// header over a disk that refused bytes from `failedAt` on (-1: the disk
// took everything): the file is cut back to the last of `packetEnds` (file
// offsets, ascending) that is wholly on disk, and the container's header is
// made to describe what is left (WAV sizes, FLAC's sample count, with its MD5
// marked unknown, the MP3 Xing frame and byte counts); every packet but a
// file's last holds `packetFrames` frames. Returns the packets
// kept; 0 when none are, or when the container cannot be repaired (an MP4
// whose index was to follow the audio).
qint64 SalvageEncoded(const QString &path, EncodedCodec codec, const std::vector<qint64> &packetEnds,
                      qint64 failedAt, int packetFrames);

// True when FFmpeg finds at least one audio packet in the file.
bool HoldsAudioPackets(const QString &path);

} // namespace korvex
