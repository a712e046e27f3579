#pragma once
// Wizard page 8: launches the Producer installer of the chosen model, waits for it, then
// writes the chosen COM port into that Producer's preferences.

#include <QPointer>
#include "app/TChildForm.h"

class QLabel;

class TProducerForm : public TChildForm {
    Q_OBJECT
public:
    explicit TProducerForm(QWidget* owner);
    void Back() override;
    void Next() override;
    void Activate() override;

private:
    QLabel* Label2;
    QLabel* ProducerLabel1;
    QLabel* ProducerImage;
    QLabel* Label1;
    QLabel* ProducerLabel2;
};

// The page while it exists; it clears itself when the page goes.
extern QPointer<TProducerForm> ProducerForm;
