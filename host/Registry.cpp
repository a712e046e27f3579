// The parts of the registry seam that both backends share.
#include "host/Registry.h"

namespace reg {

const char* RootName(Root root) {
    switch (root) {
        case Root::CurrentUser:
            return "HKEY_CURRENT_USER";
        case Root::LocalMachine:
            return "HKEY_LOCAL_MACHINE";
        case Root::ClassesRoot:
            return "HKEY_CLASSES_ROOT";
    }
    return "HKEY_CURRENT_USER";
}

std::string RootedKeyPath(Root root, const std::string& key) {
    return key.empty() ? std::string(RootName(root)) : std::string(RootName(root)) + "\\" + key;
}

}  // namespace reg
