// The saved port list (BeforePorts) and the search for the newly added port, on any texts.
//
// Properties: a stored text loads as one name per non-empty piece between commas and saves
// back as the same text without its empty pieces, each name followed by a comma; a list of
// names without commas saves and loads as itself less its empty names; the new port is empty
// unless the list grew, and is then a current name that the saved list does not hold in any
// letter case.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/FuzzCheck.h"
#include "host/ComPorts.h"
#include "host/Text.h"

namespace {

PortList Names(FuzzedDataProvider& provider) {
    PortList names(provider.ConsumeIntegralInRange<std::size_t>(0, 8));
    for (std::string& name : names) {
        name = provider.ConsumeRandomLengthString(10);
    }
    return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const std::string stored = provider.ConsumeRandomLengthString(64);

    const PortList loaded = ParseBeforePorts(stored);
    // The stored text without its empty pieces, each piece ended by a comma.
    std::string pieces;
    std::size_t count = 0;
    std::string rest = stored;
    while (!rest.empty()) {
        const std::string piece = SplitToken(rest, ",");
        if (!piece.empty()) {
            pieces += piece + ",";
            ++count;
        }
    }
    FUZZ_REQUIRE(loaded.size() == count, Shown(stored));
    FUZZ_REQUIRE(FormatBeforePorts(loaded) == pieces, Shown(stored));

    PortList current = Names(provider);
    PortList before = Names(provider);
    PortList plain;
    for (std::string name : current) {
        name.erase(std::remove(name.begin(), name.end(), ','), name.end());
        if (!name.empty()) {
            plain.push_back(name);
        }
    }
    FUZZ_REQUIRE(ParseBeforePorts(FormatBeforePorts(plain)) == plain, FormatBeforePorts(plain));

    // The first current name that the saved list lacks (an empty name reads as none).
    const std::string added = FindNewPortIn(current, before);
    std::string firstUnknown;
    for (const std::string& name : current) {
        const bool known = std::any_of(before.begin(), before.end(), [&](const std::string& old) {
            return SameTextIgnoringCase(old, name);
        });
        if (!known) {
            firstUnknown = name;
            break;
        }
    }
    FUZZ_REQUIRE(added == (current.size() > before.size() ? firstUnknown : std::string()),
                 Shown(added));
    if (!added.empty()) {
        FUZZ_REQUIRE(std::find(current.begin(), current.end(), added) != current.end(),
                     Shown(added));
    }
    return 0;
}
