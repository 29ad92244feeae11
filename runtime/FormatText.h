#pragma once
// The program's printf-like formatter: conversions d, s, f and m with an optional width and
// precision, numbers written with the locale settings in force.

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

namespace zelk {

// One argument of FormatText. A byte string is held by reference: the text must outlive the
// FormatText call (a temporary in the call's own argument list does).
class FormatArg {
  public:
    enum class Kind { Integer, String, Float };

    FormatArg(std::int32_t value) : kind_(Kind::Integer), integer_(value) {}
    FormatArg(std::string_view text) : kind_(Kind::String), text_(text) {}
    FormatArg(const std::string& text) : kind_(Kind::String), text_(text) {}
    FormatArg(const char* text) : kind_(Kind::String), text_(text) {}
    FormatArg(long double value) : kind_(Kind::Float), float_(value) {}
    FormatArg(double value) : kind_(Kind::Float), float_(value) {}

    Kind ArgKind() const { return kind_; }
    std::int32_t Integer() const { return integer_; }
    std::string_view Text() const { return text_; }
    long double Float() const { return float_; }

  private:
    Kind kind_;
    std::int32_t integer_ = 0;
    std::string_view text_;
    long double float_ = 0;
};

constexpr std::size_t kFormatTextLimit = 4096;

// The formatted text, at most kFormatTextLimit bytes. Raises EConvertError for a conversion
// its argument does not take, a missing argument or a longer result, returning nothing then.
std::string FormatText(std::string_view pattern, std::span<const FormatArg> args);
std::string FormatText(std::string_view pattern, std::initializer_list<FormatArg> args);

}  // namespace zelk
