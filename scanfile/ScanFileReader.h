#pragma once
// Reads an ncdu JSON export into records, exactly as a scan of the same tree would have made
// them. Streams: memory grows with the directories read, not with the file's size; nesting of
// any depth is read without recursion.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "scan/TFileAttr.h"
#include "scanfile/EntryInfo.h"
#include "scanfile/ScanFile.h"

namespace zelk {

class ScanFileReader {
    using Value = EntryInfo::Value;

  public:
    // Raises EScanFileError naming the file, with the reason, for anything it cannot read or
    // refuses.
    static ScanFile Read(const std::string& path, const ScanFileLimits& limits = {});
    // Reads from an open descriptor; name is only used in messages.
    static ScanFile Read(int fd, const std::string& name, const ScanFileLimits& limits = {});

    // The parser's event protocol; each returns false to stop the read, with its reason kept.
    bool Null() { return Scalar(Value(Value::Null)); }
    bool Bool(bool value) { return Scalar(Value(value)); }
    bool Int(int value) { return Scalar(Value(std::int64_t{value})); }
    bool Uint(unsigned value) { return Scalar(Value(std::uint64_t{value})); }
    bool Int64(std::int64_t value) { return Scalar(Value(value)); }
    bool Uint64(std::uint64_t value) { return Scalar(Value(value)); }
    bool Double(double value) { return Scalar(Value(value)); }
    bool RawNumber(const char*, unsigned, bool) { return Refuse("数値を読めません"); }
    bool String(const char* text, unsigned length, bool copy);
    bool StartObject();
    bool Key(const char* text, unsigned length, bool copy);
    bool EndObject(unsigned members);
    bool StartArray();
    bool EndArray(unsigned elements);

  private:
    struct Open {
        TFileAttr* record;
        std::uint64_t dev;
    };
    struct Link {
        std::uint64_t dev, ino;
        bool operator==(const Link&) const = default;
    };
    struct LinkHash {
        std::size_t operator()(const Link& l) const { return l.ino * 1000003u ^ l.dev; }
    };

    explicit ScanFileReader(const ScanFileLimits& limits) : limits_(limits) {}
    bool Scalar(const Value& value);
    // A container inside a skipped value or as the value of a field: skipped whole.
    bool SkipContainer();
    void LeaveSkipped();
    bool CountDirectory();
    bool OpenDirectory();
    bool AddFile();
    // The value at the current place of the top array is complete.
    void TopValueDone() { ++topIndex_; }
    bool Refuse(std::string reason);

    ScanFileLimits limits_;
    std::string refusal_;
    ScanFile result_;
    std::vector<Open> open_;
    std::unordered_set<Link, LinkHash> links_;
    std::uint64_t directories_ = 0;
    int topState_ = 0;  // 0 before the top array, 1 inside it, 2 after it
    int topIndex_ = 0;
    bool rootDone_ = false;
    std::size_t skipDepth_ = 0;  // containers being skipped
    bool expectingInfo_ = false;
    bool inInfo_ = false;
    bool infoOfDirectory_ = false;
    EntryInfo info_;
    std::int64_t datedSeconds_ = 0;
    double datedValue_ = 0;
    bool dated_ = false;
};

}  // namespace zelk
