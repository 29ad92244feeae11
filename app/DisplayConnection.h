#pragma once

#include <string>

// The program's own connection to the display server, which it may shut down when it has to
// end while a worker is stuck in the kernel: the server then drops every window at once, while
// the process is only gone once the kernel lets that worker go. Nothing else is touched: a
// socket inherited from the parent (a journal stream, a launcher's pipe) keeps working.

namespace zelk {

class DisplayConnection {
  public:
    // The descriptor of the X11 or Wayland connection, or -1 where there is none (offscreen).
    static int Descriptor();
    static void Shut();
    // Before the toolkit starts, which aborts the process when it finds no display: whether
    // the platform asked for (-platform or QT_QPA_PLATFORM; empty: the desktop's) has one to
    // connect to. display: the -display option, or empty for DISPLAY.
    static bool Reachable(const std::string& platform, const std::string& display);
};

}  // namespace zelk
