#pragma once
// The printer simulator (tools/vormatic-printer-sim) as a child process of a test: it opens
// a pseudo-terminal and answers the printer protocol on it.
// A Windows test cannot plug a new COM port in while it runs (Wine makes its ports when the
// prefix starts), so there the simulator is the one the test script plugged in before the
// restart: VORMATIC_WINE_COM_PRINTER names its port, VORMATIC_WINE_COM_IDENTITY the identity it
// answers, VORMATIC_WINE_COM_PRINTER_LOG its log. It stands for a simulator asked for with
// that identity, or none: it lists the port among the system's serial ports (as --register
// does) and takes it off the list when it stops.

#include <QProcess>
#include <QString>
#include <QStringList>

class PrinterSim {
public:
    // Starts the simulator with `arguments` (e.g. {"--register", "--identity", "RX200 x"})
    // and waits for the device path it prints. The environment is the test's own, so
    // --register writes into the sandbox's registry folder.
    explicit PrinterSim(const QStringList& arguments = {});
    ~PrinterSim();
    PrinterSim(const PrinterSim&) = delete;
    PrinterSim& operator=(const PrinterSim&) = delete;

    bool started() const { return !device_.isEmpty(); }
    QString device() const { return device_; }
    // What the simulator wrote to stderr so far (its frame log and line-setting warnings).
    QString log();
    // Stops it (SIGTERM) and waits, so that a --register entry is removed.
    void stop();

    static QString binaryPath();

private:
    void AttachToPluggedInPrinter(const QStringList& arguments);

    QProcess process_;
    QString device_;
    QString log_;
    bool listed_ = false;  // Windows: listed among the serial ports by the constructor
};
