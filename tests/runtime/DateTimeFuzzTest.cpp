// Guards the date-time text routines against arbitrary input: random byte strings (digits,
// marks, pattern letters, whole and broken UTF-8, stray bytes) as texts to read, as patterns to
// expand and as the locale's own patterns and marks. Each call returns a value or refuses with
// EConvertError; no output exceeds 256 bytes.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <random>
#include <string>

#include "runtime/DateTimeParser.h"
#include "runtime/DateTimeTestSupport.h"
#include "runtime/DateTimeText.h"
#include "runtime/Errors.h"

namespace zelk {
namespace {

class RandomText {
  public:
    explicit RandomText(std::uint64_t seed) : random_(seed) {}

    std::string Next(int maxPieces) {
        static constexpr std::array<std::string_view, 24> kPieces = {
            "0",  "1",  "2",    "9",    "12", "2026",  "99999",    "/",
            ":",  " ",  "  ",   "'",    "\"", "am/pm", "a/p",      "ampm",
            "AM", "pm", "午前", "午後", "年", "令和",  "\xE5\x8D", "\xF4\x90\x80\x80"};
        static constexpr std::string_view kLetters = "yYmMdDhHnNsStTcCaAgGeEzx";
        std::string text;
        const int pieces = Below(maxPieces + 1);
        for (int i = 0; i < pieces; ++i) {
            const int kind = Below(4);
            if (kind == 0) {
                text += kPieces[static_cast<std::size_t>(Below(kPieces.size()))];
            } else if (kind == 1) {
                const auto run = static_cast<std::size_t>(1 + Below(7));
                text.append(run, kLetters[static_cast<std::size_t>(Below(kLetters.size()))]);
            } else {
                text += static_cast<char>(kind == 2 ? Below(256) : '0' + Below(10));
            }
        }
        return text;
    }

    TDateTime Value() {
        using L = std::numeric_limits<double>;
        static constexpr std::array<double, 8> kOdd = {
            0,     -693594.5,      2958465.99999999, 1e300,
            -1e15, L::quiet_NaN(), L::infinity(),    L::denorm_min()};
        if (Below(8) == 0) {
            return kOdd[static_cast<std::size_t>(Below(kOdd.size()))];
        }
        return std::uniform_real_distribution<double>(-700000, 3000000)(random_);
    }

    int Below(std::size_t n) {
        return static_cast<int>(std::uniform_int_distribution<std::size_t>(0, n - 1)(random_));
    }

  private:
    std::mt19937_64 random_;
};

using DateTimeFuzzTest = DateTimeTest;

// Any exception other than EConvertError fails the test through gtest. The first round runs on
// the desktop's own settings.
TEST_F(DateTimeFuzzTest, RandomTextsPatternsAndLocaleSettingsGiveValuesOrConversionErrorsOnly) {
    RandomText random(0x5EED0001);
    for (int round = 0; round < 300; ++round) {
        for (int i = 0; i < (round == 0 ? 150000 : 500); ++i) {
            const std::string text = random.Next(12);
            try {
                const TDateTime v = ParseDateTime(text);
                ASSERT_TRUE(std::isfinite(v)) << text;
            } catch (const EConvertError&) {
            }
            const std::string out = ExpandDateTimePattern(random.Next(12), random.Value());
            ASSERT_LE(out.size(), 256u);
        }
        WithFormats([&](LocaleFormats& f) {
            f.ShortDatePattern = random.Next(8);
            f.LongDatePattern = random.Next(8);
            f.ShortTimePattern = random.Next(6);
            f.LongTimePattern = random.Next(6);
            f.AmText = random.Next(2);
            f.PmText = random.Next(2);
            f.DateMark = static_cast<char>(random.Below(256));
            f.TimeMark = random.Below(2) == 0 ? ':' : static_cast<char>(random.Below(256));
            f.MonthNames[static_cast<std::size_t>(random.Below(12))] = random.Next(40);
        });
    }
}

}  // namespace
}  // namespace zelk
