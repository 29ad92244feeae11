#pragma once
// Keeps the tree view's place over a rebuild of its listing (a re-sort, a basis change, or
// records replaced below a directory): the expanded nodes, the current node and the row at the
// top, remembered by record before the rebuild and found again in the new listing. Both halves
// cost what is expanded and the rows it shows, never a walk of the whole tree, and a restore
// too large for one go continues in slices from the event loop.

#include <QObject>
#include <QTimer>
#include <cstddef>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "scan/FileName.h"
#include "scan/TFileAttr.h"

namespace zelk {

class TTreeNode;
class TTreeView;

class ViewPlace : public QObject {
    Q_OBJECT
  public:
    using Path = std::vector<const TFileAttr*>;  // root first

    explicit ViewPlace(TTreeView& view);

    // Remembers the place in the listing of root, which must list root's records in their
    // present order. A place remembered earlier and not yet restored is kept instead.
    void Capture(const TFileAttr& root);
    // Puts the place back into the listing of root once that listing is complete. Records are
    // found again by their names below root, so that records made again (a directory walked
    // again) are found too; what was remembered is never read. A record gone is missed, and
    // the current node is then its nearest ancestor still there.
    void Restore(const TFileAttr& root);
    // Forgets the place (the records it names may go).
    void Drop();
    bool Pending() const { return remembered_; }
    // Runs what is left of a restore now (tests).
    void Finish();

  private:
    struct Remembered {
        Path records;
        std::vector<FileName> names;
    };
    static Remembered RememberedPath(const TFileAttr* record);

    void ListingReset();
    void Slice();
    void Settle();
    // The remembered record that child stands for, old being what its parent stood for;
    // nullptr for none.
    const TFileAttr* WasAt(const TFileAttr* old, const TFileAttr& child) const;
    TTreeNode* NodeAlong(const Remembered& path) const;

    TTreeView& view_;
    // Of the present listing, kept from the view's own expansions; the view forgets them at
    // every reset of its model.
    std::unordered_set<TTreeNode*> expandedNodes_;
    bool remembered_ = false;
    bool restoring_ = false;  // the listing is complete and being expanded
    const TFileAttr* root_ = nullptr;
    std::unordered_set<const TFileAttr*> expanded_;
    // The expanded records below their parents by name, the names kept in names_.
    std::unordered_map<const TFileAttr*, std::unordered_map<std::string_view, const TFileAttr*>>
        byName_;
    std::vector<FileName> names_;
    Remembered current_;
    Remembered top_;
    int across_ = 0;  // the horizontal scroll position
    // Records whose nodes are still to be looked at, each with its node and the record it
    // stands for in what was remembered.
    std::vector<std::tuple<const TFileAttr*, TTreeNode*, const TFileAttr*>> walk_;
    QTimer timer_;
};

}  // namespace zelk
