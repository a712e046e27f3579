#pragma once
// Steps of the roads shared by the end-to-end and screenshot tests.

#include <QString>

class Wizard;
class Sandbox;

// Lays the demo CD (tools/make-demo-cd.sh) into the sandbox's CD folder, with installers
// that finish at once and log to `log`, and the build's tools (the redirector's manager and
// bridge) on it.
bool MakeDemoCd(Sandbox& sandbox, const QString& log);

// Clicks a child widget of the wizard by object name and settles.
void ClickNamed(Wizard& wizard, const char* name);
// Clicks the list item `text` of PortListBox.
bool ClickPortItem(Wizard& wizard, const QString& text);
// Walks Welcome -> licence (accepting it) -> connection choice -> serial -> COM port page.
void WalkToPortPage(Wizard& wizard);
// Walks Welcome -> licence (accepting it) -> connection choice -> USB (chosen by a click).
void WalkToUsbPage(Wizard& wizard);

// Ends the printer that the demo CD's stand-in USB driver installer plugged in (its pid is in
// `stateDir`/usb-printer.pid), waiting until it has unregistered its port. True when there
// was none or it has ended.
bool UnplugDemoUsbPrinter(const QString& stateDir);

// Unplugs the demo printer when it goes out of scope, however the test ends.
class DemoUsbPrinterGuard {
public:
    explicit DemoUsbPrinterGuard(QString stateDir) : stateDir_(std::move(stateDir)) {}
    ~DemoUsbPrinterGuard() { UnplugDemoUsbPrinter(stateDir_); }
    DemoUsbPrinterGuard(const DemoUsbPrinterGuard&) = delete;
    DemoUsbPrinterGuard& operator=(const DemoUsbPrinterGuard&) = delete;

private:
    QString stateDir_;
};
