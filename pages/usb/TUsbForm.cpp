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
    inventoryNotice_ = FailureNotice();
    inventoryNotice_.Report(FromAnsi(ListComPorts(&portsBefore_)));
    snapshotTaken_ = true;
    // The saved list is what a resume after a restart compares with: without it, the new
    // port may not be found then, and the user should know why.
    const std::string saveFailure = SaveBeforePorts(portsBefore_);
    if (!saveFailure.empty()) {
        ShowErrorMessage(tr("Unable to save the list of COM ports in the Windows Registry.\n") +
                         FromAnsi(saveFailure));
    }

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
    // Against the list taken on step 1; step 3's Next finds the name again. A failing
    // inventory is shown once, not at every poll, and the watch goes on.
    std::string failure;
    const bool found = !FindNewPort(portsBefore_, &failure).empty();
    inventoryNotice_.Report(FromAnsi(failure));
    if (found) {
        ShowSheet(UsbTabSheet3);
        return;
    }
    StartWatching();
}

void TUsbForm::HandOver() {
    // Within one run the list taken on step 1 is the one to compare with: the stored list may
    // be older when saving it failed. BeforePorts carries the list across a restart; with
    // neither, nothing is known of the ports before, and no port is called new.
    bool known = snapshotTaken_;
    if (!known) {
        if (std::optional<PortList> saved = ReadBeforePorts()) {
            portsBefore_ = std::move(*saved);
            known = true;
        }
    }
    newPortName_.clear();
    if (known) {
        std::string failure;
        newPortName_ = FromAnsi(FindNewPort(portsBefore_, &failure));
        inventoryNotice_.Report(FromAnsi(failure));
    }
    Post(WM_SHOW_PORT_FORM, newPortName_);
}
