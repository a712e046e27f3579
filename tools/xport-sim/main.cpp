// vormatic-xport-sim: XPort modules on loopback (or in a network namespace made for it).
//
// One UDP socket on the protocol port serves every module: a datagram for one module's
// address is that module's, any other (the limited broadcast, a subnet broadcast, a query
// address a test chose) is for all. Replies leave from the module's own address (IP_PKTINFO).
// Each module that is up listens on TCP 9999 (its set-up menu) and 10001 (the serial tunnel
// to its printer) at its current address. Options: see kXportSimUsage.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <csignal>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "tools/printer-sim/PrinterLine.h"
#include "tools/xport-sim/SimConfig.h"
#include "tools/xport-sim/TelnetMenu.h"
#include "xport/XportDatagrams.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::uint16_t kTelnetPort = xport::kTelnetSetupPort;
constexpr std::uint16_t kTunnelPort = xport::kSerialTunnelPort;
constexpr int kDropAfterAnswers = 3;
constexpr int kSplitPauseMs = 10;        // before the last byte of a piece cut with split-last
constexpr std::size_t kRandomPiece = 8;  // the longest piece of a random cut
constexpr std::size_t kFloodChunk = std::size_t{64} * 1024;

int g_stopPipe[2] = {-1, -1};

void OnSignal(int) {
    const char c = 's';
    const ssize_t ignored = ::write(g_stopPipe[1], &c, 1);
    static_cast<void>(ignored);
}

struct Module {
    ModuleConfig config;
    AddressValue address = 0;
    AddressValue mask = 0;
    AddressValue gateway = 0;
    std::string addressing = "initial";
    SerialSide serial;
    std::string terminal;
    bool up = true;
    Clock::time_point upAt{};
    AddressValue nextAddress = 0;
    int telnetListener = -1;
    int tunnelListener = -1;
    unsigned queries = 0;
    unsigned setupRecords = 0;
    unsigned ipSetups = 0;
    unsigned telnetSessions = 0;
    long long flooded = 0;    // bytes of a telnet-flood-* fault that went out
    unsigned enters = 0;      // CRs the set-up menu was typed, over all its sessions
    std::string telnetClose;  // how the last set-up session ended: fin, reset, or empty
};

struct Connection {
    int fd = -1;
    bool closing = false;  // the module has hung up and waits for the client to go
    std::size_t module = 0;
    bool telnet = false;
    std::unique_ptr<TelnetMenu> menu;
    FrameReader frames;
};

int Listen(AddressValue address, std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(port);
    at.sin_addr.s_addr = address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 || ::listen(fd, 8) != 0) {
        std::fprintf(stderr, "cannot listen on %s:%u: %s\n", FormatAddress(address).c_str(), port,
                     std::strerror(errno));
        ::close(fd);
        return -1;
    }
    return fd;
}

bool SendAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EAGAIN) {
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, 100);
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool IsFlood(ModuleFault fault) {
    return fault == ModuleFault::kFloodText || fault == ModuleFault::kFloodCr ||
           fault == ModuleFault::kFloodSub;
}

class Simulator {
public:
    explicit Simulator(SimConfig config)
        : config_(std::move(config)), cutRandom_(config_.cut.seed) {
        for (const ModuleConfig& m : config_.modules) {
            Module module;
            module.config = m;
            module.address = m.address;
            modules_.push_back(module);
        }
    }

