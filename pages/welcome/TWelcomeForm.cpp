#include "pages/welcome/TWelcomeForm.h"

#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QUrl>

#include "app/Accessible.h"
#include "app/Dialogs.h"
#include "app/FormKit.h"
#include "host/BrandingStore.h"
#include "host/Paths.h"
#include "pages/art/Art.h"
#include "pages/welcome/WelcomeText.h"

QPointer<TWelcomeForm> WelcomeForm;

namespace {

QLabel* MakeNotice(QWidget* parent, const char* name, const QString& text, int left, int top) {
    QLabel* label = MakeLabel(parent, name, text, left, top, FormFont(11));
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, QColor(0xC0, 0xC0, 0xC0));  // silver
    label->setPalette(pal);
    return label;
}

}  // namespace

TWelcomeForm::TWelcomeForm(QWidget* owner) : TChildForm(owner) {
    QWidget* panel = ClientPanel();
    const QFont text13 = FormFont(13);

    titleImage_ = MakeImage(panel, "TitleImage", art::TitlePicture(), QRect(8, 8, 600, 73));
    collageImage_ = MakeImage(panel, "CollageImage", art::CollagePicture(), QRect(8, 88, 0, 0));
    welcomeLabel_ =
        MakeWrappedLabel(panel, "WelcomeLabel", QString(), QRect(288, 112, 313, 97), text13);
    MakeLabel(panel, "WelcomeLabel2", tr("To begin click the Next button below."), 288, 224,
              text13);
    viewManualButton_ = MakeButton(panel, "ViewManualButton", tr("View the Installation Manual"),
                                   QRect(344, 288, 169, 25), FormFont(11));
    adobeRequiredLabel_ = MakeLabel(panel, "AdobeRequiredLabel", tr("(Adobe Acrobat required)"),
                                    368, 312, FormFont(11));
    MakeNotice(panel, "CopyrightLabel",
               tr("Copyright © 2026 Quorvanta Corporation. All rights reserved."), 160, 401);
    MakeNotice(panel, "Label1", tr("Vormatic is a registered trademark of Quorvanta Corporation."),
               160, 417);
    connect(viewManualButton_, &QPushButton::clicked, this, [this] { ViewManualButtonClick(); });

    const BrandingStore& branding = BrandingStore::Instance();
    // A private-label kit comes without the maker's manual.
    if (branding.IsPrivateLabel()) {
        viewManualButton_->hide();
        adobeRequiredLabel_->hide();
    }
    welcomeLabel_->setText(BuildWelcomeText(FromAnsi(branding.GetString("CompanyNameShort"))));
    ApplyBrandingBitmaps();
}

void TWelcomeForm::ApplyBrandingBitmaps() {
    const BrandingStore& branding = BrandingStore::Instance();
    // A bitmap that cannot be loaded leaves the built-in picture in place. What a kit's own
    // title reads is not known here: it stays unnamed.
    const bool branded = LoadPictureFile(titleImage_, FromAnsi(branding.TitleBitmapPath()));
    NamePicture(titleImage_, branded ? QString() : art::TitlePictureText());
    if (LoadPictureFile(collageImage_, FromAnsi(branding.CollageBitmapPath()))) {
        collageImage_->resize(collageImage_->pixmap().size());
    }
}

void TWelcomeForm::ViewManualButtonClick() {
    const QString manual =
        FromAnsi(ProgramDirectory()) + QStringLiteral("Vormatic Installer Manual.pdf");
    if (!ShellOpenChecked(QUrl::fromLocalFile(manual))) {
        ShowErrorMessageBang(
            tr("Can't open the PDF manual.  You may need to install Adobe Acrobat (or other PDF "
               "viewer) to view the manual."));
    }
}

void TWelcomeForm::Back() {}

void TWelcomeForm::Next() {
    Post(WM_SHOW_LICENSE_FORM);
}

void TWelcomeForm::Activate() {
    DisableBack();
    EnableNext();
}
