#include "pages/about/TAboutBox.h"

#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QPushButton>

#include "app/Dialogs.h"
#include "app/FormKit.h"
#include "app/Launch.h"
#include "host/BrandingStore.h"
#include "host/Version.h"
#include "pages/art/Art.h"
#include "pages/finished/ContactLines.h"

QPointer<TAboutBox> AboutBox;

TAboutBox::TAboutBox(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(tr("About"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(298, 308);
    setFont(FormFont(11));

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(1);
    panel->setGeometry(8, 8, 281, 257);
    const QFont font = FormFont(11);

    programIcon_ = MakeImage(panel, "ProgramIcon", art::ProgramIcon(), QRect(16, 16, 33, 41));
    programIcon_->setScaledContents(true);

    auto* company = new QLabel(panel);
    company->setObjectName(QStringLiteral("CompanyLabel"));
    company->setTextFormat(Qt::PlainText);
    company->setText(FromAnsi(BrandingStore::Instance().GetString("CompanyNameLong")));
    company->setFont(ArialFont(19, true));
    company->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    company->setGeometry(64, 16, 209, 22);
    QPalette pal = company->palette();
    pal.setColor(QPalette::WindowText, Qt::black);
    company->setPalette(pal);

    MakeLabel(panel, "ProductName", tr("Vormatic®  Installer"), 96, 40, ArialFont(13, true));
    MakeLabel(panel, "Version", tr("Version %1").arg(QString::fromLatin1(kProductVersion)), 128, 72,
              font);

    MakeLabel(panel, "Label1", tr("Tech Support"), 24, 136, font);
    QLabel* phoneLabel = MakeLabel(panel, "PhoneLabel", tr("Phone:"), 40, 152, font);
    QLabel* phoneNumber = MakeLabel(panel, "PhoneNumber", QString(), 80, 152, font);
    QLabel* webLabel = MakeLabel(panel, "WebLabel", tr("Web   :"), 40, 168, font);
    webAddress_ = MakeLabel(panel, "WebAddress", QString(), 80, 168, font);
    QLabel* emailLabel = MakeLabel(panel, "EmailLabel", tr("Email  :"), 40, 184, font);
    // The e-mail address is shown for reading only; the finished page offers the mail client.
    QLabel* emailAddress = MakeLabel(panel, "EmailAddress", QString(), 80, 184, font);
    StyleAsLink(webAddress_);
    MakeClickable(webAddress_, [this] { WebAddressClick(); });

    MakeLabel(panel, "Copyright",
              tr("Copyright © 2026 Quorvanta Corporation. All rights reserved."), 8, 229,
              ArialFont(9));
    MakeLabel(panel, "Trademark",
              tr("Vormatic is a registered trademark of Quorvanta Corporation."), 8, 240,
              ArialFont(9));

    QPushButton* ok = MakeButton(this, "OKButton", tr("OK"), QRect(112, 272, 75, 25), font);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    ApplyContactLines({phoneLabel, phoneNumber, webLabel, webAddress_, emailLabel, emailAddress});
    ApplyLogoBitmap();
}

void TAboutBox::ApplyLogoBitmap() {
    const QString path = FromAnsi(BrandingStore::Instance().LogoBitmapPath());
    if (path.isEmpty()) {
        return;
    }
    // The reseller's logo is wider than the icon: it gets a 62 x 26 box further left. A logo
    // that cannot be loaded leaves the icon as it was, rather than squeezed into that box.
    const QRect iconBox = programIcon_->geometry();
    programIcon_->setGeometry(5, iconBox.top(), 62, 26);
    if (!LoadPictureFile(programIcon_, path, true)) {
        programIcon_->setGeometry(iconBox);
    }
}

void TAboutBox::WebAddressClick() {
    const QString error = OpenWebAddress(webAddress_->text());
    if (!error.isEmpty()) {
        ShowErrorMessageBang(error);
    }
}
