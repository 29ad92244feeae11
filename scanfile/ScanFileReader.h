#pragma once
// Reads an ncdu JSON export into records, exactly as a scan of the same tree would have made
// them. Streams: memory grows with what the file holds, within the limits' one budget, not with
// the file's size; nesting of any depth is read without recursion.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "scan/FileIdSet.h"
#include "scan/ReadBudget.h"
#include "scan/TFileAttr.h"
#include "scanfile/EntryInfo.h"
#include "scanfile/ScanFile.h"
#include "scanfile/SiblingNames.h"

namespace zelk {

class ScanFileReader {
    using Value = EntryInfo::Value;

  public:
    // Raises EScanFileError naming the file, with the reason, for anything it cannot read or
    // refuses; anything but a regular file is refused without waiting for it. "-" reads
    // standard input, which may be a pipe.
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
    explicit ScanFileReader(const ScanFileLimits& limits)
        : limits_(limits), budget_(limits.MaxBytes) {}
    bool Scalar(const Value& value);
    // A container inside a skipped value or as the value of a field: skipped whole.
    bool SkipContainer();
    void LeaveSkipped();
    // A record for the entry just read, below the open directory; its cost drawn from the budget.
    TFileAttr& AddRecord();
    // The entry just read has a real name, none of its siblings' (a refusal with its path if not).
    bool NameAccepted();
    std::string EntryPath() const;
    bool OpenDirectory();
    bool AddFile();
    double DateOf(std::int64_t seconds);
    // The value at the current place of the top array is complete.
    void TopValueDone() { ++topIndex_; }
    bool Refuse(std::string reason);

    ScanFileLimits limits_;
    std::string refusal_;
    ScanFile result_;
    std::vector<Open> open_;
    ReadBudget budget_;
    // By depth: the names met in each open directory.
    std::vector<SiblingNames> names_;
    FileIdSet links_;
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
