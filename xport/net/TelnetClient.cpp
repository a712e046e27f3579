#include "xport/net/TelnetClient.h"

#include <QTcpSocket>

// libtelnet's header uses size_t without including its definition.
#include <libtelnet.h>
#include <cstddef>

namespace {

// Options this client takes part in: it will send its terminal type when asked; everything
// else is refused by libtelnet's negotiation.
const telnet_telopt_t kOptions[] = {
    {TELNET_TELOPT_TTYPE, TELNET_WILL, TELNET_DONT},
    {-1, 0, 0},
};

constexpr char kTerminalType[] = "dumb";
constexpr char kIac = static_cast<char>(0xFF);
// A server that floods is read in batches of this size, so that no read holds the window long.
constexpr qint64 kReadBatch = qint64{64} * 1024;

}  // namespace

TelnetClient::TelnetClient(QObject* parent) : QObject(parent), socket_(new QTcpSocket(this)) {
    socket_->setReadBufferSize(kReadBatch);
    connectTimer_.setSingleShot(true);
    connect(&connectTimer_, &QTimer::timeout, this, [this] {
        socket_->abort();
        Reset();
        emit ConnectFailed(tr("Connection timed out"));
    });
    connect(socket_, &QTcpSocket::connected, this, [this] {
        connectTimer_.stop();
        emit Connected();
    });
    connect(socket_, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError) {
        if (connectTimer_.isActive()) {
            connectTimer_.stop();
            const QString reason = socket_->errorString();
            socket_->abort();
            Reset();
            emit ConnectFailed(reason);
        }
    });
    connect(socket_, &QTcpSocket::disconnected, this, [this] { emit Closed(); });
    connect(socket_, &QTcpSocket::readyRead, this, [this] { OnReadyRead(); });
}

TelnetClient::~TelnetClient() {
    socket_->abort();
    Reset();
}

void TelnetClient::Reset() {
    if (telnet_ != nullptr) {
        telnet_free(telnet_);
        telnet_ = nullptr;
    }
    serverSentCommand_ = false;
    sendsTerminalType_ = false;
}

void TelnetClient::Connect(int timeoutMs) {
    socket_->abort();
    Reset();
    telnet_ = telnet_init(kOptions, &TelnetClient::OnTelnetEvent, 0, this);
    connectTimer_.start(timeoutMs);
    socket_->connectToHost(host_, port_);
}

bool TelnetClient::IsConnected() const {
    return socket_->state() == QAbstractSocket::ConnectedState;
}

void TelnetClient::SendCharacter(char c) {
    if (telnet_ == nullptr || !IsConnected()) {
        return;
    }
    if (c == '\r') {
        const char* enter = serverSentCommand_ ? "\r" : "\r\n";
        telnet_send(telnet_, enter, serverSentCommand_ ? 1 : 2);
    } else {
        telnet_send(telnet_, &c, 1);
    }
}

void TelnetClient::Flush() {
    socket_->flush();
}

void TelnetClient::ReadPending() {
    if (socket_->bytesAvailable() > 0) {
        OnReadyRead();
    } else if (IsConnected()) {
        socket_->waitForReadyRead(0);  // readyRead, and so OnReadyRead, when anything came
    }
}

void TelnetClient::Disconnect() {
    connectTimer_.stop();
    if (socket_->state() != QAbstractSocket::UnconnectedState) {
        // What was typed still goes out; no Closed() for a close of our own.
        QSignalBlocker quiet(socket_);
        socket_->flush();
        DropUnread();
        socket_->disconnectFromHost();
        if (socket_->state() != QAbstractSocket::UnconnectedState) {
            socket_->waitForDisconnected(1000);
        }
        socket_->abort();
    }
    Reset();
}

void TelnetClient::DropUnread() {
    // A socket closed with unread bytes in its receive queue is reset by the system. Read what
    // has arrived; a server that keeps sending is not waited for (a few rounds at most).
    for (int round = 0; round < 4 && socket_->state() == QAbstractSocket::ConnectedState; ++round) {
        socket_->readAll();
        if (!socket_->waitForReadyRead(0)) {
            break;
        }
    }
    socket_->readAll();
}

void TelnetClient::OnReadyRead() {
    const QByteArray bytes = socket_->readAll();
    if (telnet_ == nullptr || bytes.isEmpty()) {
        return;
    }
    if (bytes.contains(kIac)) {
        serverSentCommand_ = true;
    }
    received_.clear();
    telnet_recv(telnet_, bytes.constData(), static_cast<size_t>(bytes.size()));
    if (!received_.isEmpty()) {
        const QByteArray text = received_;
        received_.clear();
        emit DataAvailable(text);
    }
}

void TelnetClient::OnTelnetEvent(telnet_t*, telnet_event_t* event, void* user) {
    static_cast<TelnetClient*>(user)->HandleEvent(*event);
}

void TelnetClient::HandleEvent(const telnet_event_t& event) {
    switch (event.type) {
        case TELNET_EV_DATA:
            received_.append(event.data.buffer, static_cast<qsizetype>(event.data.size));
            break;
        case TELNET_EV_SEND:
            socket_->write(event.data.buffer, static_cast<qint64>(event.data.size));
            break;
        case TELNET_EV_DO:
        case TELNET_EV_DONT:
            // libtelnet reports the option's change once it has answered the request.
            if (event.neg.telopt == TELNET_TELOPT_TTYPE) {
                sendsTerminalType_ = event.type == TELNET_EV_DO;
            }
            break;
        case TELNET_EV_TTYPE:
            // libtelnet passes SEND on whether or not the option was agreed.
            if (event.ttype.cmd == TELNET_TTYPE_SEND && sendsTerminalType_) {
                telnet_ttype_is(telnet_, kTerminalType);
            }
            break;
        default:
            break;  // negotiation is libtelnet's; warnings and errors end in the time-outs
    }
}
