// The Welcome and licence pages on the real shell: greeting and branding, the manual, the
// licence file and the acceptance that unlocks Next.

#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "app/ShellMessages.h"
#include "pages/art/Art.h"
#include "pages/license/TLicenseForm.h"
#include "pages/welcome/TWelcomeForm.h"
#include "tests/support/CaptionFit.h"
#include "tests/support/DialogRecorder.h"
#include "tests/support/Sandbox.h"
#include "tests/support/TestMain.h"
#include "tests/support/Wizard.h"

namespace {
const QString kLicenseFile = QStringLiteral("Quorvanta Software License.txt");
const QString kDefaultWelcome = QStringLiteral(
    "Welcome to the installation program for the Quorvanta Vormatic® Producer printing "
    "software.  This program will guide you through the process of installing Vormatic® "
    "Producer and all of the drivers needed to connect the printer to your computer.");
const QString kManualError = QStringLiteral(
    "Can't open the PDF manual.  You may need to install Adobe Acrobat (or other PDF viewer) "
    "to view the manual.");

template <typename T>
T* OnWelcome(const char* name) {
    return WelcomeForm->findChild<T*>(QString::fromLatin1(name));
}
template <typename T>
T* OnLicense(const char* name) {
    return LicenseForm->findChild<T*>(QString::fromLatin1(name));
}

// Clicks a radio button on its indicator (a wide button does not react beside its caption).
void ClickRadio(QRadioButton* radio) {
    QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(6, radio->height() / 2));
    Settle();
}

QImage Rgb(const QPixmap& pixmap) {
    return pixmap.toImage().convertToFormat(QImage::Format_RGB32);
}

// A real bitmap file of one colour.
void SaveBitmap(const QString& path, QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    // The bottom-left pixel names the transparent colour: keep it apart from the picture.
    image.setPixelColor(0, size.height() - 1, Qt::white);
    QVERIFY(image.save(path, "BMP"));
}
}  // namespace

class WelcomeLicenseTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        sandbox_ = std::make_unique<Sandbox>();
        license_ = sandbox_->writeCdFile(kLicenseFile, "Terms of use\r\nSecond line\r\n");
        dialogs_ = std::make_unique<DialogRecorder>();
    }
    void cleanup() {
        dialogs_.reset();
        sandbox_.reset();
    }

    void startsOnWelcomeWithItsLayout() {
        Wizard w;
        QCOMPARE(w.index(), 0);
        QVERIFY(!w.backEnabled());
        QVERIFY(w.nextEnabled());
        QCOMPARE(OnWelcome<QLabel>("TitleImage")->geometry(), QRect(8, 8, 600, 73));
        QCOMPARE(OnWelcome<QLabel>("CollageImage")->geometry(), QRect(8, 88, 254, 275));
        auto* welcome = OnWelcome<QLabel>("WelcomeLabel");
        QCOMPARE(welcome->geometry(), QRect(288, 112, 313, 97));
        QVERIFY(welcome->wordWrap());
        QCOMPARE(welcome->font().pixelSize(), 13);
        QCOMPARE(welcome->text(), kDefaultWelcome);
        auto* begin = OnWelcome<QLabel>("WelcomeLabel2");
        QCOMPARE(begin->pos(), QPoint(288, 224));
        QCOMPARE(begin->text(), QStringLiteral("To begin click the Next button below."));
        QCOMPARE(begin->font().pixelSize(), 13);
        auto* manual = OnWelcome<QPushButton>("ViewManualButton");
        QCOMPARE(manual->geometry(), QRect(344, 288, 169, 25));
        QCOMPARE(manual->text(), QStringLiteral("View the Installation Manual"));
        QVERIFY(manual->isVisible());
        auto* adobe = OnWelcome<QLabel>("AdobeRequiredLabel");
        QCOMPARE(adobe->pos(), QPoint(368, 312));
        QCOMPARE(adobe->text(), QStringLiteral("(Adobe Acrobat required)"));
        QVERIFY(adobe->isVisible());
        QCOMPARE(adobe->font().pixelSize(), 11);
        QCOMPARE(OnWelcome<QLabel>("CopyrightLabel")->pos(), QPoint(160, 401));
        QCOMPARE(OnWelcome<QLabel>("Label1")->pos(), QPoint(160, 417));
        QCOMPARE(OnWelcome<QLabel>("Label1")->palette().color(QPalette::WindowText),
                 QColor(0xC0, 0xC0, 0xC0));
        QCOMPARE(ClippedCaptions(WelcomeForm), QStringList());
        QVERIFY(dialogs_->boxes.isEmpty());
    }

    void licenceNeedsAcceptance() {
        Wizard w;
        w.next();
        QCOMPARE(w.index(), 1);
        QVERIFY(!w.backEnabled());
        QVERIFY(!w.nextEnabled());
        auto* text = OnLicense<QPlainTextEdit>("LicenseText");
        QCOMPARE(text->geometry(), QRect(48, 24, 513, 313));
        QCOMPARE(text->toPlainText(), QStringLiteral("Terms of use\nSecond line\n"));
        QVERIFY(text->isReadOnly());
        QCOMPARE(text->lineWrapMode(), QPlainTextEdit::NoWrap);
        QCOMPARE(text->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(text->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(text->font().family(), QStringLiteral("Arial"));
        QCOMPARE(text->font().pixelSize(), 13);
        auto* accept = OnLicense<QRadioButton>("AcceptRadioButton");
        auto* decline = OnLicense<QRadioButton>("DeclineRadioButton");
        QCOMPARE(accept->geometry(), QRect(48, 352, 497, 17));
        QCOMPARE(decline->geometry(), QRect(48, 376, 497, 17));
        QCOMPARE(accept->text(), QStringLiteral("I accept the terms of the license agreement"));
        QCOMPARE(decline->text(),
                 QStringLiteral("I do not accept the terms of the license agreement"));
        QVERIFY(decline->isChecked());
        QCOMPARE(ClippedCaptions(LicenseForm), QStringList());

        // Next on the licence page without acceptance: the button is off, nothing moves.
        w.next();
        QCOMPARE(w.index(), 1);

        ClickRadio(accept);
        QVERIFY(w.nextEnabled());
        ClickRadio(decline);
        QVERIFY(!w.nextEnabled());
        ClickRadio(accept);
        w.back();
        QCOMPARE(w.index(), 1);

        w.next();
        QCOMPARE(w.index(), 2);
        QVERIFY(!w.backEnabled());
        QVERIFY(w.nextEnabled());
        QVERIFY(dialogs_->boxes.isEmpty());
    }

    void everyArrivalReloadsAndDisablesNext() {
        Wizard w;
        w.next();
        ClickRadio(OnLicense<QRadioButton>("AcceptRadioButton"));
        QVERIFY(w.nextEnabled());
        sandbox_->writeCdFile(kLicenseFile, "Revised terms\n");

        PostShellMessage(w.shell(), WM_SHOW_WELCOME_FORM);
        Settle();
        w.next();
        QCOMPARE(w.index(), 1);
        QVERIFY(OnLicense<QRadioButton>("AcceptRadioButton")->isChecked());
        QVERIFY(!w.nextEnabled());
        QCOMPARE(OnLicense<QPlainTextEdit>("LicenseText")->toPlainText(),
                 QStringLiteral("Revised terms\n"));
    }

    void missingLicenceStaysOnWelcomeAndRetries() {
        QVERIFY(QFile::remove(license_));
        Wizard w;
        w.next();
        QCOMPARE(dialogs_->boxes.size(), 1);
        QCOMPARE(dialogs_->boxes[0].title, QStringLiteral("Vormatic Installer"));
        QCOMPARE(dialogs_->boxes[0].icon, MsgIcon::Error);
        QCOMPARE(dialogs_->boxes[0].buttons, MsgButtons::Ok);
        // The toolkit's own text for a file that is not there, which differs by platform.
        QFile missing(license_);
        QVERIFY(!missing.open(QIODevice::ReadOnly));
        QCOMPARE(dialogs_->boxes[0].text,
                 QStringLiteral("Cannot open file \"Quorvanta Software License.txt\". ") +
                     missing.errorString());
        QCOMPARE(w.index(), 0);
        QVERIFY(!w.backEnabled());
        QVERIFY(w.nextEnabled());

        sandbox_->writeCdFile(kLicenseFile, "Found it\n");
        w.next();
        QCOMPARE(w.index(), 1);
        QVERIFY(!w.nextEnabled());
        QCOMPARE(OnLicense<QPlainTextEdit>("LicenseText")->toPlainText(),
                 QStringLiteral("Found it\n"));
        QCOMPARE(dialogs_->boxes.size(), 1);
    }

    void licenceComesFromTheCurrentDirectoryAndTheManualFromTheProgram() {
        // Started from elsewhere: the licence is not found, the manual path does not change.
        sandbox_->writeCdFile(QStringLiteral("Vormatic Installer Manual.pdf"), "%PDF-1.4\n");
        QDir::setCurrent(sandbox_->root());
        Wizard w;
        w.next();
        QCOMPARE(w.index(), 0);
        QCOMPARE(dialogs_->boxes.size(), 1);
        QCOMPARE(dialogs_->boxes[0].title, QStringLiteral("Vormatic Installer"));

        QTest::mouseClick(OnWelcome<QPushButton>("ViewManualButton"), Qt::LeftButton);
        QCOMPARE(dialogs_->opened,
                 QList<QUrl>{QUrl::fromLocalFile(
                     sandbox_->cdDir() + QStringLiteral("/Vormatic Installer Manual.pdf"))});
    }

    void manualOpensThroughTheShell() {
        Wizard w;
        auto* manual = OnWelcome<QPushButton>("ViewManualButton");
        // Not on the CD: the error comes at once, without asking the desktop (whose launcher
        // would report success and then show nothing).
        QTest::mouseClick(manual, Qt::LeftButton);
        QCOMPARE(dialogs_->opened, QList<QUrl>{});
        QCOMPARE(dialogs_->texts(), QStringList{kManualError});
        dialogs_->clear();

        sandbox_->writeCdFile(QStringLiteral("Vormatic Installer Manual.pdf"), "%PDF-1.4\n");
        QTest::mouseClick(manual, Qt::LeftButton);
        const QUrl pdf = QUrl::fromLocalFile(sandbox_->cdDir() +
                                             QStringLiteral("/Vormatic Installer Manual.pdf"));
        QCOMPARE(dialogs_->opened, QList<QUrl>{pdf});
        QVERIFY(dialogs_->boxes.isEmpty());

        dialogs_->shellOpenSucceeds = false;
        QTest::mouseClick(manual, Qt::LeftButton);
        QCOMPARE(dialogs_->opened, (QList<QUrl>{pdf, pdf}));
        QCOMPARE(dialogs_->boxes.size(), 1);
        QCOMPARE(dialogs_->boxes[0].title, QStringLiteral("Error!"));
        QCOMPARE(dialogs_->boxes[0].text, kManualError);
        QCOMPARE(dialogs_->boxes[0].icon, MsgIcon::Exclamation);
        QCOMPARE(w.index(), 0);
        QVERIFY(w.nextEnabled());
    }

    void brandingFileDecidesTheManual_data() {
        QTest::addColumn<bool>("writeFile");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("manualShown");
        QTest::addColumn<QString>("company");
        QTest::newRow("no file") << false << QByteArray() << true << "Quorvanta";
        QTest::newRow("zero bytes") << true << QByteArray("") << true << "Quorvanta";
        QTest::newRow("comment only")
            << true << QByteArray("# reseller kit\n") << false << "Quorvanta";
        QTest::newRow("sets a name")
            << true << QByteArray("CompanyNameShort=Acme\r\n") << false << "Acme";
    }
    void brandingFileDecidesTheManual() {
        QFETCH(bool, writeFile);
        QFETCH(QByteArray, content);
        QFETCH(bool, manualShown);
        QFETCH(QString, company);
        if (writeFile) {
            sandbox_->writeCdFile(QStringLiteral("plstrings.txt"), content);
            sandbox_->reloadBranding();
        }
        Wizard w;
        QCOMPARE(OnWelcome<QPushButton>("ViewManualButton")->isVisible(), manualShown);
        QCOMPARE(OnWelcome<QLabel>("AdobeRequiredLabel")->isVisible(), manualShown);
        QVERIFY(OnWelcome<QLabel>("WelcomeLabel")
                    ->text()
                    .startsWith(QStringLiteral("Welcome to the installation program for the ") +
                                company + QStringLiteral(" Vormatic® Producer")));
    }

    void emptyShortNameLeavesTwoBlanks() {
        sandbox_->writeCdFile(QStringLiteral("plstrings.txt"), "CompanyNameShort=\n");
        sandbox_->reloadBranding();
        Wizard w;
        QCOMPARE(OnWelcome<QLabel>("WelcomeLabel")->text(),
                 QString(kDefaultWelcome)
                     .replace(QStringLiteral("the Quorvanta Vormatic"),
                              QStringLiteral("the  Vormatic")));
    }

    void brandingBitmapsReplaceThePictures() {
        SaveBitmap(sandbox_->cdDir() + QStringLiteral("/pltitlebitmap.bmp"), QSize(600, 73),
                   Qt::red);
        SaveBitmap(sandbox_->cdDir() + QStringLiteral("/plcollagebitmap.bmp"), QSize(120, 90),
                   Qt::green);
        Wizard w;
        auto* title = OnWelcome<QLabel>("TitleImage");
        QCOMPARE(title->geometry(), QRect(8, 8, 600, 73));
        QCOMPARE(Rgb(title->pixmap()).pixelColor(300, 40), QColor(Qt::red));
        auto* collage = OnWelcome<QLabel>("CollageImage");
        QCOMPARE(collage->geometry(), QRect(8, 88, 120, 90));
        QCOMPARE(Rgb(collage->pixmap()).pixelColor(60, 45), QColor(Qt::green));
    }

    void corruptBitmapsAreIgnored() {
        sandbox_->writeCdFile(QStringLiteral("pltitlebitmap.bmp"), "BM not really a bitmap");
        sandbox_->writeCdFile(QStringLiteral("plcollagebitmap.bmp"), QByteArray());
        Wizard w;
        QCOMPARE(Rgb(OnWelcome<QLabel>("TitleImage")->pixmap()), Rgb(art::TitlePicture()));
        auto* collage = OnWelcome<QLabel>("CollageImage");
        QCOMPARE(Rgb(collage->pixmap()), Rgb(art::CollagePicture()));
        QCOMPARE(collage->geometry(), QRect(8, 88, 254, 275));
        QVERIFY(dialogs_->boxes.isEmpty());
    }

private:
    std::unique_ptr<Sandbox> sandbox_;
    std::unique_ptr<DialogRecorder> dialogs_;
    QString license_;
};

VORMATIC_TEST_MAIN(WelcomeLicenseTest)
#include "WelcomeLicenseTest.moc"
