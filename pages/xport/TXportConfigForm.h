#pragma once
// The XPort configuration page: finds the printers on the LAN by their XPort modules, lets
// the user pick one, gives it an IP address (DHCP or static) and then sets its serial side
// over the module's telnet set-up menu. The Ethernet page hosts it over its "Xport" sheet and
// passes Next on to it; it drives the shell's buttons through the Ethernet page.
//
// A small state machine, stepped by a 100 ms timer, by datagrams, by telnet events and by
// Next. The telnet half is in XportTelnetSession.cpp.

#include <QByteArray>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <string>

#include "app/TChildForm.h"
#include "host/Network.h"
#include "xport/TelnetDialogue.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QStackedWidget;
class QTableWidget;
class QTextEdit;
class QUdpSocket;
class TelnetClient;

class TXportConfigForm : public TChildForm {
    Q_OBJECT
public:
    enum StateNumber {
        Idle = 0,
        Searching = 1,
        Rechecking = 2,
        ChoosePrinter = 3,
        EnterAddress = 4,
        SetupSent = 5,
        IpSetupSent = 6,
        Restarting = 8,
        TelnetConnecting = 9,
        TelnetSession = 10,
        Done = 11,
    };

    explicit TXportConfigForm(QWidget* owner);
    ~TXportConfigForm() override;

    void Back() override;
    void Next() override;
    void Activate() override;
    void SetDhcpMode(bool useDhcp);
    bool IsDone() const;

    int State() const { return state_; }
    int RetryCount() const { return retryCount_; }
    QString SelectedMac() const { return selectedMac_; }

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // The layout: the progress line, the list of printers, the note on red addresses and
    // the three sheets of PageControl.
    void BuildProgress();
    void BuildEtherIpGrid();
    void BuildUnreachableMemo();
    void BuildInfoTab();
    void BuildQueryTab();
    void BuildTelnetTab();

    // Search and set-up.
    void StartSearch(int targetState);
    void StartStateTimer(int seconds);
    void StateTimerTimer();
    void HandleStateTimeout();
    void ShowSearchResult();
    void ChooseAddressing();
    void IpAddressEditExit();
    void AcceptStaticValues();
    void ConfigureSelected();
    void ContinueAfterRecheck();
    void ReportComplete();

    // Datagrams.
    void MakeSocketActive();
    void MakeSocketInactive();
    void SendDatagram(const QByteArray& datagram, const std::string& destination);
    void SendQuery();
    void SendSetupRecord(const std::string& destination);
    void SendIpSetup();
    void ReadPendingDatagrams();
    void IdUDPServerUDPRead(const QByteArray& datagram, const QString& source);

    // Telnet (XportTelnetSession.cpp).
    void StartTelnetSession();
    void TelnetConnect();
    void TelnetDataAvailable(const QByteArray& text);
    void RunTelnetStep();
    void TelnetQuietTimerTimer();
    void AnswerTelnetStep(const xport::TelnetStep& step);
    void TelnetTimerTimer();
    void ClosingTimerTimer();
    void ReportConfigurationError();
    void AppendTranscript(std::string text, int lineEnds);

    // Stops every timer, the socket and the telnet connection; later events are ignored.
    void Shutdown();

    // The grid, counted as the form counts it: row 0 is the header, printers from row 1.
    int GridRowCount() const;
    QString GridCell(int column, int row) const;
    void SetGridCell(int column, int row, const QString& text);
    void SetGridRowCount(int rows);
    int SelectedGridRow() const;
    void SelectGridRow(int row);
    // The first row from row 1 down whose MAC cell is selectedMac_, or 1.
    int SelectedMacRow() const;
    void MarkUnreachable(int row, bool unreachable);
    void ShowInfo(const QString& text);

    QLabel* ProgressLabel;
    QProgressBar* ProgressBar;
    QTableWidget* EtherIpGrid;
    QPlainTextEdit* UnreachableMemo;
    QStackedWidget* PageControl;
    QWidget* InfoTab;
    QTextEdit* InfoRichEdit;
    QWidget* QueryTab;
    QLineEdit* IpAddressEdit;
    QLineEdit* SubnetMaskEdit;
    QLineEdit* DefaultGatewayEdit;
    QWidget* TelnetTab;
    QPlainTextEdit* TelnetMemo;
    QTimer StateTimer;
    QUdpSocket* IdUDPServer;
    TelnetClient* Telnet;
    QTimer TelnetTimer;
    QTimer TelnetQuietTimer;  // the module has said its prompt whole and waits for the answer
    QTimer ClosingTimer;      // the pause between "9" and the disconnect

    int state_ = Idle;
    int retryCount_ = 0;
    bool useDhcp_ = false;
    AddressValue localAddress_ = 0;
    AddressValue localMask_ = 0;
    AddressValue newAddress_ = 0;
    AddressValue newMask_ = 0;
    AddressValue newGateway_ = 0;
    QString selectedMac_;
    xport::DialogueText telnetText_;
    bool menuChosen_ = false;
    unsigned telnetReads_ = 0;     // reads that brought text, to tell whether more came
    int transcriptLineChars_ = 0;  // what the transcript's last line holds
    bool shutDown_ = false;
};

// The page while the Ethernet page shows it; null otherwise.
// The page while it exists; it clears itself when the page goes.
extern QPointer<TXportConfigForm> XportConfigForm;
