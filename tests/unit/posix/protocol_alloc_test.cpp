// An exchange allocates nothing: the frame and the answer live in fixed areas. Global
// operator new is replaced in this executable and counts what the test thread allocates
// while counting is on.

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <thread>

#include "host/ExtendedProtocol.h"
#include "host/SerialDriver.h"
#include "tests/support/ScriptedPrinterLine.h"

namespace {

thread_local bool t_counting = false;
std::atomic<long> g_allocations{0};

void* Allocate(std::size_t size) {
    if (t_counting) {
        ++g_allocations;
    }
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}

// Counts the allocations of the calling thread while it runs `body`.
template <typename Body>
long AllocationsDuring(Body body) {
    g_allocations = 0;
    t_counting = true;
    body();
    t_counting = false;
    return g_allocations;
}

}  // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return operator new(size, std::nothrow);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

TEST(ProtocolAllocations, TheCounterSeesAllocations) {
    std::string* text = nullptr;
    EXPECT_EQ(AllocationsDuring([&] { text = new std::string(100, 'x'); }), 2);
    delete text;
}

TEST(ProtocolAllocations, NoneDuringExchanges) {
    const std::string good = AnswerFrame('V', 0x06, "RX200 Tag", GoodChecksum('V', "RX200 Tag"));
    ScriptedPrinterLine goodLine({good});
    ScriptedPrinterLine badLine({AnswerFrame('V', 0x06, "RX200 Tag", "000")});
    ExtendedProtocol first(&goodLine);
    ExtendedProtocol second(&badLine);
    char answer[128];
    int results[2] = {-1, -1};
    EXPECT_EQ(AllocationsDuring([&] {
                  results[0] = first.Exchange('V', "", answer, sizeof answer);
                  results[1] = second.Exchange('V', "some data", answer, sizeof answer);
              }),
              0);
    EXPECT_EQ(results[0], 0);
    EXPECT_STREQ(answer, "RX200 Tag");
    EXPECT_EQ(results[1], ExtendedProtocol::kBadChecksum);
    EXPECT_EQ(badLine.Frames(), 4u);
}

TEST(ProtocolAllocations, NoneDuringAnExchangeOnARealPort) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const auto port = CreateSerialPort(::ptsname(master), 512, 512);
    ASSERT_EQ(port->IsOpen(), 1);
    ExtendedProtocol protocol(port.get());
    // The printer's side runs on its own thread, which is not counted.
    std::thread printer([master] {
        pollfd p{master, POLLIN, 0};
        char frame[64];
        if (::poll(&p, 1, 2000) > 0 && ::read(master, frame, sizeof frame) > 0) {
            const std::string answer = AnswerFrame('V', 0x06, "RX200", GoodChecksum('V', "RX200"));
            EXPECT_EQ(::write(master, answer.data(), answer.size()),
                      static_cast<ssize_t>(answer.size()));
        }
    });
    char answer[128] = {};
    int result = -1;
    EXPECT_EQ(
        AllocationsDuring([&] { result = protocol.Exchange('V', "", answer, sizeof answer); }), 0);
    printer.join();
    EXPECT_EQ(result, 0);
    EXPECT_STREQ(answer, "RX200");
    ::close(master);
}

}  // namespace
