#include "tools/cpr/PseudoTerminal.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

bool OpenPseudoTerminal(PseudoTerminal* terminal, std::string* error) {
    const auto fail = [&](const char* step) {
        *error = std::string(step) + ": " + std::strerror(errno);
        ClosePseudoTerminal(terminal);
        return false;
    };
    // O_NOCTTY on both ends: a bridge that runs in a session of its own must not take the
    // port as its controlling terminal (the wizard's open and close would then signal it).
    terminal->master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (terminal->master < 0) {
        return fail("posix_openpt");
    }
    if (::grantpt(terminal->master) != 0 || ::unlockpt(terminal->master) != 0) {
        return fail("grantpt");
    }
    const char* name = ::ptsname(terminal->master);
    if (name == nullptr) {
        return fail("ptsname");
    }
    terminal->path = name;
    terminal->slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (terminal->slave < 0) {
        return fail(name);
    }
    // The master end passes bytes as they are; it is the slave's settings that could change
    // them, so the slave starts raw and stays so until the program that opens it decides.
    termios raw{};
    if (::tcgetattr(terminal->slave, &raw) != 0) {
        return fail("tcgetattr");
    }
    ::cfmakeraw(&raw);
    if (::tcsetattr(terminal->slave, TCSANOW, &raw) != 0) {
        return fail("tcsetattr");
    }
    const int flags = ::fcntl(terminal->master, F_GETFL);
    if (flags < 0 || ::fcntl(terminal->master, F_SETFL, flags | O_NONBLOCK) != 0) {
        return fail("fcntl");
    }
    return true;
}

void ClosePseudoTerminal(PseudoTerminal* terminal) {
    if (terminal->slave >= 0) {
        ::close(terminal->slave);
        terminal->slave = -1;
    }
    if (terminal->master >= 0) {
        ::close(terminal->master);
        terminal->master = -1;
    }
}
