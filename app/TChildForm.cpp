#include "app/TChildForm.h"

#include <QPalette>
#include <QVBoxLayout>

#include "app/Dialogs.h"

TChildForm::TChildForm(QWidget* owner) : QWidget(owner), clientPanel_(new QWidget(this)) {
    // A page is a borderless child of its host; a page without a host has nobody to post to.
    if (!owner) {
        ShowPlainMessage(tr("No Cast in ChildForm CreateParams"));
    }
    setVisible(false);
    setGeometry(0, 0, 622, 431);

    clientPanel_->setObjectName(QStringLiteral("ClientPanel"));
    clientPanel_->setAutoFillBackground(true);
    QPalette pal = clientPanel_->palette();
    pal.setColor(QPalette::Window, Qt::white);
    clientPanel_->setPalette(pal);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(clientPanel_);
}

void TChildForm::EnableBack() {
    Post(WM_ENABLE_BACK);
}
void TChildForm::EnableNext() {
    Post(WM_ENABLE_NEXT);
}
void TChildForm::DisableBack() {
    Post(WM_DISABLE_BACK);
}
void TChildForm::DisableNext() {
    Post(WM_DISABLE_NEXT);
}

void TChildForm::Post(ShellMessage message) {
    PostShellMessage(parentWidget(), message);
}

void TChildForm::Post(ShellMessage message, const QString& portName) {
    PostShellMessage(parentWidget(), message, portName);
}
