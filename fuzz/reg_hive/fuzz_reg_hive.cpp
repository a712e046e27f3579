// REGEDIT4 hives as any bytes a hive file may hold.
//
// Properties: a hive that parses is written as text that parses again to the same hive (values
// and comments), and that text is a fixed point of parse-and-write; a value set in it is read
// back; the written text cut anywhere is damaged or holds only whole values of the hive; and a
// hive that does not parse is never written over by the registry calls.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "fuzz/FuzzCheck.h"
#include "host/RegHive.h"
#include "host/Registry.h"

namespace {

const std::string kSource = "fuzz.reg";

bool Parses(const std::string& text, reg::Hive& hive) {
    try {
        hive = reg::ParseHive(text, kSource);
        return true;
    } catch (const reg::RegistryError&) {
        return false;
    }
}

// A registry folder of this process, for the check that a damaged hive is never written.
const std::string& RegistryFolder() {
    static const std::string folder = [] {
        char pattern[] = "/tmp/fuzz-reg-hive-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        const std::string path = made != nullptr ? made : "/tmp";
        ::setenv("VORMATIC_REGISTRY_DIR", path.c_str(), 1);
        ::setenv("VORMATIC_SERIAL_DEVICES", "", 1);
        return path;
    }();
    return folder;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void CheckNeverWrittenOver(const std::string& input) {
    const std::string path = RegistryFolder() + "/HKEY_CURRENT_USER.reg";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << input;
    }
    bool raised = false;
    try {
        reg::WriteString(reg::Root::CurrentUser, "Software\\Fuzz", "Value", "written");
    } catch (const reg::RegistryError&) {
        raised = true;
    }
    FUZZ_REQUIRE(raised, "a write over a damaged hive succeeded: " + Shown(input));
    FUZZ_REQUIRE(ReadAll(path) == input, "a damaged hive was changed: " + Shown(input));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    reg::Hive hive;
    if (!Parses(input, hive)) {
        // Through the files only now and then: it costs more than the parse itself.
        if (size % 8 == 0) {
            CheckNeverWrittenOver(input);
        }
        return 0;
    }

    const std::string written = reg::SerializeHive(hive);
    reg::Hive again;
    FUZZ_REQUIRE(Parses(written, again), Shown(input) + " -> " + Shown(written));
    FUZZ_REQUIRE(again == hive, Shown(input) + " -> " + Shown(written));
    FUZZ_REQUIRE(reg::SerializeHive(again) == written, Shown(written));

    // The written hive cut short at a place the input chooses.
    const std::size_t cut = size == 0 ? 0 : (data[0] * 257U + data[size - 1]) % written.size();
    reg::Hive part;
    if (Parses(written.substr(0, cut), part)) {
        for (const reg::RegKey& key : part.Keys()) {
            if (key.values.empty()) {
                continue;  // a key line cut at a "]" inside its name holds nothing
            }
            const reg::RegKey* whole = hive.FindKey(key.path);
            FUZZ_REQUIRE(whole != nullptr, Shown(written.substr(0, cut)));
            for (const reg::RegValue& value : key.values) {
                const reg::RegValue* kept = whole->FindValue(value.name);
                FUZZ_REQUIRE(kept != nullptr, Shown(written.substr(0, cut)));
                reg::RegValue bare = *kept;
                bare.comments = value.comments;
                FUZZ_REQUIRE(bare == value, Shown(written.substr(0, cut)));
            }
        }
    }

    // A value set into the hive is read back after a write.
    if (!hive.Keys().empty()) {
        const std::string path = hive.Keys()[size % hive.Keys().size()].path;
        const std::string name(input.substr(0, 3).find_first_of(std::string("\r\n\0", 3)) ==
                                       std::string::npos
                                   ? input.substr(0, 3)
                                   : "n");
        const std::string text = input.substr(size / 2, 16);
        hive.EnsureKey(path).SetValue(reg::RegValue::String(name, text));
        reg::Hive changed;
        FUZZ_REQUIRE(Parses(reg::SerializeHive(hive), changed), Shown(input));
        const reg::RegValue* read = changed.FindKey(path)->FindValue(name);
        FUZZ_REQUIRE(read != nullptr && read->IsString() && read->text == text, Shown(input));
    }
    return 0;
}
