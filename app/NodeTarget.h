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
    bool Root = false;
    bool OtherVolume = false;  // the mount point of another volume, not entered
    bool Walked = false;       // from a walk of this machine, not from an opened scan file
    bool Busy = false;         // a scan, rescan, save or sort works on the records

    // Whether action applies: a path can always be copied; a file manager only shows what was
    // walked here; the records change only on a finished walk, below its root and not on
    // another volume, while nothing else works on them.
    bool Allows(NodeAction action) const;
};

}  // namespace zelk
