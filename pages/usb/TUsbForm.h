#pragma once
// Page 4: a printer on USB. Inner steps on sheets without tabs: an introduction, a wait while
// the USB "virtual" COM port driver installs, the request to plug the printer in (while a
// timer watches for its new port), the hand-over of that port to the COM port page, and, on
// systems that must restart for the driver, the request to restart. After the restart the
// program starts again with "-rusb" and resumes on the hand-over step. The sheets' layout is
// built in UsbSheets.cpp.

#include <QPointer>
#include <QString>

#include "app/Dialogs.h"
#include "app/PageSlots.h"
#include "app/TChildForm.h"
#include "host/ComPorts.h"

class QLabel;
class QStackedWidget;
class QTimer;
class QWidget;

class TUsbForm : public TChildForm, public UsbResume {
    Q_OBJECT
public:
    explicit TUsbForm(QWidget* owner);

    void Back() override;
    void Next() override;
    void Activate() override;

    // UsbResume: read by the shell's close decision, and the "-rusb" start.
    bool RestartPending() const override { return restartPending_; }
    void ResumeAfterRestart() override;

    // The object name of the step shown ("UsbTabSheet1", ...).
    QString ActiveSheet() const;
    QString NewPortName() const { return newPortName_; }
    const PortList& PortsBefore() const { return portsBefore_; }
    bool IsWatchingForNewPort() const;

private:
    void BuildSheets();
    void BuildUsbTabSheet1();
    void BuildUsbTabSheet1Wait();
    void BuildUsbTabSheet2();
    void BuildUsbTabSheet3();
    void BuildUsbTabSheet4Restart();
    void ShowSheet(QWidget* sheet);
    bool Showing(const QWidget* sheet) const;

    void StartInstallation();
    bool InstallDriver();
    void StopWatching();
    void StartWatching();
    void NewPortTimerTimer();
    void HandOver();

    QLabel* UsbImage2;
    QLabel* UsbLabel1;
    QStackedWidget* UsbPageControl;
    QWidget* UsbTabSheet1;
    QWidget* UsbTabSheet1Wait;
    QWidget* UsbTabSheet2;
    QWidget* UsbTabSheet3;
    QWidget* UsbTabSheet4Restart;
    QLabel* Image1;
    QLabel* Tab1WarningLabel;
    QLabel* NoticeImage1;
    QLabel* RestartNoticeImage;
    QLabel* RestartNoticeLabel;
    QTimer* NewPortTimer;

    PortList portsBefore_;
    // True once step 1 has listed the ports in this run, so portsBefore_ holds that list.
    bool snapshotTaken_ = false;
    // Inventory failures of step 1, the poll and the hand-over, each shown once.
    FailureNotice inventoryNotice_;
    QString newPortName_;
    bool restartPending_ = false;
};

// The page while it exists; it clears itself when the page goes.
extern QPointer<TUsbForm> UsbForm;
