#include "pages/model/ModelTable.h"

#include <algorithm>
#include <string_view>

#include "host/BrandingStore.h"

namespace models {
namespace {

constexpr std::array<std::string_view, 6> kTagCodes = {"RX200", "RX6XX", "RX67X",
                                                       "RX65X", "RX8XX", "NB520"};

constexpr const char* kTagInstaller = "RX200\\VormaticProducer.exe";
constexpr const char* kCassetteInstaller = "MZ4-A\\VormaticProducerCL.exe";

bool IsTagCode(const std::string& model) {
    return std::find(kTagCodes.begin(), kTagCodes.end(), model) != kTagCodes.end();
}

// A cassette code that a branding kit left empty names no model: an empty model code must
// still fall through to the default row instead of matching it.
bool IsCassetteCode(const std::string& model, const char* brandingKey) {
    const std::string code = BrandingStore::Instance().GetString(brandingKey);
    return !code.empty() && model == code;
}

bool IsEitherCassetteCode(const std::string& model) {
    return IsCassetteCode(model, kTwelveMagazineKey) || IsCassetteCode(model, kSingleMagazineKey);
}

PreferencesStore Registry(const char* key) {
    return {PreferencesStore::Kind::Registry, key};
}

}  // namespace

std::string InstallerSubPath(const std::string& model) {
    if (IsTagCode(model)) {
        return kTagInstaller;
    }
    if (IsEitherCassetteCode(model)) {
        return kCassetteInstaller;
    }
    if (model == "MZ4-B") {
        return model + "\\VormaticProducerSL.exe";
    }
    if (model == "MZ4-E") {
        return model + "\\VormaticProducerDL.exe";
    }
    if (model == "VF5Q") {
        return model + "\\VormaticProducerAL.exe";
    }
    if (model == "RX200W") {
        return model + "\\VormaticProducerPL.exe";
    }
    return kTagInstaller;
}

PreferencesStore PreferencesStoreFor(const std::string& model) {
    // The slide code is tested before the cassette codes here (and after them for the
    // installer), so a kit that names a cassette printer "MZ4-B" installs the cassette
    // Producer but writes the slide printer's preferences.
    if (IsTagCode(model)) {
        return Registry(kTagPrefsKey);
    }
    if (model == "MZ4-B") {
        return Registry(kSlidePrefsKey);
    }
    if (IsEitherCassetteCode(model)) {
        return {PreferencesStore::Kind::IniFile, {}};
    }
    if (model == "MZ4-E") {
        return Registry(kDrawerPrefsKey);
    }
    if (model == "VF5Q") {
        return Registry(kAmpulePrefsKey);
    }
    if (model == "RX200W") {
        return Registry(kPlatePrefsKey);
    }
    return Registry(kTagPrefsKey);
}

const std::array<PageModel, kModelCount> kPageModels = {{
    {0, "RX200ModelImage", "RX200ModelRadioButton", "RX200 Tag Printer", 8, 8, 128, 48, false},
    {1, "RX6xxModelImage", "RX6xxModelRadioButton", "RX6XX Tag Printer", 8, 128, 128, 168, false},
    {2, "RX200WModelImage", "RX200WModelRadioButton", "RX200W Plate Printer", 8, 496, 128, 528,
     false},
    {3, "CassetteModelImage", "CassetteModelRadioButton", "MZ4-A Cassette Printer", 448, 8, 304, 48,
     true},
    {4, "SlideModelImage", "SlideModelRadioButton", "MZ4-B Slide Printer", 448, 248, 320, 288,
     true},
    {5, "AmpuleModelImage", "AmpuleModelRadioButton", "VF5Q Ampule Printer", 448, 368, 312, 416,
     true},
    {6, "DrawerModelImage", "DrawerModelRadioButton", "MZ4-E Drawer Printer", 448, 488, 312, 528,
     true},
    {7, "CassetteMZ4A2ModelImage", "CassetteMZ4A2ModelRadioButton", "MZ4-A2 Cassette Printer", 448,
     128, 304, 168, true},
    {8, "NB520ModelImage", "NB520ModelRadioButton", "NB520 Tag Printer", 8, 264, 128, 312, false},
    {9, "RX8xxModelImage", "RX8xxModelRadioButton", "RX8XX Tag Printer", 8, 390, 128, 424, false},
}};

}  // namespace models
