#include "ScanFileTestSupport.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "scanfile/ScanRecords.h"

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

std::string ReadBytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string Packed(const std::string& file, CompressingOutput::Format format,
                   const std::string& head, std::size_t count,
                   const std::function<std::string(std::size_t)>& piece, const std::string& tail) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    CompressingOutput out(fd, format);
    // The head, the pieces, then the tail.
    for (std::size_t i = 0; i < count + 2; ++i) {
        for (const char c : i == 0 ? head : i > count ? tail : piece(i - 1)) {
            out.Put(c);
        }
    }
    out.Finish();
    ::close(fd);
    return file;
}

std::string MakeSampleTree(const std::string& dir) {
    const std::string make = "set -e; cd " + dir + R"sh(; mkdir -p vol/a/b/c vol/d 'vol/odd \ name'
mkdir "vol/$(printf 'n\377')"; printf x > 'vol/odd \ name/i'; printf y > vol/j
head -c 5000 /dev/zero > vol/a/f; head -c 123 /dev/zero > vol/a/b/c/g
head -c 70000 /dev/zero > vol/d/h; truncate -s 3000000 vol/d/sparse; touch -d '2001-02-03 04:05:06' vol/a/b/c/g)sh";
    if (Shell(make) != 0) {
        throw std::runtime_error("sample tree");
    }
    return dir + "/vol";
}

std::unique_ptr<TFileAttr> WideTree(int children) {
    std::mt19937_64 random(static_cast<std::uint64_t>(children));
    auto root = std::make_unique<TFileAttr>();
    root->Searched = true;
    for (int i = 0; i < children; ++i) {
        AddChildRecord(*root, std::to_string(random()) + std::to_string(random()));
    }
    return root;
}

std::string Brief(const TFileAttr& r, bool withDates) {
    std::string out = r.Name.Str() + " " + std::to_string(static_cast<long long>(r.Size)) + "/" +
                      std::to_string(static_cast<long long>(r.CompressedSize));
    out += r.MaxLevel > r.Level ? " L" + std::to_string(r.MaxLevel) : "";
    std::int64_t seconds = 0;
    if (withDates && SecondsOfDate(r.LastWrite, seconds)) {
        out += " t" + std::to_string(seconds);
    }
    out += r.Unreadable ? " u" : "";
    out += r.OtherVolume ? " o" : "";
    for (std::size_t i = 0; i < r.Children.size(); ++i) {
        out += (i == 0 ? " {" : ", ") + Brief(*r.Children[i], withDates);
    }
    return out + (r.Children.empty() ? "" : "}");
}

int Shell(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace zelk::test
