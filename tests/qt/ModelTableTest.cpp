// The model table: which Producer installer and which preferences store a model code gets,
// with the cassette codes taken from the branding store at every lookup.

#include <QtTest>
#include <memory>
#include <set>

#include "pages/model/ModelTable.h"
#include "tests/support/Sandbox.h"
#include "tests/support/TestMain.h"

using models::InstallerSubPath;
using models::PreferencesStore;
using models::PreferencesStoreFor;

namespace {
const std::string kTag = "RX200\\VormaticProducer.exe";
const std::string kCassette = "MZ4-A\\VormaticProducerCL.exe";

PreferencesStore Key(const char* key) {
    return {PreferencesStore::Kind::Registry, key};
}
const PreferencesStore kIni{PreferencesStore::Kind::IniFile, {}};

}  // namespace

namespace QTest {
template <>
char* toString(const PreferencesStore& store) {
    return QTest::toString(QString::fromStdString(
        store.kind == PreferencesStore::Kind::IniFile ? std::string("INI file") : store.key));
}
}  // namespace QTest

class ModelTableTest : public QObject {
    Q_OBJECT
private slots:
    void init() { sandbox_ = std::make_unique<Sandbox>(); }
    void cleanup() { sandbox_.reset(); }

    void defaultBrandingRows_data() {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("installer");
        QTest::addColumn<QString>("store");  // a registry key, or "ini"
        const QString tagKey = QString::fromLatin1(models::kTagPrefsKey);
        const QString tag = QString::fromStdString(kTag);
        for (const char* code : {"RX200", "RX6XX", "RX67X", "RX65X", "RX8XX", "NB520"}) {
            QTest::newRow(code) << code << tag << tagKey;
        }
        QTest::newRow("MZ4-A") << "MZ4-A" << QString::fromStdString(kCassette) << "ini";
        QTest::newRow("MZ4-A2") << "MZ4-A2" << QString::fromStdString(kCassette) << "ini";
        QTest::newRow("MZ4-B") << "MZ4-B"
                               << "MZ4-B\\VormaticProducerSL.exe"
                               << QString::fromLatin1(models::kSlidePrefsKey);
        QTest::newRow("MZ4-E") << "MZ4-E"
                               << "MZ4-E\\VormaticProducerDL.exe"
                               << QString::fromLatin1(models::kDrawerPrefsKey);
        QTest::newRow("VF5Q") << "VF5Q"
                              << "VF5Q\\VormaticProducerAL.exe"
                              << QString::fromLatin1(models::kAmpulePrefsKey);
        QTest::newRow("RX200W") << "RX200W"
                                << "RX200W\\VormaticProducerPL.exe"
                                << QString::fromLatin1(models::kPlatePrefsKey);
        QTest::newRow("empty") << "" << tag << tagKey;
        QTest::newRow("unknown") << "ZZ9" << tag << tagKey;
        // Codes compare exactly.
        QTest::newRow("lower case tag") << "rx6xx" << tag << tagKey;
        QTest::newRow("lower case cassette") << "mz4-a" << tag << tagKey;
        QTest::newRow("lower case slide") << "mz4-b" << tag << tagKey;
        QTest::newRow("trailing blank") << "MZ4-A " << tag << tagKey;
        QTest::newRow("prefix of a code") << "RX20" << tag << tagKey;
    }
    void defaultBrandingRows() {
        QFETCH(QString, model);
        QFETCH(QString, installer);
        QFETCH(QString, store);
        const std::string code = model.toStdString();
        QCOMPARE(QString::fromStdString(InstallerSubPath(code)), installer);
        const PreferencesStore expected =
            store == QStringLiteral("ini") ? kIni : Key(store.toLatin1().constData());
        QCOMPARE(PreferencesStoreFor(code), expected);
    }

    void theStoreKeysAreTheProducersOwn() {
        QCOMPARE(std::string(models::kTagPrefsKey), "SOFTWARE\\Quorvanta\\Vormatic\\Prefs");
        QCOMPARE(std::string(models::kSlidePrefsKey), "SOFTWARE\\Quorvanta\\VormaticSL\\Prefs");
        QCOMPARE(std::string(models::kDrawerPrefsKey), "SOFTWARE\\Quorvanta\\VormaticDL\\Prefs");
        QCOMPARE(std::string(models::kAmpulePrefsKey), "SOFTWARE\\Quorvanta\\VormaticAL\\Prefs");
        QCOMPARE(std::string(models::kPlatePrefsKey), "SOFTWARE\\Quorvanta\\VormaticPL\\Prefs");
    }

    void brandedCassetteCodesReplaceTheBuiltInOnes() {
        brand("TwelveMagazinePrinterModel=ACME-12\nSingleMagazinePrinterModel=ACME-1\n");
        for (const char* code : {"ACME-12", "ACME-1"}) {
            QCOMPARE(InstallerSubPath(code), kCassette);
            QCOMPARE(PreferencesStoreFor(code), kIni);
        }
        // The built-in codes are ordinary unknown codes now.
        for (const char* code : {"MZ4-A", "MZ4-A2"}) {
            QCOMPARE(InstallerSubPath(code), kTag);
            QCOMPARE(PreferencesStoreFor(code), Key(models::kTagPrefsKey));
        }
    }

