#include "pages/port/TPortForm.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>

#include "app/Accessible.h"
#include "app/Dialogs.h"
#include "app/FormKit.h"
#include "app/Launch.h"
#include "app/Selections.h"
#include "host/ComPorts.h"
#include "pages/port/PortSearch.h"

QPointer<TPortForm> PortForm;

namespace {

constexpr int kClientWidth = 612;

// Shows the search on the page's own controls. Every change is repainted at once, between
// the probes' waits.
class PageSearchView : public PortSearchView {
public:
    PageSearchView(QProgressBar* bar, QLabel* label) : bar_(bar), label_(label) {}

    void SearchStarted() override {
        bar_->setValue(0);
        bar_->show();
        bar_->repaint();
        label_->show();
        AnswerWindowOnly();
    }
    void ShowProgress(int percent) override {
        bar_->setValue(percent);
        bar_->repaint();
    }
    void ShowTesting(const std::string& port) override {
        label_->setText(QCoreApplication::translate("TPortForm", "Testing Port ") + FromAnsi(port));
        label_->repaint();
    }

private:
    QProgressBar* bar_;
    QLabel* label_;
};

}  // namespace

TPortForm::TPortForm(QWidget* owner) : TChildForm(owner) {
    QWidget* client = ClientPanel();
    const QFont text = FormFont(13);

    PortLabel1 =
        MakeLabel(client, "PortLabel1", tr("COM Port Selection"), 0, 8, FormFont(13, true));
    PortLabel1->move((kClientWidth - PortLabel1->width()) / 2, 8);
    PortInfoLabel1 = MakeWrappedLabel(client, "PortInfoLabel1", QString(),
                                      QRect(24, 36, kClientWidth - 48, 48), text);

    PortListBox = new QListWidget(client);
    PortListBox->setObjectName(QStringLiteral("PortListBox"));
    PortListBox->setFont(text);
    PortListBox->setSelectionMode(QAbstractItemView::SingleSelection);
    PortListBox->setSortingEnabled(false);
    PortListBox->setGeometry(24, 92, 121, 73);
    PortInfoLabel2 =
        MakeWrappedLabel(client, "PortInfoLabel2", QString(), QRect(160, 92, 428, 73), text);

    FindGroupBox = new QGroupBox(client);
    FindGroupBox->setObjectName(QStringLiteral("FindGroupBox"));
    FindGroupBox->setFont(text);
    FindGroupBox->setGeometry((kClientWidth - 377) / 2, 174, 377, 241);
    Label4 = MakeWrappedLabel(FindGroupBox, "Label4",
                              tr("If you want to search the available COM ports to find the "
                                 "printer, click the Find button."),
                              QRect(24, 20, 240, 52), text);
    PortFindButton =
        MakeButton(FindGroupBox, "PortFindButton", tr("Find"), QRect(278, 32, 75, 25), text);
    PortProgressBar = new QProgressBar(FindGroupBox);
    PortProgressBar->setObjectName(QStringLiteral("PortProgressBar"));
    PortProgressBar->setRange(0, 100);
    PortProgressBar->setTextVisible(false);
    PortProgressBar->setGeometry(24, 84, 329, 16);
    PortProgressBar->setAccessibleName(tr("COM port search"));
    PortFoundLabel =
        MakeWrappedLabel(FindGroupBox, "PortFoundLabel", QString(), QRect(24, 108, 329, 128), text);

    PortProgressBar->setValue(0);
    PortProgressBar->hide();
    PortFoundLabel->hide();
    ShowHints(tr("The following COM ports have been found on your PC."),
              tr("If you know which COM port the printer is connected to, select that port in "
                 "the list at the left and click Next below."));

    // A click on the list, or a choice made with the keyboard, enables Next.
    connect(PortListBox, &QListWidget::itemSelectionChanged, this, [this] {
        if (!fillingList_) {
            PortListBoxClick();
        }
    });
    connect(PortListBox, &QAbstractItemView::clicked, this, [this] { PortListBoxClick(); });
    connect(PortFindButton, &QPushButton::clicked, this, [this] { PortFindButtonClick(); });
}

