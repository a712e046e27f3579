#include "tests/support/Walk.h"

#include <QAbstractButton>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QProcess>
#include <QTest>
#ifndef Q_OS_WIN
#include <csignal>
#endif

#include "tests/support/Sandbox.h"
#include "tests/support/Wizard.h"

#ifdef Q_OS_WIN
namespace {

// Copies the folder `from` into `to` with everything below it.
bool CopyFolder(const QString& from, const QString& to) {
    const QDir source(from);
    if (!source.exists() || !QDir().mkpath(to)) {
        return false;
    }
    for (const QFileInfo& entry :
         source.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden)) {
        const QString target = to + QLatin1Char('/') + entry.fileName();
        const bool copied = entry.isDir() ? CopyFolder(entry.filePath(), target)
                                          : QFile::copy(entry.filePath(), target);
        if (!copied) {
            return false;
        }
    }
    return true;
}

}  // namespace
#endif

bool MakeDemoCd(Sandbox& sandbox, const QString& log) {
    sandbox.setEnv("VORMATIC_DEMO_INSTALL_SECONDS", "0");
    sandbox.setEnv("VORMATIC_DEMO_LOG", QDir::toNativeSeparators(log).toUtf8());
#ifdef Q_OS_WIN
    // The Windows CD of scripts/make-windows-cd.sh, with its stand-in installers.
    const QString cd = qEnvironmentVariable("VORMATIC_WIN_CD");
    return !cd.isEmpty() && CopyFolder(QDir::fromNativeSeparators(cd), sandbox.cdDir());
#else
    QProcess script;
    script.start(QStringLiteral("bash"),
                 {QStringLiteral(VORMATIC_SOURCE_DIR "/tools/make-demo-cd.sh"), sandbox.cdDir(),
                  QString(), QStringLiteral(VORMATIC_BUILD_DIR "/tools")});
    return script.waitForFinished(30000) && script.exitStatus() == QProcess::NormalExit &&
           script.exitCode() == 0;
#endif
}

void ClickNamed(Wizard& wizard, const char* name) {
    auto* widget = wizard.find<QWidget>(name);
    if (!widget) {
        QTest::qFail(qPrintable(QStringLiteral("no widget named ") + QLatin1String(name)), __FILE__,
                     __LINE__);
        return;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->click();
    } else {
        QTest::mouseClick(widget, Qt::LeftButton);
    }
    Settle();
}

bool ClickPortItem(Wizard& wizard, const QString& text) {
    auto* list = wizard.find<QListWidget>("PortListBox");
    if (!list) {
        return false;
    }
    const QList<QListWidgetItem*> items = list->findItems(text, Qt::MatchExactly);
    if (items.isEmpty()) {
        return false;
    }
    list->scrollToItem(items.first());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(items.first()).center());
    Settle();
    return true;
}

void WalkToPortPage(Wizard& wizard) {
    wizard.next();  // Welcome -> licence
    ClickNamed(wizard, "AcceptRadioButton");
    wizard.next();  // licence -> connection choice
    wizard.next();  // serial is preselected
    wizard.next();  // serial -> COM port page
}

void WalkToUsbPage(Wizard& wizard) {
    wizard.next();  // Welcome -> licence
    ClickNamed(wizard, "AcceptRadioButton");
    wizard.next();  // licence -> connection choice
    ClickNamed(wizard, "UsbRadioButton");
    wizard.next();  // connection choice -> USB
}

bool UnplugDemoUsbPrinter(const QString& stateDir) {
#ifdef Q_OS_WIN
    // The Windows CD's printer is the test script's, plugged in for the whole run.
    Q_UNUSED(stateDir);
    return true;
#else
    QFile pidFile(stateDir + QStringLiteral("/usb-printer.pid"));
    const qint64 pid =
        pidFile.open(QIODevice::ReadOnly) ? pidFile.readAll().trimmed().toLongLong() : 0;
    pidFile.remove();
    // Only while it is still the installer's waiting copy or the simulator.
    const QString proc = QStringLiteral("/proc/%1/").arg(pid);
    QFile cmdline(proc + QStringLiteral("cmdline"));
    if (pid <= 1 || !cmdline.open(QIODevice::ReadOnly)) {
        return true;
    }
    const QByteArray command = cmdline.readAll();
    if (!command.contains("vormatic-printer-sim") && !command.contains("setup/usb/setup.exe")) {
        return true;
    }
    ::kill(static_cast<pid_t>(pid), SIGTERM);
    // Not our child: wait until it is gone, or a zombie that its new parent has yet to reap.
    QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired()) {
        QFile stat(proc + QStringLiteral("stat"));
        if (!stat.open(QIODevice::ReadOnly) || stat.readAll().contains(") Z ")) {
            return true;
        }
        QTest::qWait(20);
    }
    return false;
#endif
}
