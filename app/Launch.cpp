#include "app/Launch.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QUrl>

#include "app/Dialogs.h"
#include "app/FormKit.h"
#include "app/Selections.h"
#include "app/TMainForm.h"
#include "host/Browser.h"
#include "host/RunOnce.h"
#include "host/WaitClock.h"

namespace {
constexpr int kWaitSliceMs = 50;
// How long a probe's wait may keep the window from answering.
constexpr qint64 kAnswerEveryMs = 20;

QElapsedTimer lastAnswer;

void AnswerWindowNowAndThen() {
    if (lastAnswer.isValid() && lastAnswer.elapsed() < kAnswerEveryMs) {
        return;
    }
    AnswerWindowOnly();
    lastAnswer.start();
}

// Disables the shell's Back and Next for its lifetime and restores the states it found.
class NavigationLock {
public:
    NavigationLock() {
        if (MainForm) {
            back_ = MainForm->BackButton()->isEnabled();
            next_ = MainForm->NextButton()->isEnabled();
            MainForm->BackButton()->setEnabled(false);
            MainForm->NextButton()->setEnabled(false);
        }
    }
    ~NavigationLock() {
        if (MainForm) {
            MainForm->BackButton()->setEnabled(back_);
            MainForm->NextButton()->setEnabled(next_);
        }
    }
    NavigationLock(const NavigationLock&) = delete;
    NavigationLock& operator=(const NavigationLock&) = delete;

private:
    bool back_ = false;
    bool next_ = false;
};
}  // namespace

void AnswerWindowOnly() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                    QEventLoop::ExcludeSocketNotifiers |
                                    QEventLoop::X11ExcludeTimers);
}

WindowAnswersDuringProbe::WindowAnswersDuringProbe() {
    lastAnswer.start();
    waits::SetPauseService(&AnswerWindowNowAndThen);
}

WindowAnswersDuringProbe::~WindowAnswersDuringProbe() {
    waits::SetPauseService(nullptr);
    lastAnswer.invalidate();
}

bool RunAndWait(const QString& programPath, const QString& workingDirectory) {
    const QFileInfo file(programPath);
    if (!file.exists() || !file.isFile()) {
        return false;
    }
    ScreenCursorManager hourglass(Qt::WaitCursor);

    // The program is started by its exact file name, never by a command line that the
    // system would split at a blank.
    QProcess process;
    process.setProgram(programPath);
    process.setArguments({});
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    if (!workingDirectory.isEmpty()) {
        process.setWorkingDirectory(workingDirectory);
    }
    process.setStandardInputFile(QProcess::nullDevice());
    process.start();
    if (!process.waitForStarted(-1)) {
        return false;
    }

    {
        NavigationLock lock;
        SetWaitingForProgram(true);
        // Wait in slices and service the queue in between, so the window stays alive.
        while (process.state() != QProcess::NotRunning && !process.waitForFinished(kWaitSliceMs)) {
            if (process.state() == QProcess::NotRunning) {
                break;
            }
            QCoreApplication::processEvents();
        }
        SetWaitingForProgram(false);
    }
    return true;
}

void RegisterRunOnce(const QString& argument) {
    const QString program = QDir::toNativeSeparators(QCoreApplication::applicationFilePath());
    if (!RegisterRunOnceEntry(ToAnsi(program), ToAnsi(argument))) {
        ShowErrorMessage(QCoreApplication::translate(
            "Launch",
            "Unable to write to the Windows Registry. You may not have sufficient privileges to "
            "install this software."));
    }
}

QString BrowserCommandLine(QString command, const QString& url) {
    const QString quoted = QStringLiteral("\"%1\"");
    const qsizetype at = command.indexOf(quoted);
    if (at >= 0) {
        command.remove(at, quoted.size());
    } else {
        const qsizetype bare = command.indexOf(QStringLiteral("%1"));
        if (bare >= 0) {
            command.remove(bare, 2);
        }
    }
    return command + QLatin1Char(' ') + url;
}

QString OpenWebAddress(const QString& url) {
    if (ShellOpenChecked(QUrl(url))) {
        return QString();
    }
    const std::optional<std::string> registered = RegisteredBrowserCommand();
    if (!registered) {
        return QCoreApplication::translate("Launch", "Web Browser Not Registered!");
    }
    if (registered->empty()) {
        return QCoreApplication::translate("Launch", "Web Browser Not Installed!");
    }
    const QStringList parts =
        QProcess::splitCommand(BrowserCommandLine(FromAnsi(*registered), url));
    if (parts.isEmpty() || !QProcess::startDetached(parts.first(), parts.mid(1))) {
        return QCoreApplication::translate("Launch", "Error Executing Web Browser!");
    }
    return QString();
}

ScreenCursorManager::ScreenCursorManager(const QCursor& cursor) {
    QApplication::setOverrideCursor(cursor);
}

ScreenCursorManager::~ScreenCursorManager() {
    QApplication::restoreOverrideCursor();
}
