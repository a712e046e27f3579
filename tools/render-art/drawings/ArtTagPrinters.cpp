// The tag and plate printers: RX200, RX6XX, RX200W, NB520 and RX8XX.

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "tools/render-art/drawings/ArtKit.h"
#include "tools/render-art/drawings/ArtParts.h"

namespace art::parts {
using namespace art::kit;

namespace {

const QColor kGreenLed(0x3c, 0xd0, 0x4c);
const QColor kAmberLed(0xff, 0xb0, 0x2e);
const QColor kHopper(0xcf, 0xda, 0xe6);

// A touch screen with a few controls on it.
void Touchscreen(QPainter& p, const QRectF& r) {
    Panel(p, r.adjusted(-1.2, -1.2, 1.2, 1.2), QColor(0x3a, 0x40, 0x48), QColor(0x22, 0x26, 0x2c),
          QColor(0x1a, 0x1d, 0x22), 1.8);
    Panel(p, r, QColor(0x5d, 0x9c, 0xec), QColor(0x1f, 0x55, 0xb0), QColor(0x17, 0x3f, 0x86), 0.8);
    const double w = r.width();
    const double h = r.height();
    p.fillRect(QRectF(r.left() + w * 0.12, r.top() + h * 0.15, w * 0.76, h * 0.12),
               QColor(255, 255, 255, 200));
    for (int i = 0; i < 2; ++i) {
        p.fillRect(QRectF(r.left() + w * (0.12 + i * 0.42), r.top() + h * 0.45, w * 0.34, h * 0.3),
                   QColor(255, 255, 255, 120));
    }
}

// A tag lying in the marking chamber under the head, with the beam on it.
void MarkingChamber(QPainter& p, const QRectF& window, const QRectF& tag, const QColor& colour,
                    double headX) {
    Window(p, window);
    Tag(p, tag, colour, 17, false);
    const QPointF tip(headX, window.top() + window.height() * 0.35);
    LaserHead(p, tip, std::max(5.0, window.height() * 0.22));
    Beam(p, tip, QPointF(headX - 2, tag.center().y()), 0.8);
}

}  // namespace

void PaintRx200(QPainter& p) {  // 110 x 104
    GroundShadow(p, QRectF(4, 86, 104, 16));
    const QRectF front(8, 38, 76, 54);
    Block(p, front, 20, kCasing);
    // The tag hopper standing on the lid.
    Block(p, QRectF(36, 8, 26, 28), 8, kHopper);
    Stack(p, QRectF(39, 11, 20, 23), TagColours(), 9);
    p.fillRect(QRectF(front.left(), front.top(), front.width(), 4), kBlue);
    MarkingChamber(p, QRectF(13, 46, 42, 26), QRectF(17, 61, 34, 8), TagColours().at(1), 37);
    Lcd(p, QRectF(60, 47, 19, 9));
    Led(p, QPointF(63.5, 63), 1.6, kGreenLed);
    Led(p, QPointF(70, 63), 1.6, kAmberLed);
    // The output slot with a finished tag.
    p.fillRect(QRectF(13, 77, 42, 3.5), kCharcoal);
    Tag(p, QRectF(17, 79.5, 34, 11), TagColours().at(0), 5);
    Badge(p, QRectF(57, 80, 26, 7), QStringLiteral("RX200"));
}

void PaintRx6xx(QPainter& p) {  // 112 x 116
    GroundShadow(p, QRectF(2, 100, 108, 16));
    const QRectF front(6, 50, 80, 56);
    Block(p, front, 24, kCasing);
    // Three hoppers side by side, each with its own tag colour.
    for (int i = 0; i < 3; ++i) {
        Block(p, QRectF(14 + i * 22, 6, 18, 38), 7, kHopper);
        const QColor c = TagColours().at(i + 1);
        Stack(p, QRectF(16 + i * 22, 9, 14, 33), {c, c.lighter(108)}, 11);
    }
    p.fillRect(QRectF(front.left(), front.top(), front.width(), 4), kBlue);
    MarkingChamber(p, QRectF(11, 58, 46, 26), QRectF(15, 73, 38, 8), TagColours().at(3), 37);
    Touchscreen(p, QRectF(62, 58, 20, 18));
    Badge(p, QRectF(59, 79, 26, 7), QStringLiteral("RX6XX"));
    // The output tray with marked tags.
    Block(p, QRectF(10, 97, 56, 7), 12, kSteel);
    Tag(p, QRectF(15, 87.5, 26, 8.5), TagColours().at(2), 21);
    Tag(p, QRectF(36, 88.5, 26, 8.5), TagColours().at(3), 22);
}

void PaintRx200w(QPainter& p) {  // 116 x 92
    GroundShadow(p, QRectF(2, 76, 112, 15));
    const QRectF front(4, 40, 88, 40);
    Block(p, front, 22, kCasing);
    // A wide plate standing in the feed slot on the lid.
    const QRectF plate(22, 4, 62, 31);
    Panel(p, plate, QColor(0xf1, 0xf3, 0xf5), QColor(0xb4, 0xbd, 0xc6), QColor(0x7a, 0x84, 0x8f),
          2.5);
    p.save();
    p.setPen(QPen(QColor(0x7a, 0x84, 0x8f), 0.6));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(plate.left() + 4.5, plate.top() + 5), 1.8, 1.8);
    p.drawEllipse(QPointF(plate.right() - 4.5, plate.top() + 5), 1.8, 1.8);
    p.restore();
    MatrixCode(p, QRectF(plate.left() + 5, plate.top() + 10, 15, 15), 29, 10);
    p.save();
    p.setFont(Font(8, true));
    p.setPen(kMarked);
    p.drawText(QRectF(plate.left() + 23, plate.top() + 8, 38, 10), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("QV 2291"));
    p.restore();
    BarCode(p, QRectF(plate.left() + 23, plate.top() + 19, 34, 6), 4);
    Panel(p, QRectF(18, 32, 70, 4), kSteel.lighter(110), kSteel.darker(120), kSteel.darker(160),
          1.0);
    p.fillRect(QRectF(front.left(), front.top(), front.width(), 4), kBlue);
    Window(p, QRectF(9, 48, 56, 22));
    Panel(p, QRectF(13, 61, 48, 7), QColor(0xee, 0xf1, 0xf4), QColor(0xb9, 0xc1, 0xca),
          QColor(0x7a, 0x84, 0x8f), 1.0);
    LaserHead(p, QPointF(39, 56), 5.5);
    Beam(p, QPointF(39, 56), QPointF(37, 64.5), 0.8);
    Lcd(p, QRectF(70, 48, 17, 9));
    Led(p, QPointF(73, 63), 1.6, kGreenLed);
    Led(p, QPointF(79, 63), 1.6, kAmberLed);
    Badge(p, QRectF(8, 71.5, 30, 6.5), QStringLiteral("RX200W"));
}

