// The shell on its own: first page, messages, button states, page lifetime and the close
// decision, on the real TMainForm with the real pages.

#include <QLabel>
#include <QRadioButton>
#include <QtTest>

#include "app/Selections.h"
#include "app/ShellMessages.h"
#include "app/TChildForm.h"
#include "host/Registry.h"
#include "host/RunOnce.h"
#include "pages/about/TAboutBox.h"
#include "pages/ethernet/TEthernetForm.h"
#include "pages/welcome/TWelcomeForm.h"
#include "tests/support/DialogRecorder.h"
#include "tests/support/Sandbox.h"
#include "tests/support/TestMain.h"
#include "tests/support/Wizard.h"

namespace {
const QString kExitQuestion =
    QStringLiteral("Are you sure you wish to exit without completing the installation process?");
const QString kWaitRefusal =
    QStringLiteral("Can't exit while waiting for an installation to complete.");

void Post(Wizard& w, ShellMessage m) {
    PostShellMessage(w.shell(), m);
    Settle();
}
}  // namespace

class ShellTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        sandbox_ = std::make_unique<Sandbox>();
        sandbox_->writeCdFile(QStringLiteral("Quorvanta Software License.txt"),
                              QByteArrayLiteral("Licence text\n"));
        dialogs_ = std::make_unique<DialogRecorder>();
        ClearSelections();
        SetWaitingForProgram(false);
    }
    void cleanup() {
        dialogs_.reset();
        sandbox_.reset();
    }

    void pageReferencesGoWithTheirPages() {
        {
            Wizard w;
            Post(w, WM_SHOW_ETHERNET_FORM);
            QVERIFY(WelcomeForm && EthernetForm && MainForm && AboutBox);
        }
        QVERIFY(!WelcomeForm && !EthernetForm && !MainForm && !AboutBox);
    }

    void startsOnWelcomeWithFixedClientArea() {
        Wizard w;
        QCOMPARE(w.index(), 0);
        QVERIFY(w.shell()->ChildForm(0) != nullptr);
        for (int slot = 1; slot < kPageSlotCount; ++slot) {
            QVERIFY2(w.shell()->ChildForm(slot) == nullptr, "only the Welcome page exists");
        }
        QCOMPARE(w.shell()->size(), QSize(622, 472));
        QCOMPARE(w.shell()->ChildFormPanel()->geometry(), QRect(0, 0, 622, 431));
        QCOMPARE(w.shell()->ChildForm(0)->geometry(), QRect(0, 0, 622, 431));
        QVERIFY(!w.backEnabled());
        QVERIFY(w.nextEnabled());
        QVERIFY(w.shell()->NextButton()->isDefault());
        QCOMPARE(w.shell()->windowTitle(), QStringLiteral("Vormatic® Installer"));
        for (const char* name : {"AboutButton", "BackButton", "NextButton", "ExitButton"}) {
            QVERIFY2(w.find<QPushButton>(name), name);
        }
        QVERIFY(dialogs_->boxes.isEmpty());
    }

    // Messages 2025-2034 show the pages of slots 0-9, as the pages post them.
    void eachShowMessageShowsItsOwnSlot() {
        Wizard w;
        for (int slot = kPageSlotCount - 1; slot >= 0; --slot) {
            Post(w, static_cast<ShellMessage>(2025 + slot));
            QCOMPARE(w.index(), slot);
            QVERIFY(w.shell()->CurrentForm() == w.shell()->ChildForm(slot));
        }
    }

    void usbResumeArgumentIsExactAndFirst_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("resume");
        QTest::newRow("none") << QStringList{} << false;
        QTest::newRow("-rusb") << QStringList{"-rusb"} << true;
        QTest::newRow("-rusb with more") << QStringList{"-rusb", "x"} << true;
        QTest::newRow("upper case") << QStringList{"-RUSB"} << false;
        QTest::newRow("second argument") << QStringList{"x", "-rusb"} << false;
        QTest::newRow("prefix") << QStringList{"-rusbx"} << false;
        QTest::newRow("with blank") << QStringList{"-rusb "} << false;
    }
    void usbResumeArgumentIsExactAndFirst() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, resume);
        QCOMPARE(IsUsbResumeArgument(arguments), resume);
    }

    void normalStartWithForeignArguments() {
        Wizard w({QStringLiteral("-RUSB")});
        QCOMPARE(w.index(), 0);
        QVERIFY(!w.shell()->Is_usb_resume());
    }

    void usbResumeStartRemovesTheRunOnceEntry() {
        QVERIFY(RegisterRunOnceEntry("/cd/vormatic-installer", "-rusb"));
        // What the next logon runs: POSIX the autostart entry, Windows the RunOnce value.
        const QString autostart = QString::fromStdString(AutostartEntryPath());
        const auto entryThere = [&autostart] {
#ifdef Q_OS_WIN
            return reg::ReadString(reg::Root::CurrentUser, kRunOnceKey, kRunOnceValue).has_value();
#else
            return QFile::exists(autostart);
#endif
        };
        QVERIFY(entryThere());
        {
            Wizard other({QStringLiteral("-RUSB")});
            QVERIFY(entryThere());
        }
#ifdef Q_OS_WIN
        // Windows deletes the value before it runs the command line.
        reg::DeleteValue(reg::Root::CurrentUser, kRunOnceKey, kRunOnceValue);
#endif
        Wizard w({QStringLiteral("-rusb")});
        QVERIFY(w.shell()->Is_usb_resume());
        QVERIFY(!entryThere());
        QVERIFY(!reg::ReadString(reg::Root::CurrentUser, kRunOnceKey, kRunOnceValue));
        // The USB page first, on its resume step with Back off; no earlier page exists.
        QCOMPARE(w.index(), kUsbSlot);
        QVERIFY(!w.backEnabled());
        QVERIFY(w.nextEnabled());
        for (int slot : {kWelcomeSlot, kLicenseSlot, kConnectSlot}) {
            QVERIFY(w.shell()->ChildForm(slot) == nullptr);
        }
        QVERIFY(dialogs_->boxes.isEmpty());
    }

    void lastButtonMessageWins() {
        Wizard w;
        PostShellMessage(w.shell(), WM_DISABLE_NEXT);
        PostShellMessage(w.shell(), WM_ENABLE_NEXT);
        PostShellMessage(w.shell(), WM_ENABLE_BACK);
        PostShellMessage(w.shell(), WM_DISABLE_BACK);
        // Posted, not sent: nothing changes before the queue runs.
        QVERIFY(w.nextEnabled());
        QVERIFY(!w.backEnabled());
        Settle();
        QVERIFY(w.nextEnabled());
        QVERIFY(!w.backEnabled());
        Post(w, WM_DISABLE_NEXT);
        QVERIFY(!w.nextEnabled());
    }

    void exitDefaultMovesEnterToExit() {
        Wizard w;
        Post(w, WM_EXIT_DEFAULT);
        QVERIFY(w.shell()->ExitButton()->isDefault());
        QVERIFY(!w.shell()->NextButton()->isDefault());
        QVERIFY(!w.shell()->BackButton()->isDefault());
    }

    void exitAsksAndClosesOnlyOnYes() {
        Wizard w;
        dialogs_->answers.enqueue(MsgAnswer::No);
        QTest::mouseClick(w.shell()->ExitButton(), Qt::LeftButton);
        QVERIFY(w.shell()->isVisible());
        QCOMPARE(dialogs_->boxes.size(), 1);
        QCOMPARE(dialogs_->boxes[0].title, QStringLiteral("Confirm"));
        QCOMPARE(dialogs_->boxes[0].text, kExitQuestion);
        QCOMPARE(dialogs_->boxes[0].icon, MsgIcon::Question);
        QCOMPARE(dialogs_->boxes[0].buttons, MsgButtons::YesNo);

        dialogs_->answers.enqueue(MsgAnswer::Yes);
        QTest::mouseClick(w.shell()->ExitButton(), Qt::LeftButton);
        QVERIFY(!w.shell()->isVisible());
    }

    void closeMessageGoesThroughTheDecision() {
        Wizard w;
        dialogs_->answers.enqueue(MsgAnswer::No);
        Post(w, WM_CLOSE_WIZARD);
        QVERIFY(w.shell()->isVisible());
        QCOMPARE(dialogs_->texts(), QStringList{kExitQuestion});
    }

    void exitIsRefusedWhileAnInstallerRuns() {
        Wizard w;
        SetWaitingForProgram(true);
        dialogs_->answers.enqueue(MsgAnswer::Yes);  // must not be asked
        QVERIFY(!w.shell()->close());
        SetWaitingForProgram(false);
        QVERIFY(w.shell()->isVisible());
        QCOMPARE(dialogs_->boxes.size(), 1);
        QCOMPARE(dialogs_->boxes[0].title, QStringLiteral("Error"));
        QCOMPARE(dialogs_->boxes[0].text, kWaitRefusal);
        QCOMPARE(dialogs_->boxes[0].icon, MsgIcon::Exclamation);
    }

    void finishedPageClosesAtOnce() {
        Wizard w;
        Post(w, WM_SHOW_FINISHED_FORM);
        QCOMPARE(w.index(), 9);
        QVERIFY(!w.nextEnabled());
        QVERIFY(!w.backEnabled());
        QVERIFY(w.shell()->ExitButton()->isDefault());
        QVERIFY(w.shell()->close());
        QVERIFY(dialogs_->boxes.isEmpty());
    }

    void secondShowingKeepsThePageAndItsState() {
        Wizard w;
        Post(w, WM_SHOW_CONNECT_FORM);
        TChildForm* connect = w.shell()->ChildForm(2);
        QVERIFY(connect);
        auto* usb = connect->findChild<QRadioButton*>(QStringLiteral("UsbRadioButton"));
        QVERIFY(usb);
        usb->setChecked(true);
        Post(w, WM_SHOW_WELCOME_FORM);
        QCOMPARE(w.index(), 0);
        Post(w, WM_SHOW_CONNECT_FORM);
        QCOMPARE(w.shell()->ChildForm(2), connect);
        QCOMPARE(w.index(), 2);
        QVERIFY(usb->isChecked());
        // Activate ran again: the connection page disables Back on every arrival.
        QVERIFY(!w.backEnabled());
        // The current page is on top of the others.
        QCOMPARE(w.shell()->childAt(300, 200)->window(), w.shell());
        QVERIFY(connect->isAncestorOf(w.shell()->childAt(300, 200)) ||
                w.shell()->childAt(300, 200) == connect);
    }

    void slotWithoutAPageSaysSoAndStays() {
        Wizard w;
        SetPageFactory(kModelSlot, PageFactory());  // CreateWizard fills it in again
        Post(w, WM_SHOW_MODEL_FORM);
        QCOMPARE(w.index(), 0);
        QVERIFY(w.shell()->ChildForm(kModelSlot) == nullptr);
        QCOMPARE(dialogs_->boxes.size(), 1);
    }

    void portMessageWithAndWithoutName() {
        Wizard w;
        Post(w, WM_SHOW_PORT_FORM);
        QCOMPARE(w.index(), 6);
        QVERIFY(!w.nextEnabled());
        auto* hint = w.find<QLabel>("PortInfoLabel2");
        QVERIFY(hint);
        QCOMPARE(hint->text(), QStringLiteral("If you know which COM port the printer is connected "
                                              "to, select that port in the list at the left and "
                                              "click Next below."));
        PostShellMessage(w.shell(), WM_SHOW_PORT_FORM, QString());
        Settle();
        QCOMPARE(w.index(), 6);
        QCOMPARE(hint->text(),
                 QStringLiteral("Please select the port you intend to use from the list at the "
                                "left."));
    }

    void wayBackWithoutConnectPageLeadsToSerial() {
        Wizard w;
        SetSelectedPort(QStringLiteral("/dev/ttyS9"));
        SetPrinterModel(QStringLiteral("RX200"));
        SetPrinterIdentity(QStringLiteral("RX200 x"));
        Post(w, WM_SHOW_PORT_FORM);
        Post(w, WM_SELECT_NEXT_FORM_BY_CONNECTION);
        QVERIFY(w.shell()->ChildForm(2) != nullptr);
        QCOMPARE(w.index(), 3);
        QVERIFY(w.backEnabled());
        QVERIFY(GetSelectedPort().isEmpty());
        QVERIFY(GetPrinterModel().isEmpty());
        QVERIFY(GetPrinterIdentity().isEmpty());
    }

    void aboutGoesThroughTheDialogSeam() {
        Wizard w;
        QTest::mouseClick(w.shell()->AboutButton(), Qt::LeftButton);
        QCOMPARE(dialogs_->execDialogs, QStringList{QStringLiteral("AboutBox")});
    }

    void escapeDoesNotClose() {
        Wizard w;
        QTest::keyClick(w.shell(), Qt::Key_Escape);
        QVERIFY(w.shell()->isVisible());
        QVERIFY(dialogs_->boxes.isEmpty());
    }

private:
    std::unique_ptr<Sandbox> sandbox_;
    std::unique_ptr<DialogRecorder> dialogs_;
};

VORMATIC_TEST_MAIN(ShellTest)
#include "ShellTest.moc"
