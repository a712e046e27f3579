// The XPort module simulator: its command line, its set-up menu walked by the wizard's own
// telnet rules, and the real process answering datagrams and connections on loopback.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "tests/unit/TempDir.h"
#include "tools/printer-sim/PrinterLine.h"
#include "tools/xport-sim/SimConfig.h"
#include "tools/xport-sim/TelnetMenu.h"
#include "xport/TelnetDialogue.h"
#include "xport/XportDatagrams.h"

extern char** environ;

namespace {

// This process's own loopback subnet, so that parallel runs never meet.
std::string Net(int host) {
    return "127.91." + std::to_string(1 + ::getpid() % 250) + "." + std::to_string(host);
}

// The wizard's side of the menu: its rules answer what the module says, as its client sends
// it (Enter as CR LF until the module's first telnet command, then CR).
struct WizardSide {
    std::string text;
    bool menuChosen = false;
    bool sawCommand = false;
    int progress = 0;
    bool closed = false;

    // One read: its text is collected first, then one step runs per segment, as the
    // wizard's posted steps run after its data event.
    std::string Hear(const std::string& bytes) {
        std::string reply;
        std::string data;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (static_cast<unsigned char>(bytes[i]) != 255) {
                data += bytes[i];
                continue;
            }
            sawCommand = true;
            // DO TTYPE and SB TTYPE SEND are answered as the wizard's client does.
            if (bytes.compare(i, 3, "\xFF\xFD\x18") == 0) {
                reply += "\xFF\xFB\x18";
            } else if (bytes.compare(i, 6, "\xFF\xFA\x18\x01\xFF\xF0") == 0) {
                reply += std::string("\xFF\xFA\x18\x00", 4) + "dumb\xFF\xF0";
            }
            i += i + 1 < bytes.size() && bytes[i + 1] == '\xFA' ? 5 : 2;
        }
        const auto segments = xport::SplitTelnetSegments(data);
        for (const auto& segment : segments) {
            text += segment.text;
        }
        for (std::size_t k = 0; k < segments.size(); ++k) {
            reply += Step();
        }
        return reply;
    }
    std::string Step() {
        const xport::TelnetStep step = xport::DecideTelnetStep(text, menuChosen);
        if (step.rule == xport::TelnetStep::Rule::None) {
            return {};
        }
        menuChosen = menuChosen || step.chooseMenu;
        text.clear();
        progress += step.stepProgress ? 1 : 0;
        closed = step.close;
        std::string keys;
        for (const char k : step.keys) {
            keys += k == xport::kEnter ? (sawCommand ? "\r" : "\r\n") : std::string(1, k);
        }
        return keys;
    }
};

// Runs the menu against the wizard's rules until one of them stops.
void Converse(TelnetMenu& menu, WizardSide& wizard) {
    std::string said = menu.Start();
    for (int round = 0; round < 200 && !menu.Closed() && !said.empty(); ++round) {
        const std::string reply = wizard.Hear(said);
        said = menu.Feed(reinterpret_cast<const std::uint8_t*>(reply.data()), reply.size());
    }
}

