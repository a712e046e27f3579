#include "tests/support/Wizard.h"

#include <QTest>

#include "installer/WizardPages.h"
#include "tests/support/Sandbox.h"

Wizard::Wizard(const QStringList& arguments) : shell_(CreateWizard(arguments)) {
    shell_->show();
    Settle();
}

Wizard::~Wizard() = default;

void Wizard::next() {
    QTest::mouseClick(shell_->NextButton(), Qt::LeftButton);
    Settle();
}

void Wizard::back() {
    QTest::mouseClick(shell_->BackButton(), Qt::LeftButton);
    Settle();
}
