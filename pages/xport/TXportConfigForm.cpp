#include "pages/xport/TXportConfigForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkDatagram>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTextEdit>
#include <QUdpSocket>
#include <QtEndian>
#include <cstddef>
#include <iterator>
#include <stdexcept>

#include "app/Accessible.h"
#include "app/Dialogs.h"
#include "app/FormKit.h"
#include "host/WaitClock.h"
#include "xport/XportDatagrams.h"
#include "xport/net/TelnetClient.h"

QPointer<TXportConfigForm> XportConfigForm;

namespace {

constexpr int kTickMs = 100;
constexpr int kSearchSeconds = 3;
constexpr int kIpSetupSeconds = 10;
constexpr int kRestartSeconds = 15;
constexpr int kMaxAttempts = 10;
// A flood of datagrams is read in bounded batches, and the list stops growing at this size,
// so that no sender can stall the page or fill the memory.
constexpr int kDatagramBatch = 64;
constexpr int kMaxGridRows = 256;

QHostAddress ToHostAddress(AddressValue value) {
    return QHostAddress(qFromBigEndian(value));
}

QPalette WithText(QPalette palette, const QColor& colour) {
    palette.setColor(QPalette::Text, colour);
    palette.setColor(QPalette::WindowText, colour);
    return palette;
}

}  // namespace

TXportConfigForm::TXportConfigForm(QWidget* owner)
    : TChildForm(owner), IdUDPServer(new QUdpSocket(this)), Telnet(new TelnetClient(this)) {
    setObjectName(QStringLiteral("XportConfigForm"));
    resize(441, 323);
    ClientPanel()->setFont(FormFont(11));
    BuildProgress();
    BuildEtherIpGrid();
    BuildUnreachableMemo();
    // Three sheets without tabs; the page chooses the one shown.
    PageControl = new QStackedWidget(ClientPanel());
    PageControl->setObjectName(QStringLiteral("PageControl"));
    PageControl->setGeometry(16, 142, 409, 179);
    BuildInfoTab();
    BuildQueryTab();
    BuildTelnetTab();
    PageControl->setCurrentWidget(InfoTab);

    StateTimer.setTimerType(Qt::PreciseTimer);
    connect(&StateTimer, &QTimer::timeout, this, [this] { StateTimerTimer(); });
    TelnetTimer.setSingleShot(true);
    TelnetTimer.setTimerType(Qt::PreciseTimer);  // a coarse timer may end 20 s a second early
    connect(&TelnetTimer, &QTimer::timeout, this, [this] { TelnetTimerTimer(); });
    TelnetQuietTimer.setSingleShot(true);
    connect(&TelnetQuietTimer, &QTimer::timeout, this, [this] { TelnetQuietTimerTimer(); });
    ClosingTimer.setSingleShot(true);
    connect(&ClosingTimer, &QTimer::timeout, this, [this] { ClosingTimerTimer(); });
    IdUDPServer->setObjectName(QStringLiteral("IdUDPServer"));
    connect(IdUDPServer, &QUdpSocket::readyRead, this, [this] { ReadPendingDatagrams(); });
    Telnet->setObjectName(QStringLiteral("Telnet"));
    connect(Telnet, &TelnetClient::Connected, this, [this] { TelnetConnect(); });
    connect(Telnet, &TelnetClient::ConnectFailed, this, [this] {
        if (!shutDown_) {
            ReportConfigurationError();
        }
    });
    connect(Telnet, &TelnetClient::DataAvailable, this,
            [this](const QByteArray& text) { TelnetDataAvailable(text); });

    GetLocalAddress(localAddress_, localMask_);
}

void TXportConfigForm::BuildProgress() {
    QWidget* panel = ClientPanel();
    const QFont font = FormFont(11);
    ProgressLabel =
        MakeWrappedLabel(panel, "ProgressLabel", tr("Progress..."), QRect(16, 3, 417, 17), font);
    ProgressBar = new QProgressBar(panel);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setGeometry(16, 24, 297, 16);
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    ProgressBar->setTextVisible(false);
    ProgressBar->setAccessibleName(tr("Progress"));
}

