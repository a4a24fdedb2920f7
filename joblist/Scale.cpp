#include "Scale.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace korvex {

int Scale(int a, int b, int d)
{
    if (d == 0)
        return -1;
    const std::int64_t product = std::int64_t(a) * b;
    std::int64_t quotient = product / d;
    const std::int64_t remainder = product % d;
    const std::int64_t absRemainder = remainder < 0 ? -remainder : remainder;
    const std::int64_t absDivisor = d < 0 ? -std::int64_t(d) : std::int64_t(d);
    if (2 * absRemainder >= absDivisor)
        quotient += ((product < 0) != (d < 0)) ? -1 : 1;
    if (quotient < std::numeric_limits<int>::min() || quotient > std::numeric_limits<int>::max())
        return -1;
    return int(quotient);
}

std::int64_t Scale64(std::int64_t a, std::int64_t b, std::int64_t d)
{
    if (d == 0)
        return -1;
    const __int128 product = __int128(a) * b;
    const bool negative = (product < 0) != (d < 0);
    const __int128 absProduct = product < 0 ? -product : product;
    const __int128 absDivisor = d < 0 ? -__int128(d) : __int128(d);
    const __int128 rounded = (2 * absProduct + absDivisor) / (2 * absDivisor);
    return std::int64_t(negative ? -rounded : rounded);
}

std::int64_t FrameAtMs(std::int64_t ms, int sampleRate)
{
    return Scale64(ms, sampleRate, 1000);
}

int ClampToInt(std::int64_t value)
{
    return int(std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

} // namespace korvex
