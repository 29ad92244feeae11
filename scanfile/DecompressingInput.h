#pragma once
// The bytes of a scan file as the JSON reader's input stream: plain, gzip or zstd, told apart by
// their first bytes. Holds one buffer of each, never the whole text, and refuses a stream that
// unpacks to far more than it packs (a decompression bomb).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace zelk {

class DecompressingInput {
  public:
    using Ch = char;
    enum class Format { Plain, Gzip, Zstd };

    // Reads from fd, which stays owned by the caller. Raises EScanFileError (a reason only) on
    // a read error, corrupt compressed data or a ratio above maxRatio once more than
    // ratioFreeBytes have been unpacked.
    DecompressingInput(int fd, std::uint64_t maxRatio = 1000,
                       std::uint64_t ratioFreeBytes = 64ull << 20);
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
    std::uint64_t maxRatio_;
    std::uint64_t ratioFreeBytes_;
    Format format_ = Format::Plain;
    std::unique_ptr<Codec> codec_;
    std::vector<char> packed_;
    std::size_t packedPos_ = 0;
    std::size_t packedEnd_ = 0;
    bool fileEnded_ = false;
    std::uint64_t packedTotal_ = 0;
    std::vector<char> text_;
    const Ch* begin_ = nullptr;
    const Ch* pos_ = nullptr;
    const Ch* end_ = nullptr;
    std::uint64_t consumed_ = 0;
};

}  // namespace zelk
