// The three connection pictures: a serial cable, a USB cable and a network connection.

#include <QLinearGradient>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>

#include <array>

#include "tools/render-art/drawings/ArtDraw.h"
#include "tools/render-art/drawings/ArtKit.h"

namespace art::draw {
using namespace art::kit;

namespace {

const QColor kCableGrey(0x9a, 0xa3, 0xae);
const QColor kGold(0xe0, 0xb4, 0x3c);

// A round cable along `path`: a dark rim, the jacket and a highlight.
void Cable(QPainter& p, const QPainterPath& path, const QColor& jacket, double width) {
    p.save();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(jacket.darker(160), width + 1.4, Qt::SolidLine, Qt::FlatCap));
    p.drawPath(path);
    p.setPen(QPen(jacket, width, Qt::SolidLine, Qt::FlatCap));
    p.drawPath(path);
    p.setPen(QPen(jacket.lighter(135), width * 0.25, Qt::SolidLine, Qt::FlatCap));
    p.translate(-width * 0.2, -width * 0.2);
    p.drawPath(path);
    p.restore();
}

// The USB trident: a shaft with an arrowhead, a round and a square branch, a round foot.
// Drawn about (0, 0), `size` high.
void Trident(QPainter& p, const QPointF& at, double size, const QColor& colour) {
    const double u = size / 32.0;
    p.save();
    p.translate(at);
    p.scale(u, u);
    p.setPen(QPen(colour, 2.2, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(0, 11), QPointF(0, -10));
    QPainterPath left;
    left.moveTo(0, 6);
    left.lineTo(-7, 0);
    left.lineTo(-7, -4);
    p.drawPath(left);
    QPainterPath right;
    right.moveTo(0, 2);
    right.lineTo(7, -3);
    right.lineTo(7, -7);
    p.drawPath(right);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    QPolygonF head;
    head << QPointF(0, -16) << QPointF(-3.8, -9) << QPointF(3.8, -9);
    p.drawPolygon(head);
    p.drawEllipse(QPointF(-7, -6), 2.6, 2.6);
    p.drawRect(QRectF(4.6, -11.6, 4.8, 4.8));
    p.drawEllipse(QPointF(0, 13), 3.4, 3.4);
    p.restore();
}

// One network port of the switch, with its two lights above.
void Port(QPainter& p, const QRectF& r, bool linked) {
    Panel(p, r, QColor(0x11, 0x14, 0x18), QColor(0x2b, 0x31, 0x39), QColor(0x8a, 0x93, 0x9e), 0.6);
    p.fillRect(QRectF(r.center().x() - r.width() * 0.2, r.bottom() - 2, r.width() * 0.4, 2),
               QColor(0x52, 0x5b, 0x66));
    Led(p, QPointF(r.left() + 2, r.top() - 2.5), 0.9,
        linked ? QColor(0x3c, 0xd0, 0x4c) : QColor(0x55, 0x5e, 0x69));
    Led(p, QPointF(r.right() - 2, r.top() - 2.5), 0.9,
        linked ? QColor(0xff, 0xb0, 0x2e) : QColor(0x55, 0x5e, 0x69));
}

}  // namespace

QPixmap SerialConnectionPicture() {
    QPixmap pixmap = Canvas(100, 100);
    QPainter p(&pixmap);
    Prepare(p);
    QPainterPath cable;
    cable.moveTo(50, 74);
    cable.cubicTo(50, 92, 22, 78, 14, 92);
    cable.lineTo(8, 102);
    Cable(p, cable, kCableGrey, 7);
    // The moulded hood behind the connector face, with grip ribs and its name.
    QPolygonF hood;
    hood << QPointF(22, 50) << QPointF(78, 50) << QPointF(62, 76) << QPointF(38, 76);
    QLinearGradient plastic(22, 0, 78, 0);
    plastic.setColorAt(0, QColor(0xb8, 0xc0, 0xca));
    plastic.setColorAt(0.4, QColor(0xe3, 0xe8, 0xee));
    plastic.setColorAt(1, QColor(0x95, 0x9f, 0xab));
    p.setPen(QPen(QColor(0x6c, 0x76, 0x82), 0.8));
    p.setBrush(plastic);
    p.drawPolygon(hood);
    Label(p, QRectF(30, 58, 40, 10), QStringLiteral("RS-232"), 8, QColor(0x3b, 0x44, 0x52));
    p.setPen(QPen(QColor(0x85, 0x8f, 0x9b), 0.8));
    for (int i = 0; i < 3; ++i) {
        p.drawLine(QPointF(43, 70 + i * 2), QPointF(57, 70 + i * 2));
    }
    // The metal flange with its two screw locks.
    const QRectF flange(8, 18, 84, 36);
    Panel(p, flange, QColor(0xf2, 0xf4, 0xf6), QColor(0xa5, 0xae, 0xb8), QColor(0x6a, 0x73, 0x7e),
          3);
    for (const double sx : {16.0, 84.0}) {
        QRadialGradient knurl(QPointF(sx - 1.5, 34.5), 7);
        knurl.setColorAt(0, QColor(0xf4, 0xf6, 0xf8));
        knurl.setColorAt(1, QColor(0x8d, 0x97, 0xa2));
        p.setPen(QPen(QColor(0x5b, 0x64, 0x6e), 0.8));
        p.setBrush(knurl);
        p.drawEllipse(QPointF(sx, 36), 5.5, 5.5);
        p.setPen(QPen(QColor(0x4a, 0x52, 0x5b), 1.2));
        p.drawLine(QPointF(sx - 3, 36), QPointF(sx + 3, 36));
    }
    // The D-shaped shell with nine pins, five over four.
    QPainterPath shell;
    shell.moveTo(27, 24);
    shell.lineTo(73, 24);
    shell.quadTo(76, 24, 75.3, 27);
    shell.lineTo(70.5, 46);
    shell.quadTo(69.8, 48.5, 67, 48.5);
    shell.lineTo(33, 48.5);
    shell.quadTo(30.2, 48.5, 29.5, 46);
    shell.lineTo(24.7, 27);
    shell.quadTo(24, 24, 27, 24);
    shell.closeSubpath();
    p.setPen(QPen(QColor(0x5a, 0x63, 0x6d), 1.6));
    p.setBrush(QColor(0x2a, 0x30, 0x38));
    p.drawPath(shell);
    for (int i = 0; i < 9; ++i) {
        const bool top = i < 5;
        const QPointF pin = top ? QPointF(32 + i * 9, 31) : QPointF(36.5 + (i - 5) * 9, 41.5);
        QRadialGradient shine(pin - QPointF(0.8, 0.8), 2.8);
        shine.setColorAt(0, QColor(0xff, 0xf1, 0xb8));
        shine.setColorAt(1, kGold);
        p.setPen(QPen(kGold.darker(150), 0.5));
        p.setBrush(shine);
        p.drawEllipse(pin, 2.3, 2.3);
    }
    return pixmap;
}

QPixmap UsbConnectionPicture() {
    QPixmap pixmap = Canvas(100, 100);
    QPainter p(&pixmap);
    Prepare(p);
    Trident(p, QPointF(80, 24), 34, kBlue);
    p.translate(44, 54);
    p.rotate(-28);
    QPainterPath cable;
    cable.moveTo(0, 30);
    cable.cubicTo(0, 52, -30, 40, -40, 62);
    Cable(p, cable, QColor(0x3d, 0x44, 0x4e), 6.5);
    // The moulded body with the trident on it, then the strain relief.
    Panel(p, QRectF(-6, 20, 12, 12), QColor(0x4b, 0x53, 0x5e), QColor(0x2c, 0x31, 0x38),
          QColor(0x1e, 0x22, 0x27), 2);
    QLinearGradient body(-16, 0, 16, 0);
    body.setColorAt(0, QColor(0x2c, 0x31, 0x38));
    body.setColorAt(0.35, QColor(0x5b, 0x64, 0x70));
    body.setColorAt(1, QColor(0x24, 0x28, 0x2e));
    p.setPen(QPen(QColor(0x16, 0x19, 0x1d), 0.8));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(-15, -10, 30, 32), 4, 4);
    Trident(p, QPointF(0, 5), 26, QColor(0xe6, 0xea, 0xef));
    // The metal shell with its two latch windows.
    const QRectF shell(-12, -36, 24, 27);
    QLinearGradient metal(shell.left(), 0, shell.right(), 0);
    metal.setColorAt(0, QColor(0x9a, 0xa4, 0xaf));
    metal.setColorAt(0.35, QColor(0xf6, 0xf8, 0xfa));
    metal.setColorAt(1, QColor(0x8a, 0x94, 0xa0));
    p.setPen(QPen(QColor(0x5d, 0x66, 0x71), 0.8));
    p.setBrush(metal);
    p.drawRect(shell);
    p.setBrush(QColor(0x2a, 0x30, 0x38));
    p.drawRect(QRectF(-7.5, -31, 5, 5));
    p.drawRect(QRectF(2.5, -31, 5, 5));
    return pixmap;
}

