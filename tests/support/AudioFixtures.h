#pragma once

#include <QList>
#include <QString>

namespace korvex::test {

// Audio made by the tests themselves, written and read with FFmpeg's
// libraries directly (not through Korvex's components), so a suite can check
// the components against an independent writer and reader.

enum class Signal { Sine, Noise, Silence, Clicks };

struct AudioSpec
{
    int sampleRate = 44100;
    int channels = 2;
    qint64 frames = 44100;
    Signal signal = Signal::Sine;
    double frequency = 440.0;   // Sine; the right channel runs at 1.5 × this
    float amplitude = 0.5f;
    quint32 seed = 1;           // Noise: the same seed gives the same samples
    int bitRate = 0;            // 0: the encoder's default
};

AudioSpec noiseSpec(int sampleRate, int channels, qint64 frames, float amplitude = 0.4f, quint32 seed = 7);
AudioSpec sineSpec(int sampleRate, int channels, qint64 frames, double frequency = 440.0, float amplitude = 0.5f);

// Interleaved float samples of the signal. Clicks: one full-amplitude sample
// every 1000 frames, at frames 500, 1500, ... (easy to locate after a codec).
QList<float> generateSamples(const AudioSpec &tone);

// Writes a file; the codec follows the extension: .wav (16-bit PCM), .flac,
// .mp3 (LAME, with its gapless header), .ogg (Vorbis), .opus, .m4a and .aac
// (AAC), .wma (wmav2), .wmv1.wma (wmav1). Throws std::runtime_error.
void writeAudioFile(const QString &path, const AudioSpec &tone);
// Writes given interleaved samples instead of a generated signal.
void writeAudioSamples(const QString &path, int sampleRate, int channels, const QList<float> &samples,
                       int bitRate = 0);

struct DecodedAudio
{
    int sampleRate = 0;
    int channels = 0;
    QList<float> samples;  // interleaved
    qint64 frames() const { return channels ? samples.size() / channels : 0; }
};

// A straight decode from start to end with FFmpeg's libraries, in the file's
// own rate and channels.
DecodedAudio decodeFile(const QString &path);

// The lag (in frames, −maxLag … maxLag) at which `candidate`'s first channel
// best matches `reference`'s first channel, over `window` frames.
qint64 bestLag(const QList<float> &reference, int referenceChannels, const QList<float> &candidate,
               int candidateChannels, qint64 maxLag, qint64 window);

// Largest absolute difference between two interleaved runs of equal layout.
float maxDifference(const float *a, const float *b, qsizetype count);

} // namespace korvex::test
