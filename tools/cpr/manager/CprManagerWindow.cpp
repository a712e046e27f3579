#include "tools/cpr/manager/CprManagerWindow.h"

#include <QAction>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <string>
#include <vector>

#include "tools/cpr/CprControl.h"
#include "tools/cpr/Endpoint.h"

namespace {

enum Column { kDevice, kHost, kTcpPort, kState, kColumns };

QString FromLocal(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

QTableWidgetItem* Cell(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    return item;
}

}  // namespace

CprManagerWindow::CprManagerWindow(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("CprManagerWindow"));
    setWindowTitle(tr("CPR Manager - Com Port Redirector (demo)"));

    QMenu* fileMenu = menuBar()->addMenu(tr("&File"));
    fileMenu->setObjectName(QStringLiteral("FileMenu"));
    exitAction_ = fileMenu->addAction(tr("E&xit"));
    exitAction_->setObjectName(QStringLiteral("ExitAction"));
    exitAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(exitAction_, &QAction::triggered, this, &QWidget::close);

    auto* central = new QWidget(this);
    auto* columns = new QHBoxLayout(central);

    portTable_ = new QTableWidget(0, kColumns, central);
    portTable_->setObjectName(QStringLiteral("PortTable"));
    portTable_->setHorizontalHeaderLabels(
        {tr("Com Port"), tr("Host"), tr("TCP Port"), tr("State")});
    portTable_->setSelectionBehavior(QAbstractItemView::SelectRows);
    portTable_->setSelectionMode(QAbstractItemView::SingleSelection);
    portTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    portTable_->verticalHeader()->hide();
    QHeaderView* header = portTable_->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(kHost, QHeaderView::Stretch);
    portTable_->setTextElideMode(Qt::ElideMiddle);
    columns->addWidget(portTable_, 1);

    auto* group = new QGroupBox(tr("Add/Remove"), central);
    group->setObjectName(QStringLiteral("AddRemoveGroup"));
    group->setFixedWidth(250);
    auto* fields = new QFormLayout(group);
    hostEdit_ = new QLineEdit(group);
    hostEdit_->setObjectName(QStringLiteral("HostEdit"));
    hostEdit_->setMaxLength(253);
    tcpPortEdit_ = new QLineEdit(QStringLiteral("10001"), group);
    tcpPortEdit_->setObjectName(QStringLiteral("TcpPortEdit"));
    tcpPortEdit_->setValidator(new QIntValidator(1, 65535, tcpPortEdit_));
    fields->addRow(tr("&Host"), hostEdit_);
    fields->addRow(tr("TCP &Port"), tcpPortEdit_);
    addButton_ = new QPushButton(tr("&Add"), group);
    addButton_->setObjectName(QStringLiteral("AddButton"));
    removeButton_ = new QPushButton(tr("&Remove"), group);
    removeButton_->setObjectName(QStringLiteral("RemoveButton"));
    removeButton_->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(addButton_);
    buttons->addWidget(removeButton_);
    fields->addRow(buttons);
    auto* note = new QLabel(tr("Each port is a pseudo-terminal bridged to the printer's TCP port. "
                               "Ports keep running when this window closes."),
                            group);
    note->setObjectName(QStringLiteral("NoteLabel"));
    note->setWordWrap(true);
    note->setTextFormat(Qt::PlainText);
    fields->addRow(note);
    columns->addWidget(group);

    statusLabel_ = new QLabel(this);
    statusLabel_->setObjectName(QStringLiteral("StatusLabel"));
    // Errors quote hosts and paths from the user and the book: never rich text.
    statusLabel_->setTextFormat(Qt::PlainText);
    statusBar()->addWidget(statusLabel_, 1);
    setCentralWidget(central);
    resize(680, 300);

    setTabOrder(hostEdit_, tcpPortEdit_);
    setTabOrder(tcpPortEdit_, addButton_);
    setTabOrder(addButton_, removeButton_);
    setTabOrder(removeButton_, portTable_);

