#include "common/TreeGenerator.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <random>
#include <stdexcept>
#include <vector>

namespace zelk::bench {
namespace {

void Check(bool ok, const std::string& what) {
    if (!ok) {
        throw std::runtime_error("tree generator: " + what);
    }
}

struct Dir {
    std::string path;
    int depth;
};

}  // namespace

TreeCounts GenerateTree(const std::string& directory, const TreeShape& shape) {
    std::mt19937 random(shape.Seed);
    auto uniform = [&random](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    TreeCounts counts;
    std::vector<Dir> dirs{{directory, 0}};
    // Breadth first; only some directories get sub-directories, so depth varies.
    std::deque<std::size_t> pending{0};
    while (counts.Directories < shape.Directories && !pending.empty()) {
        const Dir parent = dirs[pending.front()];
        pending.pop_front();
        const bool branches = parent.depth == 0 || uniform(0, 99) < 30;
        if (!branches || parent.depth >= shape.MaxDepth) {
            if (pending.empty()) {
                pending.push_back(uniform(0, static_cast<int>(dirs.size()) - 1));
            }
            continue;
        }
        const int fanOut = uniform(shape.MinFanOut, shape.MaxFanOut);
        for (int i = 0; i < fanOut && counts.Directories < shape.Directories; ++i) {
            Dir child{parent.path + "/dir" + std::to_string(counts.Directories), parent.depth + 1};
            Check(mkdir(child.path.c_str(), 0755) == 0, "mkdir " + child.path);
            ++counts.Directories;
            counts.Depth = std::max(counts.Depth, child.depth);
            pending.push_back(dirs.size());
            dirs.push_back(std::move(child));
        }
    }
    const std::string data(4096, 'z');
    for (std::size_t i = 0; i < shape.Files; ++i) {
        const Dir& dir =
            dirs[static_cast<std::size_t>(uniform(0, static_cast<int>(dirs.size()) - 1))];
        const std::string path = dir.path + "/file" + std::to_string(i) + ".dat";
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        Check(fd >= 0, "create " + path);
        if (uniform(0, 99) < shape.SparsePercent) {
            const off_t size = static_cast<off_t>(uniform(1, 64)) << 20;
            Check(write(fd, data.data(), data.size()) == static_cast<ssize_t>(data.size()) &&
                      ftruncate(fd, size) == 0,
                  "sparse " + path);
            ++counts.SparseFiles;
            counts.Bytes += static_cast<std::uint64_t>(size);
        } else {
            const std::size_t size = static_cast<std::size_t>(uniform(0, 4096));
            Check(write(fd, data.data(), size) == static_cast<ssize_t>(size), "write " + path);
            counts.Bytes += size;
        }
        close(fd);
        ++counts.Files;
    }
    return counts;
}

std::string MakeTempDirectory(const std::string& base) {
    std::string root = base;
    if (root.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        root = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
    }
    std::string pattern = root + "/zelk-bench-XXXXXX";
    Check(mkdtemp(pattern.data()) != nullptr, "mkdtemp in " + root);
    return pattern;
}

void RemoveTree(const std::string& directory) {
    struct Open {
        DIR* dir;
        std::string name;
    };
    const int top = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (top < 0) {
        return;
    }
    std::vector<Open> stack{{fdopendir(top), ""}};
    while (!stack.empty()) {
        DIR* dir = stack.back().dir;
        const dirent* d = readdir(dir);
        if (d == nullptr) {
            const std::string name = stack.back().name;
            closedir(dir);
            stack.pop_back();
            if (!stack.empty()) {
                unlinkat(dirfd(stack.back().dir), name.c_str(), AT_REMOVEDIR);
            }
            continue;
        }
        const std::string name = d->d_name;
        if (name == "." || name == ".." || unlinkat(dirfd(dir), name.c_str(), 0) == 0) {
            continue;
        }
        const int fd =
            openat(dirfd(dir), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0) {
            stack.push_back({fdopendir(fd), name});
        }
    }
    rmdir(directory.c_str());
}

GeneratedTree GenerateReportedTree(const std::string& base) {
    GeneratedTree tree;
    tree.Directory = MakeTempDirectory(base);
    std::printf("generating the tree in %s ...\n", tree.Directory.c_str());
    tree.Counts = GenerateTree(tree.Directory);
    std::printf("tree: %zu directories, %zu files (%zu sparse), depth %d\n",
                tree.Counts.Directories, tree.Counts.Files, tree.Counts.SparseFiles,
                tree.Counts.Depth);
    return tree;
}

}  // namespace zelk::bench
