// The model page on the real shell: the ten models, choosing by button or picture, the model
// code taken from the caption, and a reseller's kit that offers only its cassette printers.

#include <QLabel>
#include <QRadioButton>
#include <QScrollArea>
#include <QtTest>
#include <memory>

#include "app/Selections.h"
#include "app/ShellMessages.h"
#include "pages/model/ModelTable.h"
#include "pages/model/TModelForm.h"
#include "tests/support/CaptionFit.h"
#include "tests/support/DialogRecorder.h"
#include "tests/support/Sandbox.h"
#include "tests/support/TestMain.h"
#include "tests/support/Wizard.h"

namespace {

const QString kMustSelect = QStringLiteral("You must select your printer model.");
const QString kFullHint = QStringLiteral(
    "Please select your printer model from the following list and then click Next below.   If "
    "your printer model is not shown, select the RX200 Tag Printer model.");
const QString kKitHint = QStringLiteral(
    "Please select your printer model from the following list and then click Next below.");

struct Expected {
    const char* image;
    const char* radio;
    const char* caption;
    QPoint imageAt;
    QPoint radioAt;
    bool captionLeft;
};

// The page's models in model order, where the form puts them.
const Expected kModels[] = {
    {"RX200ModelImage", "RX200ModelRadioButton", "RX200 Tag Printer", {8, 8}, {128, 48}, false},
    {"RX6xxModelImage", "RX6xxModelRadioButton", "RX6XX Tag Printer", {8, 128}, {128, 168}, false},
    {"RX200WModelImage",
     "RX200WModelRadioButton",
     "RX200W Plate Printer",
     {8, 496},
     {128, 528},
     false},
    {"CassetteModelImage",
     "CassetteModelRadioButton",
     "MZ4-A Cassette Printer",
     {448, 8},
     {304, 48},
     true},
    {"SlideModelImage",
     "SlideModelRadioButton",
     "MZ4-B Slide Printer",
     {448, 248},
     {320, 288},
     true},
    {"AmpuleModelImage",
     "AmpuleModelRadioButton",
     "VF5Q Ampule Printer",
     {448, 368},
     {312, 416},
     true},
    {"DrawerModelImage",
     "DrawerModelRadioButton",
     "MZ4-E Drawer Printer",
     {448, 488},
     {312, 528},
     true},
    {"CassetteMZ4A2ModelImage",
     "CassetteMZ4A2ModelRadioButton",
     "MZ4-A2 Cassette Printer",
     {448, 128},
     {304, 168},
     true},
    {"NB520ModelImage", "NB520ModelRadioButton", "NB520 Tag Printer", {8, 264}, {128, 312}, false},
    {"RX8xxModelImage", "RX8xxModelRadioButton", "RX8XX Tag Printer", {8, 390}, {128, 424}, false},
};

// Where a radio button of the form's column starts. A caption on the left ends beside the
// picture (at 444); when the form's room is too small for it with this machine's fonts it
// grows leftwards instead of under the picture.
int RadioLeft(const QRadioButton* radio, int formLeft, bool captionLeft) {
    constexpr int kEdge = 444;
    if (!captionLeft) {
        return formLeft;
    }
    return qMin(formLeft, kEdge - radio->sizeHint().width());
}

// Clipped captions of the controls that are shown.
QStringList ShownClipped(const QWidget* page) {
    QStringList shown;
    for (const QString& name : ClippedCaptions(page)) {
        if (page->findChild<QWidget*>(name)->isVisibleTo(page)) {
            shown << name;
        }
    }
    return shown;
}

}  // namespace

class ModelPageTest : public QObject {
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

