#pragma once
// Other programs keeping the cores busy: one spinning child process a core for as long as the
// object lives, ended (and reaped) when it goes.

#include <sys/types.h>

#include <vector>

namespace zelk::bench {

class BusyCores {
  public:
    explicit BusyCores(unsigned processes);
    ~BusyCores();
    BusyCores(const BusyCores&) = delete;
    BusyCores& operator=(const BusyCores&) = delete;

  private:
    std::vector<pid_t> children_;
};

}  // namespace zelk::bench
