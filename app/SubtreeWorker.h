#pragma once
// The worker behind the actions on one directory of a finished scan: it walks the directory
// again, moves it to the trash or deletes it, and walks what the tree must show afterwards, so
// that the window only has to put the new records in place. While it runs nothing changes the
// shown records: the worker reads their names and totals.

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/TreeRemover.h"
#include "scan/TSearchThread.h"

namespace zelk {

class SubtreeWorker : public TSearchThread {
  public:
    enum class Kind { Rescan, Trash, Delete };

    // target lies below root, the volume's root mounted at mountPoint; both outlive the worker.
    SubtreeWorker(Kind kind, const TFileAttr& root, TFileAttr& target, std::string mountPoint);
    ~SubtreeWorker() override;

    const Kind Action;
    TFileAttr& Target;

    // Read once the worker has finished.
    bool Stopped = false;
    bool Removed = false;  // the directory is gone from its place
    std::string Error;     // why the action failed or was not complete, empty when it did not
    // Rescan, or what a delete left: the directory walked again, its Parent and Level those
    // of Target.
    std::unique_ptr<TFileAttr> Fresh;
    // Trash within the scanned tree: the trash's folder walked (Graft, child of GraftParent,
    // replacing GraftReplaced when that record exists), the moved directory's records to go
    // where Moved is, with the name they have in the trash.
    std::unique_ptr<TFileAttr> Graft;
    TFileAttr* GraftParent = nullptr;
    TFileAttr* GraftReplaced = nullptr;
    TFileAttr* Moved = nullptr;
    // Of each directory above a changed one: the newest date of its own entries.
    std::unordered_map<TFileAttr*, double> OwnDates;

    // User-interface thread, once the new records are in place: the date and depth of every
    // directory in OwnDates from its own entries and its children, deepest first.
    void SettleAncestors() const;

    // The names of record's path below root.
    static std::vector<std::string> NamesOf(const TFileAttr& root, const TFileAttr& record);

  protected:
    void Run() override;

  private:
    std::unique_ptr<TFileAttr> WalkAgain(TFileAttr* parent, const FileName& name,
                                         std::vector<std::string> names,
                                         const std::pair<std::uint64_t, std::uint64_t>* keepOut);
    void Delete();
    void Trash();
    void DateAncestors(TFileAttr* from);
    double OwnDateOf(const TFileAttr& record);

    const TFileAttr& root_;
    const std::string mountPoint_;
    TreeRemover remover_;
};

}  // namespace zelk
