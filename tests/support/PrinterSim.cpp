#include "tests/support/PrinterSim.h"

#include <QElapsedTimer>

QString PrinterSim::binaryPath() {
    return QStringLiteral(VORMATIC_BUILD_DIR "/tools/vormatic-printer-sim");
}

PrinterSim::PrinterSim(const QStringList& arguments) {
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

QString PrinterSim::log() {
    log_ += QString::fromUtf8(process_.readAllStandardError());
    return log_;
}

void PrinterSim::stop() {
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
    log();
}
