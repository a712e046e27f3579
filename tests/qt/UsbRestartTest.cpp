// The USB road across a restart, in two processes. The first run, on a Windows that must
// restart for the driver (VORMATIC_WINDOWS_VERSION=6.0), installs the demo CD's stand-in
// driver, registers itself to run again and closes on the restart step. The printer is then
// plugged in. A second process is started as the login after the restart would start it:
// the autostart entry's command in the entry's folder. That is this test program again with
// "-rusb", which runs UsbResumedRun below on the real wizard built from its command line: it
// resumes on step 3, hands the new port to the COM port page, finds the printer and finishes.
// On Windows the second process is started as Explorer starts a RunOnce value at logon.

#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QtTest>

#include "app/Selections.h"
#include "app/TMainForm.h"
#include "host/ComPorts.h"
#include "host/Paths.h"
#include "host/Registry.h"
#include "host/RunOnce.h"
#include "pages/usb/TUsbForm.h"
#include "tests/support/AutostartEntry.h"
#include "tests/support/DialogRecorder.h"
#include "tests/support/Sandbox.h"
#include "tests/support/TestMain.h"
#include "tests/support/Walk.h"
#include "tests/support/Wizard.h"

namespace {

const QByteArray kIdentity = "MZ4-B Vormatic Slide Printer v1.0";
// Handed to the second process: the port the stand-in installer's printer registered.
constexpr const char* kExpectedPortVariable = "VORMATIC_TEST_USB_PORT";
// Windows: the CD folder of the first run, for the second.
[[maybe_unused]] constexpr const char* kCdVariable = "VORMATIC_TEST_USB_CD";

QString Sheet() {
    return UsbForm ? UsbForm->ActiveSheet() : QString();
}

QStringList SerialComm() {
    PortList ports;
    ListComPorts(&ports);
    QStringList names;
    for (const std::string& port : ports) {
        names << QString::fromStdString(port);
    }
    return names;
}

// The first run, from the USB page: the driver installer runs and says to restart;
// `installed()` holds then; the wizard closes on the restart step without a message.
template <typename Check>
void WalkToTheRestart(const DialogRecorder& dialogs, Check installed) {
    Wizard w;
    WalkToUsbPage(w);
    w.next();  // runs the stand-in driver installer
    QCOMPARE(Sheet(), QStringLiteral("UsbTabSheet2"));
    QVERIFY(!w.find<QLabel>("RestartNoticeLabel")->isHidden());
    QVERIFY(installed());
    w.next();
    QCOMPARE(Sheet(), QStringLiteral("UsbTabSheet4Restart"));
    w.next();
    QVERIFY(!w.shell()->isVisible());
    QCOMPARE(dialogs.texts(), QStringList());
}

// Starts `command` (the program, then its arguments) in `folder` and waits until the resumed
// run has passed.
void RunSecondProcess(QProcess& second, const QStringList& command, const QString& folder) {
    second.setProcessChannelMode(QProcess::MergedChannels);
    second.setWorkingDirectory(folder);
    second.start(command.value(0), command.mid(1));
    QVERIFY(second.waitForFinished(120000));
    const QByteArray output = second.readAll();
    QVERIFY2(second.exitStatus() == QProcess::NormalExit && second.exitCode() == 0,
             output.constData());
    QVERIFY2(output.contains("PASS   : UsbResumedRun::resumesOnStepThreeAndFinishesTheRoad"),
             output.constData());
}

#ifdef Q_OS_WIN
QByteArray InstallLog(const QString& path) {
    QFile log(path);
    return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
}
#endif

}  // namespace

