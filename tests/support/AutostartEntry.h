#pragma once
// Reads the command that an XDG autostart entry runs, as a desktop session does at login:
// the Exec value split into the program and its arguments, and the Path folder to run it in.

#include <QString>
#include <QStringList>

struct AutostartCommand {
    QString program;
    QStringList arguments;
    QString folder;  // "" when the entry names none
};

// False when the file cannot be read or has no Exec value.
bool ReadAutostartEntry(const QString& path, AutostartCommand* command);
