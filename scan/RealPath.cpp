#include "scan/RealPath.h"

namespace zelk {

void BuildRealPath(std::string& path, std::string_view rootPath, const TFileAttr& root,
                   const TFileAttr& dir, std::string_view name) {
    if (rootPath.ends_with('/')) {
        rootPath.remove_suffix(1);
    }
    std::size_t length = rootPath.size() + 1 + name.size();
    for (const TFileAttr* up = &dir; up != &root; up = up->Parent) {
        length += 1 + up->Name.size();
    }
    path.assign(length, '/');
    path.replace(0, rootPath.size(), rootPath);
    std::size_t end = length - name.size();
    path.replace(end, name.size(), name);
    for (const TFileAttr* up = &dir; up != &root; up = up->Parent) {
        end -= 1 + up->Name.size();
        path.replace(end, up->Name.size(), up->Name.View());
    }
}

std::string RealPathOf(std::string_view rootPath, const TFileAttr& root, const TFileAttr& record) {
    if (&record == &root) {
        return std::string(rootPath.empty() ? std::string_view("/") : rootPath);
    }
    std::string path;
    BuildRealPath(path, rootPath, root, *record.Parent, record.Name.View());
    return path;
}

}  // namespace zelk
