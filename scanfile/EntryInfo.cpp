#include "scanfile/EntryInfo.h"

#include <cmath>
#include <utility>

namespace zelk {
namespace {

constexpr std::uint64_t kMaxSize = 1ull << 63;

const char* SizeOf(const EntryInfo::Value& value, std::uint64_t& out) {
    using V = EntryInfo::Value;
    if (value.kind == V::Signed) {
        return "サイズが負です";
    }
    if (value.kind == V::Fraction) {
        return std::isfinite(value.fraction) && value.fraction == std::floor(value.fraction)
                   ? "サイズが 2^63 を超えています"
                   : "サイズが整数ではありません";
    }
    if (value.kind != V::Unsigned) {
        return "サイズが数値ではありません";
    }
    if (value.unsignedValue > kMaxSize) {
        return "サイズが 2^63 を超えています";
    }
    out = value.unsignedValue;
    return nullptr;
}

const char* WholeOf(const EntryInfo::Value& value, std::uint64_t& out) {
    if (value.kind != EntryInfo::Value::Unsigned) {
        return "dev、ino または nlink が 0 以上の整数ではありません";
    }
    out = value.unsignedValue;
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
            if (value.text.find('\0') != std::string_view::npos) {
                return "名前に NUL 文字 (\\u0000) があります";
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
            // Some writers give fractions of a second.
            if (value.kind == Value::Fraction && std::isfinite(value.fraction) &&
                std::fabs(value.fraction) < 1e15) {
                mtime = static_cast<std::int64_t>(std::floor(value.fraction));
                return nullptr;
            }
            if (value.kind != Value::Signed && value.kind != Value::Unsigned) {
                return "mtime が数値ではありません";
            }
            mtime = value.signedValue;
            return nullptr;
        case Field::Dev:
            hasDev = true;
            return WholeOf(value, dev);
        case Field::Ino:
            hasIno = true;
            return WholeOf(value, ino);
        case Field::NLink: {
            std::uint64_t links = 0;
            const char* refusal = WholeOf(value, links);
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
            // ncdu names the reason ("pattern", "otherfs"); false or null mean not excluded.
            excluded = !(value.kind == Value::Bool && !value.flag) && value.kind != Value::Null;
            return nullptr;
        case Field::None:
        case Field::Other:
            return nullptr;
    }
    return nullptr;
}

}  // namespace zelk
