#include "pages/ethernet/TEthernetForm.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <optional>

#include "app/Dialogs.h"
#include "app/FormKit.h"
#include "app/Launch.h"
#include "host/Paths.h"
#include "pages/xport/TXportConfigForm.h"

QPointer<TEthernetForm> EthernetForm;

namespace {

// The redirector's installer on the CD, relative to the current directory.
QString InstallerPath() {
    return FromAnsi(
        NativePath("setup\\ethernet\\com port redirector\\setup_cpr_x86x64cd_4.3.0.2.exe"));
}

QString DefaultManagerPath() {
    return FromAnsi(RedirectorManagerDefaultPath());
}

// The manager's folder, with its trailing separator, as the manager's working directory.
QString FolderOf(const QString& path) {
    const qsizetype cut =
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return cut < 0 ? QString() : path.left(cut + 1);
}

}  // namespace

TEthernetForm::TEthernetForm(QWidget* owner) : TChildForm(owner) {
    BuildSheets();
    newPortName_.clear();
    portsBefore_.clear();
    EtherPageControl->setCurrentWidget(EtherIntroTab1);
    connect(EtherRedirPathBrowseButton, &QPushButton::clicked, this,
            [this] { EtherRedirPathBrowseButtonClick(); });
}

QString TEthernetForm::ActiveSheet() const {
    return EtherPageControl->currentWidget()->objectName();
}

void TEthernetForm::ShowSheet(QWidget* sheet) {
    EtherPageControl->setCurrentWidget(sheet);
}

bool TEthernetForm::Showing(const QWidget* sheet) const {
    return EtherPageControl->currentWidget() == sheet;
}

QString TEthernetForm::ManagerPath() const {
    return EtherRedirPathEdit->text();
}

bool TEthernetForm::ManagerExists() const {
    const QFileInfo file(ManagerPath());
    return !ManagerPath().isEmpty() && file.exists() && file.isFile();
}

void TEthernetForm::Activate() {
    CloseXportPage();
    ShowSheet(EtherIntroTab1);
    EtherRedirPathEdit->setText(DefaultManagerPath());
    EnableBack();
    EnableNext();
}

void TEthernetForm::Next() {
    if (Showing(EtherIntroTab1)) {
        ShowSheet(EtherIntroTab2);
    } else if (Showing(EtherIntroTab2)) {
        StartXportSetup();
    } else if (Showing(EtherXportTab)) {
        if (XportConfigForm && XportConfigForm->IsDone()) {
            CloseXportPage();
            TakePortSnapshot();
        } else if (XportConfigForm) {
            XportConfigForm->Next();
        }
    } else if (Showing(EtherRedirectTab1)) {
        InstallRedirector();
    } else if (Showing(EtherRedirectTab1Wait)) {
        PrepareRedirect2();
    } else if (Showing(EtherRedirectTab2)) {
        RunManager();
    } else if (Showing(EtherRedirectTab3)) {
        HandOver();
    }
}

void TEthernetForm::Back() {
    if (Showing(EtherIntroTab1)) {
        Post(WM_SHOW_CONNECT_FORM);
    } else if (Showing(EtherIntroTab2)) {
        ShowSheet(EtherIntroTab1);
        EnableNext();
    } else if (Showing(EtherXportTab)) {
        CloseXportPage();
        ShowSheet(EtherIntroTab2);
        EnableNext();
    } else if (Showing(EtherRedirectTab1)) {
        ShowSheet(EtherIntroTab2);
        EnableNext();
    } else if (Showing(EtherRedirectTab2)) {
        ShowSheet(ManagerExists() ? EtherIntroTab2 : EtherRedirectTab1);
        EnableNext();
    }
}

bool TEthernetForm::event(QEvent* e) {
    // The configuration page drives the shell's buttons through this page.
    switch (static_cast<int>(e->type())) {
        case WM_ENABLE_NEXT:
            EnableNext();
            return true;
        case WM_DISABLE_NEXT:
            DisableNext();
            return true;
        case WM_ENABLE_BACK:
            EnableBack();
            return true;
        case WM_DISABLE_BACK:
            DisableBack();
            return true;
        default:
            return TChildForm::event(e);
    }
}

void TEthernetForm::StartXportSetup() {
    ShowSheet(EtherXportTab);
    if (XportConfigForm) {
        XportConfigForm->raise();
    } else {
        XportConfigForm = new TXportConfigForm(this);
        const QPoint at = XportFormPanel->mapTo(this, XportFormPanel->rect().topLeft());
        XportConfigForm->setGeometry(QRect(at, XportFormPanel->rect().size()));
        XportConfigForm->show();
        XportConfigForm->raise();
    }
    XportConfigForm->SetDhcpMode(EtherDynamicRadioButton->isChecked());
    XportConfigForm->Activate();
}