    void showsTheTenModelsWithoutBranding() {
        Wizard w;
        showModelPage(w);
        QCOMPARE(w.index(), 7);
        QVERIFY(w.backEnabled());
        QVERIFY(!w.nextEnabled());
        QCOMPARE(w.find<QLabel>("ModelLabel1")->text(), QStringLiteral("Vormatic® Printer Model"));
        QVERIFY(w.find<QLabel>("ModelLabel1")->font().bold());
        QCOMPARE(w.find<QLabel>("ModelLabel2")->text(), kFullHint);
        auto* box = w.find<QScrollArea>("ModelScrollBox");
        QVERIFY(box);
        QCOMPARE(box->size(), QSize(585, 365));
        QCOMPARE(w.find<QLabel>("ModelLabel2")->size(), QSize(353, 57));
        QVERIFY(!w.find<QLabel>("ModelLabel2")->geometry().intersects(box->geometry()));
        QVERIFY(box->parentWidget()->rect().contains(box->geometry()));
        QWidget* content = box->widget();
        QVERIFY(content->height() > box->viewport()->height());  // it scrolls
        QVERIFY(content->width() <= box->viewport()->width());   // but not sideways

        for (const Expected& m : kModels) {
            auto* image = content->findChild<QLabel*>(QString::fromLatin1(m.image));
            auto* radio = content->findChild<QRadioButton*>(QString::fromLatin1(m.radio));
            QVERIFY2(image && radio, m.radio);
            QVERIFY2(!image->isHidden() && !radio->isHidden(), m.radio);
            QCOMPARE(radio->text(), QString::fromUtf8(m.caption));
            QCOMPARE(image->pos(), m.imageAt);
            QCOMPARE(radio->y(), m.radioAt.y());
            QCOMPARE(radio->x(), RadioLeft(radio, m.radioAt.x(), m.captionLeft));
            QCOMPARE(radio->layoutDirection(), m.captionLeft ? Qt::RightToLeft : Qt::LeftToRight);
            QVERIFY2(!radio->isChecked(), m.radio);
            QCOMPARE(image->cursor().shape(), Qt::PointingHandCursor);
            QVERIFY2(!image->pixmap().isNull(), m.image);
            QVERIFY2(content->rect().contains(image->geometry()), m.image);
            // Captions on the left end before the picture beside them.
            if (m.captionLeft) {
                QVERIFY2(radio->geometry().right() < image->geometry().left(), m.radio);
            } else {
                QVERIFY2(radio->geometry().left() > image->geometry().right(), m.radio);
            }
        }
        QVERIFY2(ShownClipped(ModelForm).isEmpty(),
                 qPrintable(ShownClipped(ModelForm).join(QLatin1Char(','))));

        clickRadio(w, "RX6xxModelRadioButton");
        QVERIFY(w.nextEnabled());
        w.next();
        QCOMPARE(GetPrinterModel(), QStringLiteral("RX6XX"));
        QCOMPARE(w.index(), 8);
        QVERIFY(dialogs_->boxes.isEmpty());
    }

    void eachModelGivesTheCodeOfItsCaption_data() {
        QTest::addColumn<QString>("radio");
        QTest::addColumn<QString>("code");
        const char* codes[] = {"RX200", "RX6XX", "RX200W", "MZ4-A", "MZ4-B",
                               "VF5Q",  "MZ4-E", "MZ4-A2", "NB520", "RX8XX"};
        for (std::size_t i = 0; i < std::size(kModels); ++i) {
            QTest::newRow(kModels[i].radio) << kModels[i].radio << codes[i];
        }
    }
    void eachModelGivesTheCodeOfItsCaption() {
        QFETCH(QString, radio);
        QFETCH(QString, code);
        Wizard w;
        showModelPage(w);
        clickRadio(w, radio.toLatin1().constData());
        w.next();
        QCOMPARE(GetPrinterModel(), code);
        QCOMPARE(w.index(), 8);
    }

