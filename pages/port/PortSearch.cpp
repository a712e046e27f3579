#include "pages/port/PortSearch.h"

#include <QCursor>

#include "app/Dialogs.h"
#include "app/FormKit.h"
#include "app/Launch.h"
#include "app/Selections.h"
#include "host/ComPorts.h"
#include "host/PrinterProbe.h"
#include "host/Text.h"

bool ProbePort(const std::string& port) {
    std::string identity;
    if (!IdentifyPrinter(port, &identity)) {
        return false;
    }
    std::string rest = identity;
    const std::string model = SplitToken(rest, " ");
    SetPrinterIdentity(FromAnsi(identity));
    SetPrinterModel(FromAnsi(model));
    return true;
}

std::string FindPrinterPort(PortSearchView& view) {
    SetPrinterIdentity(QString());
    SetPrinterModel(QString());
    view.SearchStarted();
    ScreenCursorManager hourglass(Qt::WaitCursor);

    // A fresh list: a port added since the page was shown is searched too.
    PortList ports;
    const std::string failure = ListComPorts(&ports);
    if (!failure.empty()) {
        ShowErrorMessage(FromAnsi(failure));
    }

    std::string found;
    const WindowAnswersDuringProbe answering;
    const std::size_t count = ports.size();
    for (std::size_t i = 0; i < count; ++i) {
        view.ShowProgress(static_cast<int>(i * 100 / count));
        view.ShowTesting(ports[i]);
        if (ProbePort(ports[i])) {
            found = ports[i];
            break;
        }
    }
    view.ShowProgress(100);
    return found;
}
