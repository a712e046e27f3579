// The client's telnet codec on any received bytes.
//
// Properties: the text and the replies do not depend on where the reads were cut (the input's
// own bytes say where, and byte by byte); every reply is a whole refusal or agreement
// (IAC WILL/WONT/DO/DONT and an option) or the terminal type; the text is never longer than
// what came in; and text encoded for the wire decodes back to itself without any reply.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FuzzCheck.h"
#include "xport/TelnetCodec.h"

namespace {

struct Decoded {
    std::string text;
    std::string replies;
};

template <typename NextCut>
Decoded Decode(std::string_view bytes, NextCut&& nextCut) {
    xport::TelnetCodec codec;
    Decoded out;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t size = std::min(nextCut(), bytes.size() - at);
        codec.Receive(bytes.substr(at, size), out.text, out.replies);
        at += size;
    }
    return out;
}

bool WellFormedReplies(std::string_view replies) {
    const std::string_view ttype(
        "\xFF\xFA\x18\x00"
        "dumb\xFF\xF0",
        10);
    while (!replies.empty()) {
        if (replies.substr(0, ttype.size()) == ttype) {
            replies.remove_prefix(ttype.size());
            continue;
        }
        const auto verb = replies.size() >= 3 ? static_cast<unsigned char>(replies[1]) : 0;
        if (static_cast<unsigned char>(replies[0]) != 0xFF || verb < 251) {
            return false;
        }
        replies.remove_prefix(3);
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view received(reinterpret_cast<const char*>(data), size);
    const Decoded whole = Decode(received, [] { return std::string_view::npos; });
    FUZZ_REQUIRE(whole.text.size() <= received.size(), Shown(std::string(received)));
    FUZZ_REQUIRE(WellFormedReplies(whole.replies), Shown(whole.replies));

    std::size_t next = 0;
    const Decoded cut = Decode(received, [&] {
        const std::size_t at = next++ % (size == 0 ? 1 : size);
        return std::size_t{1} + (size == 0 ? 0 : data[at] % 7);
    });
    FUZZ_REQUIRE(cut.text == whole.text && cut.replies == whole.replies,
                 Shown(std::string(received)));
    const Decoded bytewise = Decode(received, [] { return std::size_t{1}; });
    FUZZ_REQUIRE(bytewise.text == whole.text && bytewise.replies == whole.replies,
                 Shown(std::string(received)));

    const Decoded back =
        Decode(xport::TelnetCodec::Encode(received), [] { return std::size_t{5}; });
    FUZZ_REQUIRE(back.text == received && back.replies.empty(), Shown(std::string(received)));
    return 0;
}
