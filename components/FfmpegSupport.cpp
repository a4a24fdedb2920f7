#include "components/FfmpegSupport.h"

#include "components/KorvexError.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/opt.h>
}

namespace korvex {

QString ffmpegErrorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

FramePtr makeFrame()
{
    FramePtr frame(av_frame_alloc());
    if (!frame)
        throw KorvexError(QStringLiteral("Out of memory while allocating an audio frame."));
    return frame;
}

PacketPtr makePacket()
{
    PacketPtr packet(av_packet_alloc());
    if (!packet)
        throw KorvexError(QStringLiteral("Out of memory while allocating an audio packet."));
    return packet;
}

AudioFifoPtr makeFloatFifo(int channels, int initialFrames)
{
    AudioFifoPtr fifo(av_audio_fifo_alloc(AV_SAMPLE_FMT_FLT, channels, std::max(initialFrames, 1)));
    if (!fifo)
        throw KorvexError(QStringLiteral("Out of memory while allocating an audio buffer."));
    return fifo;
}

AVChannelLayout defaultLayout(int channels)
{
    AVChannelLayout layout{};
    av_channel_layout_default(&layout, channels);
    return layout;
}

namespace {

// Unity-gain matrices for the two conversions the program meets all the time.
bool setMonoStereoMatrix(SwrContext *swr, int inChannels, int outChannels)
{
    if (inChannels == 1 && outChannels == 2) {
        const double upmix[2] = {1.0, 1.0};
        return swr_set_matrix(swr, upmix, 1) >= 0;
    }
    if (inChannels == 2 && outChannels == 1) {
        const double downmix[2] = {0.5, 0.5};
        return swr_set_matrix(swr, downmix, 2) >= 0;
    }
    return true;
}

} // namespace

ResamplerPtr makeFloatConverter(const AVChannelLayout &inLayout, AVSampleFormat inFormat, int inRate,
                                int outChannels, AVSampleFormat outFormat, int outRate)
{
    // A layout of unknown order (WAV, some raw codecs) is taken as the usual
    // layout for its channel count so that the rematrixing has names to use.
    AVChannelLayout source{};
    if (inLayout.order == AV_CHANNEL_ORDER_UNSPEC)
        source = defaultLayout(inLayout.nb_channels);
    else
        av_channel_layout_copy(&source, &inLayout);
    AVChannelLayout target = defaultLayout(outChannels);

    SwrContext *raw = nullptr;
    int status = swr_alloc_set_opts2(&raw, &target, outFormat, outRate, &source, inFormat, inRate, 0, nullptr);
    ResamplerPtr swr(raw);
    if (status >= 0 && !setMonoStereoMatrix(swr.get(), source.nb_channels, outChannels))
        status = AVERROR(EINVAL);
    if (status >= 0)
        status = swr_init(swr.get());
    av_channel_layout_uninit(&source);
    av_channel_layout_uninit(&target);
    if (status < 0)
        throw KorvexError(QStringLiteral("Unable to convert audio from %1 Hz, %2 channels to %3 Hz, %4 channels: %5.")
                              .arg(inRate).arg(inLayout.nb_channels).arg(outRate).arg(outChannels)
                              .arg(ffmpegErrorText(status)));
    return swr;
}

} // namespace korvex
