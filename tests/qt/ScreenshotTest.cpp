// Walks the serial road, the USB page's steps and the Ethernet road (not on Windows) and saves
// every page as a PNG under the build folder's screenshots/ (for the README and for review).
// The walk itself is checked as it goes.

#include <QDialog>
#include <QDir>
#include <QProcess>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include "app/Selections.h"
#include "host/Paths.h"
#include "host/WaitClock.h"
#include "pages/about/TAboutBox.h"
#include "pages/usb/TUsbForm.h"
#include "pages/xport/TXportConfigForm.h"
#include "tests/support/DialogRecorder.h"
#include "tests/support/PrinterSim.h"
#include "tests/support/Sandbox.h"
#include "tests/support/TestMain.h"
#include "tests/support/Walk.h"
#include "tests/support/Wizard.h"
#ifndef Q_OS_WIN
#include "tests/support/XportSim.h"
#include "tests/support/XportWalk.h"
#endif

class ScreenshotTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        dir_ = qEnvironmentVariable("VORMATIC_SCREENSHOT_DIR",
                                    QStringLiteral(VORMATIC_BUILD_DIR "/screenshots"));
        QVERIFY(QDir().mkpath(dir_));
    }

    void serialRoad() {
        Sandbox sandbox;
        QVERIFY(MakeDemoCd(sandbox, sandbox.root() + QStringLiteral("/install.log")));
        DialogRecorder dialogs;
        ClearSelections();
        PrinterSim sim({QStringLiteral("--register")});
        QVERIFY(sim.started());
        Wizard w;

        Save(w, 0, "welcome");
        w.next();
        ClickNamed(w, "AcceptRadioButton");
        Save(w, 1, "license");
        w.next();
        Save(w, 2, "connect");
        w.next();
        Save(w, 3, "serial");
        w.next();
        Save(w, 6, "port");
        ClickNamed(w, "PortFindButton");
        Save(w, 6, "port-found");

        // The model page is reached by picking the port by hand after clearing the model.
        SetPrinterModel(QString());
        w.next();
        Save(w, 7, "model");
        ClickNamed(w, "RX200ModelRadioButton");
        w.next();
        Save(w, 8, "producer");
        w.next();
        Save(w, 9, "finished");

        QVERIFY(AboutBox);
        AboutBox->show();
        QTest::qWait(50);
        SaveWidget(AboutBox, "about");
        AboutBox->hide();
        QVERIFY(dialogs.boxes.isEmpty());
    }

    // The USB page on a system that restarts for the driver: the notice on step 2 and the
    // restart step; then the resume after the restart on step 3.
    void usbRoad() {
        Sandbox sandbox;
        QVERIFY(MakeDemoCd(sandbox, sandbox.root() + QStringLiteral("/install.log")));
        DemoUsbPrinterGuard printer(sandbox.root());
        sandbox.setEnv("VORMATIC_WINDOWS_VERSION", "6.0");
        sandbox.setEnv("VORMATIC_DEMO_STATE_DIR", sandbox.root().toUtf8());
        sandbox.setEnv("VORMATIC_DEMO_INSTALL_SECONDS", "0.5");
        sandbox.setEnv("VORMATIC_DEMO_USB_PLUG_SECONDS", "60");  // no printer in these pictures
        DialogRecorder dialogs;
        ClearSelections();
        {
            Wizard w;
            WalkToUsbPage(w);
            SaveUsb(w, "UsbTabSheet1", "usb");
            QString waitSheet;
            QTimer::singleShot(200, w.shell(), [&] {
                waitSheet = UsbForm->ActiveSheet();
                SaveWidget(w.shell(), "usb-installing");
            });
            w.next();
            QCOMPARE(waitSheet, QStringLiteral("UsbTabSheet1Wait"));
            SaveUsb(w, "UsbTabSheet2", "usb-connect");
            w.next();
            SaveUsb(w, "UsbTabSheet4Restart", "usb-restart");
            w.next();
            QVERIFY(!w.shell()->isVisible());
        }
        QVERIFY(UnplugDemoUsbPrinter(sandbox.root()));
        Wizard resumed({QStringLiteral("-rusb")});
        SaveUsb(resumed, "UsbTabSheet3", "usb-resumed");
        QVERIFY(dialogs.boxes.isEmpty());
    }

