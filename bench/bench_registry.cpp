// Time per registry call on POSIX as the hive grows: every call reads the hive file afresh,
// and a write parses it, changes it and replaces it. The hives live in a temporary folder.
//
//   bench_registry [keys...]     (default 1000 8000 16000)

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/Registry.h"

namespace {

using Clock = std::chrono::steady_clock;

// A hive of `keys` keys with two values each, as the program's own writes leave it.
void WriteHive(const std::string& path, int keys) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "REGEDIT4\r\n\r\n";
    for (int i = 0; i < keys; ++i) {
        out << "[HKEY_CURRENT_USER\\Software\\Bench\\Key" << i << "]\r\n"
            << "\"Name\"=\"value " << i << "\"\r\n"
            << "\"Count\"=dword:" << std::string(8 - std::to_string(i % 10).size(), '0') << i % 10
            << "\r\n\r\n";
    }
}

template <typename Call>
double MillisecondsPerCall(int calls, Call call) {
    const auto start = Clock::now();
    for (int i = 0; i < calls; ++i) {
        call(i);
    }
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count() / calls;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) {
        sizes.push_back(std::atoi(argv[i]));
    }
    if (sizes.empty()) {
        sizes = {1000, 8000, 16000};
    }
    char pattern[] = "/tmp/bench-registry-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string folder = pattern;
    ::setenv("VORMATIC_REGISTRY_DIR", folder.c_str(), 1);
    ::setenv("VORMATIC_SERIAL_DEVICES", "", 1);

    std::printf("%8s %12s %12s %12s %12s   (milliseconds per call)\n", "keys", "WriteString",
                "ReadString", "KeyExists", "ValueNames");
    for (const int keys : sizes) {
        WriteHive(folder + "/HKEY_CURRENT_USER.reg", keys);
        const int calls = keys > 4000 ? 5 : 20;
        const double write = MillisecondsPerCall(calls, [&](int i) {
            reg::WriteString(reg::Root::CurrentUser,
                             "Software\\Bench\\Key" + std::to_string(keys / 2), "Name",
                             "changed " + std::to_string(i));
        });
        const double read = MillisecondsPerCall(calls, [&](int) {
            reg::ReadString(reg::Root::CurrentUser,
                            "Software\\Bench\\Key" + std::to_string(keys - 1), "Name");
        });
        const double exists = MillisecondsPerCall(calls, [&](int) {
            reg::KeyExists(reg::Root::CurrentUser, "Software\\Bench\\Missing");
        });
        const double names = MillisecondsPerCall(
            calls, [&](int) { reg::ValueNames(reg::Root::CurrentUser, "Software\\Bench\\Key0"); });
        std::printf("%8d %12.2f %12.2f %12.2f %12.2f\n", keys, write, read, exists, names);
    }
    std::filesystem::remove_all(folder);
    return 0;
}
