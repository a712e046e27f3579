#include "tests/support/AutostartEntry.h"

#include <QFile>

namespace {

// The escapes of a string value: \s \n \t \r \\.
QString UnescapeString(const QString& raw) {
    QString out;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        QChar c = raw[i];
        if (c == QLatin1Char('\\') && i + 1 < raw.size()) {
            c = raw[++i];
            if (c == QLatin1Char('s')) {
                c = QLatin1Char(' ');
            } else if (c == QLatin1Char('n')) {
                c = QLatin1Char('\n');
            } else if (c == QLatin1Char('t')) {
                c = QLatin1Char('\t');
            } else if (c == QLatin1Char('r')) {
                c = QLatin1Char('\r');
            }
        }
        out += c;
    }
    return out;
}

// The Exec quoting: blanks separate arguments, double quotes group, and inside them a
// backslash takes the next character literally; "%%" is a literal "%".
QStringList SplitExec(const QString& exec) {
    QStringList arguments;
    QString argument;
    bool have = false;
    bool quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (quoted) {
            if (c == QLatin1Char('\\') && i + 1 < exec.size()) {
                argument += exec[++i];
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                argument += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
            have = true;
        } else if (c == QLatin1Char(' ')) {
            if (have) {
                arguments << argument;
            }
            argument.clear();
            have = false;
        } else {
            argument += c;
            have = true;
        }
    }
    if (have) {
        arguments << argument;
    }
    for (QString& a : arguments) {
        a.replace(QStringLiteral("%%"), QStringLiteral("%"));
    }
    return arguments;
}

}  // namespace

bool ReadAutostartEntry(const QString& path, AutostartCommand* command) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    QStringList exec;
    *command = AutostartCommand();
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QString text = QString::fromUtf8(line);
        if (text.startsWith(QLatin1String("Exec="))) {
            exec = SplitExec(UnescapeString(text.mid(5)));
        } else if (text.startsWith(QLatin1String("Path="))) {
            command->folder = UnescapeString(text.mid(5));
        }
    }
    if (exec.isEmpty()) {
        return false;
    }
    command->program = exec.takeFirst();
    command->arguments = exec;
    return true;
}
