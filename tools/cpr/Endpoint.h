#pragma once
// The printer's end of a virtual port, as the user gives it: a host (an IPv4 or IPv6 address
// or a host name) and a TCP port.

#include <string>

// True for 1 to 253 characters of letters, digits, '.', '-', '_' and ':' (an IPv6 address).
// Blanks and control characters are refused, so a host can be stored in a line of text and
// passed as one argument.
bool IsValidHost(const std::string& host);

// "10001" gives 10001; false for anything but decimal digits of 1 to 65535.
bool ParseTcpPort(const std::string& text, int* port);

// "192.168.1.50:10001", "printer.lan:10001" or "[fe80::1]:10001" into host and port; false
// when either part is not valid.
bool ParseHostAndPort(const std::string& text, std::string* host, int* port);
