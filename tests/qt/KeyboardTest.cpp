// The wizard by keyboard and as a screen reader reads it. Enter on every page of the serial
// road, pressed on whatever widget has the focus, as a person presses it: Next is the default
// button, a disabled Next makes Enter do nothing, and only the finished page hands Enter to
// Exit. On arrival each page gives the focus to its first control (or to the default button),
// Tab and Shift+Tab stay on the page on top and the shell's buttons, and every control has a
// name. Keys and accessibility actions on the pages do what a click does.

#include <QAccessible>
#include <QApplication>
#include <QRadioButton>
#include <QtTest>

#include "app/Selections.h"
#include "app/ShellMessages.h"
#include "app/TChildForm.h"
#include "host/ComPorts.h"
#include "host/Registry.h"
#include "pages/model/ModelTable.h"
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

// Empty when the focus is on a visible control of the page on top or of the shell's button
// row; otherwise what is wrong.
QString StrayFocus(Wizard& w) {
    const QWidget* focus = QApplication::focusWidget();
    if (!focus) {
        return QStringLiteral("nothing has the focus");
    }
    const QWidget* buttons = w.shell()->NextButton()->parentWidget();
    const TChildForm* page = w.shell()->CurrentForm();
    if (!focus->isVisible() || !(buttons->isAncestorOf(focus) || page->isAncestorOf(focus))) {
        return QStringLiteral("the focus went to %1 (visible: %2)")
            .arg(focus->objectName())
            .arg(focus->isVisible());
    }
    return {};
}

// Goes round the focus chain with Tab, then with Shift+Tab, and puts the focus back. Empty
// when every stop was on the page on top or the shell's buttons.
QString TabRound(Wizard& w) {
    QWidget* start = QApplication::focusWidget();
    for (const Qt::Key key : {Qt::Key_Tab, Qt::Key_Backtab}) {
        for (int stop = 0; stop < 30; ++stop) {
            QTest::keyClick(QApplication::focusWidget(), key);
            if (QString stray = StrayFocus(w); !stray.isEmpty()) {
                return stray;
            }
            if (QApplication::focusWidget() == start) {
                break;
            }
        }
    }
    start->setFocus();
    return {};
}

// The visible controls under `root` that a screen reader would find without a name.
QStringList Unnamed(const QWidget* root) {
    static const QList<QAccessible::Role> controls = {
        QAccessible::PushButton,   QAccessible::Button, QAccessible::RadioButton,
        QAccessible::CheckBox,     QAccessible::List,   QAccessible::Table,
        QAccessible::EditableText, QAccessible::Link,   QAccessible::ProgressBar};
    QStringList unnamed;
    for (QWidget* widget : root->findChildren<QWidget*>()) {
        const QAccessibleInterface* control = QAccessible::queryAccessibleInterface(widget);
        if (widget->isVisible() && control && controls.contains(control->role()) &&
            control->text(QAccessible::Name).trimmed().isEmpty()) {
            unnamed << widget->objectName();
        }
    }
    return unnamed;
}

// Walks from Welcome to `page` with Next, accepting the licence and choosing the connection.
void Reach(Wizard& w, int page) {
    if (page == 4) {
        WalkToUsbPage(w);
    } else if (page >= 6) {
        WalkToPortPage(w);
    } else if (page >= 1) {
        w.next();
        if (page >= 2) {
            ClickNamed(w, "AcceptRadioButton");
            w.next();
        }
        if (page == 5) {
            ClickNamed(w, "EtherRadioButton");
            w.next();
        }
    }
    if (page == 7) {
        ClickPortItem(w, QStringLiteral("/dev/demo0"));
        w.next();
    }
}