QPixmap EthernetConnectionPicture() {
    QPixmap pixmap = Canvas(100, 100);
    QPainter p(&pixmap);
    Prepare(p);
    // The switch.
    const QRectF front(4, 18, 80, 20);
    Block(p, front, 12, QColor(0x3e, 0x5f, 0x94));
    for (int i = 0; i < 6; ++i) {
        Port(p, QRectF(9 + i * 12.2, 27, 9, 8), i == 1 || i == 4);
    }
    p.setFont(Font(6, true));
    p.setPen(QColor(0xdd, 0xe8, 0xf7));
    p.drawText(QRectF(8, 18.5, 40, 6), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("LAN"));
    // The cable from the port down and round into a plug.
    QTransform plug;
    plug.translate(68, 62);
    plug.rotate(-20);
    plug.scale(1.2, 1.2);
    QPainterPath cable;
    cable.moveTo(25.5, 38);
    cable.cubicTo(24, 86, plug.map(QPointF(0, 44)).x(), plug.map(QPointF(0, 44)).y(),
                  plug.map(QPointF(0, 25)).x(), plug.map(QPointF(0, 25)).y());
    const QColor blue(0x2f, 0x7f, 0xd8);
    Cable(p, cable, blue, 5);
    Panel(p, QRectF(22, 32, 7, 9), blue.lighter(115), blue.darker(115), blue.darker(160), 1.2);
    // The RJ-45 plug seen from its contact side: clear housing, eight gold contacts, the wire
    // pairs inside and the latch.
    p.setTransform(plug, true);
    Panel(p, QRectF(-7, 10, 14, 16), blue.lighter(120), blue.darker(110), blue.darker(160), 3);
    const QRectF housing(-12, -20, 24, 31);
    Panel(p, housing, QColor(0xf2, 0xf8, 0xfc, 235), QColor(0xcf, 0xe2, 0xee, 235),
          QColor(0x7b, 0x9b, 0xb0), 2);
    const std::array<QColor, 4> pairs{QColor(0xf0, 0x8a, 0x24), QColor(0x3a, 0xaa, 0x48),
                                      QColor(0x2f, 0x6f, 0xd8), QColor(0x9a, 0x6a, 0x3c)};
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 8; ++i) {
        const double x = -8.75 + i * 2.5;
        p.setPen(
            QPen(pairs.at(static_cast<std::size_t>(i / 2)).lighter(i % 2 == 0 ? 100 : 150), 1.2));
        p.drawLine(QPointF(x, -6), QPointF(x * 0.5, 10));
        QLinearGradient gold(x - 0.9, 0, x + 0.9, 0);
        gold.setColorAt(0, kGold.darker(115));
        gold.setColorAt(0.5, QColor(0xff, 0xe9, 0x99));
        gold.setColorAt(1, kGold.darker(115));
        p.fillRect(QRectF(x - 0.9, -19, 1.8, 9), gold);
    }
    p.setPen(QPen(QColor(255, 255, 255, 190), 1));
    p.drawLine(QPointF(-10.5, -8), QPointF(-10.5, 8));
    return pixmap;
}

}  // namespace art::draw
