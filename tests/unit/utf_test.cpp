#include "core/utf.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(Utf, RoundTripsKoreanAndAstralText) {
    const std::u16string text = u"접  수(&N) 🚕 abc";
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
    EXPECT_EQ(Utf16ToUtf8(u"취소"), "\xEC\xB7\xA8\xEC\x86\x8C");
}

TEST(Utf, IllFormedInputBecomesReplacementCharacters) {
    EXPECT_EQ(Utf8ToUtf16("a\xFF" "b"), u"a\uFFFDb");
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD");  // overlong
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
    EXPECT_FALSE(IsValidUtf8("a\xFF"));
    EXPECT_FALSE(IsValidUtf8("\xE2\x82"));  // cut short
    EXPECT_TRUE(IsValidUtf8("\xEF\xBF\xBD ok"));
}

}  // namespace
}  // namespace qm
