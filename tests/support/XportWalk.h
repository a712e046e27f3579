#pragma once
// The Ethernet road's test set-up: a private loopback subnet for one test process (so that
// parallel runs never meet), the network seam aimed at it, and the walk to the Xport sheet.

#include <QString>

class Sandbox;

// How much faster than real time the Xport sheet's waits run in these tests. Its search and
// recheck windows are where a separate process (the module simulator) must answer: at 10 times
// they last 300 ms, which a loaded two-core machine still meets; at 25 (120 ms) it did not.
inline constexpr int kXportSpeedup = 10;
// Far beyond a whole configuration course (search, set-up, restart, recheck, telnet) at that
// speed, so that only a course that stalls runs into it.
inline constexpr int kXportCourseMs = 30000;
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

// The search is over and the printer choice waits for the user: the state is reached and the
// shell has enabled Next. The page enables Next by a posted message, after it changes its state,
// so a test that clicks on the state alone can click a Next that is still disabled.
bool ChoosingPrinter(const Wizard& wizard);
