#pragma once
// A private world for one test: registry hives, XDG folders, a CD folder that serves as the
// program's directory and the current directory, and an empty serial device list. Everything
// is put back when the sandbox goes.

#include <QByteArray>
#include <QDir>
#include <QMap>
#include <QString>
#include <QTemporaryDir>

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
    QString commonAppData() const { return dir_.path() + QStringLiteral("/xdg"); }

    // Writes a file below the CD folder (creating folders); returns its full path.
    QString writeCdFile(const QString& relativePath, const QByteArray& content);
    // Writes a small shell script below the CD folder, executable.
    QString writeCdScript(const QString& relativePath, const QByteArray& body);
    // Rebuilds the branding store from the CD folder (after writing plstrings.txt, say).
    void reloadBranding();
    // Sets (or with a null value, unsets) an environment variable until the sandbox goes.
    void setEnv(const char* name, const QByteArray& value);

private:
    QTemporaryDir dir_;
    QString oldCwd_;
    QMap<QByteArray, QByteArray> savedEnv_;
    QMap<QByteArray, bool> hadEnv_;
};

// Runs posted events until the queue is quiet (handlers may post further messages).
void Settle();
