// The serial road end to end on the real shell: the demo CD, the printer simulator on a
// pseudo-terminal, the real probe, the demo installers and the port in Producer's settings.

#include <QLabel>
#include <QListWidget>
#include <QtTest>

#include "app/Selections.h"
#include "host/IniFile.h"
#include "host/Registry.h"
#include "tests/support/DialogRecorder.h"
#include "tests/support/PrinterSim.h"
#include "tests/support/Sandbox.h"
#include "tests/support/TestMain.h"
#include "tests/support/Walk.h"
#include "tests/support/Wizard.h"

class SerialRoadTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        sandbox_ = std::make_unique<Sandbox>();
        log_ = sandbox_->root() + QStringLiteral("/install.log");
        QVERIFY(MakeDemoCd(*sandbox_, log_));
        dialogs_ = std::make_unique<DialogRecorder>();
        ClearSelections();
    }
    void cleanup() {
        dialogs_.reset();
        sandbox_.reset();
    }

    void findsThePrinterAndRegistersItsPort() {
        // --check-line makes the simulator warn when the host's line settings differ from
        // 19200 8N1 with XON/XOFF; the log is checked for that warning below.
        PrinterSim sim({QStringLiteral("--register"), QStringLiteral("--check-line"),
                        QStringLiteral("--identity"),
                        QStringLiteral("RX200 Vormatic Tag Printer v2.14")});
        QVERIFY(sim.started());
        Wizard w;
        WalkToPortPage(w);
        QCOMPARE(w.index(), 6);
        auto* list = w.find<QListWidget>("PortListBox");
        QVERIFY(list);
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->item(0)->text(), sim.device());
        QVERIFY(!w.nextEnabled());

        ClickNamed(w, "PortFindButton");
        auto* found = w.find<QLabel>("PortFoundLabel");
        QCOMPARE(found->text(), QStringLiteral("A Vormatic Printer has been found on ") +
                                    sim.device() +
                                    QStringLiteral("\n\nRX200 Vormatic Tag Printer v2.14\n\n"
                                                   "Click Next to continue..."));
        QVERIFY(w.nextEnabled());
        QCOMPARE(GetPrinterModel(), QStringLiteral("RX200"));

        w.next();  // the model is known: straight to Producer
        QCOMPARE(w.index(), 8);
        QCOMPARE(GetSelectedPort(), sim.device());
        w.next();  // runs the demo installer, then registers the port
        QCOMPARE(w.index(), 9);
        QVERIFY(dialogs_->boxes.isEmpty());

        const auto port = reg::ReadString(reg::Root::CurrentUser,
                                          "SOFTWARE\\Quorvanta\\Vormatic\\Prefs\\Send", "PortName");
        QVERIFY(port.has_value());
        QCOMPARE(QString::fromStdString(*port), sim.device());
        QFile log(log_);
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().contains("Vormatic Producer installed"));
        QVERIFY2(!sim.log().contains(QStringLiteral("differ")), qPrintable(sim.log()));

        QVERIFY(w.shell()->close());  // the finished page closes without a question
        sim.stop();
        QVERIFY(
            reg::ValueNames(reg::Root::LocalMachine, "HARDWARE\\DEVICEMAP\\SERIALCOMM").empty());
    }

    void picksPortAndCassetteModelByHand() {
        PrinterSim sim({QStringLiteral("--register")});
        QVERIFY(sim.started());
        Wizard w;
        WalkToPortPage(w);
        QVERIFY(ClickPortItem(w, sim.device()));
        QVERIFY(w.nextEnabled());
        w.next();
        QCOMPARE(w.index(), 7);  // no search: the model page asks
        ClickNamed(w, "CassetteMZ4A2ModelRadioButton");
        QVERIFY(w.nextEnabled());
        w.next();
        QCOMPARE(w.index(), 8);
        QCOMPARE(GetPrinterModel(), QStringLiteral("MZ4-A2"));
        w.next();
        QCOMPARE(w.index(), 9);
        QVERIFY(dialogs_->boxes.isEmpty());

        const std::string ini =
            (sandbox_->commonAppData() + QStringLiteral("/Quorvanta/VormaticCL/config.ini"))
                .toStdString();
        QCOMPARE(ReadIniString(ini, "Send", "PortName").value_or(""), sim.device().toStdString());
        QCOMPARE(ReadIniString(ini, "Printer", "Model").value_or(""), std::string("MZ4-A2"));
        QFile log(log_);
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().contains("Vormatic Producer CL installed"));
    }

private:
    std::unique_ptr<Sandbox> sandbox_;
    std::unique_ptr<DialogRecorder> dialogs_;
    QString log_;
};

VORMATIC_TEST_MAIN(SerialRoadTest)
#include "SerialRoadTest.moc"
