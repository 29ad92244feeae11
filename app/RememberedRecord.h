#pragma once
// A record remembered by the names on its path, so that it can be found again in another tree
// of the same drive (a new scan, a reopened file) once the records it was taken from are gone.

#include <string>
#include <vector>

#include "scan/TFileAttr.h"

namespace zelk {

class RememberedRecord {
  public:
    // nullptr remembers none.
    void Remember(const TFileAttr* record);
    bool Empty() const { return !remembered_; }
    // The record at the same path below root, nullptr when there is none (or none was
    // remembered); then forgets it.
    const TFileAttr* FindIn(const TFileAttr* root);

  private:
    bool remembered_ = false;
    std::vector<std::string> names_;  // from the root's child down
};

}  // namespace zelk
