// The telnet client against a module stand-in on loopback: option negotiation, Enter before
// and after the module's first telnet command, commands kept out of the text, and a refused
// connection.

#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include "tests/support/TestMain.h"
#include "xport/net/TelnetClient.h"

namespace {

const QByteArray kIac("\xFF", 1);
const QByteArray kDoTtype("\xFF\xFD\x18", 3);
const QByteArray kWillTtype("\xFF\xFB\x18", 3);
const QByteArray kSendTtype("\xFF\xFA\x18\x01\xFF\xF0", 6);
const QByteArray kIsDumb(
    "\xFF\xFA\x18\x00"
    "dumb\xFF\xF0",
    10);

// Reads from `socket` until `expected` has arrived (or a second has passed).
QByteArray ReadUntil(QTcpSocket* socket, const QByteArray& expected) {
    QByteArray got;
    QElapsedTimer timer;
    timer.start();
    while (!got.contains(expected) && timer.elapsed() < 1000) {
        if (socket->bytesAvailable() == 0) {
            socket->waitForReadyRead(50);
        }
        got += socket->readAll();
        QCoreApplication::processEvents();
    }
    return got;
}

}  // namespace

class TelnetClientTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        QVERIFY(server_.listen(QHostAddress::LocalHost));
        client_ = std::make_unique<TelnetClient>();
        client_->SetHost(QStringLiteral("127.0.0.1"));
        client_->SetPort(server_.serverPort());
        connect(client_.get(), &TelnetClient::DataAvailable, this,
                [this](const QByteArray& text) { received_ += text; });
        connect(client_.get(), &TelnetClient::Connected, this, [this] { ++connected_; });
        connect(client_.get(), &TelnetClient::ConnectFailed, this, [this] { ++failed_; });
    }
    void cleanup() {
        client_.reset();
        server_.close();
        received_.clear();
        connected_ = 0;
        failed_ = 0;
    }

    void entersAsCrLfUntilTheModuleSpeaksTelnet() {
        QTcpSocket* module = Accept();
        QVERIFY(module);
        module->write("Press Enter for Setup Mode \r\n");
        QTRY_VERIFY(received_.contains("Press Enter"));
        client_->SendCharacter('\r');
        client_->Flush();
        QCOMPARE(ReadUntil(module, "\r\n"), QByteArray("\r\n"));

        // The first telnet command changes Enter to CR alone, and the terminal type asked
        // for is "dumb".
        module->write(kDoTtype);
        QVERIFY(ReadUntil(module, kWillTtype).contains(kWillTtype));
        module->write(kSendTtype + "Your choice ? ");
        QVERIFY(ReadUntil(module, kIsDumb).contains(kIsDumb));
        QTRY_VERIFY(received_.endsWith("Your choice ? "));
        QVERIFY(!received_.contains(kIac));
        client_->SendCharacter('1');
        client_->SendCharacter('\r');
        client_->Flush();
        QCOMPARE(ReadUntil(module, "1\r"), QByteArray("1\r"));
        QTest::qWait(50);
        QCOMPARE(module->readAll(), QByteArray());
    }

    // What the module says (in separate writes), what the client answers to it, and the
    // text it hands on. Every row has the module speak telnet, so Enter is CR alone after it.
    void answersTheModulesCommands_data() {
        QTest::addColumn<QList<QByteArray>>("said");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QByteArray>("text");
        const QByteArray dontTtype("\xFF\xFE\x18", 3);
        const QByteArray wontTtype("\xFF\xFC\x18", 3);
        QTest::newRow("DO window size is refused")
            << QList<QByteArray>{QByteArray("\xFF\xFD\x1F", 3) + "x"}
            << QByteArray("\xFF\xFC\x1F", 3) << QByteArray("x");
        QTest::newRow("terminal type asked for after agreeing")
            << QList<QByteArray>{kDoTtype, kSendTtype + "x"} << kWillTtype + kIsDumb
            << QByteArray("x");
        QTest::newRow("terminal type asked for without DO")
            << QList<QByteArray>{kSendTtype + "x"} << QByteArray() << QByteArray("x");
        QTest::newRow("terminal type asked for after DONT")
            << QList<QByteArray>{kDoTtype, dontTtype, kSendTtype + "x"} << kWillTtype + wontTtype
            << QByteArray("x");
        QTest::newRow("a command cut after IAC")
            << QList<QByteArray>{"a" + kIac, QByteArray("\xF1x", 2)} << QByteArray()
            << QByteArray("ax");  // IAC NOP
    }
    void answersTheModulesCommands() {
        QFETCH(QList<QByteArray>, said);
        QFETCH(QByteArray, answer);
        QFETCH(QByteArray, text);
        QTcpSocket* module = Accept();
        QVERIFY(module);
        for (const QByteArray& piece : said) {
            module->write(piece);
            module->flush();
            QTest::qWait(20);
        }
        QTRY_COMPARE(received_, text);
        client_->SendCharacter('1');
        client_->SendCharacter('\r');
        client_->Flush();
        QCOMPARE(ReadUntil(module, answer + "1\r"), answer + "1\r");
        QTest::qWait(50);
        QCOMPARE(module->readAll(), QByteArray());
    }

    void reportsARefusedConnection() {
        const quint16 port = server_.serverPort();
        server_.close();  // nobody listens there now
        client_->SetPort(port);
        client_->Connect(5000);
        QTRY_COMPARE(failed_, 1);
        QCOMPARE(connected_, 0);
        QVERIFY(!client_->IsConnected());
    }

private:
    QTcpSocket* Accept() {
        client_->Connect(5000);
        if (!server_.waitForNewConnection(2000)) {
            return nullptr;
        }
        QTcpSocket* module = server_.nextPendingConnection();
        for (int i = 0; i < 100 && connected_ == 0; ++i) {
            QTest::qWait(10);
        }
        return connected_ == 1 ? module : nullptr;
    }

    QTcpServer server_;
    std::unique_ptr<TelnetClient> client_;
    QByteArray received_;
    int connected_ = 0;
    int failed_ = 0;
};

VORMATIC_TEST_MAIN(TelnetClientTest)
#include "TelnetClientTest.moc"
