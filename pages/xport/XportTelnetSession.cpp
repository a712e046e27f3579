// The telnet half of the XPort configuration page: the module's set-up menu on TCP 9999 is
// answered by the rules of xport/TelnetDialogue.h, one step per received segment of text.

#include <QCoreApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTableWidget>
#include <QTextCursor>
#include <QTextEdit>

#include "app/FormKit.h"
#include "host/WaitClock.h"
#include "pages/xport/TXportConfigForm.h"
#include "xport/TelnetDialogue.h"
#include "xport/XportDatagrams.h"
#include "xport/net/TelnetClient.h"

namespace {
constexpr int kConnectTimeoutMs = 5000;
constexpr int kDialogueTimeoutMs = 20000;
constexpr int kClosingPauseMs = 250;
constexpr int kSettingPrompts = 15;
}  // namespace

void TXportConfigForm::StartTelnetSession() {
    ProgressBar->setValue(0);
    ProgressBar->setMaximum(kSettingPrompts);
    TelnetMemo->clear();
    menuChosen_ = false;
    telnetText_.clear();
    state_ = TelnetConnecting;
    Telnet->SetHost(GridCell(0, SelectedGridRow()));
    Telnet->SetPort(xport::kTelnetSetupPort);
    Telnet->Connect(waits::Ms(kConnectTimeoutMs));
}

void TXportConfigForm::TelnetConnect() {
    if (shutDown_) {
        return;
    }
    state_ = TelnetSession;
    TelnetTimer.setInterval(waits::Ms(kDialogueTimeoutMs));
    TelnetTimer.start();
}

void TXportConfigForm::TelnetDataAvailable(const QByteArray& text) {
    if (shutDown_) {
        return;
    }
    for (const xport::TelnetSegment& segment : xport::SplitTelnetSegments(
             std::string_view(text.constData(), static_cast<std::size_t>(text.size())))) {
        AppendTranscript(segment.text, segment.endedAtCr);
        telnetText_ += segment.text;
        PostShellMessage(this, WM_TELNET_STEP);
    }
}

void TXportConfigForm::AppendTranscript(const std::string& segment, bool endedAtCr) {
    QTextCursor cursor(TelnetMemo->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(FromAnsi(segment));
    if (endedAtCr) {
        cursor.insertText(QStringLiteral("\n"));
    }
}

void TXportConfigForm::RunTelnetStep() {
    if ((state_ != TelnetSession && state_ != TelnetConnecting) || ClosingTimer.isActive()) {
        return;  // the dialogue has ended; late text changes nothing
    }
    const xport::TelnetStep step = xport::DecideTelnetStep(telnetText_, menuChosen_);
    if (step.rule == xport::TelnetStep::Rule::None) {
        return;
    }
    if (step.chooseMenu) {
        menuChosen_ = true;
    }
    for (const char c : step.keys) {
        Telnet->SendCharacter(c);
    }
    Telnet->Flush();
    if (step.clearText) {
        telnetText_.clear();
    }
    if (step.stepProgress) {
        ProgressBar->setValue(std::min(ProgressBar->value() + 1, ProgressBar->maximum()));
    }
    if (step.close) {
        TelnetTimer.stop();
        // The module stores its settings when it reads the 9; give it a moment first. Its
        // last words still reach the transcript meanwhile, and no rule answers them.
        ClosingTimer.start(waits::Ms(kClosingPauseMs));
    }
}

void TXportConfigForm::ClosingTimerTimer() {
    if (shutDown_) {
        return;
    }
    Telnet->Disconnect();
    ReportComplete();
    ProgressBar->setValue(ProgressBar->maximum());
}

void TXportConfigForm::TelnetTimerTimer() {
    TelnetTimer.stop();
    if (!shutDown_) {
        ReportConfigurationError();
    }
}

void TXportConfigForm::ReportConfigurationError() {
    if (Telnet->IsConnected()) {
        Telnet->Disconnect();
    }
    ProgressLabel->setText(tr("Configuration error."));
    MakeSocketInactive();
    state_ = Done;
    ShowInfo(tr("Unable to connect to the printer to change its communications settings.\n\n") +
             tr("This may be due to an incorrect IP address, invalid Telnet port number, or the "
                "printer may be malfunctioning.\n\n") +
             tr("The printer is not fully configured and may not be able to communicate with the "
                "Producer software.\n\n") +
             tr("Click Next to continue, or Back to retry.\n"));
    EnableNext();
    EnableBack();
}
