#pragma once
// The printer models the wizard knows: which Producer installer belongs to a model code and
// where that Producer keeps its preferences, plus the ten models offered on the model page.
// Model codes compare exactly (case-sensitive). The two cassette codes come from the
// branding store at every lookup, so a reseller's kit can rename them.

#include <array>
#include <string>

namespace models {

inline constexpr const char* kTwelveMagazineKey = "TwelveMagazinePrinterModel";
inline constexpr const char* kSingleMagazineKey = "SingleMagazinePrinterModel";

// Preferences keys below HKEY_CURRENT_USER.
inline constexpr const char* kTagPrefsKey = "SOFTWARE\\Quorvanta\\Vormatic\\Prefs";
inline constexpr const char* kSlidePrefsKey = "SOFTWARE\\Quorvanta\\VormaticSL\\Prefs";
inline constexpr const char* kDrawerPrefsKey = "SOFTWARE\\Quorvanta\\VormaticDL\\Prefs";
inline constexpr const char* kAmpulePrefsKey = "SOFTWARE\\Quorvanta\\VormaticAL\\Prefs";
inline constexpr const char* kPlatePrefsKey = "SOFTWARE\\Quorvanta\\VormaticPL\\Prefs";

// The cassette printers' INI file, below the all-users application data folder.
inline constexpr const char* kCassetteIniSubPath = "\\Quorvanta\\VormaticCL\\config.ini";

// Installer sub-path below "setup\producer\" (backslashes, as the CD layout names it).
std::string InstallerSubPath(const std::string& model);

struct PreferencesStore {
    enum class Kind { Registry, IniFile };
    Kind kind = Kind::Registry;
    std::string key;  // the HKCU key for Kind::Registry; empty for the INI file

    bool operator==(const PreferencesStore&) const = default;
};

PreferencesStore PreferencesStoreFor(const std::string& model);

// The ten models of the model page, in the page's model order. Positions are inside the
// scroll box; a caption on the left sits to the left of its button (the right column).
struct PageModel {
    int index;
    const char* imageName;
    const char* radioName;
    const char* caption;
    int imageLeft;
    int imageTop;
    int radioLeft;
    int radioTop;
    bool captionLeft;
};

inline constexpr int kModelCount = 10;
inline constexpr int kTwelveMagazineIndex = 3;
inline constexpr int kSingleMagazineIndex = 7;

extern const std::array<PageModel, kModelCount> kPageModels;

}  // namespace models
