#pragma once
// The information object of one export entry: the fields a scan file carries, each checked as
// it is read; every other field is ignored.

#include <cstdint>
#include <string>
#include <string_view>

namespace zelk {

class EntryInfo {
  public:
    // One scalar value as the parser gave it.
    struct Value {
        enum Kind { Bool, Signed, Unsigned, Fraction, Text, Null };
        explicit Value(Kind k) : kind(k) {}
        explicit Value(bool b) : kind(Bool), flag(b) {}
        explicit Value(std::int64_t v)
            : kind(v < 0 ? Signed : Unsigned),
              signedValue(v),
              unsignedValue(static_cast<std::uint64_t>(v)) {}
        explicit Value(std::uint64_t v)
            : kind(Unsigned), signedValue(static_cast<std::int64_t>(v)), unsignedValue(v) {}
        explicit Value(double v) : kind(Fraction), fraction(v) {}
        explicit Value(std::string_view t) : kind(Text), text(t) {}
        Kind kind;
        bool flag = false;
        std::int64_t signedValue = 0;  // also set for Unsigned values
        std::uint64_t unsignedValue = 0;
        double fraction = 0;
        std::string_view text;
    };

    void Reset() { *this = EntryInfo{}; }
    void SelectKey(std::string_view key);
    // The selected field may hold a container: it is one we ignore. Deselects it.
    bool SkipsContainer();
    // Stores the value of the selected field; the reason when it is refused, else nullptr.
    const char* Set(const Value& value);

    std::string name;
    bool hasName = false;
    std::uint64_t asize = 0;
    std::uint64_t dsize = 0;
    std::uint64_t dev = 0;
    std::uint64_t ino = 0;
    std::int64_t mtime = 0;
    bool hasDev = false;
    bool hasIno = false;
    bool hasMTime = false;
    bool hardLinked = false;
    bool readError = false;
    bool excluded = false;
    // Excluded as the mount point of another volume ("otherfs", "kernfs"), or another place the
    // writer did not enter ("frmlnk"): a directory even when written as a file.
    bool otherVolume = false;
    bool notEntered = false;

  private:
    enum class Field {
        None,
        Name,
        ASize,
        DSize,
        MTime,
        Dev,
        Ino,
        HardLinked,
        NLink,
        ReadError,
        Excluded,
        Other
    };
    Field field_ = Field::None;
};

}  // namespace zelk