void TXportConfigForm::BuildEtherIpGrid() {
    QWidget* panel = ClientPanel();
    const QFont font = FormFont(11);
    EtherIpGrid = new QTableWidget(1, 2, panel);
    EtherIpGrid->setObjectName(QStringLiteral("EtherIpGrid"));
    EtherIpGrid->setGeometry(16, 40, 297, 97);
    EtherIpGrid->setFont(font);
    EtherIpGrid->setColumnWidth(0, 137);
    EtherIpGrid->setColumnWidth(1, 132);
    EtherIpGrid->verticalHeader()->hide();
    EtherIpGrid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    EtherIpGrid->horizontalHeader()->setHighlightSections(false);
    EtherIpGrid->verticalHeader()->setDefaultSectionSize(18);
    EtherIpGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    EtherIpGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    EtherIpGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    EtherIpGrid->setShowGrid(true);
    EtherIpGrid->setTabKeyNavigation(false);
    EtherIpGrid->setHorizontalHeaderLabels({tr("IP Address"), tr("MAC Address")});
    EtherIpGrid->setAccessibleName(tr("Printers on the LAN"));
    // The grid is disabled once a printer is chosen, so that the choice stays fixed; it keeps
    // its look, the header and the highlighted row above all, as the list of the result.
    QPalette gridPalette = EtherIpGrid->palette();
    for (const QPalette::ColorRole role :
         {QPalette::Highlight, QPalette::HighlightedText, QPalette::Text, QPalette::WindowText,
          QPalette::ButtonText}) {
        gridPalette.setColor(QPalette::Disabled, role, gridPalette.color(QPalette::Active, role));
    }
    EtherIpGrid->setPalette(gridPalette);
}

void TXportConfigForm::BuildUnreachableMemo() {
    QWidget* panel = ClientPanel();
    const QFont font = FormFont(11);
    UnreachableMemo = new QPlainTextEdit(panel);
    UnreachableMemo->setObjectName(QStringLiteral("UnreachableMemo"));
    // A little wider than the form has it: the substitute font runs wider than MS Sans Serif.
    UnreachableMemo->setGeometry(320, 72, 121, 65);
    UnreachableMemo->setFrameShape(QFrame::NoFrame);
    UnreachableMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
    UnreachableMemo->setReadOnly(true);
    UnreachableMemo->setFocusPolicy(Qt::NoFocus);
    UnreachableMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    UnreachableMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    UnreachableMemo->setFont(font);
    UnreachableMemo->setPalette(WithText(UnreachableMemo->palette(), Qt::red));
    UnreachableMemo->document()->setDocumentMargin(0);
    UnreachableMemo->setPlainText(
        tr("Red indicates the IP \naddress is not on this \nPC's "
           "subnet and is thus \nunreachable on this \nLAN."));
    UnreachableMemo->setAccessibleName(tr("Note"));
    UnreachableMemo->hide();
}

void TXportConfigForm::BuildInfoTab() {
    const QFont font = FormFont(11);
    InfoTab = new QWidget;
    InfoTab->setObjectName(QStringLiteral("InfoTab"));
    InfoRichEdit = new QTextEdit(InfoTab);
    InfoRichEdit->setObjectName(QStringLiteral("InfoRichEdit"));
    InfoRichEdit->setGeometry(0, 0, 409, 179);
    InfoRichEdit->setReadOnly(true);
    InfoRichEdit->setAcceptRichText(false);
    InfoRichEdit->setFrameShape(QFrame::NoFrame);
    InfoRichEdit->setFocusPolicy(Qt::NoFocus);
    InfoRichEdit->setFont(font);
    InfoRichEdit->setAccessibleName(tr("Information"));
    PageControl->addWidget(InfoTab);
}

