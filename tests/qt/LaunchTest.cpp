// Starting installers and web addresses: RunAndWait with the real QProcess on small scripts,
// the RunOnce registration and the browser fallback.

#include <QDir>
#include <QFile>
#include <QTimer>
#include <QtTest>

#include "app/Launch.h"
#include "app/Selections.h"
#include "host/Registry.h"
#include "host/RunOnce.h"
#include "tests/support/DialogRecorder.h"
#include "tests/support/Sandbox.h"
#include "tests/support/TestMain.h"
#include "tests/support/Wizard.h"

namespace {
QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
}  // namespace

class LaunchTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        sandbox_ = std::make_unique<Sandbox>();
        sandbox_->writeCdFile(QStringLiteral("Quorvanta Software License.txt"), "Licence\n");
        dialogs_ = std::make_unique<DialogRecorder>();
    }
    void cleanup() {
        dialogs_.reset();
        sandbox_.reset();
    }

    void missingProgramStartsNothing() {
        Wizard w;
        QVERIFY(w.nextEnabled());
        QVERIFY(!RunAndWait(sandbox_->cdDir() + QStringLiteral("/setup/none.sh"), QString()));
        QVERIFY(w.nextEnabled());
        QVERIFY(!IsWaitingForProgram());
        QVERIFY(dialogs_->boxes.isEmpty());
    }

    void notAProgramFails() {
        const QString data = sandbox_->writeCdFile(QStringLiteral("data.txt"), "text");
        QVERIFY(!RunAndWait(data, QString()));
        QVERIFY(!IsWaitingForProgram());
    }

    void waitsWithButtonsLockedAndRestoresThem() {
        Wizard w;
        // Welcome page: Back off, Next on. Both must come back exactly so.
        const QString marker = sandbox_->root() + QStringLiteral("/ran");
        const QString script =
            sandbox_->writeCdScript(QStringLiteral("setup/producer/RX200/install.sh"),
                                    "sleep 0.4\necho ran > '" + marker.toUtf8() + "'\nexit 3\n");
        bool sawLocked = false;
        bool exitRefused = false;
        QTimer probe;
        probe.setInterval(100);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            if (IsWaitingForProgram() && !w.backEnabled() && !w.nextEnabled()) {
                sawLocked = true;
                // The queue is serviced during the wait, and the shell refuses to close.
                exitRefused = !w.shell()->close();
            }
        });
        probe.start();
        QElapsedTimer clock;
        clock.start();
        QVERIFY(RunAndWait(script, QString()));
        probe.stop();
        QVERIFY(clock.elapsed() >= 350);
        QVERIFY(QFile::exists(marker));  // returned only after the program had ended
        QVERIFY(sawLocked);
        QVERIFY(exitRefused);
        QVERIFY(!IsWaitingForProgram());
        QVERIFY(!w.backEnabled());
        QVERIFY(w.nextEnabled());
        QVERIFY(dialogs_->texts().contains(
            QStringLiteral("Can't exit while waiting for an installation to complete.")));
    }

    void startsExactlyTheNamedFileWhenItsPathHasBlanks() {
        // "my setup/run me.sh" must not start "my" or "my setup/run".
        const QString decoyMarker = sandbox_->root() + QStringLiteral("/decoy");
        const QString realMarker = sandbox_->root() + QStringLiteral("/real");
        sandbox_->writeCdScript(QStringLiteral("my"), "touch '" + decoyMarker.toUtf8() + "'\n");
        sandbox_->writeCdScript(QStringLiteral("my setup/run"),
                                "touch '" + decoyMarker.toUtf8() + "'\n");
        const QString script = sandbox_->writeCdScript(QStringLiteral("my setup/run me.sh"),
                                                       "touch '" + realMarker.toUtf8() + "'\n");
        QVERIFY(RunAndWait(script, QString()));
        QVERIFY(QFile::exists(realMarker));
        QVERIFY(!QFile::exists(decoyMarker));
    }

    void usesTheWorkingDirectory() {
        const QString out = sandbox_->root() + QStringLiteral("/cwd");
        const QString script =
            sandbox_->writeCdScript(QStringLiteral("pwd.sh"), "pwd > '" + out.toUtf8() + "'\n");
        QVERIFY(RunAndWait(script, sandbox_->root()));
        QCOMPARE(QDir(QString::fromUtf8(ReadAll(out).trimmed())).canonicalPath(),
                 QDir(sandbox_->root()).canonicalPath());
        QVERIFY(RunAndWait(script, QString()));
        QCOMPARE(QDir(QString::fromUtf8(ReadAll(out).trimmed())).canonicalPath(),
                 QDir(sandbox_->cdDir()).canonicalPath());
    }

    void runOnceWritesValueAndAutostartEntry() {
        RegisterRunOnce(QStringLiteral("-rusb"));
        QVERIFY(dialogs_->boxes.isEmpty());
        const auto value = reg::ReadString(reg::Root::CurrentUser, kRunOnceKey, kRunOnceValue);
        QVERIFY(value.has_value());
        QVERIFY(QString::fromStdString(*value).endsWith(QStringLiteral(" -rusb")));
        const QByteArray entry = ReadAll(QString::fromStdString(AutostartEntryPath()));
        QVERIFY(entry.contains("-rusb"));
        // The wrapper changes to the CD folder itself: a Path= line would stop a launcher
        // before the entry could remove itself when the disc is gone.
        QVERIFY(entry.contains(QDir::currentPath().toUtf8()));
        QVERIFY(!entry.contains("\nPath="));
        ClearRunOnceEntry();
        QVERIFY(!QFile::exists(QString::fromStdString(AutostartEntryPath())));
        QVERIFY(!reg::ReadString(reg::Root::CurrentUser, kRunOnceKey, kRunOnceValue));
    }

    void runOnceReportsAnUnwritableRegistry() {
        // A registry folder below a plain file cannot be created, even by root.
        const QString blocker = sandbox_->writeCdFile(QStringLiteral("blocker"), "x");
        sandbox_->setEnv("VORMATIC_REGISTRY_DIR", (blocker + QStringLiteral("/reg")).toUtf8());
        RegisterRunOnce(QStringLiteral("-rusb"));
        QCOMPARE(dialogs_->boxes.size(), 1);
        QCOMPARE(dialogs_->boxes[0].title, QStringLiteral("Error"));
        QCOMPARE(dialogs_->boxes[0].text,
                 QStringLiteral("Unable to write to the Windows Registry. You may not have "
                                "sufficient privileges to install this software."));
        QCOMPARE(dialogs_->boxes[0].icon, MsgIcon::Exclamation);
    }

    void runOnceKeepsADamagedHive() {
        QDir().mkpath(sandbox_->registryDir());
        const QByteArray damaged =
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\A]\r\n\"x\"=zzz\r\n";
        QFile f(sandbox_->registryDir() + QStringLiteral("/HKEY_CURRENT_USER.reg"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(damaged);
        f.close();
        RegisterRunOnce(QStringLiteral("-rusb"));
        QCOMPARE(dialogs_->boxes.size(), 1);
        QCOMPARE(ReadAll(f.fileName()), damaged);
    }

    void browserCommandPlaceholder_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("expected");
        QTest::newRow("quoted") << "browser \"%1\" --new"
                                << "browser  --new http://x";
        QTest::newRow("bare") << "browser %1"
                              << "browser  http://x";
        QTest::newRow("none") << "browser"
                              << "browser http://x";
        QTest::newRow("first only") << "b %1 %1"
                                    << "b  %1 http://x";
    }
    void browserCommandPlaceholder() {
        QFETCH(QString, command);
        QFETCH(QString, expected);
        QCOMPARE(BrowserCommandLine(command, QStringLiteral("http://x")), expected);
    }

    void webAddressOpensThroughTheDesktop() {
        QCOMPARE(OpenWebAddress(QStringLiteral("http://www.quorvanta.com")), QString());
        QCOMPARE(dialogs_->opened, QList<QUrl>{QUrl(QStringLiteral("http://www.quorvanta.com"))});
    }

    void webAddressFallsBackToTheRegisteredBrowser() {
        dialogs_->shellOpenSucceeds = false;
        sandbox_->setEnv("BROWSER", QByteArray());
        QCOMPARE(OpenWebAddress(QStringLiteral("http://a")),
                 QStringLiteral("Web Browser Not Registered!"));
        sandbox_->setEnv("BROWSER", QByteArray(""));
        QCOMPARE(OpenWebAddress(QStringLiteral("http://a")),
                 QStringLiteral("Web Browser Not Installed!"));
        sandbox_->setEnv("BROWSER", QByteArray("/nonexistent/browser %1"));
        QCOMPARE(OpenWebAddress(QStringLiteral("http://a")),
                 QStringLiteral("Error Executing Web Browser!"));

        const QString out = sandbox_->root() + QStringLiteral("/args");
        const QString browser = sandbox_->writeCdScript(QStringLiteral("browser.sh"),
                                                        "echo \"$@\" > '" + out.toUtf8() + "'\n");
        // The sandbox path holds a blank, so the command quotes the program.
        sandbox_->setEnv("BROWSER",
                         (QLatin1Char('"') + browser + QStringLiteral("\" --new \"%1\"")).toUtf8());
        QCOMPARE(OpenWebAddress(QStringLiteral("http://a/b?c=d")), QString());
        QTRY_VERIFY(QFile::exists(out));
        QTRY_COMPARE(ReadAll(out), QByteArray("--new http://a/b?c=d\n"));
    }

private:
    std::unique_ptr<Sandbox> sandbox_;
    std::unique_ptr<DialogRecorder> dialogs_;
};

VORMATIC_TEST_MAIN(LaunchTest)
#include "LaunchTest.moc"
