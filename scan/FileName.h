#pragma once
// A directory entry's name, stored once however many records and tree nodes refer to it: copies
// share one immutable, counted block, so a listing may keep names of records already freed.

#include <atomic>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

namespace zelk {

class FileName {
  public:
    FileName() = default;
    FileName(std::string_view text);
    FileName(const std::string& text) : FileName(std::string_view(text)) {}
    FileName(const char* text) : FileName(std::string_view(text)) {}
    FileName(const FileName& other) noexcept;
    FileName(FileName&& other) noexcept : block_(other.block_) { other.block_ = nullptr; }
    FileName& operator=(FileName other) noexcept;
    ~FileName();

    std::string_view View() const;
    std::string Str() const { return std::string(View()); }
    std::size_t size() const { return View().size(); }
    bool empty() const { return block_ == nullptr; }

    friend bool operator==(const FileName& a, std::string_view b) { return a.View() == b; }
    friend bool operator==(const FileName& a, const std::string& b) { return a.View() == b; }
    friend bool operator==(const FileName& a, const char* b) { return a.View() == b; }
    friend bool operator==(const FileName& a, const FileName& b) { return a.View() == b.View(); }

  private:
    struct Block {
        std::atomic<std::uint32_t> refs;
        std::uint32_t size;
    };
    Block* block_ = nullptr;
};

std::ostream& operator<<(std::ostream& out, const FileName& name);

}  // namespace zelk
