#include "pages/model/TModelForm.h"

#include <QLabel>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <algorithm>

#include "app/Accessible.h"
#include "app/Dialogs.h"
#include "app/FormKit.h"
#include "app/Selections.h"
#include "host/BrandingStore.h"
#include "pages/art/Art.h"

QPointer<TModelForm> ModelForm;

namespace {

constexpr int kClientWidth = 612;
// Right-column buttons end just before the pictures of the right column.
constexpr int kRightColumnEdge = 444;
// Where the left column's buttons start, and the least room between two buttons of a row.
constexpr int kLeftColumnButtons = 128;
constexpr int kButtonGap = 8;
constexpr int kContentMargin = 8;

}  // namespace

TModelForm::TModelForm(QWidget* owner) : TChildForm(owner) {
    QWidget* client = ClientPanel();
    ModelLabel1 =
        MakeLabel(client, "ModelLabel1", tr("Vormatic® Printer Model"), 16, 12, FormFont(13, true));
    ModelLabel2 = MakeWrappedLabel(
        client, "ModelLabel2",
        tr("Please select your printer model from the following list and then click Next "
           "below.   If your printer model is not shown, select the RX200 Tag Printer model."),
        QRect(kClientWidth - 353 - 12, 5, 353, 57), FormFont(11));

    ModelScrollBox = new QScrollArea(client);
    ModelScrollBox->setObjectName(QStringLiteral("ModelScrollBox"));
    ModelScrollBox->setGeometry((kClientWidth - 585) / 2, 62, 585, 365);
    ModelScrollBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ModelScrollBox->setWidgetResizable(false);
    scrollContent_ = new QWidget;
    scrollContent_->setObjectName(QStringLiteral("ModelScrollContent"));
    scrollContent_->setAutoFillBackground(true);
    QPalette pal = scrollContent_->palette();
    pal.setColor(QPalette::Window, Qt::white);
    scrollContent_->setPalette(pal);
    ModelScrollBox->viewport()->setPalette(pal);

    // One parent for all ten buttons: checking one unchecks the others.
    for (const models::PageModel& model : models::kPageModels) {
        const auto i = static_cast<std::size_t>(model.index);
        ModelImages[i] =
            MakeImage(scrollContent_, model.imageName, art::PrinterPicture(model.index),
                      QRect(model.imageLeft, model.imageTop, 0, 0));
        ModelRadioButtons[i] =
            MakeRadioButton(scrollContent_, model.radioName, tr(model.caption),
                            QRect(model.radioLeft, model.radioTop, 0, 0), FormFont(11));
        PlaceRadioButton(ModelRadioButtons[i], model.radioLeft, model.radioTop, model.captionLeft);
        const int index = model.index;
        MakeClickable(ModelImages[i], [this, index] { ModelImageClick(index); });
        OnChosen(ModelRadioButtons[i], this, [this] { ModelRadioButtonClick(); });
    }

    if (BrandingStore::Instance().IsPrivateLabel()) {
        RebuildForPrivateLabel();
    }
    // Each picture is a button named as the model it chooses.
    for (std::size_t i = 0; i < ModelImages.size(); ++i) {
        NamePicture(ModelImages[i], ModelRadioButtons[i]->text());
    }
    FitScrollContent();
    ModelScrollBox->setWidget(scrollContent_);
}

void TModelForm::RebuildForPrivateLabel() {
    ModelLabel2->setText(
        tr("Please select your printer model from the following list and then click Next below."));
    for (std::size_t i = 0; i < ModelImages.size(); ++i) {
        ModelImages[i]->hide();
        ModelRadioButtons[i]->hide();
    }
    const BrandingStore& branding = BrandingStore::Instance();
    const QString twelve = FromAnsi(branding.GetString(models::kTwelveMagazineKey));
    const QString single = FromAnsi(branding.GetString(models::kSingleMagazineKey));
    const QString suffix = tr(" Cassette Printer");

    // The kit's cassette printers share the top row: single-magazine left, twelve right.
    if (!single.isEmpty()) {
        QLabel* image = ModelImages[models::kSingleMagazineIndex];
        QRadioButton* radio = ModelRadioButtons[models::kSingleMagazineIndex];
        image->move(8, 8);
        radio->setText(single + suffix);
        PlaceRadioButton(radio, kLeftColumnButtons, 48, false);
        image->show();
        radio->show();
    }
    if (!twelve.isEmpty()) {
        QLabel* image = ModelImages[models::kTwelveMagazineIndex];
        QRadioButton* radio = ModelRadioButtons[models::kTwelveMagazineIndex];
        image->move(448, 8);
        radio->setText(twelve + suffix);
        PlaceRadioButton(radio, 304, 48, true);
        image->show();
        radio->show();
    }
    if (!single.isEmpty() && !twelve.isEmpty()) {
        ShareRow(ModelRadioButtons[models::kSingleMagazineIndex],
                 ModelRadioButtons[models::kTwelveMagazineIndex]);
    }
}

