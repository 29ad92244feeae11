#include "scanfile/ScanFileReader.h"

#include <fcntl.h>
#include <unistd.h>

#include <rapidjson/error/en.h>
#include <rapidjson/reader.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "scanfile/DecompressingInput.h"
#include "scanfile/EScanFileError.h"
#include "scanfile/ScanRecords.h"

namespace zelk {
namespace {

constexpr std::uint64_t kMaxSize = 1ull << 63;

// The parser's stack (the text being read and the nesting) with a ceiling: past it the read is
// refused instead of growing with a hostile file.
struct BoundedAllocator {
    static const bool kNeedFree = true;
    static inline thread_local std::size_t ceiling = 64u << 20;
    void* Malloc(std::size_t size) { return Realloc(nullptr, 0, size); }
    void* Realloc(void* block, std::size_t, std::size_t size) {
        if (size > ceiling) {
            throw EScanFileError("名前などの文字列が長すぎるか、入れ子が深すぎます");
        }
        if (size == 0) {
            std::free(block);
            return nullptr;
        }
        void* grown = std::realloc(block, size);
        if (grown == nullptr) {
            throw std::bad_alloc();
        }
        return grown;
    }
    static void Free(void* block) { std::free(block); }
};

class FileCloser {
  public:
    explicit FileCloser(int fd) : fd_(fd) {}
    ~FileCloser() { ::close(fd_); }
    FileCloser(const FileCloser&) = delete;
    FileCloser& operator=(const FileCloser&) = delete;

  private:
    int fd_;
};

}  // namespace

std::uint64_t ScanFileLimits::DefaultMaxDirectories() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) {
        return 100'000'000;
    }
    // A record with its name and its place in its parent's list is well under 512 bytes.
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize) / 2 / 512;
}

ScanFile ScanFileReader::Read(const std::string& path, const ScanFileLimits& limits) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        throw EScanFileError(false, path, std::strerror(errno));
    }
    const FileCloser closer(fd);
    return Read(fd, path, limits);
}

ScanFile ScanFileReader::Read(int fd, const std::string& name, const ScanFileLimits& limits) {
    try {
        DecompressingInput input(fd, limits.MaxRatio);
        ScanFileReader handler(limits);
        BoundedAllocator::ceiling = limits.MaxTextBytes;
        BoundedAllocator allocator;
        rapidjson::GenericReader<rapidjson::UTF8<>, rapidjson::UTF8<>, BoundedAllocator> reader(
            &allocator, 4096);
        const rapidjson::ParseResult parsed =
            reader.Parse<rapidjson::kParseIterativeFlag>(input, handler);
        if (!parsed) {
            if (parsed.Code() == rapidjson::kParseErrorTermination) {
                throw EScanFileError(handler.refusal_ + " (" + std::to_string(input.Tell()) +
                                     " バイト目)");
            }
            if (input.Peek() == '\0' && parsed.Offset() >= input.Tell()) {
                throw EScanFileError("ファイルが途中で終わっています");
            }
            throw EScanFileError("JSON の構文が正しくありません (" +
                                 std::to_string(parsed.Offset()) +
                                 " バイト目): " + rapidjson::GetParseError_En(parsed.Code()));
        }
        return std::move(handler.result_);
    } catch (const EScanFileError& error) {
        throw EScanFileError(false, name, error.Reason());
    }
}

bool ScanFileReader::Refuse(std::string reason) {
    refusal_ = std::move(reason);
    return false;
}

bool ScanFileReader::Null() {
    return Scalar(Value(Value::Null));
}

bool ScanFileReader::Bool(bool value) {
    Value v(Value::Bool);
    v.flag = value;
    return Scalar(v);
}

bool ScanFileReader::Int64(std::int64_t value) {
    Value v(value < 0 ? Value::Signed : Value::Unsigned);
    v.signedValue = value;
    v.unsignedValue = static_cast<std::uint64_t>(value);
    return Scalar(v);
}

bool ScanFileReader::Uint64(std::uint64_t value) {
    Value v(Value::Unsigned);
    v.unsignedValue = value;
    v.signedValue = static_cast<std::int64_t>(value);
    return Scalar(v);
}

bool ScanFileReader::Double(double value) {
    Value v(Value::Fraction);
    v.fraction = value;
    return Scalar(v);
}

bool ScanFileReader::String(const char* text, unsigned length, bool /*copy*/) {
    Value v(Value::Text);
    v.text = std::string_view(text, length);
    return Scalar(v);
}

bool ScanFileReader::Key(const char* text, unsigned length, bool /*copy*/) {
    if (skipDepth_ > 0 || !inInfo_) {
        return true;
    }
    static constexpr std::pair<std::string_view, Field> kFields[] = {
        {"name", Field::Name},        {"asize", Field::ASize}, {"dsize", Field::DSize},
        {"mtime", Field::MTime},      {"dev", Field::Dev},     {"ino", Field::Ino},
        {"hlnkc", Field::HardLinked}, {"nlink", Field::NLink}, {"read_error", Field::ReadError},
        {"excluded", Field::Excluded}};
    const std::string_view key(text, length);
    field_ = Field::Other;
    for (const auto& [name, field] : kFields) {
        if (key == name) {
            field_ = field;
        }
    }
    return true;
}