    void clickingAPictureChoosesItsModel() {
        Wizard w;
        showModelPage(w);
        auto* slide = w.find<QRadioButton>("SlideModelRadioButton");
        auto* ampule = w.find<QRadioButton>("AmpuleModelRadioButton");
        clickImage(w, "SlideModelImage");
        QVERIFY(slide->isChecked());
        QVERIFY(w.nextEnabled());
        clickImage(w, "SlideModelImage");
        QVERIFY(slide->isChecked());
        QCOMPARE(checkedCount(w), 1);
        // The buttons share one parent: another choice replaces the first.
        clickImage(w, "AmpuleModelImage");
        QVERIFY(ampule->isChecked());
        QVERIFY(!slide->isChecked());
        QCOMPARE(checkedCount(w), 1);
        w.next();
        QCOMPARE(GetPrinterModel(), QStringLiteral("VF5Q"));
    }

    void aReturnKeepsTheChoiceButDisablesNext() {
        Wizard w;
        showModelPage(w);
        clickRadio(w, "NB520ModelRadioButton");
        QVERIFY(w.nextEnabled());
        PostShellMessage(w.shell(), WM_SHOW_WELCOME_FORM);
        showModelPage(w);
        QCOMPARE(w.index(), 7);
        QVERIFY(w.find<QRadioButton>("NB520ModelRadioButton")->isChecked());
        QVERIFY(!w.nextEnabled());
        QVERIFY(w.backEnabled());
    }

    void nextWithoutAChoiceAsksForOne() {
        Wizard w;
        showModelPage(w);
        SetPrinterModel(QStringLiteral("RX200"));
        // Next is disabled, but the page must hold its ground when asked anyway.
        ModelForm->Next();
        Settle();
        QCOMPARE(dialogs_->texts(), QStringList{kMustSelect});
        QCOMPARE(dialogs_->boxes[0].title, QStringLiteral("Error"));
        QCOMPARE(dialogs_->boxes[0].icon, MsgIcon::Exclamation);
        QVERIFY(GetPrinterModel().isEmpty());
        QCOMPARE(w.index(), 7);
    }

