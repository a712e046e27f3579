#pragma once
// The Ethernet road's test set-up: a private loopback subnet for one test process (so that
// parallel runs never meet), the network seam aimed at it, and the walk to the Xport sheet.

#include <QString>

class Sandbox;
class Wizard;

class LoopbackLan {
public:
    // 127.A.B.0/24, with A and B taken from the process id.
    LoopbackLan();
    // An address of this subnet ("127.A.B.host"), or of the next one when `offSubnet`.
    QString Address(int host, bool offSubnet = false) const;
    QString Pc() const { return Address(1); }
    // Aims the wizard's adapter list, query address and protocol port at this subnet.
    void Apply(Sandbox& sandbox, quint16 protocolPort) const;

private:
    int a_;
    int b_;
};

// Welcome -> licence -> connection choice "Ethernet" -> Intro1 -> Intro2 (the addressing
// chosen) -> the Xport sheet, where the search starts.
void WalkToXportSheet(Wizard& wizard, bool dhcp);