void TPortForm::Activate() {
    fillingList_ = true;
    PortListBox->clear();
    PortList ports;
    const std::string failure = ListComPorts(&ports);
    for (const std::string& port : ports) {
        PortListBox->addItem(FromAnsi(port));
    }
    fillingList_ = false;
    ClearListSelection();
    ShowSearchResult(QString());
    PortFoundLabel->hide();
    PortProgressBar->setValue(0);
    PortProgressBar->hide();
    if (!failure.empty()) {
        ShowErrorMessage(FromAnsi(failure));
    }
    EnableBack();
    DisableNext();
}

void TPortForm::HighlightNewPort(const QString& name) {
    newPortName_ = name;
    ClearListSelection();
    if (name.isEmpty()) {
        ShowHints(tr("The following COM ports have been found on your PC.  It appears that no "
                     "new ports were added."),
                  tr("Please select the port you intend to use from the list at the left."));
        return;
    }
    SelectListItem(FindListItem(name));
    ShowHints(tr("The following COM ports have been found on your PC.  The newly added port has "
                 "been highlighted."),
              tr("If you don't want to use the new port that was added, select the port you "
                 "intend to use."));
    EnableNext();
}

void TPortForm::ResetPortHints() {
    newPortName_.clear();
    ClearListSelection();
    ShowHints(tr("The following COM ports have been found on your PC."),
              tr("If you know which COM port the printer is connected to, select that port in "
                 "the list at the left and click Next below."));
    DisableNext();
}

void TPortForm::Back() {
    Post(WM_SELECT_NEXT_FORM_BY_CONNECTION);
}

void TPortForm::Next() {
    const QList<QListWidgetItem*> selected = PortListBox->selectedItems();
    if (selected.isEmpty()) {
        ShowErrorMessage(tr("You must select or find a COM port."));
        return;
    }
    SetSelectedPort(selected.first()->text());
    // A printer that answered the search told its model: the model page has nothing to ask.
    Post(GetPrinterModel().isEmpty() ? WM_SHOW_MODEL_FORM : WM_SHOW_PRODUCER_FORM);
}

void TPortForm::PortListBoxClick() {
    EnableNext();
}

void TPortForm::PortFindButtonClick() {
    PageSearchView view(PortProgressBar, PortFoundLabel);
    const QString port = FromAnsi(FindPrinterPort(view));
    if (port.isEmpty()) {
        ShowSearchResult(tr("Unable to find a Vormatic Printer on any COM ports."));
        return;
    }
    QListWidgetItem* item = FindListItem(port);
    if (!item) {
        ShowSearchResult(tr("The COM port name does not match any in the list."));
        return;
    }
    ShowSearchResult(tr("A Vormatic Printer has been found on ") + port + QStringLiteral("\n\n") +
                     GetPrinterIdentity() + tr("\n\nClick Next to continue..."));
    SelectListItem(item);
    EnableNext();
}

void TPortForm::ClearListSelection() {
    fillingList_ = true;
    PortListBox->clearSelection();
    PortListBox->setCurrentItem(nullptr);
    fillingList_ = false;
}

QListWidgetItem* TPortForm::FindListItem(const QString& port) const {
    for (int row = 0; row < PortListBox->count(); ++row) {
        QListWidgetItem* item = PortListBox->item(row);
        if (item->text().compare(port, Qt::CaseInsensitive) == 0) {
            return item;
        }
    }
    return nullptr;
}

void TPortForm::SelectListItem(QListWidgetItem* item) {
    if (!item) {
        return;
    }
    fillingList_ = true;
    PortListBox->setCurrentItem(item);
    item->setSelected(true);
    PortListBox->scrollToItem(item);
    fillingList_ = false;
}

void TPortForm::ShowHints(const QString& info, const QString& hint) {
    PortInfoLabel1->setText(info);
    PortInfoLabel2->setText(hint);
    LinkLabel(PortInfoLabel1, PortListBox);
    PortListBox->setAccessibleDescription(hint);
}

void TPortForm::ShowSearchResult(const QString& text) {
    // The label's new text reaches a screen reader as a name change; the Find button, which
    // has the focus when the search was started from the keyboard, describes the outcome too.
    PortFoundLabel->setText(text);
    PortFindButton->setAccessibleDescription(text);
}

QWidget* TPortForm::FirstControl() const {
    return PortListBox;
}
