#pragma once

#include <QString>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libswresample/swresample.h>
}

namespace korvex {

// Owning handles for FFmpeg's objects, so that every early return and every
// exception releases them.
struct InputFormatCloser { void operator()(AVFormatContext *p) const { avformat_close_input(&p); } };
struct OutputFormatFreer { void operator()(AVFormatContext *p) const { avformat_free_context(p); } };
struct CodecContextFreer { void operator()(AVCodecContext *p) const { avcodec_free_context(&p); } };
struct FrameFreer { void operator()(AVFrame *p) const { av_frame_free(&p); } };
struct PacketFreer { void operator()(AVPacket *p) const { av_packet_free(&p); } };
struct ResamplerFreer { void operator()(SwrContext *p) const { swr_free(&p); } };
struct AudioFifoFreer { void operator()(AVAudioFifo *p) const { av_audio_fifo_free(p); } };
// The pool itself goes once the last buffer taken from it is returned.
struct BufferPoolCloser { void operator()(AVBufferPool *p) const { av_buffer_pool_uninit(&p); } };

using InputFormatPtr = std::unique_ptr<AVFormatContext, InputFormatCloser>;
using OutputFormatPtr = std::unique_ptr<AVFormatContext, OutputFormatFreer>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextFreer>;
using FramePtr = std::unique_ptr<AVFrame, FrameFreer>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFreer>;
using ResamplerPtr = std::unique_ptr<SwrContext, ResamplerFreer>;
using AudioFifoPtr = std::unique_ptr<AVAudioFifo, AudioFifoFreer>;
using BufferPoolPtr = std::unique_ptr<AVBufferPool, BufferPoolCloser>;

// FFmpeg's own words for an error code ("Invalid data found when processing input").
QString ffmpegErrorText(int code);

FramePtr makeFrame();
PacketPtr makePacket();
// A FIFO of interleaved floats; throws KorvexError when memory runs out.
AudioFifoPtr makeFloatFifo(int channels, int initialFrames);

// Converter from any decoded layout to interleaved or planar float at another
// rate and channel count. Mono and stereo convert into each other at unity
// gain (a mono source plays on both sides as loud as it was; stereo folds down
// to the average), which swresample's defaults would not do.
ResamplerPtr makeFloatConverter(const AVChannelLayout &inLayout, AVSampleFormat inFormat, int inRate,
                                int outChannels, AVSampleFormat outFormat, int outRate);

// A channel layout for a bare channel count: the usual one for that count.
AVChannelLayout defaultLayout(int channels);

} // namespace korvex
