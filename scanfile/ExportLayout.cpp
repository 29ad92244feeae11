#include "scanfile/ExportLayout.h"

#include <cstddef>

namespace zelk {
namespace {

constexpr const char* kNotAnExport = "ncdu のエクスポート (JSON の配列) ではありません";
constexpr const char* kUnsupported = "対応していない形式の版です";
constexpr const char* kNoMetadata = "メタデータがありません";
constexpr const char* kRootNotADirectory = "ルートがディレクトリではありません";

// What each kind of value does at each place: nullptr takes it, anything else refuses the file.
struct Rules {
    const char* scalar;
    const char* object;
    const char* array;
    const char* end;  // of the top array
};
// clang-format off
constexpr Rules kRules[] = {
    /* BeforeTop    */ {kNotAnExport, kNotAnExport, nullptr, kNotAnExport},
    /* MajorVersion */ {nullptr, kUnsupported, kUnsupported, kUnsupported},
    /* MinorVersion */ {nullptr, kUnsupported, kUnsupported, kUnsupported},
    /* Metadata     */ {kNoMetadata, nullptr, kNoMetadata, kUnsupported},
    /* Root         */ {kRootNotADirectory, kRootNotADirectory, nullptr, "ルートがありません"},
    /* Later        */ {nullptr, nullptr, nullptr, nullptr},
    /* AfterTop     */ {kNotAnExport, kNotAnExport, kNotAnExport, kNotAnExport},
};
// clang-format on

const Rules& RulesAt(ExportLayout::Place place) {
    return kRules[static_cast<std::size_t>(place)];
}

}  // namespace

const char* ExportLayout::Scalar(const EntryInfo::Value& value) {
    using Value = EntryInfo::Value;
    if (const char* refusal = RulesAt(place_).scalar) {
        return refusal;
    }
    if (place_ == Place::MajorVersion &&
        (value.kind != Value::Unsigned || value.unsignedValue != 1)) {
        return kUnsupported;
    }
    if (place_ == Place::MinorVersion && value.kind != Value::Unsigned) {
        return "形式の版が正しくありません";
    }
    ValueDone();
    return nullptr;
}

const char* ExportLayout::Object() const {
    return RulesAt(place_).object;
}

const char* ExportLayout::Array(ArrayKind& kind) {
    if (const char* refusal = RulesAt(place_).array) {
        return refusal;
    }
    kind = place_ == Place::BeforeTop ? ArrayKind::Top
           : place_ == Place::Root    ? ArrayKind::Root
                                      : ArrayKind::Skipped;
    if (place_ == Place::BeforeTop) {
        place_ = Place::MajorVersion;
    }
    return nullptr;
}

const char* ExportLayout::EndOfTop() {
    if (const char* refusal = RulesAt(place_).end) {
        return refusal;
    }
    place_ = Place::AfterTop;
    return nullptr;
}

void ExportLayout::ValueDone() {
    // The places in turn; values later versions add all stand in the last.
    if (place_ >= Place::MajorVersion && place_ <= Place::Root) {
        place_ = static_cast<Place>(static_cast<int>(place_) + 1);
    }
}

}  // namespace zelk
