#include "tools/cpr/Endpoint.h"

bool IsValidHost(const std::string& host) {
    if (host.empty() || host.size() > 253) {
        return false;
    }
    for (const char c : host) {
        const bool alnum =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!alnum && c != '.' && c != '-' && c != '_' && c != ':') {
            return false;
        }
    }
    return true;
}

bool ParseTcpPort(const std::string& text, int* port) {
    if (text.empty() || text.size() > 5) {
        return false;
    }
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > 65535) {
        return false;
    }
    *port = value;
    return true;
}

bool ParseHostAndPort(const std::string& text, std::string* host, int* port) {
    const std::string::size_type colon = text.rfind(':');
    if (colon == std::string::npos) {
        return false;
    }
    std::string name = text.substr(0, colon);
    if (name.size() >= 2 && name.front() == '[' && name.back() == ']') {
        name = name.substr(1, name.size() - 2);
    }
    if (!IsValidHost(name) || !ParseTcpPort(text.substr(colon + 1), port)) {
        return false;
    }
    *host = name;
    return true;
}