    void privateLabelOffersOnlyTheKitsCassettePrinters_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("single");  // caption, or empty when not offered
        QTest::addColumn<QString>("twelve");
        QTest::newRow("twelve only")
            << QByteArray("SingleMagazinePrinterModel=\nTwelveMagazinePrinterModel=MZ4-A\n")
            << QString() << "MZ4-A Cassette Printer";
        QTest::newRow("single only")
            << QByteArray("SingleMagazinePrinterModel=ACME-1\nTwelveMagazinePrinterModel=\n")
            << "ACME-1 Cassette Printer" << QString();
        QTest::newRow("both")
            << QByteArray("SingleMagazinePrinterModel=AC-1\r\nTwelveMagazinePrinterModel=AC-12")
            << "AC-1 Cassette Printer"
            << "AC-12 Cassette Printer";
        QTest::newRow("built-in codes")
            << QByteArray("CompanyNameShort=Acme\n") << "MZ4-A2 Cassette Printer"
            << "MZ4-A Cassette Printer";
        QTest::newRow("none") << QByteArray(
                                     "SingleMagazinePrinterModel=\nTwelveMagazinePrinterModel=\n")
                              << QString() << QString();
    }
    void privateLabelOffersOnlyTheKitsCassettePrinters() {
        QFETCH(QByteArray, file);
        QFETCH(QString, single);
        QFETCH(QString, twelve);
        brand(file);
        Wizard w;
        showModelPage(w);
        QCOMPARE(w.find<QLabel>("ModelLabel2")->text(), kKitHint);
        auto* singleRadio = w.find<QRadioButton>("CassetteMZ4A2ModelRadioButton");
        auto* singleImage = w.find<QLabel>("CassetteMZ4A2ModelImage");
        auto* twelveRadio = w.find<QRadioButton>("CassetteModelRadioButton");
        auto* twelveImage = w.find<QLabel>("CassetteModelImage");
        for (const Expected& m : kModels) {
            const bool offered =
                (m.radio == std::string("CassetteMZ4A2ModelRadioButton") && !single.isEmpty()) ||
                (m.radio == std::string("CassetteModelRadioButton") && !twelve.isEmpty());
            QCOMPARE(w.find<QRadioButton>(m.radio)->isHidden(), !offered);
            QCOMPARE(w.find<QLabel>(m.image)->isHidden(), !offered);
        }
        if (!single.isEmpty()) {
            QCOMPARE(singleRadio->text(), single);
            QCOMPARE(singleImage->pos(), QPoint(8, 8));
            QCOMPARE(singleRadio->pos(), QPoint(128, 48));
            QCOMPARE(singleRadio->layoutDirection(), Qt::LeftToRight);
        }
        if (!twelve.isEmpty()) {
            QCOMPARE(twelveRadio->text(), twelve);
            QCOMPARE(twelveImage->pos(), QPoint(448, 8));
            QCOMPARE(twelveRadio->pos(), QPoint(RadioLeft(twelveRadio, 304, true), 48));
            QCOMPARE(twelveRadio->layoutDirection(), Qt::RightToLeft);
        }
        // Two models or fewer fit the box: nothing to scroll.
        auto* box = w.find<QScrollArea>("ModelScrollBox");
        QVERIFY(box->widget()->height() <= box->viewport()->height());
        QVERIFY2(ShownClipped(ModelForm).isEmpty(),
                 qPrintable(ShownClipped(ModelForm).join(QLatin1Char(','))));

        if (!twelve.isEmpty()) {
            clickImage(w, "CassetteModelImage");
            w.next();
            QCOMPARE(GetPrinterModel(), twelve.section(QLatin1Char(' '), 0, 0));
            QCOMPARE(w.index(), 8);
        }
    }

    void aKitCodeWithASpaceGivesItsFirstWord() {
        brand("TwelveMagazinePrinterModel=Acme CL-12\nSingleMagazinePrinterModel=\n");
        Wizard w;
        showModelPage(w);
        auto* radio = w.find<QRadioButton>("CassetteModelRadioButton");
        QCOMPARE(radio->text(), QStringLiteral("Acme CL-12 Cassette Printer"));
        QVERIFY2(ShownClipped(ModelForm).isEmpty(),
                 qPrintable(ShownClipped(ModelForm).join(QLatin1Char(','))));
        clickRadio(w, "CassetteModelRadioButton");
        w.next();
        QCOMPARE(GetPrinterModel(), QStringLiteral("Acme"));
        QCOMPARE(w.index(), 8);
        // "Acme" is no code of the table: the default row applies.
        QCOMPARE(models::PreferencesStoreFor("Acme").key, std::string(models::kTagPrefsKey));
    }

    void aLongKitCaptionGrowsAwayFromThePicture() {
        brand("TwelveMagazinePrinterModel=ACME-LASER-CASSETTE-12\nSingleMagazinePrinterModel=\n");
        Wizard w;
        showModelPage(w);
        auto* radio = w.find<QRadioButton>("CassetteModelRadioButton");
        auto* image = w.find<QLabel>("CassetteModelImage");
        QVERIFY(radio->x() < 304);
        QVERIFY(radio->geometry().right() < image->x());
        QVERIFY2(ShownClipped(ModelForm).isEmpty(),
                 qPrintable(ShownClipped(ModelForm).join(QLatin1Char(','))));
    }

    void twoLongKitCaptionsShareTheirRow() {
        brand(
            "SingleMagazinePrinterModel=ACME-LASER-SINGLE-MAGAZINE\n"
            "TwelveMagazinePrinterModel=ACME-LASER-TWELVE-MAGAZINES\n");
        Wizard w;
        showModelPage(w);
        auto* single = w.find<QRadioButton>("CassetteMZ4A2ModelRadioButton");
        auto* twelve = w.find<QRadioButton>("CassetteModelRadioButton");
        QCOMPARE(single->x(), 128);
        QVERIFY(single->geometry().right() + 8 <= twelve->x());
        QVERIFY(twelve->geometry().right() < w.find<QLabel>("CassetteModelImage")->x());
        // What does not fit is in the button's tip; the caption itself stays whole.
        QCOMPARE(single->toolTip(), QStringLiteral("ACME-LASER-SINGLE-MAGAZINE Cassette Printer"));
        QCOMPARE(twelve->toolTip(), QStringLiteral("ACME-LASER-TWELVE-MAGAZINES Cassette Printer"));
        clickRadio(w, "CassetteModelRadioButton");
        w.next();
        QCOMPARE(GetPrinterModel(), QStringLiteral("ACME-LASER-TWELVE-MAGAZINES"));
    }

    void aShortKitCaptionLeavesTheRestOfTheRowToTheOther() {
        brand(
            "SingleMagazinePrinterModel=AC-1\nTwelveMagazinePrinterModel=ACME-LASER-CASSETTE-12\n");
        Wizard w;
        showModelPage(w);
        auto* single = w.find<QRadioButton>("CassetteMZ4A2ModelRadioButton");
        auto* twelve = w.find<QRadioButton>("CassetteModelRadioButton");
        QCOMPARE(single->geometry(), QRect(QPoint(128, 48), single->sizeHint()));
        QCOMPARE(twelve->x(), single->geometry().right() + 1 + 8);
        QCOMPARE(twelve->geometry().right() + 1, 444);
        QVERIFY(twelve->width() < twelve->sizeHint().width());
        QCOMPARE(twelve->toolTip(), twelve->text());
    }

    void backReturnsToTheSerialPageAndEmptiesTheSelections() {
        Wizard w;
        SetSelectedPort(QStringLiteral("COM3"));
        SetPrinterIdentity(QStringLiteral("x"));
        showModelPage(w);
        clickRadio(w, "RX200ModelRadioButton");
        w.back();
        QCOMPARE(w.index(), 3);
        QVERIFY(w.backEnabled());
        QVERIFY(GetSelectedPort().isEmpty());
        QVERIFY(GetPrinterModel().isEmpty());
        QVERIFY(GetPrinterIdentity().isEmpty());
    }

