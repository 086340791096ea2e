#include "OrvFramework/Utilities/Storage/Rounding.h"

#include <cmath>
#include <limits>

namespace Orv {

namespace {

template <class I>
I RoundTo(double value) {
    if (std::isnan(value)) return 0;
    // Halves away from zero, exact near the halves: the fraction left by trunc is exact, so
    // 0.49999999999999994 stays 0 (adding 0.5 would not, nor does one C runtime's round).
    const double whole = std::trunc(value);
    const double fraction = value - whole;
    const double r = fraction >= 0.5 ? whole + 1 : fraction <= -0.5 ? whole - 1 : whole;
    if (r <= static_cast<double>(std::numeric_limits<I>::min())) return std::numeric_limits<I>::min();
    if (r >= static_cast<double>(std::numeric_limits<I>::max())) return std::numeric_limits<I>::max();
    return static_cast<I>(r);
}

}  // namespace

std::int64_t Round64(double value) { return RoundTo<std::int64_t>(value); }
std::int32_t Round(double value) { return RoundTo<std::int32_t>(value); }

}  // namespace Orv
