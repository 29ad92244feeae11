#pragma once
// Reads an ncdu JSON export into records, exactly as a scan of the same tree would have made
// them. Streams: memory grows with what the file holds, within the limits' one budget, not with
// the file's size; nesting of any depth is read without recursion.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "scan/ReadBudget.h"
#include "scan/RecordSink.h"
#include "scan/TFileAttr.h"
#include "scanfile/EntryInfo.h"
#include "scanfile/EntryNames.h"
#include "scanfile/ExportLayout.h"
#include "scanfile/ScanFile.h"

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
    // An open directory, and the device its entries are on where they do not say.
    struct Open {
        TFileAttr* record;
        std::uint64_t dev;
    };
    explicit ScanFileReader(const ScanFileLimits& limits)
        : limits_(limits), budget_(limits.MaxBytes), sink_(budget_), names_(budget_) {}
    bool Scalar(const Value& value);
    // A container inside a skipped value or as the value of a field: skipped whole.
    bool SkipContainer();
    void LeaveSkipped();
    // The entry just read has a name its directory can hold (a refusal with its path if not).
    bool NameAccepted();
    bool OpenDirectory();
    void CloseDirectory();
    bool AddFile();
    std::optional<std::int64_t> Written() const;
    bool Refuse(std::string reason);
    bool Accepted(const char* refusal) { return refusal == nullptr || Refuse(refusal); }

    ScanFileLimits limits_;
    std::string refusal_;
    ScanFile result_;
    ReadBudget budget_;
    RecordSink sink_;
    EntryNames names_;
    ExportLayout layout_;
    std::vector<Open> open_;
    std::size_t skipDepth_ = 0;  // containers being skipped
    bool expectingInfo_ = false;
    bool inInfo_ = false;
    bool infoOfDirectory_ = false;
    EntryInfo info_;
};

}  // namespace zelk
