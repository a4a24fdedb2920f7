#include "components/WmaProfiles.h"

#include <array>

namespace korvex {

namespace {

// wmav2 refuses bitrates under 24 kbps, so the small profiles keep their rate
// and channels and are encoded at that floor. VBR quality levels become the
// CBR bitrate that VBR files of that quality typically average; "Lossless"
// becomes the highest CBR bitrate the table offers at 44.1 kHz stereo.
constexpr int Floor = 24000;

constexpr std::array<WmaProfile, WmaProfileCount> Profiles{{
    {1, "WMA9 48KHz, 192Kbps, Stereo, CBR", 48000, 2, 192000, 192000},
    {2, "WMA9 48KHz, 160Kbps, Stereo, CBR", 48000, 2, 160000, 160000},
    {3, "WMA9 48KHz, 128Kbps, Stereo, CBR", 48000, 2, 128000, 128000},
    {4, "WMA9 48KHz, 96Kbps, Stereo, CBR", 48000, 2, 96000, 96000},
    {5, "WMA9 48KHz, 64Kbps, Stereo, CBR", 48000, 2, 64000, 64000},
    {6, "WMA9 44KHz, 320Kbps, Stereo, CBR", 44100, 2, 320000, 320000},
    {7, "WMA9 44KHz, 256Kbps, Stereo, CBR", 44100, 2, 256000, 256000},
    {8, "WMA9 44KHz, 192Kbps, Stereo, CBR", 44100, 2, 192000, 192000},
    {9, "WMA9 44KHz, 160Kbps, Stereo, CBR", 44100, 2, 160000, 160000},
    {10, "WMA9 44KHz, 128Kbps, Stereo, CBR", 44100, 2, 128000, 128000},
    {11, "WMA9 44KHz, 96Kbps, Stereo, CBR", 44100, 2, 96000, 96000},
    {12, "WMA9 44KHz, 80Kbps, Stereo, CBR", 44100, 2, 80000, 80000},
    {13, "WMA9 44KHz, 64Kbps, Stereo, CBR", 44100, 2, 64000, 64000},
    {14, "WMA9 44KHz, 48Kbps, Stereo, CBR", 44100, 2, 48000, 48000},
    {15, "WMA9 44KHz, 32Kbps, Stereo, CBR", 44100, 2, 32000, 32000},
    {16, "WMA9 44KHz, 48Kbps, Mono, CBR", 44100, 1, 48000, 48000},
    {17, "WMA9 44KHz, 32Kbps, Mono, CBR", 44100, 1, 32000, 32000},
    {18, "WMA9 44KHz, 20Kbps, Mono, CBR", 44100, 1, Floor, 20000},
    {19, "WMA9 32KHz, 48Kbps, Stereo, CBR", 32000, 2, 48000, 48000},
    {20, "WMA9 32KHz, 40Kbps, Stereo, CBR", 32000, 2, 40000, 40000},
    {21, "WMA9 32KHz, 32Kbps, Stereo, CBR", 32000, 2, 32000, 32000},
    {22, "WMA9 32KHz, 20Kbps, Mono, CBR", 32000, 1, Floor, 20000},
    {23, "WMA9 32KHz, 32Kbps, Stereo, CBR", 32000, 2, 32000, 32000},
    {24, "WMA9 32KHz, 22Kbps, Stereo, CBR", 32000, 2, Floor, 22000},
    {25, "WMA9 22KHz, 20Kbps, Stereo, CBR", 22050, 2, Floor, 20000},
    {26, "WMA9 22KHz, 20Kbps, Mono, CBR", 22050, 1, Floor, 20000},
    {27, "WMA9 22KHz, 16Kbps, Mono, CBR", 22050, 1, Floor, 16000},
    {28, "WMA9 16KHz, 20Kbps, Stereo, CBR", 16000, 2, Floor, 20000},
    {29, "WMA9 16KHz, 16Kbps, Stereo, CBR", 16000, 2, Floor, 16000},
    {30, "WMA9 16KHz, 16Kbps, Mono, CBR", 16000, 1, Floor, 16000},
    {31, "WMA9 16KHz, 12Kbps, Mono, CBR", 16000, 1, Floor, 12000},
    {32, "WMA9 16KHz, 10Kbps, Mono, CBR", 16000, 1, Floor, 10000},
    {33, "WMA9 11KHz, 10Kbps, Mono, CBR", 11025, 1, Floor, 10000},
    {34, "WMA9 11KHz, 8Kbps, Mono, CBR", 11025, 1, Floor, 8000},
    {35, "WMA9 8KHz,  12Kbps, Stereo, CBR", 8000, 2, Floor, 12000},
    {36, "WMA9 8KHz,  8Kbps, Mono, CBR", 8000, 1, Floor, 8000},
    {37, "WMA9 8KHz,  6Kbps, Mono, CBR", 8000, 1, Floor, 6000},
    {38, "WMA9 8KHz,  5Kbps, Mono, CBR", 8000, 1, Floor, 5000},
    {39, "WMA9 48KHz, Stereo, VBR Quality 98", 48000, 2, 256000, 0},
    {40, "WMA9 48KHz, Stereo, VBR Quality 90", 48000, 2, 192000, 0},
    {41, "WMA9 44KHz, Stereo, VBR Quality 98", 44100, 2, 256000, 0},
    {42, "WMA9 44KHz, Stereo, VBR Quality 90", 44100, 2, 192000, 0},
    {43, "WMA9 44KHz, Stereo, VBR Quality 75", 44100, 2, 128000, 0},
    {44, "WMA9 44KHz, Stereo, VBR Quality 50", 44100, 2, 96000, 0},
    {45, "WMA9 44KHz, Stereo, VBR Quality 25", 44100, 2, 80000, 0},
    {46, "WMA9 44KHz, Stereo, VBR Quality 10", 44100, 2, 64000, 0},
    {47, "WMA9 44KHz, Stereo, Lossless", 44100, 2, 320000, 0},
}};

} // namespace

const WmaProfile &wmaProfile(int number)
{
    if (number < 1 || number > WmaProfileCount)
        number = DefaultWmaProfile;
    return Profiles[static_cast<size_t>(number - 1)];
}

} // namespace korvex
