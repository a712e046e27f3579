// The COM port page on the real shell: the port list, the hand-over of a new port, the
// printer search over pseudo-terminals that this test answers itself, and where Next and
// Back lead.

#include <QAccessible>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <memory>
#include <string>
#include <thread>

#include "app/Selections.h"
#include "app/ShellMessages.h"
#include "host/ComPorts.h"
#include "host/Registry.h"
#include "host/WaitClock.h"
#include "pages/port/PortSearch.h"
#include "pages/port/TPortForm.h"
#include "tests/support/CaptionFit.h"
#include "tests/support/DialogRecorder.h"
#include "tests/support/FakeSerialLine.h"
#include "tests/support/Sandbox.h"
#include "tests/support/TestMain.h"
#include "tests/support/Wizard.h"

namespace {

const QString kMustSelect = QStringLiteral("You must select or find a COM port.");
const QString kNotFound = QStringLiteral("Unable to find a Vormatic Printer on any COM ports.");
const QString kNoMatch = QStringLiteral("The COM port name does not match any in the list.");
const QString kInfoPlain = QStringLiteral("The following COM ports have been found on your PC.");
const QString kInfoNew = QStringLiteral(
    "The following COM ports have been found on your PC.  The newly added port has been "
    "highlighted.");
const QString kInfoNone = QStringLiteral(
    "The following COM ports have been found on your PC.  It appears that no new ports were "
    "added.");
const QString kHintPlain = QStringLiteral(
    "If you know which COM port the printer is connected to, select that port in the list at "
    "the left and click Next below.");
const QString kHintNew = QStringLiteral(
    "If you don't want to use the new port that was added, select the port you intend to use.");
const QString kHintNone =
    QStringLiteral("Please select the port you intend to use from the list at the left.");
// Opening this fails at once: a port without a printer that costs no time.
const QString kMissingPort = QStringLiteral("/nonexistent/ttyVormatic0");

QString FoundText(const QString& port, const QString& identity) {
    return QStringLiteral("A Vormatic Printer has been found on ") + port + QStringLiteral("\n\n") +
           identity + QStringLiteral("\n\nClick Next to continue...");
}

// Registers a port in the emulated SERIALCOMM key, as a virtual port driver does.
void AddPort(const QString& port) {
    static int counter = 0;
    reg::WriteString(reg::Root::LocalMachine, kSerialCommKey,
                     "\\Device\\VormaticTest" + std::to_string(counter++), port.toStdString());
}

QStringList Items(const QListWidget* list) {
    QStringList items;
    for (int row = 0; row < list->count(); ++row) {
        items << list->item(row)->text();
    }
    return items;
}

QStringList Selected(const QListWidget* list) {
    QStringList items;
    for (const QListWidgetItem* item : list->selectedItems()) {
        items << item->text();
    }
    return items;
}

// Records what the user sees of the search: the value of the progress bar and the text of
// the status label each time they are painted, and whether the hourglass was up.
class PaintLog : public QObject {
public:
    PaintLog(QProgressBar* bar, QLabel* label) : bar_(bar), label_(label) {
        bar->installEventFilter(this);
        label->installEventFilter(this);
    }
    QList<int> values;      // consecutive repeats dropped
    QStringList texts;      // non-empty texts, consecutive repeats dropped
    QStringList busyTexts;  // texts painted while the hourglass was up

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            if (watched == bar_ && (values.isEmpty() || values.last() != bar_->value())) {
                values << bar_->value();
            }
            const QString text = label_->text();
            if (watched == label_ && !text.isEmpty() && (texts.isEmpty() || texts.last() != text)) {
                texts << text;
                const QCursor* cursor = QGuiApplication::overrideCursor();
                if (cursor && cursor->shape() == Qt::WaitCursor) {
                    busyTexts << text;
                }
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QProgressBar* bar_;
    QLabel* label_;
};

// A view that writes down what the search reports.
class RecordingView : public PortSearchView {
public:
    QStringList events;
    void SearchStarted() override { events << QStringLiteral("start"); }
    void ShowProgress(int percent) override { events << QString::number(percent); }
    void ShowTesting(const std::string& port) override {
        events << QStringLiteral("testing ") + QString::fromStdString(port);
    }
};

}  // namespace

class PortPageTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        sandbox_ = std::make_unique<Sandbox>();
        dialogs_ = std::make_unique<DialogRecorder>();
        ClearSelections();
    }
    void cleanup() {
        dialogs_.reset();
        sandbox_.reset();
    }

    void listsThePortsInSerialCommOrderAndResetsOnEveryArrival() {
        for (const char* port : {"COM3", "COM1", "/dev/ttyVormaticX"}) {
            AddPort(QString::fromLatin1(port));
        }
        Wizard w;
        showPortPage(w);
        QCOMPARE(w.index(), 6);
        auto* list = w.find<QListWidget>("PortListBox");
        QVERIFY(list);
        QCOMPARE(Items(list), (QStringList{"COM3", "COM1", "/dev/ttyVormaticX"}));
        QVERIFY(Selected(list).isEmpty());
        QVERIFY(w.backEnabled());
        QVERIFY(!w.nextEnabled());
        auto* bar = w.find<QProgressBar>("PortProgressBar");
        auto* found = w.find<QLabel>("PortFoundLabel");
        QVERIFY(bar && found);
        QVERIFY(bar->isHidden());
        QCOMPARE(bar->value(), 0);
        QVERIFY(found->isHidden());
        QVERIFY(found->text().isEmpty());

        // A click on a port enables Next; a search (none of these is a device) shows its result.
        clickItem(list, 1);
        QCOMPARE(Selected(list), QStringList{"COM1"});
        QVERIFY(w.nextEnabled());
        QTest::mouseClick(w.find<QPushButton>("PortFindButton"), Qt::LeftButton);
        Settle();
        QVERIFY(!bar->isHidden());
        QVERIFY(!found->isHidden());
        QCOMPARE(found->text(), kNotFound);

        // Coming back lists the ports present now and hides the old result.
        AddPort(QStringLiteral("COM9"));
        PostShellMessage(w.shell(), WM_SHOW_WELCOME_FORM);
        showPortPage(w);
        QCOMPARE(Items(list), (QStringList{"COM3", "COM1", "/dev/ttyVormaticX", "COM9"}));
        QVERIFY(Selected(list).isEmpty());
        QVERIFY(!w.nextEnabled());
        QVERIFY(bar->isHidden());
        QCOMPARE(bar->value(), 0);
        QVERIFY(found->isHidden());
        QVERIFY(found->text().isEmpty());
        QVERIFY(dialogs_->boxes.isEmpty());
    }

    void aListingFailureIsShownAndKeepsTheNamesReadBeforeIt() {
        AddPort(QStringLiteral("COM1"));
        // A value that is not a string, as a broken driver might leave behind.
        QFile hive(sandbox_->registryDir() + QStringLiteral("/HKEY_LOCAL_MACHINE.reg"));
        QVERIFY(hive.open(QIODevice::Append));
        hive.write("\"\\\\Device\\\\Broken\"=dword:00000001\n");
        hive.close();
        AddPort(QStringLiteral("COM2"));
        const QString failure = QString::fromStdString(ListComPorts(nullptr));
        QVERIFY(!failure.isEmpty());

        Wizard w;
        showPortPage(w);
        QCOMPARE(w.index(), 6);
        QCOMPARE(Items(w.find<QListWidget>("PortListBox")), QStringList{"COM1"});
        QCOMPARE(dialogs_->boxes.size(), 1);
        QCOMPARE(dialogs_->boxes[0].title, QStringLiteral("Error"));
        QCOMPARE(dialogs_->boxes[0].text, failure);
        QCOMPARE(dialogs_->boxes[0].icon, MsgIcon::Exclamation);
        QVERIFY(w.backEnabled());
        QVERIFY(!w.nextEnabled());
    }

    void handOverShowsItsRow_data() {
        QTest::addColumn<bool>("handOver");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("info");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<bool>("next");
        QTest::newRow("no hand-over")
            << false << QString() << kInfoPlain << kHintPlain << QStringList{} << false;
        QTest::newRow("no new port")
            << true << QString() << kInfoNone << kHintNone << QStringList{} << false;
        QTest::newRow("new port") << true << "COM5" << kInfoNew << kHintNew << QStringList{"COM5"}
                                  << true;
        QTest::newRow("new port in lower case")
            << true << "com5" << kInfoNew << kHintNew << QStringList{"COM5"} << true;
        QTest::newRow("new port not listed")
            << true << "COM8" << kInfoNew << kHintNew << QStringList{} << true;
    }
    void handOverShowsItsRow() {
        QFETCH(bool, handOver);
        QFETCH(QString, name);
        QFETCH(QString, info);
        QFETCH(QString, hint);
        QFETCH(QStringList, selected);
        QFETCH(bool, next);
        for (const char* port : {"COM3", "COM5", "COM6"}) {
            AddPort(QString::fromLatin1(port));
        }
        Wizard w;
        // A page that had a port selected before must not keep it.
        showPortPage(w, QStringLiteral("COM6"));
        QCOMPARE(Selected(w.find<QListWidget>("PortListBox")), QStringList{"COM6"});

        if (handOver) {
            showPortPage(w, name);
        } else {
            showPortPage(w);
        }
        QCOMPARE(w.index(), 6);
        QCOMPARE(w.find<QLabel>("PortInfoLabel1")->text(), info);
        QCOMPARE(w.find<QLabel>("PortInfoLabel2")->text(), hint);
        QCOMPARE(Selected(w.find<QListWidget>("PortListBox")), selected);
        QCOMPARE(w.nextEnabled(), next);
        QCOMPARE(PortForm->NewPortName(), name);
        QVERIFY(w.backEnabled());
        QVERIFY(ClippedCaptions(PortForm).isEmpty());

        // Next goes on only from a selected port; a disabled Next asked anyway holds its ground.
        pressNext(w);
        if (selected.isEmpty()) {
            QCOMPARE(w.index(), 6);
            QCOMPARE(dialogs_->texts(), QStringList{kMustSelect});
            QCOMPARE(dialogs_->boxes[0].title, QStringLiteral("Error"));
            QCOMPARE(dialogs_->boxes[0].icon, MsgIcon::Exclamation);
            QVERIFY(GetSelectedPort().isEmpty());
        } else {
            QCOMPARE(w.index(), 7);
            QCOMPARE(GetSelectedPort(), selected.first());
            QVERIFY(dialogs_->boxes.isEmpty());
        }
    }

    void withoutPortsTheSearchEndsAtOnce() {
        Wizard w;
        showPortPage(w);
        auto* list = w.find<QListWidget>("PortListBox");
        QCOMPARE(list->count(), 0);
        auto* bar = w.find<QProgressBar>("PortProgressBar");
        PaintLog log(bar, w.find<QLabel>("PortFoundLabel"));
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(w.find<QPushButton>("PortFindButton"), Qt::LeftButton);
        QVERIFY(clock.elapsed() < 1000);
        Settle();
        QCOMPARE(bar->value(), 100);
        QVERIFY(!bar->isHidden());
        QCOMPARE(w.find<QLabel>("PortFoundLabel")->text(), kNotFound);
        QCOMPARE(log.values, (QList<int>{0, 100}));
        QVERIFY(!w.nextEnabled());
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
        pressNext(w);
        QCOMPARE(w.index(), 6);
        QCOMPARE(dialogs_->texts(), QStringList{kMustSelect});
    }

    void searchReportsEachPortBeforeProbingIt() {
        FakeSerialLine printer("RX200 Vormatic Tag Printer v2.14");
        FakeSerialLine later("NB520 Vormatic Tag Printer");
        QVERIFY(printer.ok() && later.ok());
        // A file that is not a terminal, beside the program (the current directory).
        sandbox_->writeCdFile(QStringLiteral("tty0"), "not a tty");
        for (const QString& port :
             {kMissingPort, QStringLiteral("tty0"), printer.path(), later.path()}) {
            AddPort(port);
        }
        SetPrinterModel(QStringLiteral("OLD"));
        SetPrinterIdentity(QStringLiteral("OLD printer"));
        RecordingView view;
        QCOMPARE(QString::fromStdString(FindPrinterPort(view)), printer.path());
        QCOMPARE(view.events,
                 (QStringList{"start", "0", "testing " + kMissingPort, "25", "testing tty0", "50",
                              "testing " + printer.path(), "100"}));
        QCOMPARE(GetPrinterModel(), QStringLiteral("RX200"));
        QCOMPARE(GetPrinterIdentity(), QStringLiteral("RX200 Vormatic Tag Printer v2.14"));
        QCOMPARE(printer.frames(), 1);
        QCOMPARE(later.frames(), 0);
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
        QVERIFY(dialogs_->boxes.isEmpty());
    }

    void probeTakesTheModelFromTheFirstWord() {
        FakeSerialLine oneWord("RX8XX");
        QVERIFY(oneWord.ok());
        QVERIFY(ProbePort(oneWord.path().toStdString()));
        QCOMPARE(GetPrinterModel(), QStringLiteral("RX8XX"));
        QCOMPARE(GetPrinterIdentity(), QStringLiteral("RX8XX"));
        // A port without a printer changes neither selection.
        QVERIFY(!ProbePort(kMissingPort.toStdString()));
        QCOMPARE(GetPrinterModel(), QStringLiteral("RX8XX"));
        QCOMPARE(GetPrinterIdentity(), QStringLiteral("RX8XX"));
    }

    void findsThePrinterOnTheThirdOfFourPorts() {
        FakeSerialLine silent;
        FakeSerialLine printer("RX6XX Vormatic Tag Printer v3.01 SN 4711");
        FakeSerialLine second("NB520 Vormatic Tag Printer");
        QVERIFY(silent.ok() && printer.ok() && second.ok());
        for (const QString& port : {silent.path(), kMissingPort, printer.path(), second.path()}) {
            AddPort(port);
        }
        Wizard w;
        showPortPage(w);
        auto* list = w.find<QListWidget>("PortListBox");
        QCOMPARE(list->count(), 4);
        auto* bar = w.find<QProgressBar>("PortProgressBar");
        auto* found = w.find<QLabel>("PortFoundLabel");
        PaintLog log(bar, found);

        // While a port is probed the window answers: an event posted once the silent port has
        // its first frame is handled under the hourglass. A page's timer that it starts, due at
        // once, waits until the search is over.
        const auto searching = [] {
            const QCursor* cursor = QGuiApplication::overrideCursor();
            return cursor != nullptr && cursor->shape() == Qt::WaitCursor;
        };
        bool timerRan = false;
        bool timerDuringSearch = false;
        QTimer pageTimer(PortForm);
        pageTimer.setSingleShot(true);
        connect(&pageTimer, &QTimer::timeout, [&] {
            timerRan = true;
            timerDuringSearch = searching();
        });
        bool answered = false;
        bool answeredDuringSearch = false;
        std::thread poster([&] {
            for (int ms = 0; ms < 20000 && silent.frames() == 0; ++ms) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            QMetaObject::invokeMethod(
                found,
                [&] {
                    answered = true;
                    answeredDuringSearch = searching();
                    pageTimer.start(0);
                },
                Qt::QueuedConnection);
        });

        // Time runs ten times faster: the silent port's four tries of a second each pass in
        // 0.4 s, and the clock the search reads shows them as four seconds.
        const waits::ScopedSpeedup fast(10);
        const std::uint32_t start = waits::TickCountMs();
        auto* findButton = w.find<QPushButton>("PortFindButton");
        QTest::mouseClick(findButton, Qt::LeftButton);
        poster.join();
        const std::uint32_t spent = waits::TickCountMs() - start;
        QVERIFY2(spent >= 3996, qPrintable(QString::number(spent)));
        QCOMPARE(silent.frames(), 4);
        QCOMPARE(printer.frames(), 1);
        QCOMPARE(second.frames(), 0);
        Settle();

        const QString identity = QStringLiteral("RX6XX Vormatic Tag Printer v3.01 SN 4711");
        QCOMPARE(log.values, (QList<int>{0, 25, 50, 100}));
        QCOMPARE(log.texts.mid(0, 3),
                 (QStringList{"Testing Port " + silent.path(), "Testing Port " + kMissingPort,
                              "Testing Port " + printer.path()}));
        // The window was repainted while the search ran, under the hourglass.
        QCOMPARE(log.busyTexts.mid(0, 3), log.texts.mid(0, 3));
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
        QVERIFY(answered && answeredDuringSearch);
        QVERIFY(timerRan && !timerDuringSearch);
        QCOMPARE(found->text(), FoundText(printer.path(), identity));
        QVERIFY(!found->isHidden());
        // A screen reader hears the result: the label is named by it, and the Find button,
        // where the focus stays, is described by it.
        QCOMPARE(QAccessible::queryAccessibleInterface(found)->text(QAccessible::Name),
                 found->text());
        QCOMPARE(findButton->accessibleDescription(), found->text());
        QCOMPARE(bar->value(), 100);
        QCOMPARE(Selected(list), QStringList{printer.path()});
        QVERIFY(w.nextEnabled());
        QCOMPARE(GetPrinterModel(), QStringLiteral("RX6XX"));
        QCOMPARE(GetPrinterIdentity(), identity);
        QVERIFY(ClippedCaptions(PortForm).isEmpty());

        // The model is known: Next skips the model page.
        w.next();
        QCOMPARE(w.index(), 8);
        QCOMPARE(GetSelectedPort(), printer.path());
        QVERIFY(dialogs_->boxes.isEmpty());
    }

    void aPortChosenAfterTheSearchIsStoredAndTheModelPageStillSkipped() {
        FakeSerialLine printer("MZ4-A2 Cassette Printer");
        QVERIFY(printer.ok());
        AddPort(printer.path());
        AddPort(QStringLiteral("COM2"));
        Wizard w;
        showPortPage(w);
        QTest::mouseClick(w.find<QPushButton>("PortFindButton"), Qt::LeftButton);
        Settle();
        auto* list = w.find<QListWidget>("PortListBox");
        QCOMPARE(Selected(list), QStringList{printer.path()});
        clickItem(list, 1);
        QCOMPARE(Selected(list), QStringList{"COM2"});
        w.next();
        QCOMPARE(w.index(), 8);
        QCOMPARE(GetSelectedPort(), QStringLiteral("COM2"));
        QCOMPARE(GetPrinterModel(), QStringLiteral("MZ4-A2"));
    }

    void withoutAModelNextLeadsToTheModelPage() {
        AddPort(QStringLiteral("COM1"));
        AddPort(QStringLiteral("COM4"));
        Wizard w;
        showPortPage(w);
        clickItem(w.find<QListWidget>("PortListBox"), 1);
        QVERIFY(w.nextEnabled());
        w.next();
        QCOMPARE(w.index(), 7);
        QCOMPARE(GetSelectedPort(), QStringLiteral("COM4"));
        QVERIFY(GetPrinterModel().isEmpty());
    }

    void aPortChosenWithTheKeyboardEnablesNext() {
        AddPort(QStringLiteral("COM1"));
        AddPort(QStringLiteral("COM2"));
        Wizard w;
        showPortPage(w);
        auto* list = w.find<QListWidget>("PortListBox");
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Down);
        Settle();
        QCOMPARE(Selected(list).size(), 1);
        QVERIFY(w.nextEnabled());
        w.next();
        QCOMPARE(GetSelectedPort(), Selected(list).first());
        QCOMPARE(w.index(), 7);
    }

    void aSearchThatFindsNothingForgetsTheEarlierPrinter() {
        auto printer = std::make_unique<FakeSerialLine>("RX200 Vormatic Tag Printer");
        QVERIFY(printer->ok());
        const QString printerPort = printer->path();
        AddPort(printerPort);
        AddPort(kMissingPort);
        Wizard w;
        showPortPage(w);
        auto* findButton = w.find<QPushButton>("PortFindButton");
        QTest::mouseClick(findButton, Qt::LeftButton);
        Settle();
        QCOMPARE(GetPrinterModel(), QStringLiteral("RX200"));

        printer.reset();  // the printer is gone, and its device with it
        QTest::mouseClick(findButton, Qt::LeftButton);
        Settle();
        QCOMPARE(w.find<QLabel>("PortFoundLabel")->text(), kNotFound);
        QCOMPARE(w.find<QProgressBar>("PortProgressBar")->value(), 100);
        QVERIFY(GetPrinterModel().isEmpty());
        QVERIFY(GetPrinterIdentity().isEmpty());
        // The port chosen by the earlier search stays chosen; Next now asks for the model.
        QCOMPARE(Selected(w.find<QListWidget>("PortListBox")), QStringList{printerPort});
        w.next();
        QCOMPARE(w.index(), 7);
        QCOMPARE(GetSelectedPort(), printerPort);
    }

    void aPrinterOnAPortMissingFromTheListIsReportedAsSuch() {
        AddPort(QStringLiteral("COM1"));
        Wizard w;
        showPortPage(w);
        // The printer's port appears after the list was filled; the search takes a fresh list.
        FakeSerialLine printer("RX200 Vormatic Tag Printer");
        QVERIFY(printer.ok());
        AddPort(printer.path());
        QTest::mouseClick(w.find<QPushButton>("PortFindButton"), Qt::LeftButton);
        Settle();
        QCOMPARE(w.find<QLabel>("PortFoundLabel")->text(), kNoMatch);
        QCOMPARE(Items(w.find<QListWidget>("PortListBox")), QStringList{"COM1"});
        QVERIFY(Selected(w.find<QListWidget>("PortListBox")).isEmpty());
        QVERIFY(!w.nextEnabled());
        QCOMPARE(printer.frames(), 1);
    }

    void backReturnsToTheSerialPageAndEmptiesTheSelections() {
        FakeSerialLine printer("RX200 Vormatic Tag Printer");
        QVERIFY(printer.ok());
        AddPort(printer.path());
        Wizard w;
        showPortPage(w);
        QTest::mouseClick(w.find<QPushButton>("PortFindButton"), Qt::LeftButton);
        Settle();
        SetSelectedPort(printer.path());
        QVERIFY(!GetPrinterModel().isEmpty());
        QVERIFY(!GetPrinterIdentity().isEmpty());
        w.back();
        QCOMPARE(w.index(), 3);
        QVERIFY(w.backEnabled());
        QVERIFY(GetSelectedPort().isEmpty());
        QVERIFY(GetPrinterModel().isEmpty());
        QVERIFY(GetPrinterIdentity().isEmpty());
    }

    void layoutKeepsEveryControlOnThePage() {
        AddPort(QStringLiteral("COM1"));
        Wizard w;
        showPortPage(w);
        QWidget* client = PortForm->findChild<QWidget*>(QStringLiteral("ClientPanel"));
        QVERIFY(client);
        const QRect page(0, 0, 612, 417);
        for (const char* name :
             {"PortLabel1", "PortInfoLabel1", "PortListBox", "PortInfoLabel2", "FindGroupBox"}) {
            auto* control = client->findChild<QWidget*>(QString::fromLatin1(name));
            QVERIFY2(control, name);
            QCOMPARE(control->parentWidget(), client);
            QVERIFY2(page.contains(control->geometry()), name);
        }
        auto* group = w.find<QGroupBox>("FindGroupBox");
        QCOMPARE(group->size(), QSize(377, 241));
        for (const char* name : {"Label4", "PortFindButton", "PortProgressBar", "PortFoundLabel"}) {
            auto* control = group->findChild<QWidget*>(QString::fromLatin1(name));
            QVERIFY2(control, name);
            QVERIFY2(group->contentsRect().contains(control->geometry()), name);
        }
        QCOMPARE(w.find<QListWidget>("PortListBox")->size(), QSize(121, 73));
        QCOMPARE(w.find<QProgressBar>("PortProgressBar")->size(), QSize(329, 16));
        QCOMPARE(w.find<QLabel>("PortFoundLabel")->size(), QSize(329, 128));
        QCOMPARE(w.find<QLabel>("PortLabel1")->text(), QStringLiteral("COM Port Selection"));
        QVERIFY(w.find<QLabel>("PortLabel1")->font().bold());
        QCOMPARE(w.find<QPushButton>("PortFindButton")->text(), QStringLiteral("Find"));
        // The longest texts of the page fit their labels.
        for (const QString& name : {QStringLiteral("COM1"), QString()}) {
            showPortPage(w, name);
            QVERIFY(ClippedCaptions(PortForm).isEmpty());
        }
        auto* found = w.find<QLabel>("PortFoundLabel");
        // The longest answer the probe returns is 127 characters.
        const QString identity = QStringLiteral(
            "RX6XX Vormatic Tag Printer Firmware 3.01.17 Serial Number 4711-0815-2342 Print Head "
            "53 mm Options: Cutter, Stacker, Network WWW");
        QCOMPARE(identity.size(), 127);
        found->setText(FoundText(QStringLiteral("/dev/ttyUSB0"), identity));
        found->show();
        QVERIFY(ClippedCaptions(PortForm).isEmpty());
    }

private:
    void showPortPage(Wizard& w) {
        PostShellMessage(w.shell(), WM_SHOW_PORT_FORM);
        Settle();
    }
    void showPortPage(Wizard& w, const QString& name) {
        PostShellMessage(w.shell(), WM_SHOW_PORT_FORM, name);
        Settle();
    }
    // Next by its button when enabled, else straight on the page.
    static void pressNext(Wizard& w) {
        if (w.nextEnabled()) {
            w.next();
        } else {
            PortForm->Next();
            Settle();
        }
    }
    static void clickItem(QListWidget* list, int row) {
        const QRect rect = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        Settle();
    }

    std::unique_ptr<Sandbox> sandbox_;
    std::unique_ptr<DialogRecorder> dialogs_;
};

VORMATIC_TEST_MAIN(PortPageTest)
#include "PortPageTest.moc"
