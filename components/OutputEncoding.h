#pragma once

#include <QString>

namespace korvex {

// The codec family an output is encoded with. WMA goes through AudioWriter
// and its profiles; the others through EncodedWriter.
enum class EncodedCodec {
    Wma,
    Mp3,     // LAME through FFmpeg's libmp3lame, in an MP3 file with an ID3v2 tag
    Vorbis,  // libvorbis in Ogg
    Opus,    // libopus in Ogg, always at 48 kHz
    Flac,    // FFmpeg's FLAC encoder, 16 bits (24 for a 24-bit source)
    Aac,     // FFmpeg's native AAC encoder in an MPEG-4 (.m4a) file
    Wav,     // PCM in RIFF WAVE
};

// What every codec but WMA is encoded with. The ranges are the ones users
// know from other tools; values outside them are brought to the nearest end.
struct OutputEncoding
{
    EncodedCodec codec = EncodedCodec::Wma;
    bool mp3Vbr = false;
    int mp3Bitrate = 192;       // kbps, 32 to 320 (CBR)
    int mp3VbrQuality = 2;      // V0 (best) to V9
    int vorbisQuality = 5;      // -1 to 10
    int opusBitrate = 128;      // kbps, 6 to 510
    int flacCompression = 5;    // 0 to 8
    int aacBitrate = 192;       // kbps, 32 to 512
    int wavBits = 16;           // 16 or 24
    // A FLAC or WAV source written again in its own format ("Same as
    // source"): its bits per sample (FLAC 16 or 24; WAV 8, 16, 24, or 32 for
    // 32-bit floats), which then stand for the FLAC default and wavBits.
    int sourceBits = 0;
};

// The same values, each brought into its range.
OutputEncoding WithinRanges(const OutputEncoding &encoding);

// A float WAV source written again as floats: its peaks beyond full scale are
// audio to keep, not damage to clip.
bool KeepsPeaksBeyondFullScale(const OutputEncoding &encoding);

// "MP3 192 kbps CBR", "Opus 128 kbps", "FLAC level 5", ...: what a run
// encodes with, for the window's and korvex-cli's texts.
QString EncodingSummary(const OutputEncoding &encoding);

} // namespace korvex
