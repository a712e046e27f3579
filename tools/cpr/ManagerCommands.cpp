#include "tools/cpr/ManagerCommands.h"

#include <string>
#include <vector>

#include "tools/cpr/CprControl.h"
#include "tools/cpr/Endpoint.h"

const char* const kManagerUsage =
    "usage: vormatic-cpr-manager                     the manager window\n"
    "       vormatic-cpr-manager --add HOST PORT     add a virtual port; prints its device\n"
    "       vormatic-cpr-manager --list              DEVICE, HOST, PORT, running|stopped\n"
    "       vormatic-cpr-manager --remove DEVICE     remove one virtual port\n"
    "       vormatic-cpr-manager --remove-all        remove every virtual port\n"
    "Without arguments and with VORMATIC_DEMO_CPR_ADD=HOST:PORT set, it adds that port and\n"
    "exits without a window.\n";

namespace {

constexpr const char kName[] = "vormatic-cpr-manager: ";

int Add(const std::string& host, int tcpPort, std::ostream& out, std::ostream& err) {
    CprPort port;
    std::string error;
    if (!AddCprPort(host, tcpPort, &port, &error)) {
        err << kName << error << '\n';
        return 1;
    }
    out << port.device << std::endl;
    return 0;
}

int List(std::ostream& out, std::ostream& err) {
    std::vector<CprPortStatus> ports;
    std::string error;
    if (!ListCprPorts(&ports, &error)) {
        err << kName << error << '\n';
        return 1;
    }
    for (const CprPortStatus& status : ports) {
        out << status.port.device << '\t' << status.port.host << '\t' << status.port.tcpPort << '\t'
            << (status.running ? "running" : "stopped") << '\n';
    }
    out.flush();
    return 0;
}

int Usage(std::ostream& err, const std::string& problem) {
    err << kName << problem << '\n' << kManagerUsage;
    return 2;
}

}  // namespace

int RunManagerCommand(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const std::string& command = args.front();
    std::string error;
    if (command == "--add" && args.size() == 3) {
        int tcpPort = 0;
        if (!IsValidHost(args[1])) {
            return Usage(err, "not a host name or address: " + args[1]);
        }
        if (!ParseTcpPort(args[2], &tcpPort)) {
            return Usage(err, "not a TCP port (1 to 65535): " + args[2]);
        }
        return Add(args[1], tcpPort, out, err);
    }
    if (command == "--list" && args.size() == 1) {
        return List(out, err);
    }
    if (command == "--remove" && args.size() == 2) {
        if (!RemoveCprPort(args[1], &error)) {
            err << kName << error << '\n';
            return 1;
        }
        return 0;
    }
    if (command == "--remove-all" && args.size() == 1) {
        int removed = 0;
        if (!RemoveAllCprPorts(&removed, &error)) {
            err << kName << error << '\n';
            return 1;
        }
        return 0;
    }
    if (command == "--help" || command == "-h") {
        out << kManagerUsage;
        return 0;
    }
    return Usage(err, "unknown command line");
}

int RunDemoAdd(const char* hostAndPort, std::ostream& out, std::ostream& err) {
    std::string host;
    int tcpPort = 0;
    if (!ParseHostAndPort(hostAndPort, &host, &tcpPort)) {
        err << kName << "VORMATIC_DEMO_CPR_ADD must be HOST:PORT, not \"" << hostAndPort << "\"\n";
        return 2;
    }
    return Add(host, tcpPort, out, err);
}
