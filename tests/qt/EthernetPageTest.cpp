// The Ethernet page's sheets on the real shell: the introductions, the way past the XPort
// set-up (against a simulated module), the redirector's installer and manager as small
// scripts, Browse through the dialog seam, and the hand-over to the COM port page.

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>

#include "host/ComPorts.h"
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

namespace {

const char kInstaller[] = "setup/ethernet/com port redirector/setup_cpr_x86x64cd_4.3.0.2.exe";

QString ManagerPath() {
    return QString::fromStdString(RedirectorManagerDefaultPath());
}

// An executable script at `path` that appends `word` to the sandbox's run log.
void WriteScript(const QString& path, const QString& log, const char* word,
                 bool executable = true) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("#!/bin/sh\necho %1 \"$PWD\" >> '%2'\n")
                   .arg(QLatin1String(word), log)
                   .toUtf8());
    file.close();
    if (executable) {
        file.setPermissions(file.permissions() | QFile::ExeOwner);
    }
}

}  // namespace

class EthernetPageTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        sandbox_ = std::make_unique<Sandbox>();
        QVERIFY(MakeDemoCd(*sandbox_, sandbox_->root() + QStringLiteral("/install.log")));
        // This page's own scripts stand in for the redirector.
        QFile::remove(sandbox_->cdDir() + QLatin1Char('/') + QLatin1String(kInstaller));
        runLog_ = sandbox_->root() + QStringLiteral("/runs.log");
        dialogs_ = std::make_unique<DialogRecorder>();
        waits::SetSpeedup(kXportSpeedup);
        sim_ = std::make_unique<XportSim>(QStringList{
            QStringLiteral("--restart-ms"), QStringLiteral("50"), QStringLiteral("--module"),
            lan_.Address(20) + QStringLiteral(",dhcp=") + lan_.Address(120)});
        QVERIFY(sim_->started());
        lan_.Apply(*sandbox_, sim_->port());
    }
    void cleanup() {
        wizard_.reset();
        sim_.reset();
        dialogs_.reset();
        sandbox_.reset();
        waits::SetSpeedup(1);
    }

    void introductionsAndTheirBackSteps() {
        wizard_ = std::make_unique<Wizard>();
        WalkToXportSheet(*wizard_, false);  // static chosen on Intro2
        QCOMPARE(Sheet(), QStringLiteral("EtherXportTab"));
        QVERIFY(!wizard_->backEnabled());  // not while the search runs
        QTRY_VERIFY_WITH_TIMEOUT(wizard_->backEnabled(), kXportCourseMs);
        wizard_->back();
        QCOMPARE(Sheet(), QStringLiteral("EtherIntroTab2"));
        QVERIFY(!XportConfigForm);
        wizard_->back();
        QCOMPARE(Sheet(), QStringLiteral("EtherIntroTab1"));
        QVERIFY(wizard_->nextEnabled());
        wizard_->back();
        QCOMPARE(wizard_->index(), 2);  // the connection choice
        // Coming back starts at Intro1 and keeps the addressing chosen before.
        wizard_->next();
        QCOMPARE(wizard_->index(), 5);
        QCOMPARE(Sheet(), QStringLiteral("EtherIntroTab1"));
        QVERIFY(wizard_->find<QRadioButton>("EtherStaticRadioButton")->isChecked());
        QCOMPARE(wizard_->find<QLineEdit>("EtherRedirPathEdit")->text(), ManagerPath());
    }

    void managerAlreadyInstalledSkipsTheInstaller() {
        WriteScript(ManagerPath(), runLog_, "manager");
        PassXport();
        QCOMPARE(Sheet(), QStringLiteral("EtherRedirectTab2"));
        ExpectInstructions(true);
        wizard_->back();
        QCOMPARE(Sheet(), QStringLiteral("EtherIntroTab2"));
    }

    void installerMissingEndsTheRoad() {
        PassXport();
        QCOMPARE(Sheet(), QStringLiteral("EtherRedirectTab1"));
        wizard_->next();
        QCOMPARE(dialogs_->texts(),
                 QStringList{QStringLiteral("Unable to launch the COMM Port Redirector Installer "
                                            "program.\n") +
                             QLatin1String(kInstaller)});
        QCOMPARE(Sheet(), QStringLiteral("EtherRedirectTabFailed"));
        QVERIFY(!wizard_->nextEnabled());
        QVERIFY(!wizard_->backEnabled());
    }

    void managerNotInstalledAsksForItsPath() {
        WriteScript(sandbox_->cdDir() + QLatin1Char('/') + QLatin1String(kInstaller), runLog_,
                    "installer");
        PassXport();
        QCOMPARE(Sheet(), QStringLiteral("EtherRedirectTab1"));
        wizard_->next();
        QCOMPARE(Sheet(), QStringLiteral("EtherRedirectTab1Wait"));
        QVERIFY(wizard_->nextEnabled());
        QVERIFY(RunLog().startsWith(QStringLiteral("installer")));
        wizard_->next();
        QCOMPARE(Sheet(), QStringLiteral("EtherRedirectTab2"));
        ExpectInstructions(false);

        // Browse: a cancel changes nothing; a file that is not there keeps the path entry;
        // a manager that is there brings the instructions.
        auto* path = wizard_->find<QLineEdit>("EtherRedirPathEdit");
        ClickNamed(*wizard_, "EtherRedirPathBrowseButton");
        ExpectInstructions(false);
        dialogs_->fileAnswers.enqueue(sandbox_->root() + QStringLiteral("/nothing/CprManager.exe"));
        ClickNamed(*wizard_, "EtherRedirPathBrowseButton");
        ExpectInstructions(false);
        QCOMPARE(path->text(), ManagerPath());
        const QString elsewhere = sandbox_->root() + QStringLiteral("/my tools/CprManager.exe");
        WriteScript(elsewhere, runLog_, "manager");
        dialogs_->fileAnswers.enqueue(elsewhere);
        ClickNamed(*wizard_, "EtherRedirPathBrowseButton");
        ExpectInstructions(true);
        QCOMPARE(path->text(), elsewhere);

        // The manager runs in its own folder; the page then waits for the user's Next.
        wizard_->next();
        QCOMPARE(Sheet(), QStringLiteral("EtherRedirectTab3"));
        QVERIFY(wizard_->nextEnabled());
        QVERIFY(!wizard_->backEnabled());
        QVERIFY(RunLog().contains(QStringLiteral("manager ") + sandbox_->root() +
                                  QStringLiteral("/my tools")));
        QVERIFY(dialogs_->boxes.isEmpty());

        // No port was added: the COM port page is told so.
        wizard_->next();
        QCOMPARE(wizard_->index(), 6);
        QVERIFY(wizard_->find<QLabel>("PortInfoLabel1")
                    ->text()
                    .contains(QStringLiteral("It appears that no new ports were added.")));
    }

    // The hand-over after the redirector, when the saved list cannot be read or the COM port
    // inventory fails: a failure is shown at the snapshot or the hand-over, where it happens,
    // once, and then by the COM port page as usual.
    void handOverUnderFaults_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("newPort");
        QTest::newRow("saved list unreadable") << "unreadable"
                                               << "/dev/pts/99";
        // The names after a value that cannot be read are not listed: the redirector's port
        // comes after it at the snapshot, before it at the hand-over.
        QTest::newRow("inventory fails at the snapshot") << "snapshot" << QString();
        QTest::newRow("inventory fails at the hand-over") << "hand-over"
                                                          << "/dev/pts/99";
    }
    void handOverUnderFaults() {
        QFETCH(QString, fault);
        QFETCH(QString, newPort);
        WriteScript(ManagerPath(), runLog_, "manager");
        reg::WriteString(reg::Root::LocalMachine, "HARDWARE\\DEVICEMAP\\SERIALCOMM",
                         "\\Device\\Serial0", "/dev/pts/98");  // a port the PC had before
        const auto breakInventory = [&] {
            QFile hive(sandbox_->registryDir() + QStringLiteral("/HKEY_LOCAL_MACHINE.reg"));
            QVERIFY(hive.open(QIODevice::Append));
            hive.write("\"\\\\Device\\\\Broken\"=dword:00000001\r\n");
        };
        if (fault == QLatin1String("snapshot")) {
            breakInventory();
        }
        PassXport();
        const QString failure = QString::fromStdString(ListComPorts(nullptr));
        QCOMPARE(dialogs_->texts(),
                 fault == QLatin1String("snapshot") ? QStringList{failure} : QStringList());
        wizard_->next();  // the manager runs
        QCOMPARE(Sheet(), QStringLiteral("EtherRedirectTab3"));
        // The redirector's new port appears.
        reg::WriteString(reg::Root::LocalMachine, "HARDWARE\\DEVICEMAP\\SERIALCOMM",
                         "\\Device\\VormaticCpr9", "/dev/pts/99");
        if (fault == QLatin1String("unreadable")) {
            QFile hive(sandbox_->registryDir() + QStringLiteral("/HKEY_CURRENT_USER.reg"));
            QVERIFY(hive.open(QIODevice::WriteOnly));
            hive.write("not a hive\n");
        } else if (fault == QLatin1String("hand-over")) {
            breakInventory();
        }
        wizard_->next();
        QCOMPARE(wizard_->index(), 6);
        QCOMPARE(EthernetForm->NewPortName(), newPort);
        const QString shown = QString::fromStdString(ListComPorts(nullptr));
        QCOMPARE(dialogs_->texts(), (shown.isEmpty() ? QStringList() : QStringList{shown, shown}));
        for (const RecordedBox& box : dialogs_->boxes) {
            QCOMPARE(box.title, QStringLiteral("Error"));
            QCOMPARE(box.icon, MsgIcon::Exclamation);
        }
    }

    void typedManagerPaths() {
        PassXport();  // no installer, no manager: Redirect1
        auto* path = wizard_->find<QLineEdit>("EtherRedirPathEdit");
        const QString missing = sandbox_->root() + QStringLiteral("/no/CprManager.exe");
        // The path entry is reached through an installer that leaves no manager behind.
        WriteScript(sandbox_->cdDir() + QLatin1Char('/') + QLatin1String(kInstaller), runLog_,
                    "installer");
        wizard_->next();
        wizard_->next();
        QCOMPARE(Sheet(), QStringLiteral("EtherRedirectTab2"));
        QTest::mouseClick(path, Qt::LeftButton);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), missing);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        Settle();
        QCOMPARE(dialogs_->texts(),
                 QStringList{QStringLiteral("Unable to find the COMM Port Redirector program.\n") +
                             missing});
        QCOMPARE(Sheet(), QStringLiteral("EtherRedirectTab2"));
        // Back with the manager missing: Redirect1.
        wizard_->back();
        QCOMPARE(Sheet(), QStringLiteral("EtherRedirectTab1"));

        // A typed path to a file that cannot be started ends the road.
        wizard_->next();
        wizard_->next();
        const QString notStartable = sandbox_->root() + QStringLiteral("/CprManager.exe");
        WriteScript(notStartable, runLog_, "manager", false);
        QTest::mouseClick(path, Qt::LeftButton);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), notStartable);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        Settle();
        QCOMPARE(
            dialogs_->texts().last(),
            QStringLiteral("Unable to launch the COMM Port Redirector program.\n") + notStartable);
        QCOMPARE(Sheet(), QStringLiteral("EtherRedirectTabFailed"));
        QVERIFY(!wizard_->nextEnabled());
        QVERIFY(!wizard_->backEnabled());
    }

