#include "pages/finished/TFinishedForm.h"

#include <QLabel>
#include <QUrl>

#include "app/Accessible.h"
#include "app/Dialogs.h"
#include "app/FormKit.h"
#include "app/Launch.h"
#include "host/BrandingStore.h"
#include "pages/art/Art.h"
#include "pages/finished/ContactLines.h"

QPointer<TFinishedForm> FinishedForm;

TFinishedForm::TFinishedForm(QWidget* owner) : TChildForm(owner) {
    QWidget* panel = ClientPanel();
    const QFont text13 = FormFont(13);

    titleImage_ = MakeImage(panel, "TitleImage", art::TitlePicture(), QRect(8, 8, 600, 73));
    MakeLabel(panel, "FinishedLabel1", tr("Congratulations"), 232, 96, ArialFont(19, true));
    MakeWrappedLabel(panel, "FinishedLabel2",
                     tr("You have completed the installation process for your Vormatic® "
                        "printer.   If you have additional questions, please contact the "
                        "factory."),
                     QRect(136, 136, 361, 81), text13);

    QLabel* phoneLabel = MakeLabel(panel, "PhoneLabel", tr("Phone:"), 232, 208, text13);
    QLabel* phoneNumber = MakeLabel(panel, "PhoneNumber", QString(), 280, 208, text13);
    QLabel* emailLabel = MakeLabel(panel, "EmailLabel", tr("Email:"), 236, 232, text13);
    emailAddress_ = MakeLabel(panel, "EmailAddress", QString(), 280, 232, text13);
    QLabel* webLabel = MakeLabel(panel, "WebLabel", tr("Web:"), 240, 256, text13);
    webAddress_ = MakeLabel(panel, "WebAddress", QString(), 280, 256, text13);
    StyleAsLink(emailAddress_);
    StyleAsLink(webAddress_);
    MakeClickable(emailAddress_, [this] { EmailAddressClick(); });
    MakeClickable(webAddress_, [this] { WebAddressClick(); });

    MakeLabel(panel, "FinishedLabel6", tr("Thank you for your interest in our marking products."),
              160, 304, FormFont(11));
    MakeLabel(panel, "QuorvantaTeamLabel", tr("- The Quorvanta Team"), 352, 360, FormFont(11))
        ->hide();

    ApplyContactLines({phoneLabel, phoneNumber, webLabel, webAddress_, emailLabel, emailAddress_});
    // A title bitmap that cannot be loaded leaves the built-in picture in place. What a kit's
    // own title reads is not known here: it stays unnamed.
    const bool branded =
        LoadPictureFile(titleImage_, FromAnsi(BrandingStore::Instance().TitleBitmapPath()));
    NamePicture(titleImage_, branded ? QString() : art::TitlePictureText());
}

void TFinishedForm::EmailAddressClick() {
    if (!ShellOpenChecked(QUrl(QStringLiteral("mailto:") + emailAddress_->text()))) {
        ShowErrorMessageBang(tr("Unable to launch the email client."));
    }
}

void TFinishedForm::WebAddressClick() {
    const QString error = OpenWebAddress(webAddress_->text());
    if (!error.isEmpty()) {
        ShowErrorMessageBang(error);
    }
}

void TFinishedForm::Back() {}

void TFinishedForm::Next() {}

void TFinishedForm::Activate() {
    DisableBack();
    DisableNext();
    Post(WM_EXIT_DEFAULT);
}
