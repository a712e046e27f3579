// The Producer page on the real shell: the model's installer (a script on the sandbox CD) runs
// and is waited for, then the chosen port goes into that Producer's preferences store.

#include <QFile>
#include <QLabel>
#include <QtTest>
#include <memory>

#include "app/Selections.h"
#include "app/ShellMessages.h"
#include "host/IniFile.h"
#include "host/Registry.h"
#include "pages/model/ModelTable.h"
#include "pages/producer/TProducerForm.h"
#include "tests/support/CaptionFit.h"
#include "tests/support/DialogRecorder.h"
#include "tests/support/Sandbox.h"
#include "tests/support/TestMain.h"
#include "tests/support/Wizard.h"

namespace {

const QString kRegisterFailed = QStringLiteral(
    "An error occurred while trying to register the printer COM port setting. You may still be "
    "able to run Producer but you will have to manually set the printer COM port using "
    "Setup/Preferences.");

const char* const kInstallers[] = {
    "RX200/VormaticProducer.exe",   "MZ4-A/VormaticProducerCL.exe", "MZ4-B/VormaticProducerSL.exe",
    "MZ4-E/VormaticProducerDL.exe", "VF5Q/VormaticProducerAL.exe",  "RX200W/VormaticProducerPL.exe",
};

const char* const kPrefsKeys[] = {models::kTagPrefsKey, models::kSlidePrefsKey,
                                  models::kDrawerPrefsKey, models::kAmpulePrefsKey,
                                  models::kPlatePrefsKey};

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString PortNameIn(const char* key) {
    const auto value =
        reg::ReadString(reg::Root::CurrentUser, std::string(key) + "\\Send", "PortName");
    return value ? QString::fromStdString(*value) : QString();
}

}  // namespace

class ProducerPageTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        sandbox_ = std::make_unique<Sandbox>();
        dialogs_ = std::make_unique<DialogRecorder>();
        ClearSelections();
        log_ = sandbox_->root() + QStringLiteral("/installers.log");
        hive_ = sandbox_->registryDir() + QStringLiteral("/HKEY_CURRENT_USER.reg");
        ini_ = sandbox_->commonAppData() + QStringLiteral("/Quorvanta/VormaticCL/config.ini");
    }
    void cleanup() {
        dialogs_.reset();
        sandbox_.reset();
    }

    void pageShowsItsTextsAndEnablesBothButtons() {
        Wizard w;
        showProducerPage(w, "RX200", "COM1");
        QCOMPARE(w.index(), 8);
        QVERIFY(w.nextEnabled());
        QVERIFY(w.backEnabled());
        QCOMPARE(label("Label2")->text(), QStringLiteral("Vormatic® Producer Installation"));
        QVERIFY(label("Label2")->font().bold());
        QCOMPARE(label("ProducerLabel1")->text(),
                 QStringLiteral("The final step is to install the Vormatic® Producer software "
                                "for your printer model."));
        QCOMPARE(label("Label1")->text(),
                 QStringLiteral("Vormatic® Producer is the software that allows you to configure "
                                "your printer, create layout files, and enter print jobs.   It "
                                "can also receive print jobs from your business information "
                                "system or other computer."));
        QCOMPARE(label("ProducerLabel2")->text(),
                 QStringLiteral("To launch the Producer installation program, click the next "
                                "button below."));
        auto* image = label("ProducerImage");
        QCOMPARE(image->size(), QSize(325, 241));
        QVERIFY(!image->pixmap().isNull());
        // Everything is centred on the 612-pixel page, top to bottom in this order.
        int top = 0;
        for (const char* name :
             {"Label2", "ProducerLabel1", "ProducerImage", "Label1", "ProducerLabel2"}) {
            const QRect r = label(name)->geometry();
            QVERIFY2(qAbs(r.left() + r.right() + 1 - 612) <= 1, name);
            QVERIFY2(r.top() >= top && r.bottom() < 417, name);
            top = r.bottom() + 1;
        }
        QVERIFY(ClippedCaptions(ProducerForm).isEmpty());
    }

    void tagPrinterPortGoesToTheRegistryAfterTheInstaller() {
        writeInstallers(hive_);
        Wizard w;
        showProducerPage(w, "RX6XX", "COM4");
        w.next();
        // The installer ran, and found no port written while it ran.
        QCOMPARE(ReadAll(log_), QByteArray("RX200/VormaticProducer.exe clean\n"));
        QCOMPARE(PortNameIn(models::kTagPrefsKey), QStringLiteral("COM4"));
        // Only "PortName" in "Send": nothing else is written to the store.
        QVERIFY(reg::ValueNames(reg::Root::CurrentUser, models::kTagPrefsKey).empty());
        QCOMPARE(
            reg::ValueNames(reg::Root::CurrentUser, std::string(models::kTagPrefsKey) + "\\Send"),
            std::vector<std::string>{"PortName"});
        QVERIFY(!QFile::exists(ini_));
        QCOMPARE(w.index(), 9);
        QVERIFY(dialogs_->boxes.isEmpty());
    }

    void eachModelHasItsInstallerAndStore_data() {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("installer");
        QTest::addColumn<QString>("key");
        const QString tag = QString::fromLatin1(models::kTagPrefsKey);
        for (const char* code : {"RX200", "RX6XX", "RX65X", "RX67X", "RX8XX", "NB520"}) {
            QTest::newRow(code) << code << "RX200/VormaticProducer.exe" << tag;
        }
        QTest::newRow("MZ4-B") << "MZ4-B"
                               << "MZ4-B/VormaticProducerSL.exe" << models::kSlidePrefsKey;
        QTest::newRow("MZ4-E") << "MZ4-E"
                               << "MZ4-E/VormaticProducerDL.exe" << models::kDrawerPrefsKey;
        QTest::newRow("VF5Q") << "VF5Q"
                              << "VF5Q/VormaticProducerAL.exe" << models::kAmpulePrefsKey;
        QTest::newRow("RX200W") << "RX200W"
                                << "RX200W/VormaticProducerPL.exe" << models::kPlatePrefsKey;
        QTest::newRow("empty") << ""
                               << "RX200/VormaticProducer.exe" << tag;
        QTest::newRow("unknown") << "Acme"
                                 << "RX200/VormaticProducer.exe" << tag;
    }
    void eachModelHasItsInstallerAndStore() {
        QFETCH(QString, model);
        QFETCH(QString, installer);
        QFETCH(QString, key);
        writeInstallers(hive_);
        Wizard w;
        showProducerPage(w, model, "/dev/ttyUSB1");
        w.next();
        QCOMPARE(QString::fromUtf8(ReadAll(log_)), installer + QStringLiteral(" clean\n"));
        for (const char* prefs : kPrefsKeys) {
            QCOMPARE(PortNameIn(prefs),
                     key == QLatin1String(prefs) ? QStringLiteral("/dev/ttyUSB1") : QString());
        }
        QVERIFY(!QFile::exists(ini_));
        QCOMPARE(w.index(), 9);
        QVERIFY(dialogs_->boxes.isEmpty());
    }

    void cassettePrintersWriteTheIniFile_data() {
        QTest::addColumn<QString>("model");
        QTest::newRow("single magazine") << "MZ4-A2";
        QTest::newRow("twelve magazines") << "MZ4-A";
    }
    void cassettePrintersWriteTheIniFile() {
        QFETCH(QString, model);
        writeInstallers(ini_);
        QVERIFY(!QDir(sandbox_->commonAppData()).exists(QStringLiteral("Quorvanta")));
        Wizard w;
        showProducerPage(w, model, "COM4");
        w.next();
        QCOMPARE(ReadAll(log_), QByteArray("MZ4-A/VormaticProducerCL.exe clean\n"));
        QCOMPARE(ReadAll(ini_),
                 "[Send]\r\nPortName=COM4\r\n\r\n[Printer]\r\nModel=" + model.toUtf8() + "\r\n");
        QVERIFY(!QFile::exists(hive_));
        QCOMPARE(w.index(), 9);
        QVERIFY(dialogs_->boxes.isEmpty());
    }

    void anExistingIniFileKeepsEverythingElse() {
        writeInstallers(ini_);
        const QByteArray before =
            "; Producer CL settings\r\n[Display]\r\nUnits=mm\r\n\r\n[send]\r\nBaud = 19200\r\n"
            "PortName = COM1\r\n\r\n[Printer]\nModel=OLD\n# kept\n[Tail]\r\nx=1";
        QDir().mkpath(sandbox_->commonAppData() + QStringLiteral("/Quorvanta/VormaticCL"));
        QFile file(ini_);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(before);
        file.close();
        Wizard w;
        showProducerPage(w, "MZ4-A", "/dev/ttyS3");
        w.next();
        QByteArray expected = before;
        expected.replace("PortName = COM1", "PortName = /dev/ttyS3");
        expected.replace("Model=OLD", "Model=MZ4-A");
        QCOMPARE(ReadAll(ini_), expected);
        QCOMPARE(w.index(), 9);
        QVERIFY(dialogs_->boxes.isEmpty());
    }

    void aMissingInstallerStopsThePage_data() {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("installer");
        QTest::newRow("tag") << "RX200"
                             << "RX200/VormaticProducer.exe";
        QTest::newRow("cassette") << "MZ4-A2"
                                  << "MZ4-A/VormaticProducerCL.exe";
    }
    void aMissingInstallerStopsThePage() {
        QFETCH(QString, model);
        QFETCH(QString, installer);
        Wizard w;
        showProducerPage(w, model, "COM2");
        w.next();
        QCOMPARE(dialogs_->texts(),
                 QStringList{"Unable to launch the Producer installation program.\n" +
                             sandbox_->cdDir() + "/setup/producer/" + installer});
        QCOMPARE(dialogs_->boxes[0].title, QStringLiteral("Error"));
        QCOMPARE(dialogs_->boxes[0].icon, MsgIcon::Exclamation);
        QCOMPARE(w.index(), 8);
        QVERIFY(w.nextEnabled());
        QVERIFY(w.backEnabled());
        QVERIFY(!QFile::exists(hive_));
        QVERIFY(!QFile::exists(ini_));

        // Once the installer is there, Next can be pressed again.
        writeInstallers(hive_);
        w.next();
        QCOMPARE(QString::fromUtf8(ReadAll(log_)), installer + QStringLiteral(" clean\n"));
        QCOMPARE(w.index(), 9);
    }

    void aReadOnlyIniFileIsReportedAndTheWizardGoesOn() {
        writeInstallers(ini_);
        const QByteArray before = "[Send]\r\nPortName=COM1\r\n";
        QDir().mkpath(sandbox_->commonAppData() + QStringLiteral("/Quorvanta/VormaticCL"));
        QFile file(ini_);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(before);
        file.close();
        QVERIFY(
            QFile::setPermissions(ini_, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        Wizard w;
        showProducerPage(w, "MZ4-A2", "COM5");
        w.next();
        QCOMPARE(ReadAll(log_), QByteArray("MZ4-A/VormaticProducerCL.exe present\n"));
        QCOMPARE(dialogs_->texts(), QStringList{kRegisterFailed});
        QCOMPARE(dialogs_->boxes[0].title, QStringLiteral("Error"));
        QCOMPARE(dialogs_->boxes[0].icon, MsgIcon::Exclamation);
        QCOMPARE(ReadAll(ini_), before);
        QCOMPARE(w.index(), 9);
    }

    void anUnwritableRegistryIsReportedAndTheWizardGoesOn() {
        writeInstallers(hive_);
        const QByteArray damaged = "This is not a registry file.\n";
        QDir().mkpath(sandbox_->registryDir());
        QFile file(hive_);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(damaged);
        file.close();
        Wizard w;
        showProducerPage(w, "MZ4-B", "COM6");
        w.next();
        QCOMPARE(ReadAll(log_), QByteArray("MZ4-B/VormaticProducerSL.exe clean\n"));
        QCOMPARE(dialogs_->texts(), QStringList{kRegisterFailed});
        QCOMPARE(ReadAll(hive_), damaged);
        QCOMPARE(w.index(), 9);
    }

    void backReturnsToTheSerialPageAndEmptiesTheSelections() {
        Wizard w;
        showProducerPage(w, "RX200", "COM3");
        SetPrinterIdentity(QStringLiteral("RX200 x"));
        w.back();
        QCOMPARE(w.index(), 3);
        QVERIFY(w.backEnabled());
        QVERIFY(GetSelectedPort().isEmpty());
        QVERIFY(GetPrinterModel().isEmpty());
        QVERIFY(GetPrinterIdentity().isEmpty());
        QVERIFY(!QFile::exists(log_));
    }

private:
    // A control of this page (other pages use some of the same names).
    static QLabel* label(const char* name) {
        return ProducerForm->findChild<QLabel*>(QString::fromLatin1(name));
    }
    // Every Producer installer of the CD, as a script that logs its own name and whether
    // `watched` (the store the port goes to) holds a port already while it runs.
    void writeInstallers(const QString& watched) {
        for (const char* installer : kInstallers) {
            const QByteArray name(installer);
            sandbox_->writeCdScript(QStringLiteral("setup/producer/") + QString::fromLatin1(name),
                                    "if grep -qi PortName '" + watched.toUtf8() +
                                        "' 2>/dev/null; then state=present; else state=clean; fi\n"
                                        "echo \"" +
                                        name + " $state\" >> '" + log_.toUtf8() + "'\n");
        }
    }
    static void showProducerPage(Wizard& w, const QString& model, const QString& port) {
        SetPrinterModel(model);
        SetSelectedPort(port);
        PostShellMessage(w.shell(), WM_SHOW_PRODUCER_FORM);
        Settle();
    }

    std::unique_ptr<Sandbox> sandbox_;
    std::unique_ptr<DialogRecorder> dialogs_;
    QString log_;
    QString hive_;
    QString ini_;
};

VORMATIC_TEST_MAIN(ProducerPageTest)
#include "ProducerPageTest.moc"
