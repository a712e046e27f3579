#include "tests/support/Sandbox.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include "host/BrandingStore.h"
#include "host/Paths.h"
#include "host/Registry.h"

#ifdef Q_OS_WIN
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "host/RunOnce.h"
#endif

namespace {

[[maybe_unused]] constexpr const char* kSerialComm = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
[[maybe_unused]] constexpr const char* kEmptyClasses = "Software\\VormaticTestEmptyClasses";

}  // namespace

Sandbox::Sandbox() : oldCwd_(QDir::currentPath()) {
    RemoveSystemLeftovers();
    SaveSerialPortList();
    QDir(root()).mkpath(QStringLiteral("cd"));
    setEnv("VORMATIC_REGISTRY_DIR", registryDir().toUtf8());
    setEnv("XDG_CONFIG_HOME", configHome().toUtf8());
    setEnv("XDG_DATA_HOME", dataHome().toUtf8());
    setEnv("XDG_CONFIG_DIRS", commonAppData().toUtf8());
    setEnv("VORMATIC_SERIAL_DEVICES", QByteArray(""));
    QDir::setCurrent(cdDir());
    OverrideProgramDirectory((cdDir() + QLatin1Char('/')).toStdString());
    reloadBranding();
}

Sandbox::~Sandbox() {
    QDir::setCurrent(oldCwd_);
    OverrideProgramDirectory(std::string());
    for (auto it = savedEnv_.cbegin(); it != savedEnv_.cend(); ++it) {
        if (hadEnv_.value(it.key())) {
            qputenv(it.key().constData(), it.value());
        } else {
            qunsetenv(it.key().constData());
        }
    }
    BrandingStore::Reset();
    RemoveSystemLeftovers();
    RestoreSerialPortList();
#ifdef Q_OS_WIN
    if (browserHidden_) {
        ::RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kEmptyClasses);
    }
#endif
}

void Sandbox::SaveSerialPortList() {
#ifdef Q_OS_WIN
    for (const std::string& name : reg::ValueNames(reg::Root::LocalMachine, kSerialComm)) {
        serialPorts_.emplace_back(
            name, reg::ReadString(reg::Root::LocalMachine, kSerialComm, name).value_or(""));
        reg::DeleteValue(reg::Root::LocalMachine, kSerialComm, name);
    }
#endif
}

void Sandbox::RestoreSerialPortList() {
#ifdef Q_OS_WIN
    for (const std::string& name : reg::ValueNames(reg::Root::LocalMachine, kSerialComm)) {
        reg::DeleteValue(reg::Root::LocalMachine, kSerialComm, name);
    }
    for (const auto& [name, port] : serialPorts_) {
        reg::WriteString(reg::Root::LocalMachine, kSerialComm, name, port);
    }
#endif
}

void Sandbox::hideRegisteredBrowser() {
#ifdef Q_OS_WIN
    // This process's HKEY_CLASSES_ROOT leads to an empty key meanwhile.
    HKEY empty = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, kEmptyClasses, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          &empty, nullptr) == ERROR_SUCCESS) {
        browserHidden_ = ::RegOverridePredefKey(HKEY_CLASSES_ROOT, empty) == ERROR_SUCCESS;
        ::RegCloseKey(empty);
    }
#else
    setEnv("BROWSER", QByteArray());
#endif
}

QString Sandbox::commonAppData() const {
#ifdef Q_OS_WIN
    return QDir::fromNativeSeparators(QString::fromStdString(CommonAppDataPath()));
#else
    return dir_.path() + QStringLiteral("/xdg");
#endif
}

void Sandbox::RemoveSystemLeftovers() {
#ifdef Q_OS_WIN
    ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Quorvanta");
    HKEY runOnce = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kRunOnceKey, 0, KEY_SET_VALUE, &runOnce) ==
        ERROR_SUCCESS) {
        ::RegDeleteValueA(runOnce, kRunOnceValue);
        ::RegCloseKey(runOnce);
    }
    QDir(QString::fromStdString(CommonAppDataPath()) + QStringLiteral("/Quorvanta"))
        .removeRecursively();
#endif
}

void Sandbox::setEnv(const char* name, const QByteArray& value) {
    const QByteArray key(name);
    if (!savedEnv_.contains(key)) {
        hadEnv_[key] = qEnvironmentVariableIsSet(name);
        savedEnv_[key] = qgetenv(name);
    }
    if (value.isNull()) {
        qunsetenv(name);
    } else {
        qputenv(name, value);
    }
}

QString Sandbox::writeCdFile(const QString& relativePath, const QByteArray& content) {
    const QString path = cdDir() + QLatin1Char('/') + relativePath;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(content);
    }
    return path;
}

QString Sandbox::writeCdScript(const QString& relativePath, const QByteArray& body) {
    const QString path = writeCdFile(relativePath, QByteArrayLiteral("#!/bin/sh\n") + body);
    QFile::setPermissions(
        path, QFile::permissions(path) | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
    return path;
}

void Sandbox::reloadBranding() {
    BrandingStore::Reset();
    BrandingStore::Instance();
}

void Settle() {
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}