void TXportConfigForm::BuildQueryTab() {
    const QFont font = FormFont(11);
    QueryTab = new QWidget;
    QueryTab->setObjectName(QStringLiteral("QueryTab"));
    const auto field = [&](const char* labelName, const QString& caption, const char* editName,
                           int top) {
        QLabel* label = MakeLabel(QueryTab, labelName, caption, 8, top + 3, font);
        auto* edit = new QLineEdit(QStringLiteral("0.0.0.0"), QueryTab);
        edit->setObjectName(QString::fromLatin1(editName));
        edit->setFont(font);
        edit->setGeometry(112, top, 121, 21);
        LinkLabel(label, edit);
        return edit;
    };
    IpAddressEdit = field("IpAddressLabel", tr("IP address :"), "IpAddressEdit", 8);
    SubnetMaskEdit = field("SubnetMaskLabel", tr("Subnet mask :"), "SubnetMaskEdit", 36);
    DefaultGatewayEdit =
        field("DefaultGatewayLabel", tr("Default gateway :"), "DefaultGatewayEdit", 64);
    MakeLabel(QueryTab, "QueryHintLabel", tr("Enter the values and click Next when done."), 8, 100,
              font);
    setTabOrder(IpAddressEdit, SubnetMaskEdit);
    setTabOrder(SubnetMaskEdit, DefaultGatewayEdit);
    IpAddressEdit->installEventFilter(this);
    PageControl->addWidget(QueryTab);
}

void TXportConfigForm::BuildTelnetTab() {
    const QFont font = FormFont(11);
    TelnetTab = new QWidget;
    TelnetTab->setObjectName(QStringLiteral("TelnetTab"));
    TelnetMemo = new QPlainTextEdit(TelnetTab);
    TelnetMemo->setObjectName(QStringLiteral("TelnetMemo"));
    TelnetMemo->setGeometry(0, 0, 409, 179);
    TelnetMemo->setReadOnly(true);
    TelnetMemo->setFont(font);
    TelnetMemo->setAccessibleName(tr("Telnet session"));
    PageControl->addWidget(TelnetTab);
}

TXportConfigForm::~TXportConfigForm() {
    Shutdown();
}

void TXportConfigForm::SetDhcpMode(bool useDhcp) {
    useDhcp_ = useDhcp;
}

bool TXportConfigForm::IsDone() const {
    return state_ == Done;
}

void TXportConfigForm::Back() {
    // The Ethernet page handles Back on the Xport sheet itself.
}

void TXportConfigForm::Activate() {
    shutDown_ = false;
    PageControl->setCurrentWidget(InfoTab);
    InfoRichEdit->clear();
    ProgressBar->setValue(0);
    ProgressLabel->clear();
    UnreachableMemo->setAccessibleName(tr("Note"));
    UnreachableMemo->hide();
    EtherIpGrid->setEnabled(true);
    state_ = Idle;
    DisableNext();
    DisableBack();
    StartSearch(Searching);
}

void TXportConfigForm::Next() {
    if (shutDown_) {
        return;
    }
    if (state_ == ChoosePrinter) {
        ChooseAddressing();
    } else if (state_ == EnterAddress) {
        AcceptStaticValues();
    }
}

void TXportConfigForm::StartSearch(int targetState) {
    SetGridRowCount(2);
    SetGridCell(0, 1, QString());
    SetGridCell(1, 1, QString());
    SelectGridRow(1);
    ProgressLabel->setText(tr("Searching for printers on the LAN..."));
    ShowInfo(tr("Please wait..."));
    StartStateTimer(kSearchSeconds);
    state_ = targetState;
    MakeSocketActive();
    SendQuery();
}

void TXportConfigForm::StartStateTimer(int seconds) {
    StateTimer.stop();
    ProgressBar->setValue(0);
    ProgressBar->setMaximum(seconds * 1000 / kTickMs);
    StateTimer.setInterval(waits::Ms(kTickMs));
    StateTimer.start();
}

void TXportConfigForm::StateTimerTimer() {
    if (shutDown_) {
        return;
    }
    ProgressBar->setValue(ProgressBar->value() + 1);
    if (ProgressBar->value() >= ProgressBar->maximum()) {
        StateTimer.stop();
        HandleStateTimeout();
    }
}

void TXportConfigForm::HandleStateTimeout() {
    switch (state_) {
        case Searching:
            ShowSearchResult();
            break;
        case Restarting:
            StartSearch(Rechecking);
            break;
        case Rechecking:
            ContinueAfterRecheck();
            break;
        case IpSetupSent:
            if (useDhcp_) {
                StartSearch(Rechecking);
            } else {
                InfoRichEdit->clear();
                PageControl->setCurrentWidget(InfoTab);
                SendSetupRecord(IpAddressEdit->text().toStdString());
            }
            break;
        case SetupSent:
            ++retryCount_;
            if (retryCount_ < kMaxAttempts) {
                ConfigureSelected();
            } else {
                InfoRichEdit->setPlainText(
                    tr("Unable to configure the printer's IP address. Try "
                       "disabling your PC's firewall."));
            }
            break;
        default:
            InfoRichEdit->setPlainText(tr("State timer timeout - Invalid state = ") +
                                       QString::number(state_));
            break;
    }
}

