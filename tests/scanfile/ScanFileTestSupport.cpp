#include "ScanFileTestSupport.h"

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <utility>
#include <vector>

namespace zelk::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zelk-file-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp");
    }
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::Write(const std::string& name, const std::string& text) const {
    const std::string file = path_ + "/" + name;
    std::ofstream(file, std::ios::binary) << text;
    return file;
}

std::string Describe(const TFileAttr& root) {
    std::string out;
    std::vector<const TFileAttr*> pending{&root};
    while (!pending.empty()) {
        const TFileAttr& r = *pending.back();
        pending.pop_back();
        char numbers[160];
        std::snprintf(numbers, sizeof numbers, " %.0f/%.0f L%d-%d @%.6f%s%s ", r.Size,
                      r.CompressedSize, r.Level, r.MaxLevel, r.LastWrite, r.Searched ? "" : " !s",
                      r.Unreadable ? " u" : "");
        out += "[" + r.Name + numbers + std::to_string(r.Children.size()) + "]";
        for (auto child = r.Children.rbegin(); child != r.Children.rend(); ++child) {
            pending.push_back(child->get());
        }
    }
    return out;
}

std::string ReadBytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

int Shell(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace zelk::test
