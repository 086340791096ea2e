#include <gtest/gtest.h>

#include <cctype>

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
    EXPECT_EQ(utf8,
              "a\xED\xA0\x80"
              "b\xED\xB0\x81"
              "c\xED\xAF\xBF");
    EXPECT_EQ(Utf8ToUtf16(utf8), broken);
}

TEST(StringConversion, MalformedUtf8BecomesReplacementCharacters) {
    // Beyond U+10FFFF (F4 90 80 80 is U+110000).
    EXPECT_EQ(Utf8ToUtf16("x\xF4\x90\x80\x80y"), u"x\uFFFDy");
    // A stray continuation byte and an invalid lead byte.
    EXPECT_EQ(Utf8ToUtf16("\x80z\xFFq"), u"\uFFFDz\uFFFDq");
    // A sequence whose continuation is missing keeps the next character.
    EXPECT_EQ(Utf8ToUtf16("\xC3(ok"), u"\uFFFD(ok");
    // A sequence cut off by the end of the text.
    EXPECT_EQ(Utf8ToUtf16("ab\xE2\x82"), u"ab\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xF0"), u"\uFFFD");
    EXPECT_EQ(Utf8ToUtf16(""), u"");
    // A started sequence interrupted just before the end keeps the character that interrupts it.
    EXPECT_EQ(Utf8ToUtf16("\xE2"
                          "A"),
              u"\uFFFDA");
    EXPECT_EQ(Utf8ToUtf16("\xF0\x9F"
                          "A"),
              u"\uFFFD\uFFFDA");
}

TEST(StringConversion, OverlongFormsNeverBecomeTheirAsciiCharacters) {
    // C0 A0 would be a blank, C0 A2 a quote, E0 80 AF and F0 80 80 AF a slash: each byte of
    // such a form is malformed on its own, so none of them can split an option value or a path.
    EXPECT_EQ(Utf8ToUtf16("a\xC0\xA0"
                          "b"),
              u"a\uFFFD\uFFFDb");
    EXPECT_EQ(Utf8ToUtf16("\xC1\xA2"), u"\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xE0\x80\xAF"), u"\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xF0\x80\x80\xAF"), u"\uFFFD\uFFFD\uFFFD\uFFFD");
    // The smallest well-formed value of each length still decodes.
    EXPECT_EQ(Utf8ToUtf16("\xC2\x80\xE0\xA0\x80\xF0\x90\x80\x80"), u"\u0080\u0800\U00010000");
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
