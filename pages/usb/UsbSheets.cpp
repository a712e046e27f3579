// The layout of the USB page: its title picture and caption, and the five steps of
// UsbPageControl with their fixed texts, one under the other in a column 361 pixels wide.

#include <QLabel>
#include <QStackedWidget>
#include <algorithm>

#include "app/Accessible.h"
#include "app/FormKit.h"
#include "app/SheetColumn.h"
#include "pages/art/Art.h"
#include "pages/usb/TUsbForm.h"

namespace {

constexpr int kControlLeft = 136;
constexpr int kControlTop = 48;
constexpr int kSheetWidth = 433;
constexpr int kSheetHeight = 337;
constexpr int kLeft = 24;
constexpr int kTextWidth = 361;
constexpr int kGap = 11;

constexpr ColumnLayout kColumn{kLeft, kTextWidth, kGap};
constexpr QSize kSheetSize(kSheetWidth, kSheetHeight);

}  // namespace

void TUsbForm::BuildSheets() {
    QWidget* client = ClientPanel();
    UsbImage2 =
        MakeImage(client, "UsbImage2", art::UsbConnectionPicture(), QRect(24, 16, 100, 100));
    UsbLabel1 =
        MakeLabel(client, "UsbLabel1", tr("USB Port Connection"), 0, 16, FormFont(13, true));
    UsbLabel1->move(kControlLeft + (kSheetWidth - UsbLabel1->width()) / 2, 16);

    UsbPageControl = new QStackedWidget(client);
    UsbPageControl->setObjectName(QStringLiteral("UsbPageControl"));
    UsbPageControl->setGeometry(kControlLeft, kControlTop, kSheetWidth, kSheetHeight);
    LinkLabel(UsbLabel1, UsbPageControl);
    BuildUsbTabSheet1();
    BuildUsbTabSheet1Wait();
    BuildUsbTabSheet2();
    BuildUsbTabSheet3();
    BuildUsbTabSheet4Restart();
}

void TUsbForm::BuildUsbTabSheet1() {
    UsbTabSheet1 = AddSheet(UsbPageControl, "UsbTabSheet1", kSheetSize);
    SheetColumn c(UsbTabSheet1, kColumn);
    c.Text("UsbLabel2",
           tr("Using the printer's USB connection requires you to install a special driver on "
              "your PC that will create a \"virtual\" serial COM port."));
    c.Text("UsbLabel3", tr("The Producer software will use this \"virtual\" COM port to "
                           "control the printer via the physical USB port."));
    c.Text("UsbLabel4",
           tr("Before continuing, make sure that the printer is NOT connected to your PC's "
              "USB port.   You will be instructed to connect the printer in a following "
              "step."));
    c.Text("UsbLabel5", tr("When you are ready to install the USB \"virtual\" COM port "
                           "driver, click the Next button below."));
    Tab1WarningLabel =
        c.Noted("Image1", art::WarningIcon(), "Tab1WarningLabel",
                tr("Note: If the \"Found New Hardware Wizard\" presents a list of drivers to "
                   "chose from, be very careful to select the correct driver for your "
                   "operating system."),
                &Image1);
}

void TUsbForm::BuildUsbTabSheet1Wait() {
    UsbTabSheet1Wait = AddSheet(UsbPageControl, "UsbTabSheet1Wait", kSheetSize);
    SheetColumn c(UsbTabSheet1Wait, kColumn);
    c.Text("UsbWaitLabel", tr("Please wait while the USB drivers are installed..."));
}

void TUsbForm::BuildUsbTabSheet2() {
    UsbTabSheet2 = AddSheet(UsbPageControl, "UsbTabSheet2", kSheetSize);
    SheetColumn c(UsbTabSheet2, kColumn);
    c.Text("UsbTab2Label1", tr("Turn on the power to the Printer."));
    c.Text("UsbTab2Label2", tr("Connect the printer to your PC with a USB cable."));
    c.Text("UsbTab2Label3",
           tr("Windows will detect the new USB hardware and will begin the process of "
              "creating the \"virtual\" serial COM port for it."));
    c.Noted("NoticeImage1", art::NoticeIcon(), "NoticeLabel1",
            tr("You must wait until Windows completes the process of adding the new COM port "
               "to the system before you attempt to continue."),
            &NoticeImage1);
    c.Text("UsbTab2Label4",
           tr("When Windows has notified you that the new hardware is installed and ready "
              "for use, click the Next button to continue."));
    RestartNoticeLabel =
        c.Noted("RestartNoticeImage", art::NoticeIcon(), "RestartNoticeLabel",
                tr("Note: Windows may require a restart. If so, allow the restart and this "
                   "installation program will automatically resume."),
                &RestartNoticeImage);
    RestartNoticeImage->hide();
    RestartNoticeLabel->hide();
}

void TUsbForm::BuildUsbTabSheet3() {
    UsbTabSheet3 = AddSheet(UsbPageControl, "UsbTabSheet3", kSheetSize);
    SheetColumn c(UsbTabSheet3, kColumn);
    c.Text("UsbLabel7",
           tr("In the next step, you will be asked to select the virtual COM port that was "
              "created when the USB drivers were installed.  This is the port that will be "
              "used by Producer to communicate with the printer."));
    c.Text("UsbLabel8", tr("When you are ready, click the Next button to continue."));
}

void TUsbForm::BuildUsbTabSheet4Restart() {
    UsbTabSheet4Restart = AddSheet(UsbPageControl, "UsbTabSheet4Restart", kSheetSize);
    SheetColumn c(UsbTabSheet4Restart, kColumn);
    c.Text("UsbRestartLabel1",
           tr("You must restart your computer to complete the installation of the USB "
              "drivers.  After your computer restarts, this program will be automatically "
              "launched to continue the installation process."));
    c.Text("UsbRestartLabel2",
           tr("Be sure to leave the Vormatic Installer CD in the drive when you reboot."));
    c.Text("UsbRestartLabel3", tr("When you are ready to close this program and restart your "
                                  "PC, click the Next button below."));
}
