// Stand-in for the Producer installers of the Windows demo CD. One program serves every
// model: its file name says which Producer it installs (VormaticProducerCL.exe installs
// "Vormatic Producer CL").

#include <cstdio>
#include <string>

#include "host/Paths.h"
#include "tools/win-standins/StandIn.h"

namespace {

std::string TitleOf(const std::string& fileName) {
    std::string stem = fileName;
    const std::string::size_type dot = stem.rfind('.');
    if (dot != std::string::npos) {
        stem.resize(dot);
    }
    const std::string family = "VormaticProducer";
    if (stem.compare(0, family.size(), family) != 0) {
        return stem;
    }
    const std::string edition = stem.substr(family.size());
    return "Vormatic Producer" + (edition.empty() ? std::string() : " " + edition);
}

}  // namespace

int main() {
    const std::string self = ProgramPath();
    const std::string title = TitleOf(standin::FileName(self));
    std::printf("%s: demo installation running...\n", title.c_str());
    std::fflush(stdout);
    if (!standin::AppendLog(title + " installed by " + self)) {
        std::fprintf(stderr, "%s: the demo log cannot be written\n", title.c_str());
    }
    standin::WaitForInstallation();
    std::printf("%s: done.\n", title.c_str());
    return 0;
}
