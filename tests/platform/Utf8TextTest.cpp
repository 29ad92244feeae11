// Guards the character rule every text operation relies on: a UTF-8 sequence is one character,
// a byte that does not start a valid sequence is a character of its own, and a cut never splits
// a character.

#include <gtest/gtest.h>

#include "platform/Utf8Text.h"

namespace zelk {
namespace {

TEST(CharLengthAt, CountsWholeSequencesAndTakesInvalidOrCutOnesByteByByte) {
    const std::pair<std::string_view, std::size_t> whole[] = {
        {"a", 1}, {"¥", 2}, {"ｱ", 3}, {"年", 3}, {"😀", 4}};
    for (const auto& [text, length] : whole) {
        EXPECT_EQ(CharLengthAt(text, 0), length) << text;
    }
    // Cut at the end, continuation missing, overlong lead, overlong three-byte form, surrogate,
    // past U+10FFFF, a lone continuation byte.
    for (const std::string_view bad : {"\xE3\x81", "\xE3\x41\x81", "\xC0\x80", "\xE0\x80\x80",
                                       "\xED\xA0\x80", "\xF4\x90\x80\x80", "\x80"}) {
        EXPECT_EQ(CharLengthAt(bad, 0), 1u) << testing::PrintToString(std::string(bad));
    }
}

TEST(CutAtCharacter, EndsOnTheLastWholeCharacterWithinTheLimit) {
    const std::tuple<std::string_view, std::size_t, std::string_view> cases[] = {
        {"abc", 5, "abc"}, {"abc", 2, "ab"},          {"a年b", 3, "a"}, {"a年b", 4, "a年"},
        {"年年", 5, "年"}, {"a\xE3\x81", 2, "a\xE3"}, {"😀", 3, ""},     {"", 0, ""}};
    for (const auto& [text, limit, cut] : cases) {
        EXPECT_EQ(CutAtCharacter(text, limit), cut) << text << " " << limit;
    }
}

}  // namespace
}  // namespace zelk
