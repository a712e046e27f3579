#include "host/WaitClock.h"

#include <algorithm>
#include <atomic>

namespace waits {
namespace {
std::atomic<int> g_speedup{1};
}  // namespace

int Ms(int milliseconds) {
    return std::max(1, milliseconds / g_speedup.load());
}

void SetSpeedup(int factor) {
    g_speedup.store(std::max(1, factor));
}

int Speedup() {
    return g_speedup.load();
}

}  // namespace waits
