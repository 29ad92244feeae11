// Guards the character rule every text operation relies on: a UTF-8 sequence is one character,
// a byte that does not start a valid sequence is a character of its own, and a cut never splits
// a character.

#include <gtest/gtest.h>

#include "platform/Utf8Text.h"

namespace zelk {
namespace {

TEST(CharLengthAt, CountsWholeSequencesAndTakesInvalidOrCutOnesByteByByte) {
    const std::pair<std::string_view, std::size_t> cases[] = {
        {"a", 1},
        {"¥", 2},
        {"ｱ", 3},  // half-width katakana
        {"年", 3},
        {"😀", 4},
        {"\xE3\x81", 1},  // cut at the end
        {"\xE3"
         "A\x81",
         1},                      // continuation missing
        {"\xC0\x80", 1},          // overlong lead
        {"\xE0\x80\x80", 1},      // overlong three-byte form
        {"\xED\xA0\x80", 1},      // surrogate
        {"\xF4\x90\x80\x80", 1},  // past U+10FFFF
        {"\x80", 1},
    };
    for (const auto& [text, length] : cases) {
        EXPECT_EQ(CharLengthAt(text, 0), length) << testing::PrintToString(std::string(text));
    }
}

TEST(CutAtCharacter, EndsOnTheLastWholeCharacterWithinTheLimit) {
    const std::tuple<std::string_view, std::size_t, std::string_view> cases[] = {
        {"abc", 5, "abc"}, {"abc", 2, "ab"},          {"a年b", 3, "a"}, {"a年b", 4, "a年"},
        {"年年", 5, "年"}, {"a\xE3\x81", 2, "a\xE3"}, {"😀", 3, ""},     {"", 0, ""},
    };
    for (const auto& [text, limit, cut] : cases) {
        EXPECT_EQ(CutAtCharacter(text, limit), cut) << text << " " << limit;
    }
}

}  // namespace
}  // namespace zelk
