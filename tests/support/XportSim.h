#pragma once
// The XPort module simulator (tools/vormatic-xport-sim) as a child process of a test, on a free
// UDP port of its own unless the arguments name one, with its status file in a folder of its
// own.

#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class XportSim {
public:
    explicit XportSim(const QStringList& arguments);
    ~XportSim();
    XportSim(const XportSim&) = delete;
    XportSim& operator=(const XportSim&) = delete;

    bool started() const { return started_; }
    quint16 port() const { return port_; }
    // The status file as key=value pairs ("module.0.address", "module.0.baud", ...).
    QMap<QString, QString> status() const;
    // What the simulator logged on stderr so far.
    QString log();
    void stop();

    static QString binaryPath();
    // A UDP port on loopback that nothing uses at the moment.
    static quint16 FreeUdpPort();

private:
    QTemporaryDir dir_;
    QProcess process_;
    quint16 port_ = 0;
    bool started_ = false;
};
