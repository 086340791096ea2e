#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <limits>

#include "OrvFramework/Utilities/Storage/Rounding.h"
#include "OrvFramework/Utilities/Storage/Variant.h"
#include "OrvFramework/Utilities/Storage/VariantEx.h"
#include "OrvFramework/Utilities/Storage/WrapperStringable.h"

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

std::array<std::byte, 8> Bytes(std::uint64_t value) {
    std::array<std::byte, 8> b;
    std::memcpy(b.data(), &value, 8);
    return b;
}

TEST(Variant, ScalarKindsConvert) {
    EXPECT_EQ(Variant(true).ToInt32(), 1);
    EXPECT_EQ(Variant(true).GetSize(), 1u);
    EXPECT_EQ(Variant(std::int32_t{-7}).ToInt64(), -7);
    EXPECT_TRUE(Variant(std::int64_t{1} << 40).ToBool());             // high half only
    EXPECT_EQ(Variant((std::int64_t{1} << 40) | 5).ToInt32(), 5);      // low half
    EXPECT_EQ(Variant(2.5f).ToInt32(), 3);
    EXPECT_EQ(Variant(-2.5).ToInt64(), -3);
    EXPECT_EQ(Variant(2.4).ToInt32(), 2);
    EXPECT_FALSE(Variant(std::nan("")).ToBool());
    EXPECT_FALSE(Variant(0.0f).ToBool());
    EXPECT_TRUE(Variant(-0.25).ToBool());
    EXPECT_EQ(Variant(std::int32_t{3}).ToDouble(), 3.0);
    EXPECT_EQ(Variant(1.5).GetSize(), 8u);
    EXPECT_EQ(Variant(1.5f).GetElements().count, 1u);

    const Variant empty;
    EXPECT_EQ(empty.GetKind(), VariantKind::Empty);
    EXPECT_FALSE(empty.ToBool());
    EXPECT_EQ(empty.ToInt64(), 0);
    EXPECT_EQ(empty.GetString(), nullptr);
}

TEST(Variant, EmptyStringIsFalseAndZero) {
    const Variant empty(u"");
    EXPECT_EQ(empty.GetKind(), VariantKind::WideString);
    EXPECT_EQ(empty.GetSize(), 1u);  // the terminating zero
    EXPECT_FALSE(empty.ToBool());
    EXPECT_EQ(empty.ToInt32(), 0);
    const Variant text(u"four");
    EXPECT_TRUE(text.ToBool());
    EXPECT_EQ(text.ToInt32(), 4);  // the number of characters
    EXPECT_EQ(text.GetElements().count, 5u);
    EXPECT_EQ(std::u16string_view(text.GetString()), u"four");
    EXPECT_EQ(text.GetRawBytes().size(), 10u);
}

TEST(Variant, BlockKindsReadTheirFirstWord) {
    const auto word = Bytes(0x0000000100000000ull);
    const Variant block(VariantKind::Block, word);
    EXPECT_FALSE(block.ToBool());  // the first 32-bit word is zero
    EXPECT_EQ(block.ToInt32(), 0);
    EXPECT_EQ(block.ToInt64(), 0x100000000ll);
    EXPECT_EQ(block.GetElements().count, 8u);

    const Variant opaque(VariantKind::OpaqueBlock, Bytes(9));
    EXPECT_EQ(opaque.ToInt32(), 9);
    EXPECT_EQ(opaque.GetElements().count, 0u);

    const Variant zeros(VariantKind::SizedBlock, Bytes(0));
    EXPECT_TRUE(zeros.ToBool());  // true by length
    EXPECT_EQ(zeros.ToDouble(), 0.0);

    const Variant raw(VariantKind::RawBlock, Bytes(42));
    EXPECT_TRUE(raw.ToBool());
    EXPECT_EQ(raw.ToInt32(), 0);
    EXPECT_EQ(raw.GetSize(), 8u);

    // A block shorter than a word is read without running past its end.
    const std::array<std::byte, 1> one{std::byte{0x7F}};
    EXPECT_EQ(Variant(VariantKind::Block, one).ToInt64(), 0x7F);
    EXPECT_FALSE(Variant(VariantKind::SizedBlock, std::span<const std::byte>()).ToBool());

    EXPECT_THROW(Variant(VariantKind::Int32, one), std::invalid_argument);
}

TEST(VariantEx, ReadsTextAsANumberAndWritesItselfOut) {
    EXPECT_EQ(VariantEx(u"  -2.5xyz").ToInt32(), -3);
    EXPECT_EQ(VariantEx(u"+12").ToInt64(), 12);
    EXPECT_DOUBLE_EQ(VariantEx(u"0.75").ToDouble(), 0.75);
    EXPECT_EQ(VariantEx(u"abc").ToInt32(), 0);
    EXPECT_FALSE(VariantEx(u"0").ToBool());
    EXPECT_FALSE(VariantEx(u"").ToBool());
    EXPECT_EQ(VariantEx(u"1e999").ToInt32(), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(VariantEx(std::int32_t{5}).ToInt32(), 5);

    EXPECT_EQ(VariantEx(true).ToString(), W("true"));
    EXPECT_EQ(VariantEx(std::int64_t{-40}).ToString(), W("-40"));
    EXPECT_EQ(VariantEx(0.5).ToString(), W("0.5"));
    EXPECT_EQ(VariantEx(u"text").ToString(), W("text"));
    const std::array<std::byte, 2> two{std::byte{0x0A}, std::byte{0xFF}};
    EXPECT_EQ(VariantEx(VariantKind::RawBlock, two).ToString(), W("0AFF"));

    // Through the base class the overrides still apply.
    const VariantEx ex(u"7");
    const Variant& base = ex;
    EXPECT_EQ(base.ToInt32(), 7);
}

TEST(LWrapperStringable, IsItsOwnText) {
    LWrapperStringable<String> wrapped(W("Grüße"), 3);
    EXPECT_EQ(wrapped.ToString(), u"Grüße");
    EXPECT_EQ(wrapped.GetTag(), 3);
}

}  // namespace
}  // namespace Orv
