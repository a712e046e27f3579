#pragma once
// The clock of every wait that a test would otherwise sit through: the serial time-outs of the
// printer protocol (a tick count, read in a polling loop) and the waits that pages time with
// their timers (the XPort page's 100 ms state ticks and telnet time-outs, the USB page's
// new-port poll). The program and the benchmarks run in real time; a test may make time run
// faster by a factor, so that a four-second serial time-out or a 15-second restart wait passes
// in a fraction of that while the code counts its milliseconds and ticks as usual.

#include <cstdint>

namespace waits {

// Milliseconds of a monotonic clock that runs Speedup() times faster than real time, wrapping
// at 2^32 like GetTickCount.
std::uint32_t TickCountMs();

// Gives the processor away for a moment (250 microseconds of real time) in a polling loop,
// then runs the pause service, if one is set.
void Pause();

// What a polling wait does besides sleeping: the window layer sets a service that lets the
// window answer while a wait polls (it decides itself how often it has work). Null: nothing.
using PauseService = void (*)();
void SetPauseService(PauseService service);

// A timer interval: `milliseconds` divided by the speed-up, at least 1.
int Ms(int milliseconds);

// Sets the speed-up (1, the default, is real time; values below 1 count as 1). The tick count
// runs on without a jump.
void SetSpeedup(int factor);
int Speedup();

// Sets the speed-up for its lifetime and puts the previous one back.
class ScopedSpeedup {
public:
    explicit ScopedSpeedup(int factor) : previous_(Speedup()) { SetSpeedup(factor); }
    ~ScopedSpeedup() { SetSpeedup(previous_); }
    ScopedSpeedup(const ScopedSpeedup&) = delete;
    ScopedSpeedup& operator=(const ScopedSpeedup&) = delete;

private:
    int previous_;
};

}  // namespace waits
