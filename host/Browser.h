#pragma once
// The browser that the desktop registers for web addresses, used when the desktop's own
// "open" of a web address fails.

#include <optional>
#include <string>

// nullopt: no browser is registered (Windows: no HKCR "http\shell\open" key; POSIX: no
// BROWSER variable). Otherwise the registered command line, "" when it is empty
// (Windows: the default value of "http\shell\open\command"; POSIX: $BROWSER).
std::optional<std::string> RegisteredBrowserCommand();
