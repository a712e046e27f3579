// The XPort configuration page on the real shell, against simulated modules on a private
// loopback subnet: the search and its list, the DHCP and static courses to a configured
// serial side, the retries, the telnet failures, and leaving the page in the middle.
// The pages' waits run faster than real time (kXportSpeedup), except for the telnet dialogue
// of the course that the module's menu reaches in pieces, which runs in real time.

#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTextDocument>
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

    // However the module cuts its menu into segments, the page types the same answers. The
    // dialogue itself runs in real time, as it waits for the module's prompts to end.
    void dhcpOnSubnetConfiguresTheSerialSide_data() {
        QTest::addColumn<QString>("cut");
        QTest::newRow("whole prompts") << QStringLiteral("whole");
        QTest::newRow("split before the last byte") << QStringLiteral("split-last");
        QTest::newRow("one byte every 2 ms") << QStringLiteral("drip:2");
        QTest::newRow("random cuts") << QStringLiteral("random:13");
    }
    void dhcpOnSubnetConfiguresTheSerialSide() {
        QFETCH(QString, cut);
        Start({{20, false, QStringLiteral(",dhcp=") + lan_.Address(120)}}, true,
              {QStringLiteral("--telnet-cut"), cut});
        QTRY_VERIFY_WITH_TIMEOUT(ChoosingPrinter(*wizard_), kCourseMs);
        const QString mac = Grid()->item(0, 1)->text();
        const QImage header = Grid()->horizontalHeader()->grab().toImage();
        wizard_->next();
        QVERIFY(!wizard_->nextEnabled());
        QVERIFY(!wizard_->backEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(Page()->State(), int(TXportConfigForm::Rechecking), kCourseMs);
        waits::SetSpeedup(1);
        QTRY_VERIFY_WITH_TIMEOUT(Page()->IsDone(), kCourseMs);
        Settle();  // the buttons follow the page's posted messages
        QCOMPARE(Find<QLabel>("ProgressLabel")->text(), QStringLiteral("Configuration complete."));
        QVERIFY(Info().startsWith(QStringLiteral("The printer has been configured.")));
        QCOMPARE(SelectedIp(), lan_.Address(120));
        QCOMPARE(Grid()->item(Grid()->currentRow(), 1)->text(), mac);
        // The list is fixed now, but it does not look switched off.
        QVERIFY(!Grid()->isEnabled());
        QCOMPARE(Grid()->horizontalHeader()->grab().toImage(), header);
        QVERIFY(wizard_->nextEnabled());
        QVERIFY(wizard_->backEnabled());
        ExpectSerialSide(0);
        QCOMPARE(sim_->status().value(QStringLiteral("module.0.address")), lan_.Address(120));
        // Press Enter, item 1, 19 answers to the 15 questions (four address parts, two time
        // parts), item 9: not one Enter more or less for a prompt that came in pieces.
        QCOMPARE(sim_->status().value(QStringLiteral("module.0.enters")), QStringLiteral("22"));
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

    // Typed as a person types: the address, Tab, the mask, Tab, the gateway, Enter. A field
    // that does not parse is refused and nothing is sent; 255.255.255.255 parses.
    void staticFieldsAreRefusedOnlyWhenTheyDoNotParse_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("gateway");
        QTest::addColumn<QString>("refused");  // the field's object name, or empty
        const QString good = LoopbackLan().Address(77);
        const QString ones = QStringLiteral("255.255.255.255");
        const QString mask = QStringLiteral("255.255.255.0");
        QTest::newRow("address out of range")
            << "192.168.1.300" << mask << good << QStringLiteral("IpAddressEdit");
        QTest::newRow("gateway not an address")
            << good << mask << "gateway" << QStringLiteral("DefaultGatewayEdit");
        QTest::newRow("mask with three parts")
            << good << "255.255.0" << good << QStringLiteral("SubnetMaskEdit");
        QTest::newRow("all-ones mask") << good << ones << good << QString();
        QTest::newRow("all-ones gateway") << good << mask << ones << QString();
    }
    void staticFieldsAreRefusedOnlyWhenTheyDoNotParse() {
        QFETCH(QString, address);
        QFETCH(QString, mask);
        QFETCH(QString, gateway);
        QFETCH(QString, refused);
        Start({{20}}, false);
        QTRY_VERIFY_WITH_TIMEOUT(ChoosingPrinter(*wizard_), kCourseMs);
        wizard_->next();
        QTRY_VERIFY(Find<QLineEdit>("IpAddressEdit")->hasFocus());
        const QStringList texts{address, mask, gateway};
        for (qsizetype i = 0; i < texts.size(); ++i) {
            if (i > 0) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            }
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(QApplication::focusWidget(), texts[i]);
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        Settle();
        if (!refused.isEmpty()) {
            QCOMPARE(dialogs_->boxes.size(), 1);
            QVERIFY(dialogs_->boxes[0].text.contains(Find<QLineEdit>(qPrintable(refused))->text()));
            QCOMPARE(Page()->State(), int(TXportConfigForm::EnterAddress));
            QCOMPARE(QApplication::focusWidget()->objectName(), refused);
            QTest::qWait(200);
            const QMap<QString, QString> status = sim_->status();
            QCOMPARE(status.value(QStringLiteral("module.0.setup_records")), QStringLiteral("0"));
            QCOMPARE(status.value(QStringLiteral("module.0.ip_setups")), QStringLiteral("0"));
            return;
        }
        QVERIFY(dialogs_->boxes.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(sim_->status().value(QStringLiteral("module.0.setup_records")),
                                  QStringLiteral("1"), kCourseMs);
        const QMap<QString, QString> status = sim_->status();
        QCOMPARE(status.value(QStringLiteral("module.0.mask")), mask);
        QCOMPARE(status.value(QStringLiteral("module.0.gateway")), gateway);
    }

    // The mask takes the address's class mask when the focus moves from the address to
    // another control of the page, not when the window loses the focus.
    void leavingTheWindowKeepsTheTypedMask() {
        Start({{20}}, false);
        QTRY_VERIFY_WITH_TIMEOUT(ChoosingPrinter(*wizard_), kCourseMs);
        wizard_->next();
        auto* address = Find<QLineEdit>("IpAddressEdit");
        auto* mask = Find<QLineEdit>("SubnetMaskEdit");
        QTRY_VERIFY(address->hasFocus());
        QTest::keyClicks(address, lan_.Address(77));
        QTest::keyClick(address, Qt::Key_Tab);
        QCOMPARE(mask->text(), QStringLiteral("255.0.0.0"));
        QTest::keyClick(mask, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(mask, QStringLiteral("255.255.255.128"));
        QTest::keyClick(mask, Qt::Key_Backtab);
        QVERIFY(address->hasFocus());

        // Another program's window comes to the front, and then the wizard's again.
        QWidget other;
        other.show();
        other.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &other);
        QVERIFY(!address->hasFocus());
        wizard_->shell()->activateWindow();
        QTRY_VERIFY(address->hasFocus());
        QCOMPARE(mask->text(), QStringLiteral("255.255.255.128"));

        QTest::mouseClick(Find<QLineEdit>("DefaultGatewayEdit"), Qt::LeftButton);
        QCOMPARE(mask->text(), QStringLiteral("255.0.0.0"));
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
        QTest::newRow("flood of text") << QStringLiteral("telnet-flood-text");
        QTest::newRow("flood of CR") << QStringLiteral("telnet-flood-cr");
        QTest::newRow("flood in a subnegotiation") << QStringLiteral("telnet-flood-sub");
    }
    void telnetFailuresEndInTheConfigurationError() {
        QFETCH(QString, fault);
        const int floodBytes = 3 << 20;
        Start({{20, false, QStringLiteral(",fault=") + fault}}, true,
              {QStringLiteral("--flood-bytes"), QString::number(floodBytes)});
        QTRY_VERIFY_WITH_TIMEOUT(ChoosingPrinter(*wizard_), kCourseMs);
        wizard_->next();
        if (fault.startsWith(QStringLiteral("telnet-flood"))) {
            // The page reads the whole flood, keeps only a bounded transcript, and its
            // dialogue time-out still ends the session within a second of its time.
            QTRY_COMPARE_WITH_TIMEOUT(Page()->State(), int(TXportConfigForm::TelnetSession),
                                      kCourseMs);
            QElapsedTimer session;
            session.start();
            QTRY_VERIFY_WITH_TIMEOUT(Page()->IsDone(), kCourseMs);
            QVERIFY2(session.elapsed() <= waits::Ms(20000) + 1000,
                     qPrintable(QString::number(session.elapsed())));
            QTRY_COMPARE(sim_->status().value(QStringLiteral("module.0.flooded")),
                         QString::number(floodBytes));
            QVERIFY(Find<QPlainTextEdit>("TelnetMemo")->document()->characterCount() <
                    floodBytes / 100);
        }
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
    void Start(const QList<Module>& modules, bool dhcp, const QStringList& more = {}) {
        QStringList arguments{QStringLiteral("--restart-ms"), QStringLiteral("100"),
                              QStringLiteral("--ip-setup-ms"), QStringLiteral("100")};
        arguments << more;
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
