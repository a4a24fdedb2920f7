#include "AudioFixtures.h"

#include <QFile>
#include <cmath>
#include <memory>
#include <numbers>
#include <random>
#include <stdexcept>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

namespace korvex::test {

namespace {

[[noreturn]] void fail(const QString &what, int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    throw std::runtime_error((what + QStringLiteral(": ") + QString::fromUtf8(text)).toStdString());
}

void check(int code, const QString &what)
{
    if (code < 0)
        fail(what, code);
}

struct Deleters
{
    void operator()(AVCodecContext *p) const { avcodec_free_context(&p); }
    void operator()(AVFrame *p) const { av_frame_free(&p); }
    void operator()(AVPacket *p) const { av_packet_free(&p); }
    void operator()(SwrContext *p) const { swr_free(&p); }
};
template <typename T> using Owned = std::unique_ptr<T, Deleters>;

struct OutputFile
{
    AVFormatContext *format = nullptr;
    ~OutputFile()
    {
        if (format && format->pb)
            avio_closep(&format->pb);
        avformat_free_context(format);
    }
};

const char *encoderFor(const QString &path)
{
    const QString lower = path.toLower();
    if (lower.endsWith(QLatin1String(".wmv1.wma")))
        return "wmav1";
    static const std::pair<const char *, const char *> table[] = {
        {".wav", "pcm_s16le"}, {".flac", "flac"}, {".mp3", "libmp3lame"}, {".ogg", "libvorbis"},
        {".opus", "libopus"},  {".m4a", "aac"},   {".aac", "aac"},        {".wma", "wmav2"}};
    for (const auto &[extension, codec] : table)
        if (lower.endsWith(QLatin1String(extension)))
            return codec;
    throw std::runtime_error(("no test encoder for " + path).toStdString());
}

AVSampleFormat preferredFormat(const AVCodec *codec)
{
    if (!codec->sample_fmts)
        return AV_SAMPLE_FMT_FLTP;
    for (const AVSampleFormat *f = codec->sample_fmts; *f != AV_SAMPLE_FMT_NONE; ++f)
        if (*f == AV_SAMPLE_FMT_FLTP || *f == AV_SAMPLE_FMT_FLT)
            return *f;
    return codec->sample_fmts[0];
}

void drainPackets(AVCodecContext *encoder, AVFormatContext *format, AVStream *stream, AVPacket *packet)
{
    for (;;) {
        const int status = avcodec_receive_packet(encoder, packet);
        if (status == AVERROR(EAGAIN) || status == AVERROR_EOF)
            return;
        check(status, QStringLiteral("encode"));
        av_packet_rescale_ts(packet, encoder->time_base, stream->time_base);
        packet->stream_index = stream->index;
        check(av_interleaved_write_frame(format, packet), QStringLiteral("write"));
    }
}

} // namespace

AudioSpec noiseSpec(int sampleRate, int channels, qint64 frames, float amplitude, quint32 seed)
{
    AudioSpec tone;
    tone.sampleRate = sampleRate;
    tone.channels = channels;
    tone.frames = frames;
    tone.signal = Signal::Noise;
    tone.amplitude = amplitude;
    tone.seed = seed;
    return tone;
}

AudioSpec sineSpec(int sampleRate, int channels, qint64 frames, double frequency, float amplitude)
{
    AudioSpec tone;
    tone.sampleRate = sampleRate;
    tone.channels = channels;
    tone.frames = frames;
    tone.frequency = frequency;
    tone.amplitude = amplitude;
    return tone;
}

QList<float> generateSamples(const AudioSpec &tone)
{
    QList<float> samples(tone.frames * tone.channels, 0.0f);
    std::mt19937 random(tone.seed);
    std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
    for (qint64 f = 0; f < tone.frames; ++f) {
        for (int c = 0; c < tone.channels; ++c) {
            float value = 0.0f;
            switch (tone.signal) {
            case Signal::Sine:
                value = float(std::sin(2.0 * std::numbers::pi * tone.frequency * (1.0 + 0.5 * c) * double(f)
                                       / tone.sampleRate));
                break;
            case Signal::Noise:
                value = uniform(random);
                break;
            case Signal::Silence:
                break;
            case Signal::Clicks:
                value = f % 1000 == 500 ? 1.0f : 0.0f;
                break;
            }
            samples[f * tone.channels + c] = value * tone.amplitude;
        }
    }
    return samples;
}

void writeAudioFile(const QString &path, const AudioSpec &tone)
{
    writeAudioSamples(path, tone.sampleRate, tone.channels, generateSamples(tone), tone.bitRate);
}

void writeAudioSamples(const QString &path, int sampleRate, int channels, const QList<float> &samples,
                       int bitRate)
{
    const AVCodec *codec = avcodec_find_encoder_by_name(encoderFor(path));
    if (!codec)
        throw std::runtime_error("test encoder missing");
    OutputFile out;
    const QByteArray name = QFile::encodeName(path);
    const char *muxer = path.endsWith(QLatin1String(".opus")) ? "ogg" : nullptr;
    check(avformat_alloc_output_context2(&out.format, nullptr, muxer, name.constData()), path);
    Owned<AVCodecContext> encoder(avcodec_alloc_context3(codec));
    encoder->sample_rate = sampleRate;
    av_channel_layout_default(&encoder->ch_layout, channels);
    encoder->sample_fmt = preferredFormat(codec);
    encoder->time_base = AVRational{1, sampleRate};
    if (bitRate > 0)
        encoder->bit_rate = bitRate;
    if (out.format->oformat->flags & AVFMT_GLOBALHEADER)
        encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    check(avcodec_open2(encoder.get(), codec, nullptr), QStringLiteral("open encoder"));
    AVStream *stream = avformat_new_stream(out.format, nullptr);
    check(avcodec_parameters_from_context(stream->codecpar, encoder.get()), QStringLiteral("parameters"));
    stream->time_base = encoder->time_base;
    check(avio_open(&out.format->pb, name.constData(), AVIO_FLAG_WRITE), path);
    check(avformat_write_header(out.format, nullptr), QStringLiteral("header"));

    SwrContext *rawSwr = nullptr;
    check(swr_alloc_set_opts2(&rawSwr, &encoder->ch_layout, encoder->sample_fmt, sampleRate, &encoder->ch_layout,
                              AV_SAMPLE_FMT_FLT, sampleRate, 0, nullptr),
          QStringLiteral("swr"));
    Owned<SwrContext> swr(rawSwr);
    check(swr_init(swr.get()), QStringLiteral("swr init"));

    const bool variable = codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE;
    const int frameSize = (encoder->frame_size > 0 && !variable) ? encoder->frame_size : 1024;
    const bool smallLast = variable || (codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME);
    Owned<AVFrame> frame(av_frame_alloc());
    Owned<AVPacket> packet(av_packet_alloc());
    const qint64 total = samples.size() / channels;
    for (qint64 at = 0; at < total; at += frameSize) {
        const int count = int(std::min<qint64>(frameSize, total - at));
        frame->nb_samples = smallLast ? count : frameSize;
        frame->format = encoder->sample_fmt;
        av_channel_layout_copy(&frame->ch_layout, &encoder->ch_layout);
        frame->sample_rate = sampleRate;
        check(av_frame_get_buffer(frame.get(), 0), QStringLiteral("frame"));
        av_samples_set_silence(frame->extended_data, 0, frame->nb_samples, channels, encoder->sample_fmt);
        const auto *in = reinterpret_cast<const uint8_t *>(samples.constData() + at * channels);
        check(swr_convert(swr.get(), frame->extended_data, count, &in, count), QStringLiteral("convert"));
        frame->pts = at;
        check(avcodec_send_frame(encoder.get(), frame.get()), QStringLiteral("send"));
        av_frame_unref(frame.get());
        drainPackets(encoder.get(), out.format, stream, packet.get());
    }
    check(avcodec_send_frame(encoder.get(), nullptr), QStringLiteral("flush"));
    drainPackets(encoder.get(), out.format, stream, packet.get());
    check(av_write_trailer(out.format), QStringLiteral("trailer"));
}

DecodedAudio decodeFile(const QString &path)
{
    AVFormatContext *format = nullptr;
    check(avformat_open_input(&format, QFile::encodeName(path).constData(), nullptr, nullptr), path);
    std::unique_ptr<AVFormatContext *, void (*)(AVFormatContext **)> closer(&format, avformat_close_input);
    check(avformat_find_stream_info(format, nullptr), path);
    const AVCodec *codec = nullptr;
    const int index = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    check(index, path);
    Owned<AVCodecContext> decoder(avcodec_alloc_context3(codec));
    check(avcodec_parameters_to_context(decoder.get(), format->streams[index]->codecpar), path);
    decoder->pkt_timebase = format->streams[index]->time_base;
    check(avcodec_open2(decoder.get(), codec, nullptr), path);

    DecodedAudio decoded;
    Owned<AVFrame> frame(av_frame_alloc());
    Owned<AVPacket> packet(av_packet_alloc());
    Owned<SwrContext> swr;
    auto take = [&] {
        while (avcodec_receive_frame(decoder.get(), frame.get()) >= 0) {
            if (!swr) {
                decoded.sampleRate = frame->sample_rate;
                decoded.channels = frame->ch_layout.nb_channels;
                SwrContext *raw = nullptr;
                check(swr_alloc_set_opts2(&raw, &frame->ch_layout, AV_SAMPLE_FMT_FLT, frame->sample_rate,
                                          &frame->ch_layout, AVSampleFormat(frame->format), frame->sample_rate,
                                          0, nullptr),
                      path);
                swr.reset(raw);
                check(swr_init(swr.get()), path);
            }
            const qsizetype at = decoded.samples.size();
            decoded.samples.resize(at + qsizetype(frame->nb_samples) * decoded.channels);
            auto *out = reinterpret_cast<uint8_t *>(decoded.samples.data() + at);
            check(swr_convert(swr.get(), &out, frame->nb_samples, const_cast<const uint8_t **>(frame->extended_data),
                              frame->nb_samples),
                  path);
            av_frame_unref(frame.get());
        }
    };
    while (av_read_frame(format, packet.get()) >= 0) {
        if (packet->stream_index == index && avcodec_send_packet(decoder.get(), packet.get()) >= 0)
            take();
        av_packet_unref(packet.get());
    }
    avcodec_send_packet(decoder.get(), nullptr);
    take();
    return decoded;
}

qint64 bestLag(const QList<float> &reference, int referenceChannels, const QList<float> &candidate,
               int candidateChannels, qint64 maxLag, qint64 window)
{
    double best = -1e300;
    qint64 bestAt = 0;
    const qint64 refFrames = reference.size() / referenceChannels;
    const qint64 candFrames = candidate.size() / candidateChannels;
    for (qint64 lag = -maxLag; lag <= maxLag; ++lag) {
        double sum = 0.0;
        for (qint64 f = maxLag; f < maxLag + window; ++f) {
            const qint64 g = f + lag;
            if (f >= refFrames || g < 0 || g >= candFrames)
                continue;
            sum += double(reference[f * referenceChannels]) * double(candidate[g * candidateChannels]);
        }
        if (sum > best) {
            best = sum;
            bestAt = lag;
        }
    }
    return bestAt;
}

float maxDifference(const float *a, const float *b, qsizetype count)
{
    float worst = 0.0f;
    for (qsizetype i = 0; i < count; ++i)
        worst = std::max(worst, std::fabs(a[i] - b[i]));
    return worst;
}

} // namespace korvex::test