#ifndef Q_OS_WIN  // the module simulator and its loopback network are the Linux tests'
    void ethernetRoad() {
        Sandbox sandbox;
        QVERIFY(MakeDemoCd(sandbox, sandbox.root() + QStringLiteral("/install.log")));
        DialogRecorder dialogs;
        ClearSelections();
        waits::SetSpeedup(10);
        const LoopbackLan lan;
        XportSim sim({QStringLiteral("--restart-ms"), QStringLiteral("200"),
                      QStringLiteral("--module"),
                      lan.Address(20) + QStringLiteral(",dhcp=") + lan.Address(120),
                      QStringLiteral("--module"), lan.Address(30, true)});
        QVERIFY(sim.started());
        lan.Apply(sandbox, sim.port());
        sandbox.setEnv("VORMATIC_DEMO_CPR_ADD",
                       (lan.Address(120) + QStringLiteral(":10001")).toUtf8());
        sandbox.setEnv("VORMATIC_CPR_OWNER_PID",
                       QByteArray::number(QCoreApplication::applicationPid()));
        {
            // The static addresses' fields, on a first visit.
            Wizard w;
            WalkToXportSheet(w, false);
            QTRY_COMPARE_WITH_TIMEOUT(XportConfigForm->State(), 3, 5000);
            Settle();
            SetPrinterRow(1);
            w.next();
            Save(w, 5, "xport-static");
        }
        Wizard w;
        w.next();
        ClickNamed(w, "AcceptRadioButton");
        w.next();
        ClickNamed(w, "EtherRadioButton");
        w.next();
        Save(w, 5, "ethernet-intro1");
        w.next();
        Save(w, 5, "ethernet-intro2");
        w.next();
        QTRY_COMPARE_WITH_TIMEOUT(XportConfigForm->State(), 3, 5000);
        Settle();
        Save(w, 5, "xport-found");
        w.next();
        QTRY_COMPARE_WITH_TIMEOUT(XportConfigForm->State(), 8, 5000);
        QTest::qWait(300);
        Save(w, 5, "xport-restarting");
        QTRY_VERIFY_WITH_TIMEOUT(XportConfigForm->IsDone(), 10000);
        Settle();
        Save(w, 5, "xport-complete");
        w.next();
        Save(w, 5, "redirect1");
        w.next();
        Save(w, 5, "redirect1-wait");
        w.next();
        Save(w, 5, "redirect2");
        w.next();
        Save(w, 5, "redirect3");
        w.next();
        Save(w, 6, "ethernet-port");
        QVERIFY(dialogs.boxes.isEmpty());
        QProcess::execute(QString::fromStdString(RedirectorManagerDefaultPath()),
                          {QStringLiteral("--remove-all")});
        waits::SetSpeedup(1);
    }
#endif

private:
    void SaveUsb(Wizard& w, const char* sheet, const char* name) {
        QVERIFY(UsbForm);
        QCOMPARE(UsbForm->ActiveSheet(), QLatin1String(sheet));
        Save(w, 4, name);
    }
    // Selects a row of the XPort page's list as a click would.
    static void SetPrinterRow(int row) {
        auto* grid = XportConfigForm->findChild<QTableWidget*>(QStringLiteral("EtherIpGrid"));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualRect(grid->model()->index(row - 1, 0)).center());
    }
    void Save(Wizard& w, int expectedIndex, const char* name) {
        QCOMPARE(w.index(), expectedIndex);
        QTest::qWait(20);
        SaveWidget(w.shell(), name);
    }
    void SaveWidget(QWidget* widget, const char* name) {
        const QString path = QStringLiteral("%1/%2-%3.png")
                                 .arg(dir_)
                                 .arg(++count_, 2, 10, QLatin1Char('0'))
                                 .arg(QLatin1String(name));
        QVERIFY2(widget->grab().save(path), qPrintable(path));
    }

    QString dir_;
    int count_ = 0;
};

VORMATIC_TEST_MAIN(ScreenshotTest)
#include "ScreenshotTest.moc"
