// Stand-in for the COM Port Redirector installer of the Windows demo CD: copies the stand-in
// manager beside it to the manager's default path, where the wizard looks for it.

#include <windows.h>

#include <cstdio>
#include <string>

#include "host/Paths.h"
#include "tools/win-standins/StandIn.h"

int main() {
    const std::string self = ProgramPath();
    const std::string source = standin::Folder(self) + "\\CprManager.exe";
    const std::string target = RedirectorManagerDefaultPath();
    std::printf("COM Port Redirector: demo installation running...\n");
    std::fflush(stdout);
    if (!FileExists(source)) {
        standin::AppendLog("COM Port Redirector NOT installed: no CprManager.exe");
        std::fprintf(stderr, "COM Port Redirector: CprManager.exe is not on this CD.\n");
        return 1;
    }
    EnsureFileDirectory(target);
    if (!::CopyFileA(source.c_str(), target.c_str(), FALSE)) {
        standin::AppendLog("COM Port Redirector NOT installed: cannot write " + target);
        std::fprintf(stderr, "COM Port Redirector: cannot write %s (error %lu).\n", target.c_str(),
                     ::GetLastError());
        return 1;
    }
    standin::AppendLog("COM Port Redirector installed by " + self + " into " +
                       standin::Folder(target));
    standin::WaitForInstallation();
    std::printf("COM Port Redirector: done.\n");
    return 0;
}
