// The layout of the Ethernet page: its title, and the nine sheets of EtherPageControl with
// their fixed texts. The texts of the Redirect2 sheet are set when the sheet is prepared.

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>

#include "app/Accessible.h"
#include "app/FormKit.h"
#include "app/SheetColumn.h"
#include "pages/art/Art.h"
#include "pages/ethernet/TEthernetForm.h"

namespace {

constexpr int kSheetWidth = 457;
constexpr int kSheetHeight = 385;
constexpr int kLeft = 8;
constexpr int kTextWidth = 433;
constexpr int kGap = 12;
constexpr int kBulletIndent = 20;

constexpr ColumnLayout kColumn{kLeft, kTextWidth, kGap};
constexpr QSize kSheetSize(kSheetWidth, kSheetHeight);

}  // namespace

void TEthernetForm::BuildSheets() {
    QWidget* client = ClientPanel();
    EtherImage2 =
        MakeImage(client, "EtherImage2", art::EthernetConnectionPicture(), QRect(24, 16, 100, 100));
    EtherLabel1 = MakeLabel(client, "EtherLabel1", tr("Ethernet Network Connection"), 0, 16,
                            FormFont(13, true));
    EtherLabel1->move(136 + (kSheetWidth - EtherLabel1->width()) / 2, 16);

    EtherPageControl = new QStackedWidget(client);
    EtherPageControl->setObjectName(QStringLiteral("EtherPageControl"));
    EtherPageControl->setGeometry(136, 40, kSheetWidth, kSheetHeight);
    LinkLabel(EtherLabel1, EtherPageControl);
    BuildEtherIntroTab1();
    BuildEtherIntroTab2();
    BuildEtherXportTab();
    BuildEtherRedirectTab1();
    BuildEtherRedirectTab1Wait();
    BuildEtherRedirectTab2();
    BuildEtherRedirectTab2Wait();
    BuildEtherRedirectTab3();
    BuildEtherRedirectTabFailed();
}

void TEthernetForm::BuildEtherIntroTab1() {
    EtherIntroTab1 = AddSheet(EtherPageControl, "EtherIntroTab1", kSheetSize);
    SheetColumn c(EtherIntroTab1, kColumn);
    c.Text("EtherLabel2",
           tr("Using the printer's Ethernet port allows you to connect the printer to your "
              "Local Area Network (LAN) and access it from your PC over the network."));
    c.Noted("AlertImage", art::AlertIcon(), "EtherLabel3",
            tr("NOTE: Connecting the printer to your LAN does not make it a \"network "
               "printer\" that can be used by multiple computers.   Only one computer may "
               "access the printer."));
    c.Text("EtherLabel4",
           tr("To access the printer over the LAN you must install a special driver on your "
              "PC, called a Redirector, that will create a \"virtual\" serial COM port."));
    c.Text("EtherLabel5", tr("The Producer software will use this \"virtual\" COM port to "
                             "control the printer via the physical Ethernet connection."));
    c.Text("EtherLabel6",
           tr("Connect the printer to your Ethernet network and then turn the printer on.    "
              "After the printer has initialized, click the Next button below."));
}

void TEthernetForm::BuildEtherIntroTab2() {
    EtherIntroTab2 = AddSheet(EtherPageControl, "EtherIntroTab2", kSheetSize);
    SheetColumn c(EtherIntroTab2, kColumn);
    c.Text("EtherLabel7",
           tr("Before you can install the driver, you must first determine or assign a "
              "network IP address to the Ethernet adaptor in the printer.   How you do this "
              "depends on your network setup."));
    c.Text("EtherLabel8",
           tr("Network IP addresses can either be manually assigned by the network "
              "administrator (static address) or automatically obtained by a DHCP server on "
              "the network (dynamic address.)"));
    c.Text("EtherLabel9", tr("The default configuration for the printer is to obtain its IP "
                             "address dynamically from a DHCP server."));
    EtherDynamicRadioButton =
        c.Radio("EtherDynamicRadioButton",
                tr("My network has a DHCP server, so the printer will get its IP address "
                   "dynamically."));
    EtherStaticRadioButton =
        c.Radio("EtherStaticRadioButton", tr("My network administrator assigns static IP "
                                             "addresses."));
    EtherDynamicRadioButton->setChecked(true);
    c.Skip(8);
    c.Text("EtherLabel10",
           tr("Select the method used to get the printer's IP address and click Next."));
}

void TEthernetForm::BuildEtherXportTab() {
    EtherXportTab = AddSheet(EtherPageControl, "EtherXportTab", kSheetSize);
    XportFormPanel = new QWidget(EtherXportTab);
    XportFormPanel->setObjectName(QStringLiteral("XportFormPanel"));
    XportFormPanel->setGeometry(0, 0, 449, 354);
    XportFormPanel->setAutoFillBackground(true);
    QPalette white = XportFormPanel->palette();
    white.setColor(QPalette::Window, Qt::white);
    XportFormPanel->setPalette(white);
}

void TEthernetForm::BuildEtherRedirectTab1() {
    EtherRedirectTab1 = AddSheet(EtherPageControl, "EtherRedirectTab1", kSheetSize);
    SheetColumn c(EtherRedirectTab1, kColumn);
    c.Text("EtherRedirLabel1",
           tr("Now that the printer has an IP address assigned to it, it's time to install "
              "the software, called a Redirector, that will create a \"virtual\" COM port on "
              "this computer that will be used by Producer to communicate to the printer."));
    c.Text("EtherRedirLabel3",
           tr("Note that while installing the Redirector you MAY be asked to reboot your PC. "
              "  If so, go ahead and allow the installer to reboot.   After rebooting, run "
              "the Vormatic Installer program again and continue through the setup process."));
    c.Noted("WarningImage2", art::WarningIcon(), "Label1",
            tr("If you reboot the PC, DO NOT remove the Vormatic Installer CD from the "
               "drive."));
    c.Text("EtherRedirLabel2",
           tr("To launch the Redirector installation program, click the Next button below."));
}

