#include "common/BusyCores.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>

namespace zelk::bench {

BusyCores::BusyCores(unsigned processes) {
    for (unsigned i = 0; i < processes; ++i) {
        const pid_t child = fork();
        if (child == 0) {
            // Only this loop runs in the child: nothing of the parent's threads is touched.
            for (std::atomic<unsigned long> spins{0};;) {
                spins.fetch_add(1, std::memory_order_relaxed);
            }
        }
        if (child > 0) {
            children_.push_back(child);
        }
    }
}

BusyCores::~BusyCores() {
    for (const pid_t child : children_) {
        kill(child, SIGKILL);
    }
    for (const pid_t child : children_) {
        waitpid(child, nullptr, 0);
    }
}

}  // namespace zelk::bench
