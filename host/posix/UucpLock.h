#pragma once
// UUCP lock files: the convention by which terminal programs and modem daemons claim a serial
// device without flock(). A file "LCK.." plus the device's name in the lock folder holds the
// pid of the owner, as ten ASCII columns (HDB style) or as a binary int (old style).

#include <string>
#include <vector>

namespace uucp {

// The lock folders: $VORMATIC_UUCP_LOCK_DIRS (colon-separated; tests point it at a folder of
// their own) or else /run/lock and /var/lock.
std::vector<std::string> LockFolders();

// The names under which a program may have locked `devicePath`: "LCK.." plus the last part of
// the path, and plus the path below /dev with "/" as "_" (pts/3 gives LCK..pts_3); each for
// the path as given and for the device a symbolic link leads to.
std::vector<std::string> LockFileNames(const std::string& devicePath);

// True when a lock file of the device names a process that is alive. Stale locks (a dead pid,
// or a file that holds no pid) do not count.
bool HeldByAnotherProcess(const std::string& devicePath);

}  // namespace uucp
