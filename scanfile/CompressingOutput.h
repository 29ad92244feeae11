#pragma once
// The JSON writer's output stream into a file: plain, gzip or zstd. Errors raise EScanFileError
// with the reason; nothing is written past the first one.

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

#include "scanfile/DecompressingInput.h"

namespace zelk {

class CompressingOutput {
  public:
    using Ch = char;
    using Format = DecompressingInput::Format;

    // Writes to fd, which stays owned by the caller. Lean trades a little of zstd's ratio for a
    // tenth of its memory.
    CompressingOutput(int fd, Format format, bool lean = false);
    ~CompressingOutput();
    CompressingOutput(const CompressingOutput&) = delete;
    CompressingOutput& operator=(const CompressingOutput&) = delete;

    // The format a file name asks for: ".zst" zstd, ".gz" gzip, anything else plain.
    static Format FormatForName(std::string_view name);

    void Put(Ch c) {
        text_.push_back(c);
        if (text_.size() >= kChunk) {
            Compress(false);
        }
    }
    // The writer's flush is a no-op: data goes out in whole chunks; Finish ends the stream.
    void Flush() {}
    void Finish();

  private:
    static constexpr std::size_t kChunk = 64 * 1024;
    struct Codec;
    void Compress(bool last);
    void WriteAll(const char* data, std::size_t size);

    int fd_;
    Format format_;
    std::unique_ptr<Codec> codec_;
    std::vector<char> text_;
    std::vector<char> packed_;
};

}  // namespace zelk
