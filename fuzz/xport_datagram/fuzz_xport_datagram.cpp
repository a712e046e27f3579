// The XPort datagram handler on any received datagram, page state, source and PC values.
//
// Properties: nothing is read past `count` (the datagram lies in a buffer of exactly that many
// bytes, so AddressSanitizer sees any read beyond it); a row's texts are of the defined forms:
// the source address, "Error Count : N", "Error Reply : XX", "Invalid Reply : XX",
// "SET_IP_1_S:", "UDPRead", "Invalid State : N" or a MAC "XX:XX:XX:XX:XX:XX" taken from the
// datagram's bytes 24 to 29.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "fuzz/FuzzCheck.h"
#include "xport/XportDatagrams.h"

namespace {

bool IsHexByte(const std::string& text, std::size_t at, std::uint8_t expected) {
    return text.size() >= at + 2 && text.compare(at, 2, xport::HexByte(expected)) == 0;
}

bool IsCount(const std::string& text, std::size_t count) {
    return text == "Error Count : " + std::to_string(count);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    static constexpr int kStates[] = {0, 1, 2, 3, 4, 5, 6, -1, 100};
    const int state = provider.PickValueInArray(kStates);
    const std::string source = provider.ConsumeRandomLengthString(20);
    const AddressValue local = provider.ConsumeIntegral<std::uint32_t>();
    const AddressValue mask = provider.ConsumeIntegral<std::uint32_t>();
    const std::string bytes = provider.ConsumeRemainingBytesAsString();
    const std::size_t count = bytes.size();
    // Exactly `count` bytes: a read past them is a heap overflow.
    const std::unique_ptr<std::uint8_t[]> datagram(new std::uint8_t[count == 0 ? 1 : count]);
    std::copy(bytes.begin(), bytes.end(), datagram.get());
    const std::uint8_t* at = count == 0 ? datagram.get() + 1 : datagram.get();

    const xport::DatagramOutcome outcome =
        xport::HandleDatagram(state, at, count, source, local, mask);
    const std::size_t seen = std::min(count, xport::kReadLimit);
    using Kind = xport::DatagramOutcome::Kind;
    if (state == xport::kStateSearching || state == xport::kStateRechecking) {
        FUZZ_REQUIRE(outcome.kind == Kind::AddRow, Shown(bytes));
        FUZZ_REQUIRE(outcome.ipCell == source, Shown(outcome.ipCell));
        const std::string& mac = outcome.macCell;
        const bool reply = seen >= 4 && at[3] == xport::kQueryReply;
        if (reply && seen >= xport::kQueryReplyMinimum) {
            FUZZ_REQUIRE(mac == xport::MacText(at + xport::kMacOffset), Shown(mac));
            FUZZ_REQUIRE(mac.size() == 17, Shown(mac));
        } else if (seen >= 4 && !reply) {
            FUZZ_REQUIRE(mac.rfind("Error Reply : ", 0) == 0 && mac.size() == 16 &&
                             IsHexByte(mac, 14, at[3]),
                         Shown(mac));
        } else {
            FUZZ_REQUIRE(IsCount(mac, seen), Shown(mac));
        }
    } else if (state == xport::kStateSetupSent) {
        if (seen >= 4 && at[3] == xport::kSetupAck) {
            FUZZ_REQUIRE(outcome.kind == Kind::SetupAcknowledged, Shown(bytes));
        } else {
            FUZZ_REQUIRE(outcome.kind == Kind::OverwriteLastRow, Shown(bytes));
            FUZZ_REQUIRE(outcome.ipCell == "SET_IP_1_S:", Shown(outcome.ipCell));
            FUZZ_REQUIRE(seen < 4 ? IsCount(outcome.macCell, seen)
                                  : outcome.macCell.rfind("Invalid Reply : ", 0) == 0 &&
                                        outcome.macCell.size() == 18 &&
                                        IsHexByte(outcome.macCell, 16, at[3]),
                         Shown(outcome.macCell));
        }
    } else {
        FUZZ_REQUIRE(outcome.kind == Kind::OverwriteLastRow, Shown(bytes));
        FUZZ_REQUIRE(outcome.ipCell == "UDPRead", Shown(outcome.ipCell));
        FUZZ_REQUIRE(outcome.macCell == "Invalid State : " + std::to_string(state),
                     Shown(outcome.macCell));
    }
    return 0;
}