    connect(addButton_, &QPushButton::clicked, this, &CprManagerWindow::AddButtonClick);
    connect(hostEdit_, &QLineEdit::returnPressed, this, &CprManagerWindow::AddButtonClick);
    connect(tcpPortEdit_, &QLineEdit::returnPressed, this, &CprManagerWindow::AddButtonClick);
    connect(removeButton_, &QPushButton::clicked, this, &CprManagerWindow::RemoveButtonClick);
    auto* removeKey = new QShortcut(QKeySequence::Delete, portTable_);
    removeKey->setContext(Qt::WidgetShortcut);
    connect(removeKey, &QShortcut::activated, this, &CprManagerWindow::RemoveButtonClick);
    connect(portTable_, &QTableWidget::itemSelectionChanged, this,
            &CprManagerWindow::PortTableSelectionChanged);

    refreshTimer_ = new QTimer(this);
    refreshTimer_->setObjectName(QStringLiteral("RefreshTimer"));
    refreshTimer_->setInterval(kRefreshMs);
    connect(refreshTimer_, &QTimer::timeout, this, &CprManagerWindow::RefreshTimerTimer);
    refreshTimer_->start();

    Reload();
    hostEdit_->setFocus();
}

void CprManagerWindow::AddButtonClick() {
    const std::string host = hostEdit_->text().trimmed().toStdString();
    int tcpPort = 0;
    if (!IsValidHost(host)) {
        SetStatus(tr("Enter the printer's IP address in the Host field."));
        hostEdit_->setFocus();
        return;
    }
    if (!ParseTcpPort(tcpPortEdit_->text().trimmed().toStdString(), &tcpPort)) {
        SetStatus(tr("Enter a TCP port from 1 to 65535."));
        tcpPortEdit_->setFocus();
        return;
    }
    CprPort port;
    std::string error;
    if (!AddCprPort(host, tcpPort, &port, &error)) {
        SetStatus(tr("Unable to add the port: %1").arg(FromLocal(error)));
        return;
    }
    Reload(FromLocal(port.device));
    SetStatus(tr("%1 now leads to %2:%3.")
                  .arg(FromLocal(port.device), FromLocal(port.host))
                  .arg(port.tcpPort));
}

void CprManagerWindow::RemoveButtonClick() {
    const QString device = SelectedDevice();
    if (device.isEmpty()) {
        return;
    }
    std::string error;
    if (!RemoveCprPort(device.toLocal8Bit().toStdString(), &error)) {
        SetStatus(tr("Unable to remove %1: %2").arg(device, FromLocal(error)));
    } else {
        SetStatus(tr("%1 removed.").arg(device));
    }
    Reload();
}

void CprManagerWindow::RefreshTimerTimer() {
    Reload(SelectedDevice());
}

void CprManagerWindow::PortTableSelectionChanged() {
    removeButton_->setEnabled(!SelectedDevice().isEmpty());
}

QString CprManagerWindow::SelectedDevice() const {
    const QList<QTableWidgetItem*> items = portTable_->selectedItems();
    for (const QTableWidgetItem* item : items) {
        if (item->column() == kDevice) {
            return item->text();
        }
    }
    return QString();
}

void CprManagerWindow::Reload(const QString& select) {
    std::vector<CprPortStatus> ports;
    std::string error;
    if (!ListCprPorts(&ports, &error)) {
        SetStatus(tr("Unable to read the list of ports: %1").arg(FromLocal(error)));
        return;
    }
    // QTableWidgetItem shows its text as it is: what the book says is never taken as markup.
    const QSignalBlocker quiet(portTable_);
    portTable_->clearSelection();
    portTable_->setRowCount(static_cast<int>(ports.size()));
    int selectRow = -1;
    for (int row = 0; row < static_cast<int>(ports.size()); ++row) {
        const CprPortStatus& status = ports[static_cast<std::size_t>(row)];
        const QString device = FromLocal(status.port.device);
        portTable_->setItem(row, kDevice, Cell(device));
        portTable_->setItem(row, kHost, Cell(FromLocal(status.port.host)));
        portTable_->setItem(row, kTcpPort, Cell(QString::number(status.port.tcpPort)));
        portTable_->setItem(row, kState, Cell(status.running ? tr("running") : tr("stopped")));
        if (device == select) {
            selectRow = row;
        }
    }
    if (selectRow >= 0) {
        portTable_->selectRow(selectRow);
    }
    removeButton_->setEnabled(!SelectedDevice().isEmpty());
}

void CprManagerWindow::SetStatus(const QString& text) {
    statusLabel_->setText(text);
}