bool ScanFileReader::Scalar(const Value& value) {
    if (skipDepth_ > 0) {
        return true;
    }
    if (inInfo_) {
        return SetField(value);
    }
    if (expectingInfo_) {
        return Refuse("ディレクトリの最初の要素が情報のオブジェクトではありません");
    }
    if (topState_ != 1) {
        return Refuse("ncdu のエクスポート (JSON の配列) ではありません");
    }
    if (!open_.empty()) {
        return Refuse("ディレクトリの中に不正な要素があります");
    }
    switch (topIndex_) {
        case 0:
            if (value.kind != Value::Unsigned || value.unsignedValue != 1) {
                return Refuse("対応していない形式の版です");
            }
            break;
        case 1:
            if (value.kind != Value::Unsigned) {
                return Refuse("形式の版が正しくありません");
            }
            break;
        case 2:
            return Refuse("メタデータがありません");
        case 3:
            return Refuse("ルートがディレクトリではありません");
        default:
            break;
    }
    TopValueDone();
    return true;
}

bool ScanFileReader::Size(const Value& value, std::uint64_t& out) {
    if (value.kind == Value::Signed) {
        return Refuse("サイズが負です");
    }
    if (value.kind == Value::Fraction) {
        return Refuse(std::isfinite(value.fraction) && value.fraction == std::floor(value.fraction)
                          ? "サイズが 2^63 を超えています"
                          : "サイズが整数ではありません");
    }
    if (value.kind != Value::Unsigned) {
        return Refuse("サイズが数値ではありません");
    }
    if (value.unsignedValue > kMaxSize) {
        return Refuse("サイズが 2^63 を超えています");
    }
    out = value.unsignedValue;
    return true;
}

bool ScanFileReader::Whole(const Value& value, std::uint64_t& out) {
    if (value.kind != Value::Unsigned) {
        return Refuse("dev、ino または nlink が 0 以上の整数ではありません");
    }
    out = value.unsignedValue;
    return true;
}

bool ScanFileReader::SetField(const Value& value) {
    const Field field = std::exchange(field_, Field::None);
    switch (field) {
        case Field::Name:
            if (value.kind != Value::Text) {
                return Refuse("名前が文字列ではありません");
            }
            if (value.text.find('\0') != std::string_view::npos) {
                return Refuse("名前に NUL 文字 (\\u0000) があります");
            }
            info_.name.assign(value.text);
            info_.hasName = true;
            return true;
        case Field::ASize:
            return Size(value, info_.asize);
        case Field::DSize:
            return Size(value, info_.dsize);
        case Field::MTime:
            info_.hasMTime = true;
            if (value.kind == Value::Fraction && std::isfinite(value.fraction) &&
                std::fabs(value.fraction) < 1e15) {
                info_.mtime = static_cast<std::int64_t>(std::floor(value.fraction));
                return true;
            }
            if (value.kind != Value::Signed && value.kind != Value::Unsigned) {
                return Refuse("mtime が数値ではありません");
            }
            info_.mtime = value.signedValue;
            return true;
        case Field::Dev:
            info_.hasDev = true;
            return Whole(value, info_.dev);
        case Field::Ino:
            info_.hasIno = true;
            return Whole(value, info_.ino);
        case Field::NLink: {
            std::uint64_t links = 0;
            if (!Whole(value, links)) {
                return false;
            }
            info_.hardLinked = info_.hardLinked || links > 1;
            return true;
        }
        case Field::HardLinked:
            // ncdu 1 writes a flag, some writers a count.
            info_.hardLinked = info_.hardLinked ||
                               (value.kind == Value::Bool
                                    ? value.flag
                                    : value.kind == Value::Unsigned && value.unsignedValue > 0);
            return true;
        case Field::ReadError:
            info_.readError = value.kind == Value::Bool && value.flag;
            return true;
        case Field::Excluded:
            info_.excluded =
                !(value.kind == Value::Bool && !value.flag) && value.kind != Value::Null;
            return true;
        case Field::None:
        case Field::Other:
            return true;
    }
    return true;
}

bool ScanFileReader::SkipContainer() {
    // The fields we read never hold containers.
    if (inInfo_ && field_ != Field::Other && field_ != Field::None) {
        return Refuse("情報の項目の型が正しくありません");
    }
    field_ = Field::None;
    ++skipDepth_;
    return true;
}

void ScanFileReader::LeaveSkipped() {
    if (--skipDepth_ == 0 && !inInfo_ && open_.empty()) {
        TopValueDone();
    }
}

