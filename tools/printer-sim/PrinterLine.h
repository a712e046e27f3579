#pragma once
// The printer's side of the command protocol: reading the host's frames
// (SOH cmd STX data ETX ddd CR) and building answers (SOH echo ACK|NAK STX data ETX ddd CR).

#include <cstdint>
#include <optional>
#include <string>

#include "tools/printer-sim/SimOptions.h"

struct HostFrame {
    char command = 0;
    std::string data;
    std::string checksum;  // the three digits as received
    bool checksumOk = false;
};

// Byte-by-byte reader of host frames; bytes outside a frame are skipped, and a frame that
// breaks its layout is dropped (an SOH inside it starts a new one).
class FrameReader {
public:
    // Returns the frame that this byte completes.
    std::optional<HostFrame> Feed(std::uint8_t byte);
    // Bytes skipped or dropped so far.
    unsigned Discarded() const { return discarded_; }

private:
    void Restart(std::uint8_t byte);

    int state_ = 0;
    HostFrame frame_;
    unsigned discarded_ = 0;
};

// "%03u" of the 8-bit sum of `first` and the bytes of `data`.
std::string Checksum(char first, const std::string& data);

// The bytes the printer sends for `frame` under `options`; empty when it stays silent.
std::string BuildAnswer(const HostFrame& frame, const SimOptions& options);

// One line describing a frame and its answer, for the log.
std::string DescribeExchange(const HostFrame& frame, const std::string& answer);
