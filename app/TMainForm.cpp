#include "app/TMainForm.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPalette>
#include <QPushButton>
#include <stdexcept>

#include "app/Dialogs.h"
#include "app/FormKit.h"
#include "app/Selections.h"
#include "app/ShellMessages.h"
#include "app/TChildForm.h"

QPointer<TMainForm> MainForm;

namespace {

constexpr int kClientWidth = 622;
constexpr int kClientHeight = 472;
constexpr int kButtonPanelHeight = 41;

QWidget* WhitePanel(QWidget* parent, const char* name) {
    auto* panel = new QWidget(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setAutoFillBackground(true);
    QPalette pal = panel->palette();
    pal.setColor(QPalette::Window, Qt::white);
    panel->setPalette(pal);
    return panel;
}

}  // namespace

bool IsUsbResumeArgument(const QStringList& arguments) {
    return !arguments.isEmpty() && arguments.first() == QStringLiteral("-rusb");
}

TMainForm::TMainForm(const QStringList& arguments, QWidget* parent)
    : QDialog(parent), arguments_(arguments) {
    MainForm = this;
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(tr("Vormatic® Installer"));
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(kClientWidth, kClientHeight);
    setFont(FormFont(11));
    setSizeGripEnabled(false);

    childFormPanel_ = WhitePanel(this, "ChildFormPanel");
    childFormPanel_->setGeometry(0, 0, kClientWidth, kClientHeight - kButtonPanelHeight);
    panel1_ = WhitePanel(this, "Panel1");
    panel1_->setGeometry(0, kClientHeight - kButtonPanelHeight, kClientWidth, kButtonPanelHeight);

    const QFont font = FormFont(11);
    aboutButton_ = MakeButton(panel1_, "AboutButton", tr("About"), QRect(16, 8, 75, 25), font);
    backButton_ = MakeButton(panel1_, "BackButton", tr("Back"), QRect(328, 8, 75, 25), font);
    nextButton_ = MakeButton(panel1_, "NextButton", tr("Next"), QRect(416, 8, 75, 25), font);
    exitButton_ = MakeButton(panel1_, "ExitButton", tr("Exit"), QRect(536, 8, 75, 25), font);
    // Enter belongs to the default button alone (Next; Exit on the finished page). Inside a
    // QDialog every push button would otherwise make itself the default when it takes the
    // focus, so a focused Next that a page disables would hand the focus, and Enter, to Exit.
    for (QPushButton* b : {aboutButton_, backButton_, nextButton_, exitButton_}) {
        b->setAutoDefault(false);
    }
    setTabOrder(backButton_, nextButton_);
    setTabOrder(nextButton_, exitButton_);
    setTabOrder(exitButton_, aboutButton_);
    SetDefaultButton(nextButton_);

    connect(nextButton_, &QPushButton::clicked, this, [this] { NextButtonClick(); });
    connect(backButton_, &QPushButton::clicked, this, [this] { BackButtonClick(); });
    connect(exitButton_, &QPushButton::clicked, this, [this] { ExitButtonClick(); });
    connect(aboutButton_, &QPushButton::clicked, this, [this] { AboutButtonClick(); });
}

TMainForm::~TMainForm() = default;

void TMainForm::SetButtonGlyphs(const QIcon& back, const QIcon& next) {
    backButton_->setIcon(back);
    nextButton_->setIcon(next);
    // The Next glyph points forward, so it follows the caption.
    nextButton_->setLayoutDirection(Qt::RightToLeft);
}

TChildForm* TMainForm::ChildForm(int slot) const {
    if (slot < 0 || slot >= kPageSlotCount) {
        return nullptr;
    }
    return childForms_[static_cast<size_t>(slot)];
}

TChildForm* TMainForm::CurrentForm() const {
    return ChildForm(childFormIndex_);
}

void TMainForm::NextButtonClick() {
    if (TChildForm* page = CurrentForm()) {
        page->Next();
    }
}

void TMainForm::BackButtonClick() {
    if (TChildForm* page = CurrentForm()) {
        page->Back();
    }
}

void TMainForm::ExitButtonClick() {
    close();
}

void TMainForm::AboutButtonClick() {
    if (aboutBox_) {
        Dialogs().ExecDialog(aboutBox_);
    }
}

bool TMainForm::Is_usb_resume() const {
    return IsUsbResumeArgument(arguments_);
}

void TMainForm::FormShow() {
    if (Is_usb_resume()) {
        Show_usb_form();
        backButton_->setEnabled(false);
        if (auto* usb = dynamic_cast<UsbResume*>(ChildForm(kUsbSlot))) {
            usb->ResumeAfterRestart();
        }
        return;
    }
    Show_welcome_form();
}

void TMainForm::ShowSlot(int slot) {
    TChildForm*& page = childForms_[static_cast<size_t>(slot)];
    if (page) {
        page->show();
        page->raise();
    } else {
        const PageFactory& factory = GetPageFactory(slot);
        if (!factory) {
            ShowErrorMessage(tr("This page is not available in this version of the installer."));
            return;
        }
        page = factory(this);
        Place_child_form(slot);
        page->show();
        page->raise();
    }
    HideCoveredPages(page);
    page->Activate();
    childFormIndex_ = slot;
    // After the button messages that Activate posted, so that Next is in its new state.
    QCoreApplication::postEvent(this, new QEvent(ArrivalFocusEvent()));
}

void TMainForm::HideCoveredPages(const TChildForm* top) {
    // A covered page keeps its state but leaves the focus chain and the accessibility tree,
    // as a covered window would: keys and screen readers reach only the page on top.
    for (TChildForm* page : childForms_) {
        if (page && page != top) {
            page->hide();
        }
    }
}

void TMainForm::FocusArrivedPage() {
    TChildForm* page = CurrentForm();
    if (!page || !page->isVisible()) {
        return;
    }
    QWidget* target = page->FirstControl();
    if (!target || !target->isVisibleTo(this) || !target->isEnabled()) {
        // Nothing to fill in: the button that Enter presses (Next; Exit on the finished page).
        target = exitButton_->isDefault() ? exitButton_ : nextButton_;
    }
    if (target->isEnabled()) {
        target->setFocus(Qt::OtherFocusReason);
    }
}

void TMainForm::Show_welcome_form() {
    ShowSlot(kWelcomeSlot);
}
void TMainForm::Show_license_form() {
    ShowSlot(kLicenseSlot);
}
void TMainForm::Show_connect_form() {
    ShowSlot(kConnectSlot);
}
void TMainForm::Show_serial_form() {
    ShowSlot(kSerialSlot);
}
void TMainForm::Show_usb_form() {
    ShowSlot(kUsbSlot);
}
void TMainForm::Show_ethernet_form() {
    ShowSlot(kEthernetSlot);
}
void TMainForm::Show_port_form() {
    ShowSlot(kPortSlot);
}
void TMainForm::Show_model_form() {
    ShowSlot(kModelSlot);
}
void TMainForm::Show_producer_form() {
    ShowSlot(kProducerSlot);
}
void TMainForm::Show_finished_form() {
    ShowSlot(kFinishedSlot);
}

void TMainForm::Place_child_form(int slot) {
    TChildForm* page = ChildForm(slot);
    const QRect panel = childFormPanel_->geometry();
    const QRect client = childFormPanel_->rect();
    page->setGeometry(panel.left() + client.left(), client.top(), client.width(), client.height());
    page->update();
}

void TMainForm::Select_next_form_by_connection() {
    if (!ChildForm(kConnectSlot)) {
        Show_connect_form();
    }
    auto* choice = dynamic_cast<ConnectionChoice*>(ChildForm(kConnectSlot));
    if (!choice) {
        throw std::runtime_error(
            "Connect Form not instantiated in Select_next_form_by_connection()!");
    }
    choice->NextPageDecision();
    backButton_->setEnabled(true);
    ClearSelections();
}

bool TMainForm::Can_exit() {
    if (childFormIndex_ == kFinishedSlot) {
        return true;
    }
    if (auto* usb = dynamic_cast<UsbResume*>(ChildForm(kUsbSlot)); usb && usb->RestartPending()) {
        return true;
    }
    if (IsWaitingForProgram()) {
        ShowErrorMessage(tr("Can't exit while waiting for an installation to complete."));
        return false;
    }
    return ConfirmMessage(
        tr("Are you sure you wish to exit without completing the installation process?"));
}

void TMainForm::SetDefaultButton(QPushButton* button) {
    for (QPushButton* b : {backButton_, nextButton_, exitButton_, aboutButton_}) {
        b->setDefault(b == button);
    }
}

QEvent::Type TMainForm::ArrivalFocusEvent() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

bool TMainForm::event(QEvent* e) {
    if (e->type() == ArrivalFocusEvent()) {
        FocusArrivedPage();
        return true;
    }
    if (IsShellMessage(e)) {
        HandleShellMessage(*static_cast<ShellEvent*>(e));
        return true;
    }
    return QDialog::event(e);
}

void TMainForm::HandleShellMessage(const ShellEvent& e) {
    if (const int slot = SlotShownBy(e.message()); slot >= 0) {
        ShowSlot(slot);
        if (slot == kPortSlot) {
            HandOverPort(e);
        }
        return;
    }
    switch (e.message()) {
        case WM_SELECT_NEXT_FORM_BY_CONNECTION:
            Select_next_form_by_connection();
            break;
        case WM_ENABLE_NEXT:
            nextButton_->setEnabled(true);
            break;
        case WM_DISABLE_NEXT:
            nextButton_->setEnabled(false);
            break;
        case WM_ENABLE_BACK:
            backButton_->setEnabled(true);
            break;
        case WM_DISABLE_BACK:
            backButton_->setEnabled(false);
            break;
        case WM_EXIT_DEFAULT:
            SetDefaultButton(exitButton_);
            break;
        case WM_CLOSE_WIZARD:
            close();
            break;
        default:  // the page messages above, and 2041, which the XPort page keeps to itself
            break;
    }
}

// Message 2031 hands the port page the new port by value, or tells it there is none.
void TMainForm::HandOverPort(const ShellEvent& e) {
    if (auto* port = dynamic_cast<PortHandover*>(ChildForm(kPortSlot))) {
        if (e.hasPort) {
            port->HighlightNewPort(e.portName);
        } else {
            port->ResetPortHints();
        }
    }
}

void TMainForm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TMainForm::closeEvent(QCloseEvent* e) {
    // FormCloseQuery: every way of closing the window passes the close decision.
    if (Can_exit()) {
        e->accept();
    } else {
        e->ignore();
    }
}

void TMainForm::keyPressEvent(QKeyEvent* e) {
    // Escape does not close the wizard: it has no Cancel button.
    if (e->key() == Qt::Key_Escape) {
        e->ignore();
        return;
    }
    QDialog::keyPressEvent(e);
}

void TMainForm::reject() {
    // QDialog would hide itself here without asking; closing goes through closeEvent only.
}
