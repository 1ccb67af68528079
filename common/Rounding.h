#pragma once

#include <cstdint>
#include <stdexcept>

namespace common {

// Raised where a value does not fit the integer it is rounded to, instead of a wrong result.
struct MathError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Nearest integer, an exact half going to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
std::int64_t Round(long double value);
// Drops the fraction toward zero.
std::int64_t Trunc(long double value);

} // namespace common
