#include <gtest/gtest.h>

#include "kx/error.h"
#include "kx/text.h"

using namespace kx;

TEST(Text, Utf8Utf16RoundTrip) {
    const std::string mixed = "Трек \xE2\x84\x96 1 \xF0\x9F\x9A\x97";  // Cyrillic, №, a car emoji
    const std::u16string wide = Utf8ToUtf16(mixed);
    EXPECT_EQ(wide.substr(0, 4), u"Трек");
    EXPECT_EQ(wide.size(), 11u);  // the emoji takes a surrogate pair
    EXPECT_EQ(Utf16ToUtf8(wide), mixed);
    EXPECT_TRUE(IsValidUtf8(mixed));
}

TEST(Text, InvalidInputIsRepairedOrRejected) {
    // Stray continuation, overlong '/', encoded surrogate, truncated sequence.
    for (const std::string& bad : {std::string("a\x80" "b"), std::string("\xC0\xAF"),
                                  std::string("\xED\xA0\x80"), std::string("ab\xE2\x84")}) {
        EXPECT_FALSE(IsValidUtf8(bad));
        EXPECT_NE(Utf8ToUtf16(bad).find(kReplacementChar), std::u16string::npos);
        EXPECT_THROW(Utf8ToUtf16Strict(bad), Error);
    }
    EXPECT_EQ(Utf8ToUtf16("a\x80" "b"), u"a\xFFFD" u"b");
    // A lone surrogate on the wide side.
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800)) + u"x"), "\xEF\xBF\xBDx");
}

TEST(Text, HtmlEscapeAndReplace) {
    EXPECT_EQ(HtmlEscape("<b>A&B \"c\" 'd'</b>"),
              "&lt;b&gt;A&amp;B &quot;c&quot; &#39;d&#39;&lt;/b&gt;");
    EXPECT_EQ(RemoveAll("a<br />b<br />", "<br />"), "ab");
    EXPECT_EQ(ReplaceAll("aaa", "a", "aa"), "aaaaaa");
    EXPECT_EQ(Trim("  x y \t"), "x y");
}

TEST(Text, StrictIntegers) {
    EXPECT_EQ(ParseInt32("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseInt32("007"), 7);
    for (const char* bad : {"", "-", "1.5", " 1", "2147483648", "12a"})
        EXPECT_THROW(ParseInt32(bad), Error) << bad;
}

TEST(Text, NumberFormats) {
    EXPECT_EQ(FormatGeneral(12.5), "12.5");
    EXPECT_EQ(FormatGeneral(-3.0), "-3");
    EXPECT_EQ(FormatGeneral(0.1 + 0.2), "0.3");  // 15 significant digits hide the noise
    EXPECT_EQ(FormatGeneral(1234.5, ','), "1234,5");
    EXPECT_EQ(FormatGeneral(0.0001), "0.0001");
    EXPECT_EQ(FormatGeneral(1e20), "1E20");
    EXPECT_EQ(FormatGeneral(123456789012345.0), "123456789012345");
    EXPECT_EQ(FormatFixed(0.05, 1), "0.1");
    EXPECT_EQ(FormatFixed(-0.04, 1), "0.0");
    EXPECT_EQ(FormatFixed(1234.5, 0), "1235");
    EXPECT_EQ(RoundToDecimals(0.125, 2), 0.12);
    EXPECT_EQ(RoundToDecimals(-12.25, 1), -12.2);
}
