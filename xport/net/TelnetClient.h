#pragma once
// A telnet client on a QTcpSocket, with xport::TelnetCodec doing the option negotiation: it
// agrees to send its terminal type, names it "dumb" when the server asks after that agreement
// (RFC 1091), refuses every other option it is offered, and hands the server's text on without
// the telnet commands in it. Enter goes out as CR LF until the server has sent any telnet command
// in this connection, then as CR. Everything happens on the thread that owns the client; signals
// arrive from its event loop.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include "xport/TelnetCodec.h"

class QTcpSocket;

class TelnetClient : public QObject {
    Q_OBJECT
public:
    explicit TelnetClient(QObject* parent = nullptr);
    ~TelnetClient() override;
    TelnetClient(const TelnetClient&) = delete;
    TelnetClient& operator=(const TelnetClient&) = delete;

    void SetHost(const QString& host) { host_ = host; }
    void SetPort(quint16 port) { port_ = port; }
    QString Host() const { return host_; }
    quint16 Port() const { return port_; }

    // Starts connecting to Host():Port(). Either Connected() or ConnectFailed() follows, the
    // latter at the latest after `timeoutMs`.
    void Connect(int timeoutMs);
    bool IsConnected() const;

    // Types one character; '\r' is Enter.
    void SendCharacter(char c);
    // Hands what was typed to the network now.
    void Flush();
    // Reads what has already arrived and not yet been handed on (DataAvailable follows for it).
    void ReadPending();
    // Closes the connection after what was typed has gone out; no signal follows. What the
    // server has sent and nobody read yet is read and dropped first, so that the close is an
    // orderly one (FIN) and not a reset.
    void Disconnect();

    // True once the server has sent a telnet command in this connection.
    bool ServerSentCommand() const { return codec_.ServerSentCommand(); }

signals:
    void Connected();
    void ConnectFailed(const QString& reason);
    // The server's text, telnet commands removed.
    void DataAvailable(const QByteArray& text);
    void Closed();

private:
    void OnReadyRead();
    void Reset();
    void DropUnread();

    QString host_;
    quint16 port_ = 0;
    QTcpSocket* socket_;
    QTimer connectTimer_;
    xport::TelnetCodec codec_;
    bool open_ = false;  // between Connect() and the next Disconnect() or failure
};
