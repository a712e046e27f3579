#pragma once
// The manager's command line and its unattended start, for scripts, tests and the demo:
//
//   vormatic-cpr-manager --add HOST PORT   start a bridge; print its device path once the
//                                          port is registered
//   vormatic-cpr-manager --list            one line per port: DEVICE TAB HOST TAB PORT TAB
//                                          "running" or "stopped"
//   vormatic-cpr-manager --remove DEVICE   stop that port's bridge and forget the port
//   vormatic-cpr-manager --remove-all      the same for every port it made
//
// Started without arguments (as the wizard starts it) with VORMATIC_DEMO_CPR_ADD=HOST:PORT
// in the environment, the manager adds that port as --add would and exits without showing
// its window.
//
// Exit status: 0 done, 1 failed (the reason on stderr), 2 a wrong command line.

#include <ostream>

// Runs the command of `argv` (argc > 1).
int RunManagerCommand(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

// The unattended start for the value of VORMATIC_DEMO_CPR_ADD.
int RunDemoAdd(const char* hostAndPort, std::ostream& out, std::ostream& err);

extern const char* const kManagerUsage;
