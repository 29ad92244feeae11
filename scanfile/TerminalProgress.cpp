#include "scanfile/TerminalProgress.h"

#include "platform/Utf8Text.h"

namespace zelk {
namespace {

constexpr std::size_t kColumns = 78;

}  // namespace

TerminalProgress::~TerminalProgress() {
    if (drawn_) {
        std::fprintf(out_, "\r\033[K");
        std::fflush(out_);
    }
}

void TerminalProgress::SetSimpleText(const std::string& text) {
    const auto now = std::chrono::steady_clock::now();
    if (drawn_ && now - shown_ < std::chrono::milliseconds(100)) {
        return;
    }
    shown_ = now;
    drawn_ = true;
    // The end of a long path says the most; cut where a character starts.
    std::size_t start = 0;
    while (text.size() - start > kColumns) {
        start += CharLengthAt(text, start);
    }
    std::fprintf(out_, "\r\033[K%s", text.c_str() + start);
    std::fflush(out_);
}

}  // namespace zelk
