#pragma once
// Page 9: the end of the wizard. Congratulates the user, shows the support contacts and makes
// Exit the default button.

#include <QPointer>
#include "app/TChildForm.h"

class QLabel;

class TFinishedForm : public TChildForm {
    Q_OBJECT
public:
    explicit TFinishedForm(QWidget* owner);
    void Back() override;
    void Next() override;
    void Activate() override;

private:
    void EmailAddressClick();
    void WebAddressClick();

    QLabel* titleImage_;
    QLabel* emailAddress_;
    QLabel* webAddress_;
};

// The page while it exists; it clears itself when the page goes.
extern QPointer<TFinishedForm> FinishedForm;