void TXportConfigForm::ShowSearchResult() {
    ProgressLabel->setText(tr("Search complete."));
    MakeSocketInactive();
    state_ = ChoosePrinter;
    QString text;
    if (GridRowCount() < 2 || GridCell(0, 1).isEmpty()) {
        text = tr("No Vormatic® printers were found on the LAN.\n\n") +
               tr("The installation cannot continue without knowing the printer's IP address.  ") +
               tr("Contact your network administrator for assistance.");
        DisableNext();
    } else {
        if (GridRowCount() == 2) {
            text = tr("This is the printer that was found on the LAN.  ") +
                   tr("Please make a note of the printer's IP address.\n\n");
            SelectGridRow(1);
        } else {
            text = tr("These are the printers that were found on the LAN.\n\n") +
                   tr("Select the printer you wish to use.  ") +
                   tr("If you are not sure which address to select, match the MAC address to the "
                      "address on the printer.\n\n");
        }
        text += tr("Click Next to configure the selected printer.");
        EnableNext();
    }
    ShowInfo(text);
    EnableBack();
}

void TXportConfigForm::ChooseAddressing() {
    EtherIpGrid->setEnabled(false);
    if (useDhcp_) {
        newAddress_ = 0;
        newMask_ = 0;
        newGateway_ = 0;
        DisableBack();
        DisableNext();
        retryCount_ = 0;
        ConfigureSelected();
        return;
    }
    state_ = EnterAddress;
    EnableBack();
    PageControl->setCurrentWidget(QueryTab);
    IpAddressEdit->setFocus();
    IpAddressEdit->selectAll();
}

void TXportConfigForm::IpAddressEditExit() {
    SubnetMaskEdit->setText(
        QString::fromStdString(DefaultSubnetMask(IpAddressEdit->text().toStdString())));
}

void TXportConfigForm::AcceptStaticValues() {
    const QString mask = SubnetMaskEdit->text().trimmed();
    if (mask.isEmpty() || mask == QStringLiteral("0.0.0.0")) {
        SubnetMaskEdit->setText(
            QString::fromStdString(DefaultSubnetMask(IpAddressEdit->text().toStdString())));
    }
    // A field that does not parse would go out as 255.255.255.255 and give the printer the
    // broadcast address: refuse it and let the user mend it; nothing is sent. A typed
    // 255.255.255.255 parses and goes out as typed.
    const struct {
        QLineEdit* edit;
        QString name;
        AddressValue* target;
    } fields[] = {{IpAddressEdit, tr("IP address"), &newAddress_},
                  {SubnetMaskEdit, tr("subnet mask"), &newMask_},
                  {DefaultGatewayEdit, tr("default gateway"), &newGateway_}};
    AddressValue values[3] = {};
    for (std::size_t i = 0; i < std::size(fields); ++i) {
        if (!TryParseAddress(fields[i].edit->text().toStdString(), values[i])) {
            ShowErrorMessage(tr("The %1 \"%2\" is not a valid address. Enter it as four numbers "
                                "from 0 to 255 separated by dots, such as 192.168.1.20.")
                                 .arg(fields[i].name, fields[i].edit->text()));
            fields[i].edit->setFocus();
            fields[i].edit->selectAll();
            return;
        }
    }
    for (std::size_t i = 0; i < std::size(fields); ++i) {
        *fields[i].target = values[i];
    }
    DisableNext();
    retryCount_ = 0;
    ConfigureSelected();
}

void TXportConfigForm::ConfigureSelected() {
    ProgressLabel->setText(tr("Configuring the printer..."));
    ShowInfo(tr("Please wait..."));
    const int row = SelectedGridRow();
    const QString address = GridCell(0, row);
    selectedMac_ = GridCell(1, row);
    if (IsOnLocalSubnet(ParseAddress(address.toStdString()), localAddress_, localMask_)) {
        SendSetupRecord(address.toStdString());
    } else {
        SendIpSetup();
    }
}

