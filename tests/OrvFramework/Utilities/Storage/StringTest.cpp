#include <gtest/gtest.h>

#include <cctype>
#include <string_view>
#include <utility>

#include "OrvFramework/Utilities/Storage/Hex.h"
#include "OrvFramework/Utilities/Storage/String.h"

namespace Orv {
namespace {

TEST(StringConversion, RoundTripsEveryPlane) {
    const std::u16string text = u"Aé€\U0001F600\U0010FFFF";
    const std::string utf8 = Utf16ToUtf8(text);
    EXPECT_EQ(utf8, "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF");
    EXPECT_EQ(Utf8ToUtf16(utf8), text);
    EXPECT_EQ(String(StringA(utf8)), String(text));
}

TEST(StringConversion, UnpairedSurrogatesAreCarriedOver) {
    // A lone high surrogate, a lone low one and a high one at the very end.
    const std::u16string broken = {u'a', 0xD800, u'b', 0xDC01, u'c', 0xDBFF};
    const std::string utf8 = Utf16ToUtf8(broken);
    EXPECT_EQ(utf8, "a\xED\xA0\x80\x62\xED\xB0\x81\x63\xED\xAF\xBF");
    EXPECT_EQ(Utf8ToUtf16(utf8), broken);
}

// Malformed input becomes U+FFFD, and the character that interrupts a sequence is kept. Each byte
// of an overlong form is malformed on its own (C0 A0 would be a blank, C0 A2 a quote, E0 80 AF a
// slash), so none can split an option value or a path.
TEST(StringConversion, MalformedUtf8BecomesReplacementCharacters) {
    const std::pair<std::string_view, std::u16string_view> cases[] = {
        {"x\xF4\x90\x80\x80y", u"x\uFFFDy"},  // beyond U+10FFFF
        {"\x80z\xFFq", u"\uFFFDz\uFFFDq"},    // a stray continuation byte, an invalid lead byte
        {"ab\xE2\x82", u"ab\uFFFD"},          // cut off by the end of the text
        {"\xF0\x9F\x41", u"\uFFFD\uFFFDA"},
        {"a\xC0\xA0\x62", u"a\uFFFD\uFFFDb"},
        {"\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},
        {"\xF0\x80\x80\xAF", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        // The smallest well-formed value of each length still decodes.
        {"\xC2\x80\xE0\xA0\x80\xF0\x90\x80\x80", u"\u0080\u0800\U00010000"}};
    for (const auto& [utf8, wide] : cases)
        EXPECT_EQ(Utf8ToUtf16(utf8), wide) << ::testing::PrintToString(std::string(utf8));
}

TEST(StringConversion, EveryByteSequenceConvertsWithoutFault) {
    // Every two-byte input: the result is never empty for non-empty input and converts back.
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; b += 17) {
            const char bytes[2] = {static_cast<char>(a), static_cast<char>(b)};
            const std::u16string wide = Utf8ToUtf16(std::string_view(bytes, 2));
            ASSERT_FALSE(wide.empty());
            ASSERT_LE(wide.size(), 2u);
            EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(wide)), wide);
        }
    }
}

}  // namespace
}  // namespace Orv

TEST(HexDigitValue, ReadsBothCasesAndRefusesTheRest) {
    const std::string digits = "0123456789abcdef";
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(Orv::HexDigitValue(digits[i]), i);
        EXPECT_EQ(Orv::HexDigitValue(static_cast<char>(std::toupper(digits[i]))), i);
    }
    for (const char c : {'g', 'G', '/', ':', '@', '`', ' ', '\0', '\xff'})
        EXPECT_EQ(Orv::HexDigitValue(c), -1) << int(c);
}
