#pragma once
// Wizard page 6: the choice of the COM port through which Producer will reach the printer,
// from the list of the PC's ports or by searching all of them for a printer.

#include <QPointer>
#include <QString>

#include "app/PageSlots.h"
#include "app/TChildForm.h"

class QGroupBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QProgressBar;
class QPushButton;

class TPortForm : public TChildForm, public PortHandover {
    Q_OBJECT
public:
    explicit TPortForm(QWidget* owner);
    void Back() override;
    void Next() override;
    void Activate() override;
    // The port list.
    QWidget* FirstControl() const override;

    // The port handed over with message 2031: a port added by a driver installation ("" when
    // none was found) is preselected; without a hand-over the list is shown plainly.
    void HighlightNewPort(const QString& name) override;
    void ResetPortHints() override;

    QString NewPortName() const { return newPortName_; }

private:
    void PortListBoxClick();
    void PortFindButtonClick();
    void ClearListSelection();
    // The list item equal to `port` without regard to case, or null.
    QListWidgetItem* FindListItem(const QString& port) const;
    void SelectListItem(QListWidgetItem* item);
    void ShowHints(const QString& info, const QString& hint);
    void ShowSearchResult(const QString& text);

    QLabel* PortLabel1;
    QLabel* PortInfoLabel1;
    QListWidget* PortListBox;
    QLabel* PortInfoLabel2;
    QGroupBox* FindGroupBox;
    QLabel* Label4;
    QPushButton* PortFindButton;
    QProgressBar* PortProgressBar;
    QLabel* PortFoundLabel;

    QString newPortName_;
    // Set while the page itself changes the list, so that only the user's choices count as
    // clicks.
    bool fillingList_ = false;
};

// The page while it exists; it clears itself when the page goes.
extern QPointer<TPortForm> PortForm;
