#include "pages/serial/TSerialForm.h"

#include <QLabel>

#include "app/FormKit.h"
#include "pages/art/Art.h"

QPointer<TSerialForm> SerialForm;

TSerialForm::TSerialForm(QWidget* owner) : TChildForm(owner) {
    QWidget* panel = ClientPanel();
    const QFont text13 = FormFont(13);

    MakeImage(panel, "SerialImage2", art::SerialConnectionPicture(), QRect(24, 16, 100, 100));
    MakeLabel(panel, "SerialTabLabel", tr("Serial RS232 COM Port Connection"), 216, 16,
              FormFont(13, true));
    MakeWrappedLabel(panel, "SerialTabLabel1",
                     tr("Connect the serial cable (provided with the printer) between a COM port "
                        "on your PC and the serial port on the back of the printer."),
                     QRect(168, 64, 329, 49), text13);
    MakeLabel(panel, "SerialTabLabel2", tr("Apply power to the printer."), 168, 136, text13);
    MakeLabel(panel, "SerialTabLabel3",
              tr("After the printer has initialized, click the Next button below..."), 168, 184,
              text13);
}

// The COM port page without a port handed over: the user picks one there.
void TSerialForm::Next() {
    Post(WM_SHOW_PORT_FORM);
}

void TSerialForm::Back() {
    Post(WM_SHOW_CONNECT_FORM);
}

void TSerialForm::Activate() {
    EnableBack();
    EnableNext();
}
