#include "scanfile/EntryInfo.h"

#include <cmath>
#include <cstdint>
#include <utility>

namespace zelk {
namespace {

// The reasons a whole-number field gives, each naming it.
struct Reasons {
    const char* negative;
    const char* fraction;
    const char* tooLarge;
    const char* notNumber;
};
constexpr Reasons kSize{"サイズが負です", "サイズが整数ではありません",
                        "サイズが 2^63 を超えています", "サイズが数値ではありません"};
constexpr Reasons kDev{"dev が負です", "dev が整数ではありません", "dev が 2^64 以上です",
                       "dev が数値ではありません"};
constexpr Reasons kIno{"ino が負です", "ino が整数ではありません", "ino が 2^64 以上です",
                       "ino が数値ではありません"};
constexpr Reasons kNLink{"nlink が負です", "nlink が整数ではありません", "nlink が 2^64 以上です",
                         "nlink が数値ではありません"};

// A whole number from 0 to max, written as an integer or in exponent form ("1e18").
const char* WholeOf(const EntryInfo::Value& value, std::uint64_t max, const Reasons& reasons,
                    std::uint64_t& out) {
    using V = EntryInfo::Value;
    if (value.kind == V::Signed) {
        return reasons.negative;
    }
    if (value.kind == V::Fraction) {
        const double d = value.fraction;
        if (d < 0) {
            return reasons.negative;
        }
        if (d != std::floor(d)) {
            return reasons.fraction;
        }
        if (!(d < 18446744073709551616.0)) {  // 2^64: beyond any max
            return reasons.tooLarge;
        }
        out = static_cast<std::uint64_t>(d);
        return out > max ? reasons.tooLarge : nullptr;
    }
    if (value.kind != V::Unsigned) {
        return reasons.notNumber;
    }
    if (value.unsignedValue > max) {
        return reasons.tooLarge;
    }
    out = value.unsignedValue;
    return nullptr;
}

const char* SizeOf(const EntryInfo::Value& value, std::uint64_t& out) {
    return WholeOf(value, 1ull << 63, kSize, out);
}

const char* MTimeOf(const EntryInfo::Value& value, std::int64_t& out) {
    using V = EntryInfo::Value;
    constexpr double kLimit = 9223372036854775808.0;  // 2^63
    if (value.kind == V::Fraction) {
        // Some writers give fractions of a second.
        const double d = std::floor(value.fraction);
        if (!(d >= -kLimit && d < kLimit)) {
            return "mtime が範囲外です";
        }
        out = static_cast<std::int64_t>(d);
        return nullptr;
    }
    if (value.kind == V::Unsigned && value.unsignedValue > static_cast<std::uint64_t>(INT64_MAX)) {
        return "mtime が範囲外です";
    }
    if (value.kind != V::Signed && value.kind != V::Unsigned) {
        return "mtime が数値ではありません";
    }
    out = value.signedValue;
    return nullptr;
}

}  // namespace

void EntryInfo::SelectKey(std::string_view key) {
    static constexpr std::pair<std::string_view, Field> kFields[] = {
        {"name", Field::Name},        {"asize", Field::ASize}, {"dsize", Field::DSize},
        {"mtime", Field::MTime},      {"dev", Field::Dev},     {"ino", Field::Ino},
        {"hlnkc", Field::HardLinked}, {"nlink", Field::NLink}, {"read_error", Field::ReadError},
        {"excluded", Field::Excluded}};
    field_ = Field::Other;
    for (const auto& [known, field] : kFields) {
        if (key == known) {
            field_ = field;
            break;
        }
    }
}

bool EntryInfo::SkipsContainer() {
    return std::exchange(field_, Field::None) == Field::Other;
}

const char* EntryInfo::Set(const Value& value) {
    switch (std::exchange(field_, Field::None)) {
        case Field::Name:
            if (value.kind != Value::Text) {
                return "名前が文字列ではありません";
            }
            name.assign(value.text);
            hasName = true;
            return nullptr;
        case Field::ASize:
            return SizeOf(value, asize);
        case Field::DSize:
            return SizeOf(value, dsize);
        case Field::MTime:
            hasMTime = true;
            return MTimeOf(value, mtime);
        case Field::Dev:
            hasDev = true;
            return WholeOf(value, UINT64_MAX, kDev, dev);
        case Field::Ino:
            hasIno = true;
            return WholeOf(value, UINT64_MAX, kIno, ino);
        case Field::NLink: {
            std::uint64_t links = 0;
            const char* refusal = WholeOf(value, UINT64_MAX, kNLink, links);
            hardLinked = hardLinked || links > 1;
            return refusal;
        }
        case Field::HardLinked:
            // ncdu 1 writes a flag, some writers a count.
            hardLinked = hardLinked || (value.kind == Value::Bool && value.flag) ||
                         (value.kind == Value::Unsigned && value.unsignedValue > 0);
            return nullptr;
        case Field::ReadError:
            readError = value.kind == Value::Bool && value.flag;
            return nullptr;
        case Field::Excluded:
            // ncdu names the reason ("pattern", "otherfs", "othfs" in 1.x); false or null mean
            // not excluded.
            excluded = !(value.kind == Value::Bool && !value.flag) && value.kind != Value::Null;
            otherVolume =
                value.kind == Value::Text &&
                (value.text == "otherfs" || value.text == "othfs" || value.text == "kernfs");
            notEntered = otherVolume || (value.kind == Value::Text && value.text == "frmlnk");
            return nullptr;
        case Field::None:
        case Field::Other:
            return nullptr;
    }
    return nullptr;
}

}  // namespace zelk