// The second process, after the "restart".
class UsbResumedRun : public QObject {
    Q_OBJECT
private slots:
    void resumesOnStepThreeAndFinishesTheRoad() {
        // The program lies on the CD; this test program does not, so the CD folder stands in
        // for its directory (the Producer installers are found there): on POSIX the folder the
        // entry starts it in, on Windows the one the first run names.
#ifdef Q_OS_WIN
        const QString cd = qEnvironmentVariable(kCdVariable);
#else
        const QString cd = QDir::currentPath();
#endif
        OverrideProgramDirectory((cd + QLatin1Char('/')).toStdString());
        DialogRecorder dialogs;
        ClearSelections();
        const QString autostart = QString::fromStdString(AutostartEntryPath());
        // The entry went before this program started; the RunOnce value is the wizard's to go
        // on POSIX, Explorer's on Windows.
        QVERIFY(!QFile::exists(autostart));
#ifndef Q_OS_WIN
        QVERIFY(reg::ReadString(reg::Root::CurrentUser, kRunOnceKey, kRunOnceValue));
#endif

        Wizard w(QCoreApplication::arguments().mid(1));
        QCOMPARE(w.index(), 4);
        QCOMPARE(Sheet(), QStringLiteral("UsbTabSheet3"));
        QVERIFY(!w.backEnabled());
        QVERIFY(w.nextEnabled());
        QVERIFY(!QFile::exists(autostart));
        QVERIFY(!reg::ReadString(reg::Root::CurrentUser, kRunOnceKey, kRunOnceValue));

        w.next();
        QCOMPARE(w.index(), 6);
        const QString port = qEnvironmentVariable(kExpectedPortVariable);
        QVERIFY(!port.isEmpty());
        auto* list = w.find<QListWidget>("PortListBox");
        QCOMPARE(list->selectedItems().size(), 1);
        QCOMPARE(list->selectedItems().first()->text(), port);
        QVERIFY(w.nextEnabled());

        ClickNamed(w, "PortFindButton");
        QVERIFY2(w.find<QLabel>("PortFoundLabel")->text().contains(QString::fromLatin1(kIdentity)),
                 qPrintable(w.find<QLabel>("PortFoundLabel")->text()));
        QCOMPARE(GetPrinterModel(), QStringLiteral("MZ4-B"));
        w.next();
        QCOMPARE(w.index(), 8);  // identified: no model page
        QCOMPARE(GetSelectedPort(), port);
        w.next();
        QCOMPARE(w.index(), 9);
        QCOMPARE(dialogs.texts(), QStringList());
        QVERIFY(w.shell()->close());
    }
};

class UsbRestartTest : public QObject {
    Q_OBJECT
private slots:
#ifdef Q_OS_WIN
    // Wine makes COM ports only when the prefix starts, so the test script mapped the
    // printer's port (VORMATIC_WINE_USB_PRINTER, leading to the simulator's device
    // VORMATIC_WINE_USB_PRINTER_DEVICE) before; the sandbox empties the list of ports, and the
    // CD's stand-in driver installer lists it, as a driver does when the printer is plugged in.
    void restartRoadResumesFromRunOnce() {
        const QString port = qEnvironmentVariable("VORMATIC_WINE_USB_PRINTER");
        QVERIFY2(!port.isEmpty(), "VORMATIC_WINE_USB_PRINTER names no port");
        Sandbox sandbox;
        const QString log = sandbox.root() + QStringLiteral("/install.log");
        QVERIFY(MakeDemoCd(sandbox, log));
        sandbox.setEnv("VORMATIC_WINDOWS_VERSION", "6.0");
        sandbox.setEnv("VORMATIC_DEMO_USB_PORT", port.toUtf8());
        sandbox.setEnv("VORMATIC_DEMO_USB_PRINTER_DEVICE",
                       qgetenv("VORMATIC_WINE_USB_PRINTER_DEVICE"));
        DialogRecorder dialogs;
        ClearSelections();
        QVERIFY(!SerialComm().contains(port));
        WalkToTheRestart(dialogs, [&port] { return SerialComm().contains(port); });
        if (QTest::currentTestFailed()) {
            return;
        }

        // Explorer at the next logon: the value goes, then its command line runs.
        const auto command = reg::ReadString(reg::Root::CurrentUser, kRunOnceKey, kRunOnceValue);
        const QString self = QDir::toNativeSeparators(QCoreApplication::applicationFilePath());
        QCOMPARE(QString::fromStdString(command.value_or("")),
                 QString::fromStdString(RunOnceCommandLine(self.toStdString(), "-rusb")));
        reg::DeleteValue(reg::Root::CurrentUser, kRunOnceKey, kRunOnceValue);
        QProcess second;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(kExpectedPortVariable), port);
        environment.insert(QString::fromLatin1(kCdVariable), sandbox.cdDir());
        second.setProcessEnvironment(environment);
        RunSecondProcess(second, QProcess::splitCommand(QString::fromStdString(*command)),
                         sandbox.root());
        if (QTest::currentTestFailed()) {
            return;
        }

