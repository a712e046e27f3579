// 8-bit texts of the host layer and QString: what a text shows and that every text read
// from a file, the registry or a device goes back to exactly its bytes.

#include <QtTest>

#include "app/AnsiText.h"
#include "tests/support/TestMain.h"

class AnsiTextTest : public QObject {
    Q_OBJECT
private slots:
    void bytesComeBackAsTheyWere_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("ASCII") << QByteArray("COM3") << QStringLiteral("COM3");
        QTest::newRow("Windows-1252 code") << QByteArray("MZ\xC4-1") << QStringLiteral("MZÄ-1");
        QTest::newRow("Windows-1252 signs")
            << QByteArray("\x80\x99\x93\x94\x96\x97") << QStringLiteral("€™“”–—");
        QTest::newRow("undefined in Windows-1252")
            << QByteArray("a\x81\x8D\x8F\x90\x9D")
            << QStringLiteral("a\u0081\u008D\u008F\u0090\u009D");
        QTest::newRow("UTF-8 code") << QByteArray("MZ\xC3\x84-1") << QStringLiteral("MZÄ-1");
        QTest::newRow("UTF-8 beyond 16 bits")
            << QByteArray("\xF0\x9F\x96\xA8") << QString::fromUcs4(U"\U0001F5A8");
        QTest::newRow("device path") << QByteArray("/dev/serial/by-id/usb-Caf\xE9-if00")
                                     << QStringLiteral("/dev/serial/by-id/usb-Café-if00");
        QTest::newRow("UTF-8 surrogate is not UTF-8")
            << QByteArray("\xED\xA0\x80") << QStringLiteral("í\u00A0€");
        QTest::newRow("NUL inside") << QByteArray("a\0\xE9", 3) << QStringLiteral("a\u0000é");
    }
    void bytesComeBackAsTheyWere() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        const std::string original = bytes.toStdString();
        const QString text = FromAnsi(original);
        QCOMPARE(text, shown);
        QCOMPARE(ToAnsi(text), original);
        // A copy made elsewhere (a caption read back, a list item) goes back the same way.
        QCOMPARE(ToAnsi(QString(text.data(), text.size())), original);
    }

    void everyByteComesBack() {
        for (int b = 0; b < 256; ++b) {
            const std::string bytes = std::string("x") + static_cast<char>(b) + "y";
            QCOMPARE(ToAnsi(FromAnsi(bytes)), bytes);
        }
    }
};

VORMATIC_TEST_MAIN(AnsiTextTest)
#include "AnsiTextTest.moc"