    void cassetteCodeEqualToTheSlideCodeSplitsTheTwoLookups() {
        // The installer lookup tries the cassette codes before "MZ4-B", the preferences lookup
        // after it.
        brand("TwelveMagazinePrinterModel=MZ4-B\n");
        QCOMPARE(InstallerSubPath("MZ4-B"), kCassette);
        QCOMPARE(PreferencesStoreFor("MZ4-B"), Key(models::kSlidePrefsKey));
        brand("SingleMagazinePrinterModel=MZ4-B\n");
        QCOMPARE(InstallerSubPath("MZ4-B"), kCassette);
        QCOMPARE(PreferencesStoreFor("MZ4-B"), Key(models::kSlidePrefsKey));
    }

    void cassetteCodeEqualToOtherFixedCodes_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("installer");
        QTest::addColumn<QString>("key");
        // The tag codes come first in both lookups.
        QTest::newRow("twelve = RX200")
            << "TwelveMagazinePrinterModel=RX200"
            << "RX200" << QString::fromStdString(kTag) << models::kTagPrefsKey;
        QTest::newRow("single = NB520")
            << "SingleMagazinePrinterModel=NB520"
            << "NB520" << QString::fromStdString(kTag) << models::kTagPrefsKey;
        // Drawer, ampule and plate come after the cassette codes in both lookups.
        QTest::newRow("single = MZ4-E") << "SingleMagazinePrinterModel=MZ4-E"
                                        << "MZ4-E" << QString::fromStdString(kCassette) << "ini";
        QTest::newRow("twelve = RX200W") << "TwelveMagazinePrinterModel=RX200W"
                                         << "RX200W" << QString::fromStdString(kCassette) << "ini";
    }
    void cassetteCodeEqualToOtherFixedCodes() {
        QFETCH(QString, line);
        QFETCH(QString, code);
        QFETCH(QString, installer);
        QFETCH(QString, key);
        brand(line.toUtf8() + '\n');
        QCOMPARE(QString::fromStdString(InstallerSubPath(code.toStdString())), installer);
        const PreferencesStore expected =
            key == QStringLiteral("ini") ? kIni : Key(key.toLatin1().constData());
        QCOMPARE(PreferencesStoreFor(code.toStdString()), expected);
    }

    void emptyBrandedCodesMatchNoModel() {
        // A kit without cassette printers: the empty model code still gets the default row.
        brand("TwelveMagazinePrinterModel=\nSingleMagazinePrinterModel=\n");
        QCOMPARE(InstallerSubPath(""), kTag);
        QCOMPARE(PreferencesStoreFor(""), Key(models::kTagPrefsKey));
        QCOMPARE(InstallerSubPath("MZ4-A"), kTag);
        QCOMPARE(PreferencesStoreFor("MZ4-A2"), Key(models::kTagPrefsKey));
    }

    void brandingIsReadAtEveryLookup() {
        QCOMPARE(PreferencesStoreFor("ACME"), Key(models::kTagPrefsKey));
        brand("TwelveMagazinePrinterModel=ACME\n");
        QCOMPARE(PreferencesStoreFor("ACME"), kIni);
        QCOMPARE(InstallerSubPath("ACME"), kCassette);
        brand("CompanyNameShort=Acme\n");
        QCOMPARE(PreferencesStoreFor("ACME"), Key(models::kTagPrefsKey));
        QCOMPARE(PreferencesStoreFor("MZ4-A"), kIni);
    }

    void pageModelsAreTheTenInPageOrder() {
        const char* captions[] = {"RX200 Tag Printer",    "RX6XX Tag Printer",
                                  "RX200W Plate Printer", "MZ4-A Cassette Printer",
                                  "MZ4-B Slide Printer",  "VF5Q Ampule Printer",
                                  "MZ4-E Drawer Printer", "MZ4-A2 Cassette Printer",
                                  "NB520 Tag Printer",    "RX8XX Tag Printer"};
        std::set<std::string> names;
        for (int i = 0; i < models::kModelCount; ++i) {
            const models::PageModel& m = models::kPageModels[static_cast<std::size_t>(i)];
            QCOMPARE(m.index, i);
            QCOMPARE(QString::fromLatin1(m.caption), QString::fromLatin1(captions[i]));
            names.insert(m.imageName);
            names.insert(m.radioName);
            // Every caption's first word is a code the table knows by name.
            std::string code = m.caption;
            code = code.substr(0, code.find(' '));
            const bool isDefaultCode =
                code == "RX200" || code == "RX6XX" || code == "RX8XX" || code == "NB520";
            QCOMPARE(InstallerSubPath(code) == kTag, isDefaultCode);
        }
        QCOMPARE(names.size(), std::size_t{20});
        QCOMPARE(models::kPageModels[models::kTwelveMagazineIndex].caption,
                 "MZ4-A Cassette Printer");
        QCOMPARE(models::kPageModels[models::kSingleMagazineIndex].caption,
                 "MZ4-A2 Cassette Printer");
    }

private:
    void brand(const QByteArray& content) {
        sandbox_->writeCdFile(QStringLiteral("plstrings.txt"), content);
        sandbox_->reloadBranding();
    }

    std::unique_ptr<Sandbox> sandbox_;
};

VORMATIC_TEST_MAIN(ModelTableTest)
#include "ModelTableTest.moc"
