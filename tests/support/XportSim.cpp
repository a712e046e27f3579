#include "tests/support/XportSim.h"

#include <QElapsedTimer>
#include <QFile>
#include <QUdpSocket>

QString XportSim::binaryPath() {
    return QStringLiteral(VORMATIC_BUILD_DIR "/tools/vormatic-xport-sim");
}

quint16 XportSim::FreeUdpPort() {
    QUdpSocket probe;
    probe.bind(QHostAddress::AnyIPv4, 0);
    return probe.localPort();
}

XportSim::XportSim(const QStringList& arguments) {
    QStringList all = arguments;
    const qsizetype portAt = all.indexOf(QStringLiteral("--port"));
    port_ = portAt >= 0 && portAt + 1 < all.size() ? all[portAt + 1].toUShort() : FreeUdpPort();
    if (portAt < 0) {
        all << QStringLiteral("--port") << QString::number(port_);
    }
    all << QStringLiteral("--status") << dir_.filePath(QStringLiteral("status"))
        << QStringLiteral("--stdin-eof-exit");
    // Its log goes to a file: a pipe that nobody reads while a test holds the event loop
    // (a printer search does) would fill and stall the simulator.
    process_.setStandardErrorFile(dir_.filePath(QStringLiteral("log")));
    process_.start(binaryPath(), all);
    if (!process_.waitForStarted(5000)) {
        return;
    }
    QElapsedTimer clock;
    clock.start();
    while (!process_.canReadLine() && clock.elapsed() < 5000 &&
           process_.state() == QProcess::Running) {
        process_.waitForReadyRead(50);
    }
    started_ = process_.canReadLine() && process_.readLine().startsWith("ready");
}

XportSim::~XportSim() {
    stop();
}

QMap<QString, QString> XportSim::status() const {
    QMap<QString, QString> status;
    QFile file(dir_.filePath(QStringLiteral("status")));
    if (file.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : file.readAll().split('\n')) {
            const qsizetype eq = line.indexOf('=');
            if (eq > 0) {
                status.insert(QString::fromUtf8(line.left(eq)),
                              QString::fromUtf8(line.mid(eq + 1)));
            }
        }
    }
    return status;
}

QString XportSim::log() {
    QFile file(dir_.filePath(QStringLiteral("log")));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void XportSim::stop() {
    if (process_.state() != QProcess::NotRunning) {
        process_.closeWriteChannel();  // --stdin-eof-exit: it ends by itself
        if (!process_.waitForFinished(3000)) {
            process_.kill();
            process_.waitForFinished(3000);
        }
    }
}