private:
    void brand(const QByteArray& content) {
        sandbox_->writeCdFile(QStringLiteral("plstrings.txt"), content);
        sandbox_->reloadBranding();
    }
    static void showModelPage(Wizard& w) {
        PostShellMessage(w.shell(), WM_SHOW_MODEL_FORM);
        Settle();
    }
    static void clickRadio(Wizard& w, const char* name) {
        auto* radio = w.find<QRadioButton>(name);
        QVERIFY2(radio, name);
        w.find<QScrollArea>("ModelScrollBox")->ensureWidgetVisible(radio);
        QTest::mouseClick(radio, Qt::LeftButton, {}, radio->rect().center());
        Settle();
        QVERIFY2(radio->isChecked(), name);
    }
    static void clickImage(Wizard& w, const char* name) {
        auto* image = w.find<QLabel>(name);
        QVERIFY2(image, name);
        w.find<QScrollArea>("ModelScrollBox")->ensureWidgetVisible(image);
        QTest::mouseClick(image, Qt::LeftButton, {}, image->rect().center());
        Settle();
    }
    static int checkedCount(Wizard& w) {
        int count = 0;
        for (const QRadioButton* radio :
             w.find<QScrollArea>("ModelScrollBox")->widget()->findChildren<QRadioButton*>()) {
            count += radio->isChecked() ? 1 : 0;
        }
        return count;
    }

    std::unique_ptr<Sandbox> sandbox_;
    std::unique_ptr<DialogRecorder> dialogs_;
};

VORMATIC_TEST_MAIN(ModelPageTest)
#include "ModelPageTest.moc"
