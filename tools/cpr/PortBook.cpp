#include "tools/cpr/PortBook.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "host/FileIo.h"
#include "host/posix/FileAccess.h"
#include "host/posix/XdgConfig.h"
#include "tools/cpr/Endpoint.h"

namespace {

constexpr char kHeader[] =
    "# Virtual ports of the stand-in COM port redirector: "
    "device, host, TCP port, bridge pid, bridge start time\n";

std::string BookPath(const std::string& folder) {
    return folder + "/ports";
}

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::string::size_type start = 0;
    for (;;) {
        const std::string::size_type tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? tab : tab - start));
        if (tab == std::string::npos) {
            return fields;
        }
        start = tab + 1;
    }
}

bool ParseNumber(const std::string& text, unsigned long long* value) {
    if (text.empty() || text.size() > 19 || text.find_first_not_of("0123456789") != text.npos) {
        return false;
    }
    *value = std::strtoull(text.c_str(), nullptr, 10);
    return true;
}

}  // namespace

std::string CprStateFolder() {
    const std::string configHome = xdg::ConfigHome();
    return configHome.empty() ? std::string() : configHome + "/vormatic-cpr";
}

std::string FormatPorts(const std::vector<CprPort>& ports) {
    std::ostringstream text;
    text << kHeader;
    for (const CprPort& port : ports) {
        text << port.device << '\t' << port.host << '\t' << port.tcpPort << '\t' << port.pid << '\t'
             << port.started << '\n';
    }
    return text.str();
}

std::vector<CprPort> ParsePorts(const std::string& text) {
    std::vector<CprPort> ports;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const std::vector<std::string> fields = SplitTabs(line);
        CprPort port;
        unsigned long long pid = 0;
        if (fields.size() != 5 || fields[0].empty() || fields[0].front() != '/' ||
            !IsValidHost(fields[1]) || !ParseTcpPort(fields[2], &port.tcpPort) ||
            !ParseNumber(fields[3], &pid) || pid == 0 || pid > 0x7FFFFFFF ||
            !ParseNumber(fields[4], &port.started)) {
            continue;  // the header, a blank line, or a line damaged by hand
        }
        port.device = fields[0];
        port.host = fields[1];
        port.pid = static_cast<long>(pid);
        ports.push_back(port);
    }
    return ports;
}

PortBookLock::PortBookLock(const std::string& folder) {
    if (folder.empty()) {
        error_ = "no configuration folder is known (set XDG_CONFIG_HOME or HOME)";
        return;
    }
    if (!fileaccess::MakeDirectories(folder, error_)) {
        return;
    }
    const std::string path = folder + "/ports.lock";
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    int result = fd_ < 0 ? -1 : ::flock(fd_, LOCK_EX);
    while (result != 0 && fd_ >= 0 && errno == EINTR) {
        result = ::flock(fd_, LOCK_EX);
    }
    if (result != 0) {
        error_ = "cannot lock " + path + ": " + std::strerror(errno);
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
}

PortBookLock::~PortBookLock() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool LoadPorts(const std::string& folder, std::vector<CprPort>* ports, std::string* error) {
    std::string content;
    bool missing = false;
    if (!fileaccess::ReadFile(BookPath(folder), content, missing, *error)) {
        if (!missing) {
            return false;
        }
        content.clear();
        error->clear();
    }
    *ports = ParsePorts(content);
    return true;
}

bool SavePorts(const std::string& folder, const std::vector<CprPort>& ports, std::string* error) {
    const std::string path = BookPath(folder);
    if (!ReplaceFileAtomically(path, FormatPorts(ports))) {
        *error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}
