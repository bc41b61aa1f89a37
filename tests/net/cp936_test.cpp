#include "net/cp936.h"

#include <gtest/gtest.h>

namespace vexal {
namespace {

TEST(Cp936, CodesOfMixedText) {
    // "a啊" : 'a' is one byte, 啊 is B0 A1; a character outside the code page becomes '?'.
    EXPECT_EQ(cp936Codes("a\xE5\x95\x8A"), (std::vector<uint16_t>{0x61, 0xB0A1}));
    EXPECT_EQ(cp936Codes("\xF0\x9F\x98\x80x"), (std::vector<uint16_t>{'?', 'x'}));
    EXPECT_EQ(cp936Codes("\xE5\x95"), (std::vector<uint16_t>{'?', '?'}));  // cut-off UTF-8
}

TEST(Cp936, RoundTripsChineseText) {
    const std::string text = "游戏将在15秒内开始";
    const std::string bytes = utf8ToCp936(text);
    EXPECT_EQ(bytes.size(), 2u * 8 + 2);
    EXPECT_EQ(cp936ToUtf8(bytes), text);
}

TEST(Cp936, BrokenBytesBecomeReplacementCharacters) {
    EXPECT_EQ(cp936ToUtf8("ab\xB0"), "ab\xEF\xBF\xBD");
    EXPECT_EQ(cp936CharToUtf8(0xFFFF), "\xEF\xBF\xBD");
    EXPECT_EQ(cp936CharToUtf8(0xB0A1), "\xE5\x95\x8A");
}

}  // namespace
}  // namespace vexal