        QCOMPARE(InstallLog(log).count("Vormatic Producer SL installed"), 1);
        const auto registered = reg::ReadString(
            reg::Root::CurrentUser, "SOFTWARE\\Quorvanta\\VormaticSL\\Prefs\\Send", "PortName");
        QCOMPARE(QString::fromStdString(registered.value_or("")), port);
    }
#else
    void restartRoadResumesInASecondProcess() {
        Sandbox sandbox;
        const QString log = sandbox.root() + QStringLiteral("/install.log");
        QVERIFY(MakeDemoCd(sandbox, log));
        DemoUsbPrinterGuard printer(sandbox.root());
        sandbox.setEnv("VORMATIC_WINDOWS_VERSION", "6.0");
        sandbox.setEnv("VORMATIC_DEMO_STATE_DIR", sandbox.root().toUtf8());
        // Long enough that the printer comes after the first run has closed.
        sandbox.setEnv("VORMATIC_DEMO_USB_PLUG_SECONDS", "2");
        sandbox.setEnv("VORMATIC_DEMO_USB_PRINTER_IDENTITY", kIdentity);
        DialogRecorder dialogs;
        ClearSelections();

        WalkToTheRestart(dialogs, [] { return SerialComm().isEmpty(); });
        if (QTest::currentTestFailed()) {
            return;
        }
        QFile installLog(log);
        QVERIFY(installLog.open(QIODevice::ReadOnly));
        QVERIFY(installLog.readAll().contains("USB driver installed"));

        // The printer is plugged in while the PC restarts.
        QTRY_COMPARE_WITH_TIMEOUT(SerialComm().size(), 1, 10000);
        const QString port = SerialComm().first();

        AutostartCommand command;
        QVERIFY(ReadAutostartEntry(QString::fromStdString(AutostartEntryPath()), &command));
        // A shell removes the entry, then starts the program with "-rusb" (a RunOnce value is
        // gone before its program runs).
        QCOMPARE(command.program, QStringLiteral("/bin/sh"));
        QCOMPARE(command.arguments.mid(command.arguments.size() - 2),
                 (QStringList{QCoreApplication::applicationFilePath(), QStringLiteral("-rusb")}));
        QVERIFY(command.arguments.contains(QString::fromStdString(AutostartEntryPath())));
        // The shell changes to the CD folder, which comes before the program.
        QCOMPARE(command.folder, QString());
        QCOMPARE(QDir(command.arguments.value(command.arguments.size() - 3)).canonicalPath(),
                 QDir(sandbox.cdDir()).canonicalPath());

        QProcess second;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(kExpectedPortVariable), port);
        second.setProcessEnvironment(environment);
        // Started from another folder, so only the entry's command can put it in the CD.
        RunSecondProcess(second, QStringList{command.program} + command.arguments, sandbox.root());
        if (QTest::currentTestFailed()) {
            return;
        }

        QVERIFY(!QFile::exists(QString::fromStdString(AutostartEntryPath())));
        QVERIFY(installLog.seek(0));
        QVERIFY(installLog.readAll().contains("Vormatic Producer SL installed"));
        const auto registered = reg::ReadString(
            reg::Root::CurrentUser, "SOFTWARE\\Quorvanta\\VormaticSL\\Prefs\\Send", "PortName");
        QCOMPARE(QString::fromStdString(registered.value_or("")), port);
    }
#endif
};

int main(int argc, char** argv) {
    Application app(argc, argv);
    PrepareTestApplication(app);
    QTEST_SET_MAIN_SOURCE_PATH
    // Started again from the autostart entry, as after a restart.
    if (IsUsbResumeArgument(app.arguments().mid(1))) {
        UsbResumedRun run;
        return QTest::qExec(&run, 1, argv);
    }
    UsbRestartTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "UsbRestartTest.moc"
