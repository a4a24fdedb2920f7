#pragma once

namespace korvex {

// The sample formats the components work in: the reader delivers, the player
// plays and the writer takes at most this many channels at up to this rate.
inline constexpr int MaxAudioChannels = 8;
inline constexpr int MaxAudioRate = 768000;

// A rate and a channel count that every component can work in.
constexpr bool IsWorkableAudioFormat(int sampleRate, int channels)
{
    return sampleRate > 0 && channels > 0 && sampleRate <= MaxAudioRate && channels <= MaxAudioChannels;
}

} // namespace korvex