private:
    // Walks to the Xport sheet and through a DHCP set-up of the simulated module, then Next.
    void PassXport() {
        wizard_ = std::make_unique<Wizard>();
        WalkToXportSheet(*wizard_, true);
        QTRY_VERIFY_WITH_TIMEOUT(ChoosingPrinter(*wizard_), kXportCourseMs);
        wizard_->next();
        QTRY_VERIFY_WITH_TIMEOUT(XportConfigForm->IsDone(), kXportCourseMs);
        QTRY_VERIFY(wizard_->nextEnabled());  // the button follows the page's posted message
        wizard_->next();
        QVERIFY(!XportConfigForm);
    }
    QString Sheet() const { return EthernetForm->ActiveSheet(); }
    QString RunLog() const {
        QFile file(runLog_);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    // Redirect2 shows the manager's instructions, or else the path entry.
    void ExpectInstructions(bool instructions) const {
        QCOMPARE(wizard_->find<QLineEdit>("EtherRedirPathEdit")->isVisible(), !instructions);
        QCOMPARE(wizard_->find<QWidget>("EtherRedirPathBrowseButton")->isVisible(), !instructions);
        for (const char* bullet :
             {"SplatLabel5", "SplatLabel6", "SplatLabel7", "SplatLabel8", "SplatLabel9"}) {
            QCOMPARE(wizard_->find<QLabel>(bullet)->isVisible(), instructions);
        }
        const QString first = wizard_->find<QLabel>("EtherRedirLabel4")->text();
        QCOMPARE(first.startsWith(QStringLiteral("Unable to find the Redirector program.")),
                 !instructions);
        QCOMPARE(wizard_->find<QLabel>("EtherRedirLabel9")->text().isEmpty(), !instructions);
        QVERIFY(wizard_->nextEnabled());
    }

    LoopbackLan lan_;
    std::unique_ptr<Sandbox> sandbox_;
    std::unique_ptr<DialogRecorder> dialogs_;
    std::unique_ptr<XportSim> sim_;
    std::unique_ptr<Wizard> wizard_;
    QString runLog_;
};

VORMATIC_TEST_MAIN(EthernetPageTest)
#include "EthernetPageTest.moc"
