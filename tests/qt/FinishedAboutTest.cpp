// The finished page and the About box: the end of the wizard, the branded support contacts
// that both show, and their links to the mail client and the browser.

#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include "app/ShellMessages.h"
#include "host/BrandingStore.h"
#include "pages/about/TAboutBox.h"
#include "pages/art/Art.h"
#include "pages/finished/TFinishedForm.h"
#include "tests/support/CaptionFit.h"
#include "tests/support/DialogRecorder.h"
#include "tests/support/Sandbox.h"
#include "tests/support/TestMain.h"
#include "tests/support/Wizard.h"

namespace {

QLabel* OnFinished(const char* name) {
    return FinishedForm->findChild<QLabel*>(QString::fromLatin1(name));
}
QLabel* OnAbout(const char* name) {
    return AboutBox->findChild<QLabel*>(QString::fromLatin1(name));
}

QString Branded(const char* key) {
    return QString::fromStdString(BrandingStore::Instance().GetString(key));
}

void ShowFinishedPage(Wizard& w) {
    PostShellMessage(w.shell(), WM_SHOW_FINISHED_FORM);
    Settle();
    QCOMPARE(w.index(), 9);
}

void SaveBitmap(const QString& path, QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    // The bottom-left pixel names the transparent colour: keep it apart from the picture.
    image.setPixelColor(0, size.height() - 1, Qt::white);
    QVERIFY(image.save(path, "BMP"));
}

QImage Rgb(const QPixmap& pixmap) {
    return pixmap.toImage().convertToFormat(QImage::Format_RGB32);
}

// The contact labels of one window, by object name, with their places.
struct ContactLine {
    const char* caption;
    const char* value;
    const char* key;
};
constexpr ContactLine kPhone{"PhoneLabel", "PhoneNumber", "AboutCompanyPhone"};
constexpr ContactLine kEmail{"EmailLabel", "EmailAddress", "AboutCompanySupportEmail"};
constexpr ContactLine kWeb{"WebLabel", "WebAddress", "AboutCompanySupportURL"};

}  // namespace

class FinishedAboutTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        sandbox_ = std::make_unique<Sandbox>();
        sandbox_->writeCdFile(QStringLiteral("Quorvanta Software License.txt"), "Licence\n");
        dialogs_ = std::make_unique<DialogRecorder>();
    }
    void cleanup() {
        dialogs_.reset();
        sandbox_.reset();
    }

    void finishedPageEndsTheWizard() {
        Wizard w;
        ShowFinishedPage(w);
        QVERIFY(!w.backEnabled());
        QVERIFY(!w.nextEnabled());
        QVERIFY(w.shell()->ExitButton()->isDefault());
        QVERIFY(!w.shell()->NextButton()->isDefault());
        QVERIFY(OnFinished("QuorvantaTeamLabel")->isHidden());
        QCOMPARE(OnFinished("TitleImage")->geometry(), QRect(8, 8, 600, 73));
        QCOMPARE(OnFinished("FinishedLabel1")->pos(), QPoint(232, 96));
        QCOMPARE(OnFinished("FinishedLabel1")->text(), QStringLiteral("Congratulations"));
        QCOMPARE(OnFinished("FinishedLabel1")->font().pixelSize(), 19);
        QVERIFY(OnFinished("FinishedLabel1")->font().bold());
        QCOMPARE(OnFinished("FinishedLabel2")->geometry(), QRect(136, 136, 361, 81));
        QCOMPARE(OnFinished("FinishedLabel2")->text(),
                 QStringLiteral("You have completed the installation process for your Vormatic® "
                                "printer.   If you have additional questions, please contact the "
                                "factory."));
        QCOMPARE(OnFinished("FinishedLabel6")->pos(), QPoint(160, 304));
        QCOMPARE(OnFinished("FinishedLabel6")->text(),
                 QStringLiteral("Thank you for your interest in our marking products."));
        QCOMPARE(ClippedCaptions(FinishedForm), QStringList());

        // Next and Back lead nowhere; Enter presses Exit, which closes without a question.
        FinishedForm->Next();
        FinishedForm->Back();
        Settle();
        QCOMPARE(w.index(), 9);
        QTest::keyClick(w.shell(), Qt::Key_Return);
        Settle();
        QVERIFY(!w.shell()->isVisible());
        QVERIFY(dialogs_->boxes.isEmpty());
    }

    void defaultContactsOnBothWindows() {
        Wizard w;
        ShowFinishedPage(w);
        const struct {
            QLabel* (*find)(const char*);
            QPoint phone, email, web;  // value label places
        } windows[] = {
            {OnFinished, {280, 208}, {280, 232}, {280, 256}},
            {OnAbout, {80, 152}, {80, 184}, {80, 168}},
        };
        for (const auto& window : windows) {
            for (const auto& [line, at] :
                 {std::pair{kPhone, window.phone}, std::pair{kEmail, window.email},
                  std::pair{kWeb, window.web}}) {
                QLabel* value = window.find(line.value);
                QVERIFY(!Branded(line.key).isEmpty());
                QCOMPARE(value->text(), Branded(line.key));
                QCOMPARE(value->pos(), at);
                QVERIFY(!value->isHidden());
                QVERIFY(!window.find(line.caption)->isHidden());
            }
            QLabel* web = window.find("WebAddress");
            QVERIFY(web->font().underline());
            QCOMPARE(web->palette().color(QPalette::WindowText), QColor(Qt::blue));
            QCOMPARE(web->cursor().shape(), Qt::PointingHandCursor);
            QVERIFY(!window.find("PhoneNumber")->font().underline());
        }
        QVERIFY(OnFinished("EmailAddress")->font().underline());
        QVERIFY(!OnAbout("EmailAddress")->font().underline());
        QCOMPARE(OnFinished("PhoneLabel")->text(), QStringLiteral("Phone:"));
        QCOMPARE(OnFinished("EmailLabel")->pos(), QPoint(236, 232));
        QCOMPARE(OnFinished("WebLabel")->pos(), QPoint(240, 256));
        QCOMPARE(OnAbout("WebLabel")->text(), QStringLiteral("Web   :"));
        QCOMPARE(OnAbout("EmailLabel")->text(), QStringLiteral("Email  :"));
    }

    void emptyContactsHideTheirLine_data() {
        QTest::addColumn<QByteArray>("branding");
        QTest::addColumn<QString>("hidden");  // value label of the hidden line
        QTest::newRow("empty phone") << QByteArray("AboutCompanyPhone=\n") << "PhoneNumber";
        QTest::newRow("URL without equals sign")
            << QByteArray("AboutCompanySupportURL\n") << "WebAddress";
    }
    void emptyContactsHideTheirLine() {
        QFETCH(QByteArray, branding);
        QFETCH(QString, hidden);
        sandbox_->writeCdFile(QStringLiteral("plstrings.txt"), branding);
        sandbox_->reloadBranding();
        Wizard w;
        ShowFinishedPage(w);
        for (QLabel* (*find)(const char*) : {OnFinished, OnAbout}) {
            for (const ContactLine& line : {kPhone, kEmail, kWeb}) {
                const bool gone = hidden == QLatin1String(line.value);
                QCOMPARE(find(line.value)->isHidden(), gone);
                QCOMPARE(find(line.caption)->isHidden(), gone);
                if (!gone) {
                    QCOMPARE(find(line.value)->text(), Branded(line.key));
                }
            }
        }
        // The lines that stay keep their places: nothing moves up into the gap.
        QCOMPARE(OnFinished("EmailAddress")->pos(), QPoint(280, 232));
        QCOMPARE(OnFinished("WebAddress")->pos(), QPoint(280, 256));
        QCOMPARE(OnFinished("PhoneNumber")->pos(), QPoint(280, 208));
        QCOMPARE(OnAbout("WebAddress")->pos(), QPoint(80, 168));
        QCOMPARE(OnAbout("EmailAddress")->pos(), QPoint(80, 184));
    }

    void emailStartsTheMailClient() {
        Wizard w;
        ShowFinishedPage(w);
        QLabel* email = OnFinished("EmailAddress");
        const QUrl mailto(QStringLiteral("mailto:") + Branded("AboutCompanySupportEmail"));
        QTest::mouseClick(email, Qt::LeftButton);
        QCOMPARE(dialogs_->opened, QList<QUrl>{mailto});
        QVERIFY(dialogs_->boxes.isEmpty());

        dialogs_->shellOpenSucceeds = false;
        QTest::mouseClick(email, Qt::LeftButton);
        QCOMPARE(dialogs_->opened, (QList<QUrl>{mailto, mailto}));
        QCOMPARE(dialogs_->boxes.size(), 1);
        QCOMPARE(dialogs_->boxes[0].title, QStringLiteral("Error!"));
        QCOMPARE(dialogs_->boxes[0].text, QStringLiteral("Unable to launch the email client."));
        QCOMPARE(dialogs_->boxes[0].icon, MsgIcon::Exclamation);
    }

    void aboutEmailIsNotALink() {
        Wizard w;
        QTest::mouseClick(OnAbout("EmailAddress"), Qt::LeftButton);
        Settle();
        QVERIFY(dialogs_->opened.isEmpty());
        QVERIFY(dialogs_->boxes.isEmpty());
    }

    void webAddressOpensTheBrowser() {
        Wizard w;
        ShowFinishedPage(w);
        const QUrl home(Branded("AboutCompanySupportURL"));
        QTest::mouseClick(OnFinished("WebAddress"), Qt::LeftButton);
        QTest::mouseClick(OnAbout("WebAddress"), Qt::LeftButton);
        QCOMPARE(dialogs_->opened, (QList<QUrl>{home, home}));
        QVERIFY(dialogs_->boxes.isEmpty());

        // Neither the desktop nor a registered browser can open it: the helper's error text.
        dialogs_->shellOpenSucceeds = false;
        sandbox_->hideRegisteredBrowser();
        QTest::mouseClick(OnAbout("WebAddress"), Qt::LeftButton);
        QTest::mouseClick(OnFinished("WebAddress"), Qt::LeftButton);
        QCOMPARE(dialogs_->boxes.size(), 2);
        for (const RecordedBox& box : dialogs_->boxes) {
            QCOMPARE(box.title, QStringLiteral("Error!"));
            QCOMPARE(box.text, QStringLiteral("Web Browser Not Registered!"));
            QCOMPARE(box.icon, MsgIcon::Exclamation);
        }
    }

    void aboutBoxLayout() {
        Wizard w;
        QVERIFY(AboutBox);
        QCOMPARE(AboutBox->parent(), w.shell());
        QCOMPARE(AboutBox->objectName(), QStringLiteral("AboutBox"));
        QCOMPARE(AboutBox->windowTitle(), QStringLiteral("About"));
        QCOMPARE(AboutBox->size(), QSize(298, 308));
        QCOMPARE(AboutBox->minimumSize(), AboutBox->maximumSize());
        QCOMPARE(OnAbout("ProgramIcon")->geometry(), QRect(16, 16, 33, 41));
        QCOMPARE(OnAbout("CompanyLabel")->text(), Branded("CompanyNameLong"));
        QCOMPARE(OnAbout("CompanyLabel")->pos(), QPoint(64, 16));
        QCOMPARE(OnAbout("CompanyLabel")->font().pixelSize(), 19);
        QCOMPARE(OnAbout("ProductName")->text(), QStringLiteral("Vormatic®  Installer"));
        QCOMPARE(OnAbout("ProductName")->pos(), QPoint(96, 40));
        QCOMPARE(OnAbout("Version")->text(), QStringLiteral("Version 1.71"));
        QCOMPARE(OnAbout("Version")->pos(), QPoint(128, 72));
        QCOMPARE(OnAbout("Label1")->text(), QStringLiteral("Tech Support"));
        QCOMPARE(OnAbout("Copyright")->pos(), QPoint(8, 229));
        QCOMPARE(OnAbout("Trademark")->pos(), QPoint(8, 240));
        QCOMPARE(OnAbout("Copyright")->font().pixelSize(), 9);
        QVERIFY2(ClippedCaptions(AboutBox).isEmpty(),
                 qPrintable(ClippedCaptions(AboutBox).join(u',')));

        auto* ok = AboutBox->findChild<QPushButton*>(QStringLiteral("OKButton"));
        QCOMPARE(ok->geometry(), QRect(112, 272, 75, 25));
        AboutBox->show();
        QTest::mouseClick(ok, Qt::LeftButton);
        QVERIFY(!AboutBox->isVisible());
        QCOMPARE(AboutBox->result(), int(QDialog::Accepted));
    }

    void logoBitmapTakesTheIconsPlace() {
        SaveBitmap(sandbox_->cdDir() + QStringLiteral("/plbitmap.bmp"), QSize(124, 52), Qt::red);
        Wizard w;
        QLabel* icon = OnAbout("ProgramIcon");
        QCOMPARE(icon->geometry(), QRect(5, 16, 62, 26));
        QCOMPARE(icon->pixmap().size(), QSize(62, 26));
        QCOMPARE(Rgb(icon->pixmap()).pixelColor(31, 13), QColor(Qt::red));
    }

    void unreadableLogoKeepsTheIcon() {
        sandbox_->writeCdFile(QStringLiteral("plbitmap.bmp"), "BM broken");
        Wizard w;
        QLabel* icon = OnAbout("ProgramIcon");
        QCOMPARE(icon->geometry(), QRect(16, 16, 33, 41));
        QCOMPARE(Rgb(icon->pixmap()), Rgb(art::ProgramIcon()));
        QVERIFY(dialogs_->boxes.isEmpty());
    }

    void titleBitmapOnTheFinishedPage() {
        SaveBitmap(sandbox_->cdDir() + QStringLiteral("/pltitlebitmap.bmp"), QSize(600, 73),
                   Qt::blue);
        Wizard w;
        ShowFinishedPage(w);
        QCOMPARE(Rgb(OnFinished("TitleImage")->pixmap()).pixelColor(300, 40), QColor(Qt::blue));
    }

private:
    std::unique_ptr<Sandbox> sandbox_;
    std::unique_ptr<DialogRecorder> dialogs_;
};

VORMATIC_TEST_MAIN(FinishedAboutTest)
#include "FinishedAboutTest.moc"
