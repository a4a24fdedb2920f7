#include "components/EncoderSetup.h"

#include "components/KorvexError.h"
#include "components/Mp3LameEncoder.h"

#include <cstdlib>

namespace korvex {

namespace {

const AVCodec *findCodec(EncodedCodec codec, int wavBits)
{
    switch (codec) {
    case EncodedCodec::Mp3:
        return Mp3LameEncoder::codec();
    case EncodedCodec::Vorbis:
        return avcodec_find_encoder_by_name("libvorbis");
    case EncodedCodec::Opus:
        return avcodec_find_encoder_by_name("libopus");
    case EncodedCodec::Flac:
        return avcodec_find_encoder(AV_CODEC_ID_FLAC);
    case EncodedCodec::Aac:
        return avcodec_find_encoder_by_name("aac");
    case EncodedCodec::Wav:
        return avcodec_find_encoder(wavBits >= 24 ? AV_CODEC_ID_PCM_S24LE : AV_CODEC_ID_PCM_S16LE);
    case EncodedCodec::Wma:
        break;
    }
    return nullptr;
}

const char *codecWords(EncodedCodec codec)
{
    switch (codec) {
    case EncodedCodec::Mp3:
        return "MP3 (libmp3lame)";
    case EncodedCodec::Vorbis:
        return "Vorbis (libvorbis)";
    case EncodedCodec::Opus:
        return "Opus (libopus)";
    case EncodedCodec::Flac:
        return "FLAC";
    case EncodedCodec::Aac:
        return "AAC";
    case EncodedCodec::Wav:
        return "PCM";
    case EncodedCodec::Wma:
        break;
    }
    return "WMA";
}

// The rate in a codec's list nearest to `rate`, the higher of two as near;
// `rate` itself when the codec lists none (it takes any).
int nearestListedRate(const AVCodec &codec, int rate)
{
    if (!codec.supported_samplerates)
        return rate;
    int best = 0;
    for (const int *listed = codec.supported_samplerates; *listed != 0; ++listed) {
        const int distance = std::abs(*listed - rate);
        const int bestDistance = std::abs(best - rate);
        if (best == 0 || distance < bestDistance || (distance == bestDistance && *listed > best))
            best = *listed;
    }
    return best;
}

// Our samples are floats: a codec that takes floats gets them as they are
// (libmp3lame and libopus list integers first, which would cost a
// conversion each way and, for Opus, round the audio to 16 bits before
// it is coded). FLAC and PCM take integers only: 16-bit, or 32-bit for a
// 24-bit FLAC.
AVSampleFormat sampleFormatFor(const AVCodec &codec, const OutputEncoding &in)
{
    if (in.codec == EncodedCodec::Flac && in.sourceBits > 16)
        return AV_SAMPLE_FMT_S32;
    if (!codec.sample_fmts)
        return AV_SAMPLE_FMT_FLTP;
    for (const AVSampleFormat *format = codec.sample_fmts; *format != AV_SAMPLE_FMT_NONE; ++format) {
        if (*format == AV_SAMPLE_FMT_FLTP || *format == AV_SAMPLE_FMT_FLT)
            return *format;
    }
    return codec.sample_fmts[0];
}

// The PCM codec that writes a WAV source's samples back as they were.
const AVCodec *sourcePcmCodec(int bits)
{
    switch (bits) {
    case 8:
        return avcodec_find_encoder(AV_CODEC_ID_PCM_U8);
    case 24:
        return avcodec_find_encoder(AV_CODEC_ID_PCM_S24LE);
    case 32:
        return avcodec_find_encoder(AV_CODEC_ID_PCM_F32LE);
    default:
        return avcodec_find_encoder(AV_CODEC_ID_PCM_S16LE);
    }
}

void setQuality(AVCodecContext &context, const OutputEncoding &in)
{
    switch (in.codec) {
    case EncodedCodec::Mp3:
        Mp3LameEncoder::configure(context, in);
        break;
    case EncodedCodec::Vorbis:
        // libvorbis takes its -1..10 quality from the quality scale.
        context.flags |= AV_CODEC_FLAG_QSCALE;
        context.global_quality = in.vorbisQuality * FF_QP2LAMBDA;
        break;
    case EncodedCodec::Opus:
        context.bit_rate = qint64(in.opusBitrate) * 1000;
        break;
    case EncodedCodec::Flac:
        context.compression_level = in.flacCompression;
        if (in.sourceBits > 16)
            context.bits_per_raw_sample = 24;
        break;
    case EncodedCodec::Aac:
        context.bit_rate = qint64(in.aacBitrate) * 1000;
        break;
    case EncodedCodec::Wav:
        if ((in.sourceBits > 0 ? in.sourceBits : in.wavBits) == 24)
            context.bits_per_raw_sample = 24;
        break;
    case EncodedCodec::Wma:
        break;
    }
}

} // namespace

const char *MuxerName(EncodedCodec codec)
{
    switch (codec) {
    case EncodedCodec::Mp3:
        return "mp3";
    case EncodedCodec::Vorbis:
    case EncodedCodec::Opus:
        return "ogg";
    case EncodedCodec::Flac:
        return "flac";
    case EncodedCodec::Aac:
        return "ipod";
    case EncodedCodec::Wav:
        return "wav";
    case EncodedCodec::Wma:
        break;
    }
    return "asf";
}

int EncoderRate(EncodedCodec codec, int inputRate)
{
    // Opus codes everything at 48 kHz inside; a lower rate would only be
    // resampled again by every player.
    if (codec == EncodedCodec::Opus)
        return 48000;
    const AVCodec *found = findCodec(codec, 16);
    return found ? nearestListedRate(*found, inputRate) : inputRate;
}

int EncoderChannels(EncodedCodec codec, int inputChannels)
{
    if (codec == EncodedCodec::Mp3 || codec == EncodedCodec::Opus)
        return std::min(inputChannels, 2);
    return inputChannels;
}

CodecContextPtr OpenEncoder(const OutputEncoding &encoding, int inputRate, int inputChannels, bool globalHeader)
{
    const OutputEncoding in = WithinRanges(encoding);
    const AVCodec *codec = in.codec == EncodedCodec::Wav && in.sourceBits > 0 ? sourcePcmCodec(in.sourceBits)
                                                                               : findCodec(in.codec, in.wavBits);
    if (!codec)
        throw KorvexError(QStringLiteral("The %1 encoder is missing from this FFmpeg.")
                              .arg(QLatin1String(codecWords(in.codec))));
    CodecContextPtr context(avcodec_alloc_context3(codec));
    if (!context)
        throw KorvexError(QStringLiteral("Out of memory while setting up the %1 encoder.")
                              .arg(QLatin1String(codecWords(in.codec))));
    context->sample_rate = EncoderRate(in.codec, inputRate);
    context->ch_layout = defaultLayout(EncoderChannels(in.codec, inputChannels));
    context->sample_fmt = sampleFormatFor(*codec, in);
    context->time_base = AVRational{1, context->sample_rate};
    if (globalHeader)
        context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    setQuality(*context, in);
    const int status = avcodec_open2(context.get(), codec, nullptr);
    if (status < 0)
        throw KorvexError(QStringLiteral("The %1 encoder refused %2 Hz with %3 channels: %4.")
                              .arg(QLatin1String(codecWords(in.codec)))
                              .arg(context->sample_rate)
                              .arg(context->ch_layout.nb_channels)
                              .arg(ffmpegErrorText(status)));
    return context;
}

} // namespace korvex
