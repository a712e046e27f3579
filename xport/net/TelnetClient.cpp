#include "xport/net/TelnetClient.h"

#include <QTcpSocket>

#include <string>

namespace {

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
    codec_ = xport::TelnetCodec();
    open_ = false;
}

void TelnetClient::Connect(int timeoutMs) {
    socket_->abort();
    Reset();
    open_ = true;
    connectTimer_.start(timeoutMs);
    socket_->connectToHost(host_, port_);
}

bool TelnetClient::IsConnected() const {
    return socket_->state() == QAbstractSocket::ConnectedState;
}

void TelnetClient::SendCharacter(char c) {
    if (!open_ || !IsConnected()) {
        return;
    }
    const std::string_view enter = codec_.ServerSentCommand() ? "\r" : "\r\n";
    const std::string bytes =
        xport::TelnetCodec::Encode(c == '\r' ? enter : std::string_view(&c, 1));
    socket_->write(bytes.data(), static_cast<qint64>(bytes.size()));
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
    if (!open_ || bytes.isEmpty()) {
        return;
    }
    std::string text;
    std::string replies;
    codec_.Receive(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                   text, replies);
    if (!replies.empty()) {
        socket_->write(replies.data(), static_cast<qint64>(replies.size()));
    }
    if (!text.empty()) {
        emit DataAvailable(QByteArray(text.data(), static_cast<qsizetype>(text.size())));
    }
}
