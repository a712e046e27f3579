#pragma once
// A scripted printer line behind the SerialDriver seam, for the protocol tests.
//
// Each frame the protocol writes makes the next scripted answer arrive at once (the last
// script entry repeats; an empty entry is silence). Every byte written is kept. Nothing here
// allocates once the script is set, so the allocation test can use it too.

#include <cstddef>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "host/SerialDriver.h"

class ScriptedPrinterLine : public SerialDriver {
public:
    explicit ScriptedPrinterLine(std::vector<std::string> script = {})
        : script_(std::move(script)) {}

    void Close() override { open_ = 0; }
    void Configure(int, int, int, int) override {}
    void PurgeInput() override {
        ++purges_;
        head_ = tail_ = 0;
    }
    void Flush() override {}
    bool ReadByte(int* out) override {
        if (open_ == 0 || head_ == tail_) {
            return false;
        }
        *out = static_cast<signed char>(pending_[head_++]);
        return true;
    }
    int IsOpen() override { return open_; }
    bool Open(const char*) override { return open_ != 0; }
    void WriteByte(char byte) override {
        if (sentLength_ < sizeof sent_) {
            sent_[sentLength_++] = byte;
        }
    }
    void WriteBuffer(const char* data, unsigned length) override {
        if (length == 0) {
            length = static_cast<unsigned>(std::strlen(data));
        }
        for (unsigned i = 0; i < length; ++i) {
            WriteByte(data[i]);
        }
        if (!script_.empty()) {
            const std::string& answer =
                script_[frames_ < script_.size() ? frames_ : script_.size() - 1];
            for (char c : answer) {
                if (tail_ < sizeof pending_) {
                    pending_[tail_++] = static_cast<unsigned char>(c);
                }
            }
        }
        ++frames_;
    }
    void SetFlowControl(int) override {}

    // Frames written so far (one WriteBuffer call each).
    std::size_t Frames() const { return frames_; }
    int Purges() const { return purges_; }
    // Everything written, frames back to back.
    std::string Sent() const { return std::string(sent_, sentLength_); }

private:
    std::vector<std::string> script_;
    int open_ = 1;
    std::size_t frames_ = 0;
    int purges_ = 0;
    char sent_[8192] = {};
    std::size_t sentLength_ = 0;
    unsigned char pending_[8192] = {};
    std::size_t head_ = 0;
    std::size_t tail_ = 0;
};

// An answer frame: SOH, echo, status, STX, data, ETX, the given checksum text, CR.
inline std::string AnswerFrame(char echo, char status, const std::string& data,
                               const std::string& checksum, bool withCr = true) {
    std::string frame = std::string("\x01") + echo + status + '\x02' + data + '\x03' + checksum;
    if (withCr) {
        frame += '\r';
    }
    return frame;
}

// "%03u" of the 8-bit sum of `echo` and `data`: the checksum a good answer carries.
inline std::string GoodChecksum(char echo, const std::string& data) {
    unsigned sum = static_cast<unsigned char>(echo);
    for (char c : data) {
        sum += static_cast<unsigned char>(c);
    }
    sum %= 256;
    return std::string{static_cast<char>('0' + sum / 100), static_cast<char>('0' + sum / 10 % 10),
                       static_cast<char>('0' + sum % 10)};
}
