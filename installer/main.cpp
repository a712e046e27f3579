// Vormatic Installer: the setup wizard of the Vormatic laser marking printers.

#include <QStringList>
#include <memory>

#include "app/Application.h"
#include "app/TMainForm.h"
#include "host/BrandingStore.h"
#include "installer/WizardPages.h"

namespace {
// The branding store exists before any window: the About box and the pages read it.
const BrandingStore& branding = BrandingStore::Instance();
}  // namespace

int main(int argc, char** argv) {
    (void)branding;
    Application app(argc, argv);
    InitApplication(app);

    std::unique_ptr<TMainForm> shell(CreateWizard(app.arguments().mid(1)));
    shell->show();
    app.exec();
    return 0;
}
