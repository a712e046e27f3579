// Enter on every page of the serial road, pressed on whatever widget has the focus, as a
// person presses it: Next is the default button, a disabled Next makes Enter do nothing, and
// only the finished page hands Enter to Exit.

#include <QApplication>
#include <QtTest>

#include "app/Selections.h"
#include "host/ComPorts.h"
#include "host/Registry.h"
#include "tests/support/DialogRecorder.h"
#include "tests/support/Sandbox.h"
#include "tests/support/TestMain.h"
#include "tests/support/Walk.h"
#include "tests/support/Wizard.h"

namespace {

// Enter on the focused widget (the window itself when nothing inside has the focus).
void PressEnter(Wizard& w) {
    QWidget* target = QApplication::focusWidget();
    QTest::keyClick(target ? target : w.shell(), Qt::Key_Return);
    Settle();
}

}  // namespace

class KeyboardTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        sandbox_ = std::make_unique<Sandbox>();
        QVERIFY(MakeDemoCd(*sandbox_, sandbox_->root() + QStringLiteral("/install.log")));
        // One listed port, so that the COM port page can be left without a search.
        reg::WriteString(reg::Root::LocalMachine, kSerialCommKey, "\\Device\\Demo0", "/dev/demo0");
        dialogs_ = std::make_unique<DialogRecorder>();
        ClearSelections();
    }
    void cleanup() {
        dialogs_.reset();
        sandbox_.reset();
    }

    void enterPressesNextOrNothingUntilTheFinishedPage() {
        Wizard w;
        w.shell()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.shell()));
        // What the user clicks first (if anything), then Enter, and the page that follows.
        const struct {
            const char* click;
            int page;
        } steps[] = {
            {nullptr, 1},                    // Welcome -> licence
            {nullptr, 1},                    // "I do not accept": Next is off
            {"AcceptRadioButton", 2},        // -> connection choice
            {nullptr, 3},                    // serial is preselected
            {nullptr, 6},                    // -> COM port page
            {nullptr, 6},                    // no port chosen: Next is off
            {"/dev/demo0", 7},               // a port, no search: the model page asks
            {nullptr, 7},                    // no model chosen: Next is off
            {"CassetteMZ4A2ModelImage", 8},  // -> Producer page
            {nullptr, 9},                    // runs the demo installer, registers the port
        };
        for (const auto& step : steps) {
            if (step.click != nullptr && step.click[0] == '/') {
                QVERIFY(ClickPortItem(w, QString::fromLatin1(step.click)));
            } else if (step.click != nullptr) {
                ClickNamed(w, step.click);
            }
            PressEnter(w);
            QCOMPARE(w.index(), step.page);
            QVERIFY2(dialogs_->boxes.isEmpty(), qPrintable(dialogs_->texts().join(u'|')));
        }
        // The finished page makes Exit the default: Enter closes without a question.
        PressEnter(w);
        QVERIFY(!w.shell()->isVisible());
        QVERIFY2(dialogs_->boxes.isEmpty(), qPrintable(dialogs_->texts().join(u'|')));
    }

private:
    std::unique_ptr<Sandbox> sandbox_;
    std::unique_ptr<DialogRecorder> dialogs_;
};

VORMATIC_TEST_MAIN(KeyboardTest)
#include "KeyboardTest.moc"