void PaintNb520(QPainter& p) {  // 108 x 98
    GroundShadow(p, QRectF(2, 82, 104, 15));
    const QRectF front(6, 42, 78, 42);
    const QColor body(0x4b, 0x53, 0x5f);
    Block(p, front, 22, body);
    // A smoked glass lid over the chamber, a tag being marked beneath it.
    const QPointF d(16.5, -13.2);
    const QTransform lid = Onto(QPointF(14, 42) + d * 0.15, QPointF(58, 0), d * 0.7);
    QPolygonF glass = lid.map(QPolygonF(QRectF(0, 0, 1, 1)));
    p.save();
    p.setPen(QPen(QColor(0x1b, 0x1f, 0x25), 0.7));
    p.setBrush(QColor(0x1d, 0x2a, 0x3a));
    p.drawPolygon(glass);
    p.setTransform(QTransform::fromScale(1.0 / 58, 1.0 / 20) * lid, true);
    Tag(p, QRectF(8, 4, 42, 12), TagColours().at(1), 31);
    p.restore();
    const QPointF spot = lid.map(QPointF(0.62, 0.5));
    Beam(p, spot + QPointF(3, -9), spot, 0.8);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 40));
    p.drawPolygon(lid.map(
        QPolygonF({QPointF(0.05, 0), QPointF(0.3, 0), QPointF(0.2, 1), QPointF(-0.05, 1)})));
    p.restore();
    p.fillRect(QRectF(front.left(), front.top(), front.width(), 3), kBlue);
    Badge(p, QRectF(11, 48, 30, 7.5), QStringLiteral("NB520"), Qt::white);
    // A keypad and a display on the right.
    Lcd(p, QRectF(58, 49, 20, 8));
    for (int row = 0; row < 2; ++row) {
        for (int col = 0; col < 3; ++col) {
            Panel(p, QRectF(58.5 + col * 7, 61 + row * 6, 5.5, 4), QColor(0x8d, 0x96, 0xa3),
                  QColor(0x63, 0x6c, 0x78), QColor(0x2a, 0x2f, 0x36), 1.0);
        }
    }
    Led(p, QPointF(14, 62), 1.6, kGreenLed);
    // The output slot and a finished tag sliding out of it.
    p.fillRect(QRectF(12, 72, 42, 3.5), QColor(0x15, 0x18, 0x1d));
    Tag(p, QRectF(15, 74.5, 36, 11), TagColours().at(4), 8);
}

void PaintRx8xx(QPainter& p) {  // 116 x 100
    GroundShadow(p, QRectF(2, 86, 112, 14));
    const QRectF front(4, 48, 84, 42);
    Block(p, front, 24, kCasing);
    // A carousel of six hoppers on the lid, drawn from the back to the front.
    const QPointF hub(55, 40.5);
    p.save();
    p.setPen(QPen(kSteel.darker(150), 0.7));
    p.setBrush(kSteel.lighter(105));
    p.drawEllipse(hub + QPointF(0, 1.5), 36, 8.5);
    p.setBrush(kSteel.lighter(118));
    p.drawEllipse(hub, 36, 8.5);
    p.restore();
    std::vector<double> angles;
    angles.reserve(6);
    for (int i = 0; i < 6; ++i) {
        angles.push_back((15.0 + i * 60.0) * std::numbers::pi / 180.0);
    }
    std::sort(angles.begin(), angles.end(),
              [](double a, double b) { return std::sin(a) < std::sin(b); });
    for (std::size_t i = 0; i < angles.size(); ++i) {
        const QPointF base = hub + QPointF(27 * std::cos(angles[i]), 6.5 * std::sin(angles[i]));
        const QColor c = TagColours().at(static_cast<int>(i % 6));
        Stack(p, QRectF(base.x() - 5.5, base.y() - 30, 11, 30), {c, c.lighter(108)}, 10);
    }
    p.fillRect(QRectF(front.left(), front.top(), front.width(), 4), kInk);
    MarkingChamber(p, QRectF(9, 56, 46, 22), QRectF(13, 69, 38, 7.5), TagColours().at(0), 35);
    Touchscreen(p, QRectF(61, 56, 22, 15));
    Badge(p, QRectF(59, 74, 26, 7), QStringLiteral("RX8XX"));
    p.fillRect(QRectF(9, 81, 46, 3.5), kCharcoal);
    Tag(p, QRectF(13, 83.5, 36, 11), TagColours().at(5), 13);
}

}  // namespace art::parts
