#include "tests/support/XportWalk.h"

#include <unistd.h>

#include "pages/xport/TXportConfigForm.h"
#include "tests/support/Sandbox.h"
#include "tests/support/Walk.h"
#include "tests/support/Wizard.h"

LoopbackLan::LoopbackLan() {
    const int pid = static_cast<int>(::getpid());
    a_ = 100 + pid % 100;
    b_ = 1 + (pid / 100) % 200;
}

QString LoopbackLan::Address(int host, bool offSubnet) const {
    return QStringLiteral("127.%1.%2.%3").arg(a_).arg(b_ + (offSubnet ? 1 : 0)).arg(host);
}

void LoopbackLan::Apply(Sandbox& sandbox, quint16 protocolPort) const {
    sandbox.setEnv("VORMATIC_NETWORK_ADAPTERS", (Pc() + QStringLiteral("/255.255.255.0")).toUtf8());
    sandbox.setEnv("VORMATIC_XPORT_QUERY_ADDRESS", Address(255).toUtf8());
    sandbox.setEnv("VORMATIC_XPORT_PORT", QByteArray::number(protocolPort));
}

void WalkToXportSheet(Wizard& wizard, bool dhcp) {
    wizard.next();  // Welcome -> licence
    ClickNamed(wizard, "AcceptRadioButton");
    wizard.next();  // -> connection choice
    ClickNamed(wizard, "EtherRadioButton");
    wizard.next();  // -> Ethernet, Intro1
    wizard.next();  // -> Intro2
    ClickNamed(wizard, dhcp ? "EtherDynamicRadioButton" : "EtherStaticRadioButton");
    wizard.next();  // -> Xport: the search starts
}

bool ChoosingPrinter(const Wizard& wizard) {
    return XportConfigForm && XportConfigForm->State() == TXportConfigForm::ChoosePrinter &&
           wizard.nextEnabled();
}
