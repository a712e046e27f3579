#include "pages/license/TLicenseForm.h"

#include <QFileInfo>
#include <QPlainTextEdit>
#include <QRadioButton>

#include "app/FormKit.h"
#include "pages/license/LicenseFile.h"

QPointer<TLicenseForm> LicenseForm;

TLicenseForm::TLicenseForm(QWidget* owner) : TChildForm(owner) {
    QWidget* panel = ClientPanel();

    licenseText_ = new QPlainTextEdit(panel);
    licenseText_->setObjectName(QStringLiteral("LicenseText"));
    licenseText_->setGeometry(48, 24, 513, 313);
    licenseText_->setFont(ArialFont(13));
    licenseText_->setReadOnly(true);
    licenseText_->setLineWrapMode(QPlainTextEdit::NoWrap);
    licenseText_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    licenseText_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The page shows no title: the text is named after its file.
    licenseText_->setAccessibleName(
        QFileInfo(QString::fromLatin1(kLicenseFileName)).completeBaseName());

    acceptRadioButton_ = MakeRadioButton(panel, "AcceptRadioButton",
                                         tr("I accept the terms of the license agreement"),
                                         QRect(48, 352, 497, 17), FormFont(11));
    declineRadioButton_ = MakeRadioButton(panel, "DeclineRadioButton",
                                          tr("I do not accept the terms of the license agreement"),
                                          QRect(48, 376, 497, 17), FormFont(11));
    declineRadioButton_->setChecked(true);

    OnChosen(acceptRadioButton_, this, [this] { EnableNext(); });
    OnChosen(declineRadioButton_, this, [this] { DisableNext(); });
}

QWidget* TLicenseForm::FirstControl() const {
    return licenseText_;
}

void TLicenseForm::LoadLicenseText() {
    licenseText_->setPlainText(ReadLicenseText(QString::fromLatin1(kLicenseFileName)));
}

void TLicenseForm::Back() {}

void TLicenseForm::Next() {
    Post(WM_SHOW_CONNECT_FORM);
}

void TLicenseForm::Activate() {
    // Reloaded on every arrival; a missing file stops here, before the buttons change.
    LoadLicenseText();
    DisableBack();
    DisableNext();
}
