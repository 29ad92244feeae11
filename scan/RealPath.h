#pragma once
// Real paths of records, as the file system spells them: the path the scanned root was mounted
// at, then the records' names joined by "/", whatever bytes they hold.

#include <string>
#include <string_view>

#include "scan/TFileAttr.h"

namespace zelk {

// Into path, the real path of name listed in dir, which is root (at rootPath) or below it.
void BuildRealPath(std::string& path, std::string_view rootPath, const TFileAttr& root,
                   const TFileAttr& dir, std::string_view name);
// The real path of record, which is root (at rootPath) or below it.
std::string RealPathOf(std::string_view rootPath, const TFileAttr& root, const TFileAttr& record);

}  // namespace zelk
