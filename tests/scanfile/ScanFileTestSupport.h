#pragma once
// Helpers of the scan-file tests (the window's too): a fresh directory per test, files written
// from text and read back, records as text, and commands run through the shell.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "scan/TFileAttr.h"
#include "scanfile/CompressingOutput.h"

namespace zelk::test {

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    // Writes text to the named file in the directory and returns its path.
    std::string Write(const std::string& name, const std::string& text) const;

  private:
    std::string path_;
};

std::string ReadBytes(const std::string& file);

// Writes a compressed file: head, then count pieces made by piece(i), then tail; returns file.
std::string Packed(const std::string& file, CompressingOutput::Format format,
                   const std::string& head, std::size_t count,
                   const std::function<std::string(std::size_t)>& piece, const std::string& tail);

// Seven directories under dir/vol, whose path it returns: odd name bytes, a sparse file, an old
// date.
std::string MakeSampleTree(const std::string& dir);

// A root of children empty directories whose names do not pack, so that a large tree fills a
// small disk or a pipe.
std::unique_ptr<TFileAttr> WideTree(int children);

// A record and its subtree as "name size/compressed [L<deepest>] [t<seconds>] [u] [o] {children}",
// children in the order of the tree.
std::string Brief(const TFileAttr& record, bool withDates = true);

// Runs a command through the shell; its exit code.
int Shell(const std::string& command);

}  // namespace zelk::test
