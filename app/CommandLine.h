#pragma once
// What `zelk` was asked to do, read from its arguments before any toolkit object exists: open
// the window (with a scan file or a folder to scan, or standard input for "-"), scan without a
// window, or print the usage or the version. The toolkit's own options (-display, -platform,
// ...) are let through for it to take, and the two that choose the display are kept to see
// whether it can be had.

#include <cstddef>
#include <string>

namespace zelk {

class CommandLine {
  public:
    enum class Action { Window, Export, CompareTop, Help, Version, Refuse };

    static CommandLine Parse(int argc, char** argv);
    static std::string Usage();
    static std::string VersionText();

    Action What = Action::Window;
    // The scan file to open ("-": standard input) or the folder to scan; empty for none.
    std::string File;
    // The scan file that File's tree is compared with (--compare), empty for none.
    std::string Baseline;
    // Of -platform and -display, empty where not given.
    std::string Platform;
    std::string Display;
    // Why the arguments were refused, one line; for CompareTop, why it ends with code 1.
    std::string Refusal;
    // zelk --compare OLD NEW --top N [--basis apparent|compressed]: OLD in Baseline, NEW in
    // File.
    std::size_t Top = 0;
    bool CompressedBasis = false;
};

}  // namespace zelk
