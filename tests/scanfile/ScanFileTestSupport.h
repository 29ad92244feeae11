#pragma once
// Helpers of the scan-file tests: a fresh directory per test, files written from text, and a
// one-line description of a record tree that two trees can be compared by.

#include <cstdint>
#include <string>

#include "scan/TFileAttr.h"

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

// Every record in order: name, size, compressed size, levels, date and marks.
std::string Describe(const TFileAttr& root);

std::string ReadBytes(const std::string& file);

// Runs a command through the shell; its exit code.
int Shell(const std::string& command);

}  // namespace zelk::test