void TModelForm::PlaceRadioButton(QRadioButton* radio, int left, int top, bool captionLeft) {
    radio->setLayoutDirection(captionLeft ? Qt::RightToLeft : Qt::LeftToRight);
    const QSize hint = radio->sizeHint();
    // Neither column's buttons reach the other column's pictures.
    const int room = kRightColumnEdge - kLeftColumnButtons;
    if (!captionLeft) {
        radio->setGeometry(left, top, std::min(hint.width(), kRightColumnEdge - left),
                           hint.height());
        return;
    }
    // The button sits beside its picture; a caption longer than the form's room grows
    // leftwards rather than under the picture.
    const int width = std::min(std::max(kRightColumnEdge - left, hint.width()), room);
    radio->setGeometry(kRightColumnEdge - width, top, width, hint.height());
}

void TModelForm::ShareRow(QRadioButton* left, QRadioButton* right) {
    if (left->geometry().right() + kButtonGap < right->geometry().left()) {
        return;
    }
    // Two kit captions that run into each other: a caption that needs less than half of the
    // row keeps what it needs and the other gets the rest; otherwise each gets half. The
    // button's tip shows a cut caption whole.
    const int begin = left->x();
    const int end = right->geometry().right() + 1;
    const int half = (end - begin - kButtonGap) / 2;
    const int leftNeeds = left->sizeHint().width();
    const int rightNeeds = right->sizeHint().width();
    int leftWidth = half;
    if (leftNeeds <= half) {
        leftWidth = leftNeeds;
    } else if (rightNeeds <= half) {
        leftWidth = end - begin - kButtonGap - rightNeeds;
    }
    left->setGeometry(begin, left->y(), leftWidth, left->height());
    const int rightBegin = begin + leftWidth + kButtonGap;
    right->setGeometry(rightBegin, right->y(), end - rightBegin, right->height());
    left->setToolTip(left->text());
    right->setToolTip(right->text());
}

void TModelForm::FitScrollContent() {
    int bottom = 0;
    for (const QWidget* child : scrollContent_->findChildren<QWidget*>()) {
        if (!child->isHidden()) {
            bottom = std::max(bottom, child->geometry().bottom() + 1);
        }
    }
    // The vertical scroll bar's room is kept free, so the right column never moves under it.
    const int frame = 2 * ModelScrollBox->frameWidth();
    const int width =
        ModelScrollBox->width() - frame - ModelScrollBox->verticalScrollBar()->sizeHint().width();
    const int height = std::max(bottom + kContentMargin, ModelScrollBox->height() - frame);
    scrollContent_->resize(width, height);
}

QWidget* TModelForm::FirstControl() const {
    QRadioButton* first = nullptr;
    for (QRadioButton* radio : ModelRadioButtons) {
        if (radio->isChecked()) {
            return radio;
        }
        if (!first && !radio->isHidden()) {
            first = radio;
        }
    }
    return first;
}

void TModelForm::Activate() {
    EnableBack();
    DisableNext();
}

void TModelForm::Back() {
    Post(WM_SELECT_NEXT_FORM_BY_CONNECTION);
}

void TModelForm::Next() {
    SetPrinterModel(QString());
    QString caption;
    for (const QRadioButton* radio : ModelRadioButtons) {
        if (radio->isChecked()) {
            caption = radio->text();
            break;
        }
    }
    if (caption.isEmpty()) {
        ShowErrorMessage(tr("You must select your printer model."));
        return;
    }
    // The caption starts with the model code, up to its first space.
    const qsizetype space = caption.indexOf(QLatin1Char(' '));
    SetPrinterModel(space < 0 ? caption : caption.left(space));
    Post(WM_SHOW_PRODUCER_FORM);
}

void TModelForm::ModelImageClick(int index) {
    ModelRadioButtons[static_cast<std::size_t>(index)]->setChecked(true);
    EnableNext();
}

void TModelForm::ModelRadioButtonClick() {
    EnableNext();
}
