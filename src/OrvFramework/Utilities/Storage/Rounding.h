#pragma once
// The framework's one float-to-integer rounding: half away from zero (2.5 -> 3, -2.5 -> -3).
// Not-a-number gives 0; values beyond the target range saturate instead of overflowing.
#include <cstdint>

namespace Orv {

std::int64_t Round64(double value);
std::int32_t Round(double value);

}  // namespace Orv