void TEthernetForm::BuildEtherRedirectTab1Wait() {
    EtherRedirectTab1Wait = AddSheet(EtherPageControl, "EtherRedirectTab1Wait", kSheetSize);
    SheetColumn c(EtherRedirectTab1Wait, kColumn);
    c.Text("EtherRedirWait1Label1",
           tr("The COM Port Redirector is being installed.  Please follow all instructions. "
              "  Installing the COM Port Redirector may also install the Microsoft .NET "
              "framework."));
    c.Text("EtherRedirWait1Label2",
           tr("If the COM Port Redirector installer requires you to reboot your PC, run the "
              "Vormatic® Installer again after the reboot to finish installing your "
              "printer."));
    c.Text("EtherRedirWait1Label3", tr("Once the COM Port Redirector is completely installed, "
                                       "click the Next button below to continue."));
}

// Redirect2: the texts change with the manager's presence, so the rows have fixed room.
void TEthernetForm::BuildEtherRedirectTab2() {
    EtherRedirectTab2 = AddSheet(EtherPageControl, "EtherRedirectTab2", kSheetSize);
    const QFont text = FormFont(13);
    EtherRedirLabel4 = MakeWrappedLabel(EtherRedirectTab2, "EtherRedirLabel4", QString(),
                                        QRect(kLeft, 8, kTextWidth, 48), text);
    EtherRedirPathEdit = new QLineEdit(EtherRedirectTab2);
    EtherRedirPathEdit->setObjectName(QStringLiteral("EtherRedirPathEdit"));
    EtherRedirPathEdit->setFont(text);
    EtherRedirPathEdit->setGeometry(kLeft, 62, 345, 23);
    EtherRedirPathEdit->setAccessibleName(tr("Redirector program"));
    EtherRedirPathBrowseButton = MakeButton(EtherRedirectTab2, "EtherRedirPathBrowseButton",
                                            tr("Browse"), QRect(kLeft + 353, 61, 75, 25), text);
    EtherRedirPathBrowseButton->setAutoDefault(false);
    const char* bullets[] = {"SplatLabel5", "SplatLabel6", "SplatLabel7", "SplatLabel8",
                             "SplatLabel9"};
    const char* names[] = {"EtherRedirLabel5", "EtherRedirLabel6", "EtherRedirLabel7",
                           "EtherRedirLabel8", "EtherRedirLabel10"};
    QLabel** labels[] = {&EtherRedirLabel5, &EtherRedirLabel6, &EtherRedirLabel7, &EtherRedirLabel8,
                         &EtherRedirLabel10};
    for (int i = 0; i < 5; ++i) {
        const int top = 96 + i * 44;
        SplatLabels[i] = MakeLabel(EtherRedirectTab2, bullets[i], QStringLiteral("*"), kLeft + 4,
                                   top, FormFont(13, true));
        *labels[i] = MakeWrappedLabel(
            EtherRedirectTab2, names[i], QString(),
            QRect(kLeft + kBulletIndent, top, kTextWidth - kBulletIndent, 40), text);
    }
    auto* separator = new QFrame(EtherRedirectTab2);
    separator->setObjectName(QStringLiteral("RedirTab2SepPanel"));
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);
    separator->setGeometry((kSheetWidth - 300) / 2, 322, 300, 2);
    EtherRedirLabel9 = MakeWrappedLabel(EtherRedirectTab2, "EtherRedirLabel9", QString(),
                                        QRect(kLeft, 334, kTextWidth, 40), text);
}

void TEthernetForm::BuildEtherRedirectTab2Wait() {
    EtherRedirectTab2Wait = AddSheet(EtherPageControl, "EtherRedirectTab2Wait", kSheetSize);
    SheetColumn c(EtherRedirectTab2Wait, kColumn);
    c.Bulleted("Label6", "Label2",
               tr("When the Redirector starts, click the 'Add/Remove' button on the toolbar "
                  "to open the Com Ports dialog."));
    c.Bulleted("Label7", "Label3",
               tr("In the Com Ports dialog, select an unused Com Port.  Click OK to save."));
    c.Bulleted("Label8", "Label4",
               tr("In the list of Com Ports on the left, select the port you just added.  On "
                  "the right, scroll the 'Settings' to the bottom."));
    c.Bulleted("Label9", "Label5",
               tr("Enter the IP address of the printer in the Host field, and 10001 in the "
                  "TCP Port field."));
}

void TEthernetForm::BuildEtherRedirectTab3() {
    EtherRedirectTab3 = AddSheet(EtherPageControl, "EtherRedirectTab3", kSheetSize);
    SheetColumn c(EtherRedirectTab3, kColumn);
    c.Text("UsbLabel7",
           tr("In the next step, you will be asked to select the virtual COM port that was "
              "created by the COM Port Redirector.  This is the port that will be used by "
              "Producer to communicate with the printer."));
    c.Text("UsbLabel8", tr("When you are ready, click the Next button to continue."));
}

void TEthernetForm::BuildEtherRedirectTabFailed() {
    EtherRedirectTabFailed = AddSheet(EtherPageControl, "EtherRedirectTabFailed", kSheetSize);
    SheetColumn c(EtherRedirectTabFailed, kColumn);
    c.Text("Label10", tr("Installation cannot continue without the COM Port Redirector."));
}
