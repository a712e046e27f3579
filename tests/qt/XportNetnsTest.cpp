// The unmodified program in a network namespace of its own, with a simulated module in a
// second one: the discovery query goes out to 255.255.255.255 for real, the adapter list is
// the namespace's own, and the waits run in real time. Skips where namespaces cannot be made
// (they need root). The test runs itself again inside the wizard's namespace for that half.

#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTableWidget>
#include <QtTest>

#include "pages/xport/TXportConfigForm.h"
#include "tests/support/DialogRecorder.h"
#include "tests/support/NetnsPair.h"
#include "tests/support/Sandbox.h"
#include "tests/support/TestMain.h"
#include "tests/support/Walk.h"
#include "tests/support/Wizard.h"
#include "tests/support/XportSim.h"
#include "tests/support/XportWalk.h"

namespace {

const char kChildMark[] = "VORMATIC_NETNS_CHILD";

QMap<QString, QString> ReadStatus(const QString& path) {
    QMap<QString, QString> status;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : file.readAll().split('\n')) {
            const qsizetype eq = line.indexOf('=');
            if (eq > 0) {
                status.insert(QString::fromUtf8(line.left(eq)),
                              QString::fromUtf8(line.mid(eq + 1)));
            }
        }
    }
    return status;
}

}  // namespace

class XportNetnsTest : public QObject {
    Q_OBJECT
private slots:
    void realBroadcastBetweenNamespaces() {
        if (qEnvironmentVariableIsSet(kChildMark)) {
            QSKIP("the half that runs outside the namespaces");
        }
        NetnsPair pair;
        QString why;
        if (!pair.Create(&why)) {
            QSKIP(qPrintable(QStringLiteral("network namespaces cannot be made here: ") + why));
        }
        QTemporaryDir dir;
        const QString status = dir.filePath(QStringLiteral("status"));
        QProcess sim;
        sim.setProcessChannelMode(QProcess::SeparateChannels);
        sim.start(QStringLiteral("ip"),
                  NetnsPair::InNamespace(pair.moduleNamespace(), XportSim::binaryPath(),
                                         {QStringLiteral("--netns"), QStringLiteral("--module"),
                                          NetnsPair::ModuleAddress() + QStringLiteral(",dhcp=") +
                                              NetnsPair::DhcpAddress(),
                                          QStringLiteral("--restart-ms"), QStringLiteral("2000"),
                                          QStringLiteral("--status"), status}));
        QVERIFY(sim.waitForStarted());
        QByteArray ready;
        QTRY_VERIFY_WITH_TIMEOUT((ready += sim.readAllStandardOutput()).contains("ready"), 5000);

        // The wizard's half: this test program again, inside the wizard's namespace, with no
        // seam aimed anywhere.
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QLatin1String(kChildMark), QStringLiteral("1"));
        for (const char* seam :
             {"VORMATIC_NETWORK_ADAPTERS", "VORMATIC_XPORT_QUERY_ADDRESS", "VORMATIC_XPORT_PORT"}) {
            environment.remove(QLatin1String(seam));
        }
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(
            QStringLiteral("ip"),
            NetnsPair::InNamespace(pair.wizardNamespace(), QCoreApplication::applicationFilePath(),
                                   {QStringLiteral("wizardInItsNamespace")}));
        const bool finished = child.waitForFinished(120000);
        const QString output = QString::fromLocal8Bit(child.readAll());
        sim.terminate();
        sim.waitForFinished(5000);
        QVERIFY2(finished && child.exitCode() == 0, qPrintable(output));
        QVERIFY2(output.contains(QStringLiteral("PASS   : XportNetnsTest::wizardInItsNamespace")),
                 qPrintable(output));

        const QMap<QString, QString> module = ReadStatus(status);
        QCOMPARE(module.value(QStringLiteral("module.0.address")), NetnsPair::DhcpAddress());
        QCOMPARE(module.value(QStringLiteral("module.0.baud")), QStringLiteral("19200"));
        QCOMPARE(module.value(QStringLiteral("module.0.ifmode")), QStringLiteral("4C"));
        QCOMPARE(module.value(QStringLiteral("module.0.flow")), QStringLiteral("01"));
        QVERIFY2(QString::fromLocal8Bit(sim.readAllStandardError())
                     .contains(QStringLiteral("255.255.255.255")),
                 "the module heard no limited broadcast");
    }

    void wizardInItsNamespace() {
        if (!qEnvironmentVariableIsSet(kChildMark)) {
            QSKIP("runs inside the wizard's namespace, started by realBroadcastBetweenNamespaces");
        }
        Sandbox sandbox;
        QVERIFY(MakeDemoCd(sandbox, sandbox.root() + QStringLiteral("/install.log")));
        DialogRecorder dialogs;
        Wizard w;
        WalkToXportSheet(w, true);
        QTRY_VERIFY_WITH_TIMEOUT(ChoosingPrinter(w), 10000);
        auto* grid = XportConfigForm->findChild<QTableWidget*>(QStringLiteral("EtherIpGrid"));
        QCOMPARE(grid->item(0, 0)->text(), NetnsPair::ModuleAddress());
        w.next();
        QTRY_VERIFY_WITH_TIMEOUT(XportConfigForm->IsDone(), 60000);
        QCOMPARE(XportConfigForm->findChild<QLabel*>(QStringLiteral("ProgressLabel"))->text(),
                 QStringLiteral("Configuration complete."));
        QCOMPARE(grid->item(grid->currentRow(), 0)->text(), NetnsPair::DhcpAddress());
        QVERIFY(dialogs.boxes.isEmpty());
    }
};

VORMATIC_TEST_MAIN(XportNetnsTest)
#include "XportNetnsTest.moc"
