#pragma once
// Wizard page 7: the choice of the printer model, whose code picks the Producer installer
// and the preferences store. A reseller's kit offers only its cassette printers.

#include <QPointer>
#include <array>

#include "app/TChildForm.h"
#include "pages/model/ModelTable.h"

class QLabel;
class QRadioButton;
class QScrollArea;

class TModelForm : public TChildForm {
    Q_OBJECT
public:
    explicit TModelForm(QWidget* owner);
    void Back() override;
    void Next() override;
    void Activate() override;
    // The chosen model's button, or the first one shown.
    QWidget* FirstControl() const override;

private:
    void ModelImageClick(int index);
    void ModelRadioButtonClick();
    void RebuildForPrivateLabel();
    // Places a radio button with its caption on the left (right column) or on the right.
    void PlaceRadioButton(QRadioButton* radio, int left, int top, bool captionLeft);
    // Splits a row between two buttons whose captions would run into each other.
    void ShareRow(QRadioButton* left, QRadioButton* right);
    // Sizes the scroll box's content to its visible controls.
    void FitScrollContent();

    QLabel* ModelLabel1;
    QLabel* ModelLabel2;
    QScrollArea* ModelScrollBox;
    QWidget* scrollContent_;
    std::array<QLabel*, models::kModelCount> ModelImages{};
    std::array<QRadioButton*, models::kModelCount> ModelRadioButtons{};
};

// The page while it exists; it clears itself when the page goes.
extern QPointer<TModelForm> ModelForm;
