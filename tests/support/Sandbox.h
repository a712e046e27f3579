#pragma once
// A private world for one test: registry hives, XDG folders, a CD folder that serves as the
// program's directory and the current directory, and an empty serial device list. Everything
// is put back when the sandbox goes.
// On Windows the registry and the common application data folder are the system's own (the
// tests run in a throwaway Wine prefix): what the wizard and the stand-in installers write
// there (Software\Quorvanta, the RunOnce value, Quorvanta below the common application data)
// is removed when the sandbox starts and when it goes, and the system's list of serial ports
// is empty meanwhile (the ports' devices stay; PrinterSim lists the one it stands for).

#include <QByteArray>
#include <QDir>
#include <QMap>
#include <QString>
#include <QTemporaryDir>
#include <string>
#include <utility>
#include <vector>

class Sandbox {
public:
    Sandbox();
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    QString root() const { return dir_.path(); }
    QString cdDir() const { return dir_.path() + QStringLiteral("/cd"); }
    QString registryDir() const { return dir_.path() + QStringLiteral("/registry"); }
    QString configHome() const { return dir_.path() + QStringLiteral("/config"); }
    QString dataHome() const { return dir_.path() + QStringLiteral("/data"); }
    // Where the cassette models keep config.ini (below Quorvanta/...).
    QString commonAppData() const;

    // Writes a file below the CD folder (creating folders); returns its full path.
    QString writeCdFile(const QString& relativePath, const QByteArray& content);
    // Writes a small shell script below the CD folder, executable.
    QString writeCdScript(const QString& relativePath, const QByteArray& body);
    // Rebuilds the branding store from the CD folder (after writing plstrings.txt, say).
    void reloadBranding();
    // Sets (or with a null value, unsets) an environment variable until the sandbox goes.
    void setEnv(const char* name, const QByteArray& value);
    // No browser is registered until the sandbox goes (the desktop's own opener aside).
    void hideRegisteredBrowser();

private:
    static void RemoveSystemLeftovers();
    void SaveSerialPortList();
    void RestoreSerialPortList();

    QTemporaryDir dir_;
    QString oldCwd_;
    QMap<QByteArray, QByteArray> savedEnv_;
    QMap<QByteArray, bool> hadEnv_;
    std::vector<std::pair<std::string, std::string>> serialPorts_;  // Windows: the list before
    bool browserHidden_ = false;
};

// Runs posted events until the queue is quiet (handlers may post further messages).
void Settle();
