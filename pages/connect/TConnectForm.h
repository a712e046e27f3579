#pragma once
// Page 2: how the printer is connected (serial, USB or Ethernet). Its Next decides the next
// page; the shell runs the same decision for the way back from the later pages.

#include <QPointer>
#include <array>

#include "app/PageSlots.h"
#include "app/TChildForm.h"

class QLabel;
class QRadioButton;

class TConnectForm : public TChildForm, public ConnectionChoice {
    Q_OBJECT
public:
    explicit TConnectForm(QWidget* owner);
    void Back() override;
    void Next() override;
    void Activate() override;
    // The chosen connection's button.
    QWidget* FirstControl() const override;

    // Posts the page of the checked connection (2028, 2029 or 2030), enables Back and empties
    // the wizard-wide selections.
    void NextPageDecision() override;

private:
    // A click on one of the pictures chooses its connection.
    void ImageClick(const QObject* image);

    // Entry i of both belongs to the same connection: 0 serial, 1 USB, 2 Ethernet.
    std::array<QLabel*, 3> images_{};
    std::array<QRadioButton*, 3> radioButtons_{};
};

// The page while it exists; it clears itself when the page goes.
extern QPointer<TConnectForm> ConnectForm;
