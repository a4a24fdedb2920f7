#pragma once

#include <array>

namespace korvex {

// The genre names the tag dialog offers, in the order of the ID3v1 genre
// numbers (0 to 79) and of the extended list that continues them (80 to 147).
inline constexpr int GenreNameCount = 148;
extern const std::array<const char *, GenreNameCount> GenreNames;

} // namespace korvex
