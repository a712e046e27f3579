#include "pages/finished/ContactLines.h"

#include <QLabel>

#include "app/FormKit.h"
#include "host/BrandingStore.h"

namespace {

void ApplyContactLine(const char* key, QLabel* caption, QLabel* value) {
    const QString text = FromAnsi(BrandingStore::Instance().GetString(key));
    if (text.isEmpty()) {
        caption->hide();
        value->hide();
        return;
    }
    value->setText(text);
    value->adjustSize();
}

}  // namespace

void ApplyContactLines(const ContactLabels& labels) {
    ApplyContactLine("AboutCompanyPhone", labels.phoneLabel, labels.phoneNumber);
    ApplyContactLine("AboutCompanySupportURL", labels.webLabel, labels.webAddress);
    ApplyContactLine("AboutCompanySupportEmail", labels.emailLabel, labels.emailAddress);
}