bool ScanFileReader::StartObject() {
    if (skipDepth_ > 0 || inInfo_) {
        return SkipContainer();
    }
    if (topState_ != 1) {
        return Refuse("ncdu のエクスポート (JSON の配列) ではありません");
    }
    if (expectingInfo_ || !open_.empty()) {
        infoOfDirectory_ = expectingInfo_;
        expectingInfo_ = false;
        inInfo_ = true;
        info_ = Info{};
        return true;
    }
    if (topIndex_ == 2 || topIndex_ > 3) {
        ++skipDepth_;  // the metadata, or what later versions may add
        return true;
    }
    return Refuse(topIndex_ == 3 ? "ルートがディレクトリではありません"
                                 : "対応していない形式の版です");
}

bool ScanFileReader::EndObject(unsigned /*members*/) {
    if (skipDepth_ > 0) {
        LeaveSkipped();
        return true;
    }
    inInfo_ = false;
    if (!info_.hasName) {
        return Refuse("名前のない項目があります");
    }
    return infoOfDirectory_ ? OpenDirectory() : AddFile();
}

bool ScanFileReader::StartArray() {
    if (skipDepth_ > 0 || inInfo_) {
        return SkipContainer();
    }
    if (expectingInfo_) {
        return Refuse("ディレクトリの最初の要素が情報のオブジェクトではありません");
    }
    if (topState_ == 0) {
        topState_ = 1;
        return true;
    }
    if (topState_ == 2) {
        return Refuse("ncdu のエクスポート (JSON の配列) ではありません");
    }
    if (!open_.empty() || (topIndex_ == 3 && !rootDone_)) {
        expectingInfo_ = true;
        return true;
    }
    if (topIndex_ > 3) {
        ++skipDepth_;
        return true;
    }
    return Refuse(topIndex_ == 2 ? "メタデータがありません" : "対応していない形式の版です");
}

bool ScanFileReader::EndArray(unsigned /*elements*/) {
    if (skipDepth_ > 0) {
        LeaveSkipped();
        return true;
    }
    if (expectingInfo_) {
        return Refuse("ディレクトリの最初の要素が情報のオブジェクトではありません");
    }
    if (!open_.empty()) {
        TFileAttr& done = *open_.back().record;
        open_.pop_back();
        if (open_.empty()) {
            rootDone_ = true;
            TopValueDone();
            return true;
        }
        TFileAttr& parent = *open_.back().record;
        parent.Size += done.Size;
        parent.CompressedSize += done.CompressedSize;
        parent.MaxLevel = std::max(parent.MaxLevel, done.MaxLevel);
        parent.LastWrite = std::max(parent.LastWrite, done.LastWrite);
        return true;
    }
    if (!rootDone_) {
        return Refuse(topIndex_ < 3 ? "対応していない形式の版です" : "ルートがありません");
    }
    topState_ = 2;
    return true;
}

bool ScanFileReader::CountDirectory() {
    if (++directories_ > limits_.MaxDirectories) {
        return Refuse("ディレクトリが多すぎます (" + std::to_string(limits_.MaxDirectories) +
                      " 個まで)");
    }
    return true;
}

bool ScanFileReader::OpenDirectory() {
    if (!CountDirectory()) {
        return false;
    }
    if (static_cast<std::int64_t>(open_.size()) > limits_.MaxDepth) {
        return Refuse("階層が深すぎます (" + std::to_string(limits_.MaxDepth) + " 階層まで)");
    }
    TFileAttr* record = nullptr;
    std::uint64_t dev = info_.dev;
    if (open_.empty()) {
        result_.Root = std::make_unique<TFileAttr>();
        result_.Root->Name.assign(1, '\\');
        result_.Root->Searched = true;
        result_.RootName = std::move(info_.name);
        record = result_.Root.get();
    } else {
        record = &AddChildRecord(*open_.back().record, std::move(info_.name));
        if (!info_.hasDev) {
            dev = open_.back().dev;
        }
    }
    record->Unreadable = info_.readError;
    if (info_.hasMTime) {
        record->LastWrite = std::max(record->LastWrite, DateOfSeconds(info_.mtime));
    }
    open_.push_back(Open{record, dev});
    return true;
}

bool ScanFileReader::AddFile() {
    TFileAttr& dir = *open_.back().record;
    double date = 0;
    if (info_.hasMTime) {
        // Files of one directory often share a time: convert each distinct one once.
        if (!dated_ || datedSeconds_ != info_.mtime) {
            datedSeconds_ = info_.mtime;
            datedValue_ = DateOfSeconds(info_.mtime);
            dated_ = true;
        }
        date = datedValue_;
    }
    if (info_.excluded) {
        // Not read by the tool that wrote it: an empty directory, as a scan counts a mount point.
        if (!CountDirectory()) {
            return false;
        }
        TFileAttr& child = AddChildRecord(dir, std::move(info_.name));
        child.LastWrite = date;
        dir.MaxLevel = std::max(dir.MaxLevel, child.Level);
    } else if (!info_.hardLinked || !info_.hasIno ||
               links_.insert(Link{info_.hasDev ? info_.dev : open_.back().dev, info_.ino}).second) {
        dir.Size += static_cast<double>(info_.asize);
        dir.CompressedSize += static_cast<double>(std::min(info_.dsize, info_.asize));
    }
    dir.LastWrite = std::max(dir.LastWrite, date);
    return true;
}

}  // namespace zelk
