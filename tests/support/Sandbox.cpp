#include "tests/support/Sandbox.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include "host/BrandingStore.h"
#include "host/Paths.h"

Sandbox::Sandbox() : oldCwd_(QDir::currentPath()) {
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
