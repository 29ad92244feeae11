#include "app/SteppedSort.h"

#include <QTimer>
#include <utility>

#include "app/ErrorGuard.h"
#include "app/TreeSort.h"

namespace zelk {

SteppedSort::SteppedSort(std::function<void()> done) : done_(std::move(done)) {}

SteppedSort::~SteppedSort() = default;

void SteppedSort::Start(const std::string& key, TFileAttr& root) {
    sort_ = std::make_unique<TreeSort>(key, root);
    Continue();
}

void SteppedSort::Discard() {
    sort_.reset();
}

void SteppedSort::Continue() {
    stepPosted_ = false;
    if (sort_ == nullptr) {
        return;
    }
    // Several milliseconds of sorting on our machines.
    constexpr std::size_t kChildrenPerStep = 50000;
    if (!sort_->Step(kChildrenPerStep)) {
        if (!stepPosted_) {
            stepPosted_ = true;
            QTimer::singleShot(0, this, [this] { Guarded([this] { Continue(); }); });
        }
        return;
    }
    sort_.reset();
    done_();
}

}  // namespace zelk
