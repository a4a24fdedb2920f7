#pragma once

#include <QString>

namespace korvex {

// What one of the 47 WMA output profiles encodes with FFmpeg's wmav2. The
// name is the profile's entry in the settings dialog; rate, channels and
// bitRate are what the encoder is actually given, which differs from the name
// where wmav2 cannot do what it says (below 24 kbps, VBR, lossless).
struct WmaProfile
{
    int number;            // 1 to 47
    const char *name;
    int sampleRate;
    int channels;
    int bitRate;           // bits per second handed to the encoder
    int nominalBitRate;    // what the name promises; 0 for VBR and lossless
};

inline constexpr int WmaProfileCount = 47;
inline constexpr int DefaultWmaProfile = 10;

// The profile for a number; numbers outside 1 to 47 get the default profile.
const WmaProfile &wmaProfile(int number);

} // namespace korvex
