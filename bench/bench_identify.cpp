// Identifies a simulated printer that answers at the real line speed (--pace) again and
// again, and compares the median exchange time with the time its bytes need on the wire.
// Also counts the allocations made during the exchanges (there must be none).
//
//   bench_identify [runs]        (default 50)

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "bench/BenchSim.h"
#include "host/ExtendedProtocol.h"
#include "host/PrinterProbe.h"
#include "host/SerialDriver.h"

namespace {

thread_local bool t_counting = false;
std::atomic<long> g_allocations{0};

void* Allocate(std::size_t size) {
    if (t_counting) {
        ++g_allocations;
    }
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    const std::string identity = "RX200 Vormatic Tag Printer v2.14";
    BenchSim sim({"--pace", "--quiet", "--identity", identity});
    if (sim.Path().empty()) {
        std::fprintf(stderr, "bench_identify: cannot start %s\n", SimulatorPath().c_str());
        return 1;
    }

    std::vector<double> exchanges;
    std::vector<double> probes;
    exchanges.reserve(static_cast<std::size_t>(runs));
    probes.reserve(static_cast<std::size_t>(runs));
    int failures = 0;
    for (int i = 0; i < runs; ++i) {
        const auto port = CreateSerialPort(sim.Path().c_str(), 512, 512);
        ExtendedProtocol protocol(port.get());
        char answer[128] = {};
        const auto start = Clock::now();
        t_counting = true;
        const int result = protocol.Exchange('V', "", answer, sizeof answer);
        t_counting = false;
        exchanges.push_back(MsSince(start));
        if (result != 0 || identity != answer) {
            ++failures;
        }
    }
    for (int i = 0; i < runs; ++i) {
        std::string text;
        const auto start = Clock::now();
        if (!IdentifyPrinter(sim.Path(), &text) || text != identity) {
            ++failures;
        }
        probes.push_back(MsSince(start));
    }

    const std::size_t answerBytes = 4 + identity.size() + 1 + 3 + 1;
    const double line = LineMs(8 + answerBytes);
    const double median = Median(exchanges);
    std::printf("bench_identify: %d runs on %s (simulator paced at 19200 8N1)\n", runs,
                sim.Path().c_str());
    std::printf("  median exchange, frame written to answer accepted: %8.2f ms\n", median);
    std::printf("  line time, 8-byte frame + %zu-byte answer:          %8.2f ms\n", answerBytes,
                line);
    std::printf("  ratio (aim <= 1.20):                               %8.3f\n", median / line);
    std::printf("  median IdentifyPrinter (open, exchange, close):   %8.2f ms\n", Median(probes));
    std::printf("  allocations during %d exchanges (must be 0):       %8ld\n", runs,
                g_allocations.load());
    std::printf("  failed identifications:                            %8d\n", failures);
    return failures == 0 && g_allocations == 0 ? 0 : 1;
}
