// The telnet half of the XPort configuration page: the module's set-up menu on TCP 9999 is
// answered by the rules of xport/TelnetDialogue.h.
//
// A module, or a router on the way, may cut a prompt anywhere: "Your choice ?" can come a
// moment before its final blank, and a module may write one byte at a time. A rule that
// matches the first piece is not yet the rule that matches the whole prompt, and the rest of
// a prompt answered too early (" (00:00) ?" after "DisConnTime") would be taken for the next
// question. So an answer waits until the module has gone quiet for kPromptQuietMs: a module
// says its prompt and then waits for the answer, so a quiet line means a whole prompt. The
// rules then decide on exactly the text they would have seen had the prompt come in one piece.
//
// What a module sends is bounded on the way in: the dialogue text keeps only what its rules
// can still match, the transcript its last lines, and each read (at most the client's read
// batch) posts at most one step, so a flood neither grows memory nor stalls the window.

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
// Far longer than the gaps between the pieces of one prompt on a LAN (a few milliseconds),
// far shorter than the dialogue's time-out: about 18 prompts cost under 3 of its 20 seconds.
constexpr int kPromptQuietMs = 150;
constexpr int kTranscriptLines = 500;
constexpr int kTranscriptLineChars = 1000;  // the rest of a longer line is left out
}  // namespace

void TXportConfigForm::StartTelnetSession() {
    ProgressBar->setValue(0);
    ProgressBar->setMaximum(kSettingPrompts);
    TelnetMemo->clear();
    TelnetMemo->setMaximumBlockCount(kTranscriptLines);
    transcriptLineChars_ = 0;
    menuChosen_ = false;
    telnetText_.Clear();
    TelnetQuietTimer.stop();
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
    std::string transcript;
    int lineEnds = 0;
    int lineChars = transcriptLineChars_;
    bool any = false;
    xport::ForEachTelnetSegment(
        std::string_view(text.constData(), static_cast<std::size_t>(text.size())),
        [&](std::string_view segment, bool endedAtCr) {
            any = true;
            telnetText_.Append(segment);
            const auto room = static_cast<std::size_t>(kTranscriptLineChars - lineChars);
            const std::string_view kept = segment.substr(0, room);
            transcript.append(kept);
            lineChars += static_cast<int>(kept.size());
            if (endedAtCr) {
                transcript += '\n';
                lineChars = 0;
                ++lineEnds;
            }
        });
    if (!any) {
        return;
    }
    ++telnetReads_;
    AppendTranscript(std::move(transcript), lineEnds);
    transcriptLineChars_ = lineChars;
    PostShellMessage(this, WM_TELNET_STEP);
}

void TXportConfigForm::AppendTranscript(std::string text, int lineEnds) {
    if (lineEnds >= kTranscriptLines) {
        // Everything before this read's last lines would be dropped at once: drop it here.
        std::size_t from = 0;
        for (int skip = lineEnds - kTranscriptLines + 1; skip > 0; --skip) {
            from = text.find('\n', from) + 1;
        }
        text.erase(0, from);
        TelnetMemo->clear();
    }
    QTextCursor cursor(TelnetMemo->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(FromAnsi(text));
}

void TXportConfigForm::RunTelnetStep() {
    if ((state_ != TelnetSession && state_ != TelnetConnecting) || ClosingTimer.isActive()) {
        return;  // the dialogue has ended; late text changes nothing
    }
    if (telnetText_.Decide(menuChosen_).rule != xport::TelnetStep::Rule::None) {
        TelnetQuietTimer.start(waits::Ms(kPromptQuietMs));  // restarted by every further read
    }
}

void TXportConfigForm::TelnetQuietTimerTimer() {
    if (shutDown_ || (state_ != TelnetSession && state_ != TelnetConnecting)) {
        return;
    }
    // What has already arrived counts before the line is taken for quiet; a read here posts
    // its own step, which waits again.
    const unsigned reads = telnetReads_;
    Telnet->ReadPending();
    if (telnetReads_ == reads) {
        AnswerTelnetStep(telnetText_.Decide(menuChosen_));
    }
}

void TXportConfigForm::AnswerTelnetStep(const xport::TelnetStep& step) {
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
        telnetText_.Clear();
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
    TelnetQuietTimer.stop();
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
