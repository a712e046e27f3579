#include "host/WaitClock.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>

namespace waits {
namespace {

using Steady = std::chrono::steady_clock;

// The scaled clock: at real time `base`, it read `baseTicks`; it runs `factor` times faster.
struct Scale {
    std::mutex lock;
    int factor = 1;
    Steady::time_point base = Steady::now();
    std::int64_t baseTicks =
        std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now().time_since_epoch())
            .count();
};

Scale& TheScale() {
    static Scale scale;
    return scale;
}

// Set and read on the window thread only, like the waits that call it.
PauseService theService = nullptr;

std::int64_t TicksAt(const Scale& scale, Steady::time_point now) {
    const auto real = std::chrono::duration_cast<std::chrono::microseconds>(now - scale.base);
    return scale.baseTicks + real.count() * scale.factor / 1000;
}

}  // namespace

std::uint32_t TickCountMs() {
    Scale& scale = TheScale();
    const std::lock_guard<std::mutex> guard(scale.lock);
    return static_cast<std::uint32_t>(TicksAt(scale, Steady::now()));
}

void Pause() {
    std::this_thread::sleep_for(std::chrono::microseconds(250));
    if (theService != nullptr) {
        theService();
    }
}

void SetPauseService(PauseService service) {
    theService = service;
}

int Ms(int milliseconds) {
    return std::max(1, milliseconds / Speedup());
}

void SetSpeedup(int factor) {
    Scale& scale = TheScale();
    const std::lock_guard<std::mutex> guard(scale.lock);
    const Steady::time_point now = Steady::now();
    scale.baseTicks = TicksAt(scale, now);
    scale.base = now;
    scale.factor = std::max(1, factor);
}

int Speedup() {
    Scale& scale = TheScale();
    const std::lock_guard<std::mutex> guard(scale.lock);
    return scale.factor;
}

}  // namespace waits
