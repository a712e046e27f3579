#include "pages/producer/PortRegistration.h"

#include <exception>

#include "host/IniFile.h"
#include "host/Paths.h"
#include "host/Registry.h"
#include "pages/model/ModelTable.h"

namespace {

bool RegisterInRegistry(const std::string& key, const std::string& port) {
    try {
        // A key that cannot be opened or created counts as a failure too: nothing could be
        // written below it.
        reg::CreateKey(reg::Root::CurrentUser, key);
        reg::WriteString(reg::Root::CurrentUser, key + "\\Send", "PortName", port);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

bool RegisterInIniFile(const std::string& model, const std::string& port) {
    const std::string path = CassetteConfigPath();
    EnsureFileDirectory(path);
    return WriteIniString(path, "Send", "PortName", port) &&
           WriteIniString(path, "Printer", "Model", model);
}

}  // namespace

std::string InstallerPath(const std::string& model) {
    return ProgramDirectory() + NativePath("setup\\producer\\" + models::InstallerSubPath(model));
}

std::string CassetteConfigPath() {
    return CommonAppDataPath() + NativePath(models::kCassetteIniSubPath);
}

bool RegisterComPort(const std::string& model, const std::string& port) {
    const models::PreferencesStore store = models::PreferencesStoreFor(model);
    if (store.kind == models::PreferencesStore::Kind::IniFile) {
        return RegisterInIniFile(model, port);
    }
    return RegisterInRegistry(store.key, port);
}
