#include "installer/WizardPages.h"

#include "app/PageSlots.h"
#include "app/TMainForm.h"
#include "host/RunOnce.h"
#include "pages/about/TAboutBox.h"
#include "pages/art/Art.h"
#include "pages/connect/TConnectForm.h"
#include "pages/ethernet/TEthernetForm.h"
#include "pages/finished/TFinishedForm.h"
#include "pages/license/TLicenseForm.h"
#include "pages/model/TModelForm.h"
#include "pages/port/TPortForm.h"
#include "pages/producer/TProducerForm.h"
#include "pages/serial/TSerialForm.h"
#include "pages/usb/TUsbForm.h"
#include "pages/welcome/TWelcomeForm.h"

namespace {
// A factory that constructs page class C and stores it in its process-wide reference.
template <typename C>
PageFactory Factory(QPointer<C>& reference) {
    return [&reference](QWidget* owner) -> TChildForm* {
        reference = new C(owner);
        return reference;
    };
}
}  // namespace

void RegisterWizardPages() {
    SetPageFactory(kWelcomeSlot, Factory(WelcomeForm));
    SetPageFactory(kLicenseSlot, Factory(LicenseForm));
    SetPageFactory(kConnectSlot, Factory(ConnectForm));
    SetPageFactory(kSerialSlot, Factory(SerialForm));
    SetPageFactory(kUsbSlot, Factory(UsbForm));
    SetPageFactory(kEthernetSlot, Factory(EthernetForm));
    SetPageFactory(kPortSlot, Factory(PortForm));
    SetPageFactory(kModelSlot, Factory(ModelForm));
    SetPageFactory(kProducerSlot, Factory(ProducerForm));
    SetPageFactory(kFinishedSlot, Factory(FinishedForm));
}

TMainForm* CreateWizard(const QStringList& arguments) {
    if (IsUsbResumeArgument(arguments)) {
        // Resumed after a restart: the launcher registered for this start has done its job.
        ClearRunOnceEntry();
    }
    RegisterWizardPages();
    auto* shell = new TMainForm(arguments);
    shell->SetButtonGlyphs(art::BackGlyph(), art::NextGlyph());
    shell->setWindowIcon(art::WindowIcon());
    AboutBox = new TAboutBox(shell);
    shell->SetAboutBox(AboutBox);
    return shell;
}
