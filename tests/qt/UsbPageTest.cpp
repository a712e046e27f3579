// The USB page on the real shell: its steps and buttons for each Windows version and
// installer outcome, the restart registration, the new-port watch on step 2, the "-rusb"
// resume against the saved port list, and Back.

#include <QLabel>
#include <QListWidget>
#include <QTimer>
#include <QtTest>
#include <memory>
#include <string>

#include "app/Selections.h"
#include "host/ComPorts.h"
#include "host/Registry.h"
#include "host/RunOnce.h"
#include "host/WaitClock.h"
#include "pages/usb/TUsbForm.h"
#include "tests/support/CaptionFit.h"
#include "tests/support/DialogRecorder.h"
#include "tests/support/PrinterSim.h"
#include "tests/support/Sandbox.h"
#include "tests/support/TestMain.h"
#include "tests/support/Walk.h"
#include "tests/support/Wizard.h"

namespace {

const QString kStep1 = QStringLiteral("UsbTabSheet1");
const QString kStep1Wait = QStringLiteral("UsbTabSheet1Wait");
const QString kStep2 = QStringLiteral("UsbTabSheet2");
const QString kStep3 = QStringLiteral("UsbTabSheet3");
const QString kStep4 = QStringLiteral("UsbTabSheet4Restart");
const QString kUnsupported = QStringLiteral("The Windows version is not supported.");
const QString kLaunchFailed =
    QStringLiteral("Unable to launch the USB driver installation program.\nsetup/usb/setup.exe");
const QString kRegistryFailed = QStringLiteral(
    "Unable to write to the Windows Registry. You may not have sufficient privileges to "
    "install this software.");
const QString kExitQuestion =
    QStringLiteral("Are you sure you wish to exit without completing the installation process?");
const QString kWaitRefusal =
    QStringLiteral("Can't exit while waiting for an installation to complete.");
const QString kInfoNew = QStringLiteral(
    "The following COM ports have been found on your PC.  The newly added port has been "
    "highlighted.");
const QString kInfoNone = QStringLiteral(
    "The following COM ports have been found on your PC.  It appears that no new ports were "
    "added.");

// Registers a port in the emulated SERIALCOMM key, as a virtual port driver does; returns
// the value's name.
std::string AddPort(const QString& port) {
    static int counter = 0;
    const std::string name = "\\Device\\VormaticUsbTest" + std::to_string(counter++);
    reg::WriteString(reg::Root::LocalMachine, kSerialCommKey, name, port.toStdString());
    return name;
}

bool RunOnceRegistered() {
    return reg::ReadString(reg::Root::CurrentUser, kRunOnceKey, kRunOnceValue).has_value() &&
           QFile::exists(QString::fromStdString(AutostartEntryPath()));
}

QString Sheet() {
    return UsbForm ? UsbForm->ActiveSheet() : QString();
}

QStringList Selected(Wizard& w) {
    QStringList items;
    for (const QListWidgetItem* item : w.find<QListWidget>("PortListBox")->selectedItems()) {
        items << item->text();
    }
    return items;
}

QString PortInfo(Wizard& w) {
    return w.find<QLabel>("PortInfoLabel1")->text();
}

}  // namespace

class UsbPageTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        sandbox_ = std::make_unique<Sandbox>();
        sandbox_->writeCdFile(QStringLiteral("Quorvanta Software License.txt"), "Licence\n");
        installerLog_ = sandbox_->root() + QStringLiteral("/usb-installer.log");
        dialogs_ = std::make_unique<DialogRecorder>();
        ClearSelections();
        SetWaitingForProgram(false);
        waits::SetSpeedup(5);
    }
    void cleanup() {
        waits::SetSpeedup(1);
        dialogs_.reset();
        sandbox_.reset();
    }

    void arrivesOnStepOneWithTheLayoutOfItsSteps() {
        Wizard w;
        WalkToUsbPage(w);
        QCOMPARE(w.index(), 4);
        QCOMPARE(Sheet(), kStep1);
        QVERIFY(w.backEnabled());
        QVERIFY(w.nextEnabled());
        QVERIFY(!UsbForm->IsWatchingForNewPort());
        auto* control = w.find<QWidget>("UsbPageControl");
        QCOMPARE(control->size(), QSize(433, 337));
        QCOMPARE(w.find<QLabel>("UsbImage2")->size(), QSize(100, 100));
        QVERIFY(w.find<QLabel>("UsbLabel1")->font().bold());
        QVERIFY(w.find<QLabel>("UsbImage2")->geometry().right() < control->x());
        QVERIFY(w.find<QLabel>("UsbLabel1")->geometry().bottom() < control->y());
        // Each step's texts stand one under the other in a column 361 wide, none clipped; a
        // note stands right of its icon.
        for (const QString& step : {kStep1, kStep1Wait, kStep2, kStep3, kStep4}) {
            auto* sheet = control->findChild<QWidget*>(step);
            QCOMPARE(ClippedCaptions(sheet), QStringList());
            QRect column;
            QLabel* icon = nullptr;
            for (QLabel* label : sheet->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
                QVERIFY2(label->y() > column.bottom() || icon, qPrintable(label->objectName()));
                QVERIFY(!icon || label->x() > icon->geometry().right());
                icon = label->text().isEmpty() ? label : nullptr;
                column |= label->geometry();
            }
            QVERIFY2(column.width() <= 361, qPrintable(step));
        }
        QVERIFY(w.find<QLabel>("RestartNoticeLabel")->isHidden());
        QVERIFY(w.find<QLabel>("RestartNoticeImage")->isHidden());
        QVERIFY(dialogs_->boxes.isEmpty());
    }

    // Next on step 1 for each Windows version and installer, then on to the end of the page.
    void installsByVersionAndGoesOn_data() {
        QTest::addColumn<QByteArray>("version");  // VORMATIC_WINDOWS_VERSION; null: unset
        QTest::addColumn<QString>("installer");   // "script", "missing" or "not executable"
        QTest::addColumn<QString>("sheet");       // after Next on step 1
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("restart");
        QTest::newRow("this system") << QByteArray() << "script" << kStep2 << QString() << false;
        QTest::newRow("Vista (6.0)")
            << QByteArray("6.0") << "script" << kStep2 << QString() << true;
        QTest::newRow("2000 (5.0)")
            << QByteArray("5.0") << "script" << kStep1 << kUnsupported << false;
        QTest::newRow("missing") << QByteArray("6.1") << "missing" << kStep1 << kLaunchFailed
                                 << false;
        QTest::newRow("not executable")
            << QByteArray("6.1") << "not executable" << kStep1 << kLaunchFailed << false;
        QTest::newRow("Vista, missing")
            << QByteArray("6.0") << "missing" << kStep1 << kLaunchFailed << true;
    }
    void installsByVersionAndGoesOn() {
        QFETCH(QByteArray, version);
        QFETCH(QString, installer);
        QFETCH(QString, sheet);
        QFETCH(QString, message);
        QFETCH(bool, restart);
        sandbox_->setEnv("VORMATIC_WINDOWS_VERSION", version);
        // The installer notes whether the restart was registered by the time it ran.
        const QByteArray body =
            "{ echo ran; [ -f \"$XDG_CONFIG_HOME/autostart/vormatic-installer.desktop\" ] && "
            "echo autostart; grep -q '^\"VormaticInstaller\"=' \"$VORMATIC_REGISTRY_DIR/"
            "HKEY_CURRENT_USER.reg\" 2>/dev/null && echo runonce; } > '" +
            installerLog_.toUtf8() + "'\n";
        if (installer == QLatin1String("script")) {
            sandbox_->writeCdScript(QStringLiteral("setup/usb/setup.exe"), body);
        } else if (installer == QLatin1String("not executable")) {
            sandbox_->writeCdFile(QStringLiteral("setup/usb/setup.exe"), "#!/bin/sh\n" + body);
        }
        AddPort(QStringLiteral("COM1"));
        Wizard w;
        WalkToUsbPage(w);
        w.next();

        QCOMPARE(Sheet(), sheet);
        QVERIFY(!w.backEnabled());
        QVERIFY(w.nextEnabled());
        QCOMPARE(dialogs_->texts(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(UsbForm->RestartPending(), restart);
        QCOMPARE(RunOnceRegistered(), restart);
        QCOMPARE(!w.find<QLabel>("RestartNoticeLabel")->isHidden(), restart);
        QCOMPARE(!w.find<QLabel>("RestartNoticeImage")->isHidden(), restart);
        // The list taken before the installation is saved for a resume after a restart.
        QCOMPARE(LoadBeforePorts(), PortList{"COM1"});
        QFile log(installerLog_);
        const bool ran = log.open(QIODevice::ReadOnly);
        QCOMPARE(ran, sheet == kStep2);
        if (ran) {
            const QByteArray seen = log.readAll();
            QCOMPARE(seen.contains("runonce"), restart);
            QCOMPARE(seen.contains("autostart"), restart);
        }
        dialogs_->clear();

        if (sheet == kStep1) {
            // Exit: a registered restart lets it close at once; otherwise it asks.
            QCOMPARE(w.shell()->close(), restart);
            QCOMPARE(dialogs_->texts(), restart ? QStringList() : QStringList{kExitQuestion});
            return;
        }
        QVERIFY(UsbForm->IsWatchingForNewPort());
        w.next();  // no new port has come: Next goes on anyway
        QCOMPARE(Sheet(), restart ? kStep4 : kStep3);
        QVERIFY(!w.backEnabled());
        QVERIFY(w.nextEnabled());
        QVERIFY(!UsbForm->IsWatchingForNewPort() || restart);
        w.next();
        if (restart) {
            QVERIFY(!w.shell()->isVisible());  // closed, without the question
            QVERIFY(dialogs_->boxes.isEmpty());
            QVERIFY(RunOnceRegistered());
        } else {
            QCOMPARE(w.index(), 6);
            QCOMPARE(PortInfo(w), kInfoNone);
            QVERIFY(Selected(w).isEmpty());
            QVERIFY(dialogs_->boxes.isEmpty());
        }
    }

    // While step 2 shows, a port that appears moves the page on by itself.
    void newPortMovesStepTwoOn_data() {
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<QString>("source");  // how the port appears
        QTest::newRow("printer registers") << QByteArray("6.1") << "simulator";
        QTest::newRow("USB adapter plugged") << QByteArray("6.1") << "live device";
        QTest::newRow("Vista, before any restart") << QByteArray("6.0") << "simulator";
    }
    void newPortMovesStepTwoOn() {
        QFETCH(QByteArray, version);
        QFETCH(QString, source);
        sandbox_->setEnv("VORMATIC_WINDOWS_VERSION", version);
        sandbox_->writeCdScript(QStringLiteral("setup/usb/setup.exe"), "exit 3\n");
        AddPort(QStringLiteral("COM1"));
        Wizard w;
        WalkToUsbPage(w);
        w.next();
        QCOMPARE(Sheet(), kStep2);
        QTest::qWait(3 * waits::Ms(250));
        QCOMPARE(Sheet(), kStep2);  // nothing new yet: it keeps watching
        QVERIFY(UsbForm->IsWatchingForNewPort());

        std::unique_ptr<PrinterSim> sim;
        QString port;
        if (source == QLatin1String("simulator")) {
            sim = std::make_unique<PrinterSim>(QStringList{QStringLiteral("--register")});
            QVERIFY(sim->started());
            port = sim->device();
        } else {
            // Listed only, never opened: what the sysfs scan yields for a plugged adapter.
            port = QStringLiteral("/dev/ttyUSB0");
            sandbox_->setEnv("VORMATIC_SERIAL_DEVICES", port.toUtf8());
        }
        QTRY_COMPARE_WITH_TIMEOUT(Sheet(), kStep3, 3000);
        QVERIFY(!UsbForm->IsWatchingForNewPort());
        QVERIFY(!w.backEnabled());
        QVERIFY(w.nextEnabled());
        w.next();
        QCOMPARE(w.index(), 6);
        QCOMPARE(Selected(w), QStringList{port});
        QCOMPARE(PortInfo(w), kInfoNew);
        QCOMPARE(UsbForm->NewPortName(), port);
        QVERIFY(w.nextEnabled());
        QCOMPARE(UsbForm->RestartPending(), version == "6.0");
        QCOMPARE(RunOnceRegistered(), version == "6.0");
        QVERIFY(dialogs_->boxes.isEmpty());
    }

    void portThatVanishesOrSeveralThatAppear_data() {
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<bool>("removeAgain");
        QTest::addColumn<QString>("expected");  // highlighted on the COM port page
        QTest::newRow("appears and vanishes") << QStringList{"COM7"} << true << QString();
        QTest::newRow("several at once") << QStringList{"COM9", "COM4"} << false << "COM9";
    }
    void portThatVanishesOrSeveralThatAppear() {
        QFETCH(QStringList, added);
        QFETCH(bool, removeAgain);
        QFETCH(QString, expected);
        sandbox_->writeCdScript(QStringLiteral("setup/usb/setup.exe"), "exit 0\n");
        AddPort(QStringLiteral("COM1"));
        Wizard w;
        WalkToUsbPage(w);
        w.next();
        QCOMPARE(Sheet(), kStep2);
        std::vector<std::string> names;
        for (const QString& port : added) {
            names.push_back(AddPort(port));
        }
        QTRY_COMPARE_WITH_TIMEOUT(Sheet(), kStep3, 3000);
        if (removeAgain) {
            for (const std::string& name : names) {
                reg::DeleteValue(reg::Root::LocalMachine, kSerialCommKey, name);
            }
        }
        w.next();
        QCOMPARE(w.index(), 6);
        QCOMPARE(Selected(w), expected.isEmpty() ? QStringList() : QStringList{expected});
        QCOMPARE(PortInfo(w), expected.isEmpty() ? kInfoNone : kInfoNew);
    }

    void backLeavesOnlyFromStepOne() {
        sandbox_->writeCdScript(QStringLiteral("setup/usb/setup.exe"), "sleep 0.3\n");
        Wizard w;
        WalkToUsbPage(w);
        w.back();
        QCOMPARE(w.index(), 2);  // step 1: back to the connection choice
        w.next();
        QCOMPARE(w.index(), 4);
        QCOMPARE(Sheet(), kStep1);

        // While the installer runs: the wait step, both buttons off, Exit refused.
        QString waitSheet;
        bool backDuringWait = true;
        bool nextDuringWait = true;
        bool closed = true;
        QTimer::singleShot(100, w.shell(), [&] {
            waitSheet = Sheet();
            backDuringWait = w.backEnabled();
            nextDuringWait = w.nextEnabled();
            closed = w.shell()->close();
        });
        w.next();
        QCOMPARE(waitSheet, kStep1Wait);
        QVERIFY(!backDuringWait);
        QVERIFY(!nextDuringWait);
        QVERIFY(!closed);
        QCOMPARE(dialogs_->texts(), QStringList{kWaitRefusal});

        // After the installation has started, Back stays off on steps 2 and 3 and does nothing.
        QCOMPARE(Sheet(), kStep2);
        QVERIFY(!w.backEnabled());
        w.back();
        QCOMPARE(Sheet(), kStep2);
        w.next();
        QCOMPARE(Sheet(), kStep3);
        QVERIFY(!w.backEnabled());
        w.back();
        QCOMPARE(Sheet(), kStep3);

        // Back from the COM port page returns to the USB page, which starts over on step 1.
        w.next();
        QCOMPARE(w.index(), 6);
        w.back();
        QCOMPARE(w.index(), 4);
        QCOMPARE(Sheet(), kStep1);
        QVERIFY(w.backEnabled());
        QVERIFY(w.nextEnabled());
    }

    void registryThatCannotBeWrittenStillGoesOnToTheRestart() {
        sandbox_->setEnv("VORMATIC_WINDOWS_VERSION", "6.0");
        sandbox_->writeCdScript(QStringLiteral("setup/usb/setup.exe"), "exit 0\n");
        // A registry folder below a plain file cannot be created.
        const QString blocker = sandbox_->writeCdFile(QStringLiteral("blocker"), "x");
        sandbox_->setEnv("VORMATIC_REGISTRY_DIR", (blocker + QStringLiteral("/reg")).toUtf8());
        Wizard w;
        WalkToUsbPage(w);
        w.next();
        // The port list could not be saved either, and the user hears of both.
        QCOMPARE(dialogs_->texts().size(), 2);
        QCOMPARE(dialogs_->texts().last(), kRegistryFailed);
        QVERIFY(dialogs_->texts().first().contains(blocker));
        QCOMPARE(Sheet(), kStep2);
        QVERIFY(UsbForm->RestartPending());
        QVERIFY(!w.find<QLabel>("RestartNoticeLabel")->isHidden());
        QVERIFY(!QFile::exists(QString::fromStdString(AutostartEntryPath())));
        w.next();
        QCOMPARE(Sheet(), kStep4);
        w.next();
        QVERIFY(!w.shell()->isVisible());
        QCOMPARE(dialogs_->boxes.size(), 2);
    }

    // Within one run the hand-over compares with the list step 1 took, whatever the store
    // holds by then; a save that failed is shown.
    void handOverComparesWithTheListItTook_data() {
        QTest::addColumn<QString>("store");  // "older": replaced since; "damaged": cannot save
        QTest::newRow("an older list stored since") << "older";
        QTest::newRow("save fails") << "damaged";
    }
    void handOverComparesWithTheListItTook() {
        QFETCH(QString, store);
        QString saveFailure;
        if (store == QLatin1String("damaged")) {
            WriteFile(sandbox_->registryDir() + QStringLiteral("/HKEY_CURRENT_USER.reg"),
                      "REGEDIT4\r\n\r\ngarbage line\r\n");
            saveFailure = QString::fromStdString(SaveBeforePorts({}));
            QVERIFY(!saveFailure.isEmpty());
        }
        Wizard w;
        ToStepTwo(w);
        if (store == QLatin1String("older")) {
            QCOMPARE(SaveBeforePorts({}), std::string());  // from before COM1 was there
        }
        QCOMPARE(dialogs_->boxes.size(), saveFailure.isEmpty() ? 0 : 1);
        if (!saveFailure.isEmpty()) {
            QCOMPARE(dialogs_->boxes[0].title, QStringLiteral("Error"));
            QVERIFY(dialogs_->boxes[0].text.contains(saveFailure));
        }
        AddPort(QStringLiteral("COM7"));
        QTRY_COMPARE_WITH_TIMEOUT(Sheet(), kStep3, 3000);
        w.next();
        QCOMPARE(w.index(), 6);
        QCOMPARE(UsbForm->NewPortName(), QStringLiteral("COM7"));
        QCOMPARE(Selected(w), QStringList{"COM7"});
    }

    // A COM port inventory that fails while step 2 polls is shown once per failure, and the
    // watch goes on.
    void inventoryFailureWhileWatchingIsShownOnce() {
        Wizard w;
        ToStepTwo(w);
        const QString hive = sandbox_->registryDir() + QStringLiteral("/HKEY_LOCAL_MACHINE.reg");
        const auto breakInventory = [&] {
            QFile file(hive);
            QVERIFY(file.open(QIODevice::Append));
            file.write("\"\\\\Device\\\\Broken\"=dword:00000001\r\n");
        };
        breakInventory();
        const QString failure = QString::fromStdString(ListComPorts(nullptr));
        QVERIFY(!failure.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(dialogs_->texts(), QStringList{failure}, 3000);
        QTest::qWait(6 * waits::Ms(250));
        QCOMPARE(dialogs_->texts(), QStringList{failure});
        QCOMPARE(Sheet(), kStep2);
        QVERIFY(UsbForm->IsWatchingForNewPort());

        // Mended, then broken again: a new failure, shown again.
        reg::DeleteValue(reg::Root::LocalMachine, kSerialCommKey, "\\Device\\Broken");
        QTest::qWait(3 * waits::Ms(250));
        breakInventory();
        QTRY_COMPARE_WITH_TIMEOUT(dialogs_->texts(), (QStringList{failure, failure}), 3000);
        QVERIFY(UsbForm->IsWatchingForNewPort());
    }

    // A "-rusb" start compares today's ports with the list saved before the restart.
    void resumesOnStepThreeAgainstTheSavedList_data() {
        QTest::addColumn<QString>("saved");  // "<missing>", "<damaged>", "<dword>" or the text
        QTest::addColumn<QStringList>("ports");
        QTest::addColumn<QString>("expected");
        QTest::newRow("one port added") << "COM1," << QStringList{"COM1", "COM5"} << "COM5";
        QTest::newRow("none added") << "COM1,COM5," << QStringList{"COM1", "COM5"} << QString();
        QTest::newRow("no port before") << "" << QStringList{"COM5"} << "COM5";
        QTest::newRow("no port at all") << "" << QStringList{} << QString();
        QTest::newRow("never saved") << "<missing>" << QStringList{"COM1", "COM5"} << QString();
        QTest::newRow("damaged hive") << "<damaged>" << QStringList{"COM5"} << QString();
        QTest::newRow("not a string") << "<dword>" << QStringList{"COM5"} << QString();
    }
    void resumesOnStepThreeAgainstTheSavedList() {
        QFETCH(QString, saved);
        QFETCH(QStringList, ports);
        QFETCH(QString, expected);
        for (const QString& port : ports) {
            AddPort(port);
        }
        const QString hive = sandbox_->registryDir() + QStringLiteral("/HKEY_CURRENT_USER.reg");
        if (saved == QLatin1String("<damaged>")) {
            WriteFile(hive, "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software]\r\n\"x\"=zzz\r\n");
        } else if (saved == QLatin1String("<dword>")) {
            WriteFile(hive,
                      "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Quorvanta\\"
                      "VormaticInstaller\\Prefs]\r\n\"BeforePorts\"=dword:00000001\r\n");
        } else if (saved != QLatin1String("<missing>")) {
            SaveBeforePorts(ParseBeforePorts(saved.toStdString()));
        }
        QVERIFY(RegisterRunOnceEntry("/cd/vormatic-installer", "-rusb") ||
                saved == QLatin1String("<damaged>"));

        Wizard w({QStringLiteral("-rusb")});
        QCOMPARE(w.index(), 4);
        QCOMPARE(Sheet(), kStep3);
        QVERIFY(!w.backEnabled());
        QVERIFY(w.nextEnabled());
        for (int slot : {kWelcomeSlot, kLicenseSlot, kConnectSlot}) {
            QVERIFY(w.shell()->ChildForm(slot) == nullptr);
        }
        QVERIFY(!QFile::exists(QString::fromStdString(AutostartEntryPath())));
        w.back();
        QCOMPARE(Sheet(), kStep3);

        w.next();
        QCOMPARE(w.index(), 6);
        QCOMPARE(Selected(w), expected.isEmpty() ? QStringList() : QStringList{expected});
        QCOMPARE(PortInfo(w), expected.isEmpty() ? kInfoNone : kInfoNew);
        QCOMPARE(UsbForm->NewPortName(), expected);
        QVERIFY(dialogs_->boxes.isEmpty());
    }

private:
    // With COM1 present, through a driver installation to step 2.
    void ToStepTwo(Wizard& w) {
        sandbox_->writeCdScript(QStringLiteral("setup/usb/setup.exe"), "exit 0\n");
        AddPort(QStringLiteral("COM1"));
        WalkToUsbPage(w);
        w.next();
        QCOMPARE(Sheet(), kStep2);
    }
    static void WriteFile(const QString& path, const QByteArray& content) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    std::unique_ptr<Sandbox> sandbox_;
    std::unique_ptr<DialogRecorder> dialogs_;
    QString installerLog_;
};

VORMATIC_TEST_MAIN(UsbPageTest)
#include "UsbPageTest.moc"
