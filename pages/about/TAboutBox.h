#pragma once
// The About dialog: company, product, version and the support contacts. Created once at
// start-up, after the shell, and shown modally by the shell's About button.

#include <QDialog>
#include <QPointer>

class QLabel;

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* owner);

private:
    void WebAddressClick();
    void ApplyLogoBitmap();

    QLabel* programIcon_;
    QLabel* webAddress_;
};

// The page while it exists; it clears itself when the page goes.
extern QPointer<TAboutBox> AboutBox;
