// The USB road across a restart, in two processes. The first run, on a Windows that must
// restart for the driver (VORMATIC_WINDOWS_VERSION=6.0), installs the demo CD's stand-in
// driver, registers itself to run again and closes on the restart step. The printer is then
// plugged in. A second process is started as the login after the restart would start it:
// the autostart entry's command in the entry's folder. That is this test program again with
// "-rusb", which runs UsbResumedRun below on the real wizard built from its command line: it
// resumes on step 3, hands the new port to the COM port page, finds the printer and finishes.

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

}  // namespace

// The second process, after the "restart".
class UsbResumedRun : public QObject {
    Q_OBJECT
private slots:
    void resumesOnStepThreeAndFinishesTheRoad() {
        // The program lies in the CD folder it is started in; this test program does not, so
        // the CD folder stands in for its directory (the Producer installers are found there).
        OverrideProgramDirectory((QDir::currentPath() + QLatin1Char('/')).toStdString());
        DialogRecorder dialogs;
        ClearSelections();
        const QString autostart = QString::fromStdString(AutostartEntryPath());
        // The entry went before this program started; the RunOnce value is the wizard's to go.
        QVERIFY(!QFile::exists(autostart));
        QVERIFY(reg::ReadString(reg::Root::CurrentUser, kRunOnceKey, kRunOnceValue));

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

        {
            Wizard w;
            WalkToUsbPage(w);
            w.next();  // runs the stand-in driver installer
            QCOMPARE(Sheet(), QStringLiteral("UsbTabSheet2"));
            QVERIFY(!w.find<QLabel>("RestartNoticeLabel")->isHidden());
            QVERIFY(SerialComm().isEmpty());
            w.next();
            QCOMPARE(Sheet(), QStringLiteral("UsbTabSheet4Restart"));
            w.next();
            QVERIFY(!w.shell()->isVisible());
            QCOMPARE(dialogs.texts(), QStringList());
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
        second.setProcessChannelMode(QProcess::MergedChannels);
        // Start it from another folder, so only the entry's command can put it in the CD.
        QDir::setCurrent(sandbox.root());
        second.start(command.program, command.arguments);
        QVERIFY(second.waitForFinished(120000));
        const QByteArray output = second.readAll();
        QVERIFY2(second.exitStatus() == QProcess::NormalExit && second.exitCode() == 0,
                 output.constData());
        QVERIFY2(output.contains("PASS   : UsbResumedRun::resumesOnStepThreeAndFinishesTheRoad"),
                 output.constData());

        QVERIFY(!QFile::exists(QString::fromStdString(AutostartEntryPath())));
        QVERIFY(installLog.seek(0));
        QVERIFY(installLog.readAll().contains("Vormatic Producer SL installed"));
        const auto registered = reg::ReadString(
            reg::Root::CurrentUser, "SOFTWARE\\Quorvanta\\VormaticSL\\Prefs\\Send", "PortName");
        QCOMPARE(QString::fromStdString(registered.value_or("")), port);
    }
};

int main(int argc, char** argv) {
    Application app(argc, argv);
    InitApplication(app);
    app.setAttribute(Qt::AA_Use96Dpi, true);
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
