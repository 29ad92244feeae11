#pragma once
// Where a reader stands in the top array of an export: the major and minor version, the
// metadata, the root directory, then whatever later versions add. Says of each value met at the
// top whether it belongs where it stands, and why the file is refused where it does not.

#include "scanfile/EntryInfo.h"

namespace zelk {

class ExportLayout {
  public:
    enum class ArrayKind { Top, Root, Skipped };

    // Each returns the reason to refuse the file, or nullptr when the value belongs there.
    const char* Scalar(const EntryInfo::Value& value);
    // An object: one to skip whole (then ValueDone).
    const char* Object() const;
    // An array: the top array itself, the root directory or one to skip whole (both then
    // ValueDone).
    const char* Array(ArrayKind& kind);
    const char* EndOfTop();
    // The skipped object or array, or the root directory, has ended.
    void ValueDone();

    // In the order met.
    enum class Place { BeforeTop, MajorVersion, MinorVersion, Metadata, Root, Later, AfterTop };

  private:
    Place place_ = Place::BeforeTop;
};

}  // namespace zelk
