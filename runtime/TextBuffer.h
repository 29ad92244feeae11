#pragma once
// A writer into a fixed caller-owned buffer that never writes past its end: once a text does not
// fit, it records the overflow and ignores the rest, so the caller checks once at the end.

#include <cstddef>
#include <cstring>
#include <string_view>

namespace zelk {

class TextBuffer {
  public:
    TextBuffer(char* begin, std::size_t capacity)
        : begin_(begin), pos_(begin), end_(begin + capacity) {}

    void Put(char c) {
        if (pos_ < end_) {
            *pos_++ = c;
        } else {
            overflowed_ = true;
        }
    }

    void Put(std::string_view text) {
        if (text.size() <= static_cast<std::size_t>(end_ - pos_)) {
            std::memcpy(pos_, text.data(), text.size());
            pos_ += text.size();
        } else {
            overflowed_ = true;
        }
    }

    // Writes count copies of c.
    void Fill(char c, std::size_t count) {
        if (count <= static_cast<std::size_t>(end_ - pos_)) {
            std::memset(pos_, c, count);
            pos_ += count;
        } else {
            overflowed_ = true;
        }
    }

    // Moves what was written from start on to the right, blanks in front, so that it is at
    // least width bytes long.
    void PadFrom(std::size_t start, std::size_t width) {
        const std::size_t length = Size() - start;
        if (length >= width) {
            return;
        }
        const std::size_t pad = width - length;
        if (pad > static_cast<std::size_t>(end_ - pos_)) {
            overflowed_ = true;
            return;
        }
        std::memmove(begin_ + start + pad, begin_ + start, length);
        std::memset(begin_ + start, ' ', pad);
        pos_ += pad;
    }

    std::size_t Size() const { return static_cast<std::size_t>(pos_ - begin_); }
    std::string_view Text() const { return {begin_, Size()}; }
    bool Overflowed() const { return overflowed_; }

  private:
    char* begin_;
    char* pos_;
    char* end_;
    bool overflowed_ = false;
};

}  // namespace zelk
