// The XPort configuration page on the real shell, against simulated modules on a private
// loopback subnet: the search and its list, the DHCP and static courses to a configured
// serial side, the retries, the telnet failures, and leaving the page in the middle.
// The pages' waits run 25 times faster than real time.

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTextEdit>
#include <QUdpSocket>
#include <QtTest>

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

namespace {

constexpr int kSpeedup = kXportSpeedup;
constexpr int kCourseMs = kXportCourseMs;

struct Module {
    Module(int h = 20, bool off = false, const QString& o = QString())
        : host(h), offSubnet(off), options(o) {}
    int host;
    bool offSubnet;
    QString options;  // ",fault=..." and the like
};

}  // namespace

class XportConfigPageTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        sandbox_ = std::make_unique<Sandbox>();
        QVERIFY(MakeDemoCd(*sandbox_, sandbox_->root() + QStringLiteral("/install.log")));
        dialogs_ = std::make_unique<DialogRecorder>();
        waits::SetSpeedup(kSpeedup);
    }
    void cleanup() {
        wizard_.reset();
        sim_.reset();
        dialogs_.reset();
        sandbox_.reset();
        waits::SetSpeedup(1);
    }

    void searchListsEveryAnswer_data() {
        QTest::addColumn<QList<Module>>("modules");
        QTest::addColumn<QStringList>("macCells");
        QTest::addColumn<bool>("unreachable");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("next");
        QTest::newRow("one") << QList<Module>{{20}} << QStringList{QStringLiteral("mac")} << false
                             << QStringLiteral("This is the printer that was found") << true;
        QTest::newRow("three") << QList<Module>{{20}, {21}, {22}}
                               << QStringList{QStringLiteral("mac"), QStringLiteral("mac"),
                                              QStringLiteral("mac")}
                               << false << QStringLiteral("These are the printers") << true;
        QTest::newRow("none") << QList<Module>{{20, false, QStringLiteral(",fault=silent")}}
                              << QStringList{} << false
                              << QStringLiteral("No Vormatic® printers were found") << false;
        QTest::newRow("off subnet") << QList<Module>{{20}, {30, true}}
                                    << QStringList{QStringLiteral("mac"), QStringLiteral("mac")}
                                    << true << QStringLiteral("These are the printers") << true;
        QTest::newRow("faulty replies")
            << QList<Module>{{20, false, QStringLiteral(",fault=short")},
                             {21, false, QStringLiteral(",fault=wrong-code")},
                             {22, false, QStringLiteral(",fault=tiny")}}
            << QStringList{QStringLiteral("Error Count : 29"), QStringLiteral("Error Reply : F5"),
                           QStringLiteral("Error Count : 2")}
            << false << QStringLiteral("These are the printers") << true;
    }
    void searchListsEveryAnswer() {
        QFETCH(QList<Module>, modules);
        QFETCH(QStringList, macCells);
        QFETCH(bool, unreachable);
        QFETCH(QString, text);
        QFETCH(bool, next);
        Start(modules, true);
        QTRY_COMPARE_WITH_TIMEOUT(Page()->State(), int(TXportConfigForm::ChoosePrinter), kCourseMs);
        Settle();  // the buttons follow the page's posted messages
        QTableWidget* grid = Grid();
        const int rows = macCells.isEmpty() ? 0 : int(macCells.size());
        QCOMPARE(grid->rowCount(), std::max(rows, 1));
        for (int row = 0; row < rows; ++row) {
            const QString mac = grid->item(row, 1)->text();
            if (macCells[row] == QStringLiteral("mac")) {
                QVERIFY2(QRegularExpression(QStringLiteral("^([0-9A-F]{2}:){5}[0-9A-F]{2}$"))
                             .match(mac)
                             .hasMatch(),
                         qPrintable(mac));
            } else {
                QCOMPARE(mac, macCells[row]);
            }
            const QString ip = grid->item(row, 0)->text();
            QVERIFY(!ip.isEmpty());
            // Red marks exactly the addresses off the PC's subnet.
            const bool red = grid->item(row, 0)->foreground().color() == Qt::red;
            QCOMPARE(red, !ip.startsWith(lan_.Address(0).chopped(1)));
        }
        QCOMPARE(Find<QPlainTextEdit>("UnreachableMemo")->isVisible(), unreachable);
        QVERIFY2(Info().startsWith(text), qPrintable(Info()));
        QCOMPARE(wizard_->nextEnabled(), next);
        QVERIFY(wizard_->backEnabled());
        if (rows > 0) {
            QCOMPARE(grid->currentRow(), 0);  // the first printer is selected
        }
    }

    void floodsAndJunkNeitherStallNorOverflowTheList() {
        Start({{20}}, true);
        QTRY_VERIFY_WITH_TIMEOUT(Grid()->item(0, 1) && !Grid()->item(0, 1)->text().isEmpty(),
                                 kCourseMs);
        const quint16 port =
            Page()->findChild<QUdpSocket*>(QStringLiteral("IdUDPServer"))->localPort();
        QUdpSocket flood;  // a stranger on the subnet
        QVERIFY(flood.bind(QHostAddress(lan_.Address(99)), 0));
        QByteArray junk(40, '\xA5');
        for (int i = 0; i < 3000; ++i) {
            junk[3] = static_cast<char>(i);
            flood.writeDatagram(junk.left(i % 41), QHostAddress(lan_.Pc()), port);
        }
        QTRY_COMPARE_WITH_TIMEOUT(Page()->State(), int(TXportConfigForm::ChoosePrinter), kCourseMs);
        QVERIFY(Grid()->rowCount() <= 257);
        QVERIFY(Grid()->rowCount() > 100);
        QCOMPARE(Grid()->item(0, 0)->text(), lan_.Address(20));  // the module answered first
        QCOMPARE(Grid()->item(1, 0)->text(), lan_.Address(99));
    }

    void dhcpOnSubnetConfiguresTheSerialSide() {
        Start({{20, false, QStringLiteral(",dhcp=") + lan_.Address(120)}}, true);
        QTRY_VERIFY_WITH_TIMEOUT(ChoosingPrinter(*wizard_), kCourseMs);
        const QString mac = Grid()->item(0, 1)->text();
        wizard_->next();
        QVERIFY(!wizard_->nextEnabled());
        QVERIFY(!wizard_->backEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(Page()->IsDone(), kCourseMs);
        Settle();  // the buttons follow the page's posted messages
        QCOMPARE(Find<QLabel>("ProgressLabel")->text(), QStringLiteral("Configuration complete."));
        QVERIFY(Info().startsWith(QStringLiteral("The printer has been configured.")));
        QCOMPARE(SelectedIp(), lan_.Address(120));
        QCOMPARE(Grid()->item(Grid()->currentRow(), 1)->text(), mac);
        QVERIFY(wizard_->nextEnabled());
        QVERIFY(wizard_->backEnabled());
        ExpectSerialSide(0);
        QCOMPARE(sim_->status().value(QStringLiteral("module.0.address")), lan_.Address(120));
        // Done: the Ethernet page's Next closes the configuration page and goes on.
        wizard_->next();
        QVERIFY(!XportConfigForm);
        QCOMPARE(EthernetForm->ActiveSheet(), QStringLiteral("EtherRedirectTab1"));
    }

    void staticOffSubnetGoesThroughIpSetup() {
        Start({{20, true}}, false);
        QTRY_VERIFY_WITH_TIMEOUT(ChoosingPrinter(*wizard_), kCourseMs);
        QVERIFY(Find<QPlainTextEdit>("UnreachableMemo")->isVisible());
        wizard_->next();
        QCOMPARE(Page()->State(), int(TXportConfigForm::EnterAddress));
        QVERIFY(wizard_->nextEnabled());
        QVERIFY(wizard_->backEnabled());
        // Typed as a person types: the address, Tab (the mask takes the address's class
        // mask), a mask of our own, Tab, the gateway, Enter.
        auto* address = Find<QLineEdit>("IpAddressEdit");
        QTRY_VERIFY(address->hasFocus());
        QTest::keyClicks(QApplication::focusWidget(), lan_.Address(77));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(Find<QLineEdit>("SubnetMaskEdit")->text(), QStringLiteral("255.0.0.0"));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("255.255.255.0"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClicks(QApplication::focusWidget(), lan_.Pc());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        Settle();
        QCOMPARE(Page()->State(), int(TXportConfigForm::IpSetupSent));
        QTRY_VERIFY_WITH_TIMEOUT(Page()->IsDone(), kCourseMs);
        Settle();  // the buttons follow the page's posted messages
        QCOMPARE(Find<QLabel>("ProgressLabel")->text(), QStringLiteral("Configuration complete."));
        QCOMPARE(SelectedIp(), lan_.Address(77));
        const QMap<QString, QString> status = sim_->status();
        QCOMPARE(status.value(QStringLiteral("module.0.address")), lan_.Address(77));
        QCOMPARE(status.value(QStringLiteral("module.0.mask")), QStringLiteral("255.255.255.0"));
        QCOMPARE(status.value(QStringLiteral("module.0.gateway")), lan_.Pc());
        QCOMPARE(status.value(QStringLiteral("module.0.ip_setups")), QStringLiteral("1"));
        ExpectSerialSide(0);
        QVERIFY(dialogs_->boxes.isEmpty());
    }

    void staticFieldsThatDoNotParseAreRefused() {
        Start({{20}}, false);
        QTRY_VERIFY_WITH_TIMEOUT(ChoosingPrinter(*wizard_), kCourseMs);
        wizard_->next();
        QTRY_VERIFY(Find<QLineEdit>("IpAddressEdit")->hasFocus());
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("192.168.1.300"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        Settle();
        QCOMPARE(dialogs_->boxes.size(), 1);
        QVERIFY(dialogs_->boxes[0].text.contains(QStringLiteral("192.168.1.300")));
        QCOMPARE(Page()->State(), int(TXportConfigForm::EnterAddress));
        QVERIFY(Find<QLineEdit>("IpAddressEdit")->hasFocus());
        QTest::qWait(200);
        const QMap<QString, QString> status = sim_->status();
        QCOMPARE(status.value(QStringLiteral("module.0.setup_records")), QStringLiteral("0"));
        QCOMPARE(status.value(QStringLiteral("module.0.ip_setups")), QStringLiteral("0"));
    }

    void tenUnacknowledgedRecordsEndInTheFirewallText() {
        Start({{20, false, QStringLiteral(",fault=no-ack")}}, true);
        QTRY_VERIFY_WITH_TIMEOUT(ChoosingPrinter(*wizard_), kCourseMs);
        wizard_->next();
        QTRY_COMPARE_WITH_TIMEOUT(Info(),
                                  QStringLiteral("Unable to configure the printer's IP address. "
                                                 "Try disabling your PC's firewall."),
                                  kCourseMs);
        QCOMPARE(Page()->State(), int(TXportConfigForm::SetupSent));
        QCOMPARE(Page()->RetryCount(), 10);
        QCOMPARE(sim_->status().value(QStringLiteral("module.0.setup_records")),
                 QStringLiteral("10"));
        QVERIFY(!wizard_->nextEnabled());
        QVERIFY(!wizard_->backEnabled());
        QVERIFY(!Page()->IsDone());
    }

    void telnetFailuresEndInTheConfigurationError_data() {
        QTest::addColumn<QString>("fault");
        QTest::newRow("silent") << QStringLiteral("telnet-silent");
        QTest::newRow("refused") << QStringLiteral("telnet-refused");
        QTest::newRow("dropped") << QStringLiteral("telnet-drop");
        QTest::newRow("unknown prompt") << QStringLiteral("unknown-prompt");
        QTest::newRow("no second answer") << QStringLiteral("late-restart");
    }
    void telnetFailuresEndInTheConfigurationError() {
        QFETCH(QString, fault);
        Start({{20, false, QStringLiteral(",fault=") + fault}}, true);
        QTRY_VERIFY_WITH_TIMEOUT(ChoosingPrinter(*wizard_), kCourseMs);
        wizard_->next();
        QTRY_VERIFY_WITH_TIMEOUT(Page()->IsDone(), kCourseMs);
        Settle();  // the buttons follow the page's posted messages
        QCOMPARE(Find<QLabel>("ProgressLabel")->text(), QStringLiteral("Configuration error."));
        QVERIFY(Info().startsWith(QStringLiteral("Unable to connect to the printer")));
        QVERIFY(Info().endsWith(QStringLiteral("Click Next to continue, or Back to retry.\n")));
        QVERIFY(wizard_->nextEnabled());
        QVERIFY(wizard_->backEnabled());
        QVERIFY(sim_->status().value(QStringLiteral("module.0.baud")) != QStringLiteral("19200"));
    }

    void leavingTheSheetStopsEverything() {
        // With static addresses Back stays on through the course: the user can leave while
        // the module restarts.
        Start({{20}}, false);
        QTRY_VERIFY_WITH_TIMEOUT(ChoosingPrinter(*wizard_), kCourseMs);
        wizard_->next();
        QTRY_VERIFY(Find<QLineEdit>("IpAddressEdit")->hasFocus());
        QTest::keyClicks(QApplication::focusWidget(), lan_.Address(78));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(Page()->State(), int(TXportConfigForm::Restarting), kCourseMs);
        QVERIFY(wizard_->backEnabled());
        const QString queries = sim_->status().value(QStringLiteral("module.0.queries"));
        TXportConfigForm* page = Page();
        wizard_->back();
        QVERIFY(!XportConfigForm);
        QVERIFY(page->isHidden());
        QCOMPARE(EthernetForm->ActiveSheet(), QStringLiteral("EtherIntroTab2"));
        QTest::qWait(1500);  // longer than the rest of the course would take
        const QMap<QString, QString> status = sim_->status();
        QCOMPARE(status.value(QStringLiteral("module.0.queries")), queries);
        QCOMPARE(status.value(QStringLiteral("module.0.telnet_sessions")), QStringLiteral("0"));
        QCOMPARE(page->State(), int(TXportConfigForm::Restarting));
        // Next on Intro2 starts afresh with a new page.
        wizard_->next();
        QVERIFY(XportConfigForm && XportConfigForm != page);
        QCOMPARE(XportConfigForm->State(), int(TXportConfigForm::Searching));
    }

private:
    void Start(const QList<Module>& modules, bool dhcp) {
        QStringList arguments{QStringLiteral("--restart-ms"), QStringLiteral("100"),
                              QStringLiteral("--ip-setup-ms"), QStringLiteral("100")};
        for (const Module& m : modules) {
            arguments << QStringLiteral("--module")
                      << lan_.Address(m.host, m.offSubnet) + m.options;
        }
        sim_ = std::make_unique<XportSim>(arguments);
        QVERIFY2(sim_->started(), qPrintable(sim_->log()));
        lan_.Apply(*sandbox_, sim_->port());
        wizard_ = std::make_unique<Wizard>();
        WalkToXportSheet(*wizard_, dhcp);
        QVERIFY(XportConfigForm);
    }

    TXportConfigForm* Page() const { return XportConfigForm; }
    template <typename T>
    T* Find(const char* name) const {
        return XportConfigForm->findChild<T*>(QString::fromLatin1(name));
    }
    QTableWidget* Grid() const { return Find<QTableWidget>("EtherIpGrid"); }
    QString Info() const { return Find<QTextEdit>("InfoRichEdit")->toPlainText(); }
    QString SelectedIp() const { return Grid()->item(Grid()->currentRow(), 0)->text(); }
    void ExpectSerialSide(int module) const {
        const QMap<QString, QString> status = sim_->status();
        const QString prefix = QStringLiteral("module.%1.").arg(module);
        QCOMPARE(status.value(prefix + QStringLiteral("baud")), QStringLiteral("19200"));
        QCOMPARE(status.value(prefix + QStringLiteral("ifmode")), QStringLiteral("4C"));
        QCOMPARE(status.value(prefix + QStringLiteral("flow")), QStringLiteral("01"));
        QCOMPARE(status.value(prefix + QStringLiteral("terminal")), QStringLiteral("dumb"));
        // The page read the module's last words before it closed: an orderly close, no reset.
        QTRY_COMPARE(sim_->status().value(prefix + QStringLiteral("telnet_close")),
                     QStringLiteral("fin"));
    }

    LoopbackLan lan_;
    std::unique_ptr<Sandbox> sandbox_;
    std::unique_ptr<DialogRecorder> dialogs_;
    std::unique_ptr<XportSim> sim_;
    std::unique_ptr<Wizard> wizard_;
};

VORMATIC_TEST_MAIN(XportConfigPageTest)
#include "XportConfigPageTest.moc"
