#include "runtime/FormatText.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <memory>

#include "platform/Utf8Text.h"
#include "runtime/Errors.h"
#include "runtime/FloatText.h"
#include "runtime/LocaleFormats.h"
#include "runtime/TextBuffer.h"

namespace zelk {
namespace {

constexpr std::size_t kShownDirective = 31;
// Any width or precision past this is as good as infinite: the text would not fit anyway.
constexpr int kNumberCap = 1 << 20;
constexpr int kNoPrecision = -1;
constexpr int kFloatPrecision = 18;

[[noreturn]] void RefuseKind(std::string_view directive) {
    throw EConvertError("書式文字列 '" + std::string(CutAtCharacter(directive, kShownDirective)) +
                        "' は正しくないか引数の型と一致しません");
}

[[noreturn]] void RefuseMissing(std::string_view directive) {
    throw EConvertError("書式文字列 '" + std::string(CutAtCharacter(directive, kShownDirective)) +
                        "' の引数が見つかりません");
}

[[noreturn]] void RefuseLength() {
    throw EConvertError("結果が 4096 文字以上あります");
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int ReadNumber(std::string_view pattern, std::size_t& pos) {
    int value = 0;
    while (pos < pattern.size() && IsDigit(pattern[pos])) {
        value = std::min(value * 10 + (pattern[pos] - '0'), kNumberCap);
        ++pos;
    }
    return value;
}

void WriteDecimal(TextBuffer& out, std::int32_t value, int precision) {
    char text[16];
    const std::uint32_t magnitude =
        value < 0 ? 0U - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
    const auto length =
        static_cast<int>(std::to_chars(text, text + sizeof text, magnitude).ptr - text);
    if (value < 0) {
        out.Put('-');
    }
    if (precision >= 0 && precision <= 15 && precision > length) {
        out.Fill('0', static_cast<std::size_t>(precision - length));
    }
    out.Put(std::string_view(text, static_cast<std::size_t>(length)));
}

int FloatDecimals(int precision, int otherwise) {
    return precision >= 0 && precision <= 18 ? precision : otherwise;
}

}  // namespace

std::string FormatText(std::string_view pattern, std::span<const FormatArg> args) {
    char buffer[kFormatTextLimit];
    TextBuffer out(buffer, sizeof buffer);
    std::shared_ptr<const LocaleFormats> formats;  // read once, on the first number
    std::size_t nextArg = 0;
    std::size_t pos = 0;
    const std::size_t size = pattern.size();
    while (pos < size) {
        const void* percent = std::memchr(pattern.data() + pos, '%', size - pos);
        const std::size_t stop =
            percent != nullptr
                ? static_cast<std::size_t>(static_cast<const char*>(percent) - pattern.data())
                : size;
        out.Put(pattern.substr(pos, stop - pos));
        if (out.Overflowed()) {
            RefuseLength();
        }
        pos = stop + 1;
        if (pos >= size) {
            break;  // no "%", or one that ends the pattern
        }
        if (pattern[pos] == '%') {
            out.Put('%');
            ++pos;
            if (out.Overflowed()) {
                RefuseLength();
            }
            continue;
        }
        const int width = ReadNumber(pattern, pos);
        int precision = kNoPrecision;
        if (pos < size && pattern[pos] == '.') {
            ++pos;
            precision = ReadNumber(pattern, pos);
        }
        if (pos >= size) {
            break;  // the pattern ends inside a directive
        }
        const char letter = pattern[pos];
        pos += CharLengthAt(pattern, pos);  // a stray character is shown whole
        const std::string_view directive = pattern.substr(stop, pos - stop);
        if (nextArg >= args.size()) {
            RefuseMissing(directive);
        }
        const FormatArg& arg = args[nextArg++];
        const std::size_t start = out.Size();
        switch (letter | 0x20) {
            case 'd':
                if (arg.ArgKind() != FormatArg::Kind::Integer) {
                    RefuseKind(directive);
                }
                WriteDecimal(out, arg.Integer(), precision);
                break;
            case 's': {
                if (arg.ArgKind() != FormatArg::Kind::String) {
                    RefuseKind(directive);
                }
                std::string_view text = arg.Text();
                if (precision >= 0 && static_cast<std::size_t>(precision) < text.size()) {
                    text = text.substr(0, static_cast<std::size_t>(precision));
                }
                out.Put(text);
                break;
            }
            case 'f':
            case 'm': {
                if (arg.ArgKind() != FormatArg::Kind::Float) {
                    RefuseKind(directive);
                }
                if (!formats) {
                    formats = CurrentLocaleFormats();
                }
                const bool money = (letter | 0x20) == 'm';
                WriteFloatText(out, arg.Float(), money ? FloatForm::Currency : FloatForm::Fixed,
                               kFloatPrecision,
                               FloatDecimals(precision, money ? formats->CurrencyDigits : 2),
                               *formats);
                break;
            }
            default:
                RefuseKind(directive);
        }
        out.PadFrom(start, static_cast<std::size_t>(width));
        if (out.Overflowed()) {
            RefuseLength();
        }
    }
    return std::string(out.Text());
}

std::string FormatText(std::string_view pattern, std::initializer_list<FormatArg> args) {
    return FormatText(pattern, std::span<const FormatArg>(args.begin(), args.size()));
}

}  // namespace zelk
