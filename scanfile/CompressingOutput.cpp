#include "scanfile/CompressingOutput.h"

#include <poll.h>
#include <unistd.h>
#include <zlib.h>
#include <zstd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "scanfile/EScanFileError.h"

namespace zelk {

struct CompressingOutput::Codec {
    z_stream gzip{};
    bool gzipOpen = false;
    ZSTD_CStream* zstd = nullptr;

    ~Codec() {
        if (gzipOpen) {
            deflateEnd(&gzip);
        }
        ZSTD_freeCStream(zstd);
    }
};

CompressingOutput::CompressingOutput(int fd, Format format, bool lean)
    : fd_(fd), format_(format), codec_(std::make_unique<Codec>()), packed_(kChunk) {
    text_.reserve(kChunk);
    if (format_ == Format::Gzip) {
        // 15 + 16: a gzip header and trailer rather than zlib's.
        if (deflateInit2(&codec_->gzip, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8,
                         Z_DEFAULT_STRATEGY) != Z_OK) {
            throw EScanFileError("gzip で圧縮できません");
        }
        codec_->gzipOpen = true;
    } else if (format_ == Format::Zstd) {
        // Lean: level 1 with a 32 KiB window needs 0.3 MB where level 3 needs 3.5 MB; a scan's
        // file comes out about 5% larger.
        codec_->zstd = ZSTD_createCStream();
        if (codec_->zstd == nullptr ||
            ZSTD_isError(ZSTD_initCStream(codec_->zstd, lean ? 1 : 3)) != 0 ||
            (lean &&
             ZSTD_isError(ZSTD_CCtx_setParameter(codec_->zstd, ZSTD_c_windowLog, 15)) != 0)) {
            throw EScanFileError("zstd で圧縮できません");
        }
    }
}

CompressingOutput::~CompressingOutput() = default;

CompressingOutput::Format CompressingOutput::FormatForName(std::string_view name) {
    if (name.ends_with(".zst")) {
        return Format::Zstd;
    }
    if (name.ends_with(".gz")) {
        return Format::Gzip;
    }
    return Format::Plain;
}

void CompressingOutput::Finish() {
    Compress(true);
}

void CompressingOutput::Compress(bool last) {
    if (format_ == Format::Plain) {
        WriteAll(text_.data(), text_.size());
    } else if (format_ == Format::Gzip) {
        z_stream& z = codec_->gzip;
        z.next_in = reinterpret_cast<Bytef*>(text_.data());
        z.avail_in = static_cast<uInt>(text_.size());
        int status = Z_OK;
        do {
            z.next_out = reinterpret_cast<Bytef*>(packed_.data());
            z.avail_out = static_cast<uInt>(packed_.size());
            status = deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
            if (status == Z_STREAM_ERROR) {
                throw EScanFileError("gzip で圧縮できません");
            }
            WriteAll(packed_.data(), packed_.size() - z.avail_out);
        } while (z.avail_out == 0 || (last && status != Z_STREAM_END));
    } else {
        ZSTD_inBuffer input{text_.data(), text_.size(), 0};
        std::size_t remaining = 0;
        do {
            ZSTD_outBuffer output{packed_.data(), packed_.size(), 0};
            remaining = ZSTD_compressStream2(codec_->zstd, &output, &input,
                                             last ? ZSTD_e_end : ZSTD_e_continue);
            if (ZSTD_isError(remaining) != 0) {
                throw EScanFileError(std::string("zstd で圧縮できません: ") +
                                     ZSTD_getErrorName(remaining));
            }
            WriteAll(packed_.data(), output.pos);
        } while (input.pos < input.size || (last && remaining != 0));
    }
    text_.clear();
}

void CompressingOutput::WriteAll(const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd_, data, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        // An inherited standard output may have been left non-blocking by whoever shares it.
        if (n < 0 && errno == EAGAIN) {
            pollfd ready{fd_, POLLOUT, 0};
            ::poll(&ready, 1, -1);
            continue;
        }
        if (n < 0) {
            throw EScanFileError(std::strerror(errno));
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

}  // namespace zelk
