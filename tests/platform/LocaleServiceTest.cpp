// Guards the locale service's answers as the settings readers rely on them: counts that include
// the terminating zero, failure when an item is unknown or does not fit, installed items in
// place of the built-in ones and the per-thread locale.

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "platform/LocaleService.h"

namespace zelk {
namespace {

class LocaleServiceTest : public ::testing::Test {
  protected:
    void TearDown() override {
        LocaleService::Instance().RemoveInstalled();
        LocaleService::Instance().SetThreadLocale(kLocaleJapanese);
    }
};

std::string Read(LCID locale, LCTYPE item) {
    char buffer[256] = {};
    const int count = GetLocaleInfoA(locale, item, buffer, sizeof buffer);
    return count > 0 ? std::string(buffer, static_cast<std::size_t>(count - 1)) : "(failed)";
}

TEST_F(LocaleServiceTest, ItemsAreWrittenWithTheirZeroAndCountedWithIt) {
    char buffer[8] = "xxxxxxx";
    EXPECT_EQ(GetLocaleInfoA(0x0411, LOCALE_SCURRENCY, buffer, sizeof buffer), 3);  // ¥ is 2 bytes
    EXPECT_EQ(std::string(buffer), "¥");
    EXPECT_EQ(GetLocaleInfoA(0x0411, LOCALE_SCURRENCY, buffer, 3), 3);
    EXPECT_EQ(GetLocaleInfoA(0x0411, LOCALE_SCURRENCY, buffer, 2), 0);    // does not fit
    EXPECT_EQ(GetLocaleInfoA(0x0411, LOCALE_SCURRENCY, nullptr, 0), 3);   // the size asked for
    EXPECT_EQ(GetLocaleInfoA(0x0411, 0x7777, buffer, sizeof buffer), 0);  // unknown item
    EXPECT_EQ(GetLocaleInfoA(0x0407, LOCALE_SCURRENCY, buffer, sizeof buffer), 0);
}

// The loader's tests install and fail items of the Japanese desktop; here another locale and an
// item the built-in table lacks, and their removal.
TEST_F(LocaleServiceTest, InstalledItemsReplaceOrFailTheBuiltInOnesUntilRemoved) {
    LocaleService& service = LocaleService::Instance();
    service.InstallItem(0x0409, 0x7777, "new");
    service.FailItem(0x0409, LOCALE_SCURRENCY);
    EXPECT_EQ(Read(0x0409, 0x7777) + " " + Read(0x0409, LOCALE_SCURRENCY), "new (failed)");
    service.RemoveInstalled();
    EXPECT_EQ(Read(0x0409, 0x7777) + " " + Read(0x0409, LOCALE_SCURRENCY), "(failed) $");
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
