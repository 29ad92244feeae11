#include "app/NodeTarget.h"

namespace zelk {

bool NodeTarget::Allows(NodeAction action) const {
    if (Path.empty()) {
        return false;
    }
    switch (action) {
        case NodeAction::CopyPath:
            return true;
        case NodeAction::OpenInFileManager:
            return Walked;
        case NodeAction::Rescan:
        case NodeAction::Trash:
        case NodeAction::Delete:
            return Record != nullptr && Changeable;
    }
    return false;
}

}  // namespace zelk
