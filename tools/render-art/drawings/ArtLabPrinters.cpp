// The histology printers: the MZ4 cassette, slide and drawer printers and the VF5Q ampule
// printer.

#include <QPolygonF>

#include <algorithm>

#include "tools/render-art/drawings/ArtKit.h"
#include "tools/render-art/drawings/ArtParts.h"

namespace art::parts {
using namespace art::kit;

namespace {

const QColor kGreenLed(0x3c, 0xd0, 0x4c);
const QColor kAmberLed(0xff, 0xb0, 0x2e);
const QColor kRack(0xd5, 0xdd, 0xe6);

// The marking chamber with a cassette under the head.
void CassetteChamber(QPainter& p, const QRectF& window, const QRectF& cassette,
                     const QColor& colour) {
    Window(p, window);
    Cassette(p, cassette, colour, 3, false);
    const QPointF tip(cassette.center().x() + 2, window.top() + window.height() * 0.3);
    LaserHead(p, tip, std::max(5.0, window.height() * 0.22));
    Beam(p, tip, QPointF(tip.x() - 3, cassette.top() + cassette.height() * 0.25), 0.8);
}

void Stripe(QPainter& p, const QRectF& front) {
    p.fillRect(QRectF(front.left(), front.top(), front.width(), 4), kBlue);
}

}  // namespace

void PaintMz4a(QPainter& p) {  // 116 x 116
    GroundShadow(p, QRectF(2, 100, 112, 16));
    const QRectF front(4, 58, 80, 48);
    Block(p, front, 26, kCasing);
    // Twelve magazines in a row, one cassette colour each.
    Block(p, QRectF(8, 10, 78, 44), 10, kRack);
    for (int i = 0; i < 12; ++i) {
        const QColor c = CassetteColours().at(i);
        Stack(p, QRectF(10.5 + i * 6.2, 13, 5.6, 38), {c}, 8, Load::Cassettes);
    }
    Stripe(p, front);
    CassetteChamber(p, QRectF(9, 66, 42, 24), QRectF(19, 75, 20, 14), CassetteColours().at(0));
    Lcd(p, QRectF(56, 66, 23, 10));
    Badge(p, QRectF(55, 79, 26, 7), QStringLiteral("MZ4-A"));
    Led(p, QPointF(78, 90), 1.6, kGreenLed);
    // The output tray with marked cassettes.
    Block(p, QRectF(8, 98, 58, 6), 10, kSteel);
    for (int i = 0; i < 3; ++i) {
        Cassette(p, QRectF(12 + i * 18, 84, 16, 13), CassetteColours().at(i + 1),
                 static_cast<unsigned>(40 + i));
    }
}

void PaintMz4a2(QPainter& p) {  // 88 x 108
    GroundShadow(p, QRectF(2, 92, 84, 15));
    const QRectF front(4, 52, 64, 46);
    Block(p, front, 20, kCasing);
    // One tall magazine.
    Block(p, QRectF(22, 6, 24, 42), 8, kRack);
    Stack(p, QRectF(25, 9, 18, 37), {CassetteColours().at(1)}, 9, Load::Cassettes);
    Stripe(p, front);
    CassetteChamber(p, QRectF(9, 60, 34, 22), QRectF(15, 68, 20, 13), CassetteColours().at(1));
    Lcd(p, QRectF(48, 60, 15, 9));
    Led(p, QPointF(51, 75), 1.5, kGreenLed);
    Led(p, QPointF(57, 75), 1.5, kAmberLed);
    Badge(p, QRectF(41, 86, 26, 6), QStringLiteral("MZ4-A2"));
    // A finished cassette in front of the printer.
    Cassette(p, QRectF(10, 84, 28, 21), CassetteColours().at(1), 52);
}

void PaintMz4b(QPainter& p) {  // 104 x 112
    GroundShadow(p, QRectF(2, 94, 100, 16));
    const QRectF front(6, 46, 70, 50);
    Block(p, front, 22, kCasing);
    // The slide magazine: glass slides with frosted ends, seen edge on.
    Block(p, QRectF(16, 6, 40, 36), 8, kRack);
    Stack(p, QRectF(19, 9, 34, 31), {QColor(0xa9, 0xcf, 0xd8)}, 12, Load::Slides);
    Stripe(p, front);
    Window(p, QRectF(11, 54, 40, 22));
    Slide(p, QRectF(15, 66, 32, 8), 61, false);
    LaserHead(p, QPointF(22, 61), 5);
    Beam(p, QPointF(22, 61), QPointF(20, 69), 0.8);
    Lcd(p, QRectF(55, 54, 17, 9));
    Badge(p, QRectF(52, 66, 23, 7), QStringLiteral("MZ4-B"));
    Led(p, QPointF(58, 77), 1.5, kGreenLed);
    Led(p, QPointF(64, 77), 1.5, kAmberLed);
    // Marked slides on the bench.
    p.save();
    p.translate(44, 84);
    p.rotate(-7);
    Slide(p, QRectF(0, 0, 54, 17), 62);
    p.restore();
    p.save();
    p.translate(12, 91);
    p.rotate(3);
    Slide(p, QRectF(0, 0, 54, 17), 63);
    p.restore();
}

void PaintVf5q(QPainter& p) {  // 100 x 110
    GroundShadow(p, QRectF(2, 94, 96, 15));
    // The arm with the head, reaching out of the tower over the conveyor.
    Block(p, QRectF(28, 22, 38, 10), 10, kCasing);
    Block(p, QRectF(64, 20, 24, 76), 12, kCasing);
    p.fillRect(QRectF(64, 20, 24, 4), kBlue);
    Lcd(p, QRectF(68, 30, 16, 9));
    Badge(p, QRectF(65, 44, 22, 7), QStringLiteral("VF5Q"));
    Led(p, QPointF(70, 58), 1.5, kGreenLed);
    Led(p, QPointF(76, 58), 1.5, kAmberLed);
    // The conveyor and the ampules on it: blank ones come in from the left.
    const QRectF base(4, 82, 60, 16);
    Block(p, base, 14, kCasing);
    const QPointF d(10.5, -8.4);
    QPolygonF belt;
    belt << base.topLeft() + d * 0.15 << base.topRight() + d * 0.15 << base.topRight() + d * 0.85
         << base.topLeft() + d * 0.85;
    p.save();
    p.setPen(QPen(QColor(0x22, 0x26, 0x2c), 0.6));
    p.setBrush(QColor(0x4a, 0x51, 0x5c));
    p.drawPolygon(belt);
    p.restore();
    p.fillRect(QRectF(base.left(), base.top(), base.width(), 3), kBlue);
    for (int i = 0; i < 5; ++i) {
        const double cx = 10 + i * 12.5;
        Ampule(p, QRectF(cx - 4.5, 47, 9, 31), i >= 3);
    }
    LaserHead(p, QPointF(47.5, 39), 6.5);
    Beam(p, QPointF(47.5, 39), QPointF(46.5, 66), 0.8);
}

void PaintMz4e(QPainter& p) {  // 96 x 116
    GroundShadow(p, QRectF(2, 98, 92, 16));
    const QRectF front(12, 22, 62, 84);
    const QPointF d(15, -12);
    Block(p, front, 20, kCasing);
    Stripe(p, front);
    CassetteChamber(p, QRectF(17, 30, 40, 20), QRectF(26, 36, 18, 12), CassetteColours().at(2));
    Lcd(p, QRectF(61, 31, 10, 8));
    Led(p, QPointF(63.5, 45), 1.5, kGreenLed);
    Led(p, QPointF(69, 45), 1.5, kAmberLed);
    Badge(p, QRectF(17, 52, 26, 6.5), QStringLiteral("MZ4-E"));
    // Three drawers; the middle one is pulled out and shows its cassettes.
    const auto drawer = [&p](const QRectF& r) {
        Panel(p, r, kCasing.lighter(104), kCasing.darker(110), kSteel.darker(140), 1.0);
        Panel(p, QRectF(r.center().x() - 9, r.top() + 4.5, 18, 3), kSteel.lighter(110),
              kSteel.darker(130), kSteel.darker(170), 1.5);
    };
    drawer(QRectF(17, 60, 52, 12));
    drawer(QRectF(17, 91, 52, 12));
    const QRectF opening(17, 75, 52, 12);
    p.fillRect(opening, QColor(0x2b, 0x30, 0x37));
    const QPointF pulled = -d * 0.8;
    const QRectF open = opening.translated(pulled);
    const QTransform inside = Onto(open.topLeft(), QPointF(open.width(), 0), -pulled);
    p.save();
    p.setPen(QPen(kSteel.darker(150), 0.6));
    p.setBrush(kCasing.darker(130));
    p.drawPolygon(QPolygonF(
        {open.topRight(), open.bottomRight(), opening.bottomRight(), opening.topRight()}));
    p.setBrush(QColor(0x9a, 0xa4, 0xb0));
    p.drawPolygon(inside.map(QPolygonF(QRectF(0, 0, 1, 1))));
    for (int row = 0; row < 2; ++row) {
        for (int col = 0; col < 7; ++col) {
            const QRectF cell(0.04 + col * 0.137, 0.12 + row * 0.45, 0.11, 0.34);
            const QColor c = CassetteColours().at((col + row * 3) % 6);
            p.setBrush(c);
            p.setPen(QPen(c.darker(160), 0.5));
            p.drawPolygon(inside.map(QPolygonF(cell)));
        }
    }
    p.restore();
    drawer(open);
}

}  // namespace art::parts
