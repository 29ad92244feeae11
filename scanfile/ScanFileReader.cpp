#include "scanfile/ScanFileReader.h"

#include <fcntl.h>
#include <unistd.h>

#include <rapidjson/error/en.h>
#include <rapidjson/reader.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "scanfile/BoundedAllocator.h"
#include "scanfile/DecompressingInput.h"
#include "scanfile/EScanFileError.h"
#include "scanfile/ScanRecords.h"

namespace zelk {

ScanFile ScanFileReader::Read(const std::string& path, const ScanFileLimits& limits) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        throw EScanFileError(false, path, std::strerror(errno));
    }
    try {
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
    if (limits_.Stopped && limits_.Stopped()) {
        return Refuse("読み込みを中断しました");
    }
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
        result_.Root->Name = "\\";
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