class SimProcess {
public:
    explicit SimProcess(std::vector<std::string> arguments) {
        port_ = static_cast<std::uint16_t>(20000 + (::getpid() * 7) % 30000);
        arguments.insert(arguments.begin(),
                         {"--port", std::to_string(port_), "--status", dir_.path() + "/status",
                          "--restart-ms", "100", "--ip-setup-ms", "100"});
        const std::string binary = VORMATIC_BUILD_DIR "/tools/vormatic-xport-sim";
        std::vector<char*> argv{const_cast<char*>(binary.c_str())};
        for (std::string& a : arguments) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        int out[2];
        if (::pipe(out) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        ::posix_spawn(&pid_, binary.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        pollfd p{out[0], POLLIN, 0};
        char line[64] = {};
        if (::poll(&p, 1, 5000) > 0 && ::read(out[0], line, sizeof line - 1) > 0) {
            ready_ = std::string(line).rfind("ready", 0) == 0;
        }
        ::close(out[0]);
    }
    ~SimProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    bool Ready() const { return ready_; }
    std::uint16_t Port() const { return port_; }
    std::map<std::string, std::string> Status() const {
        std::map<std::string, std::string> status;
        std::ifstream in(dir_.path() + "/status");
        for (std::string line; std::getline(in, line);) {
            const std::size_t eq = line.find('=');
            if (eq != std::string::npos) {
                status[line.substr(0, eq)] = line.substr(eq + 1);
            }
        }
        return status;
    }
    // Waits until the status says `key` is `value`.
    bool Await(const std::string& key, const std::string& value) const {
        for (int i = 0; i < 200; ++i) {
            if (Status()[key] == value) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

private:
    TempDir dir_;
    pid_t pid_ = -1;
    std::uint16_t port_ = 0;
    bool ready_ = false;
};

sockaddr_in At(const std::string& address, std::uint16_t port) {
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(port);
    at.sin_addr.s_addr = ParseAddress(address);
    return at;
}

// A UDP client on loopback: sends a datagram and collects the answers within `ms`.
std::vector<std::pair<std::string, std::string>> Exchange(const std::string& to, std::uint16_t port,
                                                          const std::string& datagram,
                                                          int ms = 300) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in target = At(to, port);
    ::sendto(fd, datagram.data(), datagram.size(), 0, reinterpret_cast<sockaddr*>(&target),
             sizeof target);
    std::vector<std::pair<std::string, std::string>> answers;
    pollfd p{fd, POLLIN, 0};
    while (::poll(&p, 1, ms) > 0) {
        char buffer[256];
        sockaddr_in from{};
        socklen_t length = sizeof from;
        const ssize_t n =
            ::recvfrom(fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
        answers.emplace_back(
            FormatAddress(from.sin_addr.s_addr),
            std::string(buffer, static_cast<std::size_t>(std::max<ssize_t>(n, 0))));
    }
    ::close(fd);
    return answers;
}

int Connect(const std::string& address, std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in target = At(address, port);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&target), sizeof target) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::string ReadSome(int fd, int ms = 300) {
    std::string got;
    pollfd p{fd, POLLIN, 0};
    while (::poll(&p, 1, ms) > 0) {
        char buffer[2048];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            break;
        }
        got.append(buffer, static_cast<std::size_t>(n));
        ms = 50;
    }
    return got;
}

std::string Identify(const std::string& address) {
    const int fd = Connect(address, xport::kSerialTunnelPort);
    if (fd < 0) {
        return "<no tunnel>";
    }
    const std::string frame = std::string("\x01V\x02\x03") + Checksum('V', "") + "\r";
    ::send(fd, frame.data(), frame.size(), 0);
    const std::string answer = ReadSome(fd);
    ::close(fd);
    return answer;
}

}  // namespace

TEST(XportSimConfig, ModulesFaultsAndTheLoopbackRule) {
    SimConfig config;
    std::string error;
    const char* ok[] = {"sim", "--module", "127.5.6.7,dhcp=127.5.6.8,fault=no-ack", "--module",
                        "127.5.6.9,mac=00:11:22:33:44:55,identity=MZ4-B x"};
    ASSERT_TRUE(ParseSimConfig(5, ok, &config, &error)) << error;
    ASSERT_EQ(config.modules.size(), 2U);
    EXPECT_EQ(config.modules[0].fault, ModuleFault::kNoAck);
    EXPECT_EQ(FormatAddress(config.modules[0].dhcp), "127.5.6.8");
    EXPECT_NE(config.modules[0].mac, config.modules[1].mac);
    EXPECT_EQ(config.modules[1].mac[5], 0x55);
    EXPECT_EQ(config.modules[1].identity, "MZ4-B x");

    const std::vector<std::vector<const char*>> refused = {
        {"sim"},
        {"sim", "--module", "10.0.0.5"},  // off loopback without --netns
        {"sim", "--module", "127.0.0.5,dhcp=192.168.1.9"},
        {"sim", "--module", "127.0.0.5,fault=sometimes"},
        {"sim", "--module", "127.1"},
        {"sim", "--port", "0", "--module", "127.0.0.5"},
        {"sim", "--telnet-cut", "drip:", "--module", "127.0.0.5"},
        {"sim", "--telnet-cut", "whole:3", "--module", "127.0.0.5"},
        {"sim", "--telnet-cut", "sliced:3", "--module", "127.0.0.5"},
    };
    for (const auto& args : refused) {
        SimConfig c;
        EXPECT_FALSE(ParseSimConfig(static_cast<int>(args.size()), args.data(), &c, &error))
            << args.back();
    }
    const char* inNamespace[] = {"sim", "--netns", "--module", "10.0.0.5"};
    SimConfig c;
    EXPECT_TRUE(ParseSimConfig(4, inNamespace, &c, &error)) << error;
    const char* randomCuts[] = {"sim", "--telnet-cut", "random:7", "--module", "127.0.0.5"};
    ASSERT_TRUE(ParseSimConfig(5, randomCuts, &c, &error)) << error;
    EXPECT_EQ(c.cut.mode, TelnetCut::Mode::kRandom);
    EXPECT_EQ(c.cut.seed, 7U);

    EXPECT_TRUE(MaySendTo(ParseAddress("127.0.0.1"), false));
    EXPECT_TRUE(MaySendTo(ParseAddress("127.255.255.255"), false));
    EXPECT_FALSE(MaySendTo(ParseAddress("255.255.255.255"), false));
    EXPECT_FALSE(MaySendTo(ParseAddress("192.168.1.255"), false));
    EXPECT_TRUE(MaySendTo(ParseAddress("10.0.0.5"), true));
}

TEST(XportSimMenu, TheWizardsRulesSetTheSerialSide) {
    TelnetMenu menu({"00:20:4A:01:02:03", "127.0.0.9", {}, false, -1});
    WizardSide wizard;
    Converse(menu, wizard);
    EXPECT_TRUE(menu.Closed());
    EXPECT_TRUE(menu.Saved());
    EXPECT_TRUE(wizard.closed);
    EXPECT_EQ(menu.Serial(), (SerialSide{"19200", "4C", "01"}));
    EXPECT_EQ(menu.TerminalType(), "dumb");
    EXPECT_EQ(wizard.progress, 15);  // the wizard's progress bar ends full
}

TEST(XportSimMenu, FaultsStopTheDialogue) {
    TelnetMenu odd({"00:20:4A:01:02:03", "127.0.0.9", {}, true, -1});
    WizardSide wizard;
    Converse(odd, wizard);
    EXPECT_FALSE(odd.Closed());  // the wizard never recognises the prompt
    EXPECT_FALSE(wizard.menuChosen);

    TelnetMenu dropping({"00:20:4A:01:02:03", "127.0.0.9", {}, false, 3});
    WizardSide second;
    Converse(dropping, second);
    EXPECT_TRUE(dropping.Closed());
    EXPECT_FALSE(dropping.Saved());
    EXPECT_EQ(second.progress, 3);

    // A value a module refuses is asked for again; "8" leaves without saving.
    TelnetMenu strict({"00:20:4A:01:02:03", "127.0.0.9", {}, false, -1});
    std::string said = strict.Start();
    const auto type = [&strict](const std::string& line) {
        return strict.Feed(reinterpret_cast<const std::uint8_t*>(line.data()), line.size());
    };
    type("\r\n");
    EXPECT_NE(type("1\r").find("Baudrate (9600) ? "), std::string::npos);
    EXPECT_NE(type("fast\r").find("Baudrate (9600) ? "), std::string::npos);
    EXPECT_NE(type("38400\r").find("I/F Mode (4C) ? "), std::string::npos);
    for (int i = 0; i < 18; ++i) {
        type("\r");
    }
    EXPECT_EQ(strict.Serial().baud, "38400");
    type("8\r");
    EXPECT_TRUE(strict.Closed());
    EXPECT_FALSE(strict.Saved());
}

std::string Iac(std::uint8_t verb, std::uint8_t option) {
    return std::string{'\xFF', static_cast<char>(verb), static_cast<char>(option)};
}

// The menu as a telnet server for a person's client: each row is a conversation after the
// module's greeting, each step what the client sends and exactly what the module answers.
TEST(XportSimMenu, NegotiatesEchoesAndRefusesAsATelnetServer) {
    constexpr std::uint8_t kWill = 251, kWont = 252, kDo = 253, kDont = 254;
    constexpr std::uint8_t kEcho = 1, kSga = 3, kTtype = 24, kNaws = 31;
    const std::string sendTtype("\xFF\xFA\x18\x01\xFF\xF0", 6);
    using Step = std::pair<std::string, std::string>;  // sent, heard
    const std::vector<std::pair<const char*, std::vector<Step>>> rows = {
        {"options it does not support are refused, their refusals not answered",
         {{Iac(kDo, kNaws), Iac(kWont, kNaws)},
          {Iac(kWill, kNaws), Iac(kDont, kNaws)},
          {Iac(kDont, kNaws), ""},
          {Iac(kWont, kNaws), ""}}},
        {"what it offered, agreed: echo until the client says DONT ECHO",
         {{Iac(kDo, kEcho) + Iac(kDo, kSga), ""},
          {"ab", "ab"},
          {"\x7f", "\b \b"},
          {Iac(kDont, kEcho), Iac(kWont, kEcho)},
          {"c", ""},
          {Iac(kDo, kEcho), Iac(kWill, kEcho)},
          {"d", "d"},
          {Iac(kDo, kEcho), ""}}},
        {"what it offered, refused: no echo, and the refusal is not answered",
         {{Iac(kDont, kEcho) + Iac(kDont, kSga), ""}, {"ab", ""}, {Iac(kDont, kEcho), ""}}},
        {"the terminal type is asked for once per agreement",
         {{Iac(kWill, kTtype), sendTtype},
          {Iac(kWill, kTtype), ""},
          {Iac(kWont, kTtype), Iac(kDont, kTtype)},
          {Iac(kWont, kTtype), ""},
          {Iac(kWill, kTtype), Iac(kDo, kTtype) + sendTtype}}},
    };
    for (const auto& [name, steps] : rows) {
        TelnetMenu menu({"00:20:4A:01:02:03", "127.0.0.9", {}, false, -1});
        menu.Start();
        for (const auto& [sent, heard] : steps) {
            EXPECT_EQ(menu.Feed(reinterpret_cast<const std::uint8_t*>(sent.data()), sent.size()),
                      heard)
                << name;
        }
    }
    // Are You There gets a visible answer.
    TelnetMenu menu({"00:20:4A:01:02:03", "127.0.0.9", {}, false, -1});
    const std::string yes = menu.Feed(reinterpret_cast<const std::uint8_t*>("\xFF\xF6"), 2);
    EXPECT_TRUE(!yes.empty() && yes.find('\xFF') == std::string::npos) << yes;
}

TEST(XportSimProcess, AnswersQueriesAndTakesAddresses) {
    SimProcess sim({"--module", Net(20) + ",dhcp=" + Net(120), "--module",
                    Net(21) + ",mac=00:20:4A:AA:BB:CC", "--module", Net(22) + ",fault=silent"});
    ASSERT_TRUE(sim.Ready());
    const std::string query = std::string("\0\0\0\xF6", 4);
    auto answers = Exchange(Net(255), sim.Port(), query);
    ASSERT_EQ(answers.size(), 2U);
    EXPECT_EQ(answers[0].first, Net(20));
    EXPECT_EQ(answers[1].first, Net(21));
    ASSERT_GE(answers[1].second.size(), xport::kQueryReplyMinimum);
    EXPECT_EQ(static_cast<std::uint8_t>(answers[1].second[3]), xport::kQueryReply);
    EXPECT_EQ(xport::MacText(reinterpret_cast<const std::uint8_t*>(answers[1].second.data()) + 24),
              "00:20:4A:AA:BB:CC");
    // A datagram to one module's address is that module's alone.
    EXPECT_EQ(Exchange(Net(21), sim.Port(), query).size(), 1U);

    // A set-up record: acknowledged, the module restarts at its DHCP address.
    const auto record = xport::BuildSetupRecord(xport::SetupAddress(0), 0, 0);
    answers = Exchange(Net(20), sim.Port(), std::string(record.begin(), record.end()), 50);
    ASSERT_EQ(answers.size(), 1U);
    EXPECT_EQ(answers[0].second, std::string("\0\0\0\xFB", 4));
    EXPECT_TRUE(sim.Await("module.0.up", "yes"));
    EXPECT_EQ(sim.Status()["module.0.address"], Net(120));
    EXPECT_EQ(sim.Status()["module.0.addressing"], "dhcp");

    // IP-SETUP reaches the module whose MAC ends in its two octets, and no other.
    const auto ipSetup = xport::BuildIpSetup("00:20:4A:AA:BB:CC", ParseAddress(Net(77)));
    EXPECT_TRUE(
        Exchange(Net(255), sim.Port(), std::string(ipSetup.begin(), ipSetup.end()), 50).empty());
    EXPECT_TRUE(sim.Await("module.1.address", Net(77)));
    EXPECT_TRUE(sim.Await("module.1.up", "yes"));
    EXPECT_EQ(sim.Status()["module.0.ip_setups"], "0");
    EXPECT_EQ(sim.Status()["module.1.ip_setups"], "1");
}

TEST(XportSimProcess, FaultyRepliesAndAcknowledgements) {
    SimProcess sim({"--module", Net(30) + ",fault=short", "--module", Net(31) + ",fault=wrong-code",
                    "--module", Net(32) + ",fault=tiny", "--module", Net(33) + ",fault=no-ack"});
    ASSERT_TRUE(sim.Ready());
    const auto answers = Exchange(Net(255), sim.Port(), std::string("\0\0\0\xF6", 4));
    ASSERT_EQ(answers.size(), 4U);
    EXPECT_EQ(answers[0].second.size(), 29U);
    EXPECT_EQ(static_cast<std::uint8_t>(answers[1].second[3]), 0xF5);
    EXPECT_EQ(answers[2].second.size(), 2U);
    EXPECT_EQ(answers[3].second.size(), xport::kQueryReplyMinimum);
    const auto record = xport::BuildSetupRecord(xport::SetupAddress(0), 0, 0);
    EXPECT_TRUE(
        Exchange(Net(33), sim.Port(), std::string(record.begin(), record.end()), 100).empty());
    EXPECT_EQ(sim.Status()["module.3.setup_records"], "1");
    EXPECT_EQ(sim.Status()["module.3.up"], "yes");
}

TEST(XportSimProcess, TheTunnelAnswersOnceTheSerialSideIsSet) {
    SimProcess sim({"--module", Net(40) + ",identity=MZ4-E Drawer"});
    ASSERT_TRUE(sim.Ready());
    EXPECT_EQ(Identify(Net(40)), "");  // 9600 baud: the printer hears nothing

    const int fd = Connect(Net(40), xport::kTelnetSetupPort);
    ASSERT_GE(fd, 0);
    WizardSide wizard;
    for (int round = 0; round < 100 && !wizard.closed; ++round) {
        const std::string reply = wizard.Hear(ReadSome(fd, 500));
        ::send(fd, reply.data(), reply.size(), 0);
    }
    ReadSome(fd, 500);  // the module's last words, up to its close
    ::close(fd);
    EXPECT_TRUE(wizard.closed);
    EXPECT_TRUE(sim.Await("module.0.telnet_close", "fin"));
    EXPECT_TRUE(sim.Await("module.0.baud", "19200"));
    const auto status = sim.Status();
    EXPECT_EQ(status.at("module.0.ifmode"), "4C");
    EXPECT_EQ(status.at("module.0.flow"), "01");
    EXPECT_EQ(status.at("module.0.terminal"), "dumb");
    const std::string answer = Identify(Net(40));
    EXPECT_NE(answer.find("MZ4-E Drawer"), std::string::npos) << answer;
    EXPECT_NE(Identify(Net(40)), "");  // and again, on a new connection

    // A client that closes with the greeting unread resets the connection; the module says so.
    const int rude = Connect(Net(40), xport::kTelnetSetupPort);
    pollfd p{rude, POLLIN, 0};
    EXPECT_EQ(::poll(&p, 1, 2000), 1);
    ::close(rude);
    EXPECT_TRUE(sim.Await("module.0.telnet_close", "reset"));
}

TEST(XportSimProcess, TelnetFaults) {
    SimProcess sim({"--module", Net(50) + ",fault=telnet-refused", "--module",
                    Net(51) + ",fault=telnet-silent"});
    ASSERT_TRUE(sim.Ready());
    EXPECT_LT(Connect(Net(50), xport::kTelnetSetupPort), 0);
    const int fd = Connect(Net(51), xport::kTelnetSetupPort);
    ASSERT_GE(fd, 0);
    ::send(fd, "\r\n", 2, 0);
    EXPECT_EQ(ReadSome(fd, 300), "");
    ::close(fd);
}

TEST(XportSimProcess, TelnetCutsKeepEveryByteInOrder) {
    const struct {
        const char* cut;
        bool severalReads;  // split-last's one pause may pass while this process waits its turn
    } cases[] = {{"whole", false}, {"split-last", false}, {"drip:1", true}, {"random:5", true}};
    std::string whole;
    for (const auto& c : cases) {
        SimProcess sim({"--telnet-cut", c.cut, "--module", Net(60)});
        ASSERT_TRUE(sim.Ready()) << c.cut;
        const int fd = Connect(Net(60), xport::kTelnetSetupPort);
        ASSERT_GE(fd, 0) << c.cut;
        std::string said;
        int reads = 0;
        pollfd p{fd, POLLIN, 0};
        while (said.find("Setup Mode \r\n") == std::string::npos && ::poll(&p, 1, 2000) > 0) {
            char buffer[2048];
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) {
                break;
            }
            said.append(buffer, static_cast<std::size_t>(n));
            ++reads;
        }
        ::close(fd);
        if (whole.empty()) {
            whole = said;
            EXPECT_NE(whole.find("Press Enter"), std::string::npos);
        }
        EXPECT_EQ(said, whole) << c.cut;
        EXPECT_TRUE(!c.severalReads || reads > 1) << c.cut;
    }
}