QString ModelButtonShownFirst() {
    for (const models::PageModel& model : models::kPageModels) {
        if (model.index == 0) {
            return QString::fromLatin1(model.radioName);
        }
    }
    return {};
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
        QCOMPARE(QApplication::focusWidget(), w.shell()->NextButton());
        const QString firstModel = ModelButtonShownFirst();
        // What the user clicks first (if anything), then Enter, the page that follows and the
        // control that has the focus then.
        const struct {
            const char* click;
            int page;
            QString focus;
        } steps[] = {
            {nullptr, 1, "LicenseText"},                    // Welcome -> licence, to be read
            {nullptr, 1, "LicenseText"},                    // "I do not accept": Next is off
            {"AcceptRadioButton", 2, "SerialRadioButton"},  // -> connection choice
            {nullptr, 3, "NextButton"},                     // serial is preselected
            {nullptr, 6, "PortListBox"},                    // -> COM port page
            {nullptr, 6, "PortListBox"},                    // no port chosen: Next is off
            {"/dev/demo0", 7, firstModel},                  // a port, no search: the model page
            {nullptr, 7, firstModel},                       // no model chosen: Next is off
            {"CassetteMZ4A2ModelImage", 8, "NextButton"},   // -> Producer page
            {nullptr, 9, "ExitButton"},  // runs the demo installer, registers the port
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
            QCOMPARE(QApplication::focusWidget()->objectName(), step.focus);
            const QString stray = TabRound(w);
            QVERIFY2(stray.isEmpty(), qPrintable(stray));
            const QStringList unnamed = Unnamed(w.shell());
            QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(u' ')));
        }
        // The finished page makes Exit the default: Enter closes without a question.
        PressEnter(w);
        QVERIFY(!w.shell()->isVisible());
        QVERIFY2(dialogs_->boxes.isEmpty(), qPrintable(dialogs_->texts().join(u'|')));
    }

    // Keys from a control of the page on top reach only that page and the shell's buttons:
    // nothing of a covered page is pressed, chosen or opened.
    void keysStayOnThePageOnTop_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("start");  // "" the control that has the focus on arrival
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("focus");  // where the focus ends, "" anywhere on the page
        QTest::addColumn<bool>("next");
        QTest::newRow("licence: Tab, Space from Exit")
            << 1 << QStringLiteral("ExitButton") << QStringLiteral("Tab Space")
            << QStringLiteral("LicenseText") << false;
        QTest::newRow("connection: Shift+Tab, Down")
            << 2 << QStringLiteral("SerialRadioButton") << QStringLiteral("Backtab Down")
            << QStringLiteral("") << true;
        QTest::newRow("USB: Tab round")
            << 4 << QStringLiteral("") << QStringLiteral("Tab Tab Tab Tab Backtab Backtab")
            << QStringLiteral("") << true;
        QTest::newRow("Ethernet: Tab round")
            << 5 << QStringLiteral("") << QStringLiteral("Tab Tab Tab Tab Backtab Backtab")
            << QStringLiteral("") << true;
        QTest::newRow("COM port: Tab from Exit")
            << 6 << QStringLiteral("ExitButton") << QStringLiteral("Tab")
            << QStringLiteral("PortListBox") << false;
    }
    void keysStayOnThePageOnTop() {
        QFETCH(int, page);
        QFETCH(QString, start);
        QFETCH(QString, keys);
        QFETCH(QString, focus);
        QFETCH(bool, next);
        Wizard w;
        w.shell()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.shell()));
        Reach(w, page);
        QCOMPARE(w.index(), page);
        if (!start.isEmpty()) {
            w.find<QWidget>(qPrintable(start))->setFocus();
        }
        for (const QString& key : keys.split(u' ')) {
            const QKeySequence sequence(key);
            QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(sequence[0].key()));
            Settle();
            const QString stray = StrayFocus(w);
            QVERIFY2(stray.isEmpty(), qPrintable(key + QStringLiteral(": ") + stray));
        }
        if (!focus.isEmpty()) {
            QCOMPARE(QApplication::focusWidget()->objectName(), focus);
        }
        QCOMPARE(w.nextEnabled(), next);
        QCOMPARE(w.index(), page);
        QVERIFY2(dialogs_->boxes.isEmpty(), qPrintable(dialogs_->texts().join(u'|')));
        QVERIFY(dialogs_->opened.isEmpty());
        QVERIFY(dialogs_->execDialogs.isEmpty());
        const QStringList unnamed = Unnamed(w.shell());
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(u' ')));
    }

    // A screen reader's or voice control's action on a control does what a click does.
    void accessibilityActionsActAsClicks_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("chosen");  // the radio button checked afterwards
        QTest::newRow("licence: toggle I accept")
            << 1 << QStringLiteral("AcceptRadioButton")
            << QAccessibleActionInterface::toggleAction() << QStringLiteral("AcceptRadioButton");
        QTest::newRow("connection: press the USB picture")
            << 2 << QStringLiteral("UsbImage") << QAccessibleActionInterface::pressAction()
            << QStringLiteral("UsbRadioButton");
        for (const models::PageModel& model : models::kPageModels) {
            if (QLatin1String(model.imageName) == QLatin1String("CassetteMZ4A2ModelImage")) {
                QTest::newRow("model: press a printer's picture")
                    << 7 << QString::fromLatin1(model.imageName)
                    << QAccessibleActionInterface::pressAction()
                    << QString::fromLatin1(model.radioName);
            }
        }
    }
    void accessibilityActionsActAsClicks() {
        QFETCH(int, page);
        QFETCH(QString, control);
        QFETCH(QString, action);
        QFETCH(QString, chosen);
        Wizard w;
        Reach(w, page);
        QCOMPARE(w.index(), page);
        QVERIFY(!w.find<QRadioButton>(qPrintable(chosen))->isChecked());
        if (page == 2) {
            // Next is on anyway here: take it away to see the choice give it back.
            PostShellMessage(w.shell(), WM_DISABLE_NEXT);
            Settle();
        }
        QVERIFY(!w.nextEnabled());
        QAccessibleInterface* target =
            QAccessible::queryAccessibleInterface(w.find<QWidget>(qPrintable(control)));
        QVERIFY(target && target->actionInterface());
        QVERIFY(target->actionInterface()->actionNames().contains(action));
        QVERIFY(!target->text(QAccessible::Name).isEmpty());
        target->actionInterface()->doAction(action);
        Settle();
        QVERIFY(w.find<QRadioButton>(qPrintable(chosen))->isChecked());
        QVERIFY(w.nextEnabled());
        QVERIFY(dialogs_->boxes.isEmpty());
    }

private:
    std::unique_ptr<Sandbox> sandbox_;
    std::unique_ptr<DialogRecorder> dialogs_;
};

VORMATIC_TEST_MAIN(KeyboardTest)
#include "KeyboardTest.moc"
