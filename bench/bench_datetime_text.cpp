// DateTimeText over a million values under the Japanese desktop's items, beside glibc strftime
// ("%Y/%m/%d %H:%M:%S") of the same instants converted with gmtime_r, in the same run. Before
// timing, every value's text under the zero-filled patterns "yyyy/mm/dd" and "hh:nn:ss" is
// compared with strftime's, as a cross-check of the calendar.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "common/BenchSetup.h"
#include "platform/LocaleService.h"
#include "runtime/DateTimeText.h"
#include "runtime/LocaleFormats.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kValues = 1'000'000;
constexpr int kRounds = 5;

template <typename F>
double BestNanosPerCall(F&& body) {
    double best = 1e30;
    for (int round = 0; round < kRounds; ++round) {
        const auto start = Clock::now();
        body();
        const std::chrono::duration<double, std::nano> elapsed = Clock::now() - start;
        best = std::min(best, elapsed.count() / kValues);
    }
    return best;
}

}  // namespace

int main() {
    using namespace zelk;
    LocaleService::Instance().SetThreadLocale(kLocaleJapanese);
    zelk::bench::LoadDesktopLocale();

    // Whole seconds from 1970 to 2037; 25569 is 1 January 1970.
    std::mt19937_64 random(7);
    std::uniform_int_distribution<std::int64_t> second(0, 2'145'916'800 - 1);
    std::vector<std::time_t> instants(kValues);
    std::vector<double> values(kValues);
    for (int i = 0; i < kValues; ++i) {
        const std::int64_t t = second(random);
        instants[i] = static_cast<std::time_t>(t);
        values[i] =
            25569.0 + static_cast<double>(t / 86400) + static_cast<double>(t % 86400) / 86400.0;
    }

    const LocaleFormats desktop = *CurrentLocaleFormats();
    LocaleFormats filled = desktop;
    filled.ShortDatePattern = "yyyy/mm/dd";
    filled.LongTimePattern = "hh:nn:ss";
    InstallLocaleFormats(filled);
    int mismatches = 0;
    for (int i = 0; i < kValues; ++i) {
        std::tm tm{};
        gmtime_r(&instants[i], &tm);
        char buffer[64];
        const std::size_t n = std::strftime(buffer, sizeof buffer, "%Y/%m/%d %H:%M:%S", &tm);
        std::string expected(buffer, n);
        if (instants[i] % 86400 == 0) {
            expected.resize(10);  // the date alone at midnight
        }
        if (DateTimeText(values[i]) != expected && ++mismatches <= 5) {
            std::printf("mismatch: %s vs %s\n", DateTimeText(values[i]).c_str(), expected.c_str());
        }
    }
    InstallLocaleFormats(desktop);

    std::size_t sink = 0;
    const double ours = BestNanosPerCall([&] {
        for (const double v : values) {
            sink += DateTimeText(v).size();
        }
    });
    const double gm = BestNanosPerCall([&] {
        for (const std::time_t t : instants) {
            std::tm tm{};
            gmtime_r(&t, &tm);
            char buffer[64];
            sink += std::strftime(buffer, sizeof buffer, "%Y/%m/%d %H:%M:%S", &tm);
        }
    });
    const double local = BestNanosPerCall([&] {
        for (const std::time_t t : instants) {
            std::tm tm{};
            localtime_r(&t, &tm);
            char buffer[64];
            sink += std::strftime(buffer, sizeof buffer, "%Y/%m/%d %H:%M:%S", &tm);
        }
    });

    std::printf("cross-check against strftime: %d mismatches in %d values\n", mismatches, kValues);
    std::printf("DateTimeText                 %7.1f ns/call\n", ours);
    std::printf("gmtime_r + strftime          %7.1f ns/call  (DateTimeText: %.2fx)\n", gm,
                ours / gm);
    std::printf("localtime_r + strftime       %7.1f ns/call  (DateTimeText: %.2fx)\n", local,
                ours / local);
    std::printf("(checksum %zu)\n", sink);
    return mismatches == 0 ? 0 : 1;
}