    bool Open() {
        udp_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        const int on = 1;
        ::setsockopt(udp_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        ::setsockopt(udp_, IPPROTO_IP, IP_PKTINFO, &on, sizeof on);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_port = htons(config_.port);
        at.sin_addr.s_addr = htonl(INADDR_ANY);
        if (::bind(udp_, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0) {
            std::fprintf(stderr, "cannot bind UDP port %u: %s\n", config_.port,
                         std::strerror(errno));
            return false;
        }
        for (Module& m : modules_) {
            if (!ComeUp(m)) {
                return false;
            }
        }
        WriteStatus();
        return true;
    }

    void Run() {
        for (;;) {
            std::vector<pollfd> fds{{g_stopPipe[0], POLLIN, 0}, {udp_, POLLIN, 0}};
            if (config_.stdinEofExit) {
                fds.push_back({0, POLLIN, 0});
            }
            const std::size_t fixed = fds.size();
            for (const Module& m : modules_) {
                fds.push_back({m.telnetListener, POLLIN, 0});
                fds.push_back({m.tunnelListener, POLLIN, 0});
            }
            for (const Connection& c : connections_) {
                fds.push_back({c.fd, POLLIN, 0});
            }
            if (::poll(fds.data(), fds.size(), NextTimeoutMs()) < 0 && errno != EINTR) {
                return;
            }
            if (fds[0].revents != 0) {
                return;
            }
            if (config_.stdinEofExit && fds[2].revents != 0) {
                char buffer[256];
                if (::read(0, buffer, sizeof buffer) <= 0) {
                    return;
                }
            }
            Wake();
            if ((fds[1].revents & POLLIN) != 0) {
                ReadDatagrams();
            }
            for (std::size_t i = 0; i < modules_.size(); ++i) {
                for (int which = 0; which < 2; ++which) {
                    const pollfd& p = fds[fixed + 2 * i + static_cast<std::size_t>(which)];
                    if (p.fd >= 0 && (p.revents & POLLIN) != 0) {
                        Accept(i, which == 0);
                    }
                }
            }
            const std::size_t first = fixed + 2 * modules_.size();
            for (std::size_t k = first; k < fds.size(); ++k) {
                if (fds[k].revents != 0) {
                    Serve(fds[k].fd);
                }
            }
            Reap();
        }
    }

private:
    bool ComeUp(Module& m) {
        m.up = true;
        if (m.config.fault != ModuleFault::kTelnetRefused) {
            m.telnetListener = Listen(m.address, kTelnetPort);
            if (m.telnetListener < 0) {
                return false;
            }
        }
        m.tunnelListener = Listen(m.address, kTunnelPort);
        return m.tunnelListener >= 0;
    }

    void GoDown(std::size_t index, int milliseconds, AddressValue next) {
        Module& m = modules_[index];
        m.up = false;
        m.upAt = Clock::now() + std::chrono::milliseconds(milliseconds);
        m.nextAddress = next;
        for (int* fd : {&m.telnetListener, &m.tunnelListener}) {
            if (*fd >= 0) {
                ::close(*fd);
                *fd = -1;
            }
        }
        for (Connection& c : connections_) {
            if (c.module == index) {
                ::close(c.fd);
                c.fd = -1;
            }
        }
        std::fprintf(stderr, "module %s restarts, up at %s in %d ms\n",
                     FormatAddress(m.address).c_str(), FormatAddress(next).c_str(), milliseconds);
        WriteStatus();
    }

    void Wake() {
        for (Module& m : modules_) {
            if (!m.up && Clock::now() >= m.upAt) {
                m.address = m.nextAddress;
                if (!ComeUp(m)) {
                    std::fprintf(stderr, "module cannot come up at %s\n",
                                 FormatAddress(m.address).c_str());
                }
                std::fprintf(stderr, "module up at %s\n", FormatAddress(m.address).c_str());
                WriteStatus();
            }
        }
    }

    int NextTimeoutMs() const {
        int timeout = -1;
        for (const Module& m : modules_) {
            if (!m.up) {
                const auto left =
                    std::chrono::duration_cast<std::chrono::milliseconds>(m.upAt - Clock::now());
                const int ms = static_cast<int>(std::max<long long>(0, left.count()) + 1);
                timeout = timeout < 0 ? ms : std::min(timeout, ms);
            }
        }
        return timeout;
    }

    // The address a set-up gives: 0.0.0.0 and 0.0.4.0 mean DHCP.
    AddressValue Assigned(const Module& m, AddressValue requested, bool* dhcp) const {
        *dhcp = requested == 0 || requested == xport::SetupAddress(0);
        if (!*dhcp) {
            return requested;
        }
        return m.config.dhcp != 0 ? m.config.dhcp : m.address;
    }

    void ReadDatagrams() {
        for (;;) {
            std::uint8_t data[2048];
            sockaddr_in from{};
            iovec io{data, sizeof data};
            alignas(cmsghdr) char control[256];
            msghdr message{};
            message.msg_name = &from;
            message.msg_namelen = sizeof from;
            message.msg_iov = &io;
            message.msg_iovlen = 1;
            message.msg_control = control;
            message.msg_controllen = sizeof control;
            const ssize_t n = ::recvmsg(udp_, &message, MSG_DONTWAIT);
            if (n < 0) {
                return;
            }
            AddressValue to = 0;
            for (cmsghdr* c = CMSG_FIRSTHDR(&message); c != nullptr; c = CMSG_NXTHDR(&message, c)) {
                if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
                    in_pktinfo info{};
                    std::memcpy(&info, CMSG_DATA(c), sizeof info);
                    to = info.ipi_addr.s_addr;
                }
            }
            Datagram(data, static_cast<std::size_t>(n), from, to);
        }
    }

    void Datagram(const std::uint8_t* data, std::size_t size, const sockaddr_in& from,
                  AddressValue to) {
        const std::uint8_t code = size >= 4 ? data[3] : 0;
        std::fprintf(stderr, "datagram %s -> %s: %zu bytes, code %02X\n",
                     FormatAddress(from.sin_addr.s_addr).c_str(), FormatAddress(to).c_str(), size,
                     code);
        std::vector<std::size_t> targets;
        for (std::size_t i = 0; i < modules_.size(); ++i) {
            if (modules_[i].up && modules_[i].address == to) {
                targets.push_back(i);
            }
        }
        if (targets.empty()) {
            for (std::size_t i = 0; i < modules_.size(); ++i) {
                if (modules_[i].up) {
                    targets.push_back(i);
                }
            }
        }
        for (const std::size_t i : targets) {
            Module& m = modules_[i];
            if (code == xport::kQuery && size >= 4) {
                ++m.queries;
                Answer(m, from);
            } else if (code == xport::kSetupRecord && size >= 33 && m.address == to) {
                ++m.setupRecords;
                if (m.config.fault == ModuleFault::kNoAck) {
                    continue;
                }
                Send(m, from, std::string("\0\0\0\xFB", 4));
                AddressValue requested = 0;
                std::memcpy(&requested, data + 4, 4);
                bool dhcp = false;
                const AddressValue next = Assigned(m, requested, &dhcp);
                m.addressing = dhcp ? "dhcp" : "static";
                const int hostBits = data[10];
                m.mask = hostBits >= 32 ? 0 : htonl(~((1U << hostBits) - 1U));
                std::memcpy(&m.gateway, data + 16, 4);
                GoDown(i,
                       m.config.fault == ModuleFault::kLateRestart ? config_.lateMs
                                                                   : config_.restartMs,
                       next);
            } else if (code == xport::kIpSetup && size >= 20 &&
                       std::memcmp(data + 4, "IP-SETUP", 8) == 0 && m.config.mac[4] == data[14] &&
                       m.config.mac[5] == data[15]) {
                ++m.ipSetups;
                AddressValue requested = 0;
                std::memcpy(&requested, data + 16, 4);
                bool dhcp = false;
                const AddressValue next = Assigned(m, requested, &dhcp);
                m.addressing = dhcp ? "dhcp" : "static";
                GoDown(i, config_.ipSetupMs, next);
            }
        }
        WriteStatus();
    }

    void Answer(const Module& m, const sockaddr_in& to) {
        std::string reply(xport::kQueryReplyMinimum, '\0');
        reply[3] = static_cast<char>(xport::kQueryReply);
        // Device type and firmware version, as a module fills the bytes before its MAC.
        std::memcpy(&reply[8], "X5\x06\x06", 4);
        std::memcpy(&reply[12], "XPTEXE", 6);
        for (std::size_t k = 0; k < 6; ++k) {
            reply[xport::kMacOffset + k] = static_cast<char>(m.config.mac[k]);
        }
        switch (m.config.fault) {
            case ModuleFault::kSilent:
                return;
            case ModuleFault::kShort:
                reply.resize(29);
                break;
            case ModuleFault::kWrongCode:
                reply[3] = static_cast<char>(0xF5);
                break;
            case ModuleFault::kTiny:
                reply.resize(2);
                break;
            default:
                break;
        }
        Send(m, to, reply);
    }

    void Send(const Module& m, const sockaddr_in& to, const std::string& bytes) {
        if (!MaySendTo(to.sin_addr.s_addr, config_.netns)) {
            std::fprintf(stderr, "refused: a datagram to %s outside loopback without --netns\n",
                         FormatAddress(to.sin_addr.s_addr).c_str());
            return;
        }
        iovec io{const_cast<char*>(bytes.data()), bytes.size()};
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
        msghdr message{};
        message.msg_name = const_cast<sockaddr_in*>(&to);
        message.msg_namelen = sizeof to;
        message.msg_iov = &io;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        cmsghdr* c = CMSG_FIRSTHDR(&message);
        c->cmsg_level = IPPROTO_IP;
        c->cmsg_type = IP_PKTINFO;
        c->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
        in_pktinfo info{};
        info.ipi_spec_dst.s_addr = m.address;  // the reply's source: the module's own address
        std::memcpy(CMSG_DATA(c), &info, sizeof info);
        if (::sendmsg(udp_, &message, 0) < 0) {
            std::fprintf(stderr, "send to %s failed: %s\n",
                         FormatAddress(to.sin_addr.s_addr).c_str(), std::strerror(errno));
        }
    }

    void Accept(std::size_t index, bool telnet) {
        Module& m = modules_[index];
        const int fd = ::accept4(telnet ? m.telnetListener : m.tunnelListener, nullptr, nullptr,
                                 SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            return;
        }
        Connection c;
        c.fd = fd;
        c.module = index;
        c.telnet = telnet;
        if (telnet) {
            ++m.telnetSessions;
            TelnetMenu::Options options;
            options.mac = xport::MacText(m.config.mac.data());
            options.address = FormatAddress(m.address);
            options.serial = m.serial;
            options.unknownPrompt = m.config.fault == ModuleFault::kUnknownPrompt;
            options.dropAfterAnswers =
                m.config.fault == ModuleFault::kTelnetDrop ? kDropAfterAnswers : -1;
            c.menu = std::make_unique<TelnetMenu>(options);
            const int on = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);  // each cut goes out
            if (IsFlood(m.config.fault)) {
                m.flooded = Flood(fd, m.config.fault);
            } else if (m.config.fault != ModuleFault::kTelnetSilent) {
                SendTelnet(fd, c.menu->Start());
            }
            std::fprintf(stderr, "telnet session %u with %s\n", m.telnetSessions,
                         FormatAddress(m.address).c_str());
            WriteStatus();
        }
        connections_.push_back(std::move(c));
    }

