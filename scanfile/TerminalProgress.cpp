#include "scanfile/TerminalProgress.h"

#include <string_view>

#include "platform/Utf8Text.h"

namespace zelk {
namespace {

constexpr std::size_t kColumns = 78;

// A C0 or C1 control, DEL, or a lone byte that an eight-bit terminal takes for a C1 control.
bool IsControl(std::string_view character) {
    const auto first = static_cast<unsigned char>(character[0]);
    if (character.size() == 1) {
        return first < 0x20 || (first >= 0x7F && first < 0xA0);
    }
    return first == 0xC2 && static_cast<unsigned char>(character[1]) < 0xA0;
}

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
    // A name may hold any byte: a control would move the cursor or command the terminal.
    std::string shown;
    for (std::size_t at = start; at < text.size();) {
        const std::size_t length = CharLengthAt(text, at);
        const std::string_view character(text.data() + at, length);
        if (IsControl(character)) {
            shown.push_back('?');
        } else {
            shown.append(character);
        }
        at += length;
    }
    std::fprintf(out_, "\r\033[K%s", shown.c_str());
    std::fflush(out_);
}

}  // namespace zelk
