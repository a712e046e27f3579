#pragma once
// The Producer installer of a model and the registration of the chosen COM port in the
// preferences of the Producer it installed (a registry key or the cassette printers' INI
// file, as the model table says).

#include <string>

// Full path of the model's Producer installer: the program's directory, "setup\producer\",
// then the model table's sub-path.
std::string InstallerPath(const std::string& model);

// Full path of the cassette printers' config.ini below the all-users application data folder.
std::string CassetteConfigPath();

// Writes `port` as "PortName" in section "Send" of the model's preferences store (and, for
// the INI file, `model` as "Model" in section "Printer"). Stops at the first failure, keeping
// what was written before it; true only when everything was written.
bool RegisterComPort(const std::string& model, const std::string& port);
