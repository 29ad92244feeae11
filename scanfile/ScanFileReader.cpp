#include "scanfile/ScanFileReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <rapidjson/error/en.h>
#include <rapidjson/reader.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <utility>

#include "scan/EBudgetSpent.h"
#include "scanfile/BoundedAllocator.h"
#include "scanfile/DecompressingInput.h"
#include "scanfile/EScanFileError.h"

namespace zelk {

namespace {

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

constexpr const char* kInfoFirst = "ディレクトリの最初の要素が情報のオブジェクトではありません";

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
        return Accepted(info_.Set(value));
    }
    if (expectingInfo_) {
        return Refuse(kInfoFirst);
    }
    if (!open_.empty()) {
        return Refuse("ディレクトリの中に不正な要素があります");
    }
    return Accepted(layout_.Scalar(value));
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
        layout_.ValueDone();
    }
}

bool ScanFileReader::StartObject() {
    if (skipDepth_ > 0 || inInfo_) {
        return SkipContainer();
    }
    if (expectingInfo_ || !open_.empty()) {
        infoOfDirectory_ = expectingInfo_;
        expectingInfo_ = false;
        inInfo_ = true;
        info_.Reset();
        return true;
    }
    if (const char* refusal = layout_.Object()) {
        return Refuse(refusal);
    }
    ++skipDepth_;  // the metadata, or what later versions may add
    return true;
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
        return Refuse(kInfoFirst);
    }
    ExportLayout::ArrayKind kind = ExportLayout::ArrayKind::Root;
    if (open_.empty()) {
        if (const char* refusal = layout_.Array(kind)) {
            return Refuse(refusal);
        }
    }
    expectingInfo_ = kind == ExportLayout::ArrayKind::Root;
    skipDepth_ += kind == ExportLayout::ArrayKind::Skipped ? 1 : 0;
    return true;
}

bool ScanFileReader::EndArray(unsigned /*elements*/) {
    if (skipDepth_ > 0) {
        LeaveSkipped();
        return true;
    }
    if (expectingInfo_) {
        return Refuse(kInfoFirst);
    }
    if (open_.empty()) {
        return Accepted(layout_.EndOfTop());
    }
    CloseDirectory();
    return true;
}

bool ScanFileReader::NameAccepted() {
    std::string refusal = names_.Refusal(info_.name, result_.RootName, *open_.back().record);
    return refusal.empty() || Refuse(std::move(refusal));
}

std::optional<std::int64_t> ScanFileReader::Written() const {
    return info_.hasMTime ? std::optional<std::int64_t>(info_.mtime) : std::nullopt;
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
        result_.Root = std::make_unique<TFileAttr>();
        result_.Root->Name = "\\";
        result_.RootName = std::move(info_.name);
        record = result_.Root.get();
        sink_.OpenTop(*record, Written());
    } else {
        if (!NameAccepted()) {
            return false;
        }
        record = &sink_.OpenDirectory(info_.name, Written());
        if (!info_.hasDev) {
            dev = open_.back().dev;
        }
    }
    if (info_.readError) {
        sink_.MarkUnread(RecordSink::Unread::Failed);
    }
    if (info_.otherVolume) {
        sink_.MarkUnread(RecordSink::Unread::NotEntered);
    }
    budget_.Spend(sizeof(Open));
    open_.push_back(Open{record, dev});
    names_.Open();
    return true;
}

void ScanFileReader::CloseDirectory() {
    names_.Close();
    sink_.CloseDirectory(*open_.back().record);
    open_.pop_back();
    budget_.Return(sizeof(Open));
    if (open_.empty()) {
        layout_.ValueDone();
    }
}

bool ScanFileReader::AddFile() {
    if (!NameAccepted()) {
        return false;
    }
    if (info_.notEntered) {
        // A mount point the writer did not cross: an empty directory, as a scan counts one.
        const TFileAttr& child = sink_.OpenDirectory(info_.name, Written());
        if (info_.otherVolume) {
            sink_.MarkUnread(RecordSink::Unread::NotEntered);
        }
        sink_.CloseDirectory(child);
        return true;
    }
    if (info_.excluded) {
        // Left out by the writer's own choice (a pattern): not part of the tree.
        return true;
    }
    RecordSink::File file;
    file.size = static_cast<double>(info_.asize);
    file.onDisk = static_cast<double>(info_.dsize);
    file.device = info_.hasDev ? info_.dev : open_.back().dev;
    file.inode = info_.ino;
    // Without an inode the names of one file cannot be told apart: each counts.
    file.linked = info_.hardLinked && info_.hasIno;
    file.written = Written();
    sink_.AddFile(file);
    return true;
}

}  // namespace zelk
