// RunOnce on POSIX: the registry value keeps the command line where the rest of the program
// looks for it, and an XDG autostart entry runs it at the next login. The entry removes itself
// before it starts the program, as Windows deletes a RunOnce value before running it; the
// program removes the value (and the entry, if still there) when it resumes.

#include "host/RunOnce.h"

#include <unistd.h>

#include <cerrno>
#include <exception>
#include <optional>
#include <vector>

#include "host/FileIo.h"
#include "host/Registry.h"
#include "host/Text.h"
#include "host/posix/FileAccess.h"
#include "host/posix/XdgConfig.h"

namespace {

// The escapes of a desktop entry string value.
std::string EscapeString(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
    if (!out.empty() && out[0] == ' ') {
        out.replace(0, 1, "\\s");
    }
    return out;
}

// One argument of an Exec line: quoted when it holds a reserved character (with ", `, $ and
// \ escaped inside the quotes), and "%" doubled so it is not taken for a field code. The
// string escapes apply on top (EscapeString), so a backslash ends up as four.
std::string ExecArgument(const std::string& argument) {
    const bool quote =
        argument.empty() || argument.find_first_of(" \t\n\"'\\><~|&;$*?#()`") != std::string::npos;
    std::string out = quote ? "\"" : "";
    for (char c : argument) {
        if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) {
            out += '\\';
        }
        out += c;
        if (c == '%') {
            out += '%';
        }
    }
    if (quote) {
        out += '"';
    }
    return out;
}

std::string CurrentDirectory() {
    std::vector<char> buffer(4096);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE || buffer.size() > (1U << 20)) {
            return {};
        }
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

// The entry runs once, as a RunOnce value does: a shell removes the entry ($0) before it
// becomes the program, so a program that cannot start (the CD is not in the drive) is not
// tried again at every login. The shell, not the launcher, changes to the CD folder ($1): a
// launcher refuses an entry whose Path= is missing before anything of it runs, and the entry
// would then stay for ever. A folder that is gone ends the shell quietly.
constexpr const char* kRemoveThenRun =
    "rm -f -- \"$0\"; cd -- \"$1\" 2>/dev/null || exit 0; shift; exec \"$@\"";

std::string DesktopEntry(const std::string& entryPath, const std::string& programPath,
                         const std::string& argument, const std::string& workingDirectory) {
    std::string exec = "/bin/sh -c " + ExecArgument(kRemoveThenRun) + " " +
                       ExecArgument(entryPath) + " " + ExecArgument(workingDirectory) + " " +
                       ExecArgument(programPath);
    if (!argument.empty()) {
        exec += " " + ExecArgument(argument);
    }
    std::string entry = "[Desktop Entry]\nType=Application\nName=Vormatic Installer\n";
    entry += "Exec=" + EscapeString(exec) + "\n";
    entry += "Terminal=false\n";
    return entry;
}

// Puts the RunOnce value back as it was before a failed registration.
void RestoreRunOnceValue(const std::optional<std::string>& previous) {
    try {
        if (previous) {
            reg::WriteString(reg::Root::CurrentUser, kRunOnceKey, kRunOnceValue, *previous);
        } else {
            reg::DeleteValue(reg::Root::CurrentUser, kRunOnceKey, kRunOnceValue);
        }
    } catch (const std::exception&) {
        // The registration has failed already; a stale value alone starts nothing.
    }
}

}  // namespace

std::string AutostartEntryPath() {
    const std::string configHome = xdg::ConfigHome();
    return configHome.empty() ? std::string()
                              : configHome + "/autostart/vormatic-installer.desktop";
}

bool RegisterRunOnceEntry(const std::string& programPath, const std::string& argument) {
    const std::string entryPath = AutostartEntryPath();
    // The entry starts the program in today's directory, so that the relative paths of the
    // CD ("setup/usb/...") resolve as they do now.
    const std::string workingDirectory = CurrentDirectory();
    if (entryPath.empty() || workingDirectory.empty()) {
        return false;
    }
    // A desktop entry is UTF-8 text: launchers reject one that holds other bytes, so such a
    // path is refused here, before anything is written.
    for (const std::string* text : {&entryPath, &workingDirectory, &programPath, &argument}) {
        if (!IsValidUtf8(*text)) {
            return false;
        }
    }
    std::optional<std::string> previous;
    try {
        previous = reg::ReadString(reg::Root::CurrentUser, kRunOnceKey, kRunOnceValue);
    } catch (const std::exception&) {
        // Not a string: it is overwritten below like any older value.
    }
    try {
        reg::WriteString(reg::Root::CurrentUser, kRunOnceKey, kRunOnceValue,
                         RunOnceCommandLine(programPath, argument));
    } catch (const std::exception&) {
        return false;
    }
    std::string error;
    const std::string folder = entryPath.substr(0, entryPath.rfind('/'));
    if (fileaccess::MakeDirectories(folder, error) &&
        ReplaceFileAtomically(entryPath,
                              DesktopEntry(entryPath, programPath, argument, workingDirectory))) {
        return true;
    }
    RestoreRunOnceValue(previous);
    return false;
}

void ClearRunOnceEntry() {
    try {
        reg::DeleteValue(reg::Root::CurrentUser, kRunOnceKey, kRunOnceValue);
    } catch (const std::exception&) {
        // A damaged hive keeps its value; the autostart entry below is what would run.
    }
    const std::string entryPath = AutostartEntryPath();
    if (!entryPath.empty()) {
        ::unlink(entryPath.c_str());
    }
}
