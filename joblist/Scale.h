#pragma once

#include <cstdint>

namespace korvex {

// a × b ÷ d with a 64-bit product, rounded to the nearest integer with halves
// away from zero. Gives −1 when d is 0 or the result does not fit 32 bits, so a
// caller cannot tell that from a true −1: every conversion between seconds,
// milliseconds, frames, slider positions and progress goes through it.
int Scale(int a, int b, int d);

// The same in 64 bits for frame positions and milliseconds of long files:
// a × b ÷ d rounded half away from zero, −1 when d is 0.
std::int64_t Scale64(std::int64_t a, std::int64_t b, std::int64_t d);

// The frame nearest to `ms` milliseconds at `sampleRate`.
std::int64_t FrameAtMs(std::int64_t ms, int sampleRate);

// The nearest int: 64-bit counts of frames and milliseconds saturate instead
// of wrapping when they go into the 32-bit fields of a job.
int ClampToInt(std::int64_t value);

} // namespace korvex
