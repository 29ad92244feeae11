#pragma once
// The bytes of a scan file as the JSON reader's input stream: plain, gzip or zstd, told apart by
// their first bytes. Holds one buffer of each, never the whole text; what the text unpacks to is
// bounded by its reader, not here.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace zelk {

class DecompressingInput {
  public:
    using Ch = char;
    enum class Format { Plain, Gzip, Zstd };

    // Reads from fd, which stays owned by the caller. Raises EScanFileError (a reason only) on
    // a read error, corrupt compressed data, or when stopped (asked at each buffer of text, so
    // a stream that unpacks to nothing but blanks still stops at once).
    explicit DecompressingInput(int fd, std::function<bool()> stopped = {});
    ~DecompressingInput();
    DecompressingInput(const DecompressingInput&) = delete;
    DecompressingInput& operator=(const DecompressingInput&) = delete;

    Format Detected() const { return format_; }

    // The reader's stream protocol: '\0' once the text has ended.
    Ch Peek() const { return pos_ < end_ ? *pos_ : '\0'; }
    Ch Take() {
        if (pos_ >= end_) {
            return '\0';
        }
        const Ch c = *pos_++;
        if (pos_ == end_) {
            Refill();
        }
        return c;
    }
    // Peek gives '\0' at the end, and for a NUL byte in the text.
    bool AtEnd() const { return pos_ >= end_; }
    std::size_t Tell() const { return static_cast<std::size_t>(consumed_ + (pos_ - begin_)); }
    // Writing is not part of reading; the protocol names these all the same.
    Ch* PutBegin() { return nullptr; }
    void Put(Ch) {}
    void Flush() {}
    std::size_t PutEnd(Ch*) { return 0; }

  private:
    struct Codec;
    void Refill();
    // Fills packed_ from the file; false at its end.
    bool ReadPacked();

    int fd_;
    std::function<bool()> stopped_;
    Format format_ = Format::Plain;
    std::unique_ptr<Codec> codec_;
    std::vector<char> packed_;
    std::size_t packedPos_ = 0;
    std::size_t packedEnd_ = 0;
    bool fileEnded_ = false;
    std::vector<char> text_;
    const Ch* begin_ = nullptr;
    const Ch* pos_ = nullptr;
    const Ch* end_ = nullptr;
    std::uint64_t consumed_ = 0;
};

}  // namespace zelk
