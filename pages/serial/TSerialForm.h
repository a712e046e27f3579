#pragma once
// Page 3: how to cable and power a serial printer; leads on to the COM port page.

#include <QPointer>
#include "app/TChildForm.h"

class TSerialForm : public TChildForm {
    Q_OBJECT
public:
    explicit TSerialForm(QWidget* owner);
    void Back() override;
    void Next() override;
    void Activate() override;
};

// The page while it exists; it clears itself when the page goes.
extern QPointer<TSerialForm> SerialForm;
