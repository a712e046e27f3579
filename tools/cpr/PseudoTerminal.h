#pragma once
// The bridge's pseudo-terminal: the master end that the bridge reads and writes, and one
// descriptor of the slave end that it holds for its whole life.
//
// Without that held descriptor the master reports a hang-up (POLLHUP, reads fail with EIO)
// whenever no program has the port open, so every close by the wizard's probe would leave the
// bridge polling a dead end until the next open. Holding it does not get in the wizard's way:
// the serial class's exclusive open (TIOCEXCL and flock) only refuses opens that come after
// its own, and this descriptor is never read, so every byte goes to whoever opened the port.

#include <string>

struct PseudoTerminal {
    int master = -1;  // non-blocking
    int slave = -1;   // held open, never read
    std::string path;
};

// Opens a new pseudo-terminal with its slave in raw mode (no echo, no line editing, no
// character translation) until a program configures the line. False with `error` set (and
// nothing left open) when it cannot.
bool OpenPseudoTerminal(PseudoTerminal* terminal, std::string* error);

// Closes both ends.
void ClosePseudoTerminal(PseudoTerminal* terminal);
