#include "tests/support/PrinterSim.h"

#include <QElapsedTimer>
#include <QFile>

#include "host/Registry.h"

namespace {

[[maybe_unused]] constexpr const char* kSerialComm = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
[[maybe_unused]] constexpr const char* kListedAs = "\\Device\\VormaticPrinterSim";

}  // namespace

QString PrinterSim::binaryPath() {
    return QStringLiteral(VORMATIC_BUILD_DIR "/tools/vormatic-printer-sim");
}

PrinterSim::PrinterSim(const QStringList& arguments) {
#ifdef Q_OS_WIN
    AttachToPluggedInPrinter(arguments);
    return;
#endif
    process_.setProgram(binaryPath());
    process_.setArguments(arguments);
    process_.start();
    if (!process_.waitForStarted(5000)) {
        return;
    }
    QElapsedTimer clock;
    clock.start();
    while (!process_.canReadLine() && clock.elapsed() < 5000 &&
           process_.state() == QProcess::Running) {
        process_.waitForReadyRead(100);
    }
    if (process_.canReadLine()) {
        device_ = QString::fromUtf8(process_.readLine()).trimmed();
    }
}

PrinterSim::~PrinterSim() {
    stop();
}

void PrinterSim::AttachToPluggedInPrinter(const QStringList& arguments) {
    const qsizetype identityAt = arguments.indexOf(QStringLiteral("--identity"));
    const QString identity = identityAt >= 0 ? arguments.value(identityAt + 1) : QString();
    if (!identity.isEmpty() && identity != qEnvironmentVariable("VORMATIC_WINE_COM_IDENTITY")) {
        qWarning("the plugged-in printer does not answer as %s", qPrintable(identity));
        return;  // not started
    }
    device_ = qEnvironmentVariable("VORMATIC_WINE_COM_PRINTER");
    if (device_.isEmpty()) {
        qWarning("no printer plugged in (VORMATIC_WINE_COM_PRINTER)");
    } else if (arguments.contains(QStringLiteral("--register"))) {
        reg::WriteString(reg::Root::LocalMachine, kSerialComm, kListedAs, device_.toStdString());
        listed_ = true;
    }
}

QString PrinterSim::log() {
    const QString pluggedInLog = qEnvironmentVariable("VORMATIC_WINE_COM_PRINTER_LOG");
    if (process_.state() == QProcess::NotRunning && !pluggedInLog.isEmpty()) {
        QFile file(pluggedInLog);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    log_ += QString::fromUtf8(process_.readAllStandardError());
    return log_;
}

void PrinterSim::stop() {
    if (listed_) {
        reg::DeleteValue(reg::Root::LocalMachine, kSerialComm, kListedAs);
        listed_ = false;
    }
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
    log();
}
