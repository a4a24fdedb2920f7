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

int ClampToInt(std::int64_t value)
{
    return int(std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

} // namespace korvex