    void Serve(int fd) {
        auto it = std::find_if(connections_.begin(), connections_.end(),
                               [fd](const Connection& c) { return c.fd == fd; });
        if (it == connections_.end()) {
            return;
        }
        Connection& c = *it;
        Module& m = modules_[c.module];
        std::uint8_t buffer[1024];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            if (c.telnet) {
                NoteTelnetClose(m, n == 0);
            }
            ::close(fd);
            c.fd = -1;
            return;
        }
        if (c.closing) {
            return;  // the module has hung up: what the client still says is dropped
        }
        const auto size = static_cast<std::size_t>(n);
        if (c.telnet) {
            if (m.config.fault == ModuleFault::kTelnetSilent || IsFlood(m.config.fault)) {
                return;
            }
            m.enters += static_cast<unsigned>(std::count(buffer, buffer + size, '\r'));
            SendTelnet(fd, c.menu->Feed(buffer, size));
            if (!c.menu->TerminalType().empty()) {
                m.terminal = c.menu->TerminalType();
            }
            if (c.menu->Closed()) {
                if (c.menu->Saved()) {
                    m.serial = c.menu->Serial();
                    std::fprintf(stderr, "module %s saved baud %s, I/F mode %s, flow %s\n",
                                 FormatAddress(m.address).c_str(), m.serial.baud.c_str(),
                                 m.serial.ifMode.c_str(), m.serial.flow.c_str());
                }
                // Hang up without a reset: what was said still reaches the client.
                ::shutdown(fd, SHUT_WR);
                c.closing = true;
            }
            WriteStatus();
            return;
        }
        // The tunnel: the printer hears the host only at the serial settings it runs at.
        const bool lineMatches = m.serial == SerialSide{"19200", "4C", "01"};
        SimOptions printer;
        printer.identity = m.config.identity;
        for (std::size_t k = 0; k < size; ++k) {
            if (const std::optional<HostFrame> frame = c.frames.Feed(buffer[k]);
                frame && lineMatches) {
                SendAll(fd, BuildAnswer(*frame, printer));
            }
        }
    }

    // What the module says on its set-up port, cut into segments as --telnet-cut asks; the
    // pause after a piece lets the client read it on its own.
    void SendTelnet(int fd, const std::string& bytes) {
        std::size_t at = 0;
        while (at < bytes.size()) {
            std::size_t piece = bytes.size() - at;
            int pauseMs = 0;
            switch (config_.cut.mode) {
                case TelnetCut::Mode::kWhole:
                    break;
                case TelnetCut::Mode::kSplitLast:
                    piece = piece > 1 ? piece - 1 : piece;
                    pauseMs = kSplitPauseMs;
                    break;
                case TelnetCut::Mode::kDrip:
                    piece = 1;
                    pauseMs = config_.cut.ms;
                    break;
                case TelnetCut::Mode::kRandom:
                    piece = std::min<std::size_t>(piece, 1 + cutRandom_() % kRandomPiece);
                    pauseMs = 1 + static_cast<int>(cutRandom_() % 3);
                    break;
            }
            if (!SendAll(fd, bytes.substr(at, piece))) {
                return;
            }
            at += piece;
            if (at < bytes.size() && pauseMs > 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
            }
        }
    }

    // A module gone wrong floods the client with --flood-bytes of one kind; returns how many
    // went out before the client left.
    long long Flood(int fd, ModuleFault fault) {
        std::string chunk(kFloodChunk, '\r');
        if (fault != ModuleFault::kFloodCr) {
            const std::string_view text = "abcdefghijklmnopqrstuvwxyz0123456789 ";
            for (std::size_t k = 0; k < chunk.size(); ++k) {
                chunk[k] = text[k % text.size()];
            }
        }
        // IAC SB TTYPE, and then no IAC SE ever.
        if (fault == ModuleFault::kFloodSub && !SendAll(fd, "\xFF\xFA\x18")) {
            return 0;
        }
        long long sent = 0;
        while (sent < config_.floodBytes) {
            const auto n = static_cast<std::size_t>(std::min<long long>(
                config_.floodBytes - sent, static_cast<long long>(kFloodChunk)));
            if (!SendAll(fd, chunk.substr(0, n))) {
                break;
            }
            sent += static_cast<long long>(n);
        }
        std::fprintf(stderr, "flooded %lld bytes\n", sent);
        return sent;
    }

    // How the client ended a set-up session: an orderly close (FIN) or a reset (RST), which a
    // client sends when it closes with the module's words still unread.
    void NoteTelnetClose(Module& m, bool orderly) {
        m.telnetClose = orderly ? "fin" : "reset";
        std::fprintf(stderr, "telnet client of %s %s\n", FormatAddress(m.address).c_str(),
                     orderly ? "closed the connection" : "reset the connection");
        WriteStatus();
    }

    void Reap() {
        connections_.erase(std::remove_if(connections_.begin(), connections_.end(),
                                          [](const Connection& c) { return c.fd < 0; }),
                           connections_.end());
    }

    void WriteStatus() const {
        if (config_.statusPath.empty()) {
            return;
        }
        const std::string temporary = config_.statusPath + ".new";
        {
            std::ofstream out(temporary, std::ios::trunc);
            for (std::size_t i = 0; i < modules_.size(); ++i) {
                const Module& m = modules_[i];
                const std::string p = "module." + std::to_string(i) + ".";
                out << p << "address=" << FormatAddress(m.up ? m.address : m.nextAddress) << "\n"
                    << p << "up=" << (m.up ? "yes" : "no") << "\n"
                    << p << "mac=" << xport::MacText(m.config.mac.data()) << "\n"
                    << p << "addressing=" << m.addressing << "\n"
                    << p << "mask=" << FormatAddress(m.mask) << "\n"
                    << p << "gateway=" << FormatAddress(m.gateway) << "\n"
                    << p << "baud=" << m.serial.baud << "\n"
                    << p << "ifmode=" << m.serial.ifMode << "\n"
                    << p << "flow=" << m.serial.flow << "\n"
                    << p << "terminal=" << m.terminal << "\n"
                    << p << "queries=" << m.queries << "\n"
                    << p << "setup_records=" << m.setupRecords << "\n"
                    << p << "ip_setups=" << m.ipSetups << "\n"
                    << p << "telnet_sessions=" << m.telnetSessions << "\n"
                    << p << "flooded=" << m.flooded << "\n"
                    << p << "enters=" << m.enters << "\n"
                    << p << "telnet_close=" << m.telnetClose << "\n";
            }
        }
        std::rename(temporary.c_str(), config_.statusPath.c_str());
    }

    SimConfig config_;
    std::vector<Module> modules_;
    std::vector<Connection> connections_;
    int udp_ = -1;
    std::mt19937 cutRandom_;
};

}  // namespace

int main(int argc, char** argv) {
    SimConfig config;
    std::string error;
    if (!ParseSimConfig(argc, argv, &config, &error)) {
        std::fprintf(stderr, "%s\n%s", error.c_str(), kXportSimUsage);
        return 2;
    }
    if (::pipe2(g_stopPipe, O_CLOEXEC) != 0) {
        return 1;
    }
    struct sigaction action {};
    action.sa_handler = OnSignal;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        ::sigaction(signal, &action, nullptr);
    }
    ::signal(SIGPIPE, SIG_IGN);
    Simulator simulator(config);
    if (!simulator.Open()) {
        return 1;
    }
    std::printf("ready udp=%u\n", config.port);
    std::fflush(stdout);
    simulator.Run();
    return 0;
}