void TXportConfigForm::ContinueAfterRecheck() {
    // The printer just configured is the one with the MAC it had before; the first printer
    // to answer need not be it.
    if (GridCell(0, 1).isEmpty()) {
        // Nothing answered the second search: the printer did not come back.
        ReportConfigurationError();
        return;
    }
    SelectGridRow(SelectedMacRow());
    const QString address = GridCell(0, SelectedGridRow());
    if (IsOnLocalSubnet(ParseAddress(address.toStdString()), localAddress_, localMask_)) {
        ProgressLabel->setText(tr("Configuring the printer's COM port..."));
        ShowInfo(tr("Please wait..."));
        StartTelnetSession();
    } else {
        ReportComplete();
    }
}

void TXportConfigForm::ReportComplete() {
    ProgressLabel->setText(tr("Configuration complete."));
    MakeSocketInactive();
    state_ = Done;
    SelectGridRow(1);
    SelectGridRow(SelectedMacRow());
    ShowInfo(tr("The printer has been configured.\n\n") +
             tr("Its new IP address is highlighted above.  ") +
             tr("Please make a note of this address as it will be needed later to complete the "
                "installation. \n\n") +
             tr("Click Next to continue.\n"));
    EnableNext();
    EnableBack();
}

// --- Datagrams -----------------------------------------------------------------------------

void TXportConfigForm::MakeSocketActive() {
    if (IdUDPServer->state() == QAbstractSocket::BoundState) {
        return;
    }
    if (!IdUDPServer->bind(QHostAddress(QHostAddress::AnyIPv4), 0)) {
        throw std::runtime_error(IdUDPServer->errorString().toStdString());
    }
}

void TXportConfigForm::MakeSocketInactive() {
    IdUDPServer->close();
}

void TXportConfigForm::SendDatagram(const QByteArray& datagram, const std::string& destination) {
    const qint64 sent = IdUDPServer->writeDatagram(
        datagram, ToHostAddress(ParseAddress(destination)), XportProtocolPort());
    if (sent != datagram.size()) {
        // As the socket component would: the error reaches the top-level error report.
        throw std::runtime_error(IdUDPServer->errorString().toStdString());
    }
}

namespace {
template <typename Array>
QByteArray Bytes(const Array& datagram) {
    return QByteArray(reinterpret_cast<const char*>(datagram.data()),
                      static_cast<qsizetype>(datagram.size()));
}
}  // namespace

void TXportConfigForm::SendQuery() {
    SendDatagram(Bytes(xport::BuildQuery()), XportQueryAddress());
}

void TXportConfigForm::SendSetupRecord(const std::string& destination) {
    StartStateTimer(kSearchSeconds);
    MakeSocketActive();
    state_ = SetupSent;
    newAddress_ = xport::SetupAddress(newAddress_);
    SendDatagram(Bytes(xport::BuildSetupRecord(newAddress_, newMask_, newGateway_)), destination);
}

void TXportConfigForm::SendIpSetup() {
    StartStateTimer(kIpSetupSeconds);
    MakeSocketActive();
    state_ = IpSetupSent;
    // Qt's UDP sockets hold the broadcast permission, which the subnet broadcast needs.
    SendDatagram(
        Bytes(xport::BuildIpSetup(GridCell(1, SelectedGridRow()).toStdString(), newAddress_)),
        LocalBroadcastAddress(localAddress_, localMask_));
}

void TXportConfigForm::ReadPendingDatagrams() {
    for (int n = 0; n < kDatagramBatch && IdUDPServer->hasPendingDatagrams(); ++n) {
        const QNetworkDatagram datagram =
            IdUDPServer->receiveDatagram(static_cast<qint64>(xport::kReadLimit));
        if (shutDown_) {
            continue;
        }
        IdUDPServerUDPRead(datagram.data(), datagram.senderAddress().toString());
    }
    if (IdUDPServer->hasPendingDatagrams()) {
        // Let the timers and the user in before the next batch.
        QTimer::singleShot(0, this, [this] { ReadPendingDatagrams(); });
    }
}

