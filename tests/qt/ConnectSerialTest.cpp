// The connection choice and serial pages on the real shell: the choice by radio button or
// picture, the decision that Next and the way back share, and the serial road to the COM
// port page.

#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QtTest>

#include "app/Selections.h"
#include "app/ShellMessages.h"
#include "host/Registry.h"
#include "pages/connect/TConnectForm.h"
#include "pages/serial/TSerialForm.h"
#include "tests/support/CaptionFit.h"
#include "tests/support/DialogRecorder.h"
#include "tests/support/Sandbox.h"
#include "tests/support/TestMain.h"
#include "tests/support/Wizard.h"

namespace {

// Records the shell messages that reach the shell, in order.
class MessageSpy : public QObject {
public:
    explicit MessageSpy(QObject* shell) { shell->installEventFilter(this); }
    QList<int> messages;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (IsShellMessage(event)) {
            messages.append(static_cast<int>(event->type()));
        }
        return QObject::eventFilter(watched, event);
    }
};

template <typename T>
T* OnConnect(const char* name) {
    return ConnectForm->findChild<T*>(QString::fromLatin1(name));
}

void ShowConnectPage(Wizard& w) {
    PostShellMessage(w.shell(), WM_SHOW_CONNECT_FORM);
    Settle();
    QCOMPARE(w.index(), 2);
}

void ClickRadio(QRadioButton* radio) {
    QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(6, radio->height() / 2));
    Settle();
}

}  // namespace

class ConnectSerialTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        sandbox_ = std::make_unique<Sandbox>();
        sandbox_->writeCdFile(QStringLiteral("Quorvanta Software License.txt"), "Licence\n");
        dialogs_ = std::make_unique<DialogRecorder>();
        ClearSelections();
    }
    void cleanup() {
        dialogs_.reset();
        sandbox_.reset();
    }

    void connectPageLayout() {
        Wizard w;
        ShowConnectPage(w);
        QVERIFY(!w.backEnabled());
        QVERIFY(w.nextEnabled());
        auto* title = OnConnect<QLabel>("SelectConnectLabel");
        QCOMPARE(title->pos(), QPoint(80, 8));
        QVERIFY(title->font().bold());
        QCOMPARE(title->font().pixelSize(), 13);
        QCOMPARE(title->text(),
                 QStringLiteral("Select the type of connection between the printer and your PC"));

        const struct {
            const char* panel;
            const char* image;
            const char* radio;
            QPoint panelAt;
            QPoint radioAt;
            const char* caption;
        } rows[] = {
            {"SerialPanel",
             "SerialImage",
             "SerialRadioButton",
             {32, 40},
             {160, 80},
             "Serial RS232"},
            {"UsbPanel", "UsbImage", "UsbRadioButton", {32, 152}, {160, 192}, "USB"},
            {"EtherPanel",
             "EtherImage",
             "EtherRadioButton",
             {32, 264},
             {160, 304},
             "Ethernet Network"},
        };
        for (const auto& row : rows) {
            auto* panel = OnConnect<QFrame>(row.panel);
            QVERIFY2(panel, row.panel);
            QCOMPARE(panel->geometry(), QRect(row.panelAt, QSize(106, 106)));
            QVERIFY(panel->frameShape() == QFrame::Box);
            auto* image = panel->findChild<QLabel*>(QString::fromLatin1(row.image));
            QVERIFY2(image, row.image);
            QCOMPARE(image->size(), QSize(100, 100));
            QVERIFY(!image->pixmap().isNull());
            QCOMPARE(image->cursor().shape(), Qt::PointingHandCursor);
            auto* radio = OnConnect<QRadioButton>(row.radio);
            QCOMPARE(radio->pos(), row.radioAt);
            QCOMPARE(radio->text(), QString::fromUtf8(row.caption));
        }
        QVERIFY(OnConnect<QRadioButton>("SerialRadioButton")->isChecked());
        QCOMPARE(OnConnect<QFrame>("SepPanel1")->geometry(), QRect(160, 144, 401, 2));
        QCOMPARE(OnConnect<QFrame>("SepPanel2")->geometry(), QRect(160, 256, 401, 2));

        const struct {
            const char* name;
            QRect box;  // a null size for labels that size themselves
            const char* text;
        } labels[] = {
            {"SerialDescLabel",
             {296, 48, 265, 65},
             "Using a serial COM port is the simplest way to connect the printer to your PC, "
             "since it doesn't require you to install any additional drivers or software.  "
             "However, many newer PC computers do not come with a serial COM port."},
            {"UsbLabel1a",
             {296, 120, 0, 0},
             "Select this option if you are using a USB to Serial convertor."},
            {"UsbDescLabel",
             {296, 168, 265, 41},
             "Most modern PC's come with one or more USB ports.   If you select this option, this "
             "program will guide you through the installation of the USB driver."},
            {"UsbDescLabel2",
             {296, 216, 281, 33},
             "Do not select this option if you are using a USB to Serial convertor device, since "
             "it has its own device driver."},
            {"EtherDescLabel",
             {296, 272, 265, 65},
             "If your PC is connected to an Ethernet network, you may also connect the printer to "
             "the network and access it from your PC.   This option requires you to configure the "
             "IP address of the printer and install special drivers in your PC."},
            {"EtherNoticeLabel",
             {296, 344, 0, 0},
             "Note that this does not make the printer a \"network printer\"."},
        };
        for (const auto& expected : labels) {
            auto* label = OnConnect<QLabel>(expected.name);
            QVERIFY2(label, expected.name);
            QCOMPARE(label->text(), QString::fromUtf8(expected.text));
            QCOMPARE(label->pos(), expected.box.topLeft());
            if (!expected.box.size().isNull()) {
                QVERIFY(label->wordWrap());
                QCOMPARE(label->size(), expected.box.size());
            }
        }
        QCOMPARE(ClippedCaptions(ConnectForm), QStringList());
    }

    void serialIsPreselected() {
        Wizard w;
        ShowConnectPage(w);
        w.next();
        QCOMPARE(w.index(), 3);
        QVERIFY(w.backEnabled());
        QVERIFY(w.nextEnabled());

        auto find = [](const char* name) {
            return SerialForm->findChild<QLabel*>(QString::fromLatin1(name));
        };
        QCOMPARE(find("SerialImage2")->geometry(), QRect(24, 16, 100, 100));
        QCOMPARE(find("SerialTabLabel")->pos(), QPoint(216, 16));
        QVERIFY(find("SerialTabLabel")->font().bold());
        QCOMPARE(find("SerialTabLabel")->text(),
                 QStringLiteral("Serial RS232 COM Port Connection"));
        QCOMPARE(find("SerialTabLabel1")->geometry(), QRect(168, 64, 329, 49));
        QCOMPARE(find("SerialTabLabel1")->text(),
                 QStringLiteral("Connect the serial cable (provided with the printer) between a "
                                "COM port on your PC and the serial port on the back of the "
                                "printer."));
        QCOMPARE(find("SerialTabLabel2")->pos(), QPoint(168, 136));
        QCOMPARE(find("SerialTabLabel2")->text(), QStringLiteral("Apply power to the printer."));
        QCOMPARE(find("SerialTabLabel3")->pos(), QPoint(168, 184));
        QCOMPARE(
            find("SerialTabLabel3")->text(),
            QStringLiteral("After the printer has initialized, click the Next button below..."));
        for (const char* name :
             {"SerialTabLabel", "SerialTabLabel1", "SerialTabLabel2", "SerialTabLabel3"}) {
            QCOMPARE(find(name)->font().pixelSize(), 13);
        }
        QCOMPARE(ClippedCaptions(SerialForm), QStringList());
    }

    void picturesAndButtonsChooseTheConnection() {
        Wizard w;
        ShowConnectPage(w);
        MessageSpy spy(w.shell());
        PostShellMessage(w.shell(), WM_DISABLE_NEXT);
        Settle();

        QTest::mouseClick(OnConnect<QLabel>("UsbImage"), Qt::LeftButton);
        Settle();
        QVERIFY(OnConnect<QRadioButton>("UsbRadioButton")->isChecked());
        QVERIFY(!OnConnect<QRadioButton>("SerialRadioButton")->isChecked());
        QVERIFY(w.nextEnabled());

        spy.messages.clear();
        ConnectForm->NextPageDecision();
        Settle();
        QCOMPARE(spy.messages.mid(0, 2), (QList<int>{WM_SHOW_USB_FORM, WM_ENABLE_BACK}));

        PostShellMessage(w.shell(), WM_SHOW_CONNECT_FORM);
        Settle();
        QTest::mouseClick(OnConnect<QLabel>("EtherImage"), Qt::LeftButton);
        Settle();
        QVERIFY(OnConnect<QRadioButton>("EtherRadioButton")->isChecked());
        spy.messages.clear();
        ConnectForm->NextPageDecision();
        Settle();
        QCOMPARE(spy.messages.mid(0, 2), (QList<int>{WM_SHOW_ETHERNET_FORM, WM_ENABLE_BACK}));

        // A radio button chooses as well, and a click on it offers Next.
        PostShellMessage(w.shell(), WM_SHOW_CONNECT_FORM);
        PostShellMessage(w.shell(), WM_DISABLE_NEXT);
        Settle();
        ClickRadio(OnConnect<QRadioButton>("SerialRadioButton"));
        QVERIFY(w.nextEnabled());
        w.next();
        QCOMPARE(w.index(), 3);
    }

    void backDoesNothingOnTheConnectPage() {
        Wizard w;
        ShowConnectPage(w);
        MessageSpy spy(w.shell());
        ConnectForm->Back();
        Settle();
        QVERIFY(spy.messages.isEmpty());
        QCOMPARE(w.index(), 2);
    }

    void serialBackReturnsToTheChoice() {
        Wizard w;
        ShowConnectPage(w);
        w.next();
        QCOMPARE(w.index(), 3);
        w.back();
        QCOMPARE(w.index(), 2);
        QVERIFY(!w.backEnabled());
        QVERIFY(w.nextEnabled());
        QVERIFY(OnConnect<QRadioButton>("SerialRadioButton")->isChecked());
    }

    void serialNextShowsThePortPageWithoutAPort() {
        const std::string serialComm = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
        reg::WriteString(reg::Root::LocalMachine, serialComm, "\\Device\\VCom0", "/dev/ttyVIRT0");
        Wizard w;
        // An earlier hand-over preselected a port; the serial road must not keep it.
        PostShellMessage(w.shell(), WM_SHOW_PORT_FORM, QStringLiteral("/dev/ttyVIRT0"));
        Settle();
        auto* list = w.find<QListWidget>("PortListBox");
        QVERIFY(list);
        QCOMPARE(list->selectedItems().size(), 1);

        ShowConnectPage(w);
        w.next();
        QCOMPARE(w.index(), 3);
        w.next();
        QCOMPARE(w.index(), 6);
        QVERIFY(!w.nextEnabled());
        QVERIFY(w.backEnabled());
        QCOMPARE(list->count(), 1);
        QVERIFY(list->selectedItems().isEmpty());
        QCOMPARE(w.find<QLabel>("PortInfoLabel2")->text(),
                 QStringLiteral("If you know which COM port the printer is connected to, select "
                                "that port in the list at the left and click Next below."));
    }

    void decisionEmptiesTheSelections() {
        Wizard w;
        ShowConnectPage(w);
        SetSelectedPort(QStringLiteral("/dev/ttyS1"));
        SetPrinterModel(QStringLiteral("RX200"));
        SetPrinterIdentity(QStringLiteral("RX200 V1.0"));
        QTest::mouseClick(w.shell()->NextButton(), Qt::LeftButton);
        // Emptied by the page's own Next, before any posted message has run.
        QVERIFY(GetSelectedPort().isEmpty());
        QVERIFY(GetPrinterModel().isEmpty());
        QVERIFY(GetPrinterIdentity().isEmpty());
        Settle();
        QCOMPARE(w.index(), 3);
    }

private:
    std::unique_ptr<Sandbox> sandbox_;
    std::unique_ptr<DialogRecorder> dialogs_;
};

VORMATIC_TEST_MAIN(ConnectSerialTest)
#include "ConnectSerialTest.moc"
