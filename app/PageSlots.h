#pragma once
// The ten wizard page slots, and the table of factories that create their pages. The pages
// layer fills the table at start-up (RegisterWizardPages in installer/WizardPages.h, the
// composition root); a slot without a factory is a page that this build does not have yet.

#include <functional>

class QWidget;
class TChildForm;
class QString;

enum PageSlot : int {
    kWelcomeSlot = 0,
    kLicenseSlot = 1,
    kConnectSlot = 2,
    kSerialSlot = 3,
    kUsbSlot = 4,
    kEthernetSlot = 5,
    kPortSlot = 6,
    kModelSlot = 7,
    kProducerSlot = 8,
    kFinishedSlot = 9,
    kPageSlotCount = 10,
};

// Creates the page for a slot with `owner` as owner and parent; the factory also sets the
// page's process-wide reference (WelcomeForm, ...).
using PageFactory = std::function<TChildForm*(QWidget* owner)>;

void SetPageFactory(int slot, PageFactory factory);
const PageFactory& GetPageFactory(int slot);

// What the shell asks of particular pages, without knowing their classes.

// The connection choice page: posts 2028/2029/2030 by the checked button, posts 2038 and
// empties the selections.
class ConnectionChoice {
public:
    virtual ~ConnectionChoice() = default;
    virtual void NextPageDecision() = 0;
};

// The COM port page's two ways of presenting its list after message 2031.
class PortHandover {
public:
    virtual ~PortHandover() = default;
    virtual void HighlightNewPort(const QString& name) = 0;
    virtual void ResetPortHints() = 0;
};

// The USB page's restart state and its resume step.
class UsbResume {
public:
    virtual ~UsbResume() = default;
    virtual bool RestartPending() const = 0;
    virtual void ResumeAfterRestart() = 0;
};
