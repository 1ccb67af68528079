#include "common/Rounding.h"

#include <cfenv>
#include <cmath>
#include <limits>

namespace common {

namespace {

constexpr const char *invalidOperation = "Ungültige Gleitkommaoperation";

void requireInt64Range(long double value)
{
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    constexpr long double limit = 9223372036854775808.0L;
    if (std::isnan(value) || value >= limit || value < -limit)
        throw MathError(invalidOperation);
}

} // namespace

std::int64_t Round(long double value)
{
    requireInt64Range(value);
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const long double rounded = std::nearbyintl(value);
    std::fesetround(previous);
    return static_cast<std::int64_t>(rounded);
}

std::int64_t Trunc(long double value)
{
    requireInt64Range(value);
    return static_cast<std::int64_t>(std::truncl(value));
}

} // namespace common
