#include "app/AppTexts.h"

#include "platform/AsciiCase.h"
#include "platform/Utf8Text.h"

namespace zelk {

std::string AppTitleOf(std::string_view programFile) {
    const auto slash = programFile.rfind('/');
    std::string_view name =
        slash == std::string_view::npos ? programFile : programFile.substr(slash + 1);
    name = name.substr(0, name.find('.'));
    std::string title;
    title.reserve(name.size());
    std::size_t pos = 0;
    bool first = true;
    while (pos < name.size()) {
        const std::size_t length = CharLengthAt(name, pos);
        for (std::size_t i = 0; i < length; ++i) {
            char c = name[pos + i];
            if (!first && length == 1) {
                c = AsciiToLower(c);
            }
            title.push_back(c);
        }
        first = false;
        pos += length;
    }
    return title;
}

std::string ErrorBoxText(std::string_view message) {
    std::string text(message);
    if (message.empty()) {
        return text;
    }
    std::size_t last = 0;
    for (std::size_t pos = 0; pos < message.size(); pos += CharLengthAt(message, pos)) {
        last = pos;
    }
    // A multi-byte character's lead byte is above every ASCII byte, so it always sorts after ".".
    if (static_cast<unsigned char>(message[last]) > static_cast<unsigned char>('.')) {
        text += '.';
    }
    return text;
}

}  // namespace zelk
