// Stand-in for the COM Port Redirector's manager (CprManager.exe) on the Windows demo CD. The
// real manager is where the user adds a virtual port for the printer's address; this one logs
// that it ran and, for unattended runs, registers the port that VORMATIC_DEMO_CPR_PORT names
// ("COM8=DEVICE": under Wine DEVICE is the Unix path of a bridge to the printer's TCP port).

#include <cstdio>
#include <string>

#include "host/Paths.h"
#include "tools/win-standins/StandIn.h"

int main() {
    const std::string self = ProgramPath();
    const std::string request = standin::Environment("VORMATIC_DEMO_CPR_PORT");
    const std::string::size_type equals = request.find('=');
    if (request.empty()) {
        standin::AppendLog("COM Port Redirector manager started by " + self);
        standin::WaitForInstallation();
        return 0;
    }
    if (equals == std::string::npos || equals == 0 || equals + 1 == request.size()) {
        std::fprintf(stderr, "CprManager: VORMATIC_DEMO_CPR_PORT is not COMn=DEVICE: %s\n",
                     request.c_str());
        return 2;
    }
    const std::string port = request.substr(0, equals);
    const std::string device = request.substr(equals + 1);
    const std::string failure = standin::RegisterPort(port, device, "\\Device\\VormaticCpr0");
    if (!failure.empty()) {
        standin::AppendLog("COM Port Redirector manager could not add " + port + ": " + failure);
        std::fprintf(stderr, "CprManager: %s\n", failure.c_str());
        return 1;
    }
    standin::AppendLog("COM Port Redirector manager started by " + self + "; added " + port + " (" +
                       device + ")");
    return 0;
}
