#pragma once

#include "components/OutputEncoding.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace korvex {

// The MP3 encoder: LAME through FFmpeg's libmp3lame, constant bitrate (32 to
// 320 kbps) or variable (V0 to V9, LAME's own scale). MPEG-1 rates up to
// 48 kHz and the lower MPEG-2/2.5 ones; at those LAME itself moves a CBR rate
// above 160 kbps down to what the lower rates allow.
class Mp3LameEncoder
{
public:
    static const AVCodec *codec();  // nullptr when FFmpeg lacks libmp3lame
    // Sets bitrate or VBR quality on a context not yet opened.
    static void configure(AVCodecContext &context, const OutputEncoding &encoding);
};

} // namespace korvex
