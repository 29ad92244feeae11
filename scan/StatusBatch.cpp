#include "scan/StatusBatch.h"

namespace zelk {
namespace {

// Bounds a batch whatever the tree: deep trees have paths of many kilobytes.
constexpr std::size_t kMaxTexts = 4096;
constexpr std::size_t kMaxBytes = std::size_t{1} << 20;

}  // namespace

void StatusBatch::Add(const std::string& path) {
    if (count_ == texts_.size()) {
        texts_.emplace_back();
    }
    texts_[count_++].assign(path);
    bytes_ += path.size();
}

bool StatusBatch::Due(Clock::time_point now) const {
    return count_ != 0 &&
           (now - handed_ >= kInterval || count_ >= kMaxTexts || bytes_ >= kMaxBytes);
}

void StatusBatch::Clear() {
    count_ = 0;
    bytes_ = 0;
}

void StatusBatch::ShowOn(const std::atomic<StatusLine*>& line) {
    for (std::size_t i = 0; i < count_; ++i) {
        StatusLine* const bar = line.load(std::memory_order_acquire);
        if (bar == nullptr) {
            break;
        }
        bar->SetSimpleText(texts_[i]);
    }
    Clear();
}

}  // namespace zelk
