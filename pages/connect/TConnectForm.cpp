#include "pages/connect/TConnectForm.h"

#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QRadioButton>

#include "app/Accessible.h"
#include "app/FormKit.h"
#include "app/Selections.h"
#include "pages/art/Art.h"

QPointer<TConnectForm> ConnectForm;

namespace {

constexpr std::size_t kSerial = 0;
constexpr std::size_t kUsb = 1;
constexpr std::size_t kEthernet = 2;

// A 106 x 106 bordered box in the window colour holding a 100 x 100 connection picture.
QLabel* MakePicturePanel(QWidget* parent, const char* panelName, const char* imageName,
                         const QPixmap& picture, int left, int top) {
    auto* box = new QFrame(parent);
    box->setObjectName(QString::fromLatin1(panelName));
    box->setFrameStyle(QFrame::Box | QFrame::Plain);
    box->setLineWidth(1);
    box->setAutoFillBackground(true);
    QPalette pal = box->palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Base));
    box->setPalette(pal);
    box->setGeometry(left, top, 106, 106);
    QLabel* image = MakeImage(box, imageName, picture, QRect(3, 3, 100, 100));
    image->setCursor(Qt::PointingHandCursor);
    return image;
}

QFrame* MakeSeparator(QWidget* parent, const char* name, int left, int top) {
    auto* line = new QFrame(parent);
    line->setObjectName(QString::fromLatin1(name));
    line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    line->setLineWidth(1);
    line->setGeometry(left, top, 401, 2);
    return line;
}

}  // namespace

TConnectForm::TConnectForm(QWidget* owner) : TChildForm(owner) {
    QWidget* panel = ClientPanel();
    const QFont font = FormFont(11);

    MakeLabel(panel, "SelectConnectLabel",
              tr("Select the type of connection between the printer and your PC"), 80, 8,
              FormFont(13, true));

    images_[kSerial] = MakePicturePanel(panel, "SerialPanel", "SerialImage",
                                        art::SerialConnectionPicture(), 32, 40);
    radioButtons_[kSerial] =
        MakeRadioButton(panel, "SerialRadioButton", tr("Serial RS232"), QRect(160, 80, 0, 0), font);
    const QLabel* serialDesc = MakeWrappedLabel(
        panel, "SerialDescLabel",
        tr("Using a serial COM port is the simplest way to connect the printer to "
           "your PC, since it doesn't require you to install any additional drivers "
           "or software.  However, many newer PC computers do not come with a "
           "serial COM port."),
        QRect(296, 48, 265, 65), font);
    const QLabel* serialNote = MakeLabel(
        panel, "UsbLabel1a", tr("Select this option if you are using a USB to Serial convertor."),
        296, 120, font);
    MakeSeparator(panel, "SepPanel1", 160, 144);

    images_[kUsb] =
        MakePicturePanel(panel, "UsbPanel", "UsbImage", art::UsbConnectionPicture(), 32, 152);
    radioButtons_[kUsb] =
        MakeRadioButton(panel, "UsbRadioButton", tr("USB"), QRect(160, 192, 0, 0), font);
    const QLabel* usbDesc = MakeWrappedLabel(
        panel, "UsbDescLabel",
        tr("Most modern PC's come with one or more USB ports.   If you select this "
           "option, this program will guide you through the installation of the "
           "USB driver."),
        QRect(296, 168, 265, 41), font);
    const QLabel* usbNote =
        MakeWrappedLabel(panel, "UsbDescLabel2",
                         tr("Do not select this option if you are using a USB to Serial convertor "
                            "device, since it has its own device driver."),
                         QRect(296, 216, 281, 33), font);
    MakeSeparator(panel, "SepPanel2", 160, 256);

    images_[kEthernet] = MakePicturePanel(panel, "EtherPanel", "EtherImage",
                                          art::EthernetConnectionPicture(), 32, 264);
    radioButtons_[kEthernet] = MakeRadioButton(panel, "EtherRadioButton", tr("Ethernet Network"),
                                               QRect(160, 304, 0, 0), font);
    const QLabel* etherDesc = MakeWrappedLabel(
        panel, "EtherDescLabel",
        tr("If your PC is connected to an Ethernet network, you may also connect the "
           "printer to the network and access it from your PC.   This option "
           "requires you to configure the IP address of the printer and install "
           "special drivers in your PC."),
        QRect(296, 272, 265, 65), font);
    const QLabel* etherNote = MakeLabel(
        panel, "EtherNoticeLabel",
        tr("Note that this does not make the printer a \"network printer\"."), 296, 344, font);

    // Each option's explanation describes its button; its picture is a button of the same name.
    const std::array<QString, 3> descriptions = {serialDesc->text() + u' ' + serialNote->text(),
                                                 usbDesc->text() + u' ' + usbNote->text(),
                                                 etherDesc->text() + u' ' + etherNote->text()};
    radioButtons_[kSerial]->setChecked(true);
    for (std::size_t i = 0; i < images_.size(); ++i) {
        QLabel* image = images_[i];
        MakeClickable(image, [this, image] { ImageClick(image); });
        NamePicture(image, radioButtons_[i]->text());
        radioButtons_[i]->setAccessibleDescription(descriptions[i]);
        OnChosen(radioButtons_[i], this, [this] { EnableNext(); });
    }
}

QWidget* TConnectForm::FirstControl() const {
    for (QRadioButton* radio : radioButtons_) {
        if (radio->isChecked()) {
            return radio;
        }
    }
    return radioButtons_[kSerial];
}

void TConnectForm::ImageClick(const QObject* image) {
    for (std::size_t i = 0; i < images_.size(); ++i) {
        if (images_[i] == image) {
            radioButtons_[i]->setChecked(true);
        }
    }
    EnableNext();
}

void TConnectForm::NextPageDecision() {
    if (radioButtons_[kSerial]->isChecked()) {
        Post(WM_SHOW_SERIAL_FORM);
    } else if (radioButtons_[kUsb]->isChecked()) {
        Post(WM_SHOW_USB_FORM);
    } else if (radioButtons_[kEthernet]->isChecked()) {
        Post(WM_SHOW_ETHERNET_FORM);
    }
    EnableBack();
    // Every pass through here starts the port search and the model choice afresh.
    ClearSelections();
}

void TConnectForm::Back() {}

void TConnectForm::Next() {
    NextPageDecision();
}

void TConnectForm::Activate() {
    DisableBack();
    EnableNext();
}
