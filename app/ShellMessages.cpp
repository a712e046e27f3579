#include "app/ShellMessages.h"

#include <QCoreApplication>

void PostShellMessage(QObject* target, ShellMessage message) {
    if (target) {
        QCoreApplication::postEvent(target, new ShellEvent(message));
    }
}

void PostShellMessage(QObject* target, ShellMessage message, const QString& portName) {
    if (target) {
        QCoreApplication::postEvent(target, new ShellEvent(message, portName));
    }
}
