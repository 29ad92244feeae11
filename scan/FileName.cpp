#include "scan/FileName.h"

#include <cstring>
#include <limits>
#include <new>
#include <ostream>
#include <stdexcept>

namespace zelk {

FileName::FileName(std::string_view text) {
    if (text.empty()) {
        return;
    }
    if (text.size() > std::numeric_limits<std::uint32_t>::max()) {
        throw std::length_error("FileName");
    }
    // The characters follow the header in the same allocation.
    void* memory = ::operator new(sizeof(Block) + text.size());
    block_ = new (memory) Block{{1}, static_cast<std::uint32_t>(text.size())};
    std::memcpy(reinterpret_cast<char*>(block_ + 1), text.data(), text.size());
}

FileName::FileName(const FileName& other) noexcept : block_(other.block_) {
    if (block_ != nullptr) {
        block_->refs.fetch_add(1, std::memory_order_relaxed);
    }
}

FileName& FileName::operator=(FileName other) noexcept {
    std::swap(block_, other.block_);
    return *this;
}

FileName::~FileName() {
    if (block_ != nullptr && block_->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        block_->~Block();
        ::operator delete(block_);
    }
}

std::string_view FileName::View() const {
    if (block_ == nullptr) {
        return {};
    }
    return {reinterpret_cast<const char*>(block_ + 1), block_->size};
}

std::ostream& operator<<(std::ostream& out, const FileName& name) {
    return out << name.View();
}

}  // namespace zelk
