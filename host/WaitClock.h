#pragma once
// The length of the waits that pages time with their timers (the XPort page's 100 ms state
// ticks, its telnet time-outs, the USB page's new-port poll). The program and the benchmarks
// wait in real time; a test may speed every such wait up by a factor, so that a 15-second
// restart wait passes in a fraction of a second while the page counts its ticks as usual.

namespace waits {

// `milliseconds` divided by the speed-up in force, at least 1.
int Ms(int milliseconds);

// Sets the speed-up (1, the default, is real time; values below 1 count as 1).
void SetSpeedup(int factor);
int Speedup();

}  // namespace waits
