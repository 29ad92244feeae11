#include "scanfile/ScanFileReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <rapidjson/error/en.h>
#include <rapidjson/reader.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "scan/EBudgetSpent.h"
#include "scanfile/BoundedAllocator.h"
#include "scanfile/DecompressingInput.h"
#include "scanfile/EScanFileError.h"
#include "scanfile/ScanRecords.h"

namespace zelk {

namespace {

// What a record costs besides its name: itself, its allocation, its place in its parent's list
// and its name's block.
constexpr std::uint64_t kRecordBytes = sizeof(TFileAttr) + 64;

// The parser's allocator draws on this read's budget while it runs.
class BudgetInstalled {
  public:
    BudgetInstalled(ReadBudget& budget, std::size_t ceiling) {
        BoundedAllocator::budget = &budget;
        BoundedAllocator::ceiling = ceiling;
    }
    ~BudgetInstalled() { BoundedAllocator::budget = nullptr; }
    BudgetInstalled(const BudgetInstalled&) = delete;
    BudgetInstalled& operator=(const BudgetInstalled&) = delete;
};

const char* NameFault(std::string_view name) {
    if (name.empty()) {
        return "名前が空です";
    }
    if (name == "." || name == "..") {
        return "名前が「.」か「..」です";
    }
    for (const char c : name) {
        if (c == '/') {
            return "名前に「/」があります";
        }
        if (c == '\0') {
            return "名前に NUL 文字 (\\u0000) があります";
        }
    }
    return nullptr;
}

}  // namespace

ScanFile ScanFileReader::Read(const std::string& path, const ScanFileLimits& limits) {
    if (path == "-") {
        return Read(STDIN_FILENO, path, limits);
    }
    // Not blocking: a FIFO with no writer, or a device, is refused rather than waited for.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        throw EScanFileError(false, path, std::strerror(errno));
    }
    try {
        struct stat st {};
        if (::fstat(fd, &st) != 0) {
            throw EScanFileError(false, path, std::strerror(errno));
        }
        if (!S_ISREG(st.st_mode)) {
            throw EScanFileError(
                false, path,
                S_ISDIR(st.st_mode) ? "ディレクトリです" : "通常のファイルではありません");
        }
        ScanFile file = Read(fd, path, limits);
        ::close(fd);
        return file;
    } catch (...) {
        ::close(fd);
        throw;
    }
}

