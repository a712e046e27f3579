// Walks the serial road and the USB page's steps and saves every page as a PNG under the
// build folder's screenshots/ (for the README and for review). The walk itself is checked as
// it goes.

#include <QDialog>
#include <QDir>
#include <QTimer>
#include <QtTest>

#include "app/Selections.h"
#include "pages/about/TAboutBox.h"
#include "pages/usb/TUsbForm.h"
#include "tests/support/DialogRecorder.h"
#include "tests/support/PrinterSim.h"
#include "tests/support/Sandbox.h"
#include "tests/support/TestMain.h"
#include "tests/support/Walk.h"
#include "tests/support/Wizard.h"

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

private:
    void SaveUsb(Wizard& w, const char* sheet, const char* name) {
        QVERIFY(UsbForm);
        QCOMPARE(UsbForm->ActiveSheet(), QLatin1String(sheet));
        Save(w, 4, name);
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
