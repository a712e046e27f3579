#pragma once
// The printer search of the COM port page: probes every COM port in turn with the command
// "V" until a printer answers. The search runs on the window thread. While a port is probed
// the window answers (repaints, the desktop, assistive technology), but the user's clicks and
// keys, and the pages' timers and sockets, wait until the search is over.

#include <string>

// What the search shows while it runs.
class PortSearchView {
public:
    virtual ~PortSearchView() = default;
    // The search begins: show the progress at 0 and the status text, and let the window
    // catch up once.
    virtual void SearchStarted() = 0;
    // The progress in percent, repainted at once.
    virtual void ShowProgress(int percent) = 0;
    // The port about to be probed, repainted at once.
    virtual void ShowTesting(const std::string& port) = 0;
};

// Asks the printer on `port` for its identity. On an answer, PrinterIdentity becomes the
// whole answer and PrinterModel its first word; otherwise neither changes.
bool ProbePort(const std::string& port);

// Empties PrinterIdentity and PrinterModel, then probes a fresh list of the COM ports in
// order, reporting progress i * 100 / n before port i and 100 at the end, under the
// hourglass. Returns the port where a printer answered, or "".
std::string FindPrinterPort(PortSearchView& view);
