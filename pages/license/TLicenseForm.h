#pragma once
// Page 1: the licence agreement. The text is read from the current directory on every
// arrival; Next is offered only while "I accept" is chosen.

#include <QPointer>
#include "app/TChildForm.h"

class QPlainTextEdit;
class QRadioButton;

class TLicenseForm : public TChildForm {
    Q_OBJECT
public:
    explicit TLicenseForm(QWidget* owner);
    void Back() override;
    void Next() override;
    // Throws std::runtime_error when the licence file cannot be read; Next and Back are then
    // left as they were.
    void Activate() override;
    // The licence text, to be read before the choice below it.
    QWidget* FirstControl() const override;

private:
    void LoadLicenseText();

    QPlainTextEdit* licenseText_;
    QRadioButton* acceptRadioButton_;
    QRadioButton* declineRadioButton_;
};

// The page while it exists; it clears itself when the page goes.
extern QPointer<TLicenseForm> LicenseForm;