ScanFile ScanFileReader::Read(int fd, const std::string& name, const ScanFileLimits& limits) {
    try {
        DecompressingInput input(fd, limits.Stopped);
        ScanFileReader handler(limits);
        const BudgetInstalled installed(handler.budget_, limits.MaxTextBytes);
        BoundedAllocator allocator;
        rapidjson::GenericReader<rapidjson::UTF8<>, rapidjson::UTF8<>, BoundedAllocator> reader(
            &allocator, 4096);
        // Full precision: a size in exponent form is exactly the integer it writes.
        const rapidjson::ParseResult parsed =
            reader.Parse<rapidjson::kParseIterativeFlag | rapidjson::kParseFullPrecisionFlag>(
                input, handler);
        if (!parsed) {
            if (parsed.Code() == rapidjson::kParseErrorTermination) {
                throw EScanFileError(handler.refusal_ + " (" + std::to_string(input.Tell()) +
                                     " バイト目)");
            }
            if (input.Peek() == '\0' && !input.AtEnd()) {
                throw EScanFileError(
                    std::string(parsed.Code() == rapidjson::kParseErrorStringMissQuotationMark
                                    ? "名前などの文字列に "
                                    : "") +
                    "NUL バイトがあります (" + std::to_string(input.Tell()) + " バイト目)");
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
    } catch (const EBudgetSpent& spent) {
        throw EScanFileError(false, name, spent.Message());
    }
}

bool ScanFileReader::Refuse(std::string reason) {
    refusal_ = std::move(reason);
    return false;
}

bool ScanFileReader::String(const char* text, unsigned length, bool /*copy*/) {
    return Scalar(Value(std::string_view(text, length)));
}

bool ScanFileReader::Key(const char* text, unsigned length, bool /*copy*/) {
    if (skipDepth_ == 0 && inInfo_) {
        info_.SelectKey(std::string_view(text, length));
    }
    return true;
}

bool ScanFileReader::Scalar(const Value& value) {
    if (skipDepth_ > 0) {
        return true;
    }
    if (inInfo_) {
        const char* refusal = info_.Set(value);
        return refusal == nullptr || Refuse(refusal);
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

bool ScanFileReader::SkipContainer() {
    // The fields we read never hold containers.
    if (inInfo_ && skipDepth_ == 0 && !info_.SkipsContainer()) {
        return Refuse("情報の項目の型が正しくありません");
    }
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
        info_.Reset();
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
        names_[open_.size() - 1].Clear(budget_);
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

TFileAttr& ScanFileReader::AddRecord() {
    budget_.Spend(kRecordBytes + info_.name.size());
    TFileAttr& parent = *open_.back().record;
    TFileAttr& child = AddChildRecord(parent, std::move(info_.name));
    parent.MaxLevel = std::max(parent.MaxLevel, child.Level);
    return child;
}

std::string ScanFileReader::EntryPath() const {
    std::string path = result_.RootName;
    const auto add = [&path](std::string_view name) {
        if (path.empty() || path.back() != '/') {
            path += '/';
        }
        for (const char c : name) {
            path += c == '\0' ? std::string_view("\\u0000") : std::string_view(&c, 1);
        }
    };
    for (std::size_t i = 1; i < open_.size(); ++i) {
        add(open_[i].record->Name.View());
    }
    add(info_.name);
    return path;
}

bool ScanFileReader::NameAccepted() {
    const char* fault = NameFault(info_.name);
    if (fault == nullptr && !names_[open_.size() - 1].Insert(info_.name, budget_)) {
        fault = "名前が同じディレクトリの別の項目と同じです";
    }
    return fault == nullptr || Refuse("項目「" + EntryPath() + "」の" + fault);
}

bool ScanFileReader::OpenDirectory() {
    if (limits_.Stopped && limits_.Stopped()) {
        return Refuse("読み込みを中断しました");
    }
    if (static_cast<std::int64_t>(open_.size()) > limits_.MaxDepth) {
        return Refuse("階層が深すぎます (" + std::to_string(limits_.MaxDepth) + " 階層まで)");
    }
    TFileAttr* record = nullptr;
    std::uint64_t dev = info_.dev;
    if (open_.empty()) {
        if (info_.name.find('\0') != std::string::npos) {
            return Refuse("ルートの名前に NUL 文字 (\\u0000) があります");
        }
        budget_.Spend(kRecordBytes);
        result_.Root = std::make_unique<TFileAttr>();
        result_.Root->Name = "\\";
        result_.Root->Searched = true;
        result_.RootName = std::move(info_.name);
        record = result_.Root.get();
    } else {
        if (!NameAccepted()) {
            return false;
        }
        record = &AddRecord();
        if (!info_.hasDev) {
            dev = open_.back().dev;
        }
    }
    record->Unreadable = info_.readError;
    record->OtherVolume = info_.otherVolume;
    if (info_.hasMTime) {
        record->LastWrite = std::max(record->LastWrite, DateOf(info_.mtime));
    }
    open_.push_back(Open{record, dev});
    if (names_.size() < open_.size()) {
        budget_.Spend(sizeof(Open) + sizeof(SiblingNames));
        names_.emplace_back();
    }
    return true;
}

double ScanFileReader::DateOf(std::int64_t seconds) {
    // A directory and its files often share a time: convert each distinct one once.
    if (!dated_ || datedSeconds_ != seconds) {
        datedSeconds_ = seconds;
        datedValue_ = DateOfSeconds(seconds);
        dated_ = true;
    }
    return datedValue_;
}

bool ScanFileReader::AddFile() {
    if (!NameAccepted()) {
        return false;
    }
    TFileAttr& dir = *open_.back().record;
    const double date = info_.hasMTime ? DateOf(info_.mtime) : 0;
    if (info_.notEntered) {
        // A mount point the writer did not cross: an empty directory, as a scan counts one.
        TFileAttr& child = AddRecord();
        child.LastWrite = date;
        child.OtherVolume = info_.otherVolume;
    } else if (info_.excluded) {
        // Left out by the writer's own choice (a pattern): not part of the tree.
        return true;
    } else if (!info_.hardLinked || !info_.hasIno ||
               links_.Insert(info_.hasDev ? info_.dev : open_.back().dev, info_.ino, budget_)) {
        dir.Size += static_cast<double>(info_.asize);
        dir.CompressedSize += static_cast<double>(std::min(info_.dsize, info_.asize));
    }
    dir.LastWrite = std::max(dir.LastWrite, date);
    return true;
}

}  // namespace zelk
