// A reseller's kit beside the program (plstrings.txt and the three bitmaps) and a printer
// that answers with odd texts, on the real shell: what the pages make of texts and pictures
// that the program did not write itself.

#include <QLabel>
#include <QPainter>
#include <QtTest>

#include "app/FormKit.h"
#include "app/Selections.h"
#include "app/ShellMessages.h"
#include "host/ComPorts.h"
#include "host/IniFile.h"
#include "host/Registry.h"
#include "pages/about/TAboutBox.h"
#include "pages/finished/TFinishedForm.h"
#include "pages/welcome/TWelcomeForm.h"
#include "tests/support/DialogRecorder.h"
#include "tests/support/PrinterSim.h"
#include "tests/support/Sandbox.h"
#include "tests/support/TestMain.h"
#include "tests/support/Walk.h"
#include "tests/support/Wizard.h"

namespace {

// Labels that Qt would render as rich text: their text looks like markup and their format
// lets Qt act on it.
QStringList RichLabels(const QObject* root) {
    QStringList names;
    for (const QLabel* label : root->findChildren<QLabel*>()) {
        const bool plain =
            label->textFormat() == Qt::PlainText ||
            (label->textFormat() == Qt::AutoText && !Qt::mightBeRichText(label->text()));
        if (!plain) {
            names << label->objectName();
        }
    }
    return names;
}

// A reseller's bitmap: a magenta background (its bottom-left pixel) around a navy box.
void SaveKitBitmap(const QString& path, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter(&image).fillRect(QRect(QPoint(0, 0), size).adjusted(8, 6, -8, -6), Qt::darkBlue);
    QVERIFY(image.save(path, "BMP"));
}

}  // namespace

class ResellerKitTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        sandbox_ = std::make_unique<Sandbox>();
        QVERIFY(MakeDemoCd(*sandbox_, sandbox_->root() + QStringLiteral("/install.log")));
        dialogs_ = std::make_unique<DialogRecorder>();
        ClearSelections();
    }
    void cleanup() {
        dialogs_.reset();
        sandbox_.reset();
    }

    void markupInKitAndPrinterTextsIsShownAsWritten() {
        sandbox_->writeCdFile(
            QStringLiteral("plstrings.txt"),
            "CompanyNameShort=<b>Acme</b>\r\n"
            "CompanyNameLong=<h1>Acme Corp</h1>\r\n"
            "AboutCompanyPhone=<img src=\"/etc/hostname\">\r\n"
            "AboutCompanySupportEmail=<i>help@acme.test</i>\r\n"
            "AboutCompanySupportURL=<a href=\"http://x\">http://acme.test</a>\r\n");
        sandbox_->reloadBranding();
        const QString identity = QStringLiteral("<b>RX200</b> <font color=red>Tag</font>");
        PrinterSim sim({QStringLiteral("--register"), QStringLiteral("--identity"), identity});
        QVERIFY(sim.started());

        Wizard w;
        WalkToPortPage(w);
        ClickNamed(w, "PortFindButton");
        QVERIFY2(w.find<QLabel>("PortFoundLabel")->text().contains(identity),
                 qPrintable(w.find<QLabel>("PortFoundLabel")->text()));
        w.next();
        w.next();
        QCOMPARE(w.index(), 9);

        // Every page built so far and the About box: nothing is rendered as markup, and the
        // texts stand as the kit and the printer wrote them.
        QCOMPARE(RichLabels(w.shell()), QStringList());
        QCOMPARE(RichLabels(AboutBox), QStringList());
        QCOMPARE(AboutBox->findChild<QLabel*>(QStringLiteral("CompanyLabel"))->text(),
                 QStringLiteral("<h1>Acme Corp</h1>"));
        QCOMPARE(AboutBox->findChild<QLabel*>(QStringLiteral("PhoneNumber"))->text(),
                 QStringLiteral("<img src=\"/etc/hostname\">"));
        QVERIFY(w.find<QLabel>("WelcomeLabel")->text().contains(QStringLiteral("<b>Acme</b>")));
    }

    void bitmapsAreDrawnWithTheirBottomLeftColourTransparent() {
        SaveKitBitmap(sandbox_->cdDir() + QStringLiteral("/pltitlebitmap.bmp"), QSize(600, 73));
        SaveKitBitmap(sandbox_->cdDir() + QStringLiteral("/plcollagebitmap.bmp"), QSize(120, 90));
        SaveKitBitmap(sandbox_->cdDir() + QStringLiteral("/plbitmap.bmp"), QSize(124, 52));
        Wizard w;
        PostShellMessage(w.shell(), WM_SHOW_FINISHED_FORM);
        Settle();
        const struct {
            QObject* window;
            const char* image;
        } pictures[] = {{WelcomeForm, "TitleImage"},
                        {WelcomeForm, "CollageImage"},
                        {FinishedForm, "TitleImage"},
                        {AboutBox, "ProgramIcon"}};  // stretched into its 62 x 26 box
        for (const auto& picture : pictures) {
            const auto* label = picture.window->findChild<QLabel*>(QLatin1String(picture.image));
            QVERIFY2(label, picture.image);
            const QImage shown = label->pixmap().toImage();
            const QString where = QLatin1String(picture.window->metaObject()->className()) + u'.' +
                                  label->objectName();
            QVERIFY2(shown.hasAlphaChannel(), qPrintable(where));
            for (const QPoint corner :
                 {QPoint(0, 0), QPoint(shown.width() - 1, 0), QPoint(0, shown.height() - 1),
                  QPoint(shown.width() - 1, shown.height() - 1)}) {
                QVERIFY2(shown.pixelColor(corner).alpha() == 0, qPrintable(where));
            }
            const QColor centre = shown.pixelColor(shown.width() / 2, shown.height() / 2);
            QVERIFY2(centre == QColor(Qt::darkBlue), qPrintable(where));
        }
    }

    void eightBitTextsGoBackAsTheirBytes() {
        // A kit made on a Windows PC: Windows-1252 text, with a model code and a port that are
        // not UTF-8; the port is a device path with a byte that is not UTF-8 either.
        sandbox_->writeCdFile(QStringLiteral("plstrings.txt"),
                              "CompanyNameShort=Acme\x80\x99\x93\x94\x96\x97\r\n"
                              "TwelveMagazinePrinterModel=MZ\xC4-1\r\n");
        sandbox_->reloadBranding();
        const std::string port = "/dev/ttyCaf\xE9";
        reg::WriteString(reg::Root::LocalMachine, kSerialCommKey, "\\Device\\Caf\xE9", port);

        Wizard w;
        QVERIFY(w.find<QLabel>("WelcomeLabel")->text().contains(QStringLiteral("Acme€™“”–—")));
        WalkToPortPage(w);
        QVERIFY(ClickPortItem(w, QStringLiteral("/dev/ttyCafé")));
        w.next();
        QCOMPARE(w.index(), 7);
        auto* twelve = w.find<QAbstractButton>("CassetteModelRadioButton");
        QCOMPARE(twelve->text(), QStringLiteral("MZÄ-1 Cassette Printer"));
        ClickNamed(w, "CassetteModelRadioButton");
        w.next();
        w.next();
        QCOMPARE(w.index(), 9);
        QVERIFY2(dialogs_->boxes.isEmpty(), qPrintable(dialogs_->texts().join(u'|')));

        // The cassette Producer ran, and its settings name the model and the port byte for
        // byte.
        QFile log(sandbox_->root() + QStringLiteral("/install.log"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().contains("Vormatic Producer CL installed"));
        const std::string ini =
            (sandbox_->commonAppData() + QStringLiteral("/Quorvanta/VormaticCL/config.ini"))
                .toStdString();
        QCOMPARE(ReadIniString(ini, "Printer", "Model"), std::optional<std::string>("MZ\xC4-1"));
        QCOMPARE(ReadIniString(ini, "Send", "PortName"), std::optional<std::string>(port));
    }

private:
    std::unique_ptr<Sandbox> sandbox_;
    std::unique_ptr<DialogRecorder> dialogs_;
};

VORMATIC_TEST_MAIN(ResellerKitTest)
#include "ResellerKitTest.moc"
