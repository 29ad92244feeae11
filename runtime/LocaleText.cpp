#include "runtime/LocaleText.h"

#include "platform/Utf8Text.h"
#include "runtime/SystemLocale.h"

namespace zelk {

std::size_t LocaleCharLength(std::string_view text, std::size_t pos) {
    const SystemLocale& locale = CurrentSystemLocale();
    const auto byte = static_cast<unsigned char>(text[pos]);
    if (!locale.DoubleByteSystem || !locale.LeadByteSet.test(byte)) {
        return 1;
    }
    return CharLengthAt(text, pos);
}

std::string_view CutAtCharacter(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) {
        return text;
    }
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t next = end + LocaleCharLength(text, end);
        if (next > limit) {
            break;
        }
        end = next;
    }
    return text.substr(0, end);
}

}  // namespace zelk
