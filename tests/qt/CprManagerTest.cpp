// The stand-in redirector's manager: its command line, its unattended start through
// VORMATIC_DEMO_CPR_ADD, the demo CD's installer that puts it where the wizard looks, and its
// window driven offscreen. Every bridge is real, behind it a printer on 127.0.0.1.

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include <signal.h>

#include <memory>
#include <string>
#include <vector>

#include "app/Launch.h"
#include "host/ComPorts.h"
#include "host/Paths.h"
#include "host/PrinterProbe.h"
#include "tests/support/Sandbox.h"
#include "tests/support/TcpPrinter.h"
#include "tests/support/TestMain.h"
#include "tests/support/Walk.h"
#include "tools/cpr/BridgeProcess.h"
#include "tools/cpr/CprControl.h"
#include "tools/cpr/SerialCommEntry.h"
#include "tools/cpr/manager/CprManagerWindow.h"

namespace {

const QString kManager = QStringLiteral(VORMATIC_BUILD_DIR "/tools/vormatic-cpr-manager");
const QByteArray kBridge = VORMATIC_BUILD_DIR "/tools/vormatic-cpr-bridge";

struct Run {
    int code = -1;
    QString out;
    QString err;
};

Run RunManager(const QStringList& arguments) {
    QProcess process;
    process.start(kManager, arguments);
    Run run;
    if (process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit) {
        run.code = process.exitCode();
    } else {
        process.kill();
        process.waitForFinished();
    }
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

bool Listed(const QString& device) {
    PortList ports;
    ListComPorts(&ports);
    return std::find(ports.begin(), ports.end(), device.toStdString()) != ports.end();
}

std::vector<CprPort> Book() {
    std::vector<CprPort> ports;
    std::string error;
    LoadPorts(CprStateFolder(), &ports, &error);
    return ports;
}

bool Identifies(const QString& device) {
    std::string identity;
    return IdentifyPrinter(device.toStdString(), &identity) && identity == TcpPrinter::kIdentity;
}

}  // namespace

class CprManagerTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        sandbox_ = std::make_unique<Sandbox>();
        // Bridges end with this process, should it end before cleanup() has run.
        sandbox_->setEnv("VORMATIC_CPR_OWNER_PID",
                         QByteArray::number(QCoreApplication::applicationPid()));
        sandbox_->setEnv("VORMATIC_CPR_BRIDGE", kBridge);
        sandbox_->setEnv("VORMATIC_DEMO_CPR_ADD", QByteArray());
        printer_ = std::make_unique<TcpPrinter>();
        port_ = QString::number(printer_->Port());
    }
    void cleanup() {
        int removed = 0;
        std::string error;
        RemoveAllCprPorts(&removed, &error);
        printer_.reset();
        sandbox_.reset();
    }

    void commandLineAddsListsAndRemoves() {
        const Run first = RunManager({QStringLiteral("--add"), QStringLiteral("127.0.0.1"), port_});
        QCOMPARE(first.code, 0);
        const QString one = first.out.trimmed();
        QVERIFY2(one.startsWith(QStringLiteral("/dev/pts/")), qPrintable(first.err));
        // Registered by the time the manager has exited, and the printer answers through it.
        QVERIFY(Listed(one));
        QVERIFY(Identifies(one));

        const Run second =
            RunManager({QStringLiteral("--add"), QStringLiteral("localhost"), port_});
        QCOMPARE(second.code, 0);
        const QString two = second.out.trimmed();
        QVERIFY(two != one && Listed(two));

        const Run list = RunManager({QStringLiteral("--list")});
        QCOMPARE(list.code, 0);
        QCOMPARE(list.out,
                 QStringLiteral("%1\t127.0.0.1\t%3\trunning\n%2\tlocalhost\t%3\trunning\n")
                     .arg(one, two, port_));

        const CprPort removed = Book().front();
        QCOMPARE(RunManager({QStringLiteral("--remove"), one}).code, 0);
        QVERIFY(!Listed(one));
        QVERIFY(!IsBridgeRunning(removed.pid, removed.started));
        QVERIFY(Listed(two));
        QVERIFY(Identifies(two));
        const Run again = RunManager({QStringLiteral("--remove"), one});
        QCOMPARE(again.code, 1);
        QVERIFY(again.err.contains(QStringLiteral("no virtual port ") + one));

        // A bridge that was killed outright cannot take its registry value along: the value
        // names no port from then on (the next terminal may get its pseudo-terminal), the
        // manager shows the bridge stopped and removes the value for it.
        const CprPort killed = Book().front();
        QCOMPARE(QString::fromStdString(killed.device), two);
        ::kill(static_cast<pid_t>(killed.pid), SIGKILL);
        QTRY_VERIFY(!Listed(two));
        QVERIFY(IsCprPortRegistered(killed.device));
        QTRY_COMPARE(RunManager({QStringLiteral("--list")}).out,
                     QStringLiteral("%1\tlocalhost\t%2\tstopped\n").arg(two, port_));
        QVERIFY(!IsCprPortRegistered(killed.device));
        QCOMPARE(RunManager({QStringLiteral("--remove-all")}).code, 0);
        QVERIFY(!Listed(two));
        QCOMPARE(RunManager({QStringLiteral("--list")}).out, QString());
    }

    void removeAllStopsEveryBridge() {
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(RunManager({QStringLiteral("--add"), QStringLiteral("127.0.0.1"), port_}).code,
                     0);
        }
        const std::vector<CprPort> ports = Book();
        QCOMPARE(ports.size(), std::size_t{3});
        QCOMPARE(RunManager({QStringLiteral("--remove-all")}).code, 0);
        for (const CprPort& port : ports) {
            QVERIFY(!IsBridgeRunning(port.pid, port.started));
            QVERIFY(!Listed(QString::fromStdString(port.device)));
        }
        QVERIFY(Book().empty());
    }

    void refusesWrongCommandLines_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("bridge");
        QTest::addColumn<int>("code");
        QTest::newRow("port 0") << QStringList{"--add", "127.0.0.1", "0"} << kBridge << 2;
        QTest::newRow("port too big") << QStringList{"--add", "127.0.0.1", "65536"} << kBridge << 2;
        QTest::newRow("blank in host") << QStringList{"--add", "bad host", "10001"} << kBridge << 2;
        QTest::newRow("no port") << QStringList{"--add", "127.0.0.1"} << kBridge << 2;
        QTest::newRow("unknown") << QStringList{"--frobnicate"} << kBridge << 2;
        QTest::newRow("unknown device") << QStringList{"--remove", "/dev/pts/4242"} << kBridge << 1;
        // A bridge that ends without making a port, and one that is not there.
        QTest::newRow("bridge fails")
            << QStringList{"--add", "127.0.0.1", "1"} << QByteArray("/bin/false") << 1;
        QTest::newRow("no bridge")
            << QStringList{"--add", "127.0.0.1", "1"} << QByteArray("/nonexistent/bridge") << 1;
    }
    void refusesWrongCommandLines() {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, bridge);
        QFETCH(int, code);
        sandbox_->setEnv("VORMATIC_CPR_BRIDGE", bridge);
        const Run run = RunManager(arguments);
        QCOMPARE(run.code, code);
        QVERIFY(!run.err.isEmpty());
        QVERIFY(Book().empty());
        PortList ports;
        ListComPorts(&ports);
        QVERIFY(ports.empty());
    }

    void demoVariableAddsWithoutAWindow() {
        // The wizard starts the manager without arguments; the variable stands in for the
        // user's typing. Had it shown its window, it would not end by itself.
        sandbox_->setEnv("VORMATIC_DEMO_CPR_ADD", "127.0.0.1:" + port_.toUtf8());
        const Run run = RunManager({});
        QCOMPARE(run.code, 0);
        const QString device = run.out.trimmed();
        QVERIFY(Listed(device));
        QVERIFY(Identifies(device));
        QCOMPARE(Book().size(), std::size_t{1});

        sandbox_->setEnv("VORMATIC_DEMO_CPR_ADD", "127.0.0.1");
        const Run wrong = RunManager({});
        QCOMPARE(wrong.code, 2);
        QVERIFY(wrong.err.contains(QStringLiteral("HOST:PORT")));
        QCOMPARE(Book().size(), std::size_t{1});
    }

    void installerPutsTheManagerWhereTheWizardLooks() {
        const QString log = sandbox_->root() + QStringLiteral("/install.log");
        QVERIFY(MakeDemoCd(*sandbox_, log));
        const QString manager = QString::fromStdString(RedirectorManagerDefaultPath());
        QVERIFY(manager.startsWith(sandbox_->dataHome()));
        QVERIFY(!QFile::exists(manager));

        // As the wizard runs it: relative to the CD folder, which is the current one.
        QVERIFY(RunAndWait(
            QStringLiteral("setup/ethernet/com port redirector/setup_cpr_x86x64cd_4.3.0.2.exe"),
            QString()));
        QVERIFY(QFileInfo(manager).isExecutable());
        QFile logFile(log);
        QVERIFY(logFile.open(QIODevice::ReadOnly));
        QVERIFY(logFile.readAll().contains("COM Port Redirector"));

        // The installed manager finds its bridge beside it, and the wizard's comparison of
        // the port lists finds the port that the (unattended) user made.
        sandbox_->setEnv("VORMATIC_CPR_BRIDGE", QByteArray());
        PortList before;
        ListComPorts(&before);
        sandbox_->setEnv("VORMATIC_DEMO_CPR_ADD", "127.0.0.1:" + port_.toUtf8());
        QVERIFY(RunAndWait(manager, QFileInfo(manager).absolutePath()));
        const QString added = QString::fromStdString(FindNewPort(before));
        QVERIFY(added.startsWith(QStringLiteral("/dev/pts/")));
        QVERIFY(Identifies(added));
    }

    void windowAddsAndRemovesAPort() {
        auto window = std::make_unique<CprManagerWindow>();
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QTableWidget* table = window->PortTable();
        QCOMPARE(table->rowCount(), 0);

        // Type the printer's address and port as a user does, and click Add.
        QCOMPARE(QApplication::focusWidget(), window->HostEdit());
        QTest::keyClicks(window->HostEdit(), QStringLiteral("127.0.0.1"));
        QTest::keyClick(window->HostEdit(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), window->TcpPortEdit());
        QCOMPARE(window->TcpPortEdit()->text(), QStringLiteral("10001"));
        QTest::keyClick(window->TcpPortEdit(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(window->TcpPortEdit(), port_);
        QTest::mouseClick(window->AddButton(), Qt::LeftButton);
        QCOMPARE(table->rowCount(), 1);
        const QString device = table->item(0, 0)->text();
        QVERIFY2(device.startsWith(QStringLiteral("/dev/pts/")),
                 qPrintable(window->StatusLabel()->text()));
        QCOMPARE(table->item(0, 1)->text(), QStringLiteral("127.0.0.1"));
        QCOMPARE(table->item(0, 2)->text(), port_);
        QCOMPARE(table->item(0, 3)->text(), QStringLiteral("running"));
        QVERIFY(Listed(device));
        QVERIFY(Identifies(device));

        // A host that is no host: Enter in the field tries to add, and nothing is added.
        window->HostEdit()->clear();
        QTest::keyClicks(window->HostEdit(), QStringLiteral("no host"));
        QTest::keyClick(window->HostEdit(), Qt::Key_Return);
        QCOMPARE(table->rowCount(), 1);
        QVERIFY(!window->StatusLabel()->text().isEmpty());

        // The new row is selected; Remove stops its bridge.
        QVERIFY(window->RemoveButton()->isEnabled());
        QTest::mouseClick(window->RemoveButton(), Qt::LeftButton);
        QCOMPARE(table->rowCount(), 0);
        QVERIFY(!Listed(device));
        QVERIFY(!window->RemoveButton()->isEnabled());

        // A port added with Enter outlives the window, and the next window shows it.
        window->HostEdit()->setText(QStringLiteral("127.0.0.1"));
        QTest::keyClick(window->TcpPortEdit(), Qt::Key_Return);
        QCOMPARE(table->rowCount(), 1);
        const QString kept = table->item(0, 0)->text();
        QTest::keyClick(window.get(), Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!window->isVisible());
        window.reset();
        QVERIFY(Identifies(kept));
        CprManagerWindow next;
        QCOMPARE(next.PortTable()->rowCount(), 1);
        QCOMPARE(next.PortTable()->item(0, 0)->text(), kept);
        QCOMPARE(next.PortTable()->item(0, 3)->text(), QStringLiteral("running"));
    }

private:
    std::unique_ptr<Sandbox> sandbox_;
    std::unique_ptr<TcpPrinter> printer_;
    QString port_;
};

VORMATIC_TEST_MAIN(CprManagerTest)
#include "CprManagerTest.moc"
