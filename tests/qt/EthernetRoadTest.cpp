// The Ethernet road end to end on the real shell: a simulated XPort module on a private
// loopback subnet, the demo CD's stand-in redirector installed and run by the page, the new
// virtual COM port handed to the COM port page, the printer found through it, and the port in
// Producer's preferences.

#include <unistd.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QTextEdit>
#include <QtTest>

#include "app/Selections.h"
#include "host/Paths.h"
#include "host/Registry.h"
#include "host/WaitClock.h"
#include "pages/ethernet/TEthernetForm.h"
#include "pages/xport/TXportConfigForm.h"
#include "tests/support/DialogRecorder.h"
#include "tests/support/Sandbox.h"
#include "tests/support/TestMain.h"
#include "tests/support/Walk.h"
#include "tests/support/Wizard.h"
#include "tests/support/XportSim.h"
#include "tests/support/XportWalk.h"

class EthernetRoadTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        sandbox_ = std::make_unique<Sandbox>();
        QVERIFY(MakeDemoCd(*sandbox_, sandbox_->root() + QStringLiteral("/install.log")));
        dialogs_ = std::make_unique<DialogRecorder>();
        ClearSelections();
        waits::SetSpeedup(kXportSpeedup);
    }
    void cleanup() {
        // Every bridge the manager started goes with the test.
        QProcess::execute(QString::fromStdString(RedirectorManagerDefaultPath()),
                          {QStringLiteral("--remove-all")});
        dialogs_.reset();
        sandbox_.reset();
        waits::SetSpeedup(1);
    }

    void throughTheModuleAndTheRedirector() {
        const QString printerAddress = lan_.Address(120);
        XportSim sim({QStringLiteral("--restart-ms"), QStringLiteral("50"),
                      QStringLiteral("--module"),
                      lan_.Address(20) + QStringLiteral(",dhcp=") + printerAddress});
        QVERIFY(sim.started());
        lan_.Apply(*sandbox_, sim.port());
        // What the user types into the manager's window: the printer's address and 10001.
        sandbox_->setEnv("VORMATIC_DEMO_CPR_ADD",
                         (printerAddress + QStringLiteral(":10001")).toUtf8());
        sandbox_->setEnv("VORMATIC_CPR_OWNER_PID", QByteArray::number(::getpid()));

        Wizard w;
        WalkToXportSheet(w, true);
        QTRY_VERIFY_WITH_TIMEOUT(ChoosingPrinter(w), kXportCourseMs);
        w.next();
        QTRY_VERIFY2_WITH_TIMEOUT(
            XportConfigForm->IsDone(),
            qPrintable(QStringLiteral("state %1: ").arg(XportConfigForm->State()) +
                       XportConfigForm->findChild<QTextEdit*>(QStringLiteral("InfoRichEdit"))
                           ->toPlainText()),
            kXportCourseMs);
        QTRY_VERIFY(w.nextEnabled());
        QCOMPARE(XportConfigForm->findChild<QLabel*>(QStringLiteral("ProgressLabel"))->text(),
                 QStringLiteral("Configuration complete."));
        w.next();
        QCOMPARE(EthernetForm->ActiveSheet(), QStringLiteral("EtherRedirectTab1"));
        w.next();  // the stand-in installer puts the manager at its default path
        QCOMPARE(EthernetForm->ActiveSheet(), QStringLiteral("EtherRedirectTab1Wait"));
        w.next();
        QCOMPARE(EthernetForm->ActiveSheet(), QStringLiteral("EtherRedirectTab2"));
        QVERIFY(!w.find<QLineEdit>("EtherRedirPathEdit")->isVisible());
        w.next();  // the manager makes the virtual port
        QCOMPARE(EthernetForm->ActiveSheet(), QStringLiteral("EtherRedirectTab3"));
        w.next();

        QCOMPARE(w.index(), 6);
        const QString port = EthernetForm->NewPortName();
        QVERIFY2(port.startsWith(QStringLiteral("/dev/")), qPrintable(port));
        auto* list = w.find<QListWidget>("PortListBox");
        QCOMPARE(list->selectedItems().size(), 1);
        QCOMPARE(list->selectedItems().first()->text(), port);
        QVERIFY(w.nextEnabled());

        ClickNamed(w, "PortFindButton");
        QVERIFY2(w.find<QLabel>("PortFoundLabel")
                     ->text()
                     .startsWith(QStringLiteral("A Vormatic Printer has been found on ") + port),
                 qPrintable(w.find<QLabel>("PortFoundLabel")->text()));
        QCOMPARE(GetPrinterModel(), QStringLiteral("RX200"));
        w.next();
        QCOMPARE(w.index(), 8);
        w.next();
        QCOMPARE(w.index(), 9);
        QVERIFY2(dialogs_->boxes.isEmpty(), qPrintable(dialogs_->texts().join(QLatin1Char('|'))));
        const auto stored = reg::ReadString(
            reg::Root::CurrentUser, "SOFTWARE\\Quorvanta\\Vormatic\\Prefs\\Send", "PortName");
        QCOMPARE(QString::fromStdString(stored.value_or("")), port);
    }

private:
    LoopbackLan lan_;
    std::unique_ptr<Sandbox> sandbox_;
    std::unique_ptr<DialogRecorder> dialogs_;
};

VORMATIC_TEST_MAIN(EthernetRoadTest)
#include "EthernetRoadTest.moc"
