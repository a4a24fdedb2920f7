#pragma once

#include <QString>
#include <QtGlobal>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace korvex {

// How long a source really is, in the frames a straight decode delivers
// (encoder delay and padding already cut), and the frame grid its decoder
// works on (0 when frames vary in size and timestamps are exact anyway).
struct SourceLength
{
    qint64 frames = 0;
    int grid = 0;
    // For sources measured by decoding (timestamps coarser than a sample):
    // where each decoded frame starts in a straight decode, by its timestamp,
    // in decoding order. After a seek, a decoder may leave out the start of
    // its first frame (a bit reservoir it has not seen); the table still
    // tells where the frame it did give ends.
    struct FrameStart
    {
        int64_t pts;
        qint64 start;
    };
    std::shared_ptr<const std::vector<FrameStart>> starts;

    // For streams whose demuxer finds a timestamp only by reading every
    // packet before it (MP3): where every few packets begin in the file, with
    // their timestamps, from the measurement that walked them all. A reader
    // hands them to its demuxer, so that a seek into the middle of a fresh
    // reader jumps there.
    struct PacketAt
    {
        int64_t pos;
        int64_t dts;
    };
    std::shared_ptr<const std::vector<PacketAt>> seekIndex;

    // The straight-decode position of a frame of `samples` samples that the
    // decoder gave with timestamp `pts`, if the table knows the timestamp.
    std::optional<qint64> positionOf(int64_t pts, qint64 samples) const;
};

// The writer stores the exact frame count of the audio it was given in this
// header attribute, because ASF cannot say where the padding of the last
// frame begins.
inline constexpr const char *FrameCountAttribute = "KorvexFrameCount";

// Measures a source: from its own header where that is exact, by summing its
// packets where they carry exact durations, and by decoding it otherwise
// (WMA). Results are remembered per file (path, size, modification time), so
// reopening an unchanged file costs nothing. Throws KorvexError when the file
// cannot be read at all.
SourceLength measureSource(const QString &path);

} // namespace korvex
