#pragma once
// A bridge's entry in the emulated HKLM "HARDWARE\DEVICEMAP\SERIALCOMM" key, where a virtual
// port driver adds itself on Windows: the value name "\Device\VormaticCpr<N>" (N the number
// of the pseudo-terminal), the port's device path as data. The bridge registers it as the
// value's owner (portowner::OwnedPort). Registry failures raise reg::RegistryError.

#include <string>

// "\Device\VormaticCpr7" for "/dev/pts/7".
std::string CprValueName(const std::string& devicePath);

// Removes every redirector value whose data is `devicePath` (also one left behind by a bridge
// that was killed); other values, whoever registered them, stay.
void UnregisterCprPort(const std::string& devicePath);

// True when a redirector value names `devicePath`.
bool IsCprPortRegistered(const std::string& devicePath);
