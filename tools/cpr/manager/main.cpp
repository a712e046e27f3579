// vormatic-cpr-manager, installed from the demo CD as CprManager.exe: the stand-in for the
// COM port redirector's manager program. See ManagerCommands.h for its command line and its
// unattended start.

#include <QApplication>

#include <cstdlib>
#include <iostream>

#include "tools/cpr/ManagerCommands.h"
#include "tools/cpr/manager/CprManagerWindow.h"

int main(int argc, char** argv) {
    // Commands and the unattended start need no display: they are done before Qt starts.
    if (argc > 1) {
        return RunManagerCommand(argc, argv, std::cout, std::cerr);
    }
    if (const char* demo = std::getenv("VORMATIC_DEMO_CPR_ADD"); demo != nullptr && *demo != '\0') {
        return RunDemoAdd(demo, std::cout, std::cerr);
    }
    QApplication app(argc, argv);
    CprManagerWindow window;
    window.show();
    return QApplication::exec();
}
