#pragma once
// Process-wide table of named texts (company names, support contacts, cassette model codes)
// with built-in defaults, overridden by plstrings.txt beside the program, plus the
// private-label flag and the three optional branding bitmaps.

#include <map>
#include <string>

class BrandingStore {
public:
    // The store, built on first use from the defaults and plstrings.txt in ProgramDirectory().
    static BrandingStore& Instance();
    // Drops the process-wide store so that the next Instance() builds a new one (tests).
    static void Reset();

    // A store built from the defaults and the branding file in `directory` (which ends in a
    // separator); used by Instance() and by tests.
    explicit BrandingStore(const std::string& directory);
    virtual ~BrandingStore();
    BrandingStore(const BrandingStore&) = delete;
    BrandingStore& operator=(const BrandingStore&) = delete;

    // The value stored for `key`; "" for a key that is not present.
    std::string GetString(const std::string& key) const;
    bool IsPrivateLabel() const { return privateLabel_; }

    // Full path of plbitmap.bmp / plcollagebitmap.bmp / pltitlebitmap.bmp in the store's
    // directory when the file exists at the moment of the call, else "".
    std::string LogoBitmapPath() const;
    std::string CollageBitmapPath() const;
    std::string TitleBitmapPath() const;

    // Applies the lines of a branding file's content (exposed for tests).
    void ApplyBrandingText(const std::string& content);
    // Applies a whole branding file as read (its byte order mark skipped) and sets the
    // private-label flag by it; what the constructor does with plstrings.txt.
    void ApplyBrandingFile(const std::string& fileBytes);
    // Every entry, defaults included (for tests and the fuzz target).
    const std::map<std::string, std::string>& Entries() const { return entries_; }

private:
    std::string ExistingFile(const char* name) const;
    void Set(const std::string& key, const std::string& value);

    std::string directory_;
    std::map<std::string, std::string> entries_;
    bool privateLabel_ = false;
};
