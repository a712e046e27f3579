#pragma once
// The wizard shell: the only top-level window. It owns the ten pages, hands Next and Back to
// the current page, obeys the pages' messages and decides whether the program may close.

#include <QDialog>
#include <QEvent>
#include <QPointer>
#include <QStringList>
#include <array>

#include "app/PageSlots.h"

class QIcon;
class QPushButton;
class QWidget;
class TChildForm;
class ShellEvent;

class TMainForm : public QDialog {
    Q_OBJECT
public:
    // `arguments` are the command-line arguments after the program path.
    explicit TMainForm(const QStringList& arguments, QWidget* parent = nullptr);
    ~TMainForm() override;

    // Show operations, one per slot.
    void Show_welcome_form();
    void Show_license_form();
    void Show_connect_form();
    void Show_serial_form();
    void Show_usb_form();
    void Show_ethernet_form();
    void Show_port_form();
    void Show_model_form();
    void Show_producer_form();
    void Show_finished_form();
    void ShowSlot(int slot);

    void Select_next_form_by_connection();
    bool Can_exit();
    bool Is_usb_resume() const;

    int ChildFormIndex() const { return childFormIndex_; }
    TChildForm* ChildForm(int slot) const;
    TChildForm* CurrentForm() const;

    QPushButton* NextButton() const { return nextButton_; }
    QPushButton* BackButton() const { return backButton_; }
    QPushButton* ExitButton() const { return exitButton_; }
    QPushButton* AboutButton() const { return aboutButton_; }
    QWidget* ChildFormPanel() const { return childFormPanel_; }

    // The dialog shown by the About button (created at start-up, after the main window).
    void SetAboutBox(QDialog* aboutBox) { aboutBox_ = aboutBox; }
    void SetButtonGlyphs(const QIcon& back, const QIcon& next);

    // FormShow: chooses the first page. Runs once, when the window is first shown.
    void FormShow();

protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void reject() override;

private:
    void NextButtonClick();
    void BackButtonClick();
    void ExitButtonClick();
    void AboutButtonClick();
    void Place_child_form(int slot);
    void HideCoveredPages(const TChildForm* top);
    // Puts the focus on the current page's first control, or on the default button when the
    // page has nothing to fill in. Runs once the page's button messages have been handled.
    void FocusArrivedPage();
    static QEvent::Type ArrivalFocusEvent();
    void HandleShellMessage(const ShellEvent& e);
    void HandOverPort(const ShellEvent& e);
    void SetDefaultButton(QPushButton* button);

    QStringList arguments_;
    std::array<TChildForm*, kPageSlotCount> childForms_{};
    int childFormIndex_ = -1;
    bool shown_ = false;
    QDialog* aboutBox_ = nullptr;
    QWidget* panel1_;
    QWidget* childFormPanel_;
    QPushButton* aboutButton_;
    QPushButton* backButton_;
    QPushButton* nextButton_;
    QPushButton* exitButton_;
};

// True when the first argument is exactly "-rusb" (case-sensitive; later ones are ignored).
bool IsUsbResumeArgument(const QStringList& arguments);

// The process-wide reference to the shell; null until it exists and after it has gone.
extern QPointer<TMainForm> MainForm;
