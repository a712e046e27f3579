// The printer search over four ports: two that stay silent, the printer on the third and one
// more printer after it. The search probes the ports in order until one answers; its total
// time is compared with the floor set by the protocol: four tries of 1000 ms on each silent
// port plus the answering port's time on the wire.

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchSim.h"
#include "host/ExtendedProtocol.h"
#include "host/PrinterProbe.h"

int main() {
    const std::string identity = "RX200 Vormatic Tag Printer v2.14";
    std::vector<std::unique_ptr<BenchSim>> sims;
    sims.push_back(
        std::make_unique<BenchSim>(std::vector<std::string>{"--fault", "silent", "--quiet"}));
    sims.push_back(
        std::make_unique<BenchSim>(std::vector<std::string>{"--fault", "silent", "--quiet"}));
    sims.push_back(std::make_unique<BenchSim>(
        std::vector<std::string>{"--pace", "--quiet", "--identity", identity}));
    sims.push_back(std::make_unique<BenchSim>(
        std::vector<std::string>{"--pace", "--quiet", "--identity", "SX10 Slide Printer"}));
    for (const auto& sim : sims) {
        if (sim->Path().empty()) {
            std::fprintf(stderr, "bench_search: cannot start %s\n", SimulatorPath().c_str());
            return 1;
        }
    }

    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    std::size_t found = sims.size();
    std::string text;
    for (std::size_t i = 0; i < sims.size(); ++i) {
        if (IdentifyPrinter(sims[i]->Path(), &text)) {
            found = i;
            break;
        }
    }
    const double total = std::chrono::duration<double, std::milli>(Clock::now() - start).count();

    const int silentPorts = 2;
    const double answerLine = LineMs(8 + 4 + identity.size() + 1 + 3 + 1);
    const double floor = silentPorts * ExtendedProtocol::kTries *
                             static_cast<double>(ExtendedProtocol::kTryMilliseconds) +
                         answerLine;
    std::printf("bench_search: 4 ports, silent, silent, printer, printer\n");
    std::printf("  printer found on port %zu: \"%s\"\n", found + 1, text.c_str());
    std::printf("  total search time:                          %9.2f ms\n", total);
    std::printf("  floor (2 x 4 x 1000 ms + %.2f ms line time): %9.2f ms\n", answerLine, floor);
    std::printf("  ratio (aim <= 1.02):                        %9.4f\n", total / floor);
    return found == 2 && text == identity ? 0 : 1;
}
