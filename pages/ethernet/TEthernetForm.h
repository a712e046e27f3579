#pragma once
// Page 5: a printer on the LAN. Inner steps on sheets without tabs: two introductions (the
// second asks DHCP or static), the XPort set-up on the embedded configuration page, the COM
// port redirector's installation and a run of its manager, in which the user makes a virtual
// COM port to the printer, and the hand-over of that new port to the COM port page.
// The sheets' layout is built in EthernetSheets.cpp.

#include <QPointer>
#include <QString>

#include "app/Dialogs.h"
#include "app/TChildForm.h"
#include "host/ComPorts.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QWidget;

class TEthernetForm : public TChildForm {
    Q_OBJECT
public:
    explicit TEthernetForm(QWidget* owner);

    void Back() override;
    void Next() override;
    void Activate() override;

    // The object name of the sheet shown ("EtherIntroTab1", ...).
    QString ActiveSheet() const;
    QString NewPortName() const { return newPortName_; }

protected:
    bool event(QEvent* e) override;

private:
    void BuildSheets();
    void BuildEtherIntroTab1();
    void BuildEtherIntroTab2();
    void BuildEtherXportTab();
    void BuildEtherRedirectTab1();
    void BuildEtherRedirectTab1Wait();
    void BuildEtherRedirectTab2();
    void BuildEtherRedirectTab2Wait();
    void BuildEtherRedirectTab3();
    void BuildEtherRedirectTabFailed();
    void ShowSheet(QWidget* sheet);
    bool Showing(const QWidget* sheet) const;
    QString ManagerPath() const;
    bool ManagerExists() const;

    void StartXportSetup();
    void CloseXportPage();
    void TakePortSnapshot();
    void InstallRedirector();
    void PrepareRedirect2();
    void EtherRedirPathBrowseButtonClick();
    void RunManager();
    void HandOver();
    void ShowFailedSheet();

    QLabel* EtherImage2;
    QLabel* EtherLabel1;
    QStackedWidget* EtherPageControl;
    QWidget* EtherIntroTab1;
    QWidget* EtherIntroTab2;
    QWidget* EtherXportTab;
    QWidget* EtherRedirectTab1;
    QWidget* EtherRedirectTab1Wait;
    QWidget* EtherRedirectTab2;
    QWidget* EtherRedirectTab2Wait;
    QWidget* EtherRedirectTab3;
    QWidget* EtherRedirectTabFailed;
    QRadioButton* EtherDynamicRadioButton;
    QRadioButton* EtherStaticRadioButton;
    QWidget* XportFormPanel;
    QLabel* EtherRedirLabel4;
    QLineEdit* EtherRedirPathEdit;
    QPushButton* EtherRedirPathBrowseButton;
    QLabel* EtherRedirLabel5;
    QLabel* EtherRedirLabel6;
    QLabel* EtherRedirLabel7;
    QLabel* EtherRedirLabel8;
    QLabel* EtherRedirLabel9;
    QLabel* EtherRedirLabel10;
    QLabel* SplatLabels[5];

    PortList portsBefore_;
    // Inventory failures of the snapshot and the hand-over, each shown once.
    FailureNotice inventoryNotice_;
    QString newPortName_;
};

// The page while it exists; it clears itself when the page goes.
extern QPointer<TEthernetForm> EthernetForm;
