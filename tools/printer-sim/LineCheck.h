#pragma once
// Checks the line settings the host applied to the simulator's pseudo-terminal.

#include <termios.h>

#include <string>

// What differs from 19200 baud, 8 data bits, no parity, 1 stop bit with XON/XOFF in both
// directions, as a comma-separated list; empty when the settings match.
std::string LineDifferences(const termios& settings);
