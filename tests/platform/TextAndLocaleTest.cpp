// Guards the character rule every text operation relies on: a UTF-8 sequence is one character,
// a byte that does not start a valid sequence is a character of its own, and a cut never splits
// a character. And the locale service's answers as the settings readers rely on them: counts
// that include the terminating zero, failure when an item is unknown or does not fit, and the
// per-thread locale.

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "platform/LocaleService.h"
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

class LocaleServiceTest : public ::testing::Test {
  protected:
    void TearDown() override {
        LocaleService::Instance().RemoveInstalled();
        LocaleService::Instance().SetThreadLocale(kLocaleJapanese);
    }
};

TEST_F(LocaleServiceTest, ItemsAreWrittenWithTheirZeroAndCountedWithIt) {
    char buffer[8] = "xxxxxxx";
    EXPECT_EQ(GetLocaleInfoA(0x0411, LOCALE_SCURRENCY, buffer, sizeof buffer), 3);  // ¥ is 2 bytes
    EXPECT_EQ(std::string(buffer), "¥");
    EXPECT_EQ(GetLocaleInfoA(0x0411, LOCALE_SCURRENCY, buffer, 3), 3);
    EXPECT_EQ(GetLocaleInfoA(0x0411, LOCALE_SCURRENCY, buffer, 2), 0);    // does not fit
    EXPECT_EQ(GetLocaleInfoA(0x0411, LOCALE_SCURRENCY, nullptr, 0), 3);   // the size asked for
    EXPECT_EQ(GetLocaleInfoA(0x0411, 0x7777, buffer, sizeof buffer), 0);  // unknown item
    EXPECT_EQ(GetLocaleInfoA(0x0407, LOCALE_SCURRENCY, buffer, sizeof buffer), 0);
    EXPECT_EQ(GetLocaleInfoA(0x0409, LOCALE_SCURRENCY, buffer, sizeof buffer), 2);
    EXPECT_EQ(std::string(buffer), "$");
}

TEST_F(LocaleServiceTest, EachThreadStartsWithTheJapaneseLocale) {
    SetThreadLocale(0x0409);
    EXPECT_EQ(GetThreadLocale(), 0x0409u);
    LCID other = 0;
    std::thread([&other] { other = GetThreadLocale(); }).join();
    EXPECT_EQ(other, 0x0411u);
    SetThreadLocale(LOCALE_USER_DEFAULT);
    EXPECT_EQ(GetThreadLocale(), 0x0411u);
}

}  // namespace
}  // namespace zelk
