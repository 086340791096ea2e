#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "OrvFramework/Utilities/Storage/Rounding.h"

namespace Orv {
namespace {

TEST(Rounding, HalvesGoAwayFromZero) {
    EXPECT_EQ(Round(2.5), 3);
    EXPECT_EQ(Round(-2.5), -3);
    EXPECT_EQ(Round(2.4), 2);
    EXPECT_EQ(Round(-2.4), -2);
    EXPECT_EQ(Round(0.49999999999999994), 0);  // adding 0.5 would give 1 here
    EXPECT_EQ(Round(std::nan("")), 0);
    EXPECT_EQ(Round(1e300), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(Round(-1e300), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(Round64(-1e300), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(Round64(4294967296.5), 4294967297);
}

}  // namespace
}  // namespace Orv
