#pragma once
// The printer simulator (tools/vormatic-printer-sim) as a child process of a test: it opens
// a pseudo-terminal and answers the printer protocol on it.

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
    QProcess process_;
    QString device_;
    QString log_;
};
