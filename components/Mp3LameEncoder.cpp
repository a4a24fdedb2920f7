#include "components/Mp3LameEncoder.h"

namespace korvex {

const AVCodec *Mp3LameEncoder::codec()
{
    return avcodec_find_encoder_by_name("libmp3lame");
}

void Mp3LameEncoder::configure(AVCodecContext &context, const OutputEncoding &encoding)
{
    const OutputEncoding in = WithinRanges(encoding);
    if (in.mp3Vbr) {
        // libmp3lame reads LAME's -V value from the quality scale.
        context.flags |= AV_CODEC_FLAG_QSCALE;
        context.global_quality = in.mp3VbrQuality * FF_QP2LAMBDA;
        return;
    }
    context.bit_rate = qint64(in.mp3Bitrate) * 1000;
}

} // namespace korvex
