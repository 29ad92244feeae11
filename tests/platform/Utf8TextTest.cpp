// Guards the character rule every text operation relies on: a UTF-8 sequence is one character,
// and a byte that does not start a valid sequence is a character of its own.

#include <gtest/gtest.h>

#include "platform/Utf8Text.h"

namespace zelk {
namespace {

TEST(CharLengthAt, CountsWholeSequencesAndLoneBytes) {
    const std::string text = "a¥ｱ年😀";
    EXPECT_EQ(CharLengthAt(text, 0), 1u);
    EXPECT_EQ(CharLengthAt(text, 1), 2u);  // ¥
    EXPECT_EQ(CharLengthAt(text, 3), 3u);  // half-width katakana
    EXPECT_EQ(CharLengthAt(text, 6), 3u);
    EXPECT_EQ(CharLengthAt(text, 9), 4u);
}

TEST(CharLengthAt, InvalidOrCutSequencesAreSingleBytes) {
    EXPECT_EQ(CharLengthAt("\xE3\x81", 0), 1u);          // cut at the end
    EXPECT_EQ(CharLengthAt("\xE3" "A" "\x81", 0), 1u);   // continuation missing
    EXPECT_EQ(CharLengthAt("\xC0\x80", 0), 1u);          // overlong lead
    EXPECT_EQ(CharLengthAt("\xED\xA0\x80", 0), 1u);      // surrogate
    EXPECT_EQ(CharLengthAt("\xF4\x90\x80\x80", 0), 1u);  // past U+10FFFF
    EXPECT_EQ(CharLengthAt("\x80", 0), 1u);
}

}  // namespace
}  // namespace zelk
