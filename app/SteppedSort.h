#pragma once
// Sorting the record tree from the event loop, several milliseconds at a time, so that a tree of
// a million directories never holds the loop; a small tree is sorted before Start returns.

#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "scan/TFileAttr.h"

namespace zelk {

class TreeSort;

class SteppedSort : public QObject {
  public:
    // done runs once a whole tree is sorted; from the event loop, inside an error guard.
    explicit SteppedSort(std::function<void()> done);
    ~SteppedSort() override;

    // In place of a sort still going; the records must stay until done has run or Discard.
    void Start(const std::string& key, TFileAttr& root);
    void Discard();
    bool Pending() const { return sort_ != nullptr; }

  private:
    void Continue();

    std::function<void()> done_;
    std::unique_ptr<TreeSort> sort_;
    bool stepPosted_ = false;
};

}  // namespace zelk
