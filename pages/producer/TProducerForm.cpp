#include "pages/producer/TProducerForm.h"

#include <QLabel>

#include "app/Dialogs.h"
#include "app/FormKit.h"
#include "app/Launch.h"
#include "app/Selections.h"
#include "pages/art/Art.h"
#include "pages/producer/PortRegistration.h"

QPointer<TProducerForm> ProducerForm;

namespace {

constexpr int kClientWidth = 612;

// Centres an auto-sized label horizontally on the page.
void CentreLabel(QLabel* label, int top) {
    label->move((kClientWidth - label->width()) / 2, top);
}

}  // namespace

TProducerForm::TProducerForm(QWidget* owner) : TChildForm(owner) {
    QWidget* client = ClientPanel();
    const QFont text = FormFont(13);

    Label2 = MakeLabel(client, "Label2", tr("Vormatic® Producer Installation"), 0, 0,
                       FormFont(13, true));
    CentreLabel(Label2, 8);
    ProducerLabel1 = MakeLabel(
        client, "ProducerLabel1",
        tr("The final step is to install the Vormatic® Producer software for your printer model."),
        0, 0, text);
    CentreLabel(ProducerLabel1, 36);
    ProducerImage = MakeImage(client, "ProducerImage", art::ProducerPicture(),
                              QRect((kClientWidth - 325) / 2, 60, 325, 241));
    Label1 = MakeWrappedLabel(
        client, "Label1",
        tr("Vormatic® Producer is the software that allows you to configure your printer, create "
           "layout files, and enter print jobs.   It can also receive print jobs from your "
           "business information system or other computer."),
        QRect(16, 312, kClientWidth - 32, 56), text);
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    ProducerLabel2 =
        MakeLabel(client, "ProducerLabel2",
                  tr("To launch the Producer installation program, click the next button below."),
                  0, 0, text);
    CentreLabel(ProducerLabel2, 384);
}

void TProducerForm::Activate() {
    EnableBack();
    EnableNext();
}

void TProducerForm::Back() {
    Post(WM_SELECT_NEXT_FORM_BY_CONNECTION);
}

void TProducerForm::Next() {
    const QString installer = FromAnsi(InstallerPath(ToAnsi(GetPrinterModel())));
    if (!RunAndWait(installer, QString())) {
        ShowErrorMessage(tr("Unable to launch the Producer installation program.\n") + installer);
        return;
    }
    // The installer has ended: only now does its preferences store exist to write into.
    if (!RegisterComPort(ToAnsi(GetPrinterModel()), ToAnsi(GetSelectedPort()))) {
        ShowErrorMessage(
            tr("An error occurred while trying to register the printer COM port setting. ") +
            tr("You may still be able to run Producer but you will have to manually ") +
            tr("set the printer COM port using Setup/Preferences."));
    }
    Post(WM_SHOW_FINISHED_FORM);
}
