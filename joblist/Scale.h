#pragma once

namespace korvex {

// a × b ÷ d with a 64-bit product, rounded to the nearest integer with halves
// away from zero. Gives −1 when d is 0 or the result does not fit 32 bits, so a
// caller cannot tell that from a true −1: every conversion between seconds,
// milliseconds, frames, slider positions and progress goes through it.
int Scale(int a, int b, int d);

} // namespace korvex
