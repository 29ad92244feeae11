#pragma once
// A path to the clipboard, and on X11 to the selection buffer too, as the bytes the file system
// has: a name that is not valid UTF-8 must not be mended on its way through a QString.

#include <string>

namespace zelk {

void PutPathOnClipboard(const std::string& path);

}  // namespace zelk
