// The entry points of the built-in pictures. Each picture comes from its rendered copy among the
// program's resources (pages/art/art.qrc), read once and kept; only when a copy is missing is the
// picture drawn (ArtDraw.h). The window icon is drawn on demand, at the sizes the desktop asks for.

#include "pages/art/Art.h"

#include <QIconEngine>
#include <QImage>
#include <QLatin1String>

#include <algorithm>
#include <array>
#include <functional>
#include <utility>

#include "pages/art/ArtDraw.h"
#include "pages/art/ArtKit.h"
#include "pages/art/ArtParts.h"

// Registers the compiled-in copies. Calling the initialiser by name also keeps its object in the
// link: nothing else refers to it, and a static library would drop it. Outside any namespace, as
// the macro declares the initialiser in the namespace around it.
static bool RegisterRenderedArt() {
    Q_INIT_RESOURCE(art);
    return true;
}

namespace art {
using namespace art::kit;

namespace {

// The rendered copy `file`, or a null pixmap when the program holds none.
QPixmap Rendered(const QString& file) {
    [[maybe_unused]] static const bool registered = RegisterRenderedArt();
    QImage image;
    if (!image.load(QLatin1String(draw::kResourceFolder) + file, "PNG")) {
        return {};
    }
    return QPixmap::fromImage(std::move(image));
}

QPixmap RenderedOrDrawn(const QString& file, const std::function<QPixmap()>& draw) {
    QPixmap pixmap = Rendered(file);
    return pixmap.isNull() ? draw() : pixmap;
}

// Reads a picture once and keeps it for the rest of the run. It is held by a pointer that is never
// freed, so that no pixmap is destroyed after the application object at exit.
template <QPixmap (*Draw)()>
QPixmap Once(const char* file) {
    static const QPixmap* const pixmap = new QPixmap(RenderedOrDrawn(QLatin1String(file), Draw));
    return *pixmap;
}

QIcon Glyph(const QString& name, QPixmap (*draw)(bool)) {
    QIcon icon;
    icon.addPixmap(RenderedOrDrawn(name + QLatin1String(".png"), [draw] { return draw(true); }),
                   QIcon::Normal);
    icon.addPixmap(
        RenderedOrDrawn(name + QLatin1String("-disabled.png"), [draw] { return draw(false); }),
        QIcon::Disabled);
    return icon;
}

}  // namespace

QPixmap TitlePicture() {
    return Once<draw::TitlePicture>("title.png");
}
QPixmap CollagePicture() {
    return Once<draw::CollagePicture>("collage.png");
}
QPixmap SerialConnectionPicture() {
    return Once<draw::SerialConnectionPicture>("serial.png");
}
QPixmap UsbConnectionPicture() {
    return Once<draw::UsbConnectionPicture>("usb.png");
}
QPixmap EthernetConnectionPicture() {
    return Once<draw::EthernetConnectionPicture>("ethernet.png");
}
QPixmap ProgramIcon() {
    return Once<draw::ProgramIcon>("program-icon.png");
}
QPixmap ProducerPicture() {
    return Once<draw::ProducerPicture>("producer.png");
}

QPixmap AlertIcon() {
    return Once<draw::AlertIcon>("alert.png");
}
QPixmap WarningIcon() {
    return Once<draw::WarningIcon>("warning.png");
}
QPixmap NoticeIcon() {
    return Once<draw::NoticeIcon>("notice.png");
}

QPixmap PrinterPicture(int modelIndex) {
    if (modelIndex < 0 || modelIndex >= parts::kModelCount) {
        return {};
    }
    static std::array<const QPixmap*, parts::kModelCount> cache{};
    const QPixmap*& slot = cache.at(static_cast<std::size_t>(modelIndex));
    if (slot == nullptr) {
        slot =
            new QPixmap(RenderedOrDrawn(QStringLiteral("printer-%1.png").arg(modelIndex),
                                        [modelIndex] { return draw::PrinterPicture(modelIndex); }));
    }
    return *slot;
}

QIcon BackGlyph() {
    static const QIcon* const icon = new QIcon(Glyph(QStringLiteral("back"), draw::BackGlyph));
    return *icon;
}

QIcon NextGlyph() {
    static const QIcon* const icon = new QIcon(Glyph(QStringLiteral("next"), draw::NextGlyph));
    return *icon;
}

namespace {
// Draws the program icon at whatever size the desktop asks for, when it asks: nothing is
// painted at start-up.
class ProgramIconEngine : public QIconEngine {
public:
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
        painter->save();
        Prepare(*painter);
        const double side = std::min(rect.width(), rect.height());
        const double w = side * 33.0 / 41.0;
        parts::PaintProgramIcon(*painter, QRectF(rect.x() + (rect.width() - w) / 2,
                                                 rect.y() + (rect.height() - side) / 2, w, side));
        painter->restore();
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap result = Canvas(size.width(), size.height(), Qt::transparent);
        QPainter p(&result);
        paint(&p, QRect(QPoint(0, 0), size), mode, state);
        return result;
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        return {QSize(16, 16), QSize(24, 24), QSize(32, 32),
                QSize(48, 48), QSize(64, 64), QSize(128, 128)};
    }
    QIconEngine* clone() const override { return new ProgramIconEngine; }
};
}  // namespace

QIcon WindowIcon() {
    return QIcon(new ProgramIconEngine);
}

}  // namespace art
