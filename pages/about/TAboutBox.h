#pragma once
// The About dialog: company, product, version and the support contacts. Created once at
// start-up, after the shell, and shown modally by the shell's About button.

#include <QDialog>

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

extern TAboutBox* AboutBox;
