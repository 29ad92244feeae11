#include "scanfile/DecompressingInput.h"

#include <unistd.h>
#include <zlib.h>
#include <zstd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include "scanfile/EScanFileError.h"

namespace zelk {
namespace {

constexpr std::size_t kBufferBytes = 256 * 1024;

bool StartsWith(const std::vector<char>& bytes, std::size_t size, const char* magic,
                std::size_t length) {
    return size >= length && std::memcmp(bytes.data(), magic, length) == 0;
}

}  // namespace

struct DecompressingInput::Codec {
    z_stream gzip{};
    bool gzipOpen = false;
    ZSTD_DStream* zstd = nullptr;
    // The last frame was not finished when the input ended.
    bool midFrame = false;

    ~Codec() {
        if (gzipOpen) {
            inflateEnd(&gzip);
        }
        ZSTD_freeDStream(zstd);
    }
};

DecompressingInput::DecompressingInput(int fd, std::function<bool()> stopped)
    : fd_(fd),
      stopped_(std::move(stopped)),
      codec_(std::make_unique<Codec>()),
      packed_(kBufferBytes),
      text_(kBufferBytes) {
    // Enough bytes to tell the formats apart, however the reads come.
    while (packedEnd_ < 4 && ReadPacked()) {
    }
    if (StartsWith(packed_, packedEnd_, "\x1f\x8b", 2)) {
        format_ = Format::Gzip;
        // 15 + 32: a zlib or gzip header, told apart by the library.
        if (inflateInit2(&codec_->gzip, 15 + 32) != Z_OK) {
            throw EScanFileError("gzip を展開できません");
        }
        codec_->gzipOpen = true;
    } else if (StartsWith(packed_, packedEnd_, "\x28\xb5\x2f\xfd", 4)) {
        format_ = Format::Zstd;
        codec_->zstd = ZSTD_createDStream();
        if (codec_->zstd == nullptr) {
            throw EScanFileError("zstd を展開できません");
        }
    }
    begin_ = pos_ = end_ = text_.data();
    Refill();
}

DecompressingInput::~DecompressingInput() = default;

bool DecompressingInput::ReadPacked() {
    if (fileEnded_) {
        return false;
    }
    if (packedPos_ == packedEnd_) {
        packedPos_ = packedEnd_ = 0;
    }
    for (;;) {
        const ssize_t n = ::read(fd_, packed_.data() + packedEnd_, packed_.size() - packedEnd_);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            throw EScanFileError(std::strerror(errno));
        }
        if (n == 0) {
            fileEnded_ = true;
            return false;
        }
        packedEnd_ += static_cast<std::size_t>(n);
        return true;
    }
}

void DecompressingInput::Refill() {
    consumed_ += static_cast<std::uint64_t>(end_ - begin_);
    std::size_t produced = 0;
    while (produced == 0) {
        if (stopped_ && stopped_()) {
            throw EScanFileError("読み込みを中断しました");
        }
        if (packedPos_ == packedEnd_ && !ReadPacked()) {
            if (codec_->midFrame) {
                throw EScanFileError("圧縮データが途中で終わっています");
            }
            break;
        }
        char* in = packed_.data() + packedPos_;
        const std::size_t available = packedEnd_ - packedPos_;
        if (format_ == Format::Plain) {
            produced = std::min(available, text_.size());
            std::memcpy(text_.data(), in, produced);
            packedPos_ += produced;
        } else if (format_ == Format::Gzip) {
            z_stream& z = codec_->gzip;
            z.next_in = reinterpret_cast<Bytef*>(in);
            z.avail_in = static_cast<uInt>(available);
            z.next_out = reinterpret_cast<Bytef*>(text_.data());
            z.avail_out = static_cast<uInt>(text_.size());
            const int status = inflate(&z, Z_NO_FLUSH);
            if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) {
                throw EScanFileError(std::string("gzip データが壊れています: ") +
                                     (z.msg != nullptr ? z.msg : "?"));
            }
            packedPos_ += available - z.avail_in;
            produced = text_.size() - z.avail_out;
            codec_->midFrame = status != Z_STREAM_END;
            // Concatenated gzip members form one text, as gzip itself reads them.
            if (status == Z_STREAM_END) {
                inflateReset(&z);
            }
        } else {
            ZSTD_inBuffer input{in, available, 0};
            ZSTD_outBuffer output{text_.data(), text_.size(), 0};
            const std::size_t status = ZSTD_decompressStream(codec_->zstd, &output, &input);
            if (ZSTD_isError(status) != 0) {
                throw EScanFileError(std::string("zstd データが壊れています: ") +
                                     ZSTD_getErrorName(status));
            }
            packedPos_ += input.pos;
            produced = output.pos;
            codec_->midFrame = status != 0;
        }
    }
    begin_ = pos_ = text_.data();
    end_ = begin_ + produced;
}

}  // namespace zelk
