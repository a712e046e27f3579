#pragma once
// Owners of the virtual ports registered in the emulated HKLM SERIALCOMM key. A program that
// adds a port (a redirector's bridge, the printer simulator) holds a lock on an owner file for
// as long as it lives; the file sits in the folder "serialcomm-owners" beside the hives and is
// named after the value (lower case, every byte but [a-z0-9._-] as %XX). The lock is an open
// file description lock (F_OFD_SETLK), which the kernel drops when the owner ends however it
// ends, and which no later process can inherit by reusing the owner's pid. A value with an
// owner file that nobody holds names a port whose owner is gone: the next terminal may have
// its pseudo-terminal, so it is no port any more. A value without an owner file (a driver's,
// written by hand) is a port as before.

#include <string>

namespace portowner {

// The owner file of `valueName`; "" when no registry folder is known.
std::string OwnerFilePath(const std::string& valueName);

// True when `valueName` has an owner file that no live process holds.
bool OwnerGone(const std::string& valueName);

// One registered port, owned by this process until Unregister() or its end.
class OwnedPort {
public:
    OwnedPort() = default;
    ~OwnedPort();
    OwnedPort(const OwnedPort&) = delete;
    OwnedPort& operator=(const OwnedPort&) = delete;

    // Takes the owner file of `valueName`, then writes the value (data `devicePath`). False
    // with `error` set when a live owner holds the name or the registry cannot be written.
    bool Register(const std::string& valueName, const std::string& devicePath, std::string* error);
    // Removes the value, then the owner file. Raises reg::RegistryError.
    void Unregister();

private:
    std::string valueName_;
    std::string file_;
    int fd_ = -1;
};

// Removes the values whose owner is gone, with their owner files; owner files left without a
// value go too. Returns how many values went. Registry failures raise reg::RegistryError.
int PruneOrphanedPorts();

}  // namespace portowner
