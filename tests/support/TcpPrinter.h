#pragma once
// A printer behind TCP on 127.0.0.1, as an XPort's serial tunnel shows one to the network: it
// answers the printer protocol's frames by the printer simulator's rules, on a thread of its
// own. Tests drop its connections, switch it off and on, and look at what it received.
// Qt-free, for the unit tests and the Qt tests alike.

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tools/printer-sim/SimOptions.h"

class TcpPrinter {
public:
    static constexpr const char* kIdentity = "RX200 Vormatic Tag Printer v2.14";

    // Listens on 127.0.0.1:`port` (0: a free port that the system picks).
    explicit TcpPrinter(std::uint16_t port = 0);
    ~TcpPrinter();
    TcpPrinter(const TcpPrinter&) = delete;
    TcpPrinter& operator=(const TcpPrinter&) = delete;

    std::uint16_t Port() const { return port_; }
    bool Listening();

    // Answer frames (the default) or only take bytes in.
    void SetAnswering(bool on);
    // Closes the connections it accepted and keeps listening.
    void DropConnections();
    // Stops listening and closes every connection: a printer switched off.
    void Stop();
    // Listens again on the same port; false when it cannot.
    bool Restart();
    // Sends `bytes` on every open connection.
    void Send(const std::string& bytes);

    int Accepted();
    int OpenConnections();
    int Frames();
    // Every byte received so far, in order.
    std::string Received();

    // Tries `condition` every few milliseconds until it holds or `limit` has passed.
    static bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit);

private:
    struct Connection;
    void Serve();
    // Runs `call` on the printer's thread and waits for it.
    void Call(const std::function<void()>& call);
    bool Listen();
    void CloseConnections();

    std::uint16_t port_ = 0;
    int listener_ = -1;
    int wake_[2] = {-1, -1};
    SimOptions options_;
    bool answering_ = true;
    bool stopping_ = false;
    std::vector<Connection*> connections_;
    std::mutex mutex_;  // guards calls_ and the counters below
    std::deque<std::function<void()>> calls_;
    int accepted_ = 0;
    int frames_ = 0;
    std::string received_;
    std::thread thread_;
};