void TEthernetForm::CloseXportPage() {
    if (XportConfigForm) {
        XportConfigForm->close();
        XportConfigForm = nullptr;
    }
}

void TEthernetForm::TakePortSnapshot() {
    portsBefore_.clear();
    inventoryNotice_ = FailureNotice();
    inventoryNotice_.Report(FromAnsi(ListComPorts(&portsBefore_)));
    SaveBeforePorts(portsBefore_);  // a failure here is not shown
    if (ManagerExists()) {
        PrepareRedirect2();
        return;
    }
    ShowSheet(EtherRedirectTab1);
    EnableNext();
}

void TEthernetForm::InstallRedirector() {
    ShowSheet(EtherRedirectTab1Wait);
    QCoreApplication::processEvents();
    DisableNext();
    if (RunAndWait(InstallerPath(), QString())) {
        EnableNext();
        return;
    }
    ShowErrorMessage(tr("Unable to launch the COMM Port Redirector Installer program.\n") +
                     InstallerPath());
    ShowFailedSheet();
}

void TEthernetForm::PrepareRedirect2() {
    ShowSheet(EtherRedirectTab2);
    const bool present = ManagerExists();
    EtherRedirPathEdit->setEnabled(!present);
    EtherRedirPathEdit->setVisible(!present);
    EtherRedirPathBrowseButton->setEnabled(!present);
    EtherRedirPathBrowseButton->setVisible(!present);
    if (present) {
        EtherRedirLabel4->setText(
            tr("We must now run the Redirector to create a virtual COM "
               "port.  It is through this virtual port that Producer will "
               "communicate with the printer."));
        EtherRedirLabel5->setText(
            tr("When the Redirector starts, click the 'Add/Remove' button "
               "on the toolbar to open the Com Ports dialog."));
        EtherRedirLabel6->setText(
            tr("In the Com Ports dialog, select an unused Com Port.  Click OK to save."));
        EtherRedirLabel7->setText(
            tr("In the list of Com Ports on the left, select the port you "
               "just added.  On the right, scroll the 'Settings' to the "
               "bottom."));
        EtherRedirLabel8->setText(
            tr("Enter the IP address of the printer in the Host field, and "
               "10001 in the TCP Port field."));
        EtherRedirLabel10->setText(
            tr("Click Save on the toolbar to save all settings and then "
               "File/Exit to exit the program."));
        EtherRedirLabel9->setText(
            tr("When you are ready, click Next below to run the Redirector program."));
    } else {
        EtherRedirPathEdit->setText(DefaultManagerPath());
        EtherRedirLabel4->setText(
            tr("Unable to find the Redirector program.  It may not have "
               "been installed in its default location."));
        EtherRedirLabel5->setText(tr("Try browsing for the Redirector program."));
        for (QLabel* label : {EtherRedirLabel6, EtherRedirLabel7, EtherRedirLabel8,
                              EtherRedirLabel9, EtherRedirLabel10}) {
            label->clear();
        }
    }
    for (QLabel* bullet : SplatLabels) {
        bullet->setVisible(present);
    }
    EnableNext();
}

void TEthernetForm::EtherRedirPathBrowseButtonClick() {
    const QString folder = FromAnsi(RedirectorBrowseFolder());
    const QString chosen =
        Dialogs().OpenFileName(QString(), QDir(folder).filePath(QStringLiteral("CprManager.exe")),
                               tr("Application Files (*.exe)"));
    if (chosen.isEmpty()) {
        return;
    }
    EtherRedirPathEdit->setText(QDir::toNativeSeparators(chosen));
    PrepareRedirect2();
}

void TEthernetForm::RunManager() {
    const QString manager = ManagerPath();
    if (!ManagerExists()) {
        ShowErrorMessage(tr("Unable to find the COMM Port Redirector program.\n") + manager);
        return;
    }
    DisableBack();
    DisableNext();
    ShowSheet(EtherRedirectTab2Wait);
    QCoreApplication::processEvents();
    if (RunAndWait(manager, FolderOf(manager))) {
        ShowSheet(EtherRedirectTab3);
        EnableNext();
        return;
    }
    ShowErrorMessage(tr("Unable to launch the COMM Port Redirector program.\n") + manager);
    ShowFailedSheet();
}

void TEthernetForm::ShowFailedSheet() {
    ShowSheet(EtherRedirectTabFailed);
    DisableNext();
    DisableBack();
}

void TEthernetForm::HandOver() {
    // The stored list is read back; when it cannot be read (a damaged hive), the snapshot this
    // run took serves, so that no port is called new by a mere failure to read.
    if (std::optional<PortList> saved = ReadBeforePorts()) {
        portsBefore_ = std::move(*saved);
    }
    std::string failure;
    newPortName_ = FromAnsi(FindNewPort(portsBefore_, &failure));
    inventoryNotice_.Report(FromAnsi(failure));
    Post(WM_SHOW_PORT_FORM, newPortName_);
}
