#include "pages/usb/TUsbForm.h"

#include <QCoreApplication>
#include <QLabel>
#include <QStackedWidget>
#include <QTimer>

#include "app/Dialogs.h"
#include "app/FormKit.h"
#include "app/Launch.h"
#include "host/OsVersion.h"
#include "host/Paths.h"
#include "host/WaitClock.h"
#include "pages/usb/UsbDriverChoice.h"

QPointer<TUsbForm> UsbForm;

namespace {

constexpr int kNewPortPollMs = 250;

// The driver installer on the CD, relative to the current directory.
QString InstallerPath() {
    return FromAnsi(NativePath(kUsbDriverInstaller));
}

}  // namespace

TUsbForm::TUsbForm(QWidget* owner) : TChildForm(owner) {
    BuildSheets();
    UsbPageControl->setCurrentWidget(UsbTabSheet1);
    NewPortTimer = new QTimer(this);
    NewPortTimer->setObjectName(QStringLiteral("NewPortTimer"));
    NewPortTimer->setSingleShot(true);
    connect(NewPortTimer, &QTimer::timeout, this, [this] { NewPortTimerTimer(); });
}

QString TUsbForm::ActiveSheet() const {
    return UsbPageControl->currentWidget()->objectName();
}

bool TUsbForm::IsWatchingForNewPort() const {
    return NewPortTimer->isActive();
}

void TUsbForm::ShowSheet(QWidget* sheet) {
    UsbPageControl->setCurrentWidget(sheet);
}

bool TUsbForm::Showing(const QWidget* sheet) const {
    return UsbPageControl->currentWidget() == sheet;
}

void TUsbForm::Activate() {
    ShowSheet(UsbTabSheet1);
    EnableBack();
    EnableNext();
}

void TUsbForm::ResumeAfterRestart() {
    // The ports before the restart are in BeforePorts; step 3's Next compares with them.
    ShowSheet(UsbTabSheet3);
    DisableBack();
    EnableNext();
}

void TUsbForm::Next() {
    if (Showing(UsbTabSheet1)) {
        StartInstallation();
    } else if (Showing(UsbTabSheet2)) {
        if (restartPending_) {
            ShowSheet(UsbTabSheet4Restart);
        } else {
            ShowSheet(UsbTabSheet3);
            StopWatching();
        }
        DisableBack();
        EnableNext();
    } else if (Showing(UsbTabSheet3)) {
        HandOver();
    } else if (Showing(UsbTabSheet4Restart)) {
        // The close decision lets this through without a question: a restart is pending.
        Post(WM_CLOSE_WIZARD);
    }
}

void TUsbForm::Back() {
    if (Showing(UsbTabSheet1)) {
        Post(WM_SHOW_CONNECT_FORM);
    } else if (Showing(UsbTabSheet2)) {
        ShowSheet(UsbTabSheet1);
    } else if (Showing(UsbTabSheet3)) {
        ShowSheet(UsbTabSheet2);
    }
}

void TUsbForm::StartInstallation() {
    portsBefore_.clear();
    const std::string failure = ListComPorts(&portsBefore_);
    snapshotTaken_ = true;
    if (!failure.empty()) {
        ShowErrorMessage(FromAnsi(failure));
    }
    SaveBeforePorts(portsBefore_);

    DisableBack();
    DisableNext();
    ShowSheet(UsbTabSheet1Wait);
    QCoreApplication::processEvents();  // paints the wait step

    if (InstallDriver()) {
        ShowSheet(UsbTabSheet2);
        StartWatching();
    } else {
        ShowSheet(UsbTabSheet1);
    }
    EnableNext();
}

bool TUsbForm::InstallDriver() {
    const UsbDriverPlan plan = ChooseUsbDriver(QueryWindowsVersion());
    if (!plan.supported) {
        ShowErrorMessage(tr("The Windows version is not supported."));
        return false;
    }
    if (plan.restart) {
        // Registered before the installer starts, and kept even if it cannot start.
        restartPending_ = true;
        RegisterRunOnce(QStringLiteral("-rusb"));
        RestartNoticeLabel->show();
        RestartNoticeImage->show();
    }
    const QString installer = InstallerPath();
    if (!RunAndWait(installer, QString())) {
        ShowErrorMessage(tr("Unable to launch the USB driver installation program.\n") + installer);
        return false;
    }
    return true;
}

void TUsbForm::StartWatching() {
    NewPortTimer->start(waits::Ms(kNewPortPollMs));
}

void TUsbForm::StopWatching() {
    NewPortTimer->stop();
}

void TUsbForm::NewPortTimerTimer() {
    StopWatching();
    if (!Showing(UsbTabSheet2)) {
        return;
    }
    // Against the list taken on step 1; step 3's Next finds the name again.
    if (!FindNewPort(portsBefore_).empty()) {
        ShowSheet(UsbTabSheet3);
        return;
    }
    StartWatching();
}

void TUsbForm::HandOver() {
    // BeforePorts carries the list across a restart. When it cannot be read, the list taken
    // on step 1 of this run serves; with neither, nothing is known of the ports before, and
    // no port is called new.
    bool known = snapshotTaken_;
    if (std::optional<PortList> saved = ReadBeforePorts()) {
        portsBefore_ = std::move(*saved);
        known = true;
    }
    newPortName_ = known ? FromAnsi(FindNewPort(portsBefore_)) : QString();
    Post(WM_SHOW_PORT_FORM, newPortName_);
}