void TXportConfigForm::IdUDPServerUDPRead(const QByteArray& datagram, const QString& source) {
    const xport::DatagramOutcome outcome = xport::HandleDatagram(
        state_, reinterpret_cast<const std::uint8_t*>(datagram.constData()),
        static_cast<std::size_t>(datagram.size()), source.toStdString(), localAddress_, localMask_);
    using Kind = xport::DatagramOutcome::Kind;
    if (outcome.kind == Kind::SetupAcknowledged) {
        StartStateTimer(kRestartSeconds);
        state_ = Restarting;
        return;
    }
    int row = GridRowCount() - 1;
    if (outcome.kind == Kind::AddRow && !GridCell(0, row).isEmpty()) {
        if (GridRowCount() > kMaxGridRows) {
            return;
        }
        SetGridRowCount(GridRowCount() + 1);
        ++row;
    }
    SetGridCell(0, row, QString::fromStdString(outcome.ipCell));
    SetGridCell(1, row, QString::fromStdString(outcome.macCell));
    MarkUnreachable(row, outcome.unreachable);
    if (outcome.unreachable) {
        UnreachableMemo->show();
    }
}

// --- Life and events ------------------------------------------------------------------------

void TXportConfigForm::Shutdown() {
    shutDown_ = true;
    StateTimer.stop();
    TelnetTimer.stop();
    TelnetQuietTimer.stop();
    ClosingTimer.stop();
    IdUDPServer->close();
    Telnet->Disconnect();
}

void TXportConfigForm::closeEvent(QCloseEvent* e) {
    // The Ethernet page closes this page when the user leaves the Xport sheet: nothing may go
    // on sending set-up records or typing into a module's menu after that.
    Shutdown();
    QWidget::closeEvent(e);
}

bool TXportConfigForm::event(QEvent* e) {
    if (e->type() == static_cast<QEvent::Type>(WM_TELNET_STEP)) {
        if (!shutDown_) {
            RunTelnetStep();
        }
        return true;
    }
    return TChildForm::event(e);
}

bool TXportConfigForm::eventFilter(QObject* watched, QEvent* e) {
    if (watched == IpAddressEdit && e->type() == QEvent::FocusOut) {
        // Only a move to another control of this page leaves the field. The window losing
        // the focus (another program, a message box, a menu) keeps the mask the user typed;
        // by the time the field hears of the move, the new focus widget is already set.
        const QWidget* next = QApplication::focusWidget();
        if (next != nullptr && next != IpAddressEdit && isAncestorOf(next)) {
            IpAddressEditExit();
        }
    }
    return TChildForm::eventFilter(watched, e);
}

// --- The grid -------------------------------------------------------------------------------

int TXportConfigForm::GridRowCount() const {
    return EtherIpGrid->rowCount() + 1;
}

QString TXportConfigForm::GridCell(int column, int row) const {
    const QTableWidgetItem* item = EtherIpGrid->item(row - 1, column);
    return item ? item->text() : QString();
}

void TXportConfigForm::SetGridCell(int column, int row, const QString& text) {
    QTableWidgetItem* item = EtherIpGrid->item(row - 1, column);
    if (!item) {
        item = new QTableWidgetItem;
        EtherIpGrid->setItem(row - 1, column, item);
    }
    item->setText(text);
}

void TXportConfigForm::SetGridRowCount(int rows) {
    EtherIpGrid->setRowCount(rows - 1);
}

int TXportConfigForm::SelectedGridRow() const {
    const int current = EtherIpGrid->currentRow();
    return current < 0 ? 1 : current + 1;
}

void TXportConfigForm::SelectGridRow(int row) {
    if (row >= 1 && row < GridRowCount()) {
        EtherIpGrid->setCurrentCell(row - 1, 0);
        EtherIpGrid->selectRow(row - 1);
    }
}

int TXportConfigForm::SelectedMacRow() const {
    for (int row = 1; row < GridRowCount(); ++row) {
        if (GridCell(1, row) == selectedMac_) {
            return row;
        }
    }
    return 1;
}

void TXportConfigForm::MarkUnreachable(int row, bool unreachable) {
    // Red marks an address off this PC's subnet, as the note beside the list says.
    if (QTableWidgetItem* item = EtherIpGrid->item(row - 1, 0)) {
        item->setForeground(unreachable ? QBrush(Qt::red) : QBrush());
    }
}

void TXportConfigForm::ShowInfo(const QString& text) {
    InfoRichEdit->setPlainText(text);
    PageControl->setCurrentWidget(InfoTab);
}
