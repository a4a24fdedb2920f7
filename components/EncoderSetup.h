#pragma once

#include "components/FfmpegSupport.h"
#include "components/OutputEncoding.h"

namespace korvex {

// The FFmpeg muxer an encoded output is written with ("mp3", "ogg", ...).
const char *MuxerName(EncodedCodec codec);

// The rate a codec is fed at for audio of `inputRate`: the input's own where
// the codec takes it, otherwise the nearest it accepts (Opus: 48 kHz).
int EncoderRate(EncodedCodec codec, int inputRate);
// The channels it is fed with: MP3 and Opus take at most two.
int EncoderChannels(EncodedCodec codec, int inputChannels);

// An opened encoder for audio of that rate and channel count, set up with
// the encoding's quality. `globalHeader`: the muxer wants the codec's setup
// data apart from the packets (Ogg, MP4). Throws KorvexError naming the codec
// and FFmpeg's reason, e.g. when this FFmpeg was built without it.
CodecContextPtr OpenEncoder(const OutputEncoding &encoding, int inputRate, int inputChannels, bool globalHeader);

} // namespace korvex
