#pragma once
// The directory a context-menu entry or its key acts on, with what the window knows of it, and
// the one rule of which entries apply to it.

#include <string>

#include "scan/TFileAttr.h"

namespace zelk {

enum class NodeAction { OpenInFileManager, CopyPath, Rescan, Trash, Delete };

struct NodeTarget {
    // nullptr while the listing's records are not complete and ours (a scan runs or stopped):
    // the listing shown is then an earlier tree's, readable by its names only.
    TFileAttr* Record = nullptr;
    // The real path, as the file system spells it; empty for no directory at all.
    std::string Path;
    bool Walked = false;      // from a walk of this machine, not from an opened scan file
    bool Changeable = false;  // SubtreeSurgery::CanAct of Record

    // Whether action applies: a path can always be copied; a file manager only shows what was
    // walked here; the records change only where the actions themselves would.
    bool Allows(NodeAction action) const;
};

}  // namespace zelk
