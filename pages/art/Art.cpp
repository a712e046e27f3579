// The built-in pictures, read from their rendered copies among the program's resources
// (pages/art/art.qrc) once and kept. The drawings behind them live with the renderer
// (tools/render-art/), which writes the copies; the program itself draws nothing.

#include "pages/art/Art.h"

#include <QImage>
#include <QLatin1String>

#include <array>

// Registers the compiled-in copies. Calling the initialiser by name also keeps its object in the
// link: nothing else refers to it, and a static library would drop it. Outside any namespace, as
// the macro declares the initialiser in the namespace around it.
static bool RegisterRenderedArt() {
    Q_INIT_RESOURCE(art);
    return true;
}

namespace art {
namespace {

constexpr int kModelCount = 10;

// The rendered copy `file`, or a null pixmap when the program holds none.
QPixmap Rendered(const QString& file) {
    [[maybe_unused]] static const bool registered = RegisterRenderedArt();
    QImage image;
    if (!image.load(QStringLiteral(":/art/") + file, "PNG")) {
        return {};
    }
    return QPixmap::fromImage(std::move(image));
}

// Reads a picture once and keeps it for the rest of the run. It is held by a pointer that is never
// freed, so that no pixmap is destroyed after the application object at exit.
template <const char* File>
QPixmap Once() {
    static const QPixmap* const pixmap = new QPixmap(Rendered(QLatin1String(File)));
    return *pixmap;
}

QIcon Glyph(const QString& name) {
    QIcon icon;
    icon.addPixmap(Rendered(name + QLatin1String(".png")), QIcon::Normal);
    icon.addPixmap(Rendered(name + QLatin1String("-disabled.png")), QIcon::Disabled);
    return icon;
}

constexpr char kTitle[] = "title.png";
constexpr char kCollage[] = "collage.png";
constexpr char kSerial[] = "serial.png";
constexpr char kUsb[] = "usb.png";
constexpr char kEthernet[] = "ethernet.png";
constexpr char kProgramIcon[] = "program-icon.png";
constexpr char kProducer[] = "producer.png";
constexpr char kAlert[] = "alert.png";
constexpr char kWarning[] = "warning.png";
constexpr char kNotice[] = "notice.png";

}  // namespace

QPixmap TitlePicture() {
    return Once<kTitle>();
}
QString TitlePictureText() {
    return QStringLiteral(
        "Vormatic\u00AE Installer, Setup for laser marking printers and Vormatic\u00AE Producer");
}
QPixmap CollagePicture() {
    return Once<kCollage>();
}
QPixmap SerialConnectionPicture() {
    return Once<kSerial>();
}
QPixmap UsbConnectionPicture() {
    return Once<kUsb>();
}
QPixmap EthernetConnectionPicture() {
    return Once<kEthernet>();
}
QPixmap ProgramIcon() {
    return Once<kProgramIcon>();
}
QPixmap ProducerPicture() {
    return Once<kProducer>();
}
QPixmap AlertIcon() {
    return Once<kAlert>();
}
QPixmap WarningIcon() {
    return Once<kWarning>();
}
QPixmap NoticeIcon() {
    return Once<kNotice>();
}

QPixmap PrinterPicture(int modelIndex) {
    if (modelIndex < 0 || modelIndex >= kModelCount) {
        return {};
    }
    static std::array<const QPixmap*, kModelCount> cache{};
    const QPixmap*& slot = cache.at(static_cast<std::size_t>(modelIndex));
    if (slot == nullptr) {
        slot = new QPixmap(Rendered(QStringLiteral("printer-%1.png").arg(modelIndex)));
    }
    return *slot;
}

QIcon BackGlyph() {
    static const QIcon* const icon = new QIcon(Glyph(QStringLiteral("back")));
    return *icon;
}

QIcon NextGlyph() {
    static const QIcon* const icon = new QIcon(Glyph(QStringLiteral("next")));
    return *icon;
}

QIcon WindowIcon() {
    // Read when the window asks for it, not with the pictures at start-up.
    static const QIcon* const icon = [] {
        auto* sizes = new QIcon;
        for (const int side : {16, 24, 32, 48, 64, 256}) {
            sizes->addPixmap(Rendered(QStringLiteral("window-icon-%1.png").arg(side)));
        }
        return sizes;
    }();
    return *icon;
}

}  // namespace art
