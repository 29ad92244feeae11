#pragma once
// The names of the entries of an export's open directories: each must be a name a directory can
// hold, and none may stand twice in one directory. The tables of names are kept by depth and
// reused for the next directory there; what they hold is drawn from the read's budget.

#include <string>
#include <string_view>
#include <vector>

#include "scan/ReadBudget.h"
#include "scan/TFileAttr.h"
#include "scanfile/SiblingNames.h"

namespace zelk {

class EntryNames {
  public:
    explicit EntryNames(ReadBudget& budget) : budget_(budget) {}

    // A directory opens below the innermost one (the root first), or the innermost one closes.
    void Open();
    void Close();
    // The reason to refuse an entry of dir (the innermost open directory) named name, naming its
    // path below the export's root; "" when the name is accepted, and then taken.
    std::string Refusal(std::string_view name, const std::string& rootName, const TFileAttr& dir);

  private:
    ReadBudget& budget_;
    std::vector<SiblingNames> names_;
    std::size_t depth_ = 0;
};

}  // namespace zelk
