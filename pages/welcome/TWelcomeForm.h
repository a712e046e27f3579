#pragma once
// Page 0: greets the user with the branded welcome text, shows the title and collage
// pictures and offers the installation manual.

#include <QPointer>
#include "app/TChildForm.h"

class QLabel;
class QPushButton;

class TWelcomeForm : public TChildForm {
    Q_OBJECT
public:
    explicit TWelcomeForm(QWidget* owner);
    void Back() override;
    void Next() override;
    void Activate() override;

private:
    void ViewManualButtonClick();
    void ApplyBrandingBitmaps();

    QLabel* titleImage_;
    QLabel* collageImage_;
    QLabel* welcomeLabel_;
    QPushButton* viewManualButton_;
    QLabel* adobeRequiredLabel_;
};

// The page while it exists; it clears itself when the page goes.
extern QPointer<TWelcomeForm> WelcomeForm;
