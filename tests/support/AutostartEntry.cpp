#include "tests/support/AutostartEntry.h"

#include <QFile>

namespace {

// A string value's escapes (\s \n \t \r \\), then the Exec quoting when `exec`: blanks
// separate arguments, double quotes group them, a backslash inside quotes takes the next
// character as it is, and "%%" stands for "%".
QStringList Decode(const QString& raw, bool exec) {
    QString text;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] != QLatin1Char('\\') || i + 1 == raw.size()) {
            text += raw[i];
            continue;
        }
        const QChar c = raw[++i];
        const qsizetype at = QStringLiteral("sntr").indexOf(c);
        text += at < 0 ? c : QStringLiteral(" \n\t\r")[at];
    }
    if (!exec) {
        return {text};
    }
    QStringList arguments;
    QString argument;
    bool have = false;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted && c == QLatin1Char('\\') && i + 1 < text.size()) {
            argument += text[++i];
        } else if (c == QLatin1Char('"')) {
            quoted = !quoted;
            have = true;
        } else if (c == QLatin1Char(' ') && !quoted) {
            if (have) {
                arguments << argument.replace(QStringLiteral("%%"), QStringLiteral("%"));
            }
            argument.clear();
            have = false;
        } else {
            argument += c;
            have = true;
        }
    }
    if (have) {
        arguments << argument.replace(QStringLiteral("%%"), QStringLiteral("%"));
    }
    return arguments;
}

}  // namespace

bool ReadAutostartEntry(const QString& path, AutostartCommand* command) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    *command = AutostartCommand();
    QStringList exec;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QString text = QString::fromUtf8(line);
        if (text.startsWith(QLatin1String("Exec="))) {
            exec = Decode(text.mid(5), true);
        } else if (text.startsWith(QLatin1String("Path="))) {
            command->folder = Decode(text.mid(5), false).value(0);
        }
    }
    if (exec.isEmpty()) {
        return false;
    }
    command->program = exec.takeFirst();
    command->arguments = exec;
    return true;
}
