#include "OrvFramework/Utilities/Storage/Rounding.h"

#include <cmath>
#include <limits>

namespace Orv {

namespace {

template <class I>
I RoundTo(double value) {
    if (std::isnan(value)) return 0;
    // std::round rounds halves away from zero and, unlike adding 0.5, is exact near the halves.
    const double r = std::round(value);
    if (r <= static_cast<double>(std::numeric_limits<I>::min())) return std::numeric_limits<I>::min();
    if (r >= static_cast<double>(std::numeric_limits<I>::max())) return std::numeric_limits<I>::max();
    return static_cast<I>(r);
}

}  // namespace

std::int64_t Round64(double value) { return RoundTo<std::int64_t>(value); }
std::int32_t Round(double value) { return RoundTo<std::int32_t>(value); }

}  // namespace Orv
