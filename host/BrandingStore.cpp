#include "host/BrandingStore.h"

#include <optional>
#include <string_view>

#include "host/FileIo.h"
#include "host/Paths.h"

namespace {

// The maker's own contacts; a branding file replaces any of them.
const char kHomePage[] = "http://www.quorvanta.com";

const char kBrandingFile[] = "plstrings.txt";
const char kLogoBitmap[] = "plbitmap.bmp";
const char kCollageBitmap[] = "plcollagebitmap.bmp";
const char kTitleBitmap[] = "pltitlebitmap.bmp";

BrandingStore* g_instance = nullptr;

// Destroys the process-wide store at static finalisation (after Reset() there is nothing
// left to destroy).
struct InstanceOwner {
    InstanceOwner() = default;
    InstanceOwner(const InstanceOwner&) = delete;
    InstanceOwner& operator=(const InstanceOwner&) = delete;
    ~InstanceOwner() { delete g_instance; }
};

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

std::string_view Trimmed(std::string_view line) {
    std::size_t begin = 0;
    std::size_t end = line.size();
    while (begin < end && IsBlankOrControl(line[begin])) {
        ++begin;
    }
    while (end > begin && IsBlankOrControl(line[end - 1])) {
        --end;
    }
    return line.substr(begin, end - begin);
}

}  // namespace

BrandingStore& BrandingStore::Instance() {
    static InstanceOwner owner;
    if (g_instance == nullptr) {
        g_instance = new BrandingStore(ProgramDirectory());
    }
    return *g_instance;
}

void BrandingStore::Reset() {
    delete g_instance;
}

BrandingStore::BrandingStore(const std::string& directory) : directory_(directory) {
    const std::string home = kHomePage;
    Set("CompanyNameLong", "Quorvanta Corporation");
    Set("CompanyNameShort", "Quorvanta");
    Set("AboutCompanyPhone", "800-555-0142");
    Set("AboutCompanySupportEmail", "support@quorvanta.com");
    Set("AboutCompanySupportURL", home);
    Set("SingleMagazinePrinterModel", "MZ4-A2");
    Set("TwelveMagazinePrinterModel", "MZ4-A");
    Set("WebSupportContactURL", home + "/contact.htm");
    Set("WebSupportFAQURL", home + "/faqs.htm");
    Set("WebSupportHomePageURL", home);
    Set("WebSupportSoftwareManualURL", home + "/vormaticproducer/cl/index.htm");
    Set("WebSupportTechSupportURL", home + "/techsupport.htm");
    Set("WebSupportSoftwareDownloadURL", home + "/vormaticproducercl.htm#DOWNLOAD");
    Set("WebSupportSoftwareVersionURL", home + "/vormaticproducer/cl/version.htm");

    // Without a known directory there is no "beside the program": keep the defaults rather
    // than pick up a file from the current directory.
    if (directory_.empty()) {
        return;
    }
    const std::string path = directory_ + kBrandingFile;
    if (!FileExists(path)) {
        return;
    }
    // The file is read whole before any line is applied, so a read error applies nothing and
    // leaves the private-label flag false.
    const std::optional<std::string> content = ReadFileBytes(path);
    if (!content) {
        return;
    }
    ApplyBrandingFile(*content);
}

void BrandingStore::ApplyBrandingFile(const std::string& fileBytes) {
    // A UTF-8 byte order mark is no part of the first line: left there, it would become part
    // of the first key and lose that entry.
    const bool marked = fileBytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
    const std::string text = marked ? fileBytes.substr(3) : fileBytes;
    ApplyBrandingText(text);
    // Every non-empty file has at least one line, even one holding only a comment or a line end.
    privateLabel_ = !text.empty();
}

BrandingStore::~BrandingStore() {
    if (g_instance == this) {
        g_instance = nullptr;
    }
}

std::string BrandingStore::GetString(const std::string& key) const {
    const auto found = entries_.find(key);
    return found == entries_.end() ? std::string() : found->second;
}

std::string BrandingStore::LogoBitmapPath() const {
    return ExistingFile(kLogoBitmap);
}
std::string BrandingStore::CollageBitmapPath() const {
    return ExistingFile(kCollageBitmap);
}
std::string BrandingStore::TitleBitmapPath() const {
    return ExistingFile(kTitleBitmap);
}

void BrandingStore::ApplyBrandingText(const std::string& content) {
    // Lines end in CR LF, LF or CR, in any mix; the last line needs no line end. Every other
    // byte, NUL included, is an ordinary character of its line.
    const std::string_view text(content);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view line = Trimmed(text.substr(start, end - start));
        start = end;
        if (start < text.size()) {
            start +=
                (text[start] == '\r' && start + 1 < text.size() && text[start + 1] == '\n') ? 2 : 1;
        }
        if (line.empty() || line.front() == '#') {
            continue;
        }
        // The key ends at the first '='; neither side is trimmed again.
        const std::size_t equals = line.find('=');
        const std::string_view key = line.substr(0, equals);
        std::string_view value =
            (equals == std::string_view::npos) ? std::string_view() : line.substr(equals + 1);
        // A value that starts with a back-quote loses its first and its last character, which
        // lets a branding file keep blanks at either end of a value.
        if (!value.empty() && value.front() == '`') {
            value = (value.size() == 1) ? std::string_view() : value.substr(1, value.size() - 2);
        }
        Set(std::string(key), std::string(value));
    }
}

std::string BrandingStore::ExistingFile(const char* name) const {
    if (directory_.empty()) {
        return {};
    }
    const std::string path = directory_ + name;
    return FileExists(path) ? path : std::string();
}

void BrandingStore::Set(const std::string& key, const std::string& value) {
    entries_[key] = value;
}
